#pragma once

#include <QString>

namespace lenzora::platform {

// The resolution, in dots per inch, that a CUPS queue prints at by default: its
// "Resolution" option, else its driver's default; 0 when it does not say.
int cupsQueueResolution(const QString& queue);

}  // namespace lenzora::platform
