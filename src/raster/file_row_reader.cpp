#include "raster/file_row_reader.h"

#include <algorithm>
#include <utility>

#include "raster/decode_file.h"

namespace lenzora::raster {

FileRowReader::FileRowReader(std::filesystem::path path, bool nameDecodeErrors)
    : path_(std::move(path)), nameDecodeErrors_(nameDecodeErrors), file_(mapPictureFile(path_)) {}

std::span<const std::uint8_t> FileRowReader::fileBytes() const {
    return {file_->data(), file_->size()};
}

void FileRowReader::named(const std::function<void()>& decode) const {
    nameFileErrors(path_, decode, nameDecodeErrors_);
}

void FileRowReader::setSize(std::int32_t width, std::int32_t height) {
    width_ = width;
    height_ = height;
}

void FileRowReader::readTo(std::int32_t end,
                           const std::function<std::uint8_t*(std::int32_t)>& rowAt) {
    end = std::min(end, height_);
    named([&] {
        for (; rowsRead_ < end; ++rowsRead_) readRow(rowAt(rowsRead_));
    });
}

}  // namespace lenzora::raster
