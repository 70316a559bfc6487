#include "interlace/output_size.h"

#include "app/output_settings.h"

namespace lenzora {
namespace {

std::int32_t composeDimension(long double value, std::int32_t unit, FixedCount resolution,
                              std::int32_t current) {
    const long double r = static_cast<long double>(resolution);
    switch (unit) {
        case kUnitMillimetres:
            return toPixelCount(value / 25.4L * r / 10000.0L, Rounding::Truncate);
        case kUnitInches:
            return toPixelCount(value * r / 10000.0L, Rounding::Truncate);
        case kUnitPixels:
            return toPixelCount(value, Rounding::Truncate);
        default:
            return current;
    }
}

}  // namespace

void composeOutputSize(std::int32_t& W, std::int32_t& H, std::int32_t unit,
                       std::string_view widthText, std::string_view heightText,
                       FixedCount resolution) {
    W = composeDimension(parseFloatText(widthText), unit, resolution, W);
    H = composeDimension(parseFloatText(heightText), unit, resolution, H);
}

}  // namespace lenzora
