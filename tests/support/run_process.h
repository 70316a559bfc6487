#pragma once
// Runs a program to its end and keeps what it printed.

#include <cstdint>
#include <string>
#include <vector>

namespace lenzora::testing {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args);

// The same with the program's address space limited to `bytes` (ulimit -v; 0: no limit) and
// `environment` ("NAME=value" texts) added to its environment.
ProcessResult runLimitedProcess(std::uint64_t bytes, const std::vector<std::string>& environment,
                                const std::string& program, const std::vector<std::string>& args);

// AddressSanitizer reserves terabytes of address space at start: a limited process could not
// even start under it.
constexpr bool kAddressSanitizer =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
    __has_feature(address_sanitizer);
#else
    false;
#endif

}  // namespace lenzora::testing
