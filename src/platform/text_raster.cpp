#include "platform/text_raster.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QString>
#include <cmath>
#include <cstring>

namespace lenzora::platform {
namespace {

// The font engine needs a GUI application object. The desktop program has one; the batch
// tool and the tests get one here, on the off-screen platform unless another is chosen.
void ensureGuiApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    static int argc = 1;
    static char name[] = "lenzora";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

}  // namespace

double logicalDotsPerInch() {
    ensureGuiApplication();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        double dpi = screen->logicalDotsPerInch();
        if (dpi > 0) return dpi;
    }
    return 96.0;
}

TextMask rasteriseText(std::string_view text, const std::string& family, double points,
                       bool antialiased) {
    ensureGuiApplication();
    TextMask mask;
    QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (string.isEmpty()) return mask;

    QFont font = family.empty() ? QGuiApplication::font() : QFont(QString::fromStdString(family));
    // Points to pixels as the display does it, rounded to whole pixels.
    int pixels = static_cast<int>(std::lround(std::abs(points) * logicalDotsPerInch() / 72.0));
    font.setPixelSize(std::max(pixels, 1));
    font.setStyleStrategy(antialiased ? QFont::PreferAntialias : QFont::NoAntialias);

    QFontMetrics metrics(font);
    int width = metrics.horizontalAdvance(string);
    int height = metrics.height();
    if (width <= 0 || height <= 0) return mask;

    QImage canvas(width, height, QImage::Format_Grayscale8);
    canvas.fill(0);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::TextAntialiasing, antialiased);
        painter.setFont(font);
        painter.setPen(QColor(255, 255, 255));
        painter.drawText(0, metrics.ascent(), string);
    }

    mask.width = width;
    mask.height = height;
    mask.coverage.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const uchar* line = canvas.constScanLine(y);
        std::uint8_t* out = mask.coverage.data() + static_cast<std::size_t>(y) * width;
        if (antialiased) {
            std::memcpy(out, line, static_cast<std::size_t>(width));
        } else {
            for (int x = 0; x < width; ++x) out[x] = line[x] >= 128 ? 255 : 0;
        }
    }
    return mask;
}

}  // namespace lenzora::platform
