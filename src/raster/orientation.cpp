#include "raster/orientation.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "raster/size_limit.h"

namespace lenzora::raster {
namespace {

// Where pixel (x, y) of the upright picture comes from in the stored one.
struct Mapping {
    bool swap = false;    // upright x runs along stored rows' y, upright y along stored x
    bool mirror = false;  // upright x counted from the stored picture's far side
    bool flip = false;    // upright y counted from the stored picture's far side
};

// By the tag's value, 1 ... 8.
constexpr Mapping kMappings[] = {
    {false, false, false}, {false, true, false}, {false, true, true}, {false, false, true},
    {true, false, false},  {true, true, false},  {true, true, true},  {true, false, true},
};

Mapping mappingOf(Orientation orientation) {
    return kMappings[static_cast<std::size_t>(orientation) - 1];
}

// Copies one pixel of `Bits` bits between rows; sub-byte pixels are packed from the most
// significant bit, as the image holds them. Inline, so that the loops below are plain loops.
template <int Bits>
struct PixelCopy {
    static void copy(const std::uint8_t* from, std::int32_t fromX, std::uint8_t* to,
                     std::int32_t toX) {
        if constexpr (Bits >= 8) {
            constexpr std::size_t kBytes = Bits / 8;
            std::memcpy(to + kBytes * static_cast<std::size_t>(toX),
                        from + kBytes * static_cast<std::size_t>(fromX), kBytes);
        } else {
            constexpr unsigned kMask = (1u << Bits) - 1;
            const auto bitOf = [](std::int32_t x) { return static_cast<std::size_t>(x) * Bits; };
            const unsigned fromShift = 8 - Bits - bitOf(fromX) % 8;
            const unsigned toShift = 8 - Bits - bitOf(toX) % 8;
            const unsigned value = (from[bitOf(fromX) / 8] >> fromShift) & kMask;
            std::uint8_t& out = to[bitOf(toX) / 8];
            out = static_cast<std::uint8_t>((out & ~(kMask << toShift)) | (value << toShift));
        }
    }
};

// A square of pixels small enough that its source rows stay in the cache while its columns
// become the destination's rows.
constexpr std::int32_t kBlock = 64;

// The quarter turns and transposes, a block at a time.
template <int Bits>
void turnInto(const RasterImage& from, RasterImage& to, Mapping m) {
    const std::int32_t width = to.width();
    const std::int32_t height = to.height();
    for (std::int32_t top = 0; top < height; top += kBlock) {
        const std::int32_t bottom = std::min(top + kBlock, height);
        for (std::int32_t left = 0; left < width; left += kBlock) {
            const std::int32_t right = std::min(left + kBlock, width);
            for (std::int32_t y = top; y < bottom; ++y) {
                std::uint8_t* out = to.row(y);
                const std::int32_t fromX = m.flip ? from.width() - 1 - y : y;
                for (std::int32_t x = left; x < right; ++x) {
                    const std::int32_t fromY = m.mirror ? from.height() - 1 - x : x;
                    PixelCopy<Bits>::copy(from.row(fromY), fromX, out, x);
                }
            }
        }
    }
}

// Each row reversed in place, through one row's copy.
template <int Bits>
void mirrorRows(RasterImage& image) {
    std::vector<std::uint8_t> copy(image.stride());
    const std::int32_t last = image.width() - 1;
    for (std::int32_t y = 0; y < image.height(); ++y) {
        std::uint8_t* row = image.row(y);
        std::memcpy(copy.data(), row, copy.size());
        for (std::int32_t x = 0; x <= last; ++x)
            PixelCopy<Bits>::copy(copy.data(), last - x, row, x);
    }
}

void flipRows(RasterImage& image) {
    for (std::int32_t top = 0, bottom = image.height() - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(image.row(top), image.row(top) + image.stride(), image.row(bottom));
    }
}

template <int Bits>
void turn(RasterImage& image, Mapping m) {
    if (!m.swap) {
        if (m.mirror) mirrorRows<Bits>(image);
        if (m.flip) flipRows(image);
        return;
    }
    // The turned copy is a second decoded picture while the stored one lives.
    checkDecodedSize(static_cast<std::uint64_t>(image.height()),
                     static_cast<std::uint64_t>(image.width()), Bits);
    RasterImage turned;
    turned.allocate(image.format(), image.height(), image.width());
    turned.setPalette(image.palette());
    turnInto<Bits>(image, turned, m);
    image = std::move(turned);
}

}  // namespace

Orientation orientationFromTag(std::uint32_t value) {
    if (value < 1 || value > 8) return Orientation::AsStored;
    return static_cast<Orientation>(value);
}

bool swapsSides(Orientation orientation) { return mappingOf(orientation).swap; }

void turnUpright(RasterImage& image, Orientation orientation) {
    const Mapping m = mappingOf(orientation);
    if (image.empty() || (!m.swap && !m.mirror && !m.flip)) return;
    switch (bitsPerPixel(image.format())) {
        case 1:
            return turn<1>(image, m);
        case 4:
            return turn<4>(image, m);
        case 8:
            return turn<8>(image, m);
        case 24:
            return turn<24>(image, m);
        default:
            return turn<32>(image, m);
    }
}

}  // namespace lenzora::raster
