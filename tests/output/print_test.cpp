#include <gtest/gtest.h>

#include "output/exact_rational.h"
#include "output/print_composite.h"
#include "output/print_image.h"
#include "output/print_layout.h"
#include "output/print_sheet.h"
#include "platform/testing/scripted_services.h"
#include "raster/jpeg_codec.h"
#include "raster/jpeg_exif.h"
#include "support/pictures.h"

namespace lenzora::output {
namespace {

using platform::testing::RecordingPrinter;

TEST(PrintLayout, WorkedExamples) {
    const PrinterPage page{4760, 6812, 600, 600};
    PrintPreviewLayout small = printPreviewLayout(page, 2000, 1500, 3000000);
    EXPECT_EQ(small.pageWidth, 198);
    EXPECT_EQ(small.pageHeight, 284);
    EXPECT_EQ(small.pageLeft, 143);
    EXPECT_EQ(small.pageTop, 104);
    EXPECT_EQ(small.box, (raster::Rect{16, 80, 182, 204}));
    EXPECT_EQ(small.diagonals[1].x, 182);
    EXPECT_EQ(small.diagonals[2].y, 204);
    EXPECT_FALSE(small.sizeOver);
    EXPECT_EQ(printRectangle(page, 2000, 1500, 3000000), (raster::Rect{380, 1906, 4380, 4906}));

    PrintPreviewLayout large = printPreviewLayout(page, 4776, 3328, 4227500);
    EXPECT_EQ(large.box.right - large.box.left, 282);
    EXPECT_EQ(large.box.bottom - large.box.top, 196);
    EXPECT_TRUE(large.sizeOver);
    EXPECT_EQ(printRectangle(page, 4776, 3328, 4227500), (raster::Rect{-1009, 1044, 5769, 5768}));
}

TEST(PrintLayout, TheWarningNeedsMoreThanAnInchOver) {
    const PrinterPage page{3000, 3000, 600, 600};                         // 5 x 5 inches
    EXPECT_FALSE(printPreviewLayout(page, 1800, 100, 3000000).sizeOver);  // 6 in: one over
    EXPECT_TRUE(printPreviewLayout(page, 1801, 100, 3000000).sizeOver);
    EXPECT_FALSE(printPreviewLayout(page, 100, 1800, 3000000).sizeOver);
    EXPECT_TRUE(printPreviewLayout(page, 100, 1801, 3000000).sizeOver);
}

TEST(PrintLayout, HeightsUseTheVerticalResolution) {
    const PrinterPage page{2400, 2400, 600, 300};  // 4 x 8 inches
    PrintPreviewLayout layout = printPreviewLayout(page, 600, 600, 3000000);
    EXPECT_EQ(layout.pageWidth, 100);
    EXPECT_EQ(layout.pageHeight, 200);
    // Two inches square on paper: 1200 dots across, 600 rows down.
    EXPECT_EQ(printRectangle(page, 600, 600, 3000000), (raster::Rect{600, 900, 1800, 1500}));
}

TEST(printComposite, StripsKeepTheirPeriodOnThePage) {
    platform::testing::ScriptedServices scripted;
    RecordingPrinter& printer = *scripted.printer;
    printer.width = 300;
    printer.height = 200;
    printer.keepPage = true;
    // Two frames of one-pixel strips at 60 dpi, printed at 600 dpi: ten dots a strip.
    const raster::RasterImage composite = testing::stripedImage(20, 10, raster::kWhite);
    printComposite(composite, 600000, 600, 600);
    EXPECT_EQ(printer.documentsStarted, 1);
    EXPECT_EQ(printer.documentsEnded, 1);
    // 200 x 100 dots centred on 300 x 200: from (50, 50).
    for (std::int32_t x = 0; x < 300; ++x) {
        const bool inside = x >= 50 && x < 250;
        const std::uint32_t expected = inside && ((x - 50) / 10) % 2 == 0 ? 0x000000 : 0xFFFFFF;
        ASSERT_EQ(printer.dot(x, 100), expected) << x;
    }
    EXPECT_EQ(printer.dot(100, 49), 0xFFFFFFu);
    EXPECT_EQ(printer.dot(50, 50), 0x000000u);
    EXPECT_EQ(printer.dot(50, 149), 0x000000u);
    EXPECT_EQ(printer.dot(50, 150), 0xFFFFFFu);
}

TEST(PrintImage, BandsGiveTheSamePageAsOneImage) {
    raster::RasterImage picture = testing::patternImage(37, 23, 5);
    std::vector<std::uint8_t> pages[2];
    for (int run = 0; run < 2; ++run) {
        RecordingPrinter printer;
        printer.width = 130;
        printer.height = 90;
        printer.keepPage = true;
        printer.startDocument();
        printStretched(printer, picture, {-7, 3, 120, 95}, run == 0 ? std::size_t{64} << 20 : 700);
        printer.endDocument();
        if (run == 1) {
            EXPECT_GT(printer.bands.size(), 5u);
        }
        pages[run] = printer.page;
    }
    EXPECT_EQ(pages[0], pages[1]);
}

TEST(PrintImage, OneBitImagesReachThePageDotForDot) {
    RecordingPrinter printer;
    printer.width = 64;
    printer.height = 16;
    printer.keepPage = true;
    raster::RasterImage chart;
    chart.create(raster::PixelFormat::Indexed1, 40, 8);
    chart.setFillColour(raster::kBlack);
    chart.drawRectangle(3, 0, 5, 8);
    printer.startDocument();
    printStretched(printer, chart, {12, 4, 52, 12});
    printer.endDocument();
    for (std::int32_t x = 0; x < 64; ++x) {
        EXPECT_EQ(printer.dot(x, 6), x == 15 || x == 16 ? 0u : 0xFFFFFFu) << x;
    }
}

// Copies land at their exact physical size where the plan puts them, the sheet centred on the
// printable area, each mark one device pixel across, black and outside every copy, the label
// in black on its line.
TEST(printSheet, CopiesAtTheirPlacesMarksOutsideThem) {
    struct Case {
        int copies;
        double gap, bleed;  // points
        bool marksAndLabel;
        int dpiY;
        std::int32_t pageWidth, pageHeight;
        std::vector<raster::Rect> expected;
        raster::Rect firstMark;  // left of the first copy, on its trim's top line
    };
    // 300 x 200 pixels at 300 dpi (72 x 48 points) on paper 4 x 3 inches without a margin.
    const Case cases[] = {
        // Grid 180 x 48 pt at (54, 84) pt; the page is 200 dots narrower and 50 rows shorter.
        {2, 36, 0, false, 300, 2000, 800, {{250, 300, 850, 500}, {1150, 300, 1750, 500}}, {}},
        // Grid 144 x 96 pt at (72, 60) pt, the page the paper.
        {4,
         0,
         6,
         true,
         600,
         2400,
         1800,
         {{600, 500, 1200, 900},
          {1200, 500, 1800, 900},
          {600, 900, 1200, 1300},
          {1200, 900, 1800, 1300}},
         {411, 550, 529, 551}},
    };
    const raster::RasterImage composite = testing::patternImage(300, 200, 1);
    for (const Case& c : cases) {
        SheetSettings settings;
        settings.paper = parsePaper("4x3in");
        settings.margin = 0;
        settings.copies = c.copies;
        settings.gap = c.gap;
        settings.bleed = c.bleed;
        settings.cropMarks = settings.label = c.marksAndLabel;
        const SheetPlan plan = planSheet(settings, 72, 48);
        const SheetOnPage placed =
            placeSheet(plan, {c.pageWidth, c.pageHeight, 600, c.dpiY}, 300, 200, 3000000);
        EXPECT_EQ(placed.copies, c.expected) << c.copies;
        EXPECT_EQ(placed.marks.size(), c.marksAndLabel ? 16u : 0u);
        EXPECT_EQ(placed.marks.empty() ? raster::Rect{} : placed.marks[0], c.firstMark);

        platform::testing::ScriptedServices scripted;
        RecordingPrinter& printer = *scripted.printer;
        printer.width = c.pageWidth;
        printer.height = c.pageHeight;
        printer.keepPage = true;
        printSheet(composite, 3000000, plan, "8 frames", 600, c.dpiY);
        for (const raster::Rect& copy : placed.copies) {
            EXPECT_EQ(printer.dot(copy.left, copy.top), composite.pixelValue(0, 0));
            EXPECT_EQ(printer.dot(copy.right - 1, copy.bottom - 1), composite.pixelValue(299, 199));
        }
        for (const raster::Rect& mark : placed.marks) {
            EXPECT_EQ(std::min(mark.width(), mark.height()), 1);
            EXPECT_EQ(printer.dot(mark.right - 1, mark.bottom - 1), 0u);
            for (const raster::Rect& copy : placed.copies) {
                EXPECT_TRUE(mark.right <= copy.left || mark.left >= copy.right ||
                            mark.bottom <= copy.top || mark.top >= copy.bottom);
            }
        }
        // The label's line, 8 points high from its top: black there, nowhere left of it.
        int black = 0;
        for (std::int32_t y = 0; placed.label && y < 8 * 600 / 72; ++y) {
            for (std::int32_t x = 0; x < c.pageWidth; ++x) {
                if (printer.dot(x, placed.label->y + y) != 0) continue;
                ++black;
                EXPECT_GE(x, placed.label->x);
            }
        }
        EXPECT_EQ(black > 50, c.marksAndLabel);
    }
}

// The markers of a JPEG stream, with their segment bodies.
std::vector<std::pair<std::uint8_t, platform::Bytes>> segments(const platform::Bytes& jpeg) {
    std::vector<std::pair<std::uint8_t, platform::Bytes>> out;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        const std::uint8_t marker = jpeg[at + 1];
        const std::size_t length = static_cast<std::size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
        out.emplace_back(
            marker, platform::Bytes(jpeg.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                    jpeg.begin() + static_cast<std::ptrdiff_t>(at + 2 + length)));
        if (marker == 0xDA) break;  // the scan follows
        at += 2 + length;
    }
    return out;
}

TEST(JpegOutput, BaselineFullChromaWithDensityAndExifResolution) {
    raster::RasterImage composite = testing::patternImage(64, 32, 1);
    raster::JpegOptions options;
    options.dotsPerInch = 254;
    options.exif = raster::exifResolution(exactRational(2536500));
    const platform::Bytes jpeg = raster::encodeJpeg(composite, options);
    auto parts = segments(jpeg);
    ASSERT_GE(parts.size(), 3u);
    EXPECT_EQ(parts[0].first, 0xE0);  // JFIF first
    const platform::Bytes& jfif = parts[0].second;
    EXPECT_EQ(std::string(jfif.begin(), jfif.begin() + 4), "JFIF");
    EXPECT_EQ(jfif[7], 1);  // dots per inch
    EXPECT_EQ(jfif[8] << 8 | jfif[9], 254);
    EXPECT_EQ(jfif[10] << 8 | jfif[11], 254);

    EXPECT_EQ(parts[1].first, 0xE1);
    const platform::Bytes& exif = parts[1].second;
    EXPECT_EQ(std::string(exif.begin(), exif.begin() + 6), std::string("Exif\0\0", 6));
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(exif[at] | exif[at + 1] << 8 | exif[at + 2] << 16 |
                                          exif[at + 3] << 24);
    };
    const std::size_t tiff = 6;
    const std::size_t xOffset = u32(tiff + 8 + 2 + 8);
    EXPECT_EQ(u32(tiff + xOffset), 5073u);  // 253.65 = 5073 / 20 exactly
    EXPECT_EQ(u32(tiff + xOffset + 4), 20u);

    bool sawFrame = false;
    for (const auto& [marker, body] : parts) {
        if (marker == 0xC2) ADD_FAILURE() << "progressive";
        if (marker != 0xC0) continue;
        sawFrame = true;
        ASSERT_EQ(body[5], 3) << "three components";
        for (int c = 0; c < 3; ++c) EXPECT_EQ(body[6 + 3 * c + 1], 0x11) << "component " << c;
    }
    EXPECT_TRUE(sawFrame) << "baseline frame";
    EXPECT_EQ(raster::decodeJpeg(jpeg).width(), 64);
}

}  // namespace
}  // namespace lenzora::output
