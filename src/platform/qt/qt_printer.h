#pragma once
// The printer through the system's printing (CUPS on Linux), and a PDF-file printer of a
// chosen resolution and page for tests and for printing to a file.

#include <QPageSize>
#include <QString>
#include <memory>

#include "platform/printer.h"

class QPainter;
class QPrinter;

namespace lenzora::platform {

class QtPrinter : public Printer {
  public:
    QtPrinter();
    ~QtPrinter() override;

    void selectDefault() override;
    bool showSetupDialog() override;
    int horizontalDpi() const override;
    int verticalDpi() const override;
    std::int32_t printableWidth() const override;
    std::int32_t printableHeight() const override;
    int bitsPerPixel() const override;
    void startDocument() override;
    void drawBand(std::int32_t left, std::int32_t top, const PixelBand& band) override;
    void endDocument() override;

  protected:
    // The printer the commands work on; made by selectDefault.
    virtual std::unique_ptr<QPrinter> makeDefaultPrinter();
    QPrinter& current() const;

  private:
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
};

// Prints into a PDF file: a page of `pageSize` at `dpi` dots per inch, no set-up dialog.
class PdfFilePrinter : public QtPrinter {
  public:
    PdfFilePrinter(QString path, int dpi, const QPageSize& pageSize);
    bool showSetupDialog() override { return false; }

  protected:
    std::unique_ptr<QPrinter> makeDefaultPrinter() override;

  private:
    QString path_;
    int dpi_;
    QPageSize pageSize_;
};

}  // namespace lenzora::platform
