#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "raster/raster_image.h"

namespace lenzora::raster {
namespace {

// Counts the pixels of a colour inside a rectangle.
int countColour(const RasterImage& image, Colour colour, Rect r) {
    int n = 0;
    for (std::int32_t y = r.top; y < r.bottom; ++y)
        for (std::int32_t x = r.left; x < r.right; ++x) n += image.pixel(x, y) == colour;
    return n;
}

int countColour(const RasterImage& image, Colour colour) {
    return countColour(image, colour, {0, 0, image.width(), image.height()});
}

TEST(RasterImage, NewImagesAreWhiteInEveryFormat) {
    for (PixelFormat format : {PixelFormat::Indexed1, PixelFormat::Indexed4, PixelFormat::Indexed8,
                               PixelFormat::Bgr24, PixelFormat::Bgrx32}) {
        SCOPED_TRACE(bitsPerPixel(format));
        RasterImage image;
        image.create(format, 13, 5);  // odd width: partial bytes and padding
        EXPECT_EQ(image.width(), 13);
        EXPECT_EQ(image.height(), 5);
        EXPECT_EQ(image.stride() % 4, 0u);
        EXPECT_EQ(countColour(image, kWhite), 13 * 5);
    }
}

// The bits after a row's last pixel are zero in a new image, also where the memory it takes
// held something else just before (a freed block of the same size is usually handed out
// again), so that the same drawing always gives the same bytes.
TEST(RasterImage, RowEndsAreZeroWhateverTheMemoryHeldBefore) {
    struct Case {
        PixelFormat format;
        std::int32_t width;
    } cases[] = {
        {PixelFormat::Indexed1, 6142},  // the 1200 dpi A4 chart's rows: two spare bits
        {PixelFormat::Indexed1, 13},   {PixelFormat::Indexed4, 5},
        {PixelFormat::Indexed8, 3},    {PixelFormat::Bgr24, 5},
    };
    for (const Case& c : cases) {
        const std::size_t stride = RasterImage::strideFor(c.format, c.width);
        for (int round = 0; round < 2; ++round) {
            {
                // Written through volatile so that the compiler keeps the dead stores.
                void* block = ::operator new(stride * 40);
                auto* bytes = static_cast<volatile std::uint8_t*>(block);
                for (std::size_t i = 0; i < stride * 40; ++i) bytes[i] = 0xFF;
                ::operator delete(block);
            }
            RasterImage image;
            if (round == 0) {
                image.create(c.format, c.width, 40);
            } else {
                image.create(c.format, 1, 1);
                image.resize(c.width, 40);
            }
            const std::size_t bits = static_cast<std::size_t>(c.width) *
                                     static_cast<std::size_t>(bitsPerPixel(c.format));
            for (std::int32_t y = 0; y < 40; ++y) {
                const std::uint8_t* row = image.row(y);
                if (bits % 8 != 0) {
                    const auto spare = static_cast<std::uint8_t>(0xFFu >> (bits % 8));
                    EXPECT_EQ(row[bits / 8] & spare, 0) << c.width << " row " << y;
                }
                for (std::size_t i = (bits + 7) / 8; i < stride; ++i)
                    EXPECT_EQ(row[i], 0) << c.width << " row " << y << " byte " << i;
            }
        }
    }
}

// Within a PixelReuse a large buffer freed serves the next image of its size, which must not
// show the old picture: a created image is white, a decoder's rows end in zeros.
TEST(PixelReuse, AFreedBufferServesTheNextImageOfItsSizeWithoutItsOldBytes) {
    const PixelReuse reuse;
    const std::int32_t w = 1501, h = 2000;  // rows of 4503 bytes and one of padding: 9 MB
    const std::uint8_t* buffer = nullptr;
    {
        RasterImage old;
        old.allocate(PixelFormat::Bgr24, w, h);
        std::memset(old.row(0), 0x5A, old.stride() * static_cast<std::size_t>(h));
        buffer = old.row(0);
    }
    RasterImage decoded;
    decoded.allocate(PixelFormat::Bgr24, w, h);
    ASSERT_EQ(decoded.row(0), buffer) << "the freed buffer is not reused";
    for (std::int32_t y = 0; y < h; ++y) ASSERT_EQ(decoded.row(y)[3 * w], 0) << "row " << y;

    decoded = RasterImage();
    RasterImage created;
    created.create(PixelFormat::Bgr24, w, h);
    ASSERT_EQ(created.row(0), buffer);
    const std::vector<std::uint8_t> white(3 * static_cast<std::size_t>(w), 0xFF);
    for (std::int32_t y = 0; y < h; ++y)
        ASSERT_EQ(std::memcmp(created.row(y), white.data(), white.size()), 0) << "row " << y;
}

// A job that winds its reuse down keeps no more buffers; the next job keeps them again. A kept
// buffer shows its old bytes; one from the system (over 32 MB, so mapped afresh) shows zeros.
TEST(PixelReuse, WindingDownEndsWithItsJob) {
    const std::int32_t w = 4000, h = 3000;  // 36 MB
    const auto servedAgain = [&] {
        {
            RasterImage old;
            old.allocate(PixelFormat::Bgr24, w, h);
            std::memset(old.row(0), 0x5A, old.stride() * static_cast<std::size_t>(h));
        }
        RasterImage next;
        next.allocate(PixelFormat::Bgr24, w, h);
        return next.row(h / 2)[w] == 0x5A;
    };
    {
        const PixelReuse reuse;
        EXPECT_TRUE(servedAgain());
        PixelReuse::windDown();
        EXPECT_FALSE(servedAgain()) << "kept while winding down";
    }
    const PixelReuse reuse;
    EXPECT_TRUE(servedAgain()) << "the next job keeps nothing";
}

TEST(RasterImage, OneBitImagesHaveTheBlackAndWhitePalette) {
    RasterImage image;
    image.create(PixelFormat::Indexed1, 3, 3);
    ASSERT_EQ(image.palette().size(), 2u);
    EXPECT_EQ(image.palette()[0], kBlack);
    EXPECT_EQ(image.palette()[1], kWhite);
    EXPECT_EQ(image.pixelValue(2, 2), 1u);
}

TEST(RasterImage, ZeroOrNegativeSizeGivesAnEmptyImage) {
    RasterImage image;
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {4, -3}}) {
        image.create(PixelFormat::Bgr24, w, h);
        EXPECT_TRUE(image.empty());
        image.drawRectangle(0, 0, 10, 10);  // nothing to draw on, and no fault
    }
}

