#include "platform/qt/qt_printer.h"

#include <QApplication>
#include <QImage>
#include <QMarginsF>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/error.h"
#include "platform/qt/cups_resolution.h"
#include "platform/translation.h"

namespace lenzora::platform {

QtPrinter::QtPrinter() = default;
QtPrinter::~QtPrinter() = default;

std::unique_ptr<QPrinter> QtPrinter::makeDefaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) throw Error(translate("lenzora::platform", kNoDefaultPrinter));
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // The page is laid out at the resolution the queue really prints at, so the queue
    // places its pixels one to a dot instead of resampling them.
    if (const int dpi = cupsQueueResolution(info.printerName()); dpi > 0) {
        printer->setResolution(dpi);
    }
    return printer;
}

QPrinter& QtPrinter::current() const {
    if (!printer_) throw Error(translate("lenzora::platform", kNoDefaultPrinter));
    return *printer_;
}

void QtPrinter::selectDefault() {
    painter_.reset();
    printer_ = makeDefaultPrinter();
}

bool QtPrinter::showSetupDialog() {
    QPrintDialog dialog(&current(), QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

int QtPrinter::horizontalDpi() const { return current().logicalDpiX(); }
int QtPrinter::verticalDpi() const { return current().logicalDpiY(); }
std::int32_t QtPrinter::printableWidth() const { return current().width(); }
std::int32_t QtPrinter::printableHeight() const { return current().height(); }
int QtPrinter::bitsPerPixel() const { return current().depth(); }

void QtPrinter::startDocument() {
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&current())) {
        painter_.reset();
        throw Error(
            translate("lenzora::platform", "Printing failed: the document cannot be started"));
    }
    // The page must carry the exact pixels: without this, images reach the PDF and the
    // spooler as lossy JPEG, which blurs every strip.
    painter_->setRenderHint(QPainter::LosslessImageRendering, true);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void QtPrinter::drawBand(std::int32_t left, std::int32_t top, const PixelBand& band) {
    if (!painter_) throw Error(translate("lenzora::platform", "Printing failed: no document"));
    const QImage::Format format =
        band.bitsPerPixel == 1 ? QImage::Format_Mono : QImage::Format_BGR888;
    QImage image(band.rows, band.width, band.height, static_cast<qsizetype>(band.stride), format);
    if (band.bitsPerPixel == 1) image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    painter_->drawImage(QPoint(left, top), image);
}

void QtPrinter::endDocument() {
    if (!painter_) return;
    const bool ended = painter_->end();
    painter_.reset();
    if (!ended)
        throw Error(
            translate("lenzora::platform", "Printing failed: the document cannot be ended"));
}

PdfFilePrinter::PdfFilePrinter(QString path, int dpi, const QPageSize& pageSize)
    : path_(std::move(path)), dpi_(dpi), pageSize_(pageSize) {}

std::unique_ptr<QPrinter> PdfFilePrinter::makeDefaultPrinter() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path_);
    printer->setResolution(dpi_);
    printer->setPageSize(pageSize_);
    printer->setPageMargins(QMarginsF(0, 0, 0, 0));
    printer->setFullPage(false);
    return printer;
}

}  // namespace lenzora::platform
