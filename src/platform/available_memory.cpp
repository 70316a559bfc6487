#include "platform/available_memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>

namespace lenzora::platform {
namespace {

// The "MemAvailable:" line of /proc/meminfo in bytes, or 0 when there is none.
std::uint64_t memAvailable() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kib = 0;
    std::string unit;
    while (meminfo >> key >> kib >> unit) {
        if (key == "MemAvailable:") return kib * 1024;
    }
    return 0;
}

std::uint64_t freePages() {
    const long pages = ::sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return std::numeric_limits<std::uint64_t>::max();
    return std::uint64_t(pages) * std::uint64_t(pageSize);
}

// What an address-space limit (ulimit -v) still leaves: the limit less the mapped size.
std::uint64_t addressSpaceLeft() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<std::uint64_t>::max();
    std::ifstream statm("/proc/self/statm");
    std::uint64_t mappedPages = 0;
    statm >> mappedPages;
    const std::uint64_t mapped = mappedPages * std::uint64_t(::sysconf(_SC_PAGESIZE));
    return limit.rlim_cur > mapped ? limit.rlim_cur - mapped : 0;
}

}  // namespace

std::uint64_t availableMemoryBytes() {
    std::uint64_t system = memAvailable();
    if (system == 0) system = freePages();
    return std::min(system, addressSpaceLeft());
}

}  // namespace lenzora::platform