TEST(RasterImage, ResizeKeepsTheTopLeftAndFillsTheRestWithTheFillColour) {
    RasterImage image;
    image.create(PixelFormat::Bgr24, 10, 10);
    image.setFillColour(Colour::rgb(10, 20, 30));
    image.setLineColour(Colour::rgb(10, 20, 30));
    image.drawRectangle(2, 2, 4, 4);
    image.setFillColour(kBlack);
    image.resize(20, 10);
    EXPECT_EQ(image.width(), 20);
    EXPECT_EQ(countColour(image, Colour::rgb(10, 20, 30), {0, 0, 10, 10}), 4);
    EXPECT_EQ(countColour(image, kWhite, {0, 0, 10, 10}), 96);
    EXPECT_EQ(countColour(image, kBlack, {10, 0, 20, 10}), 100);
    image.resize(3, 3);  // shrinking crops right and bottom
    EXPECT_EQ(image.pixel(2, 2), Colour::rgb(10, 20, 30));
    EXPECT_EQ(countColour(image, kWhite), 8);
}

TEST(RasterImage, ResizeOfAOneBitImageKeepsBitsAcrossPartialBytes) {
    RasterImage image;
    image.create(PixelFormat::Indexed1, 11, 2);
    image.setFillColour(kBlack);
    image.drawRectangle(9, 0, 10, 1);  // one black pixel in the second byte
    image.setFillColour(kWhite);
    image.resize(21, 2);
    EXPECT_EQ(countColour(image, kBlack), 1);
    EXPECT_EQ(image.pixel(9, 0), kBlack);
    image.setFillColour(kBlack);
    image.resize(23, 2);  // the added columns 21, 22 take black
    EXPECT_EQ(countColour(image, kBlack), 1 + 2 * 2);
}

