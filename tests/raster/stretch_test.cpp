#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>

#include "raster/raster_image.h"

namespace lenzora::raster {
namespace {

// An image of distinct colours, so every pixel says where it came from.
RasterImage numbered(std::int32_t w, std::int32_t h) {
    RasterImage image;
    image.create(PixelFormat::Bgr24, w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            image.setFillColour(
                Colour::rgb(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7));
            image.setLineColour(image.fillColour());
            image.drawRectangle(x, y, x + 1, y + 1);
        }
    return image;
}

RasterImage oneBit(std::int32_t w, std::int32_t h, const std::vector<Rect>& black) {
    RasterImage image;
    image.create(PixelFormat::Indexed1, w, h);
    image.setFillColour(kBlack);
    for (const Rect& r : black) image.drawRectangle(r.left, r.top, r.right, r.bottom);
    return image;
}

TEST(stretchImage, ShrinkingColourPicksSourcePixelsWithoutMixing) {
    RasterImage source;
    source.create(PixelFormat::Bgr24, 4, 1);
    const Colour colours[] = {Colour::rgb(255, 0, 0), Colour::rgb(0, 255, 0),
                              Colour::rgb(0, 0, 255), Colour::rgb(255, 255, 0)};
    for (int x = 0; x < 4; ++x) {
        source.setFillColour(colours[x]);
        source.setLineColour(colours[x]);
        source.drawRectangle(x, 0, x + 1, 1);
    }
    RasterImage dest;
    dest.create(PixelFormat::Bgr24, 2, 1);
    dest.stretchImage({0, 0, 2, 1}, source);
    std::set<std::uint32_t> used;
    for (int x = 0; x < 2; ++x) {
        Colour c = dest.pixel(x, 0);
        bool known = std::find(std::begin(colours), std::end(colours), c) != std::end(colours);
        EXPECT_TRUE(known) << x;
        used.insert(dest.pixelValue(x, 0));
    }
    EXPECT_EQ(used.size(), 2u);
}

TEST(stretchImage, NearestNeighbourDropsAndRepeatsWholeRowsAndColumns) {
    struct Case {
        std::int32_t sw, sh, dw, dh;
    };
    for (Case c :
         {Case{200, 100, 37, 91}, Case{7, 5, 64, 23}, Case{50, 50, 50, 13}, Case{3, 90, 300, 1}}) {
        SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh);
        RasterImage source = numbered(c.sw, c.sh);
        RasterImage dest;
        dest.create(PixelFormat::Bgr24, c.dw, c.dh);
        dest.stretchImage({0, 0, c.dw, c.dh}, source);
        // Every destination pixel is a source pixel, the column depends on x only, the row on y
        // only, and both move forward monotonically.
        std::vector<int> columnOf(c.dw), rowOf(c.dh);
        for (std::int32_t y = 0; y < c.dh; ++y)
            for (std::int32_t x = 0; x < c.dw; ++x) {
                Colour p = dest.pixel(x, y);
                ASSERT_EQ(p.blue, 7);
                if (y == 0) columnOf[x] = p.red;
                if (x == 0) rowOf[y] = p.green;
                ASSERT_EQ(p.red, columnOf[x]);
                ASSERT_EQ(p.green, rowOf[y]);
            }
        for (std::int32_t x = 1; x < c.dw; ++x) EXPECT_GE(columnOf[x], columnOf[x - 1]);
        for (std::int32_t y = 1; y < c.dh; ++y) EXPECT_GE(rowOf[y], rowOf[y - 1]);
        // The pixel chosen lies under the destination pixel's area.
        for (std::int32_t x = 0; x < c.dw; ++x) {
            EXPECT_GE((columnOf[x] + 1) * std::int64_t{c.dw}, x * std::int64_t{c.sw});
            EXPECT_LE(columnOf[x] * std::int64_t{c.dw}, (x + 1) * std::int64_t{c.sw});
        }
    }
}

TEST(stretchImage, OneBitShrinkLetsBlackWin) {
    // A single black column (x = 5) and a single black row (y = 3) in a 16 × 8 image; halving
    // and quartering keep both.
    RasterImage source = oneBit(16, 8, {{5, 0, 6, 8}, {0, 3, 16, 4}});
    for (auto [dw, dh] : {std::pair{8, 4}, {4, 2}, {3, 3}}) {
        SCOPED_TRACE(testing::Message() << dw << "x" << dh);
        for (PixelFormat destFormat : {PixelFormat::Indexed1, PixelFormat::Bgr24}) {
            RasterImage dest;
            dest.create(destFormat, dw, dh);
            dest.stretchImage({0, 0, dw, dh}, source);
            // Exactly one column and one row come out black, all through; the rest is white.
            int blackColumns = 0, blackRows = 0, black = 0;
            for (std::int32_t x = 0; x < dw; ++x) {
                bool all = true;
                for (std::int32_t y = 0; y < dh; ++y) all = all && dest.pixel(x, y) == kBlack;
                blackColumns += all;
            }
            for (std::int32_t y = 0; y < dh; ++y) {
                bool all = true;
                for (std::int32_t x = 0; x < dw; ++x) {
                    all = all && dest.pixel(x, y) == kBlack;
                    black += dest.pixel(x, y) == kBlack;
                    EXPECT_TRUE(dest.pixel(x, y) == kBlack || dest.pixel(x, y) == kWhite);
                }
                blackRows += all;
            }
            EXPECT_EQ(blackColumns, 1);
            EXPECT_EQ(blackRows, 1);
            EXPECT_EQ(black, dw + dh - 1);
        }
    }
}

TEST(stretchImage, BlackWinsAlsoWhenTheFileListsWhiteFirst) {
    RasterImage source;
    source.allocate(PixelFormat::Indexed1, 16, 8);
    source.setPalette({kWhite, kBlack});
    source.setFillColour(kWhite);
    source.setLineColour(kWhite);
    source.drawRectangle(0, 0, 16, 8);
    source.setFillColour(kBlack);
    source.setLineColour(kBlack);
    source.drawRectangle(5, 0, 6, 8);  // one black column, stored as index 1
    ASSERT_EQ(source.pixelValue(5, 0), 1u);
    for (PixelFormat destFormat : {PixelFormat::Indexed1, PixelFormat::Bgr24}) {
        RasterImage dest;
        dest.create(destFormat, 4, 2);
        dest.stretchImage({0, 0, 4, 2}, source);
        for (std::int32_t x = 0; x < 4; ++x)
            for (std::int32_t y = 0; y < 2; ++y)
                EXPECT_EQ(dest.pixel(x, y), x == 1 ? kBlack : kWhite) << x << "," << y;
    }
}

TEST(copyArea, OneBitColumnsStretchWhileRowsMapOneToOne) {
    // A grating of 1-pixel bars every 4 pixels, 40 wide, squeezed into 30 columns: no bar may
    // vanish.
    std::vector<Rect> bars;
    for (std::int32_t x = 0; x < 40; x += 4) bars.push_back({x, 0, x + 1, 6});
    RasterImage grating = oneBit(40, 6, bars);
    RasterImage chart = oneBit(100, 20, {});
    chart.copyArea({50, 10, 80, 16}, grating, {0, 0, 40, 6});
    int blackColumns = 0;
    for (std::int32_t x = 0; x < 100; ++x) {
        bool black = chart.pixel(x, 12) == kBlack;
        blackColumns += black;
        if (black) {
            EXPECT_GE(x, 50);
            EXPECT_LT(x, 80);
            for (std::int32_t y = 10; y < 16; ++y) EXPECT_EQ(chart.pixel(x, y), kBlack);
        }
        EXPECT_EQ(chart.pixel(x, 9), kWhite);
        EXPECT_EQ(chart.pixel(x, 16), kWhite);
    }
    EXPECT_EQ(blackColumns, 10);
}

TEST(copyArea, EqualSizesCopyExactlyAndSkipWhatLiesOutsideTheSource) {
    RasterImage source = numbered(20, 10);
    RasterImage dest;
    dest.create(PixelFormat::Bgr24, 30, 30);
    // Source rectangle hangs 5 pixels off the left and 3 off the bottom of the source.
    dest.copyArea({10, 10, 25, 18}, source, {-5, 5, 10, 13});
    for (std::int32_t y = 10; y < 18; ++y)
        for (std::int32_t x = 10; x < 25; ++x) {
            std::int32_t sx = x - 10 - 5, sy = y - 10 + 5;
            if (sx < 0 || sy >= 10)
                EXPECT_EQ(dest.pixel(x, y), kWhite) << x << "," << y;
            else
                EXPECT_EQ(dest.pixel(x, y), source.pixel(sx, sy)) << x << "," << y;
        }
    EXPECT_EQ(dest.pixel(9, 12), kWhite);
    EXPECT_EQ(dest.pixel(25, 12), kWhite);
}

TEST(copyArea, StripsOfEveryWidthAndOffsetMatchAPixelByPixelCopy) {
    // Pixel-exact copies in every format, at bit offsets that exercise partial bytes.
    std::mt19937 random(42);
    for (PixelFormat format : {PixelFormat::Indexed1, PixelFormat::Indexed4, PixelFormat::Indexed8,
                               PixelFormat::Bgr24, PixelFormat::Bgrx32}) {
        SCOPED_TRACE(bitsPerPixel(format));
        RasterImage source;
        source.create(format, 53, 7);
        for (int i = 0; i < 200; ++i) {
            std::int32_t x = static_cast<std::int32_t>(random() % 53),
                         y = static_cast<std::int32_t>(random() % 7);
            Colour c = Colour::rgb(static_cast<std::uint8_t>(random()),
                                   static_cast<std::uint8_t>(random()),
                                   static_cast<std::uint8_t>(random()));
            if (format == PixelFormat::Indexed1) c = (random() & 1) ? kBlack : kWhite;
            source.setFillColour(c);
            source.setLineColour(c);
            source.drawRectangle(x, y, x + 1, y + 1);
        }
        for (int trial = 0; trial < 60; ++trial) {
            RasterImage dest;
            dest.create(format, 61, 9);
            dest.setFillColour(kBlack);
            dest.drawRectangle(0, 0, 61, 9);
            auto sx = static_cast<std::int32_t>(random() % 53);
            auto w = static_cast<std::int32_t>(1 + random() % 20);
            auto dx = static_cast<std::int32_t>(random() % 61) - 5;
            dest.copyArea({dx, 1, dx + w, 8}, source, {sx, 0, sx + w, 7});
            for (std::int32_t y = 0; y < 9; ++y)
                for (std::int32_t x = 0; x < 61; ++x) {
                    std::int32_t from = x - dx + sx;
                    bool copied = y >= 1 && y < 8 && x >= dx && x < dx + w && from < 53;
                    std::uint32_t expected =
                        copied ? source.pixelValue(from, y - 1) : dest.pixelValue(0, 0) /* black */;
                    ASSERT_EQ(dest.pixelValue(x, y), expected)
                        << "trial " << trial << " at " << x << "," << y;
                }
        }
    }
}

TEST(drawImageAt, NegativeCoordinatesCropTheSource) {
    RasterImage source = numbered(12, 12);
    RasterImage dest;
    dest.create(PixelFormat::Bgr24, 8, 8);
    dest.drawImageAt(-3, -2, source);
    for (std::int32_t y = 0; y < 8; ++y)
        for (std::int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(dest.pixel(x, y), source.pixel(x + 3, y + 2)) << x << "," << y;
    dest.create(PixelFormat::Bgr24, 8, 8);
    dest.drawImageAt(5, 6, source);
    EXPECT_EQ(dest.pixel(4, 7), kWhite);
    EXPECT_EQ(dest.pixel(7, 7), source.pixel(2, 1));
    dest.drawImageAt(-20, 0, source);  // wholly outside: nothing happens
    EXPECT_EQ(dest.pixel(0, 0), kWhite);
}

TEST(stretchImage, IndexedAndColourSourcesConvertToTheDestinationFormat) {
    RasterImage oneBitSource = oneBit(4, 4, {{0, 0, 2, 4}});
    RasterImage colour;
    colour.create(PixelFormat::Bgr24, 4, 4);
    colour.drawImageAt(0, 0, oneBitSource);
    EXPECT_EQ(colour.pixel(1, 1), kBlack);
    EXPECT_EQ(colour.pixel(2, 1), kWhite);

    // Colour into 1-bit takes the nearest of black and white.
    colour.setFillColour(Colour::rgb(200, 210, 190));
    colour.setLineColour(Colour::rgb(40, 20, 60));
    colour.drawRectangle(0, 0, 4, 4);
    RasterImage mono;
    mono.create(PixelFormat::Indexed1, 4, 4);
    mono.stretchImage({0, 0, 4, 4}, colour);
    EXPECT_EQ(mono.pixel(0, 0), kBlack);
    EXPECT_EQ(mono.pixel(1, 1), kWhite);
}

TEST(stretchImage, AveragesColourOnlyForDevicesOfEightBitsOrFewer) {
    RasterImage source;
    source.create(PixelFormat::Bgr24, 4, 2);
    source.setFillColour(kBlack);
    source.setLineColour(kBlack);
    source.drawRectangle(0, 0, 1, 2);  // columns: black, white, white, white
    source.drawRectangle(2, 0, 3, 2);  // columns: black, white, black, white
    RasterImage dest;
    dest.create(PixelFormat::Bgr24, 2, 1);
    dest.stretchImage({0, 0, 2, 1}, source, 8);
    EXPECT_EQ(dest.pixel(0, 0), Colour::rgb(128, 128, 128));  // (0 + 255) / 2, rounded
    EXPECT_EQ(dest.pixel(1, 0), Colour::rgb(128, 128, 128));
    dest.stretchImage({0, 0, 2, 1}, source, 24);
    EXPECT_TRUE(dest.pixel(0, 0) == kBlack || dest.pixel(0, 0) == kWhite);
    EXPECT_TRUE(dest.pixel(1, 0) == kBlack || dest.pixel(1, 0) == kWhite);
    // An 8-bit source is not deeper than such a device: still nearest pixel.
    RasterImage indexed;
    indexed.create(PixelFormat::Indexed8, 4, 2);
    indexed.drawImageAt(0, 0, source);
    dest.stretchImage({0, 0, 2, 1}, indexed, 8);
    EXPECT_TRUE(dest.pixel(0, 0) == kBlack || dest.pixel(0, 0) == kWhite);
    EXPECT_TRUE(dest.pixel(1, 0) == kBlack || dest.pixel(1, 0) == kWhite);
}

TEST(stretchImage, EmptySourceOrEmptyRectangleDrawsNothing) {
    RasterImage empty;
    RasterImage dest;
    dest.create(PixelFormat::Bgr24, 5, 5);
    dest.stretchImage({0, 0, 5, 5}, empty);
    RasterImage black = oneBit(2, 2, {{0, 0, 2, 2}});
    dest.stretchImage({3, 3, 3, 5}, black);
    dest.stretchImage({4, 4, 2, 2}, black);
    for (std::int32_t y = 0; y < 5; ++y)
        for (std::int32_t x = 0; x < 5; ++x) EXPECT_EQ(dest.pixel(x, y), kWhite);
    dest.stretchImage({-1000000000, -1000000000, 1000000000, 1000000000}, black);
    EXPECT_EQ(dest.pixel(2, 2), kBlack);  // huge rectangles clip without overflow
}

TEST(copyArea, CopyingWithinOneImageReadsTheOriginalPixels) {
    RasterImage image = numbered(10, 1);
    image.copyArea({1, 0, 10, 1}, image, {0, 0, 9, 1});
    for (std::int32_t x = 1; x < 10; ++x) EXPECT_EQ(image.pixel(x, 0).red, x - 1);
}

}  // namespace
}  // namespace lenzora::raster

