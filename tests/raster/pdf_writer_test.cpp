// The document writer's drawing read back through poppler: places measured from the page's
// top-left corner, lines and text (a picture written once is checked on a sheet of copies).

#include "raster/pdf_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/save_file.h"
#include "support/pgm.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace lenzora::raster {
namespace {

TEST(PdfWriter, DrawsFromTheTopLeftCorner) {
    testing::TempDir dir;
    RasterImage black;
    black.create(PixelFormat::Bgr24, 2, 1);
    black.setFillColour(kBlack);
    black.drawRectangle(0, 0, 2, 1);
    std::string bytes;
    PdfWriter pdf([&](const std::uint8_t* data, std::size_t size) {
        bytes.append(reinterpret_cast<const char*>(data), size);
    });
    pdf.page(100, 60);
    const PdfWriter::ImageHandle picture = pdf.addImage(black);
    pdf.place(picture, 10, 5, 20, 10);
    pdf.place(picture, 60, 30, 30, 20);
    pdf.line(0, 55, 100, 55, 2);
    pdf.text(5, 28, 8, "Pitch 42.275");
    pdf.finish();
    platform::saveWholeFile(dir / "page.pdf", bytes);

    ASSERT_EQ(
        testing::runProcess("pdftoppm", {"-r", "72", "-gray", "-singlefile",
                                         (dir / "page.pdf").string(), (dir / "page").string()})
            .exitCode,
        0);
    const testing::GreyImage page = testing::readPgm(dir / "page.pgm");
    ASSERT_EQ(page.width, 100);
    ASSERT_EQ(page.height, 60);
    struct Point {
        int x, y;
        bool dark;
    } points[] = {
        {11, 6, true},  {28, 14, true}, {9, 6, false},   {11, 16, false},  // x 10-30, y 5-15
        {61, 31, true}, {89, 49, true}, {58, 40, false}, {75, 51, false},  // x 60-90, y 30-50
        {50, 54, true}, {50, 55, true}, {50, 52, false}, {50, 58, false},  // y 54-56
    };
    for (const Point& p : points) EXPECT_EQ(page.at(p.x, p.y) < 128, p.dark) << p.x << "," << p.y;

    const testing::ProcessResult text =
        testing::runProcess("pdftotext", {(dir / "page.pdf").string(), "-"});
    EXPECT_EQ(text.out.substr(0, text.out.find('\n')), "Pitch 42.275");
}

// A sink that fails while the picture's samples flow: its own exception, nothing after it.
TEST(PdfWriter, ASinkFailurePartWayComesOutAsThrown) {
    struct Full {};
    RasterImage noise;
    noise.create(PixelFormat::Bgr24, 300, 200);
    std::uint32_t state = 1;
    for (std::int32_t y = 0; y < noise.height(); ++y) {
        for (std::size_t i = 0; i < 900; ++i)
            noise.row(y)[i] =
                static_cast<std::uint8_t>((state = state * 1664525u + 1013904223u) >> 24);
    }
    std::size_t calls = 0;
    PdfWriter pdf([&](const std::uint8_t*, std::size_t) {
        if (++calls == 1) throw Full{};
    });
    pdf.page(300, 200);
    EXPECT_THROW(pdf.addImage(noise), Full);
    EXPECT_EQ(calls, 1u);
}

}  // namespace
}  // namespace lenzora::raster
