// lenzora-cli compose --sheet: the sheet as a PDF rendered back and as one picture, against
// the layout's plan; sheets refused before any frame is read.

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "output/sheet_layout.h"
#include "raster/png_codec.h"
#include "support/json_line.h"
#include "support/pgm.h"
#include "support/pictures.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace lenzora {
namespace {

using output::SheetRect;
const auto run = testing::runProcess;

testing::ProcessResult compose(std::vector<std::string> args, const std::string& out,
                               const std::vector<std::string>& frames) {
    args.insert(args.begin(), "compose");
    args.insert(args.end(), {"--json", "-o", out});
    args.insert(args.end(), frames.begin(), frames.end());
    return run(LENZORA_CLI, args);
}

// A page rendered at 300 dpi against the plan: in a copy, each dark (light) pixel has a black
// (white) pixel of the composite (at `dpi`) within one device pixel; outside, dark pixels lie
// on the crop marks and the label's line only, and each of those has some.
std::string pageProblem(const testing::GreyImage& page, const output::SheetPlan& plan,
                        const raster::RasterImage& composite, double dpi) {
    const double s = 300.0 / 72, t = dpi / 300;
    std::vector<SheetRect> marks = {plan.label.value()};
    marks[0].height *= 2;  // room for descenders
    for (const output::SheetLine& m : plan.cropMarks)
        marks.push_back({std::min(m.x1, m.x2), std::min(m.y1, m.y2), std::abs(m.x2 - m.x1),
                         std::abs(m.y2 - m.y1)});
    std::vector<bool> drawn(marks.size());
    auto at = [](int x, int y) { return " at " + std::to_string(x) + ", " + std::to_string(y); };
    auto in = [s](const SheetRect& r, int x, int y, double slack) {
        return x + 1 + slack > r.left * s && x - slack < (r.left + r.width) * s &&
               y + 1 + slack > r.top * s && y - slack < (r.top + r.height) * s;
    };
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            const int v = page.at(x, y);
            bool nearCopy = false;
            for (const SheetRect& c : plan.copies) {
                nearCopy = nearCopy || in(c, x, y, 1);
                bool black = false, white = false;
                if (!in(c, x, y, -1)) continue;
                // The composite's pixels within one device pixel, inside the composite.
                const int top = std::max(0, int((y - 1 - c.top * s) * t));
                const int bottom = std::min(composite.height() - 1, int((y + 2 - c.top * s) * t));
                const int left = std::max(0, int((x - 1 - c.left * s) * t));
                const int right = std::min(composite.width() - 1, int((x + 2 - c.left * s) * t));
                for (int cy = top; cy <= bottom; ++cy)
                    for (int cx = left; cx <= right; ++cx)
                        (composite.pixel(cx, cy).green < 128 ? black : white) = true;
                if ((v < 192 && !black) || (v > 63 && !white)) return "copy differs" + at(x, y);
            }
            bool placed = nearCopy || v > 63;
            for (std::size_t i = 0; i < marks.size(); ++i)
                if (!placed && in(marks[i], x, y, 1.5)) placed = drawn[i] = true;
            if (!placed) return "stray dark pixel" + at(x, y);
        }
    }
    return std::count(drawn.begin(), drawn.end(), false) ? "a mark is missing" : "";
}

