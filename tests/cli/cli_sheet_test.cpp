// lenzora-cli compose --sheet: the copies, crop marks and label of a sheet, as a PDF rendered
// back by pdftoppm and as one picture, against the layout's plan; and sheets refused before
// any frame is read.

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <set>
#include <sstream>

#include "output/sheet_layout.h"
#include "raster/png_codec.h"
#include "support/json_line.h"
#include "support/pgm.h"
#include "support/pictures.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace lenzora {
namespace {

using output::kPointsPerMm;
using output::SheetRect;

// Six 85 × 55 mm cards with a 2 mm bleed on A4; the composite alone is the first eight.
const std::vector<std::string> kJob = {
    "--pitch", "42.275", "--width",  "85", "--height",     "55",
    "--bleed", "2",      "--sheet",  "A4", "--copies",     "6",
    "--gap",   "3",      "--margin", "5",  "--crop-marks", "--label"};

testing::ProcessResult compose(std::vector<std::string> args, const std::string& out,
                               const std::vector<std::string>& frames) {
    args.insert(args.begin(), "compose");
    args.insert(args.end(), {"--json", "-o", out});
    args.insert(args.end(), frames.begin(), frames.end());
    return testing::runProcess(LENZORA_CLI, args);
}

// The plan the tool must follow for the composite it reports.
output::SheetPlan planOf(const QJsonObject& json, double dpi) {
    output::SheetSettings sheet;
    sheet.copies = 6;
    sheet.gap = 3 * kPointsPerMm;
    sheet.margin = 5 * kPointsPerMm;
    sheet.cropMarks = sheet.label = true;
    const double point = 72 / dpi;
    sheet.bleed = (json["image_width"].toInt() - json["width_px"].toInt()) / 2 * point;
    return output::planSheet(sheet, json["image_width"].toInt() * point,
                             json["image_height"].toInt() * point);
}

// Whether a pixel darker than a quarter grey lies within `r` (points) grown by a device pixel.
bool darkIn(const testing::GreyImage& page, double s, const SheetRect& r) {
    for (int y = std::max(0, int(r.top * s) - 1);
         y < std::min(page.height, int((r.top + r.height) * s) + 2); ++y)
        for (int x = std::max(0, int(r.left * s) - 1);
             x < std::min(page.width, int((r.left + r.width) * s) + 2); ++x)
            if (page.at(x, y) < 64) return true;
    return false;
}

// Every dark pixel outside the copies lies on a crop mark of the plan (to a device pixel) or
// in the label's line, and every mark and the label are drawn.
std::string markProblem(const testing::GreyImage& page, const output::SheetPlan& plan, double dpi) {
    const double s = dpi / 72;
    std::vector<SheetRect> allowed = plan.copies;
    allowed.push_back(
        {plan.label->left, plan.label->top, plan.label->width, 2 * plan.label->height});
    if (!darkIn(page, s, allowed.back())) return "no label";
    for (const output::SheetLine& m : plan.cropMarks) {
        allowed.push_back({std::min(m.x1, m.x2), std::min(m.y1, m.y2), std::abs(m.x2 - m.x1),
                           std::abs(m.y2 - m.y1)});
        if (!darkIn(page, s, allowed.back())) return "no mark at " + std::to_string(m.x1);
    }
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            bool placed = page.at(x, y) >= 64;
            for (const SheetRect& r : allowed) {
                placed = placed || (x + 2.5 > r.left * s && x - 1.5 < (r.left + r.width) * s &&
                                    y + 2.5 > r.top * s && y - 1.5 < (r.top + r.height) * s);
            }
            if (!placed)
                return "stray dark pixel at " + std::to_string(x) + ", " + std::to_string(y);
        }
    }
    return {};
}

// Each copy of the black-and-white composite rendered at `dpi`: every dark (light) device
// pixel has a black (white) pixel of the composite within one device pixel of it.
std::string copyProblem(const testing::GreyImage& page, const raster::RasterImage& composite,
                        const SheetRect& copy, double dpi, double compositeDpi) {
    const double s = dpi / 72, t = compositeDpi / dpi;
    const double left = copy.left * s, top = copy.top * s;
    for (int y = int(top) + 1; y < top + copy.height * s - 1; ++y) {
        for (int x = int(left) + 1; x < left + copy.width * s - 1; ++x) {
            bool black = false, white = false;
            for (int cy = int((y - 1 - top) * t);
                 cy <= std::min(int((y + 2 - top) * t), composite.height() - 1); ++cy)
                for (int cx = int((x - 1 - left) * t);
                     cx <= std::min(int((x + 2 - left) * t), composite.width() - 1); ++cx)
                    (composite.pixel(cx, cy).green < 128 ? black : white) = true;
            const int v = page.at(x, y);
            if ((v < 64 && !black) || (v > 191 && !white) ||
                (v >= 64 && v <= 191 && !(black && white)))
                return "copy at " + std::to_string(copy.left) + " differs at " + std::to_string(x) +
                       ", " + std::to_string(y);
        }
    }
    return {};
}

class CliSheet : public ::testing::Test {
  protected:
    void SetUp() override {
        // Frames of black and white squares: every shift of a copy shows at their edges.
        testing::writeBmp(dir_ / "a.bmp", testing::gridImage("KW/WK", 40));
        testing::writeBmp(dir_ / "b.bmp", testing::gridImage("WK/KW", 40));
        frames_ = {(dir_ / "a.bmp").string(), (dir_ / "b.bmp").string()};
    }
    testing::TempDir dir_;
    std::vector<std::string> frames_;
};

