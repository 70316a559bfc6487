#include "support/encoded_pictures.h"

#include <png.h>
#include <tiffio.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <lcms2.h>

namespace lenzora::testing {
namespace {

// Packs samples of 1 to 16 bits into a row: most significant bit first, 16-bit big-endian
// (PNG) or in the machine's order (TIFF, which the library swaps as needed).
std::vector<std::uint8_t> packRow(const std::uint16_t* samples, std::size_t count, int bits,
                                  bool bigEndian) {
    std::vector<std::uint8_t> row;
    if (bits == 16) {
        for (std::size_t i = 0; i < count; ++i) {
            std::uint8_t hi = static_cast<std::uint8_t>(samples[i] >> 8);
            std::uint8_t lo = static_cast<std::uint8_t>(samples[i]);
            if (bigEndian) {
                row.push_back(hi);
                row.push_back(lo);
            } else {
                std::uint16_t v = samples[i];
                std::uint8_t b[2];
                std::memcpy(b, &v, 2);
                row.push_back(b[0]);
                row.push_back(b[1]);
            }
        }
        return row;
    }
    row.assign((count * static_cast<std::size_t>(bits) + 7) / 8, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t bit = i * static_cast<std::size_t>(bits);
        row[bit / 8] = static_cast<std::uint8_t>(
            row[bit / 8] | samples[i] << (8 - bits - static_cast<int>(bit % 8)));
    }
    return row;
}

int channelsOf(int colourType) {
    switch (colourType) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_PALETTE:
            return 1;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB:
            return 3;
        default:
            return 4;
    }
}

void onWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<platform::Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void onFlush(png_structp) {}

void onPngError(png_structp, png_const_charp message) { throw std::runtime_error(message); }

}  // namespace

platform::Bytes makePng(const PngRecipe& recipe) {
    platform::Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, onWrite, onFlush);
    png_set_IHDR(png, info, recipe.width, recipe.height, recipe.bitDepth, recipe.colourType,
                 recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::size_t i = 0; i + 2 < recipe.palette.size(); i += 3) {
        palette.push_back({recipe.palette[i], recipe.palette[i + 1], recipe.palette[i + 2]});
    }
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_color_16 key{};
    if (!recipe.keyColour.empty()) {
        key.gray = recipe.keyColour[0];
        key.red = recipe.keyColour[0];
        if (recipe.keyColour.size() == 3) {
            key.green = recipe.keyColour[1];
            key.blue = recipe.keyColour[2];
        }
    }
    if (!recipe.paletteAlpha.empty() || !recipe.keyColour.empty()) {
        png_set_tRNS(png, info, recipe.paletteAlpha.empty() ? nullptr : recipe.paletteAlpha.data(),
                     static_cast<int>(recipe.paletteAlpha.size()), &key);
    }
    if (!recipe.iccProfile.empty()) {
        png_set_iCCP(png, info, "icc", 0, recipe.iccProfile.data(),
                     static_cast<png_uint_32>(recipe.iccProfile.size()));
    }
    if (recipe.pixelsPerMetre > 0) {
        png_set_pHYs(png, info, static_cast<png_uint_32>(recipe.pixelsPerMetre),
                     static_cast<png_uint_32>(recipe.pixelsPerMetre), PNG_RESOLUTION_METER);
    }
    if (!recipe.exif.empty()) {
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(recipe.exif.size()),
                       const_cast<png_bytep>(recipe.exif.data()));
    }
    png_write_info(png, info);
    const std::size_t perRow = std::size_t{recipe.width} * channelsOf(recipe.colourType);
    std::vector<std::vector<std::uint8_t>> rows;
    std::vector<png_bytep> pointers;
    for (std::uint32_t y = 0; y < recipe.height; ++y) {
        rows.push_back(packRow(recipe.samples.data() + y * perRow, perRow, recipe.bitDepth, true));
    }
    for (auto& row : rows) pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

