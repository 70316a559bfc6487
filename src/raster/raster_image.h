#pragma once
// The raster image every picture of the program lives in, and the operations that draw on it.
//
// Pixels are held as a device-independent bitmap would hold them: rows top to bottom, each
// row padded to a multiple of four bytes, sub-byte pixels packed from the most significant
// bit. That makes BMP reading and writing a row copy, and lets every operation work on whole
// rows.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lenzora::raster {

namespace detail {
// Large pixel buffers come from whole huge pages where the system offers them: one page fault
// per 2 MB instead of per 4 KB, and column-wise work (strips) stays within the address cache.
void* allocatePixels(std::size_t bytes);
void freePixels(void* p, std::size_t bytes) noexcept;
// Gives the pages of a large buffer from byte `from` to its end back to the system; they read
// as zeros when touched again.
void releaseTail(void* p, std::size_t from, std::size_t bytes) noexcept;
}  // namespace detail

// While one lives (on any thread), a few large pixel buffers freed are kept and handed to the
// next images of the same size instead of going back to the system; all are given back when
// the last one ends. For jobs that go through many pictures of one size, such as a compose.
// A reused buffer holds the old pixels until its new image is filled.
class PixelReuse {
  public:
    PixelReuse();
    ~PixelReuse();
    PixelReuse(const PixelReuse&) = delete;
    PixelReuse& operator=(const PixelReuse&) = delete;

    // The job will ask for no more buffers of the sizes kept: they go back now, on the calling
    // thread (one that would otherwise wait for the others), and buffers freed from now on
    // until the last scope ends go straight back.
    static void windDown();
};

namespace detail {

// Leaves new bytes uninitialised: every pixel buffer is filled by its creator right away, and
// zeroing hundreds of megabytes first would double the cost of decoding.
template <class T>
struct PixelAllocator {
    using value_type = T;
    PixelAllocator() = default;
    template <class U>
    PixelAllocator(const PixelAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocatePixels(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { freePixels(p, n * sizeof(T)); }
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    friend bool operator==(const PixelAllocator&, const PixelAllocator&) { return true; }
};
using PixelBuffer = std::vector<std::uint8_t, PixelAllocator<std::uint8_t>>;
}  // namespace detail

struct Colour {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;

