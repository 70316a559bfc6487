// copyArea, drawImageAt, stretchImage and copyAreas. Equal-size copies between images of one
// format are row copies; everything else maps destination columns and rows to source ranges
// once, then works row by row.
//
// The stretch rule:
//  - equal sizes: pixel for pixel;
//  - 1-bit source: each destination pixel covers a range of source pixels, and black (the
//    darker palette entry, index 0 in the usual palette) wins over white when they merge;
//  - colour source onto a surface of 8 bits per pixel or fewer: the average of the covered
//    source pixels;
//  - otherwise the nearest source pixel (the one under the destination pixel's centre); rows
//    and columns are dropped when shrinking and repeated when enlarging, never blended.

#include <algorithm>
#include <cstring>
#include <vector>

#include "raster/pixel_rows.h"
#include "raster/raster_image.h"

namespace lenzora::raster {
namespace {

__extension__ typedef __int128 Wide;

enum class Sampling { Nearest, BlackWins, Average };

// For destination coordinates first .. first + size() - 1 (all inside the destination),
// the source range [lo, hi) each one takes, clipped to the source.
struct AxisMap {
    std::int32_t first = 0;
    std::vector<std::int32_t> lo;
    std::vector<std::int32_t> hi;
    std::int32_t size() const { return static_cast<std::int32_t>(lo.size()); }
};

AxisMap mapAxis(std::int64_t d0, std::int64_t dn, std::int64_t s0, std::int64_t sn,
                std::int32_t destSize, std::int32_t sourceSize, Sampling sampling) {
    AxisMap map;
    std::int64_t dBegin = std::max<std::int64_t>(0, -d0);
    std::int64_t dEnd = std::min<std::int64_t>(dn, std::int64_t{destSize} - d0);
    for (std::int64_t d = dBegin; d < dEnd; ++d) {
        std::int64_t lo;
        std::int64_t hi;
        std::int64_t centre =
            s0 + static_cast<std::int64_t>((Wide{2} * d + 1) * sn / (Wide{2} * dn));
        if (sampling == Sampling::Nearest) {
            lo = centre;
            hi = centre + 1;
        } else {
            lo = s0 + static_cast<std::int64_t>(Wide(d) * sn / dn);
            hi = s0 + static_cast<std::int64_t>(Wide(d + 1) * sn / dn);
            if (hi <= lo) {
                lo = centre;
                hi = centre + 1;
            }
        }
        lo = std::max<std::int64_t>(lo, 0);
        hi = std::min<std::int64_t>(hi, sourceSize);
        if (hi <= lo) {
            // Ranges only grow along the axis: outside the source before the first pixel
            // drawn means skip; after it, every later one is outside too.
            if (!map.lo.empty()) break;
            continue;
        }
        if (map.lo.empty()) map.first = static_cast<std::int32_t>(d0 + d);
        map.lo.push_back(static_cast<std::int32_t>(lo));
        map.hi.push_back(static_cast<std::int32_t>(hi));
    }
    return map;
}

bool isContiguous(const AxisMap& map) {
    for (std::int32_t i = 1; i < map.size(); ++i)
        if (map.lo[i] != map.lo[0] + i) return false;
    return true;
}

// True when every bit in [lo, hi) of the row is 1 (no dark pixel among the merged ones).
inline bool allOnes(const std::uint8_t* row, std::int32_t lo, std::int32_t hi) {
    while (lo < hi && (lo & 7) != 0) {
        if (!((row[lo >> 3] >> (7 - (lo & 7))) & 1)) return false;
        ++lo;
    }
    while (hi - lo >= 8) {
        if (row[lo >> 3] != 0xFF) return false;
        lo += 8;
    }
    while (lo < hi) {
        if (!((row[lo >> 3] >> (7 - (lo & 7))) & 1)) return false;
        ++lo;
    }
    return true;
}

// True when both images show the same colour for every index the source can hold.
bool samePalette(const RasterImage& dest, const RasterImage& source) {
    const auto& a = dest.palette();
    const auto& b = source.palette();
    std::size_t entries = std::size_t{1} << bitsPerPixel(source.format());
    for (std::size_t i = 0; i < entries; ++i) {
        Colour ca = i < a.size() ? a[i] : kBlack;
        Colour cb = i < b.size() ? b[i] : kBlack;
        if (!(ca == cb)) return false;
    }
    return true;
}

bool samePixels(const RasterImage& dest, const RasterImage& source) {
    return dest.format() == source.format() &&
           (!isIndexed(dest.format()) || samePalette(dest, source));
}

class Copier {
  public:
    Copier(RasterImage& dest, const RasterImage& source, Sampling sampling, const AxisMap& cols)
        : dest_(dest),
          source_(source),
          sampling_(sampling),
          cols_(cols),
          table_(detail::paletteTable(source.palette())),
          writer_(dest.format(), dest.palette()),
          bgr_(3 * static_cast<std::size_t>(cols.size())) {
        samePixels_ = samePixels(dest, source);
        contiguous_ = sampling == Sampling::Nearest && isContiguous(cols);
        if (sampling == Sampling::BlackWins) {
            std::int32_t first = cols.lo.front() / 8;
            std::int32_t last = (cols.hi.back() - 1) / 8;
            mergeFirstByte_ = first;
            merged_.resize(static_cast<std::size_t>(last - first) + 1);
            // Black is the darker of the two entries: index 0 in the usual palette, index 1
            // in a file that lists white first. Bits are flipped so that the dark one is 0.
            auto brightness = [](Colour c) { return c.red * 299 + c.green * 587 + c.blue * 114; };
            darkIndex_ = brightness(table_[1]) < brightness(table_[0]) ? 1 : 0;
        }
        if (sampling == Sampling::Average) {
            std::int32_t span = cols.hi.back() - cols.lo.front();
            sums_.resize(3 * static_cast<std::size_t>(span));
            line_.resize(3 * static_cast<std::size_t>(span));
            for (std::int32_t i = 0; i < span; ++i) spanColumns_.push_back(cols.lo.front() + i);
        }
    }

