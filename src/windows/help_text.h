#pragma once

#include <QString>

namespace lenzora::windows {

// The lines of the help window's text box in the interface language; the program's own are
// Simplified Chinese.
QString helpText();

}  // namespace lenzora::windows
