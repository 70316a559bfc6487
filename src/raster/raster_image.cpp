#include "raster/raster_image.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "raster/pixel_rows.h"

namespace lenzora::raster {

int bitsPerPixel(PixelFormat format) {
    switch (format) {
        case PixelFormat::Indexed1:
            return 1;
        case PixelFormat::Indexed4:
            return 4;
        case PixelFormat::Indexed8:
            return 8;
        case PixelFormat::Bgr24:
            return 24;
        case PixelFormat::Bgrx32:
            return 32;
    }
    return 24;
}

bool isIndexed(PixelFormat format) { return bitsPerPixel(format) <= 8; }

std::size_t RasterImage::strideFor(PixelFormat format, std::int32_t width) {
    if (width <= 0) return 0;
    std::uint64_t bits = std::uint64_t(width) * std::uint64_t(bitsPerPixel(format));
    return static_cast<std::size_t>((bits + 31) / 32 * 4);
}

namespace {

std::vector<Colour> defaultPalette(PixelFormat format) {
    std::vector<Colour> palette;
    if (!isIndexed(format)) return palette;
    int entries = 1 << bitsPerPixel(format);
    for (int i = 0; i < entries; ++i) {
        auto level = static_cast<std::uint8_t>(i * 255 / (entries - 1));
        palette.push_back(Colour{level, level, level});
    }
    return palette;
}

// Zeroes what follows the last pixel of every row: the unused bits of a last partial byte and
// the padding to four bytes. Pixel memory comes uninitialised, and these bits, which no
// drawing touches, would otherwise keep whatever the memory held before, so that the same
// drawing gave different bytes from one image to the next.
void clearRowEnds(RasterImage& image) {
    const std::size_t from =
        static_cast<std::size_t>(image.width()) * bitsPerPixel(image.format()) / 8;
    for (std::int32_t y = 0; y < image.height(); ++y)
        std::memset(image.row(y) + from, 0, image.stride() - from);
}

}  // namespace

void RasterImage::allocate(PixelFormat format, std::int32_t width, std::int32_t height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == 0 || height == 0) width = height = 0;
    std::size_t stride = strideFor(format, width);
    if (height > 0 && stride > std::numeric_limits<std::size_t>::max() / std::size_t(height))
        throw std::bad_alloc();
    const std::size_t bytes = stride * static_cast<std::size_t>(height);
    if (pixels_.capacity() >= bytes && pixels_.capacity() / 2 <= bytes) {
        pixels_.resize(bytes);  // the room set aside by reserve(), or the old pixels' own
    } else {
        detail::PixelBuffer pixels(bytes);
        pixels_ = std::move(pixels);
    }
    format_ = format;
    width_ = width;
    height_ = height;
    stride_ = stride;
    palette_.clear();
    clearRowEnds(*this);  // a reused buffer holds an old picture's bytes
}

void RasterImage::create(PixelFormat format, std::int32_t width, std::int32_t height) {
    allocate(format, width, height);
    palette_ = defaultPalette(format);
    fillArea(0, 0, width_, height_, kWhite);
}

void RasterImage::reserve(std::size_t bytes) {
    if (empty()) pixels_.reserve(bytes);
}

void RasterImage::resize(std::int32_t width, std::int32_t height) {
    const std::size_t stride = strideFor(format_, width);
    const bool wholeBytes = bitsPerPixel(format_) % 8 == 0;
    if (!empty() && width > 0 && height > 0 && wholeBytes &&
        stride * static_cast<std::size_t>(height) <= pixels_.capacity()) {
        resizeInPlace(width, height, stride);
        return;
    }
    RasterImage resized;
    resized.allocate(format_, width, height);
    resized.palette_ = palette_;
    resized.fillArea(0, 0, resized.width_, resized.height_, fillColour_);
    std::int32_t keepWidth = std::min(width_, resized.width_);
    std::int32_t keepHeight = std::min(height_, resized.height_);
    for (std::int32_t y = 0; y < keepHeight; ++y)
        detail::copyPixels(resized.row(y), 0, row(y), 0, keepWidth, format_);
    pixels_ = std::move(resized.pixels_);
    width_ = resized.width_;
    height_ = resized.height_;
    stride_ = resized.stride_;
}

