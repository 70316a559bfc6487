// Prints a composite of one-dot strips through the system's default printer with the
// program's own printer path, alone or as a sheet of copies, or measures the page that came
// back.
//
//   print_through_system print                prints, then says "dpi=N strip=S"
//   print_through_system print-sheet          four copies with crop marks on A4, the same
//   print_through_system measure-sheet PAGE DPI S   each copy measured as "measure" does
//   print_through_system measure PAGE S       the rendered page: lenses of 2 S dots
//   print_through_system exact IMAGE S        the image the page holds: strips of exactly S

#include <QApplication>
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

// The sheet printed: four copies of `points` x `points` / 2, 12 mm apart, so that no mark
// comes within 4 mm of another copy.
lenzora::output::SheetPlan sheetPlan(double points) {
    lenzora::output::SheetSettings settings;
    settings.copies = 4;
    settings.gap = 12 * lenzora::output::kPointsPerMm;
    settings.cropMarks = true;
    return lenzora::output::planSheet(settings, points, points / 2);
}

int print(bool sheet) {
    lenzora::platform::Services services;
    services.printer = std::make_shared<UnattendedPrinter>();
    lenzora::platform::ScopedServices scope(services);
    lenzora::output::OutputChoices shared;
    shared.printerSetup();
    const int dpi = shared.printerDpiX();
    // Two frames of one-pixel strips at a quarter of the printer's resolution: four dots a strip.
    constexpr int kStrip = 4;
    const raster::RasterImage composite = lenzora::testing::stripedImage(200, 100, raster::kWhite);
    const lenzora::core::FixedCount resolution = std::int64_t{dpi} * 10000 / kStrip;
    if (sheet) {
        lenzora::output::printSheet(composite, resolution, sheetPlan(200.0 * kStrip * 72 / dpi), "",
                                    dpi, shared.printerDpiY());
    } else {
        lenzora::output::printComposite(composite, resolution, dpi, shared.printerDpiY());
    }
    std::printf("dpi=%d strip=%d\n", dpi, kStrip);
    return 0;
}

// The rendered page: the strips at their physical size, centred, and lenses of 2 S dots. The
// renderer may put a strip edge a fraction of a dot off, so a lens may look one dot longer or
// shorter, but the lenses add up: no drift across the page.
int measure(const lenzora::testing::GreyImage& page, int strip) {
    const lenzora::testing::Box box = lenzora::testing::darkBox(page);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    std::printf("page %d x %d, strips from (%d, %d), %d x %d dots\n", page.width, page.height,
                box.left, box.top, width, height);
    const int expectedWidth = 200 * strip - strip;  // the last strip is white
    const int expectedHeight = 100 * strip;
    bool ok = std::abs(width - expectedWidth) <= 1 && std::abs(height - expectedHeight) <= 1;
    const int centreX = box.left + 100 * strip;
    const int centreY = box.top + height / 2;
    ok = ok && std::abs(centreX - page.width / 2) <= 2 && std::abs(centreY - page.height / 2) <= 2;
    const std::vector<int> runs = lenzora::testing::runLengths(page, centreY, box.left, box.right);
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
    ok = ok && lenses == 99 && std::abs(span - 99 * 2 * strip) <= 1;
    std::puts(ok ? "lens period preserved on the page" : "lens period NOT preserved on the page");
    return ok ? 0 : 1;
}

// The rendered sheet, the paper's centre the sheet's: each copy cut out with 20 dots around it
// (marks begin 3 mm out), centred where the plan puts it, and measured as a single print.
int measureSheet(const char* path, int dpi, int strip) {
    const lenzora::testing::GreyImage page = lenzora::testing::readPgm(path);
    const lenzora::output::SheetPlan plan = sheetPlan(200.0 * strip * 72 / dpi);
    int status = plan.copies.size() == 4 ? 0 : 1;
    for (const lenzora::output::SheetRect& copy : plan.copies) {
        lenzora::testing::GreyImage cut;
        cut.width = 200 * strip + 40;
        cut.height = 100 * strip + 40;
        const double perPoint = dpi / lenzora::output::kPointsPerInch;
        const int left =
            static_cast<int>(std::lround((page.width - cut.width) / 2.0 +
                                         (copy.left + copy.width / 2 - plan.width / 2) * perPoint));
        const int top = static_cast<int>(
            std::lround((page.height - cut.height) / 2.0 +
                        (copy.top + copy.height / 2 - plan.height / 2) * perPoint));
        for (int y = top; y < top + cut.height; ++y) {
            for (int x = left; x < left + cut.width; ++x) cut.pixels.push_back(page.at(x, y));
        }
        std::printf("copy cut out at (%d, %d): ", left, top);
        status |= measure(cut, strip);
    }
    return status;
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
        if (mode == "print" || mode == "print-sheet") return print(mode == "print-sheet");
        if (mode == "measure" && argc == 4) {
            return measure(lenzora::testing::readPgm(argv[2]), std::atoi(argv[3]));
        }
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