    // Draws destination row y from source rows [lo, hi).
    void drawRow(std::int32_t y, std::int32_t lo, std::int32_t hi) {
        switch (sampling_) {
            case Sampling::Nearest:
                nearestRow(y, lo);
                break;
            case Sampling::BlackWins:
                blackWinsRow(y, lo, hi);
                break;
            case Sampling::Average:
                averageRow(y, lo, hi);
                break;
        }
    }

    // Repeats the previous destination row.
    void repeatRow(std::int32_t y) {
        detail::copyPixels(dest_.row(y), cols_.first, dest_.row(y - 1), cols_.first, cols_.size(),
                           dest_.format());
    }

  private:
    void nearestRow(std::int32_t y, std::int32_t sy) {
        const std::uint8_t* in = source_.row(sy);
        std::uint8_t* out = dest_.row(y);
        std::int32_t n = cols_.size();
        const std::int32_t* map = cols_.lo.data();
        if (samePixels_ && contiguous_) {
            detail::copyPixels(out, cols_.first, in, map[0], n, dest_.format());
            return;
        }
        if (samePixels_) {
            switch (dest_.format()) {
                case PixelFormat::Bgr24: {
                    std::uint8_t* o = out + 3 * static_cast<std::size_t>(cols_.first);
                    // Four-byte moves while both the source pixel and the destination pixel
                    // have a neighbour to the right (the fourth byte is overwritten next).
                    std::int32_t wide = n - 1;
                    while (wide > 0 && map[wide - 1] >= source_.width() - 1) --wide;
                    std::int32_t i = 0;
                    for (; i < wide; ++i) {
                        std::memcpy(o, in + 3 * static_cast<std::size_t>(map[i]), 4);
                        o += 3;
                    }
                    for (; i < n; ++i) {
                        const std::uint8_t* p = in + 3 * static_cast<std::size_t>(map[i]);
                        o[0] = p[0];
                        o[1] = p[1];
                        o[2] = p[2];
                        o += 3;
                    }
                    return;
                }
                case PixelFormat::Bgrx32: {
                    std::uint8_t* o = out + 4 * static_cast<std::size_t>(cols_.first);
                    for (std::int32_t i = 0; i < n; ++i)
                        std::memcpy(o + 4 * static_cast<std::size_t>(i),
                                    in + 4 * static_cast<std::size_t>(map[i]), 4);
                    return;
                }
                case PixelFormat::Indexed8:
                    for (std::int32_t i = 0; i < n; ++i) out[cols_.first + i] = in[map[i]];
                    return;
                default:
                    for (std::int32_t i = 0; i < n; ++i)
                        detail::copyPixels(out, cols_.first + i, in, map[i], 1, dest_.format());
                    return;
            }
        }
        detail::gatherBgr(source_.format(), table_, in, map, n, bgr_.data());
        writer_.write(out, cols_.first, bgr_.data(), n);
    }

