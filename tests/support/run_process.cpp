#include "support/run_process.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace lenzora::testing {
namespace {

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args) {
    TempDir dir;
    std::string command = quoted(program);
    for (const std::string& arg : args) command += " " + quoted(arg);
    command +=
        " </dev/null >" + quoted((dir / "out").string()) + " 2>" + quoted((dir / "err").string());
    int status = std::system(command.c_str());
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = slurp(dir / "out");
    result.err = slurp(dir / "err");
    return result;
}

ProcessResult runLimitedProcess(std::uint64_t bytes, const std::vector<std::string>& environment,
                                const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> shellArgs = {
        "-c",
        "ulimit -v " + (bytes == 0 ? std::string("unlimited") : std::to_string(bytes / 1024)) +
            " && exec env \"$@\"",
        "sh"};
    shellArgs.insert(shellArgs.end(), environment.begin(), environment.end());
    shellArgs.push_back(program);
    shellArgs.insert(shellArgs.end(), args.begin(), args.end());
    return runProcess("/bin/sh", shellArgs);
}

}  // namespace lenzora::testing
