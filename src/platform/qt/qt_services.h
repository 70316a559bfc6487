#pragma once
// The desktop program's services: Qt message boxes, the desktop's browser, the busy cursor.

#include "platform/services.h"

namespace lenzora::platform {

Services qtServices();

}  // namespace lenzora::platform