// Within the room set aside, growing and shrinking work in the image's own buffer and give
// the bytes of a resize into a new image, padding included.
TEST(RasterImage, ResizeWithinTheReservedRoomGivesTheSameBytesInPlace) {
    struct Case {
        PixelFormat format;
        std::int32_t w, h, newW, newH;
    } cases[] = {
        {PixelFormat::Bgr24, 1001, 700, 1065, 700},  // the columns band: wider rows
        {PixelFormat::Bgr24, 1001, 700, 1001, 764},  // the rows band: more rows
        {PixelFormat::Bgr24, 1065, 700, 1001, 700},  // cleared again
        {PixelFormat::Bgr24, 1001, 764, 1001, 700},
        {PixelFormat::Bgr24, 1001, 700, 1003, 650},  // wider and shorter at once
        {PixelFormat::Bgrx32, 999, 701, 1030, 702},
        {PixelFormat::Indexed8, 1001, 700, 1066, 703},
    };
    for (const Case& c : cases) {
        RasterImage plain, reserved;
        reserved.reserve(RasterImage::strideFor(c.format, std::max(c.w, c.newW)) *
                         static_cast<std::size_t>(std::max(c.h, c.newH)));
        for (RasterImage* image : {&plain, &reserved}) {
            image->create(c.format, c.w, c.h);
            for (std::int32_t y = 0; y < c.h; ++y) {
                for (std::size_t x = 0; x < static_cast<std::size_t>(c.w); ++x)
                    image->row(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 3);
            }
            image->setFillColour(Colour::rgb(10, 200, 30));
        }
        const std::uint8_t* buffer = reserved.row(0);
        plain.resize(c.newW, c.newH);
        reserved.resize(c.newW, c.newH);
        EXPECT_EQ(reserved.row(0), buffer) << c.newW << " x " << c.newH;
        ASSERT_EQ(reserved.stride(), plain.stride());
        ASSERT_EQ(reserved.height(), plain.height());
        for (std::int32_t y = 0; y < c.newH; ++y) {
            ASSERT_EQ(std::memcmp(reserved.row(y), plain.row(y), plain.stride()), 0)
                << c.w << " x " << c.h << " to " << c.newW << " x " << c.newH << ", row " << y;
        }
    }
}

TEST(RasterImage, CopyFromGivesAnIndependentImage) {
    RasterImage a;
    a.create(PixelFormat::Indexed1, 9, 4);
    RasterImage b;
    b.copyFrom(a);
    a.setFillColour(kBlack);
    a.drawRectangle(0, 0, 9, 4);
    EXPECT_EQ(b.format(), PixelFormat::Indexed1);
    EXPECT_EQ(b.width(), 9);
    EXPECT_EQ(countColour(b, kWhite), 36);
    EXPECT_EQ(countColour(a, kBlack), 36);
}

struct RectangleCase {
    Rect rect;
    Colour fill;
    int blackPixels;
    int greyPixels;
};

TEST(drawRectangle, FillsInsideAndDrawsTheBorderOnTheInsideEdge) {
    const Colour grey = Colour::rgb(128, 128, 128);
    // 10 × 8 image, black border colour.
    const RectangleCase cases[] = {
        {{0, 0, 3, 2}, kBlack, 6, 0},    // black on black: exactly 3 × 2
        {{1, 1, 5, 5}, grey, 12, 4},     // 4 × 4: border 12, inside 2 × 2
        {{-5, -5, 2, 2}, grey, 3, 1},    // clipped: only the right and bottom edge show
        {{8, 6, 20, 20}, grey, 3, 1},    // right and bottom edges beyond the image
        {{5, 5, 1, 1}, grey, 12, 4},     // swapped corners mean the same rectangle
        {{3, 3, 3, 7}, grey, 0, 0},      // no width
        {{20, 20, 30, 30}, grey, 0, 0},  // wholly outside
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rect.left << "," << c.rect.top << "," << c.rect.right
                                        << "," << c.rect.bottom);
        RasterImage image;
        image.create(PixelFormat::Bgr24, 10, 8);
        image.setFillColour(c.fill);
        image.setLineColour(kBlack);
        image.drawRectangle(c.rect.left, c.rect.top, c.rect.right, c.rect.bottom);
        EXPECT_EQ(countColour(image, kBlack), c.blackPixels);
        EXPECT_EQ(countColour(image, grey), c.greyPixels);
    }
}

