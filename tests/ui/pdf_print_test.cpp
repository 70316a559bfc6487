// A composite printed through the real printer path into a PDF file, rendered back to dots
// with pdftoppm at the printer's resolution: its physical size, its place, its lens period,
// and pixels that came through without lossy compression.

#include <QProcess>
#include <QtTest>

#include "output/output_choices.h"
#include "output/print_composite.h"
#include "platform/qt/qt_printer.h"
#include "platform/services.h"
#include "support/pgm.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace raster = lenzora::raster;

class PdfPrintTest : public QObject {
    Q_OBJECT

  private slots:
    void printsAtPhysicalSizeCentredWithTheLensPeriod() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) {
            QSKIP("pdftoppm is not installed");
        }
        lenzora::testing::TempDir dir;
        const QString pdf = QString::fromStdString((dir / "page.pdf").string());
        lenzora::platform::Services services;
        services.printer =
            std::make_shared<lenzora::platform::PdfFilePrinter>(pdf, 600, QPageSize(QPageSize::A6));
        lenzora::platform::ScopedServices scope(services);

        // Two frames of one-pixel strips, black and mid-grey, 240 x 120 at 100 dpi: 2.4 x 1.2
        // inches, six dots a strip at 600 dpi.
        const raster::RasterImage composite =
            lenzora::testing::stripedImage(240, 120, raster::Colour::rgb(128, 128, 128));

        lenzora::output::OutputChoices shared;
        shared.printerSetup();
        QCOMPARE(shared.printerDpiX(), 600);
        const int pageWidth = lenzora::platform::services().printer->printableWidth();
        const int pageHeight = lenzora::platform::services().printer->printableHeight();
        lenzora::output::printComposite(composite, 1000000, shared.printerDpiX(),
                                        shared.printerDpiY());

        const QString prefix = QString::fromStdString((dir / "page").string());
        QCOMPARE(
            QProcess::execute(QStringLiteral("pdftoppm"),
                              {QStringLiteral("-r"), QStringLiteral("600"), QStringLiteral("-gray"),
                               QStringLiteral("-singlefile"), pdf, prefix}),
            0);
        const lenzora::testing::GreyImage page = lenzora::testing::readPgm(dir / "page.pgm");
        QVERIFY(std::abs(page.width - pageWidth) <= 1);
        QVERIFY(std::abs(page.height - pageHeight) <= 1);

        // The renderer may put an edge a fraction of a dot off; sizes hold to one dot.
        const lenzora::testing::Box box = lenzora::testing::darkBox(page);
        QVERIFY2(std::abs(box.right - box.left - (1440 - 6)) <= 1,  // the last strip is grey
                 qPrintable(QString::number(box.right - box.left)));
        QVERIFY(std::abs(box.bottom - box.top - 720) <= 1);
        QVERIFY(std::abs(box.left - (pageWidth - 1440) / 2) <= 1);
        QVERIFY(std::abs(box.top - (pageHeight - 720) / 2) <= 1);

        // Every strip six dots wide: 120 lenses of 12 dots.
        const int y = (box.top + box.bottom) / 2;
        std::vector<int> runs = lenzora::testing::runLengths(page, y, box.left, box.left + 1440);
        QVERIFY(runs.size() >= 239 && runs.size() <= 241);
        for (std::size_t i = 1; i + 1 < runs.size(); ++i) {
            QVERIFY2(std::abs(runs[i] - 6) <= 1, qPrintable(QString::number(runs[i])));
        }
        int dots = 0;
        for (std::size_t i = 0; i + 1 < runs.size(); ++i) dots += runs[i];
        QVERIFY(std::abs(dots - 1434) <= 1);

        // Away from the strip edges only the composite's two levels: the pixels reached the page
        // without lossy compression, which would ring inside every strip.
        int stray = 0;
        for (int x = box.left + 1; x < box.left + 1438; ++x) {
            const int v = page.at(x, y);
            const bool edge =
                (page.at(x - 1, y) < 64) != (v < 64) || (page.at(x + 1, y) < 64) != (v < 64);
            if (!edge && v != 0 && v != 128) ++stray;
        }
        QCOMPARE(stray, 0);
    }
};

QTEST_MAIN(PdfPrintTest)
#include "pdf_print_test.moc"
