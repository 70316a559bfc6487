#include "output/save_composite.h"

#include "output/jpeg_exif.h"
#include "output/set_bmp_resolution.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "raster/bmp_codec.h"
#include "raster/jpeg_codec.h"

namespace lenzora::output {

bool isJpegName(std::string_view name) {
    const std::size_t slash = name.find_last_of("\\/");
    const std::string_view file = slash == std::string_view::npos ? name : name.substr(slash + 1);
    const std::size_t dot = file.rfind('.');
    return dot != std::string_view::npos && file.substr(dot) == ".jpg";
}

void saveComposite(const raster::RasterImage& composite, const std::filesystem::path& path,
                   core::FixedCount resolution) {
    const long double dpi = core::fromFixed(resolution);
    if (!isJpegName(path.string())) {
        // Streamed from the image: no second copy of a large composite is made.
        raster::saveBmpFile(composite, path, [dpi](const std::filesystem::path& written) {
            setBmpResolution(written, dpi);
        });
        return;
    }
    raster::JpegOptions options;
    options.quality = 90;
    options.dotsPerInch = static_cast<int>(core::nearest(dpi));
    const platform::Bytes jpeg = withExifResolution(raster::encodeJpeg(composite, options), resolution);
    try {
        platform::writeFileAtomically(path, jpeg);
    } catch (const platform::Error& e) {
        throw platform::Error("Cannot create file \"" + path.string() + "\". " + e.what());
    }
}

}  // namespace lenzora::output
