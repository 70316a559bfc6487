#include "platform/handler_guard.h"

#include <exception>
#include <new>

#include "platform/interruption.h"
#include "platform/services.h"
#include "platform/translation.h"

namespace lenzora::platform {

bool guardHandler(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const Interrupted&) {
        // The program is being ended; the handler's work is dropped without a report.
    } catch (const std::bad_alloc&) {
        showErrorReport(translate("lenzora::platform", "Out of memory"));
    } catch (const std::exception& e) {
        showErrorReport(e.what());
    }
    return false;
}

}  // namespace lenzora::platform
