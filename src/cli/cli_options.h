#pragma once
// The arguments of one lenzora-cli subcommand, read by QCommandLineParser.

#include <QCommandLineParser>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lenzora::cli {

// Bad usage: the tool prints the message and its usage text and exits with status 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One option as typed ("--pitch", "-o"); a switch has no value name.
struct OptionDescription {
    const char* name;
    const char* valueName;
    const char* description;
};

// What a subcommand accepts, and what its --help says.
struct CommandDescription {
    const char* synopsis;  // the usage line(s), from "lenzora-cli" on
    const char* description;
    std::vector<OptionDescription> options;
    const char* positionalName = nullptr;  // none: the subcommand takes no file names
    const char* positionalDescription = nullptr;
};

class CommandLine {
  public:
    // Reads `args` (those after the subcommand's name); bad usage throws UsageError.
    CommandLine(const CommandDescription& command, const std::vector<std::string>& args);
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    bool helpAsked() const;
    std::string helpText() const;

    // Options by the name as typed, "--pitch" or "-o"; values are the argument's bytes.
    std::optional<std::string> value(std::string_view name) const;
    bool has(std::string_view name) const;
    const std::vector<std::string>& positional() const { return positional_; }

  private:
    bool takesValue(const QString& name) const;
    std::string problemText(const QStringList& arguments) const;

    QCommandLineParser parser_;
    std::string synopsis_;
    std::vector<OptionDescription> options_;
    std::vector<std::string> positional_;
};

}  // namespace lenzora::cli
