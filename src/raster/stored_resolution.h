#pragma once
// The resolution a picture file states in its header, for work that starts from a saved
// composite rather than from the settings it was made with.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace lenzora::raster {

// Dots per inch as the file states them across its width: a BMP's pixels per metre (in the
// program's own conversion), a PNG's pHYs in metres, a JPEG's JFIF density in inches or
// centimetres, a TIFF's XResolution in inches or centimetres. Nothing for a file that states
// none, states it without a unit, or is none of these formats.
std::optional<double> storedDotsPerInch(std::span<const std::uint8_t> file);

// The same for a file on disk; a file that cannot be opened throws its error.
std::optional<double> storedDotsPerInch(const std::filesystem::path& path);

}  // namespace lenzora::raster
