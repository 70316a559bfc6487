#include "raster/pixel_rows.h"

#include <algorithm>
#include <cstring>

namespace lenzora::raster::detail {

PaletteTable paletteTable(const std::vector<Colour>& palette) {
    PaletteTable table{};
    std::copy_n(palette.begin(), std::min<std::size_t>(palette.size(), table.size()),
                table.begin());
    return table;
}

int nearestPaletteIndex(const std::vector<Colour>& palette, Colour colour) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
        const Colour& p = palette[i];
        int db = int{p.blue} - colour.blue;
        int dg = int{p.green} - colour.green;
        int dr = int{p.red} - colour.red;
        int distance = db * db + dg * dg + dr * dr;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
            if (distance == 0) break;
        }
    }
    return best;
}

std::uint32_t valueFor(PixelFormat format, const std::vector<Colour>& palette, Colour colour) {
    if (isIndexed(format)) return static_cast<std::uint32_t>(nearestPaletteIndex(palette, colour));
    return packBgr(colour);
}

std::uint32_t readValue(const std::uint8_t* row, std::int32_t x, PixelFormat format) {
    switch (format) {
        case PixelFormat::Indexed1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case PixelFormat::Indexed4:
            return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u;
        case PixelFormat::Indexed8:
            return row[x];
        case PixelFormat::Bgr24: {
            const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
            return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
        }
        case PixelFormat::Bgrx32: {
            const std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
            return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
        }
    }
    return 0;
}

namespace {

// Sets bits [first, first + count) of a row to the bits of `pattern` (a byte repeating
// the value).
void fillBits(std::uint8_t* row, std::int64_t first, std::int64_t count, std::uint8_t pattern) {
    if (count <= 0) return;
    std::uint8_t* p = row + (first >> 3);
    int offset = static_cast<int>(first & 7);
    if (offset != 0) {
        int n = static_cast<int>(std::min<std::int64_t>(8 - offset, count));
        auto mask = static_cast<std::uint8_t>((0xFFu >> offset) & ~(0xFFu >> (offset + n)));
        *p = static_cast<std::uint8_t>((*p & ~mask) | (pattern & mask));
        ++p;
        count -= n;
    }
    std::size_t whole = static_cast<std::size_t>(count >> 3);
    std::memset(p, pattern, whole);
    p += whole;
    int rest = static_cast<int>(count & 7);
    if (rest != 0) {
        auto mask = static_cast<std::uint8_t>(~(0xFFu >> rest));
        *p = static_cast<std::uint8_t>((*p & ~mask) | (pattern & mask));
    }
}

// Repeats the first `unit` bytes of p until `total` bytes are filled.
void replicate(std::uint8_t* p, std::size_t unit, std::size_t total) {
    std::size_t done = unit;
    while (done < total) {
        std::size_t n = std::min(done, total - done);
        std::memcpy(p + done, p, n);
        done += n;
    }
}

}  // namespace

void fillRow(std::uint8_t* row, PixelFormat format, std::int32_t x0, std::int32_t x1,
             std::uint32_t value) {
    if (x1 <= x0) return;
    std::size_t count = static_cast<std::size_t>(x1 - x0);
    switch (format) {
        case PixelFormat::Indexed1:
            fillBits(row, x0, x1 - x0, (value & 1) ? 0xFF : 0x00);
            return;
        case PixelFormat::Indexed4:
            fillBits(row, std::int64_t{x0} * 4, std::int64_t{x1 - x0} * 4,
                     static_cast<std::uint8_t>((value & 15) * 0x11));
            return;
        case PixelFormat::Indexed8:
            std::memset(row + x0, static_cast<int>(value & 0xFF), count);
            return;
        case PixelFormat::Bgr24: {
            std::uint8_t* p = row + 3 * static_cast<std::size_t>(x0);
            auto b = static_cast<std::uint8_t>(value);
            auto g = static_cast<std::uint8_t>(value >> 8);
            auto r = static_cast<std::uint8_t>(value >> 16);
            if (b == g && g == r) {
                std::memset(p, b, 3 * count);
            } else {
                p[0] = b;
                p[1] = g;
                p[2] = r;
                replicate(p, 3, 3 * count);
            }
            return;
        }
        case PixelFormat::Bgrx32: {
            std::uint8_t* p = row + 4 * static_cast<std::size_t>(x0);
            std::uint32_t v = value & 0xFFFFFFu;
            std::memcpy(p, &v, 4);  // little-endian: blue first
            replicate(p, 4, 4 * count);
            return;
        }
    }
}

