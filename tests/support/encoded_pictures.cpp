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

platform::Bytes makePng(const PngSpec& spec) {
    platform::Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, onWrite, onFlush);
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colourType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::size_t i = 0; i + 2 < spec.palette.size(); i += 3) {
        palette.push_back({spec.palette[i], spec.palette[i + 1], spec.palette[i + 2]});
    }
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_color_16 key{};
    if (!spec.keyColour.empty()) {
        key.gray = spec.keyColour[0];
        key.red = spec.keyColour[0];
        if (spec.keyColour.size() == 3) {
            key.green = spec.keyColour[1];
            key.blue = spec.keyColour[2];
        }
    }
    if (!spec.paletteAlpha.empty() || !spec.keyColour.empty()) {
        png_set_tRNS(png, info, spec.paletteAlpha.empty() ? nullptr : spec.paletteAlpha.data(),
                     static_cast<int>(spec.paletteAlpha.size()), &key);
    }
    if (!spec.iccProfile.empty()) {
        png_set_iCCP(png, info, "icc", 0, spec.iccProfile.data(),
                     static_cast<png_uint_32>(spec.iccProfile.size()));
    }
    if (spec.pixelsPerMetre > 0) {
        png_set_pHYs(png, info, static_cast<png_uint_32>(spec.pixelsPerMetre),
                     static_cast<png_uint_32>(spec.pixelsPerMetre), PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    const std::size_t perRow = std::size_t{spec.width} * channelsOf(spec.colourType);
    std::vector<std::vector<std::uint8_t>> rows;
    std::vector<png_bytep> pointers;
    for (std::uint32_t y = 0; y < spec.height; ++y) {
        rows.push_back(packRow(spec.samples.data() + y * perRow, perRow, spec.bitDepth, true));
    }
    for (auto& row : rows) pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

platform::Bytes makeTiff(const TiffSpec& spec) {
    char path[] = "/tmp/lenzora-tiff-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) throw std::runtime_error("no temporary file");
    ::close(fd);
    TIFF* tiff = TIFFOpen(path, "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, spec.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, spec.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, spec.bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, spec.samplesPerPixel);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, spec.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, spec.compression);
    if (spec.compression == COMPRESSION_JPEG) {
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    if (spec.extraSample >= 0) {
        const auto kind = static_cast<std::uint16_t>(spec.extraSample);
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
    if (!spec.colourMap.empty()) {
        TIFFSetField(tiff, TIFFTAG_COLORMAP, spec.colourMap.data(), spec.colourMap.data() + 256,
                     spec.colourMap.data() + 512);
    }
    if (!spec.iccProfile.empty()) {
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(spec.iccProfile.size()),
                     spec.iccProfile.data());
    }
    const std::size_t perRow = std::size_t{spec.width} * spec.samplesPerPixel;
    if (spec.tileSide == 0) {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, spec.rowsPerStrip);
        for (std::uint32_t y = 0; y < spec.height; ++y) {
            std::vector<std::uint8_t> row =
                packRow(spec.samples.data() + y * perRow, perRow, spec.bits, false);
            TIFFWriteScanline(tiff, row.data(), y, 0);
        }
    } else {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, spec.tileSide);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, spec.tileSide);
        const std::size_t pixelBytes =
            static_cast<std::size_t>(spec.samplesPerPixel * spec.bits / 8);
        std::vector<std::uint8_t> tile(std::size_t{spec.tileSide} * spec.tileSide * pixelBytes);
        for (std::uint32_t ty = 0; ty < spec.height; ty += spec.tileSide) {
            for (std::uint32_t tx = 0; tx < spec.width; tx += spec.tileSide) {
                std::fill(tile.begin(), tile.end(), 0);
                for (std::uint32_t r = 0; r < spec.tileSide && ty + r < spec.height; ++r) {
                    std::vector<std::uint8_t> row =
                        packRow(spec.samples.data() + (ty + r) * perRow, perRow, spec.bits, false);
                    const std::uint32_t n = std::min(spec.tileSide, spec.width - tx);
                    std::memcpy(tile.data() + r * spec.tileSide * pixelBytes,
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

}  // namespace lenzora::testing
