#pragma once
// Operating-system failures in the program's own words ("File not found", "Disk full"),
// the same whatever the system's language.

#include <string>

namespace lenzora::platform {

// "File not found", "File access denied", "Disk full" or "I/O error %d".
std::string ioErrorText(int errnoValue);

// Throws Error with ioErrorText(errnoValue).
[[noreturn]] void throwIoError(int errnoValue);

}  // namespace lenzora::platform
