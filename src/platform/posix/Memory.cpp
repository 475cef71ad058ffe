#include "platform/Memory.h"

#include <fstream>
#include <string>

namespace platform {

namespace {

// A "VmRSS:  1234 kB" line of /proc/self/status.
std::uint64_t StatusKilobytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string name;
    while (status >> name) {
        if (name == key) {
            std::uint64_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

} // namespace

std::uint64_t ResidentBytes() {
    return StatusKilobytes("VmRSS:");
}

std::uint64_t PeakResidentBytes() {
    return StatusKilobytes("VmHWM:");
}

} // namespace platform