void copyBits(std::uint8_t* dst, std::int64_t dstBit, const std::uint8_t* src, std::int64_t srcBit,
              std::int64_t count) {
    if (count <= 0) return;
    if ((dstBit & 7) == (srcBit & 7)) {
        std::uint8_t* d = dst + (dstBit >> 3);
        const std::uint8_t* s = src + (srcBit >> 3);
        int offset = static_cast<int>(dstBit & 7);
        if (offset != 0) {
            int n = static_cast<int>(std::min<std::int64_t>(8 - offset, count));
            auto mask = static_cast<std::uint8_t>((0xFFu >> offset) & ~(0xFFu >> (offset + n)));
            *d = static_cast<std::uint8_t>((*d & ~mask) | (*s & mask));
            ++d;
            ++s;
            count -= n;
        }
        std::size_t whole = static_cast<std::size_t>(count >> 3);
        std::memcpy(d, s, whole);
        int rest = static_cast<int>(count & 7);
        if (rest != 0) {
            auto mask = static_cast<std::uint8_t>(~(0xFFu >> rest));
            d[whole] = static_cast<std::uint8_t>((d[whole] & ~mask) | (s[whole] & mask));
        }
        return;
    }
    // Shifted: fill the destination a byte (or the part of one) at a time from a 16-bit window
    // of the source.
    while (count > 0) {
        int offset = static_cast<int>(dstBit & 7);
        int n = static_cast<int>(std::min<std::int64_t>(8 - offset, count));
        std::int64_t sb = srcBit >> 3;
        int so = static_cast<int>(srcBit & 7);
        unsigned window = unsigned{src[sb]} << 8;
        if (so + n > 8) window |= src[sb + 1];
        unsigned bits = (window >> (16 - so - n)) & ((1u << n) - 1u);
        int shift = 8 - offset - n;
        auto mask = static_cast<std::uint8_t>(((1u << n) - 1u) << shift);
        std::uint8_t& d = dst[dstBit >> 3];
        d = static_cast<std::uint8_t>((d & ~mask) | (bits << shift));
        dstBit += n;
        srcBit += n;
        count -= n;
    }
}

void copyPixels(std::uint8_t* dst, std::int32_t dx, const std::uint8_t* src, std::int32_t sx,
                std::int32_t count, PixelFormat format) {
    if (count <= 0) return;
    int bits = bitsPerPixel(format);
    if (bits >= 8) {
        std::size_t bytes = static_cast<std::size_t>(bits / 8);
        std::memcpy(dst + bytes * static_cast<std::size_t>(dx),
                    src + bytes * static_cast<std::size_t>(sx),
                    bytes * static_cast<std::size_t>(count));
    } else {
        copyBits(dst, std::int64_t{dx} * bits, src, std::int64_t{sx} * bits,
                 std::int64_t{count} * bits);
    }
}

void gatherBgr(PixelFormat format, const PaletteTable& table, const std::uint8_t* row,
               const std::int32_t* columns, std::int32_t count, std::uint8_t* bgr) {
    auto put = [&](std::int32_t i, const Colour& c) {
        bgr[3 * static_cast<std::size_t>(i)] = c.blue;
        bgr[3 * static_cast<std::size_t>(i) + 1] = c.green;
        bgr[3 * static_cast<std::size_t>(i) + 2] = c.red;
    };
    switch (format) {
        case PixelFormat::Indexed1:
            for (std::int32_t i = 0; i < count; ++i) {
                std::int32_t x = columns[i];
                put(i, table[(row[x >> 3] >> (7 - (x & 7))) & 1u]);
            }
            return;
        case PixelFormat::Indexed4:
            for (std::int32_t i = 0; i < count; ++i) {
                std::int32_t x = columns[i];
                put(i, table[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u]);
            }
            return;
        case PixelFormat::Indexed8:
            for (std::int32_t i = 0; i < count; ++i) put(i, table[row[columns[i]]]);
            return;
        case PixelFormat::Bgr24:
            for (std::int32_t i = 0; i < count; ++i) {
                const std::uint8_t* p = row + 3 * static_cast<std::size_t>(columns[i]);
                bgr[3 * static_cast<std::size_t>(i)] = p[0];
                bgr[3 * static_cast<std::size_t>(i) + 1] = p[1];
                bgr[3 * static_cast<std::size_t>(i) + 2] = p[2];
            }
            return;
        case PixelFormat::Bgrx32:
            for (std::int32_t i = 0; i < count; ++i) {
                const std::uint8_t* p = row + 4 * static_cast<std::size_t>(columns[i]);
                bgr[3 * static_cast<std::size_t>(i)] = p[0];
                bgr[3 * static_cast<std::size_t>(i) + 1] = p[1];
                bgr[3 * static_cast<std::size_t>(i) + 2] = p[2];
            }
            return;
    }
}

