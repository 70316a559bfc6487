#include "cli/cli_options.h"

namespace lenzora::cli {

ParsedOptions::ParsedOptions(const std::vector<std::string>& args, const AcceptedOptions& accepted) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
            }
        }
        if (accepted.valued.count(name)) {
            if (inlineValue) {
                values_[name] = *inlineValue;
            } else if (i + 1 < args.size()) {
                values_[name] = args[++i];
            } else {
                throw UsageError("option " + name + " needs a value");
            }
        } else if (accepted.switches.count(name) && !inlineValue) {
            switches_.insert(name);
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            throw UsageError("unknown option " + arg);
        } else {
            positional_.push_back(arg);
        }
    }
}

std::optional<std::string> ParsedOptions::value(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

}  // namespace lenzora::cli
