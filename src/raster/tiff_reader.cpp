#include <algorithm>
#include <array>
#include <vector>

#include "platform/error.h"
#include "raster/decode_file.h"
#include "raster/sample_rows.h"
#include "raster/size_limit.h"
#include "raster/tiff_codec.h"
#include "raster/tiff_memory.h"

namespace lenzora::raster {
namespace {

using detail::TiffStream;

// More samples than any picture we read carries; a header asking for more is hostile.
constexpr std::uint16_t kMaxSamplesPerPixel = 8;

enum class Kind { Grey, Rgb, Palette, Cmyk };

// What the first directory says about the pixels, checked before anything is allocated.
struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Kind kind = Kind::Rgb;
    std::uint16_t bits = 8;
    std::uint16_t samples = 1;
    detail::SampleLayout sampleLayout;
    bool tiled = false;
    std::uint32_t tileWidth = 0;
    std::uint32_t tileHeight = 0;
};

template <class T>
T field(TIFF* tiff, ttag_t tag, T fallback) {
    T value = fallback;
    if (TIFFGetFieldDefaulted(tiff, tag, &value) != 1) return fallback;
    return value;
}

Layout readLayout(TIFF* tiff, const TiffStream& stream) {
    Layout l;
    if (TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &l.width) != 1 ||
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &l.height) != 1) {
        detail::throwTiffError(stream, "the picture has no size");
    }
    l.bits = field<std::uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    l.samples = field<std::uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    const auto photometric = field<std::uint16_t>(tiff, TIFFTAG_PHOTOMETRIC, 0xFFFF);
    const auto planar = field<std::uint16_t>(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    const auto format = field<std::uint16_t>(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT);
    const auto compression = field<std::uint16_t>(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    if (format != SAMPLEFORMAT_UINT || l.samples == 0 || l.samples > kMaxSamplesPerPixel ||
        (planar != PLANARCONFIG_CONTIG && l.samples > 1)) {
        detail::throwTiffError(stream, "this sample layout is not supported");
    }

    int colours = 3;
    switch (photometric) {
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_MINISWHITE:
            l.kind = Kind::Grey;
            colours = 1;
            l.sampleLayout.invertedGrey = photometric == PHOTOMETRIC_MINISWHITE;
            break;
        case PHOTOMETRIC_RGB:
            l.kind = Kind::Rgb;
            break;
        case PHOTOMETRIC_YCBCR:
            // Only JPEG compression, whose codec hands out RGB.
            if (compression != COMPRESSION_JPEG) {
                detail::throwTiffError(stream, "YCbCr is read only in JPEG compression");
            }
            TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
            l.kind = Kind::Rgb;
            break;
        case PHOTOMETRIC_PALETTE:
            l.kind = Kind::Palette;
            colours = 1;
            break;
        case PHOTOMETRIC_SEPARATED:
            if (field<std::uint16_t>(tiff, TIFFTAG_INKSET, INKSET_CMYK) != INKSET_CMYK) {
                detail::throwTiffError(stream, "only CMYK inks are supported");
            }
            l.kind = Kind::Cmyk;
            colours = 4;
            break;
        default:
            detail::throwTiffError(stream, "this colour space is not supported");
    }
    const bool bitsFit = l.kind == Kind::Grey      ? (l.bits == 1 || l.bits == 8 || l.bits == 16)
                         : l.kind == Kind::Palette ? l.bits == 8
                                                   : (l.bits == 8 || l.bits == 16);
    if (!bitsFit || l.samples < colours || (l.bits == 1 && l.samples != 1)) {
        detail::throwTiffError(stream, "this sample depth is not supported");
    }

    // The first extra sample may be alpha; any further ones are skipped.
    if (l.kind == Kind::Grey || l.kind == Kind::Rgb) {
        std::uint16_t extraCount = 0;
        std::uint16_t* extraKinds = nullptr;
        if (l.samples > colours &&
            TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds) == 1 &&
            extraCount > 0 && extraKinds != nullptr && extraKinds[0] != EXTRASAMPLE_UNSPECIFIED) {
            l.sampleLayout.alpha = true;
            l.sampleLayout.premultiplied = extraKinds[0] == EXTRASAMPLE_ASSOCALPHA;
        }
        l.sampleLayout.colours = colours;
        l.sampleLayout.bits = l.bits;
        l.sampleLayout.samplesPerPixel = l.samples;
    }

    l.tiled = TIFFIsTiled(tiff) != 0;
    if (l.tiled) {
        if (TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &l.tileWidth) != 1 ||
            TIFFGetField(tiff, TIFFTAG_TILELENGTH, &l.tileHeight) != 1 || l.tileWidth == 0 ||
            l.tileHeight == 0) {
            detail::throwTiffError(stream, "the tiles have no size");
        }
    }
    return l;
}

