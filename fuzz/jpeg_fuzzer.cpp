// Feeds arbitrary bytes to the JPEG reader, and turns what it reads as its Exif block says.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/error.h"
#include "raster/jpeg_codec.h"
#include "raster/orientation.h"
#include "raster/size_limit.h"

// Pictures of more than a megapixel take our code no new paths, only the decoder's time:
// refusing them keeps the run above a thousand inputs a second.
constexpr std::uint64_t kFuzzMaxPixels = 1'000'000;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    lenzora::raster::setMaxImagePixels(kFuzzMaxPixels);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lenzora::raster;
    try {
        Orientation orientation = Orientation::AsStored;
        RasterImage image = decodeJpeg(std::span<const std::uint8_t>(data, size),
                                       kDisplayBitsPerPixel, nullptr, &orientation);
        if (image.empty()) __builtin_trap();
        const std::int32_t width = image.width();
        const std::int32_t height = image.height();
        turnUpright(image, orientation);
        const bool swapped = swapsSides(orientation);
        if (image.width() != (swapped ? height : width) ||
            image.height() != (swapped ? width : height))
            __builtin_trap();
    } catch (const lenzora::platform::Error&) {
    }
    return 0;
}
