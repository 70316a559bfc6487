#pragma once
// The handler boundary: every event handler runs inside guardHandler, which shows any
// error in the general error report so the handler's remaining steps are skipped and
// the program goes on.

#include <functional>
#include <string>

namespace lenzora::platform {

// Returns true when the handler ran to its end.
bool guardHandler(const std::function<void()>& handler);
// The same, with the error's text handed to `report` instead of the general error report.
bool guardHandler(const std::function<void()>& handler,
                  const std::function<void(const std::string&)>& report);

}  // namespace lenzora::platform
