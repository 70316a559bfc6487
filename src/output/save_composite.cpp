#include "output/save_composite.h"

#include <optional>

#include "output/bmp_resolution.h"
#include "output/jpeg_exif.h"
#include "platform/error.h"
#include "platform/save_file.h"
#include "platform/translation.h"
#include "raster/bmp_codec.h"
#include "raster/jpeg_codec.h"

namespace lenzora::output {
namespace {

// Runs one step on the file being saved: a failure of the file names it.
template <class Step>
void onFile(const std::filesystem::path& path, Step&& step) {
    try {
        step();
    } catch (const platform::Error& e) {
        throw platform::Error(platform::fillIn(
            platform::translate("lenzora::output", "Cannot create file \"%1\". %2"),
            {path.string(), e.what()}));
    }
}

}  // namespace

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
        raster::saveBmpFile(composite, path, pixelsPerMetre(dpi));
        return;
    }
    raster::JpegOptions options;
    options.quality = 90;
    options.dotsPerInch = static_cast<int>(core::nearest(dpi));
    options.exif = exifResolution(resolution);
    // Streamed as well. The file is opened when the encoder hands over its first bytes, so a
    // picture the encoder refuses gives the encoder's error and leaves the folder untouched.
    std::optional<platform::SaveFile> file;
    raster::writeJpeg(composite, options, [&](const std::uint8_t* data, std::size_t size) {
        onFile(path, [&] {
            if (!file) file.emplace(path);
            file->write(data, size);
        });
    });
    onFile(path, [&] {
        if (!file) file.emplace(path);
        file->commit();
    });
}

}  // namespace lenzora::output
