#pragma once
// What the readers of JPEG, PNG and TIFF files row by row share: the file kept mapped while
// the rows are read, what its header says, and the whole reader's errors, naming the file as
// it names it.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>

#include "platform/file_io.h"
#include "raster/row_reader.h"

namespace lenzora::raster {

class FileRowReader : public RowReader {
  public:
    std::int32_t width() const override { return width_; }
    std::int32_t height() const override { return height_; }
    const platform::Bytes& colourProfile() const override { return profile_; }
    Orientation orientation() const override { return orientation_; }
    std::int32_t rowsRead() const override { return rowsRead_; }
    // Rows past the picture's end are not read.
    void readTo(std::int32_t end, const std::function<std::uint8_t*(std::int32_t)>& rowAt) final;

  protected:
    // Maps the file; `nameDecodeErrors` as the format's whole reader passes it to readFileWith.
    FileRowReader(std::filesystem::path path, bool nameDecodeErrors);

    std::span<const std::uint8_t> fileBytes() const;
    // Runs a part of the decoding with its errors named as the whole reader's.
    void named(const std::function<void()>& decode) const;
    // Where the decoding puts the colour profile and orientation it finds.
    platform::Bytes* profileFound() { return &profile_; }
    Orientation* orientationFound() { return &orientation_; }
    void setSize(std::int32_t width, std::int32_t height);

  private:
    // Decodes the next row into `bgr`, room for width() pixels of blue, green, red.
    virtual void readRow(std::uint8_t* bgr) = 0;

    std::filesystem::path path_;
    bool nameDecodeErrors_;
    std::unique_ptr<platform::MappedFile> file_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    platform::Bytes profile_;
    Orientation orientation_ = Orientation::AsStored;
    std::int32_t rowsRead_ = 0;
};

}  // namespace lenzora::raster
