#include "output/save_composite.h"

#include <optional>

#include "output/bmp_resolution.h"
#include "output/exact_rational.h"
#include "output/jpeg_exif.h"
#include "output/picture_format.h"
#include "output/save_pdf.h"
#include "output/saved_picture.h"
#include "platform/error.h"
#include "platform/save_file.h"
#include "platform/translation.h"
#include "raster/bmp_codec.h"
#include "raster/jpeg_codec.h"
#include "raster/png_codec.h"
#include "raster/tiff_codec.h"

namespace lenzora::output {

void saveComposite(const raster::RasterImage& composite, const std::filesystem::path& path,
                   core::FixedCount resolution, const platform::Bytes& iccProfile) {
    if (namesPdf(path.string())) {
        const auto [numerator, denominator] = exactRational(resolution);
        savePdf(composite, path, numerator, denominator, iccProfile);
        return;
    }
    const long double dpi = core::fromFixed(resolution);
    switch (pictureFormatForName(path.string())) {
        case PictureFormat::Bmp:
            // Streamed from the image: no second copy of a large composite is made.
            raster::saveBmpFile(composite, path, pixelsPerMetre(dpi));
            return;
        case PictureFormat::Jpeg: {
            raster::JpegOptions options;
            options.quality = 90;
            options.dotsPerInch = static_cast<int>(core::nearest(dpi));
            options.exif = exifResolution(resolution);
            options.iccProfile = iccProfile;
            saveStreamed(
                path, [&](const ByteSink& sink) { raster::writeJpeg(composite, options, sink); });
            return;
        }
        case PictureFormat::Png: {
            raster::PngOptions options;
            options.pixelsPerMetre = pngPixelsPerMetre(dpi);
            options.iccProfile = iccProfile;
            saveStreamed(path,
                         [&](const ByteSink& sink) { raster::writePng(composite, options, sink); });
            return;
        }
        case PictureFormat::Tiff: {
            raster::TiffOptions options;
            std::tie(options.resolutionNumerator, options.resolutionDenominator) =
                exactRational(resolution);
            options.iccProfile = iccProfile;
            savePicture(path, raster::encodeTiff(composite, options));
            return;
        }
    }
}

}  // namespace lenzora::output
