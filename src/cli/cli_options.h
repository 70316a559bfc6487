#pragma once
// Command-line parsing for lenzora-cli: "--name value" options, "--flag" switches,
// "-o OUT", and positional arguments.

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace lenzora::cli {

// Bad usage: the tool prints the message and its usage text and exits with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct AcceptedOptions {
    std::set<std::string> valued;    // e.g. "--pitch", "-o"
    std::set<std::string> switches;  // e.g. "--json"
};

class ParsedOptions {
public:
    ParsedOptions(const std::vector<std::string>& args, const AcceptedOptions& accepted);

    std::optional<std::string> value(const std::string& name) const;
    bool has(const std::string& name) const { return switches_.count(name) > 0; }
    const std::vector<std::string>& positional() const { return positional_; }

private:
    std::map<std::string, std::string> values_;
    std::set<std::string> switches_;
    std::vector<std::string> positional_;
};

}  // namespace lenzora::cli
