#pragma once
// Runs a program to its end and keeps what it printed.

#include <string>
#include <vector>

namespace lenzora::testing {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args);

}  // namespace lenzora::testing