// The palette as blue-green-red triplets; old files store 8-bit values in the 16-bit map.
std::vector<std::uint8_t> paletteOf(TIFF* tiff, const TiffStream& stream) {
    std::uint16_t* red = nullptr;
    std::uint16_t* green = nullptr;
    std::uint16_t* blue = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) != 1) {
        detail::throwTiffError(stream, "the palette is missing");
    }
    bool eightBitMap = true;
    for (int i = 0; i < 256; ++i) {
        if (red[i] > 255 || green[i] > 255 || blue[i] > 255) eightBitMap = false;
    }
    auto to8 = [eightBitMap](std::uint16_t v) {
        return eightBitMap ? static_cast<std::uint8_t>(v) : detail::eightBits(v);
    };
    std::vector<std::uint8_t> table(std::size_t{3} * 256);
    for (std::size_t i = 0; i < 256; ++i) {
        table[3 * i] = to8(blue[i]);
        table[3 * i + 1] = to8(green[i]);
        table[3 * i + 2] = to8(red[i]);
    }
    return table;
}

// Turns rows of the file's samples into rows of the image.
class RowConverter {
  public:
    RowConverter(const Layout& layout, std::vector<std::uint8_t> palette)
        : layout_(layout), palette_(std::move(palette)) {
        if (layout.bits == 1) expanded_.resize(layout.width);
        if (layout.kind == Kind::Cmyk) cmyk_.resize(4 * std::size_t{layout.width});
    }

    void convert(const std::uint8_t* samples, std::uint8_t* bgr) {
        const std::size_t width = layout_.width;
        switch (layout_.kind) {
            case Kind::Grey:
            case Kind::Rgb:
                if (layout_.bits == 1) {
                    for (std::size_t x = 0; x < width; ++x) {
                        expanded_[x] = (samples[x >> 3] >> (7 - (x & 7)) & 1) != 0 ? 255 : 0;
                    }
                    samples = expanded_.data();
                }
                detail::samplesToBgr(
                    samples, layout_.bits == 1 ? eightBitGrey() : layout_.sampleLayout, bgr, width);
                break;
            case Kind::Palette:
                for (std::size_t x = 0; x < width; ++x) {
                    const std::uint8_t* entry = palette_.data() + 3 * std::size_t{samples[x]};
                    bgr[3 * x] = entry[0];
                    bgr[3 * x + 1] = entry[1];
                    bgr[3 * x + 2] = entry[2];
                }
                break;
            case Kind::Cmyk: {
                // The first four samples of each pixel, in 8 bits.
                const std::size_t step = layout_.samples;
                for (std::size_t x = 0; x < width; ++x) {
                    for (std::size_t i = 0; i < 4; ++i) {
                        cmyk_[4 * x + i] =
                            layout_.bits == 16
                                ? detail::eightBits(
                                      reinterpret_cast<const std::uint16_t*>(samples)[x * step + i])
                                : samples[x * step + i];
                    }
                }
                detail::cmykToBgr(cmyk_.data(), bgr, width, false);
                break;
            }
        }
    }

  private:
    detail::SampleLayout eightBitGrey() const {
        detail::SampleLayout grey = layout_.sampleLayout;
        grey.bits = 8;
        return grey;
    }

    const Layout& layout_;
    std::vector<std::uint8_t> palette_;
    std::vector<std::uint8_t> expanded_;
    std::vector<std::uint8_t> cmyk_;
};

// Strips up to this size are decoded whole, which costs the codec far less than a row at a
// time; a larger one (a picture stored as one strip) is read row by row instead.
constexpr tmsize_t kMaxStripBuffer = tmsize_t{8} << 20;

void readStrips(TIFF* tiff, const TiffStream& stream, const Layout& layout, RowConverter& converter,
                RasterImage& image) {
    const tmsize_t lineBytes = TIFFScanlineSize(tiff);
    const tmsize_t stripBytes = TIFFStripSize(tiff);
    if (lineBytes <= 0 || stripBytes <= 0) detail::throwTiffError(stream, "the rows have no size");
    const auto line = static_cast<std::size_t>(lineBytes);
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip = std::min(std::max<std::uint32_t>(rowsPerStrip, 1), layout.height);
    const bool wholeStrips =
        stripBytes <= kMaxStripBuffer &&
        static_cast<std::uint64_t>(rowsPerStrip) * line <= static_cast<std::uint64_t>(stripBytes);
    if (!wholeStrips) {
        std::vector<std::uint8_t> row(line);
        for (std::uint32_t y = 0; y < layout.height; ++y) {
            if (TIFFReadScanline(tiff, row.data(), y, 0) != 1) {
                detail::throwTiffError(stream, "the picture data is damaged");
            }
            converter.convert(row.data(), image.row(static_cast<std::int32_t>(y)));
        }
        return;
    }
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(stripBytes));
    for (std::uint32_t top = 0; top < layout.height; top += rowsPerStrip) {
        const std::uint32_t rows = std::min(rowsPerStrip, layout.height - top);
        const tmsize_t want = static_cast<tmsize_t>(std::size_t{rows} * line);
        if (TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, top, 0), strip.data(), want) !=
            want) {
            detail::throwTiffError(stream, "the picture data is damaged");
        }
        for (std::uint32_t r = 0; r < rows; ++r) {
            converter.convert(strip.data() + std::size_t{r} * line,
                              image.row(static_cast<std::int32_t>(top + r)));
        }
    }
}

