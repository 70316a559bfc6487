#include "output/print_image.h"

#include <algorithm>

namespace lenzora::output {

void printStretched(platform::Printer& printer, const raster::RasterImage& image,
                    const raster::Rect& target, std::size_t bandBytes) {
    if (image.empty()) return;
    const std::int64_t left = std::max<std::int64_t>(target.left, 0);
    const std::int64_t top = std::max<std::int64_t>(target.top, 0);
    const std::int64_t right = std::min<std::int64_t>(target.right, printer.printableWidth());
    const std::int64_t bottom = std::min<std::int64_t>(target.bottom, printer.printableHeight());
    if (right <= left || bottom <= top) return;

    const bool oneBit = image.format() == raster::PixelFormat::Indexed1;
    const raster::PixelFormat format =
        oneBit ? raster::PixelFormat::Indexed1 : raster::PixelFormat::Bgr24;
    const auto width = static_cast<std::int32_t>(right - left);
    const std::size_t stride = raster::RasterImage::strideFor(format, width);
    const auto bandRows = static_cast<std::int32_t>(
        std::clamp<std::size_t>(bandBytes / std::max<std::size_t>(stride, 1), 1, 1 << 20));

    raster::RasterImage band;
    for (auto y0 = static_cast<std::int32_t>(top); y0 < bottom; y0 += bandRows) {
        const auto rows = static_cast<std::int32_t>(std::min<std::int64_t>(bandRows, bottom - y0));
        band.create(format, width, rows);
        // The whole target, shifted so that this band's rows land in the band image.
        const raster::Rect shifted{static_cast<std::int32_t>(target.left - left), target.top - y0,
                                   static_cast<std::int32_t>(target.right - left),
                                   target.bottom - y0};
        band.stretchImage(shifted, image, printer.bitsPerPixel());
        platform::PixelBand pixels;
        pixels.width = band.width();
        pixels.height = band.height();
        pixels.stride = band.stride();
        pixels.bitsPerPixel = oneBit ? 1 : 24;
        pixels.rows = band.row(0);
        printer.drawBand(static_cast<std::int32_t>(left), y0, pixels);
    }
}

}  // namespace lenzora::output
