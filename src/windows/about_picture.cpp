#include "windows/about_picture.h"

#include <QFile>
#include <span>

#include "raster/jpeg_codec.h"
#include "raster/qimage_conversion.h"

namespace lenzora::windows {

QImage aboutPicture() {
    QFile resource(QStringLiteral(":/help/about.jpg"));
    if (!resource.open(QIODevice::ReadOnly)) return QImage();
    const QByteArray data = resource.readAll();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
    raster::RasterImage picture = raster::decodeJpeg(
        std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(data.size())));
    return raster::toQImage(picture);
}

}  // namespace lenzora::windows