void readTiles(TIFF* tiff, const TiffStream& stream, const Layout& layout, RowConverter& converter,
               RasterImage& image) {
    const std::uint64_t across =
        (std::uint64_t{layout.width} + layout.tileWidth - 1) / layout.tileWidth;
    // A band of tiles side by side: as many rows as a tile, as wide as the tiles together.
    checkDecodedSize(across * layout.tileWidth, layout.tileHeight, 32);
    const tmsize_t tileBytes = TIFFTileSize(tiff);
    const tmsize_t tileRowBytes = TIFFTileRowSize(tiff);
    if (tileBytes <= 0 || tileRowBytes <= 0)
        detail::throwTiffError(stream, "the tiles have no size");
    const std::size_t bandRowBytes = static_cast<std::size_t>(tileRowBytes) * across;
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(tileBytes));
    std::vector<std::uint8_t> band(bandRowBytes * layout.tileHeight);
    for (std::uint32_t top = 0; top < layout.height; top += layout.tileHeight) {
        for (std::uint64_t column = 0; column < across; ++column) {
            const auto x = static_cast<std::uint32_t>(column * layout.tileWidth);
            if (TIFFReadTile(tiff, tile.data(), x, top, 0, 0) < 0) {
                detail::throwTiffError(stream, "the picture data is damaged");
            }
            for (std::uint32_t r = 0; r < layout.tileHeight; ++r) {
                std::copy_n(tile.data() + std::size_t{r} * static_cast<std::size_t>(tileRowBytes),
                            tileRowBytes,
                            band.data() + std::size_t{r} * bandRowBytes +
                                column * static_cast<std::size_t>(tileRowBytes));
            }
        }
        const std::uint32_t rows = std::min(layout.tileHeight, layout.height - top);
        for (std::uint32_t r = 0; r < rows; ++r) {
            converter.convert(band.data() + std::size_t{r} * bandRowBytes,
                              image.row(static_cast<std::int32_t>(top + r)));
        }
    }
}

}  // namespace

RasterImage decodeTiff(std::span<const std::uint8_t> file, platform::Bytes* iccProfile) {
    TiffStream stream;
    stream.input = file;
    detail::TiffHandle tiff = detail::openTiff(stream, "r");
    const Layout layout = readLayout(tiff.get(), stream);
    checkDecodedSize(layout.width, layout.height, 24);
    if (layout.width == 0 || layout.height == 0) {
        detail::throwTiffError(stream, "the picture is empty");
    }
    // Uncompressed samples are all in the file: a header claiming more is refused before the
    // picture is allocated.
    if (field<std::uint16_t>(tiff.get(), TIFFTAG_COMPRESSION, COMPRESSION_NONE) ==
            COMPRESSION_NONE &&
        std::uint64_t{layout.width} * layout.height * layout.samples * layout.bits / 8 >
            file.size()) {
        detail::throwTiffError(stream, "the file is too short for its picture");
    }
    if (iccProfile != nullptr) {
        iccProfile->clear();
        std::uint32_t length = 0;
        void* profile = nullptr;
        if (TIFFGetField(tiff.get(), TIFFTAG_ICCPROFILE, &length, &profile) == 1 &&
            profile != nullptr) {
            const auto* bytes = static_cast<const std::uint8_t*>(profile);
            iccProfile->assign(bytes, bytes + length);
        }
    }

    RowConverter converter(layout, layout.kind == Kind::Palette ? paletteOf(tiff.get(), stream)
                                                                : std::vector<std::uint8_t>{});
    RasterImage image;
    image.allocate(PixelFormat::Bgr24, static_cast<std::int32_t>(layout.width),
                   static_cast<std::int32_t>(layout.height));
    if (layout.tiled) {
        readTiles(tiff.get(), stream, layout, converter, image);
    } else {
        readStrips(tiff.get(), stream, layout, converter, image);
    }
    return image;
}

RasterImage loadTiffFile(const std::filesystem::path& path, platform::Bytes* iccProfile) {
    return decodeFile(
        path, [&](std::span<const std::uint8_t> bytes) { return decodeTiff(bytes, iccProfile); },
        true);
}

}  // namespace lenzora::raster