TEST_F(CliSheet, CopiesMarksAndLabelWhereThePlanPutsThem) {
    const std::string single = (dir_ / "card.png").string();
    const testing::ProcessResult alone = compose({kJob.begin(), kJob.begin() + 8}, single, frames_);
    ASSERT_EQ(alone.exitCode, 0) << alone.err;
    const raster::RasterImage composite = raster::loadPngFile(single);
    for (const std::string name : {"sheet.pdf", "sheet.png", "sheet.bmp"}) {
        SCOPED_TRACE(name);
        const std::string out = (dir_ / name).string();
        const testing::ProcessResult r = compose(kJob, out, frames_);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const QJsonObject json = testing::jsonLine(r.out);
        ASSERT_EQ(json["image_width"].toInt(), composite.width());
        const double dpi = json["resolution"].toString().toDouble();
        const output::SheetPlan plan = planOf(json, dpi);
        EXPECT_EQ(json["sheet"].toObject(), (QJsonObject{{"paper", "A4"},
                                                         {"copies", 6},
                                                         {"columns", 2},
                                                         {"rows", 3},
                                                         {"width_pt", plan.width},
                                                         {"height_pt", plan.height}}));
        if (name.ends_with(".pdf")) {
            EXPECT_NE(testing::runProcess("pdfinfo", {out}).out.find("595.276 x 841.89 pts"),
                      std::string::npos);
            // One image object of the composite's own pixels, placed six times.
            std::istringstream images(testing::runProcess("pdfimages", {"-list", out}).out);
            std::set<std::string> seen;
            int placed = 0;
            std::string line;
            for (int header = 0; header < 2; ++header) std::getline(images, line);
            for (; std::getline(images, line); ++placed) {
                std::istringstream image(line);
                std::vector<std::string> f{std::istream_iterator<std::string>(image), {}};
                ASSERT_GE(f.size(), 11u) << line;
                seen.insert(f[3] + " x " + f[4] + " " + f[8] + " object " + f[10]);
            }
            EXPECT_EQ(placed, 6);
            ASSERT_EQ(seen.size(), 1u);
            EXPECT_TRUE(seen.begin()->starts_with(std::to_string(composite.width()) + " x " +
                                                  std::to_string(composite.height()) + " image "))
                << *seen.begin();
            ASSERT_EQ(testing::runProcess("pdftoppm", {"-r", "300", "-gray", "-singlefile", out,
                                                       (dir_ / "page").string()})
                          .exitCode,
                      0);
            const testing::GreyImage grey = testing::readPgm(dir_ / "page.pgm");
            for (const SheetRect& copy : plan.copies)
                EXPECT_EQ(copyProblem(grey, composite, copy, 300, dpi), "");
            EXPECT_EQ(markProblem(grey, plan, 300), "");
            continue;
        }
        raster::RasterImage sheet;
        if (name.ends_with(".png"))
            sheet = raster::loadPngFile(out);
        else
            sheet.loadBmpFile(out);
        // Every copy the composite's rows at the nearest pixel, not scaled.
        for (const SheetRect& copy : plan.copies) {
            const auto x = static_cast<std::int32_t>(std::nearbyint(copy.left * dpi / 72));
            const auto y = static_cast<std::int32_t>(std::nearbyint(copy.top * dpi / 72));
            for (std::int32_t row = 0; row < composite.height(); ++row)
                ASSERT_EQ(std::memcmp(sheet.row(y + row) + 3 * x, composite.row(row),
                                      3 * composite.width()),
                          0)
                    << copy.left << " row " << row;
        }
        testing::GreyImage grey{sheet.width(), sheet.height(), {}};
        for (std::int32_t y = 0; y < sheet.height(); ++y)
            for (std::int32_t x = 0; x < sheet.width(); ++x)
                grey.pixels.push_back(sheet.pixel(x, y).green);
        EXPECT_EQ(markProblem(grey, plan, dpi), "");
    }
}

TEST_F(CliSheet, RefusedBeforeAnyFrameIsRead) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"--width", "300", "--sheet", "A4"},
         1,
         "纸上一份也放不下：图片 299.9 × 200.0 毫米，可用 190.0 × 277.0 毫米！"},
        {{"--width", "85", "--height", "55", "--sheet", "A5", "--copies", "9"},
         1,
         "纸上只放得下 3 份！"},
        {{"--sheet", "A6"}, 2, "无法识别的纸张：A6"},
        {{"--copies", "2"}, 2, "--copies needs --sheet"},
        {{"--sheet", "A4", "--gap", "-1"}, 2, "--gap takes millimetres, 0 or more"},
        {{"--sheet", "A4", "--bleed", "2", "--calibration"},
         2,
         "--bleed on a sheet excludes the calibration band"},
    };
    for (const auto& c : cases) {
        // Frames that do not exist: a refusal that read them would name them instead.
        const testing::ProcessResult r =
            compose(c.args, (dir_ / "s.pdf").string(), {"no-1.bmp", "no-2.bmp"});
        EXPECT_EQ(r.exitCode, c.status) << c.message;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "lenzora-cli: " + c.message);
    }
}

}  // namespace
}  // namespace lenzora
