#pragma once
// The per-slot files in the working folder: working copies of JPEG, PNG and TIFF frames
// ("t01.bmp"), frames converted to the compose's colour profile ("c01.bmp") and strip images
// ("x01.bmp"), two-digit slot numbers 01 ... 16.

#include <string>

namespace lenzora::core {

std::string workingCopyPath(int slot);  // "c:\lz3d\tNN.bmp"
std::string stripFilePath(int slot);    // "c:\lz3d\xNN.bmp"
std::string colourCopyPath(int slot);   // "c:\lz3d\cNN.bmp"

// Deletes the working files of all 16 slots; missing or locked ones are skipped.
void removeWorkingFiles();

}  // namespace lenzora::core
