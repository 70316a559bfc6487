#include "platform/handler_guard.h"

#include <exception>
#include <new>

#include "platform/services.h"

namespace lenzora {

bool guardHandler(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::bad_alloc&) {
        ShowErrorReport("Out of memory");
    } catch (const std::exception& e) {
        ShowErrorReport(e.what());
    }
    return false;
}

}  // namespace lenzora
