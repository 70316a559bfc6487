#pragma once
// The one-line settings file "c:\lz3d\3d.cfg": nine numbers, each followed by one blank
// but the last, ended by CR LF.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/numbers.h"
#include "core/output_settings.h"

namespace lenzora::core {

inline constexpr const char* kWorkingFolder = "c:\\lz3d";
inline constexpr const char* kSettingsFile = "c:\\lz3d\\3d.cfg";

struct StoredSettings {
    std::int32_t reserved1 = 0;
    std::int32_t mode = kModeColumns;
    FixedCount pitch = 422750;
    std::int32_t reserved2 = 0;
    std::int32_t reserved3 = 0;
    FixedCount width = 2870000;
    FixedCount height = 2000000;
    std::int32_t sizeUnit = kUnitMillimetres;
    std::int32_t errorAdjustment = 0;

    bool operator==(const StoredSettings&) const = default;
};

// Reads the nine fields in order. Blanks and control characters separate the numbers
// (so they may span lines); a number missing at the end of the file reads as 0; anything
// after the ninth is ignored. A token that is not a number of its field's kind raises
// "Invalid numeric input".
StoredSettings parseSettings(std::string_view text);

std::string formatSettings(const StoredSettings& settings);

// nullopt when the file does not exist; I/O failures raise the I/O error texts, and so does
// a name that is not a regular file (a pipe, a device). Only the first 64 KiB are read.
std::optional<StoredSettings> readSettingsFile(const std::filesystem::path& path);

// Replaces the file whole through platform::SaveFile, so a failure leaves the old one.
void writeSettingsFile(const std::filesystem::path& path, const StoredSettings& settings);

// Start-up: reads the file, or writes it with the defaults when it is missing. A file
// that cannot be read gives the defaults, and `problem` carries the error text for the
// error report; a pitch of zero or below is replaced by the default pitch alone.
struct RestoredSettings {
    StoredSettings values;
    std::optional<std::string> problem;
};
RestoredSettings restoreSettings(const std::filesystem::path& path);

// The record's view of the file, and back.
void applyStoredSettings(const StoredSettings& stored, OutputSettings& settings);
StoredSettings storedFrom(const OutputSettings& settings);

}  // namespace lenzora::core
