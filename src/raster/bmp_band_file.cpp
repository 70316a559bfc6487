#include "raster/bmp_band_file.h"

#include <string>
#include <vector>

#include "platform/error.h"
#include "raster/bmp_codec.h"

namespace lenzora::raster {
namespace {

[[noreturn]] void cannotCreate(const std::filesystem::path& path, const platform::Error& e) {
    throw platform::Error("Cannot create file \"" + path.string() + "\". " + e.what());
}

}  // namespace

BmpBandFile::BmpBandFile(const std::filesystem::path& path, PixelFormat format, std::int32_t width,
                         std::int32_t height) try
    : path_(path), height_(height), stride_(RasterImage::strideFor(format, width)), file_(path) {
    const platform::Bytes header = bmpHeader(format, width, height, {});
    dataOffset_ = header.size();
    file_.write(header.data(), header.size());
} catch (const platform::Error& e) {
    cannotCreate(path, e);
}

void BmpBandFile::write(std::int32_t top, const RasterImage& band, std::int32_t count) {
    if (count <= 0) return;
    // Bottom to top: the band's last row comes first in the file.
    std::vector<std::span<const std::uint8_t>> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = count - 1; i >= 0; --i)
        rows.emplace_back(band.row(i), static_cast<std::size_t>(stride_));
    const auto lowest = static_cast<std::uint64_t>(height_ - (top + count));
    try {
        file_.writeAt(dataOffset_ + lowest * stride_, rows);
    } catch (const platform::Error& e) {
        cannotCreate(path_, e);
    }
}

void BmpBandFile::commit() {
    try {
        file_.commit();
    } catch (const platform::Error& e) {
        cannotCreate(path_, e);
    }
}

}  // namespace lenzora::raster