// The same pixels as a resize into a new image, within the buffer the image has: kept rows
// move to their new places (wider rows from the last one up, narrower from the first one
// down, so none is overwritten before it has moved), then the added area is filled.
void RasterImage::resizeInPlace(std::int32_t width, std::int32_t height, std::size_t stride) {
    const std::int32_t keepWidth = std::min(width_, width);
    const std::int32_t keepHeight = std::min(height_, height);
    const std::size_t keepBytes =
        static_cast<std::size_t>(keepWidth) * static_cast<std::size_t>(bitsPerPixel(format_) / 8);
    const std::size_t oldStride = stride_;
    const std::size_t bytes = stride * static_cast<std::size_t>(height);
    std::uint8_t* data = pixels_.data();
    if (stride > oldStride) {
        if (bytes > pixels_.size()) pixels_.resize(bytes);  // within the capacity: no move
        data = pixels_.data();
        for (std::int32_t y = keepHeight - 1; y > 0; --y)
            std::memmove(data + static_cast<std::size_t>(y) * stride,
                         data + static_cast<std::size_t>(y) * oldStride, keepBytes);
    } else if (stride < oldStride) {
        for (std::int32_t y = 1; y < keepHeight; ++y)
            std::memmove(data + static_cast<std::size_t>(y) * stride,
                         data + static_cast<std::size_t>(y) * oldStride, keepBytes);
    }
    const std::size_t before = pixels_.size();
    pixels_.resize(bytes);
    if (bytes < before) detail::releaseTail(pixels_.data(), bytes, pixels_.capacity());
    width_ = width;
    height_ = height;
    stride_ = stride;
    clearRowEnds(*this);
    fillArea(keepWidth, 0, width_, keepHeight, fillColour_);
    fillArea(0, keepHeight, width_, height_, fillColour_);
}

void RasterImage::copyFrom(const RasterImage& source) {
    if (&source == this) return;
    pixels_ = source.pixels_;
    palette_ = source.palette_;
    format_ = source.format_;
    width_ = source.width_;
    height_ = source.height_;
    stride_ = source.stride_;
}

void RasterImage::fillArea(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                           Colour colour) {
    if (x1 <= x0 || y1 <= y0) return;
    std::uint32_t value = detail::valueFor(format_, palette_, colour);
    detail::fillRow(row(y0), format_, x0, x1, value);
    std::size_t first = static_cast<std::size_t>(x0) * bitsPerPixel(format_) / 8;
    std::size_t last = (static_cast<std::size_t>(x1) * bitsPerPixel(format_) + 7) / 8;
    // Whole bytes of the first row repeat for the others; partial edge bytes of sub-byte
    // formats are filled row by row.
    bool byteAligned = (static_cast<std::size_t>(x0) * bitsPerPixel(format_)) % 8 == 0 &&
                       (static_cast<std::size_t>(x1) * bitsPerPixel(format_)) % 8 == 0;
    for (std::int32_t y = y0 + 1; y < y1; ++y) {
        if (byteAligned)
            std::copy(row(y0) + first, row(y0) + last, row(y) + first);
        else
            detail::fillRow(row(y), format_, x0, x1, value);
    }
}

std::uint32_t RasterImage::pixelValue(std::int32_t x, std::int32_t y) const {
    return detail::readValue(row(y), x, format_);
}

Colour RasterImage::pixel(std::int32_t x, std::int32_t y) const {
    std::uint32_t value = pixelValue(x, y);
    if (isIndexed(format_)) return value < palette_.size() ? palette_[value] : kBlack;
    return Colour{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                  static_cast<std::uint8_t>(value >> 16)};
}

}  // namespace lenzora::raster
