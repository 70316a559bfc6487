#include <algorithm>
#include <vector>

#include "platform/error.h"
#include "raster/pixel_rows.h"
#include "raster/tiff_codec.h"
#include "raster/tiff_memory.h"

namespace lenzora::raster {
namespace {

using detail::TiffStream;

// Strips of about this many bytes: small enough to stream, large enough to compress well.
constexpr std::size_t kStripBytes = std::size_t{256} * 1024;
// Fast enough for composites of hundreds of megabytes, and still well below a BMP's size.
constexpr int kDeflateLevel = 3;

constexpr std::uint16_t kXResolutionTag = 282;
constexpr std::uint16_t kYResolutionTag = 283;
constexpr std::uint16_t kRationalType = 5;

bool isBlackAndWhite(const RasterImage& image) {
    const std::vector<Colour>& palette = image.palette();
    return image.format() == PixelFormat::Indexed1 && palette.size() >= 2 && palette[0] == kBlack &&
           palette[1] == kWhite;
}

std::uint32_t get32(const platform::Bytes& b, std::size_t at) {
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

std::uint16_t get16(const platform::Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

void put32(platform::Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The library stores resolutions from floating point, which a fraction like 1691/10 does not
// survive; the written fractions are replaced by the exact ones in the finished file.
void setExactResolution(platform::Bytes& file, std::uint32_t numerator, std::uint32_t denominator) {
    const std::size_t ifd = get32(file, 4);
    const std::size_t entries = get16(file, ifd);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + 12 * i;
        const std::uint16_t tag = get16(file, entry);
        if ((tag == kXResolutionTag || tag == kYResolutionTag) &&
            get16(file, entry + 2) == kRationalType && get32(file, entry + 4) == 1) {
            const std::size_t value = get32(file, entry + 8);
            put32(file, value, numerator);
            put32(file, value + 4, denominator);
        }
    }
}

}  // namespace

platform::Bytes encodeTiff(const RasterImage& image, const TiffOptions& options) {
    platform::Bytes out;
    TiffStream stream;
    stream.output = &out;
    {
        detail::TiffHandle handle = detail::openTiff(stream, "wl");
        TIFF* tiff = handle.get();
        const bool oneBit = isBlackAndWhite(image);
        const auto width = static_cast<std::uint32_t>(std::max(image.width(), 0));
        const auto height = static_cast<std::uint32_t>(std::max(image.height(), 0));
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        const std::size_t rowBytes = oneBit ? (std::size_t{width} + 7) / 8 : 3 * std::size_t{width};
        if (oneBit) {
            // Fax convention: 0 is white; Group 4 compresses one strip of the whole page.
            TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
            TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, std::max<std::uint32_t>(height, 1));
        } else {
            TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
            TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
            TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, kDeflateLevel);
            TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
            const std::size_t rows =
                std::max<std::size_t>(1, kStripBytes / std::max<std::size_t>(rowBytes, 1));
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(rows));
        }
        if (options.resolutionNumerator > 0 && options.resolutionDenominator > 0) {
            const double dpi =
                static_cast<double>(options.resolutionNumerator) / options.resolutionDenominator;
            TIFFSetField(tiff, TIFFTAG_XRESOLUTION, dpi);
            TIFFSetField(tiff, TIFFTAG_YRESOLUTION, dpi);
            TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        }
        if (!options.iccProfile.empty()) {
            TIFFSetField(tiff, TIFFTAG_ICCPROFILE,
                         static_cast<std::uint32_t>(options.iccProfile.size()),
                         options.iccProfile.data());
        }

        std::vector<std::uint8_t> line(rowBytes);
        std::vector<std::int32_t> columns;
        const detail::PaletteTable table = detail::paletteTable(image.palette());
        if (!oneBit) {
            for (std::int32_t x = 0; x < image.width(); ++x) columns.push_back(x);
        }
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t* row = image.row(static_cast<std::int32_t>(y));
            if (oneBit) {
                for (std::size_t i = 0; i < rowBytes; ++i)
                    line[i] = static_cast<std::uint8_t>(~row[i]);
            } else {
                if (image.format() == PixelFormat::Bgr24) {
                    std::copy_n(row, rowBytes, line.data());
                } else {
                    detail::gatherBgr(image.format(), table, row, columns.data(), image.width(),
                                      line.data());
                }
                for (std::size_t i = 0; i < rowBytes; i += 3) std::swap(line[i], line[i + 2]);
            }
            if (TIFFWriteScanline(tiff, line.data(), y, 0) != 1) {
                detail::throwTiffError(stream, "the picture could not be written");
            }
        }
        if (TIFFFlush(tiff) != 1) {
            detail::throwTiffError(stream, "the picture could not be written");
        }
    }
    if (options.resolutionNumerator > 0 && options.resolutionDenominator > 0) {
        setExactResolution(out, options.resolutionNumerator, options.resolutionDenominator);
    }
    return out;
}

}  // namespace lenzora::raster
