#include "platform/available_memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <optional>
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

// A number alone in a file, or nothing ("max", a missing file).
std::optional<std::uint64_t> numberIn(const std::string& path) {
    std::ifstream file(path);
    std::uint64_t value = 0;
    if (!(file >> value)) return std::nullopt;
    return value;
}

// What a control group's memory limit still leaves: memory.max less memory.current (cgroup
// v2, the group named in /proc/self/cgroup, else the root of the mount as a container sees
// it), or limit_in_bytes less usage_in_bytes (v1).
std::uint64_t controlGroupLeft() {
    std::ifstream groups("/proc/self/cgroup");
    std::string line;
    std::string group;
    while (std::getline(groups, line)) {
        if (line.rfind("0::", 0) == 0) group = line.substr(3);
    }
    const std::string v2 = "/sys/fs/cgroup";
    const std::string v1 = "/sys/fs/cgroup/memory";
    const std::pair<std::string, std::string> places[] = {
        {v2 + group + "/memory.max", v2 + group + "/memory.current"},
        {v2 + "/memory.max", v2 + "/memory.current"},
        {v1 + "/memory.limit_in_bytes", v1 + "/memory.usage_in_bytes"},
    };
    for (const auto& [limitFile, usedFile] : places) {
        const std::optional<std::uint64_t> limit = numberIn(limitFile);
        const std::optional<std::uint64_t> used = numberIn(usedFile);
        if (limit && used) return *limit > *used ? *limit - *used : 0;
    }
    return std::numeric_limits<std::uint64_t>::max();
}

}  // namespace

std::uint64_t availableMemoryBytes() {
    std::uint64_t system = memAvailable();
    if (system == 0) system = freePages();
    return std::min({system, addressSpaceLeft(), controlGroupLeft()});
}

}  // namespace lenzora::platform
