#pragma once
// The program names its files with drive paths ("c:\lz3d\3d.cfg"). On Linux the drive
// c: is the folder "c" under the program's data folder (~/.local/share/lenzora/c).

#include <filesystem>
#include <string_view>

namespace lenzora::platform {

// The folder that holds the drive folders. Defaults to the user's data folder.
std::filesystem::path driveRoot();

// Points every drive path somewhere else (tests, the batch tool's work folder).
// An empty path restores the default.
void setDriveRoot(const std::filesystem::path& root);

// Puts one drive folder somewhere else: with ("c:\lz3d", dir), "c:\lz3d\t01.bmp" is
// dir/t01.bmp (the batch tool's work folder). An empty folder removes the mapping.
void setFolderMapping(std::string_view driveFolder, const std::filesystem::path& hostFolder);

// "c:\lz3d\t01.bmp" -> <root>/c/lz3d/t01.bmp. A text without a drive letter is already a
// host path and is returned as it stands.
std::filesystem::path hostPath(std::string_view drivePath);

}  // namespace lenzora::platform

namespace lenzora::platform {

// Makes sure the drive folder of `drivePath` exists (a real drive always does).
void prepareDrive(std::string_view drivePath);

}  // namespace lenzora::platform
