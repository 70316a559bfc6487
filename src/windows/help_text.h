#pragma once

namespace lenzora::windows {

// The lines of the help window's text box, in Simplified Chinese, UTF-8.
const char* helpText();

}  // namespace lenzora::windows
