#pragma once
// The one exception type of the program: it carries the text the user sees.
// Handlers let it fly; the handler boundary shows it in the general error report.

#include <stdexcept>
#include <string>

namespace lenzora::platform {

class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& userText) : std::runtime_error(userText) {}
};

}  // namespace lenzora::platform