namespace {
constexpr std::size_t kCacheSize = 4096;
constexpr std::uint32_t kNoColour = 0xFFFFFFFFu;
}  // namespace

BgrWriter::BgrWriter(PixelFormat format, const std::vector<Colour>& palette)
    : format_(format), palette_(palette) {
    if (isIndexed(format)) {
        cacheKey_.assign(kCacheSize, kNoColour);
        cacheIndex_.assign(kCacheSize, 0);
    }
}

std::uint32_t BgrWriter::indexFor(std::uint32_t packed) {
    std::size_t slot = (packed ^ (packed >> 12) ^ (packed >> 7)) & (kCacheSize - 1);
    if (cacheKey_[slot] != packed) {
        Colour c{static_cast<std::uint8_t>(packed), static_cast<std::uint8_t>(packed >> 8),
                 static_cast<std::uint8_t>(packed >> 16)};
        cacheKey_[slot] = packed;
        cacheIndex_[slot] = static_cast<std::uint8_t>(nearestPaletteIndex(palette_, c));
    }
    return cacheIndex_[slot];
}

void BgrWriter::write(std::uint8_t* row, std::int32_t x, const std::uint8_t* bgr,
                      std::int32_t count) {
    auto packedAt = [&](std::int32_t i) {
        return std::uint32_t{bgr[3 * static_cast<std::size_t>(i)]} |
               std::uint32_t{bgr[3 * static_cast<std::size_t>(i) + 1]} << 8 |
               std::uint32_t{bgr[3 * static_cast<std::size_t>(i) + 2]} << 16;
    };
    switch (format_) {
        case PixelFormat::Bgr24:
            std::memcpy(row + 3 * static_cast<std::size_t>(x), bgr,
                        3 * static_cast<std::size_t>(count));
            return;
        case PixelFormat::Bgrx32: {
            std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
            for (std::int32_t i = 0; i < count; ++i) {
                p[4 * static_cast<std::size_t>(i)] = bgr[3 * static_cast<std::size_t>(i)];
                p[4 * static_cast<std::size_t>(i) + 1] = bgr[3 * static_cast<std::size_t>(i) + 1];
                p[4 * static_cast<std::size_t>(i) + 2] = bgr[3 * static_cast<std::size_t>(i) + 2];
                p[4 * static_cast<std::size_t>(i) + 3] = 0;
            }
            return;
        }
        case PixelFormat::Indexed8:
            for (std::int32_t i = 0; i < count; ++i)
                row[x + i] = static_cast<std::uint8_t>(indexFor(packedAt(i)));
            return;
        case PixelFormat::Indexed4:
            for (std::int32_t i = 0; i < count; ++i) {
                std::int32_t px = x + i;
                unsigned shift = (px & 1) ? 0 : 4;
                std::uint8_t& b = row[px >> 1];
                b = static_cast<std::uint8_t>((b & ~(15u << shift)) |
                                              (indexFor(packedAt(i)) << shift));
            }
            return;
        case PixelFormat::Indexed1:
            for (std::int32_t i = 0; i < count; ++i) {
                std::int32_t px = x + i;
                auto bit = static_cast<std::uint8_t>(0x80u >> (px & 7));
                std::uint8_t& b = row[px >> 3];
                b = static_cast<std::uint8_t>(indexFor(packedAt(i)) ? (b | bit) : (b & ~bit));
            }
            return;
    }
}

}  // namespace lenzora::raster::detail