namespace lenzora::raster {
namespace {

TEST(copyAreas, GivesWhatCopyAreaGivesPairByPair) {
    std::mt19937 random(3);
    const std::pair<PixelFormat, std::int32_t> cases[] = {
        {PixelFormat::Bgr24, 1},  {PixelFormat::Bgr24, 2},    {PixelFormat::Bgr24, 3},
        {PixelFormat::Bgrx32, 1}, {PixelFormat::Indexed8, 2}, {PixelFormat::Indexed1, 1}};
    for (const auto& [format, firstWidth] : cases) {
        SCOPED_TRACE(std::to_string(bitsPerPixel(format)) + " bits, first " +
                     std::to_string(firstWidth));
        RasterImage source;
        source.create(format, 40, 12);
        source.drawImageAt(0, 0, numbered(40, 12));
        std::vector<RasterImage::AreaCopy> copies;
        // Strips of one to three pixels at a lens period of 5, some hanging off the edges, and
        // one pair of different sizes.
        for (std::int32_t x = -3; x < 45; x += 5) {
            // The first strip on the image (x = 2) has the width the others mostly share.
            auto w = static_cast<std::int32_t>(1 + random() % 3);
            if (x == 2) w = firstWidth;
            auto from = static_cast<std::int32_t>(random() % 40);
            copies.push_back({{x, -2, x + w, 11}, {from, 0, from + w, 13}});
        }
        RasterImage together, oneByOne;
        together.create(format, 44, 10);
        oneByOne.create(format, 44, 10);
        together.copyAreas(source, copies);
        for (const auto& c : copies) oneByOne.copyArea(c.dest, source, c.source);
        copies.push_back({{0, 0, 10, 5}, {0, 0, 40, 12}});
        RasterImage mixedTogether, mixedOneByOne;
        mixedTogether.copyFrom(together);
        mixedOneByOne.copyFrom(oneByOne);
        mixedTogether.copyAreas(source, copies);
        for (const auto& c : copies) mixedOneByOne.copyArea(c.dest, source, c.source);
        int differences = 0, copied = 0;
        for (std::int32_t y = 0; y < 10; ++y)
            for (std::int32_t x = 0; x < 44; ++x) {
                differences += together.pixelValue(x, y) != oneByOne.pixelValue(x, y);
                differences += mixedTogether.pixelValue(x, y) != mixedOneByOne.pixelValue(x, y);
                copied += !(together.pixel(x, y) == kWhite);
            }
        EXPECT_EQ(differences, 0);
        EXPECT_GT(copied, 44 * 10 / 5);
    }
}

}  // namespace
}  // namespace lenzora::raster
