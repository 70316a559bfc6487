#include "output/save_composite.h"

#include "output/exact_rational.h"
#include "raster/picture_formats.h"

namespace lenzora::output {

void saveComposite(const raster::RasterImage& composite, const std::filesystem::path& path,
                   core::FixedCount resolution, const platform::Bytes& iccProfile) {
    const raster::PictureFormat& format =
        raster::saveFormatFor(path.string(), raster::SavedPicture::Composite);
    format.writeComposite(composite, exactRational(resolution), iccProfile, path);
}

}  // namespace lenzora::output
