#include "windows/about_picture.h"

#include <QFile>
#include <span>

#include "platform/translation.h"
#include "raster/jpeg_codec.h"
#include "raster/qimage_conversion.h"

namespace lenzora::windows {

QImage aboutPicture() {
    // The English picture names the program's purpose in English.
    const bool english = platform::interfaceLanguage() == platform::Language::English;
    QFile resource(english ? QStringLiteral(":/help/about-en.jpg")
                           : QStringLiteral(":/help/about.jpg"));
    if (!resource.open(QIODevice::ReadOnly)) return QImage();
    const QByteArray data = resource.readAll();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
    raster::RasterImage picture = raster::decodeJpeg(
        std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(data.size())));
    return raster::toQImage(picture);
}

}  // namespace lenzora::windows
