#pragma once
// The per-slot files in the working folder: working copies of JPEG frames ("t01.bmp")
// and strip images ("x01.bmp"), two-digit slot numbers 01 ... 16.

#include <string>

namespace lenzora::core {

std::string workingCopyPath(int slot);  // "c:\lz3d\tNN.bmp"
std::string stripFilePath(int slot);    // "c:\lz3d\xNN.bmp"

// Deletes the working files of all 16 slots; missing or locked ones are skipped.
void removeWorkingFiles();

}  // namespace lenzora::core
