#pragma once

namespace lenzora::help {

// The lines of the help window's text box, in Simplified Chinese, UTF-8.
const char* helpText();

}  // namespace lenzora::help