    void blackWinsRow(std::int32_t y, std::int32_t lo, std::int32_t hi) {
        std::size_t bytes = merged_.size();
        std::memcpy(merged_.data(), source_.row(lo) + mergeFirstByte_, bytes);
        for (std::int32_t sy = lo + 1; sy < hi; ++sy) {
            const std::uint8_t* in = source_.row(sy) + mergeFirstByte_;
            if (darkIndex_ == 0) {
                for (std::size_t i = 0; i < bytes; ++i) merged_[i] &= in[i];
            } else {
                for (std::size_t i = 0; i < bytes; ++i) merged_[i] |= in[i];
            }
        }
        if (darkIndex_ == 1)
            for (std::size_t i = 0; i < bytes; ++i)
                merged_[i] = static_cast<std::uint8_t>(~merged_[i]);
        std::int32_t base = mergeFirstByte_ * 8;
        std::int32_t n = cols_.size();
        std::uint8_t* out = dest_.row(y);
        if (samePixels_) {
            for (std::int32_t i = 0; i < n; ++i) {
                bool light = allOnes(merged_.data(), cols_.lo[i] - base, cols_.hi[i] - base);
                bool one = light != (darkIndex_ == 1);
                std::int32_t x = cols_.first + i;
                auto bit = static_cast<std::uint8_t>(0x80u >> (x & 7));
                out[x >> 3] =
                    static_cast<std::uint8_t>(one ? (out[x >> 3] | bit) : (out[x >> 3] & ~bit));
            }
            return;
        }
        for (std::int32_t i = 0; i < n; ++i) {
            bool light = allOnes(merged_.data(), cols_.lo[i] - base, cols_.hi[i] - base);
            const Colour& c = table_[light ? 1 - darkIndex_ : darkIndex_];
            bgr_[3 * static_cast<std::size_t>(i)] = c.blue;
            bgr_[3 * static_cast<std::size_t>(i) + 1] = c.green;
            bgr_[3 * static_cast<std::size_t>(i) + 2] = c.red;
        }
        writer_.write(out, cols_.first, bgr_.data(), n);
    }

    void averageRow(std::int32_t y, std::int32_t lo, std::int32_t hi) {
        std::int32_t c0 = cols_.lo.front();
        std::int32_t span = cols_.hi.back() - c0;
        std::fill(sums_.begin(), sums_.end(), 0u);
        for (std::int32_t sy = lo; sy < hi; ++sy) {
            detail::gatherBgr(source_.format(), table_, source_.row(sy), spanColumns_.data(), span,
                              line_.data());
            for (std::size_t i = 0; i < line_.size(); ++i) sums_[i] += line_[i];
        }
        std::int32_t n = cols_.size();
        for (std::int32_t i = 0; i < n; ++i) {
            std::uint64_t count = std::uint64_t(cols_.hi[i] - cols_.lo[i]) * std::uint64_t(hi - lo);
            for (int channel = 0; channel < 3; ++channel) {
                std::uint64_t total = 0;
                for (std::int32_t x = cols_.lo[i]; x < cols_.hi[i]; ++x)
                    total += sums_[3 * static_cast<std::size_t>(x - c0) + channel];
                bgr_[3 * i + channel] = static_cast<std::uint8_t>((total + count / 2) / count);
            }
        }
        writer_.write(dest_.row(y), cols_.first, bgr_.data(), n);
    }

