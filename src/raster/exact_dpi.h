#pragma once
// A resolution in dots per inch as an exact fraction, as the writers of the picture formats
// take it: a chart's whole dpi is n/1, a composite's ten-thousandths their reduced fraction.

#include <cstdint>
#include <utility>

namespace lenzora::raster {

struct ExactDpi {
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;  // above 0, within 32 bits
};

// The fraction as one correctly rounded division: the same long double for every way of
// writing it, so a composite's comes out as its ten-thousandths divided by 10000.
long double dotsPerInch(const ExactDpi& dpi);

// The fraction as TIFF structures (Exif, TIFF files) store it: reduced, 0 for none or less,
// in 32-bit terms (a numerator beyond them gives up its last digits).
std::pair<std::uint32_t, std::uint32_t> rational32(const ExactDpi& dpi);

}  // namespace lenzora::raster
