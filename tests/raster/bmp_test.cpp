#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/error.h"
#include "platform/file_io.h"
#include "raster/bmp_band_file.h"
#include "raster/bmp_codec.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

// Designated initializers leave the fields they do not name at their defaults, on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace lenzora::raster {
namespace {

// ---- building BMP files byte by byte ----------------------------------------------------------

void put16(platform::Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(platform::Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void set32(platform::Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct BmpFile {
    std::uint32_t headerSize = 40;
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: top-down
    std::uint16_t planes = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> masks;  // red, green, blue (, alpha)
    std::vector<Colour> palette;
    platform::Bytes pixels;  // as stored

    platform::Bytes build() const {
        platform::Bytes b{'B', 'M'};
        put32(b, 0);  // file size, filled in below
        put32(b, 0);
        put32(b, 0);  // data offset, filled in below
        put32(b, headerSize);
        if (headerSize == 12) {
            put16(b, static_cast<std::uint32_t>(width));
            put16(b, static_cast<std::uint32_t>(height));
            put16(b, planes);
            put16(b, bits);
        } else {
            put32(b, static_cast<std::uint32_t>(width));
            put32(b, static_cast<std::uint32_t>(height));
            put16(b, planes);
            put16(b, bits);
            put32(b, compression);
            put32(b, static_cast<std::uint32_t>(pixels.size()));
            put32(b, 2835);
            put32(b, 2835);
            put32(b, coloursUsed);
            put32(b, 0);
            std::size_t inHeader = 0;
            for (; inHeader < masks.size() && 40 + 4 * inHeader < headerSize; ++inHeader)
                put32(b, masks[inHeader]);
            b.resize(14 + headerSize, 0);  // rest of a long header: colour space, gamma ...
            for (std::size_t i = inHeader; i < masks.size(); ++i) put32(b, masks[i]);
        }
        for (const Colour& c : palette) {
            b.push_back(c.blue);
            b.push_back(c.green);
            b.push_back(c.red);
            if (headerSize != 12) b.push_back(0);
        }
        set32(b, 10, static_cast<std::uint32_t>(b.size()));
        b.insert(b.end(), pixels.begin(), pixels.end());
        set32(b, 2, static_cast<std::uint32_t>(b.size()));
        return b;
    }
};

// Packs one row of values (palette indices, or packed pixels for 16 and 32 bits, or 0xRRGGBB for
// 24 bits) as a BMP stores it, padded to four bytes.
platform::Bytes packRow(int bits, const std::vector<std::uint32_t>& values) {
    platform::Bytes row;
    if (bits < 8) {
        std::uint32_t acc = 0;
        int used = 0;
        for (std::uint32_t v : values) {
            acc = acc << bits | v;
            used += bits;
            if (used == 8) {
                row.push_back(static_cast<std::uint8_t>(acc));
                acc = 0;
                used = 0;
            }
        }
        if (used > 0) row.push_back(static_cast<std::uint8_t>(acc << (8 - used)));
    } else {
        for (std::uint32_t v : values)
            for (int i = 0; i < bits / 8; ++i)
                row.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    while (row.size() % 4 != 0) row.push_back(0xEE);  // padding need not be zero in a file
    return row;
}

const Colour R = Colour::rgb(255, 0, 0), G = Colour::rgb(0, 255, 0), B = Colour::rgb(0, 0, 255),
             K = kBlack, W = kWhite, Y = Colour::rgb(255, 255, 0);

std::vector<Colour> fourColours() { return {K, R, G, B}; }

void expectPixels(const RasterImage& image, std::int32_t w, const std::vector<Colour>& topDown) {
    ASSERT_EQ(image.width(), w);
    ASSERT_EQ(static_cast<std::size_t>(image.height()), topDown.size() / w);
    for (std::size_t i = 0; i < topDown.size(); ++i) {
        auto x = static_cast<std::int32_t>(i % w), y = static_cast<std::int32_t>(i / w);
        EXPECT_EQ(image.pixel(x, y), topDown[i]) << "pixel " << x << "," << y;
    }
}

// ---- every accepted kind reads back -----------------------------------------------------------

struct KindCase {
    const char* name;
    BmpFile file;
    std::vector<std::vector<std::uint32_t>> rowsTopDown;  // values as packRow takes them
    std::vector<Colour> expected;                         // 3 × 2, top row first
    PixelFormat format;
};

BmpFile withRows(BmpFile f, const std::vector<std::vector<std::uint32_t>>& topDown) {
    bool topDownFile = f.height < 0;
    for (std::size_t i = 0; i < topDown.size(); ++i) {
        const auto& row = topDown[topDownFile ? i : topDown.size() - 1 - i];
        platform::Bytes packed = packRow(f.bits, row);
        f.pixels.insert(f.pixels.end(), packed.begin(), packed.end());
    }
    return f;
}

TEST(BmpRead, EveryAcceptedKindReadsBackToTheRightPixels) {
    std::vector<Colour> grey256;
    grey256.reserve(256);
    for (int i = 0; i < 256; ++i)
        grey256.push_back(Colour::rgb(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                      static_cast<std::uint8_t>(i)));
    std::vector<Colour> sixteen = fourColours();
    sixteen.resize(16, Y);
    const std::vector<std::vector<std::uint32_t>> idx = {{1, 2, 3}, {3, 0, 1}};
    const std::vector<Colour> idxColours = {R, G, B, B, K, R};
    const std::vector<std::vector<std::uint32_t>> rgb24 = {{0xFF0000, 0x00FF00, 0x0000FF},
                                                           {0xFFFFFF, 0x000000, 0xFFFF00}};
    const std::vector<Colour> rgbColours = {R, G, B, W, K, Y};
    // 5-5-5 and 5-6-5 words, and 32-bit pixels for masks in other positions.
    const std::vector<std::vector<std::uint32_t>> rgb555 = {{0x7C00, 0x03E0, 0x001F},
                                                            {0x7FFF, 0, 0x7FE0}};
    const std::vector<std::vector<std::uint32_t>> rgb565 = {{0xF800, 0x07E0, 0x001F},
                                                            {0xFFFF, 0, 0xFFE0}};
    const std::vector<std::vector<std::uint32_t>> abgr32 = {{0x000000FF, 0x0000FF00, 0x00FF0000},
                                                            {0x00FFFFFF, 0xFF000000, 0x0000FFFF}};
    const std::vector<std::uint32_t> masks565 = {0xF800, 0x07E0, 0x001F};
    const std::vector<std::uint32_t> masksRgbx = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};

    const std::vector<Colour> twoColours = {R, B};
    std::vector<KindCase> cases = {
        {"core 1-bit",
         {.headerSize = 12, .width = 3, .height = 2, .bits = 1, .palette = twoColours},
         {{0, 1, 1}, {1, 0, 1}},
         {R, B, B, B, R, B},
         PixelFormat::Indexed1},
        {"core 4-bit",
         {.headerSize = 12, .width = 3, .height = 2, .bits = 4, .palette = sixteen},
         idx,
         idxColours,
         PixelFormat::Indexed4},
        {"core 8-bit",
         {.headerSize = 12, .width = 3, .height = 2, .bits = 8, .palette = grey256},
         {{0, 128, 255}, {1, 2, 3}},
         {K, Colour::rgb(128, 128, 128), W, Colour::rgb(1, 1, 1), Colour::rgb(2, 2, 2),
          Colour::rgb(3, 3, 3)},
         PixelFormat::Indexed8},
        {"core 24-bit",
         {.headerSize = 12, .width = 3, .height = 2, .bits = 24},
         rgb24,
         rgbColours,
         PixelFormat::Bgr24},
        {"1-bit",
         {.width = 3, .height = 2, .bits = 1, .palette = twoColours},
         {{0, 1, 1}, {1, 0, 1}},
         {R, B, B, B, R, B},
         PixelFormat::Indexed1},
        {"4-bit, four colours used",
         {.width = 3, .height = 2, .bits = 4, .coloursUsed = 4, .palette = fourColours()},
         idx,
         idxColours,
         PixelFormat::Indexed4},
        {"8-bit, four colours used",
         {.width = 3, .height = 2, .bits = 8, .coloursUsed = 4, .palette = fourColours()},
         idx,
         idxColours,
         PixelFormat::Indexed8},
        {"8-bit top-down",
         {.width = 3, .height = -2, .bits = 8, .coloursUsed = 4, .palette = fourColours()},
         idx,
         idxColours,
         PixelFormat::Indexed8},
        {"24-bit", {.width = 3, .height = 2, .bits = 24}, rgb24, rgbColours, PixelFormat::Bgr24},
        {"24-bit top-down",
         {.width = 3, .height = -2, .bits = 24},
         rgb24,
         rgbColours,
         PixelFormat::Bgr24},
        {"16-bit 5-5-5",
         {.width = 3, .height = 2, .bits = 16},
         rgb555,
         rgbColours,
         PixelFormat::Bgrx32},
        {"32-bit", {.width = 3, .height = 2, .bits = 32}, rgb24, rgbColours, PixelFormat::Bgrx32},
        {"16-bit 5-6-5 masks after a 40-byte header",
         {.width = 3, .height = 2, .bits = 16, .compression = 3, .masks = masks565},
         rgb565,
         rgbColours,
         PixelFormat::Bgrx32},
        {"32-bit masks in a 52-byte header",
         {.headerSize = 52,
          .width = 3,
          .height = 2,
          .bits = 32,
          .compression = 3,
          .masks = masksRgbx},
         abgr32,
         rgbColours,
         PixelFormat::Bgrx32},
        {"32-bit masks and alpha in a 56-byte header",
         {.headerSize = 56,
          .width = 3,
          .height = -2,
          .bits = 32,
          .compression = 3,
          .masks = masksRgbx},
         abgr32,
         rgbColours,
         PixelFormat::Bgrx32},
        {"16-bit 5-6-5 in a 108-byte header",
         {.headerSize = 108,
          .width = 3,
          .height = 2,
          .bits = 16,
          .compression = 3,
          .masks = masks565},
         rgb565,
         rgbColours,
         PixelFormat::Bgrx32},
        {"8-bit in a 124-byte header",
         {.headerSize = 124, .width = 3, .height = 2, .bits = 8, .palette = grey256},
         {{0, 128, 255}, {1, 2, 3}},
         {K, Colour::rgb(128, 128, 128), W, Colour::rgb(1, 1, 1), Colour::rgb(2, 2, 2),
          Colour::rgb(3, 3, 3)},
         PixelFormat::Indexed8},
        {"24-bit in a 124-byte header",
         {.headerSize = 124, .width = 3, .height = 2, .bits = 24},
         rgb24,
         rgbColours,
         PixelFormat::Bgr24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform::Bytes bytes = withRows(c.file, c.rowsTopDown).build();
        RasterImage image = decodeBmp(bytes);
        EXPECT_EQ(image.format(), c.format);
        expectPixels(image, 3, c.expected);
        if (isIndexed(c.format)) {
            EXPECT_EQ(image.palette().size(),
                      c.file.coloursUsed ? c.file.coloursUsed : (1u << bitsPerPixel(c.format)));
        }
    }
}

TEST(BmpRead, FileWithoutItsLastRowsPaddingIsAccepted) {
    BmpFile f = withRows({.width = 3, .height = 2, .bits = 24},
                         {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0xFFFF00}});
    platform::Bytes bytes = f.build();
    bytes.resize(bytes.size() - 3);  // the top row (stored last) loses its padding
    expectPixels(decodeBmp(bytes), 3, {R, G, B, W, K, Y});
}

TEST(BmpRead, RunLengthEncodedEightBit) {
    // 4 × 3; lines are bottom-up. Untouched pixels keep index 0.
    BmpFile f{.width = 4,
              .height = 3,
              .bits = 8,
              .compression = 1,
              .coloursUsed = 4,
              .palette = fourColours()};
    f.pixels = {4, 1, 0, 0,                    // bottom: run of four 1s, end of line
                0, 3, 2, 3, 2, 0, 1, 1, 0, 0,  // literal 2 3 2 (padded), run of one 1, end of line
                0, 2, 1, 0, 2, 3,              // move one right, run of two 3s
                0, 1};                         // end of bitmap
    expectPixels(decodeBmp(f.build()), 4, {K, B, B, K, G, B, G, R, R, R, R, R});
}

TEST(BmpRead, RunLengthEncodedFourBit) {
    BmpFile f{.width = 5,
              .height = 2,
              .bits = 4,
              .compression = 2,
              .coloursUsed = 4,
              .palette = fourColours()};
    f.pixels = {5, 0x12, 0,    0,     // bottom: 1 2 1 2 1
                0, 3,    0x31, 0x20,  // literal 3 1 2
                2, 0x33, 0,    1};    // run 3 3, end of bitmap
    expectPixels(decodeBmp(f.build()), 5, {B, R, G, B, B, R, G, R, G, R});
}

TEST(BmpRead, RunLengthLastRowMayEndWithEndOfLineBeforeEndOfBitmap) {
    // Other programs end every row, the last one too, with end of line and only then write
    // end of bitmap; their files must open here as well.
    struct Case {
        std::int32_t width, height;
        platform::Bytes data;
        std::vector<Colour> topDown;
    } cases[] = {
        {4, 2, {4, 1, 0, 0, 0, 4, 2, 3, 2, 1, 0, 0, 0, 1}, {G, B, G, R, R, R, R, R}},
        {3, 1, {3, 3, 0, 0, 0, 1}, {B, B, B}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        BmpFile f{.width = c.width,
                  .height = c.height,
                  .bits = 8,
                  .compression = 1,
                  .coloursUsed = 4,
                  .palette = fourColours()};
        f.pixels = c.data;
        expectPixels(decodeBmp(f.build()), c.width, c.topDown);
    }
}

// ---- refusals ---------------------------------------------------------------------------------

struct BadCase {
    const char* name;
    platform::Bytes bytes;
};

platform::Bytes valid24() {
    return withRows({.width = 3, .height = 2, .bits = 24}, {{0, 0, 0}, {0, 0, 0}}).build();
}

platform::Bytes patched(platform::Bytes b, std::size_t at, std::uint32_t v, int size = 4) {
    for (int i = 0; i < size; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    return b;
}

platform::Bytes rle8(std::int32_t w, std::int32_t h, platform::Bytes data) {
    BmpFile f{
        .width = w, .height = h, .bits = 8, .compression = 1, .coloursUsed = 2, .palette = {K, W}};
    f.pixels = std::move(data);
    return f.build();
}

platform::Bytes corpusFile(const char* name) {
    return platform::readWholeFile(std::filesystem::path(LENZORA_BMP_CORPUS) / name);
}

TEST(BmpRead, DamagedAndHostileFilesAreRefused) {
    platform::Bytes base = valid24();
    platform::Bytes truncated = base;
    truncated.resize(base.size() - 4);
    platform::Bytes shortPalette = BmpFile{
        .width = 1,
        .height = 1,
        .bits = 8,
        .coloursUsed = 200,
        .palette = fourColours(),
        .pixels = {0, 0, 0, 0}}.build();
    const std::vector<BadCase> cases = {
        {"empty", {}},
        {"only the file header", platform::Bytes(base.begin(), base.begin() + 14)},
        {"other magic", patched(base, 0, 'B' | 'A' << 8, 2)},
        {"planes 2", patched(base, 26, 2, 2)},
        {"header size 20", patched(base, 14, 20)},
        {"header size past the file", patched(base, 14, 0xFFFFFFF0)},
        {"width 0", patched(base, 18, 0)},
        {"negative width", patched(base, 18, static_cast<std::uint32_t>(-3))},
        {"height 0", patched(base, 22, 0)},
        {"height of INT_MIN", patched(base, 22, 0x80000000u)},
        {"2 bits per pixel", patched(base, 28, 2, 2)},
        {"64 bits per pixel", patched(base, 28, 64, 2)},
        {"JPEG compression", patched(base, 30, 4)},
        {"run-length with 24 bits", patched(base, 30, 1)},
        {"pixel data cut short", truncated},
        {"huge width", patched(base, 18, 0x7FFFFFFF)},
        {"huge height", patched(base, 22, 0x7FFFFFFF)},
        {"width × height past 32 bits", patched(patched(base, 18, 0x10000), 22, 0x10000)},
        {"data offset past the end", patched(base, 10, 0xFFFFFFF0)},
        {"more colours than 1 bit allows", BmpFile{.width = 1,
                                                   .height = 1,
                                                   .bits = 1,
                                                   .coloursUsed = 3,
                                                   .palette = {K, W, R},
                                                   .pixels = {0, 0, 0, 0}}
                                               .build()},
        {"palette past the end", shortPalette},
        {"core header with 16 bits",
         BmpFile{.headerSize = 12, .width = 1, .height = 1, .bits = 16, .pixels = {0, 0, 0, 0}}
             .build()},
        {"run past the row", rle8(4, 2, {5, 1, 0, 1})},
        {"literal past the row", rle8(4, 2, {0, 5, 1, 1, 1, 1, 1, 0, 0, 1})},
        {"literal cut short", rle8(4, 2, {0, 4, 1, 1})},
        {"move past the image", rle8(4, 2, {0, 2, 1, 5, 1, 1})},
        {"runs below the last line", rle8(4, 2, {0, 0, 0, 0, 1, 1})},
        {"run-length top-down", patched(rle8(4, 2, {0, 1}), 22, static_cast<std::uint32_t>(-2))},
        {"run-length bomb", rle8(60000, 60000, {0, 1})},
        // Bytes after "end of bitmap" are no pixel data, however many follow.
        {"run-length end, then padding", corpusFile("rle8-end-then-padding.bmp")},
        {"RLE4 claiming 5 x 16712192 in 88 bytes", corpusFile("rle4-tall-claim-88-bytes.bmp")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            decodeBmp(c.bytes);
            ADD_FAILURE() << "accepted";
        } catch (const platform::Error& e) {
            EXPECT_STREQ(e.what(), "Bitmap image is not valid");
        }
    }
}

// ---- writing ----------------------------------------------------------------------------------

std::uint32_t u32At(const platform::Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

TEST(BmpWrite, OneByOneColourImageIsFiftyEightBytes) {
    RasterImage image;
    image.create(PixelFormat::Bgr24, 1, 1);
    image.setFillColour(Colour::rgb(0x30, 0x20, 0x10));
    image.setLineColour(image.fillColour());
    image.drawRectangle(0, 0, 1, 1);
    const platform::Bytes expected = {
        'B',  'M',  58,   0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
        40,   0,    0,    0, 1, 0, 0, 0, 1, 0, 0,  0,        // size, width, height
        1,    0,    24,   0, 0, 0, 0, 0, 4, 0, 0,  0,  // planes, bits, compression, image size
        0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0,
        0,    0,               // resolution, colours used, important
        0x10, 0x20, 0x30, 0};  // blue, green, red, padding
    EXPECT_EQ(encodeBmp(image), expected);
}

TEST(BmpWrite, RowStridesAndSizes) {
    struct Case {
        PixelFormat format;
        std::int32_t width, height;
        std::uint32_t stride, paletteEntries;
    };
    for (Case c :
         {Case{PixelFormat::Bgr24, 287, 3, 864, 0}, Case{PixelFormat::Bgr24, 65, 2, 196, 0},
          Case{PixelFormat::Indexed1, 33, 4, 8, 2}, Case{PixelFormat::Indexed8, 5, 1, 8, 256}}) {
        SCOPED_TRACE(c.width);
        RasterImage image;
        image.create(c.format, c.width, c.height);
        platform::Bytes b = encodeBmp(image);
        std::uint32_t offset = 54 + 4 * c.paletteEntries;
        EXPECT_EQ(b.size(), offset + c.stride * c.height);
        EXPECT_EQ(u32At(b, 2), b.size());
        EXPECT_EQ(u32At(b, 10), offset);
        EXPECT_EQ(u32At(b, 34), c.stride * c.height);  // image size
        EXPECT_EQ(u32At(b, 46), c.paletteEntries);     // colours used
        EXPECT_EQ(b[28], bitsPerPixel(c.format));
    }
}

TEST(BmpWrite, OneBitImageHasItsPaletteRowsBottomUpAndZeroPadding) {
    RasterImage image;
    image.create(PixelFormat::Indexed1, 10, 2);
    image.setFillColour(kBlack);
    image.drawRectangle(0, 1, 1, 2);  // bottom-left pixel black
    platform::Bytes b = encodeBmp(image);
    ASSERT_EQ(b.size(), 54u + 8 + 2 * 4);
    EXPECT_EQ(platform::Bytes(b.begin() + 54, b.begin() + 62),
              (platform::Bytes{0, 0, 0, 0, 255, 255, 255, 0}));
    // Bottom row first: pixel 0 black, 1..9 white; bits past the width and padding are zero.
    EXPECT_EQ(platform::Bytes(b.begin() + 62, b.end()),
              (platform::Bytes{0x7F, 0xC0, 0, 0, 0xFF, 0xC0, 0, 0}));
}

TEST(BmpWrite, TheResolutionGoesIntoBothFieldsAndNowhereElse) {
    struct Case {
        PixelFormat format;
        std::int32_t pixelsPerMetre;
    } cases[] = {{PixelFormat::Bgr24, 9984},        {PixelFormat::Bgr24, 47233},
                 {PixelFormat::Indexed1, 47233},    {PixelFormat::Indexed8, 1},
                 {PixelFormat::Bgrx32, 0x7FFFFFFF}, {PixelFormat::Indexed4, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pixelsPerMetre);
        RasterImage image;
        image.create(c.format, 9, 4);
        image.setFillColour(kBlack);
        image.drawRectangle(2, 1, 7, 3);
        const platform::Bytes bare = encodeBmp(image);
        const platform::Bytes stamped = encodeBmp(image, c.pixelsPerMetre);
        ASSERT_EQ(stamped.size(), bare.size());
        EXPECT_EQ(u32At(stamped, 38), static_cast<std::uint32_t>(c.pixelsPerMetre));
        EXPECT_EQ(u32At(stamped, 42), static_cast<std::uint32_t>(c.pixelsPerMetre));
        for (std::size_t i = 0; i < bare.size(); ++i) {
            if (i >= 38 && i < 46) continue;
            ASSERT_EQ(stamped[i], bare[i]) << "byte " << i;
        }
        platform::Bytes streamed;
        writeBmp(
            image,
            [&](platform::Pieces pieces) {
                for (const auto& piece : pieces)
                    streamed.insert(streamed.end(), piece.begin(), piece.end());
            },
            c.pixelsPerMetre);
        EXPECT_TRUE(streamed == stamped);
    }
}

TEST(BmpWrite, EveryFormatSurvivesARoundTrip) {
    std::vector<RasterImage> images;
    RasterImage colour;
    colour.create(PixelFormat::Bgr24, 7, 3);
    colour.setFillColour(Colour::rgb(1, 2, 3));
    colour.drawRectangle(1, 0, 5, 3);
    images.push_back(colour);
    for (PixelFormat f : {PixelFormat::Indexed1, PixelFormat::Indexed4, PixelFormat::Indexed8,
                          PixelFormat::Bgrx32}) {
        RasterImage other;
        other.create(f, 7, 3);
        other.drawImageAt(0, 0, colour);
        images.push_back(other);
    }
    for (const RasterImage& image : images) {
        SCOPED_TRACE(bitsPerPixel(image.format()));
        RasterImage back = decodeBmp(encodeBmp(image));
        ASSERT_EQ(back.format(), image.format());
        EXPECT_EQ(back.palette(), image.palette());
        for (std::int32_t y = 0; y < 3; ++y)
            for (std::int32_t x = 0; x < 7; ++x)
                EXPECT_EQ(back.pixelValue(x, y), image.pixelValue(x, y));
    }
}

TEST(BmpFiles, SaveAndLoadThroughTheFileSystem) {
    testing::TempDir dir;
    RasterImage image;
    image.create(PixelFormat::Indexed1, 29, 5);
    image.setFillColour(kBlack);
    image.drawRectangle(3, 1, 20, 4);
    image.saveBmpFile(dir / "chart.bmp");
    RasterImage loaded;
    loaded.setFontSize(12);
    loaded.loadBmpFile(dir / "chart.bmp");
    EXPECT_EQ(loaded.width(), 29);
    EXPECT_EQ(loaded.format(), PixelFormat::Indexed1);
    EXPECT_EQ(loaded.pixel(3, 1), kBlack);
    EXPECT_EQ(loaded.pixel(20, 1), kWhite);
    EXPECT_EQ(loaded.fontSize(), 12);  // the drawing state is the image's own

    std::string missing = (dir / "missing.bmp").string();
    try {
        loaded.loadBmpFile(missing);
        ADD_FAILURE() << "loaded a missing file";
    } catch (const platform::Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + missing + "\". File not found");
    }
    std::string nowhere = (dir / "no-folder" / "x.bmp").string();
    try {
        image.saveBmpFile(nowhere);
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const platform::Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + nowhere + "\". File not found");
    }
}

// A working file's rows go to the file straight from the image, many rows a call, when they
// can stand as they are; the file is the same as encodeBmp's either way, and a disk that fills
// part-way is reported and leaves no file.
TEST(BmpFiles, AWorkingFileHoldsTheEncodedBytesWhicheverWayItsRowsGo) {
    testing::TempDir dir;
    auto image = [](PixelFormat format, std::int32_t w, std::int32_t h) {
        RasterImage made;
        made.create(format, w, h);
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w * bitsPerPixel(format) / 8; ++x)
                made.row(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 13);
        return made;
    };
    RasterImage dirty = image(PixelFormat::Bgr24, 5, 3);
    dirty.row(1)[15] = 0x5A;  // padding not zero: the rows are copied and cleaned instead
    const RasterImage cases[] = {
        image(PixelFormat::Bgr24, 7, 3),       // three bytes of padding
        image(PixelFormat::Bgr24, 300, 1100),  // more rows than one call takes
        image(PixelFormat::Bgrx32, 9, 4),     image(PixelFormat::Indexed8, 5, 3), dirty,
    };
    int index = 0;
    for (const RasterImage& c : cases) {
        c.saveBmpFile(dir / "x01.bmp");
        EXPECT_TRUE(platform::readWholeFile(dir / "x01.bmp") == encodeBmp(c)) << index++;
    }
    {
        const testing::FileSizeLimit limit(100000);
        EXPECT_THROW(cases[1].saveBmpFile(dir / "x02.bmp"), platform::Error);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x02.bmp"));
}

// A file written a band of rows at a time, top to bottom as a decoder hands them on (or in any
// other order), holds encodeBmp's bytes of the whole picture once committed, whatever the row
// padding and band sizes; uncommitted, it leaves nothing.
TEST(BmpFiles, ABandWrittenFileHoldsTheEncodedBytesOfTheWholePicture) {
    testing::TempDir dir;
    struct Case {
        std::int32_t width, height;
        std::vector<std::int32_t> bandTops;  // in the order written; each band runs to the next top
    } cases[] = {
        {1, 5, {0, 2, 3}}, {2, 7, {0, 1, 4}}, {3, 4, {0}}, {7, 9, {5, 0, 2}},  // out of order
        {4, 3, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        RasterImage whole;
        whole.allocate(PixelFormat::Bgr24, c.width, c.height);
        for (std::int32_t y = 0; y < c.height; ++y)
            for (std::int32_t x = 0; x < 3 * c.width; ++x)
                whole.row(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 13 + 1);
        std::vector<std::int32_t> tops = c.bandTops;
        std::sort(tops.begin(), tops.end());
        tops.push_back(c.height);
        for (bool commit : {true, false}) {
            const auto path = dir / (commit ? "whole.bmp" : "left.bmp");
            BmpBandFile file(path, PixelFormat::Bgr24, c.width, c.height);
            for (std::int32_t top : c.bandTops) {
                const auto next = *std::upper_bound(tops.begin(), tops.end(), top);
                RasterImage band;
                band.allocate(PixelFormat::Bgr24, c.width, next - top + 2);  // rows to spare
                for (std::int32_t y = top; y < next; ++y)
                    std::memcpy(band.row(y - top), whole.row(y), 3 * std::size_t(c.width));
                file.write(top, band, next - top);
            }
            if (commit) file.commit();
        }
        EXPECT_TRUE(platform::readWholeFile(dir / "whole.bmp") == encodeBmp(whole)) << c.width;
        std::filesystem::remove(dir / "whole.bmp");
        EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.width;  // nor a part file
    }
}

}  // namespace
}  // namespace lenzora::raster
