#include "platform/text_raster.h"

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QString>
#include <cmath>
#include <cstring>

#include "platform/font_file.h"

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

// Draws `string` with its baseline at `baseline` from a face made for this call alone. The
// toolkit's fonts of one file share a single face, and at large sizes the outlines it gives
// depend on the sizes other text was drawn at before (the window's own text included): a
// 192-point chart label came out differently after other text than in the batch tool. A
// face of one's own starts the same every time. Returns false, drawing nothing, when the
// font's file is not at hand or lacks a character.
bool drawWithOwnFace(QPainter& painter, const QFont& font, int pixels, const QString& string,
                     int baseline) {
    const QByteArray data = fontFileData(font);
    if (data.isEmpty()) return false;
    const QRawFont face(data, pixels, QFont::PreferNoHinting);
    if (!face.isValid()) return false;
    const QList<quint32> glyphs = face.glyphIndexesForString(string);
    if (glyphs.isEmpty() || glyphs.contains(0)) return false;
    const QList<QPointF> advances = face.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    qreal x = 0;
    for (const QPointF& advance : advances) {
        positions.append(QPointF(x, 0));
        x += advance.x();
    }
    QGlyphRun run;
    run.setRawFont(face);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter.drawGlyphRun(QPointF(0, baseline), run);
    return true;
}

}  // namespace

TextMask rasteriseText(std::string_view text, const std::string& family, double points,
                       bool antialiased) {
    ensureGuiApplication();
    TextMask mask;
    QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (string.isEmpty()) return mask;

    QFont font = family.empty() ? QGuiApplication::font() : QFont(QString::fromStdString(family));
    // Points to whole pixels at a fixed resolution, not the display's: the text lands in an
    // image that is saved and printed, and the same drawing must give the same pixels on
    // every desktop and in the batch tool.
    int pixels = static_cast<int>(std::lround(std::abs(points) * kTextDotsPerInch / 72.0));
    font.setPixelSize(std::max(pixels, 1));
    font.setStyleStrategy(antialiased ? QFont::PreferAntialias : QFont::NoAntialias);
    // The font's own advances, never the desktop's hinting settings.
    font.setHintingPreference(QFont::PreferNoHinting);

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
        if (!drawWithOwnFace(painter, font, pixels, string, metrics.ascent()))
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
