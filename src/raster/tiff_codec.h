#pragma once
// TIFF files to and from memory, through libtiff (the only place the library is used).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "platform/file_io.h"
#include "raster/orientation.h"
#include "raster/raster_image.h"
#include "raster/row_reader.h"

namespace lenzora::raster {

// The first picture of the file as a 24-bit image. Read: grey (1, 8 and 16 bits, either
// polarity), RGB (8 and 16 bits), 8-bit palettes, CMYK (converted as CMYK JPEGs are) and
// YCbCr in JPEG compression; strips or tiles; every compression the library has. 16-bit
// samples are rounded to 8 bits and an alpha sample laid over white. The embedded colour
// profile (tag 34675), if any, goes to `iccProfile` when one is asked for, and the Orientation
// tag to `orientation`; the pixels stay as stored. Anything else, and
// anything the library refuses, throws Error("TIFF error: <reason>"); a picture beyond the
// decode limit is refused before its pixels are allocated.
RasterImage decodeTiff(std::span<const std::uint8_t> file, platform::Bytes* iccProfile = nullptr,
                       Orientation* orientation = nullptr);

// Reads and decodes a TIFF file. A file that cannot be opened gives "Cannot open file "<path>".
// <reason>", one that cannot be decoded "Cannot read file "<path>". TIFF error: <reason>".
RasterImage loadTiffFile(const std::filesystem::path& path, platform::Bytes* iccProfile = nullptr,
                         Orientation* orientation = nullptr);

// A TIFF file in strips row by row, in 24-bit colour; nothing for one in tiles and one the
// whole reader gives in 1 bit. The errors are loadTiffFile's.
std::unique_ptr<RowReader> openTiffRows(const std::filesystem::path& path);

struct TiffOptions {
    // Dots per inch in both directions as the exact fraction numerator / denominator;
    // a numerator of 0 writes no resolution.
    std::uint32_t resolutionNumerator = 0;
    std::uint32_t resolutionDenominator = 1;
    platform::Bytes iccProfile;  // empty: none
};

// A 1-bit image with the black-and-white palette gives a 1-bit CCITT Group 4 TIFF, any other
// image an 8-bit RGB one in Deflate compression. The file is built in memory (its directory
// points back into it) and is little-endian.
platform::Bytes encodeTiff(const RasterImage& image, const TiffOptions& options = {});

}  // namespace lenzora::raster