TEST(drawRectangle, OnOneBitImagesSetsWholeSpansAcrossByteBoundaries) {
    RasterImage image;
    image.create(PixelFormat::Indexed1, 40, 3);
    image.setFillColour(kBlack);
    image.drawRectangle(3, 0, 37, 3);
    for (std::int32_t x = 0; x < 40; ++x)
        EXPECT_EQ(image.pixel(x, 1), (x >= 3 && x < 37) ? kBlack : kWhite) << x;
}

TEST(drawPolyline, ThinLinesLeaveOutTheLastPoint) {
    RasterImage image;
    image.create(PixelFormat::Bgr24, 10, 10);
    image.drawPolyline({{1, 1}, {6, 1}, {6, 5}});
    // (1,1)..(5,1) then (6,1)..(6,4); (6,5) is the end point and stays white.
    EXPECT_EQ(countColour(image, kBlack), 5 + 4);
    EXPECT_EQ(image.pixel(6, 1), kBlack);
    EXPECT_EQ(image.pixel(6, 5), kWhite);
    EXPECT_EQ(image.pixel(0, 1), kWhite);
}

TEST(drawPolyline, DiagonalsTouchOnePixelPerStep) {
    RasterImage image;
    image.create(PixelFormat::Bgr24, 10, 10);
    image.setLineColour(Colour::rgb(255, 0, 0));
    image.drawPolyline({{0, 0}, {8, 8}});
    for (int i = 0; i < 8; ++i) EXPECT_EQ(image.pixel(i, i), Colour::rgb(255, 0, 0));
    EXPECT_EQ(countColour(image, Colour::rgb(255, 0, 0)), 8);
    // Steep line, drawn backwards.
    image.create(PixelFormat::Bgr24, 10, 10);
    image.drawPolyline({{2, 9}, {4, 0}});
    EXPECT_EQ(countColour(image, Colour::rgb(255, 0, 0)), 9);  // one pixel per row 9 .. 1
}

TEST(drawPolyline, AWidePenOnOnePointIsARoundDotCentredThere) {
    RasterImage image;
    image.create(PixelFormat::Bgr24, 11, 11);
    image.setLineWidth(5);
    image.drawPolyline({{5, 5}, {5, 5}});
    // Rows 3 .. 7: 3, 5, 5, 5, 3 pixels, symmetric about column 5.
    const int widths[] = {3, 5, 5, 5, 3};
    for (std::int32_t y = 0; y < 11; ++y) {
        int expected = (y >= 3 && y <= 7) ? widths[y - 3] : 0;
        EXPECT_EQ(countColour(image, kBlack, {0, y, 11, y + 1}), expected) << y;
        if (expected > 0) {
            EXPECT_EQ(image.pixel(5 - expected / 2, y), kBlack) << y;
            EXPECT_EQ(image.pixel(5 + expected / 2, y), kBlack) << y;
        }
    }
}

TEST(drawPolyline, WidePensCoverTheWidthAndClipAtTheEdges) {
    RasterImage image;
    image.create(PixelFormat::Indexed1, 30, 20);
    image.setLineWidth(5);
    image.drawPolyline({{5, 10}, {24, 10}});
    // A horizontal 5-pixel line covers rows 8..12 in its middle.
    for (std::int32_t y = 0; y < 20; ++y)
        EXPECT_EQ(image.pixel(15, y), (y >= 8 && y <= 12) ? kBlack : kWhite) << y;
    image.create(PixelFormat::Indexed1, 30, 20);
    image.drawPolyline({{-100, -3}, {100, -3}, {100, 200}});  // mostly outside: no fault
    // End points at the far ends of the coordinate range: the visible part is drawn at once.
    image.drawPolyline({{INT32_MIN, 2}, {INT32_MAX, 2}, {INT32_MAX, INT32_MIN}});
    EXPECT_EQ(countColour(image, kBlack, {0, 0, 30, 5}), 30 * 5);  // rows 0..4 under the pen
    image.setLineWidth(0);                                         // width 0 draws 1-pixel lines
    image.drawPolyline({{0, 15}, {30, 15}});
    EXPECT_EQ(countColour(image, kBlack, {0, 15, 30, 16}), 30);
}

