#include "raster/fit.h"

#include <cmath>
#include <limits>

namespace lenzora::raster {
namespace {

// Drops the fraction; values beyond 32 bits saturate.
std::int32_t truncate(double x) {
    double t = std::trunc(x);
    if (!(t > std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (t >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(t);
}

}  // namespace

Rect fitToArea(std::int32_t w, std::int32_t h, std::int32_t cw, std::int32_t ch,
               DisplayFlags flags) {
    bool larger = w > cw || h > ch;
    if (flags.stretch || (flags.proportional && larger)) {
        if (flags.proportional && w > 0 && h > 0) {
            double a = static_cast<double>(w) / static_cast<double>(h);
            if (w > h) {
                w = cw;
                h = truncate(cw / a);
                if (h > ch) {
                    h = ch;
                    w = truncate(ch * a);
                }
            } else {
                h = ch;
                w = truncate(ch * a);
                if (w > cw) {
                    w = cw;
                    h = truncate(cw / a);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    std::int64_t dx = 0, dy = 0;
    if (flags.centre) {
        // Halved and rounded toward zero, as integer division does.
        dx = (std::int64_t{cw} - w) / 2;
        dy = (std::int64_t{ch} - h) / 2;
    }
    return Rect{static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy),
                static_cast<std::int32_t>(dx + w), static_cast<std::int32_t>(dy + h)};
}

}  // namespace lenzora::raster
