#include "platform/handler_guard.h"

#include <exception>
#include <new>

#include "platform/interruption.h"
#include "platform/services.h"
#include "platform/translation.h"

namespace lenzora::platform {

bool guardHandler(const std::function<void()>& handler) {
    return guardHandler(handler, [](const std::string& text) { showErrorReport(text); });
}

bool guardHandler(const std::function<void()>& handler,
                  const std::function<void(const std::string&)>& report) {
    try {
        handler();
        return true;
    } catch (const Interrupted&) {
        // The program is being ended; the handler's work is dropped without a report.
    } catch (const std::bad_alloc&) {
        report(translate("lenzora::platform", "Out of memory"));
    } catch (const std::exception& e) {
        report(e.what());
    }
    return false;
}

}  // namespace lenzora::platform
