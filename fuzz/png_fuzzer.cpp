// Feeds arbitrary bytes to the PNG reader, asking for the colour profile too. Anything it
// accepts must be a whole picture that survives being written and read back.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/error.h"
#include "raster/png_codec.h"
#include "raster/size_limit.h"

// Larger pictures take the reader no new paths, only memory and time; what a hostile header
// makes the reader allocate besides the picture is still checked, at any size.
constexpr std::uint64_t kFuzzMaxPixels = 2'000'000;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    lenzora::raster::setMaxImagePixels(kFuzzMaxPixels);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lenzora::raster;
    lenzora::platform::Bytes profile;
    Orientation orientation = Orientation::AsStored;  // the eXIf chunk is read too
    RasterImage image;
    try {
        image = decodePng(std::span<const std::uint8_t>(data, size), &profile, &orientation);
    } catch (const lenzora::platform::Error&) {
        return 0;
    }
    if (image.empty() ||
        (image.format() != PixelFormat::Bgr24 && image.format() != PixelFormat::Indexed1))
        __builtin_trap();
    // Small pictures only: a large one would spend the run encoding.
    if (std::int64_t{image.width()} * image.height() > 1 << 16) return 0;
    const RasterImage back = decodePng(encodePng(image));
    if (back.width() != image.width() || back.height() != image.height()) __builtin_trap();
    for (std::int32_t y = 0; y < image.height(); ++y)
        for (std::int32_t x = 0; x < image.width(); ++x)
            if (!(back.pixel(x, y) == image.pixel(x, y))) __builtin_trap();
    return 0;
}
