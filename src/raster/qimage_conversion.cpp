#include "raster/qimage_conversion.h"

#include <cstring>

namespace lenzora::raster {

QImage toQImage(const RasterImage& image) {
    if (image.empty()) return QImage();
    const int w = image.width();
    const int h = image.height();
    if (image.format() == PixelFormat::Bgr24) {
        QImage out(w, h, QImage::Format_BGR888);
        for (int y = 0; y < h; ++y) {
            std::memcpy(out.scanLine(y), image.row(y), static_cast<std::size_t>(w) * 3);
        }
        return out;
    }
    if (isIndexed(image.format())) {
        // Indexed rows are packed from the most significant bit, as QImage's indexed formats.
        const int bits = bitsPerPixel(image.format());
        QImage out(w, h, bits == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        QList<QRgb> table;
        for (const Colour& c : image.palette()) table.append(qRgb(c.red, c.green, c.blue));
        const int entries = 1 << bits;
        while (table.size() < entries) table.append(qRgb(0, 0, 0));
        out.setColorTable(table);
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* src = image.row(y);
            uchar* dst = out.scanLine(y);
            if (bits == 1 || bits == 8) {
                std::memcpy(dst, src, (static_cast<std::size_t>(w) * bits + 7) / 8);
            } else {  // 4 bits: two pixels a byte
                for (int x = 0; x < w; ++x) dst[x] = (src[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
            }
        }
        return out;
    }
    QImage out(w, h, QImage::Format_RGB32);  // 32-bit blue, green, red, unused
    for (int y = 0; y < h; ++y) {
        std::memcpy(out.scanLine(y), image.row(y), static_cast<std::size_t>(w) * 4);
    }
    return out;
}

}  // namespace lenzora::raster