platform::Bytes makeTiff(const TiffRecipe& recipe) {
    char path[] = "/tmp/lenzora-tiff-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) throw std::runtime_error("no temporary file");
    ::close(fd);
    TIFF* tiff = TIFFOpen(path, "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, recipe.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, recipe.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, recipe.bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, recipe.samplesPerPixel);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, recipe.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, recipe.compression);
    if (recipe.compression == COMPRESSION_JPEG) {
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    if (recipe.extraSample >= 0) {
        const auto kind = static_cast<std::uint16_t>(recipe.extraSample);
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
    if (!recipe.colourMap.empty()) {
        TIFFSetField(tiff, TIFFTAG_COLORMAP, recipe.colourMap.data(), recipe.colourMap.data() + 256,
                     recipe.colourMap.data() + 512);
    }
    if (!recipe.iccProfile.empty()) {
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(recipe.iccProfile.size()),
                     recipe.iccProfile.data());
    }
    if (recipe.orientation != 0) TIFFSetField(tiff, TIFFTAG_ORIENTATION, recipe.orientation);
    const std::size_t perRow = std::size_t{recipe.width} * recipe.samplesPerPixel;
    if (recipe.tileSide == 0) {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, recipe.rowsPerStrip);
        for (std::uint32_t y = 0; y < recipe.height; ++y) {
            std::vector<std::uint8_t> row =
                packRow(recipe.samples.data() + y * perRow, perRow, recipe.bits, false);
            TIFFWriteScanline(tiff, row.data(), y, 0);
        }
    } else {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, recipe.tileSide);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, recipe.tileSide);
        const std::size_t pixelBytes =
            static_cast<std::size_t>(recipe.samplesPerPixel * recipe.bits / 8);
        std::vector<std::uint8_t> tile(std::size_t{recipe.tileSide} * recipe.tileSide * pixelBytes);
        for (std::uint32_t ty = 0; ty < recipe.height; ty += recipe.tileSide) {
            for (std::uint32_t tx = 0; tx < recipe.width; tx += recipe.tileSide) {
                std::fill(tile.begin(), tile.end(), 0);
                for (std::uint32_t r = 0; r < recipe.tileSide && ty + r < recipe.height; ++r) {
                    std::vector<std::uint8_t> row = packRow(
                        recipe.samples.data() + (ty + r) * perRow, perRow, recipe.bits, false);
                    const std::uint32_t n = std::min(recipe.tileSide, recipe.width - tx);
                    std::memcpy(tile.data() + r * recipe.tileSide * pixelBytes,
                                row.data() + tx * pixelBytes, n * pixelBytes);
                }
                TIFFWriteTile(tiff, tile.data(), tx, ty, 0, 0);
            }
        }
    }
    TIFFClose(tiff);
    platform::Bytes bytes = platform::readWholeFile(path);
    std::remove(path);
    return bytes;
}

platform::Bytes orientationExif(std::uint32_t value, bool bigEndian, bool header) {
    platform::Bytes out(header ? 6 : 0);  // "Exif\0\0"
    if (header) std::memcpy(out.data(), "Exif", 4);
    const auto order = static_cast<std::uint8_t>(bigEndian ? 'M' : 'I');
    out.push_back(order);
    out.push_back(order);
    // The TIFF header, one directory of one entry, no directory after it.
    const std::pair<std::uint32_t, int> fields[] = {
        {42, 2}, {8, 4}, {1, 2}, {0x0112, 2}, {3, 2}, {1, 4}, {value, 2}, {0, 2}, {0, 4}};
    for (auto [v, bytes] : fields) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> 8 * (bigEndian ? bytes - 1 - i : i)));
    }
    return out;
}

namespace {

platform::Bytes profileBytes(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    platform::Bytes bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

}  // namespace

platform::Bytes srgbProfile() { return profileBytes(cmsCreate_sRGBProfile()); }

platform::Bytes wideGamutProfile() {
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.19921875);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(gamma);
    return profileBytes(profile);
}

platform::Bytes greyProfile() {
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
    cmsFreeToneCurve(gamma);
    return profileBytes(profile);
}

}  // namespace lenzora::testing
