#pragma once
// libtiff reading from and writing to memory, with the library's messages kept per file
// rather than printed.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <tiffio.h>

#include "platform/file_io.h"

namespace lenzora::raster::detail {

struct TiffStream {
    std::span<const std::uint8_t> input;  // reading
    platform::Bytes* output = nullptr;    // writing into memory
    // Writing elsewhere: the bytes at an offset. An exception it throws fails the library's
    // write and is kept in writeFailure.
    std::function<void(std::uint64_t offset, std::span<const std::uint8_t> bytes)> writeAt;
    std::uint64_t length = 0;  // written through writeAt: the end of the furthest write
    std::uint64_t position = 0;
    std::string firstError;
    std::exception_ptr writeFailure;
    // While set, every write is kept here as well (where, what): the last few, the picture's
    // directory, to be read back.
    bool keepWrites = false;
    std::vector<std::pair<std::uint64_t, platform::Bytes>> keptWrites;
};

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Opens the stream ("r" reads `input`, "wl" writes `output`); a failure throws the error.
TiffHandle openTiff(TiffStream& stream, const char* mode);

// Writes `bytes` at `offset` into the stream's memory or through its writeAt.
void writeTiffBytes(TiffStream& stream, std::uint64_t offset, std::span<const std::uint8_t> bytes);

// Error("TIFF error: <the library's first message, or `fallback`>"), or the failure of
// writeAt as it was thrown.
[[noreturn]] void throwTiffError(const TiffStream& stream, const char* fallback);

}  // namespace lenzora::raster::detail