    static constexpr Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        return Colour{b, g, r};
    }
    friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kBlack = Colour::rgb(0, 0, 0);
inline constexpr Colour kWhite = Colour::rgb(255, 255, 255);

// What one pixel is made of.
enum class PixelFormat : std::uint8_t {
    Indexed1,  // 1 bit per pixel through a palette; a created one is black (0) and white (1)
    Indexed4,  // only from files
    Indexed8,  // from files and grey-scale JPEGs
    Bgr24,     // 24-bit colour: blue, green, red
    Bgrx32,    // 16- and 32-bit files: blue, green, red, one unused byte
};

int bitsPerPixel(PixelFormat format);
bool isIndexed(PixelFormat format);

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Covers left <= x < right and top <= y < bottom.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int64_t width() const { return std::int64_t{right} - left; }
    std::int64_t height() const { return std::int64_t{bottom} - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Stretching into a surface of this many bits per pixel or fewer averages colour sources
// (HALFTONE); deeper surfaces sample the nearest pixel. Images in memory count as the display.
inline constexpr int kDisplayBitsPerPixel = 32;

class RasterImage {
  public:
    RasterImage() = default;

    // --- the image itself ------------------------------------------------------------------

    // Replaces the image by a new white one. A 1-bit image gets the black-and-white palette,
    // an 8- or 4-bit one an even grey ramp.
    void create(PixelFormat format, std::int32_t width, std::int32_t height);

    // Keeps the pixels common to the old and new size, anchored top-left; the added area takes
    // the current fill colour. The format stays. Within the room reserve() set aside (and for
    // any shrinking) it works in the image's own buffer, with no second copy of the pixels.
    void resize(std::int32_t width, std::int32_t height);

    // Sets aside room for `bytes` of pixels before create(), so that the image can later grow
    // up to that size in place. Only untouched address space until then. Nothing on an image
    // that has pixels.
    void reserve(std::size_t bytes);

    // Makes this image an independent copy of `source` (size, format, palette, pixels).
    void copyFrom(const RasterImage& source);

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    PixelFormat format() const { return format_; }
    const std::vector<Colour>& palette() const { return palette_; }

    // --- drawing state ---------------------------------------------------------------------

    void setFillColour(Colour colour) { fillColour_ = colour; }
    void setLineColour(Colour colour) { lineColour_ = colour; }
    void setLineWidth(std::int32_t width) { lineWidth_ = width; }
    void setFontSize(double points) { fontPoints_ = points; }
    void setFontColour(Colour colour) { fontColour_ = colour; }
    // Empty: the toolkit's default face.
    void setFontFamily(std::string family) { fontFamily_ = std::move(family); }

    Colour fillColour() const { return fillColour_; }
    Colour lineColour() const { return lineColour_; }
    std::int32_t lineWidth() const { return lineWidth_; }
    double fontSize() const { return fontPoints_; }
    Colour fontColour() const { return fontColour_; }
    const std::string& fontFamily() const { return fontFamily_; }

    // --- drawing (clipped to the image, never an error) -----------------------------------

    // Fills the rectangle with the fill colour and draws its 1-pixel border inside it in the
    // line colour.
    void drawRectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom);

    // Joins the points with lines of the line colour and width.
    void drawPolyline(const std::vector<Point>& points);

    // Draws UTF-8 text with its top-left corner at (x, y) in the current font on a background
    // of the fill colour. On a 1-bit image the glyphs are black where they cover a pixel.
    void drawText(std::int32_t x, std::int32_t y, std::string_view text);

    // Copies sourceRect of `source` onto destRect. Equal sizes copy pixel for pixel and skip
    // the parts of sourceRect outside the source; different sizes stretch by the stretch rule.
    void copyArea(const Rect& destRect, const RasterImage& source, const Rect& sourceRect);

    // Equal-size copies from one source, done together row by row: the same result as
    // copyArea for each pair in turn when the destination rectangles do not overlap, at a
    // fraction of the memory traffic for narrow strips. Pairs of different sizes are stretched
    // one after the other.
    struct AreaCopy {
        Rect dest;
        Rect source;
    };
    void copyAreas(const RasterImage& source, const std::vector<AreaCopy>& copies);

    // Pixel-exact copy of the whole source with its top-left corner at (x, y).
    void drawImageAt(std::int32_t x, std::int32_t y, const RasterImage& source);

    // Maps the whole source onto destRect by the stretch rule: nearest pixel for colour
    // sources, black wins for 1-bit sources, area averaging for colour sources drawn onto a
    // surface of deviceBitsPerPixel <= 8.
    void stretchImage(const Rect& destRect, const RasterImage& source,
                      int deviceBitsPerPixel = kDisplayBitsPerPixel);

    // --- files -----------------------------------------------------------------------------

    // Replaces the image by the BMP file's content, in the file's own format and palette.
    void loadBmpFile(const std::filesystem::path& path);
    // A working file: written whole, but not forced to disk (raster::saveBmpFile in
    // bmp_codec.h flushes a file the user asked for before it replaces the old one).
    void saveBmpFile(const std::filesystem::path& path) const;

    // --- pixels, for codecs and checks -----------------------------------------------------

    std::size_t stride() const { return stride_; }
    std::uint8_t* row(std::int32_t y) {
        return pixels_.data() + static_cast<std::size_t>(y) * stride_;
    }
    const std::uint8_t* row(std::int32_t y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * stride_;
    }
    // The colour of one pixel (palette colour for indexed images; black for an index the
    // palette lacks).
    Colour pixel(std::int32_t x, std::int32_t y) const;
    // The stored value of one pixel: the palette index, or the colour bytes packed as
    // blue | green << 8 | red << 16.
    std::uint32_t pixelValue(std::int32_t x, std::int32_t y) const;

    // For decoders: an image of the given format whose rows the caller fills (their pixels
    // are unspecified until then; what follows the last pixel of a row is zero). The palette
    // is set separately.
    void allocate(PixelFormat format, std::int32_t width, std::int32_t height);
    void setPalette(std::vector<Colour> palette) { palette_ = std::move(palette); }

    // Bytes a row of `width` pixels of `format` takes, padded to four bytes.
    static std::size_t strideFor(PixelFormat format, std::int32_t width);

  private:
    void resizeInPlace(std::int32_t width, std::int32_t height, std::size_t stride);
    // Fills pixels [x0, x1) of rows [y0, y1) (already clipped) with the value closest to colour.
    void fillArea(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                  Colour colour);

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    PixelFormat format_ = PixelFormat::Bgr24;
    std::size_t stride_ = 0;
    detail::PixelBuffer pixels_;
    std::vector<Colour> palette_;

    Colour fillColour_ = kWhite;
    Colour lineColour_ = kBlack;
    std::int32_t lineWidth_ = 1;
    double fontPoints_ = 8.0;
    Colour fontColour_ = kBlack;
    std::string fontFamily_;
};

}  // namespace lenzora::raster
