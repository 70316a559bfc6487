#pragma once
// PNG files to and from memory, through libpng (the only place the library is used).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>

#include "platform/file_io.h"
#include "raster/orientation.h"
#include "raster/raster_image.h"
#include "raster/row_reader.h"

namespace lenzora::raster {

// Every kind of PNG gives a 24-bit image: grey, palette and low depths are expanded, 16-bit
// samples rounded to 8 bits, transparency (alpha or a transparent colour) laid over white.
// The embedded colour profile (iCCP), if any, goes to `iccProfile` when one is asked for, and
// the orientation of an Exif block (an eXIf chunk before the pixels) to `orientation`; the
// pixels stay as stored.
// Anything the library refuses throws Error("PNG error: <the library's reason>"); a picture
// beyond the decode limit is refused before its pixels are allocated.
RasterImage decodePng(std::span<const std::uint8_t> file, platform::Bytes* iccProfile = nullptr,
                      Orientation* orientation = nullptr);

// Reads and decodes a PNG file. A file that cannot be opened gives "Cannot open file "<path>".
// <reason>", one that cannot be decoded "Cannot read file "<path>". PNG error: <reason>".
RasterImage loadPngFile(const std::filesystem::path& path, platform::Bytes* iccProfile = nullptr,
                        Orientation* orientation = nullptr);

// A PNG file stored row after row, row by row, in 24-bit colour; nothing for an interlaced
// picture and one the whole reader gives in 1 bit. The errors are loadPngFile's.
std::unique_ptr<RowReader> openPngRows(const std::filesystem::path& path);

struct PngOptions {
    std::int32_t pixelsPerMetre = 0;  // 0: no pHYs chunk
    platform::Bytes iccProfile;       // empty: no iCCP chunk; never in a 1-bit file
};

// A PNG encoded a band of rows at a time, top to bottom: 8-bit RGB, or 1-bit grey when
// `oneBit` (bands of 1-bit black-and-white rows, and no profile). The bytes go to `sink` a
// block at a time; an exception thrown by the sink ends the encoding and reaches the caller as
// it was thrown.
class PngEncoder {
  public:
    PngEncoder(std::int32_t width, std::int32_t height, bool oneBit, const PngOptions& options,
               std::function<void(const std::uint8_t*, std::size_t)> sink);
    ~PngEncoder();
    PngEncoder(const PngEncoder&) = delete;
    PngEncoder& operator=(const PngEncoder&) = delete;

    // Rows 0 ... count - 1 of `band`, an image of the picture's width (in any format for RGB).
    void write(const RasterImage& band, std::int32_t count);
    // After the last row.
    void finish();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// A 1-bit image with the black-and-white palette gives a 1-bit grey PNG, any other image an
// 8-bit RGB one. The bytes go to `sink` a block at a time; an exception thrown by the sink
// ends the encoding and reaches the caller as it was thrown.
void writePng(const RasterImage& image, const PngOptions& options,
              const std::function<void(const std::uint8_t*, std::size_t)>& sink);

platform::Bytes encodePng(const RasterImage& image, const PngOptions& options = {});

}  // namespace lenzora::raster
