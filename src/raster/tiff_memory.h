#pragma once
// libtiff reading from and writing to memory, with the library's messages kept per file
// rather than printed.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include <tiffio.h>

#include "platform/file_io.h"

namespace lenzora::raster::detail {

struct TiffStream {
    std::span<const std::uint8_t> input;  // reading
    platform::Bytes* output = nullptr;    // writing
    std::uint64_t position = 0;
    std::string firstError;
};

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Opens the stream ("r" reads `input`, "wl" writes `output`); a failure throws the error.
TiffHandle openTiff(TiffStream& stream, const char* mode);

// Error("TIFF error: <the library's first message, or `fallback`>").
[[noreturn]] void throwTiffError(const TiffStream& stream, const char* fallback);

}  // namespace lenzora::raster::detail
