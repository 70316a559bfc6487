#pragma once
// A picture's rows decoded on demand, top to bottom: a compose that needs a few rows of each of
// sixteen frames at a time keeps sixteen readers open and asks each for the rows the next band
// of the composite shows, so that no frame is ever held whole.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/file_io.h"
#include "raster/orientation.h"

namespace lenzora::raster {

class RowReader {
  public:
    virtual ~RowReader() = default;

    // The picture's size (as stored, before any turn upright), known once it is open and
    // checked against the size limit like a whole picture.
    virtual std::int32_t width() const = 0;
    virtual std::int32_t height() const = 0;
    // The embedded RGB colour profile (empty: none) and the recorded orientation, as the whole
    // picture's reader gives them.
    virtual const platform::Bytes& colourProfile() const = 0;
    virtual Orientation orientation() const = 0;

    // Rows decoded so far: the next row read is this one.
    virtual std::int32_t rowsRead() const = 0;
    // Decodes exactly rows [rowsRead(), end) in 24-bit blue, green, red, the same pixels the
    // whole picture's reader gives (as 24-bit): row y goes to `rowAt(y)`, which has room for
    // width() pixels. A file that ends early or is damaged throws the whole reader's error.
    virtual void readTo(std::int32_t end,
                        const std::function<std::uint8_t*(std::int32_t)>& rowAt) = 0;
};

// Opens `path` for reading row by row when its format can be (a row of the format table with
// an opener) and this picture's rows decode in order as 24-bit colour; otherwise nothing, and
// the picture is read whole. Errors of the file (missing, not of its format) throw as the
// whole reader's do.
using RowReaderOpener = std::unique_ptr<RowReader> (*)(const std::filesystem::path& path);

}  // namespace lenzora::raster
