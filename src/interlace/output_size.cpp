#include "interlace/output_size.h"

#include "core/output_settings.h"

namespace lenzora::interlace {
namespace {

std::int32_t composeDimension(long double value, std::int32_t unit, core::FixedCount resolution,
                              std::int32_t current, core::Rounding rounding) {
    const long double r = static_cast<long double>(resolution);
    switch (unit) {
        case core::kUnitMillimetres:
            return core::toPixelCount(value / 25.4L * r / 10000.0L, rounding);
        case core::kUnitInches:
            return core::toPixelCount(value * r / 10000.0L, rounding);
        case core::kUnitPixels:
            return core::toPixelCount(value, core::Rounding::Truncate);
        default:
            return current;
    }
}

}  // namespace

void composeOutputSize(std::int32_t& W, std::int32_t& H, std::int32_t unit,
                       std::string_view widthText, std::string_view heightText,
                       core::FixedCount resolution, bool printerGrid) {
    const core::Rounding rounding =
        printerGrid ? core::Rounding::Nearest : core::Rounding::Truncate;
    W = composeDimension(core::parseFloatText(widthText), unit, resolution, W, rounding);
    H = composeDimension(core::parseFloatText(heightText), unit, resolution, H, rounding);
}

}  // namespace lenzora::interlace
