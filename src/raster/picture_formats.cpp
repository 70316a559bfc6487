#include "raster/picture_formats.h"

#include <algorithm>

#include "platform/translation.h"
#include "raster/band_writers.h"
#include "raster/bmp_codec.h"
#include "raster/jpeg_codec.h"
#include "raster/picture_writers.h"
#include "raster/png_codec.h"
#include "raster/tiff_codec.h"

namespace lenzora::raster {
namespace {

// A BMP carries neither a colour profile nor an orientation.
RasterImage readBmp(const std::filesystem::path& path, platform::Bytes* /*iccProfile*/,
                    Orientation* /*orientation*/) {
    RasterImage image;
    image.loadBmpFile(path);
    return image;
}

std::vector<PictureFormat> makeTable() {
    std::vector<PictureFormat> table;
    table.push_back({.name = "jpeg",
                     .extensions = {".jpg", ".jpeg"},
                     .read = loadJpegFile,
                     .readRows = loadJpegFileRows,
                     .writeComposite = writeJpegPicture,
                     .openRows = openJpegRows,
                     .openBandWriter = openJpegBandWriter,
                     .carriesResolution = true,
                     .carriesColourProfile = true,
                     .openFilter = QT_TRANSLATE_NOOP("lenzora::platform::FileDialogs",
                                                     "JPEG Image File (*.jpg) (*.jpg *.jpeg)"),
                     .saveFilter = QT_TRANSLATE_NOOP("lenzora::platform::FileDialogs",
                                                     "JPEG Image File (*.jpg)"),
                     .help = "JPEG, quality 90"});
    table.push_back({.name = "png",
                     .extensions = {".png"},
                     .read = loadPngFile,
                     .writeComposite = writePngPicture,
                     .writeChart = writePngPicture,
                     .openRows = openPngRows,
                     .openBandWriter = openPngBandWriter,
                     .carriesResolution = true,
                     .carriesColourProfile = true,
                     .openFilter = QT_TRANSLATE_NOOP("lenzora::platform::FileDialogs",
                                                     "PNG Image File (*.png) (*.png)"),
                     .saveFilter = QT_TRANSLATE_NOOP("lenzora::platform::FileDialogs",
                                                     "PNG Image File (*.png)"),
                     .help = "PNG"});
    table.push_back({.name = "tiff",
                     .extensions = {".tif", ".tiff"},
                     .read = loadTiffFile,
                     .writeComposite = writeTiffPicture,
                     .writeChart = writeTiffPicture,
                     .openRows = openTiffRows,
                     .openBandWriter = openTiffBandWriter,
                     .carriesResolution = true,
                     .carriesColourProfile = true,
                     .openFilter = QT_TRANSLATE_NOOP("lenzora::platform::FileDialogs",
                                                     "TIFF Image File (*.tif) (*.tif *.tiff)"),
                     .saveFilter = QT_TRANSLATE_NOOP("lenzora::platform::FileDialogs",
                                                     "TIFF Image File (*.tif)"),
                     .help = "TIFF"});
    table.push_back(
        {.name = "bmp",
         .extensions = {".bmp"},
         .read = readBmp,
         .writeComposite = writeBmpPicture,
         .writeChart = writeBmpPicture,
         .openBandWriter = openBmpBandWriter,
         .carriesResolution = true,
         .openFilter =
             QT_TRANSLATE_NOOP("lenzora::platform::FileDialogs", "Bitmaps (*.bmp) (*.bmp)"),
         .saveFilter = QT_TRANSLATE_NOOP("lenzora::platform::FileDialogs", "Bitmaps (*.bmp)"),
         .help = "BMP"});
    // Written only: one page of the picture's physical size, for layout programs and RIPs.
    table.push_back(
        {.name = "pdf",
         .extensions = {".pdf"},
         .writeComposite = writePdfPicture,
         .writeChart = writePdfPicture,
         .carriesResolution = true,
         .carriesColourProfile = true,
         .saveFilter = QT_TRANSLATE_NOOP("lenzora::platform::FileDialogs", "PDF 文档 (*.pdf)"),
         .help = "PDF, a page of its physical size"});
    return table;
}

}  // namespace

const std::vector<PictureFormat>& pictureFormats() {
    static const std::vector<PictureFormat> table = makeTable();
    return table;
}

std::string fileExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    if (path.find_first_of("\\/:", dot) != std::string_view::npos) return {};
    return std::string(path.substr(dot));
}

const PictureFormat* formatOfName(std::string_view path) {
    std::string extension = fileExtension(path);
    // ASCII only: a locale must not turn another letter into one of these.
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    for (const PictureFormat& format : pictureFormats()) {
        if (std::find(format.extensions.begin(), format.extensions.end(), extension) !=
            format.extensions.end())
            return &format;
    }
    return nullptr;
}

const PictureFormat* frameFormatOf(std::string_view path) {
    const PictureFormat* format = formatOfName(path);
    return format != nullptr && format->read != nullptr ? format : nullptr;
}

const PictureFormat& bitmapFormat() {
    static const PictureFormat& bmp = *formatOfName(".bmp");
    return bmp;
}

const PictureFormat& saveFormatFor(std::string_view path, SavedPicture picture) {
    const PictureFormat* format = formatOfName(path);
    if (format == nullptr) return bitmapFormat();
    const PictureWriter writer =
        picture == SavedPicture::Chart ? format->writeChart : format->writeComposite;
    return writer != nullptr ? *format : bitmapFormat();
}

const PictureFormat& readFormatFor(std::string_view path) {
    const PictureFormat* format = frameFormatOf(path);
    return format != nullptr ? *format : bitmapFormat();
}

}  // namespace lenzora::raster
