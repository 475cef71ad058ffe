// The process's memory as the machine counts it, for the soak runs and the
// memory benchmarks.
#pragma once

#include <cstdint>

namespace platform {

// Resident memory now, and the most it has been; 0 where the machine does
// not tell.
std::uint64_t ResidentBytes();
std::uint64_t PeakResidentBytes();

} // namespace platform
