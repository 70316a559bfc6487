#pragma once
// BMP files to and from memory. Reading accepts the core (12-byte) header and information
// headers of 40 bytes or more; depths 1, 4, 8, 16, 24 and 32; uncompressed, bit fields, RLE8
// and RLE4; bottom-up and top-down rows. Writing gives the plain 40-byte-header layout.

#include <QtGlobal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

#include "platform/file_io.h"
#include "platform/gathered_write.h"
#include "raster/raster_image.h"

namespace lenzora::raster {

inline constexpr const char* kBitmapNotValid =
    QT_TRANSLATE_NOOP("lenzora::raster", "Bitmap image is not valid");

// Throws Error(kBitmapNotValid) for anything that is not a readable BMP file. Header sizes are
// checked before anything is allocated; a file never gets an image larger than its data can
// describe.
RasterImage decodeBmp(std::span<const std::uint8_t> file);

// 16- and 32-bit files are held as 32-bit blue, green, red, unused. `pixelsPerMetre` goes into
// both resolution fields of the header (0: the file carries no resolution).
platform::Bytes encodeBmp(const RasterImage& image, std::int32_t pixelsPerMetre = 0);

// The file header, the information header and the palette (indexed formats): everything before
// the rows, which follow bottom to top, each strideFor() bytes.
platform::Bytes bmpHeader(PixelFormat format, std::int32_t width, std::int32_t height,
                          const std::vector<Colour>& palette, std::int32_t pixelsPerMetre = 0);

// The same bytes handed to `sink` a few pieces at a time, so no copy of the whole file is
// made: rows that can stand in the file as they are (whole bytes per pixel, zero padding) go
// straight from the image, many to a call; others are copied a block of rows at a time.
void writeBmp(const RasterImage& image, const std::function<void(platform::Pieces)>& sink,
              std::int32_t pixelsPerMetre = 0);

// Writes the file through platform::SaveFile: a failure leaves an earlier file of that name as
// it was, and is reported as "Cannot create file "<path>". <reason>".
void saveBmpFile(const RasterImage& image, const std::filesystem::path& path,
                 std::int32_t pixelsPerMetre = 0);

}  // namespace lenzora::raster
