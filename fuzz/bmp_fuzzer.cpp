// Feeds arbitrary bytes to the BMP reader. Anything it accepts must also survive writing,
// reading back and being drawn into a colour image.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/error.h"
#include "raster/bmp_codec.h"
#include "raster/size_limit.h"

// Pictures of more than two megapixels take the reader no new paths, only time: refusing
// them keeps the run above a thousand inputs a second.
constexpr std::uint64_t kFuzzMaxPixels = 2'000'000;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    lenzora::raster::setMaxImagePixels(kFuzzMaxPixels);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lenzora::raster;
    RasterImage image;
    try {
        image = decodeBmp(std::span<const std::uint8_t>(data, size));
    } catch (const lenzora::platform::Error&) {
        return 0;
    }
    RasterImage back = decodeBmp(encodeBmp(image));
    if (back.width() != image.width() || back.height() != image.height()) __builtin_trap();
    RasterImage canvas;
    canvas.create(PixelFormat::Bgr24, 17, 13);
    canvas.stretchImage({1, 1, 16, 12}, image);
    canvas.stretchImage({0, 0, 17, 13}, image, 8);
    canvas.drawImageAt(-3, -2, image);
    return 0;
}
