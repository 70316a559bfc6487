// Feeds arbitrary bytes to the JPEG reader.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/error.h"
#include "raster/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lenzora::raster;
    try {
        RasterImage image = decodeJpeg(std::span<const std::uint8_t>(data, size));
        if (image.empty()) __builtin_trap();
    } catch (const lenzora::platform::Error&) {
    }
    return 0;
}
