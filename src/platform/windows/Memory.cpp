#include "platform/Memory.h"

#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

namespace platform {

namespace {

PROCESS_MEMORY_COUNTERS Counters() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        counters = {};
    }
    return counters;
}

} // namespace

// The working set is what Windows calls the resident part.
std::uint64_t ResidentBytes() {
    return Counters().WorkingSetSize;
}

std::uint64_t PeakResidentBytes() {
    return Counters().PeakWorkingSetSize;
}

} // namespace platform
