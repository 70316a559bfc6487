#include "raster/decode_limit.h"

#include <limits>
#include <string>

#include "platform/error.h"

namespace lenzora::raster {

void checkDecodedSize(std::uint64_t width, std::uint64_t height) {
    constexpr std::uint64_t kMaxSide = std::numeric_limits<std::int32_t>::max() / 4;
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxDecodedPixels) {
        throw platform::Error("The picture is too large (" + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels)");
    }
}

}  // namespace lenzora::raster
