#include "raster/picture_writers.h"

#include <cmath>
#include <tuple>

#include "raster/band_writers.h"
#include "raster/bmp_codec.h"
#include "raster/bmp_resolution.h"
#include "raster/jpeg_codec.h"
#include "raster/jpeg_exif.h"
#include "raster/pdf_writer.h"
#include "raster/png_codec.h"
#include "raster/saved_picture.h"
#include "raster/tiff_codec.h"

namespace lenzora::raster {

// A 24-bit picture (the composite) is written through the format's band writer, as one band,
// so that a composite written band by band gets the same file; others (the chart) whole.

void writeBmpPicture(const RasterImage& image, const ExactDpi& dpi, const platform::Bytes& profile,
                     const std::filesystem::path& path) {
    if (image.format() == PixelFormat::Bgr24) {
        writeAsOneBand(openBmpBandWriter, image, dpi, profile, path);
        return;
    }
    saveBmpFile(image, path, pixelsPerMetre(dotsPerInch(dpi)));
}

void writeJpegPicture(const RasterImage& image, const ExactDpi& dpi, const platform::Bytes& profile,
                      const std::filesystem::path& path) {
    if (image.format() == PixelFormat::Bgr24) {
        writeAsOneBand(openJpegBandWriter, image, dpi, profile, path);
        return;
    }
    JpegOptions options;
    options.quality = 90;
    options.dotsPerInch = static_cast<int>(std::nearbyint(dotsPerInch(dpi)));
    options.exif = exifResolution(dpi);
    options.iccProfile = profile;
    saveStreamed(path, [&](const ByteSink& sink) { writeJpeg(image, options, sink); });
}

void writePngPicture(const RasterImage& image, const ExactDpi& dpi, const platform::Bytes& profile,
                     const std::filesystem::path& path) {
    if (image.format() == PixelFormat::Bgr24) {
        writeAsOneBand(openPngBandWriter, image, dpi, profile, path);
        return;
    }
    PngOptions options;
    options.pixelsPerMetre = pngPixelsPerMetre(dotsPerInch(dpi));
    options.iccProfile = profile;
    saveStreamed(path, [&](const ByteSink& sink) { writePng(image, options, sink); });
}

void writeTiffPicture(const RasterImage& image, const ExactDpi& dpi, const platform::Bytes& profile,
                      const std::filesystem::path& path) {
    if (image.format() == PixelFormat::Bgr24) {
        writeAsOneBand(openTiffBandWriter, image, dpi, profile, path);
        return;
    }
    TiffOptions options;
    std::tie(options.resolutionNumerator, options.resolutionDenominator) = rational32(dpi);
    options.iccProfile = profile;
    savePicture(path, encodeTiff(image, options));
}

void writePdfPicture(const RasterImage& image, const ExactDpi& dpi, const platform::Bytes& profile,
                     const std::filesystem::path& path) {
    saveStreamed(path, [&](const ByteSink& sink) { encodePdfPicture(image, dpi, profile, sink); });
}

}  // namespace lenzora::raster
