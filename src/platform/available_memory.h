#pragma once
// How much more memory this process can take now, as the system's memory status reports it.

#include <cstdint>

namespace lenzora::platform {

// The memory the system could hand out without swapping (MemAvailable), or the free pages
// where that figure is missing; never more than this process's address-space limit (ulimit -v)
// or its control group's memory limit leaves.
std::uint64_t availableMemoryBytes();

}  // namespace lenzora::platform
