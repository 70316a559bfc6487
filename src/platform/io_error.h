#pragma once
// Operating-system failures in the words the program has always used for them.

#include <string>

namespace lenzora::platform {

// "File not found", "File access denied", "Disk full" or "I/O error %d".
std::string ioErrorText(int errnoValue);

// Throws Error with ioErrorText(errnoValue).
[[noreturn]] void throwIoError(int errnoValue);

}  // namespace lenzora::platform
