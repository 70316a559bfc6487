// Prints a composite of one-dot strips through the system's default printer with the
// program's own printer path, alone or as a sheet of copies, or measures the page that came
// back.
//
//   print_through_system print                prints, then says "dpi=N strip=S"
//   print_through_system print-sheet          the same as a sheet of copies with crop marks
//   print_through_system measure PAGE S       the rendered page: lenses of 2 S dots
//   print_through_system measure-sheet PAGE DPI S  every copy where the sheet puts it, lenses of
//                                             2 S dots in each, nothing dark but the marks
//   print_through_system exact IMAGE S        the image the page holds: strips of exactly S

#include <QApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "output/output_choices.h"
#include "output/print_composite.h"
#include "output/print_sheet.h"
#include "platform/qt/qt_printer.h"
#include "platform/services.h"
#include "support/pgm.h"
#include "support/pictures.h"

namespace {

namespace raster = lenzora::raster;

// The real printer, without the set-up dialog a test cannot answer.
class UnattendedPrinter : public lenzora::platform::QtPrinter {
  public:
    bool showSetupDialog() override { return false; }
};

// Two frames of one-pixel strips at a quarter of the printer's resolution: four dots a strip.
constexpr int kStrip = 4;
constexpr int kStripsWide = 200;
constexpr int kStripsHigh = 100;

lenzora::core::FixedCount resolutionFor(int dpi) { return std::int64_t{dpi} * 10000 / kStrip; }

// The sheet printed: four copies on A4 with gaps and crop marks.
lenzora::output::SheetPlan sheetPlan(int dpi) {
    namespace output = lenzora::output;
    output::SheetSettings settings;
    settings.paper = output::parsePaper("A4");
    settings.copies = 4;
    settings.gap = 5 * output::kPointsPerMm;
    settings.cropMarks = true;
    const double points = output::kPointsPerInch * kStrip / dpi;
    return output::planSheet(settings, kStripsWide * points, kStripsHigh * points);
}

int print(bool sheet) {
    lenzora::platform::Services services;
    services.printer = std::make_shared<UnattendedPrinter>();
    lenzora::platform::ScopedServices scope(services);
    lenzora::output::OutputChoices shared;
    shared.printerSetup();
    const int dpi = shared.printerDpiX();
    const raster::RasterImage composite =
        lenzora::testing::stripedImage(kStripsWide, kStripsHigh, raster::kWhite);
    if (sheet) {
        lenzora::output::printSheet(composite, resolutionFor(dpi), sheetPlan(dpi), "", dpi,
                                    shared.printerDpiY());
    } else {
        lenzora::output::printComposite(composite, resolutionFor(dpi), dpi, shared.printerDpiY());
    }
    std::printf("dpi=%d strip=%d\n", dpi, kStrip);
    return 0;
}

// Lenses of 2 S dots along row y from x0 to x1, adding up to 99 lenses without drift.
bool lensesKept(const lenzora::testing::GreyImage& page, int y, int x0, int x1, int strip) {
    const std::vector<int> runs = lenzora::testing::runLengths(page, y, x0, x1);
    bool ok = true;
    int lenses = 0;
    int span = 0;
    for (std::size_t i = 0; i + 1 < runs.size(); i += 2) {
        const int period = runs[i] + runs[i + 1];
        if (std::abs(period - 2 * strip) > 1) {
            std::printf("lens %zu spans %d dots, not %d\n", i / 2, period, 2 * strip);
            ok = false;
        }
        span += period;
        ++lenses;
    }
    std::printf("%d lenses over %d dots\n", lenses, span);
    return ok && lenses == kStripsWide / 2 - 1 && std::abs(span - (kStripsWide - 2) * strip) <= 1;
}

// The rendered page: the strips at their physical size, centred, and lenses of 2 S dots. The
// renderer may put a strip edge a fraction of a dot off, so a lens may look one dot longer or
// shorter, but the lenses add up: no drift across the page.
int measure(const char* path, int strip) {
    const lenzora::testing::GreyImage page = lenzora::testing::readPgm(path);
    const lenzora::testing::Box box = lenzora::testing::darkBox(page);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    std::printf("page %d x %d, strips from (%d, %d), %d x %d dots\n", page.width, page.height,
                box.left, box.top, width, height);
    const int expectedWidth = kStripsWide * strip - strip;  // the last strip is white
    const int expectedHeight = kStripsHigh * strip;
    bool ok = std::abs(width - expectedWidth) <= 1 && std::abs(height - expectedHeight) <= 1;
    const int centreX = box.left + kStripsWide / 2 * strip;
    const int centreY = box.top + height / 2;
    ok = ok && std::abs(centreX - page.width / 2) <= 2 && std::abs(centreY - page.height / 2) <= 2;
    ok = lensesKept(page, centreY, box.left, box.right, strip) && ok;
    std::puts(ok ? "lens period preserved on the page" : "lens period NOT preserved on the page");
    return ok ? 0 : 1;
}

// The rendered sheet: the page is the paper, and the sheet is centred on it as on the
// printable area. Each copy's strips start where the plan puts them (to a dot or two) and
// keep their lens period; every other dark dot belongs to a crop mark.
int measureSheet(const char* path, int dpi, int strip) {
    namespace output = lenzora::output;
    const lenzora::testing::GreyImage page = lenzora::testing::readPgm(path);
    const output::SheetPlan plan = sheetPlan(dpi);
    // Points to dots on the paper, worked out here apart from the printing code.
    const double perPoint = dpi / output::kPointsPerInch;
    const double sheetLeft = (page.width - plan.width * perPoint) / 2;
    const double sheetTop = (page.height - plan.height * perPoint) / 2;
    auto dot = [](double at) { return static_cast<int>(std::lround(at)); };
    output::SheetOnPage placed;
    for (const output::SheetRect& copy : plan.copies) {
        const int x = dot(sheetLeft + copy.left * perPoint);
        const int y = dot(sheetTop + copy.top * perPoint);
        placed.copies.push_back({x, y, x + kStripsWide * strip, y + kStripsHigh * strip});
    }
    for (const output::SheetLine& line : plan.cropMarks) {
        placed.marks.push_back({dot(sheetLeft + std::min(line.x1, line.x2) * perPoint),
                                dot(sheetTop + std::min(line.y1, line.y2) * perPoint),
                                dot(sheetLeft + std::max(line.x1, line.x2) * perPoint) + 1,
                                dot(sheetTop + std::max(line.y1, line.y2) * perPoint) + 1});
    }
    auto within = [](const raster::Rect& r, int x, int y, int slack) {
        return x >= r.left - slack && x < r.right + slack && y >= r.top - slack &&
               y < r.bottom + slack;
    };
    bool ok = placed.copies.size() == 4;
    for (const raster::Rect& copy : placed.copies) {
        const int y = copy.top + kStripsHigh * strip / 2;
        int first = -1;
        int top = -1;
        for (int x = copy.left - 3; first < 0 && x < copy.left + 3; ++x) {
            if (page.at(x, y) < 128) first = x;
        }
        for (int row = copy.top - 3; top < 0 && row < copy.top + 3; ++row) {
            if (page.at(copy.left + 1, row) < 128) top = row;
        }
        std::printf("copy at (%d, %d): strips from (%d, %d)\n", copy.left, copy.top, first, top);
        ok = ok && std::abs(first - copy.left) <= 2 && std::abs(top - copy.top) <= 2;
        ok = ok && lensesKept(page, y, first, first + (kStripsWide - 1) * strip, strip);
    }
    long stray = 0;
    long marked = 0;
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            if (page.at(x, y) >= 128) continue;
            const auto inAny = [&](const std::vector<raster::Rect>& rects, int slack) {
                return std::any_of(rects.begin(), rects.end(),
                                   [&](const raster::Rect& r) { return within(r, x, y, slack); });
            };
            if (inAny(placed.copies, 2)) continue;
            if (inAny(placed.marks, 2)) {
                ++marked;
            } else {
                ++stray;
            }
        }
    }
    std::printf("%ld dark dots on the marks, %ld elsewhere\n", marked, stray);
    ok = ok && stray == 0 && marked >= static_cast<long>(placed.marks.size()) * 10;
    std::puts(ok ? "every copy in place, lens period preserved"
                 : "copies NOT in place or lens period NOT preserved");
    return ok ? 0 : 1;
}

// The image embedded in the page: one pixel per printer dot, every strip exactly S wide.
int exact(const char* path, int strip) {
    const lenzora::testing::GreyImage image = lenzora::testing::readPgm(path);
    std::printf("page image %d x %d\n", image.width, image.height);
    bool ok = image.width == 200 * strip && image.height == 100 * strip;
    for (int y = 0; ok && y < image.height; y += strip) {
        const std::vector<int> runs = lenzora::testing::runLengths(image, y, 0, image.width);
        ok = runs.size() == 200;
        for (int run : runs) ok = ok && run == strip;
    }
    std::puts(ok ? "every strip exact" : "strips NOT exact");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "print") return print(false);
        if (mode == "print-sheet") return print(true);
        if (mode == "measure" && argc == 4) return measure(argv[2], std::atoi(argv[3]));
        if (mode == "measure-sheet" && argc == 5) {
            return measureSheet(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
        }
        if (mode == "exact" && argc == 4) return exact(argv[2], std::atoi(argv[3]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr,
                 "usage: print_through_system print | print-sheet | measure PAGE STRIP |\n"
                 "       measure-sheet PAGE DPI STRIP | exact IMAGE STRIP\n");
    return 2;
}
