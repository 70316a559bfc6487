#pragma once
// JPEG files to and from memory, through libjpeg (the only place the library is used).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>

#include "platform/file_io.h"
#include "raster/decoded_rows.h"
#include "raster/orientation.h"
#include "raster/raster_image.h"
#include "raster/row_reader.h"

namespace lenzora::raster {

// A colour file gives a 24-bit image; a grey-scale file an 8-bit indexed image of at most 236
// grey levels; a CMYK or YCCK file is converted to 24-bit colour. Decoding a colour file for a
// display of 8 bits per pixel or fewer gives an 8-bit image of at most 236 colours. Any decoder
// error, and data that ends before the image does, throws Error("JPEG error #N") with the
// library's message number. The embedded colour profile (APP2 segments), if any, goes to
// `iccProfile` when one is asked for, and the orientation of its Exif block (APP1) to
// `orientation`, set before the rows are begun; the pixels stay as stored.
RasterImage decodeJpeg(std::span<const std::uint8_t> file,
                       int displayBitsPerPixel = kDisplayBitsPerPixel,
                       platform::Bytes* iccProfile = nullptr, Orientation* orientation = nullptr);

// The same rows handed to `out` as they are decoded; the palette of an 8-bit image last.
void decodeJpegRows(std::span<const std::uint8_t> file, DecodedRows& out,
                    int displayBitsPerPixel = kDisplayBitsPerPixel,
                    platform::Bytes* iccProfile = nullptr, Orientation* orientation = nullptr);

// Reads and decodes a JPEG file.
RasterImage loadJpegFile(const std::filesystem::path& path, platform::Bytes* iccProfile = nullptr,
                         Orientation* orientation = nullptr);
void loadJpegFileRows(const std::filesystem::path& path, DecodedRows& out,
                      platform::Bytes* iccProfile = nullptr, Orientation* orientation = nullptr);

// Every JPEG file row by row, in 24-bit colour: a grey-scale one's rows are its 8-bit image's
// palette looked up. The errors are loadJpegFileRows's.
std::unique_ptr<RowReader> openJpegRows(const std::filesystem::path& path);

struct JpegOptions {
    int quality = 90;
    int dotsPerInch = 0;  // 0: the encoder's default density fields
    // The body of an APP1 segment ("Exif\0\0" and a TIFF structure) written right after the
    // JFIF header; empty: none. At most 65533 bytes.
    platform::Bytes exif;
    // A colour profile written in APP2 segments after the Exif one; empty: none.
    platform::Bytes iccProfile;
};

// Takes the encoded bytes a block at a time.
using ByteSink = std::function<void(const std::uint8_t*, std::size_t)>;

// The most pixels a side of a JPEG may have.
inline constexpr std::int32_t kMaxJpegSide = 65500;

// A JPEG encoded a band of rows at a time, top to bottom. Baseline, three components, no chroma
// subsampling. An exception thrown by the sink ends the encoding and reaches the caller as it
// was thrown.
class JpegEncoder {
  public:
    // A side beyond kMaxJpegSide is refused with the library's error before the sink is used.
    JpegEncoder(std::int32_t width, std::int32_t height, const JpegOptions& options, ByteSink sink);
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    // Rows 0 ... count - 1 of `band`, an image of the picture's width in any format.
    void write(const RasterImage& band, std::int32_t count);
    // After the last row.
    void finish();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The whole image through a JpegEncoder.
void writeJpeg(const RasterImage& image, const JpegOptions& options, const ByteSink& sink);

// The same bytes in memory.
platform::Bytes encodeJpeg(const RasterImage& image, const JpegOptions& options = {});

}  // namespace lenzora::raster