TEST(CliSheet, CopiesMarksAndLabelWhereThePlanPutsThem) {
    const testing::TempDir dir;
    // Frames of black and white squares: a copy out of place shows at every strip's edge.
    testing::writeBmp(dir / "a.bmp", testing::gridImage("KW/WK", 40));
    testing::writeBmp(dir / "b.bmp", testing::gridImage("WK/KW", 40));
    const std::vector<std::string> frames = {dir / "a.bmp", dir / "b.bmp"};
    // Six 85 × 55 mm cards with a 2 mm bleed on A4; the first eight give the composite alone.
    const std::vector<std::string> job = {
        "--pitch", "42.275", "--width",  "85", "--height",     "55",
        "--bleed", "2",      "--sheet",  "A4", "--copies",     "6",
        "--gap",   "3",      "--margin", "5",  "--crop-marks", "--label"};
    ASSERT_EQ(compose({job.begin(), job.begin() + 8}, dir / "card.png", frames).exitCode, 0);
    const raster::RasterImage composite = raster::loadPngFile(dir / "card.png");
    const int width = composite.width(), height = composite.height();
    for (const std::string name : {"sheet.pdf", "sheet.png", "sheet.bmp"}) {
        SCOPED_TRACE(name);
        const std::string out = dir / name;
        const testing::ProcessResult r = compose(job, out, frames);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const QJsonObject json = testing::jsonLine(r.out);
        EXPECT_EQ(json["sheet"].toObject(),
                  (QJsonObject{{"paper", "A4"}, {"copies", 6}, {"columns", 2}, {"rows", 3}}));
        // The plan for this composite, its bleed in whole pixels.
        const double dpi = json["resolution"].toString().toDouble(), mm = output::kPointsPerMm;
        const double point = 72 / dpi;
        output::SheetSettings sheet{
            .margin = 5 * mm, .copies = 6, .gap = 3 * mm, .cropMarks = true};
        sheet.bleed = (width - json["width_px"].toInt()) / 2 * point;
        sheet.label = true;
        const output::SheetPlan plan = output::planSheet(sheet, width * point, height * point);
        if (name.ends_with(".pdf")) {
            EXPECT_NE(run("pdfinfo", {out}).out.find("595.276 x 841.89 pts"), std::string::npos);
            // One image object of the composite's size, not JPEG, placed six times.
            const std::string list = run("pdfimages", {"-list", out}).out;
            const std::regex image("image +" + std::to_string(width) + " +" +
                                   std::to_string(height) + " +\\w+ +3 +8 +image +no +(\\d+) ");
            std::vector<std::string> objects;
            for (std::sregex_iterator i(list.begin(), list.end(), image), end; i != end; ++i)
                objects.push_back((*i)[1]);
            EXPECT_EQ(objects, std::vector<std::string>(6, objects.empty() ? "" : objects[0]));
            ASSERT_EQ(
                run("pdftoppm", {"-r", "300", "-gray", "-singlefile", out, dir / "p"}).exitCode, 0);
            EXPECT_EQ(pageProblem(testing::readPgm(dir / "p.pgm"), plan, composite, dpi), "");
            continue;
        }
        raster::RasterImage page;
        name.ends_with(".png") ? void(page = raster::loadPngFile(out)) : page.loadBmpFile(out);
        // Each copy is the composite's rows at the pixel nearest to the plan's place, so no
        // crop mark stands in one.
        for (const SheetRect& c : plan.copies) {
            const auto x = std::lround(c.left / point), y = std::lround(c.top / point);
            for (int row = 0; row < height; ++row)
                ASSERT_EQ(
                    std::memcmp(page.row(int(y) + row) + 3 * x, composite.row(row), 3 * width), 0);
        }
    }
}

TEST(CliSheet, RefusedBeforeAnyFrameIsRead) {
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"--width", "300", "--sheet", "A4"}, 1, "纸上一份也放不下：图片 299.9 × 200.0 毫米"},
        {{"--width", "85", "--sheet", "A4", "--copies", "3"}, 1, "纸上只放得下 2 份"},
        {{"--copies", "2"}, 2, "--copies needs --sheet"},
        {{"--sheet", "A4", "--bleed", "2", "--calibration"}, 2, "--bleed on a sheet excludes"},
    };
    for (const auto& [args, status, message] : cases) {
        // Frames that do not exist: a refusal that had read them would name them instead.
        const testing::ProcessResult r = compose(args, "s.pdf", {"no-1.bmp", "no-2.bmp"});
        EXPECT_EQ(r.exitCode, status) << message;
        EXPECT_TRUE(r.err.starts_with("lenzora-cli: " + message)) << r.err;
    }
}

}  // namespace
}  // namespace lenzora