    RasterImage& dest_;
    const RasterImage& source_;
    Sampling sampling_;
    const AxisMap& cols_;
    detail::PaletteTable table_;
    detail::BgrWriter writer_;
    std::vector<std::uint8_t> bgr_;
    bool samePixels_ = false;
    bool contiguous_ = false;
    std::int32_t mergeFirstByte_ = 0;
    std::vector<std::uint8_t> merged_;
    int darkIndex_ = 0;
    std::vector<std::uint64_t> sums_;
    std::vector<std::uint8_t> line_;
    std::vector<std::int32_t> spanColumns_;
};

// Destination rectangle (dx, dy, dw, dh) from source rectangle (sx, sy, sw, sh).
void copyRect(RasterImage& dest, std::int64_t dx, std::int64_t dy, std::int64_t dw, std::int64_t dh,
              const RasterImage& source, std::int64_t sx, std::int64_t sy, std::int64_t sw,
              std::int64_t sh, int deviceBitsPerPixel) {
    if (dest.empty() || source.empty() || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    if (&dest == &source) {
        RasterImage copy;
        copy.copyFrom(source);
        copyRect(dest, dx, dy, dw, dh, copy, sx, sy, sw, sh, deviceBitsPerPixel);
        return;
    }
    if (dw == sw && dh == sh && samePixels(dest, source)) {
        // Pixel for pixel: clip once, then copy row spans.
        std::int64_t x0 = std::max({std::int64_t{0}, -dx, -sx});
        std::int64_t x1 =
            std::min({dw, std::int64_t{dest.width()} - dx, std::int64_t{source.width()} - sx});
        std::int64_t y0 = std::max({std::int64_t{0}, -dy, -sy});
        std::int64_t y1 =
            std::min({dh, std::int64_t{dest.height()} - dy, std::int64_t{source.height()} - sy});
        if (x1 <= x0 || y1 <= y0) return;
        auto n = static_cast<std::int32_t>(x1 - x0);
        auto toX = static_cast<std::int32_t>(dx + x0);
        auto fromX = static_cast<std::int32_t>(sx + x0);
        for (std::int64_t y = y0; y < y1; ++y)
            detail::copyPixels(dest.row(static_cast<std::int32_t>(dy + y)), toX,
                               source.row(static_cast<std::int32_t>(sy + y)), fromX, n,
                               dest.format());
        return;
    }
    Sampling sampling = Sampling::Nearest;
    if (dw != sw || dh != sh) {
        if (source.format() == PixelFormat::Indexed1)
            sampling = Sampling::BlackWins;
        else if (deviceBitsPerPixel <= 8 && bitsPerPixel(source.format()) > 8)
            sampling = Sampling::Average;
    }
    AxisMap cols = mapAxis(dx, dw, sx, sw, dest.width(), source.width(), sampling);
    AxisMap rows = mapAxis(dy, dh, sy, sh, dest.height(), source.height(), sampling);
    if (cols.size() == 0 || rows.size() == 0) return;
    Copier copier(dest, source, sampling, cols);
    for (std::int32_t i = 0; i < rows.size(); ++i) {
        std::int32_t y = rows.first + i;
        if (i > 0 && rows.lo[i] == rows.lo[i - 1] && rows.hi[i] == rows.hi[i - 1])
            copier.repeatRow(y);
        else
            copier.drawRow(y, rows.lo[i], rows.hi[i]);
    }
}

}  // namespace

void RasterImage::copyArea(const Rect& destRect, const RasterImage& source,
                           const Rect& sourceRect) {
    copyRect(*this, destRect.left, destRect.top, destRect.width(), destRect.height(), source,
             sourceRect.left, sourceRect.top, sourceRect.width(), sourceRect.height(),
             kDisplayBitsPerPixel);
}

void RasterImage::drawImageAt(std::int32_t x, std::int32_t y, const RasterImage& source) {
    copyRect(*this, x, y, source.width(), source.height(), source, 0, 0, source.width(),
             source.height(), kDisplayBitsPerPixel);
}

void RasterImage::stretchImage(const Rect& destRect, const RasterImage& source,
                               int deviceBitsPerPixel) {
    copyRect(*this, destRect.left, destRect.top, destRect.width(), destRect.height(), source, 0, 0,
             source.width(), source.height(), deviceBitsPerPixel);
}

}  // namespace lenzora::raster

namespace lenzora::raster {
namespace {

// One clipped pixel-for-pixel span copy, repeated over a range of rows.
struct Span {
    std::int32_t destX, sourceX, count;
    std::int32_t destTop, destBottom;  // rows [destTop, destBottom)
    std::int32_t rowOffset;            // source row = destination row + rowOffset
};

// Copies a few bytes without a library call; strips are often one to a few pixels wide.
inline void copySmall(std::uint8_t* d, const std::uint8_t* s, std::size_t n) {
    if (n <= 16) {
        for (std::size_t i = 0; i < n; ++i) d[i] = s[i];
    } else {
        std::memcpy(d, s, n);
    }
}

// One span as byte offsets into its rows.
struct ByteSpan {
    std::size_t dest, source, bytes;
};

// Rows [top, bottom) of every span, all taking the same rows of the source: each row's source
// is found once, and spans of `N` bytes (the usual strip width) are fixed-size moves.
template <std::size_t N>
void copyBand(RasterImage& dest, const RasterImage& source, const std::vector<ByteSpan>& spans,
              std::int32_t top, std::int32_t bottom, std::int32_t rowOffset) {
    for (std::int32_t y = top; y < bottom; ++y) {
        std::uint8_t* out = dest.row(y);
        const std::uint8_t* in = source.row(y + rowOffset);
        for (const ByteSpan& s : spans) {
            if (N != 0 && s.bytes == N)
                std::memcpy(out + s.dest, in + s.source, N);
            else
                copySmall(out + s.dest, in + s.source, s.bytes);
        }
    }
}

}  // namespace

void RasterImage::copyAreas(const RasterImage& source, const std::vector<AreaCopy>& copies) {
    bool together = &source != this && samePixels(*this, source) && bitsPerPixel(format_) >= 8;
    for (const AreaCopy& c : copies)
        together =
            together && c.dest.width() == c.source.width() && c.dest.height() == c.source.height();
    if (!together) {
        for (const AreaCopy& c : copies) copyArea(c.dest, source, c.source);
        return;
    }
    std::vector<Span> spans;
    std::int32_t top = height_, bottom = 0;
    for (const AreaCopy& c : copies) {
        std::int64_t dx = c.dest.left, dy = c.dest.top, sx = c.source.left, sy = c.source.top;
        std::int64_t x0 = std::max({std::int64_t{0}, -dx, -sx});
        std::int64_t x1 = std::min(
            {c.dest.width(), std::int64_t{width_} - dx, std::int64_t{source.width()} - sx});
        std::int64_t y0 = std::max({std::int64_t{0}, -dy, -sy});
        std::int64_t y1 = std::min(
            {c.dest.height(), std::int64_t{height_} - dy, std::int64_t{source.height()} - sy});
        if (x1 <= x0 || y1 <= y0) continue;
        Span span{static_cast<std::int32_t>(dx + x0), static_cast<std::int32_t>(sx + x0),
                  static_cast<std::int32_t>(x1 - x0), static_cast<std::int32_t>(dy + y0),
                  static_cast<std::int32_t>(dy + y1), static_cast<std::int32_t>(sy - dy)};
        top = std::min(top, span.destTop);
        bottom = std::max(bottom, span.destBottom);
        spans.push_back(span);
    }
    std::size_t bytesPerPixel = static_cast<std::size_t>(bitsPerPixel(format_) / 8);
    const bool oneBand = std::all_of(spans.begin(), spans.end(), [&](const Span& s) {
        return s.destTop == spans[0].destTop && s.destBottom == spans[0].destBottom &&
               s.rowOffset == spans[0].rowOffset;
    });
    if (!spans.empty() && oneBand) {
        // The usual case: one band of one strip image, as the interlacer copies them.
        std::vector<ByteSpan> bytes;
        bytes.reserve(spans.size());
        for (const Span& s : spans) {
            bytes.push_back({bytesPerPixel * static_cast<std::size_t>(s.destX),
                             bytesPerPixel * static_cast<std::size_t>(s.sourceX),
                             bytesPerPixel * static_cast<std::size_t>(s.count)});
        }
        const Span& band = spans[0];
        switch (bytes[0].bytes) {
            case 3:  // one 24-bit pixel
                copyBand<3>(*this, source, bytes, band.destTop, band.destBottom, band.rowOffset);
                break;
            case 6:
                copyBand<6>(*this, source, bytes, band.destTop, band.destBottom, band.rowOffset);
                break;
            case 9:
                copyBand<9>(*this, source, bytes, band.destTop, band.destBottom, band.rowOffset);
                break;
            default:
                copyBand<0>(*this, source, bytes, band.destTop, band.destBottom, band.rowOffset);
                break;
        }
        return;
    }
    for (std::int32_t y = top; y < bottom; ++y) {
        std::uint8_t* out = row(y);
        for (const Span& s : spans) {
            if (y < s.destTop || y >= s.destBottom) continue;
            copySmall(
                out + bytesPerPixel * static_cast<std::size_t>(s.destX),
                source.row(y + s.rowOffset) + bytesPerPixel * static_cast<std::size_t>(s.sourceX),
                bytesPerPixel * static_cast<std::size_t>(s.count));
        }
    }
}

}  // namespace lenzora::raster