TEST(drawText, DrawsGlyphsOnAnOpaqueBackgroundOfTheFillColour) {
    RasterImage image;
    image.create(PixelFormat::Bgr24, 200, 40);
    const Colour fill = Colour::rgb(0, 0, 255);
    image.setFillColour(fill);
    image.setFontSize(12);
    image.drawText(10, 5, "Lenzora 42.275");
    int background = countColour(image, fill);
    int dark = 0;
    std::int32_t right = 0, bottom = 0;
    for (std::int32_t y = 0; y < 40; ++y)
        for (std::int32_t x = 0; x < 200; ++x) {
            Colour c = image.pixel(x, y);
            if (c == kWhite) continue;
            EXPECT_GE(x, 10);
            EXPECT_GE(y, 5);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
            if (c.red + c.green + c.blue < 100) ++dark;
        }
    EXPECT_GT(background, 100);
    EXPECT_GT(dark, 20);
    // 12 points at 96 pixels per inch are 16 pixels: a line is taller than that, and the
    // text much wider.
    EXPECT_GT(bottom - 5, 15);
    EXPECT_LT(bottom - 5, 40);
    EXPECT_GT(right - 10, 60);
}

// A chart label at 1200 dpi: 192 points, 256 pixels at 96 pixels per inch on any display. It
// comes out the same before and after other text in the same face at other sizes, small
// smoothed text included, which used to move some of its outline pixels.
TEST(drawText, TheSameLabelGivesTheSamePixelsEveryTime) {
    auto label = [] {
        RasterImage image;
        image.create(PixelFormat::Indexed1, 1300, 400);
        image.setFontSize(192);
        image.drawText(0, 0, "42.2524");
        return image;
    };
    const RasterImage first = label();
    std::int32_t bottom = 0, right = 0;
    for (std::int32_t y = 0; y < 400; ++y)
        for (std::int32_t x = 0; x < 1300; ++x)
            if (first.pixel(x, y) == kBlack) {
                bottom = std::max(bottom, y);
                right = std::max(right, x);
            }
    EXPECT_GT(bottom, 150);  // digits about 0.7 of the 256-pixel size
    EXPECT_LT(bottom, 300);
    EXPECT_GT(right, 800);
    for (double points : {48.0, 8.0, 12.0, 96.0, 8.0, 192.0, 230.0}) {
        RasterImage other;
        other.create(PixelFormat::Bgr24, 1600, 400);
        other.setFontSize(points);
        other.drawText(0, 0, "0123456789.");
        const RasterImage again = label();
        for (std::int32_t y = 0; y < 400; ++y)
            EXPECT_EQ(std::memcmp(first.row(y), again.row(y), first.stride()), 0)
                << "after " << points << " points, row " << y;
    }
}

TEST(drawText, OnOneBitImagesIsPureBlackAndClipped) {
    RasterImage image;
    image.create(PixelFormat::Indexed1, 60, 20);
    image.drawText(-5, -3, "WWWWWWWWWWWWWWWWWWWWWWW");  // overhangs on every side
    int black = countColour(image, kBlack);
    EXPECT_GT(black, 30);
    EXPECT_EQ(black + countColour(image, kWhite), 60 * 20);
    RasterImage bigger;
    bigger.create(PixelFormat::Indexed1, 60, 20);
    bigger.setFontSize(16);
    bigger.drawText(0, 0, "W");
    RasterImage smaller;
    smaller.create(PixelFormat::Indexed1, 60, 20);
    smaller.drawText(0, 0, "W");  // the default 8 points
    EXPECT_GT(countColour(bigger, kBlack), countColour(smaller, kBlack));
}

}  // namespace
}  // namespace lenzora::raster
