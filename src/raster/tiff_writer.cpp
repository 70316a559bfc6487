#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/error.h"
#include "raster/band_writers.h"
#include "raster/exact_dpi.h"
#include "raster/pixel_rows.h"
#include "raster/saved_picture.h"
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

// The bytes the stream kept of a write that covered [offset, offset + size).
const std::uint8_t* keptBytes(const TiffStream& stream, std::uint64_t offset, std::uint64_t size) {
    for (auto kept = stream.keptWrites.rbegin(); kept != stream.keptWrites.rend(); ++kept) {
        const auto& [at, bytes] = *kept;
        if (offset >= at && offset + size <= at + bytes.size()) return bytes.data() + (offset - at);
    }
    detail::throwTiffError(stream, "the picture could not be written");
}

std::uint64_t getLittle(const TiffStream& stream, std::uint64_t offset, int size) {
    const std::uint8_t* bytes = keptBytes(stream, offset, static_cast<std::uint64_t>(size));
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

// The library stores resolutions from floating point, which a fraction like 1691/10 does not
// survive; the fractions written are replaced by the exact ones, found through the directory
// as the library wrote it last (a BigTIFF holds a single fraction in the entry itself).
void setExactResolution(TiffStream& stream, bool big, std::uint32_t numerator,
                        std::uint32_t denominator) {
    const int offsetSize = big ? 8 : 4;
    const std::uint64_t ifd = getLittle(stream, offsetSize, offsetSize);
    const std::uint64_t entries = getLittle(stream, ifd, big ? 8 : 2);
    const std::uint64_t entrySize = big ? 20 : 12;
    std::uint8_t fraction[8];
    for (int i = 0; i < 4; ++i) {
        fraction[i] = static_cast<std::uint8_t>(numerator >> (8 * i));
        fraction[4 + i] = static_cast<std::uint8_t>(denominator >> (8 * i));
    }
    for (std::uint64_t i = 0; i < entries; ++i) {
        const std::uint64_t entry = ifd + (big ? 8 : 2) + entrySize * i;
        const std::uint64_t tag = getLittle(stream, entry, 2);
        if ((tag != kXResolutionTag && tag != kYResolutionTag) ||
            getLittle(stream, entry + 2, 2) != kRationalType ||
            getLittle(stream, entry + 4, offsetSize) != 1)
            continue;
        const std::uint64_t value = big ? entry + 12 : getLittle(stream, entry + 8, offsetSize);
        detail::writeTiffBytes(stream, value, fraction);
    }
}

// A TIFF written a band of rows at a time into a stream: 1-bit in CCITT Group 4 (one strip),
// 8-bit RGB in Deflate, or uncompressed in a BigTIFF.
class TiffEncoder {
  public:
    TiffEncoder(TiffStream& stream, std::uint32_t width, std::uint32_t height, bool oneBit,
                bool big, const TiffOptions& options)
        : stream_(stream),
          handle_(detail::openTiff(stream, big ? "w8l" : "wl")),
          oneBit_(oneBit),
          big_(big),
          numerator_(options.resolutionNumerator),
          denominator_(options.resolutionDenominator),
          line_(oneBit ? (std::size_t{width} + 7) / 8 : 3 * std::size_t{width}) {
        TIFF* tiff = handle_.get();
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
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
            if (big) {
                TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
            } else {
                TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
                TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, kDeflateLevel);
                TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
            }
            const std::size_t rows =
                std::max<std::size_t>(1, kStripBytes / std::max<std::size_t>(line_.size(), 1));
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(rows));
        }
        if (numerator_ > 0 && denominator_ > 0) {
            const double dpi = static_cast<double>(numerator_) / denominator_;
            TIFFSetField(tiff, TIFFTAG_XRESOLUTION, dpi);
            TIFFSetField(tiff, TIFFTAG_YRESOLUTION, dpi);
            TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        }
        if (!options.iccProfile.empty()) {
            TIFFSetField(tiff, TIFFTAG_ICCPROFILE,
                         static_cast<std::uint32_t>(options.iccProfile.size()),
                         options.iccProfile.data());
        }
    }

    // Rows 0 ... count - 1 of `band`: 1-bit black-and-white rows, or rows of any other format.
    void write(const RasterImage& band, std::int32_t count) {
        std::vector<std::int32_t> columns;
        detail::PaletteTable table;
        const bool gather = !oneBit_ && band.format() != PixelFormat::Bgr24;
        if (gather) {
            for (std::int32_t x = 0; x < band.width(); ++x) columns.push_back(x);
            table = detail::paletteTable(band.palette());
        }
        for (std::int32_t y = 0; y < count; ++y) {
            const std::uint8_t* row = band.row(y);
            if (oneBit_) {
                for (std::size_t i = 0; i < line_.size(); ++i)
                    line_[i] = static_cast<std::uint8_t>(~row[i]);
            } else {
                if (gather) {
                    detail::gatherBgr(band.format(), table, row, columns.data(), band.width(),
                                      line_.data());
                } else {
                    std::copy_n(row, line_.size(), line_.data());
                }
                for (std::size_t i = 0; i < line_.size(); i += 3) std::swap(line_[i], line_[i + 2]);
            }
            if (TIFFWriteScanline(handle_.get(), line_.data(), next_++, 0) != 1) {
                detail::throwTiffError(stream_, "the picture could not be written");
            }
        }
    }

    // Writes the directory after the last row and closes the file's TIFF structure.
    void finish() {
        if (TIFFFlushData(handle_.get()) != 1) {
            detail::throwTiffError(stream_, "the picture could not be written");
        }
        // What follows the pixels is kept, to be read back for the exact resolution.
        stream_.keepWrites = true;
        if (TIFFFlush(handle_.get()) != 1) {
            detail::throwTiffError(stream_, "the picture could not be written");
        }
        handle_.reset();
        if (numerator_ > 0 && denominator_ > 0) {
            setExactResolution(stream_, big_, numerator_, denominator_);
        }
        stream_.keepWrites = false;
        stream_.keptWrites.clear();
    }

  private:
    TiffStream& stream_;
    detail::TiffHandle handle_;
    bool oneBit_;
    bool big_;
    std::uint32_t numerator_;
    std::uint32_t denominator_;
    std::vector<std::uint8_t> line_;
    std::uint32_t next_ = 0;  // the next row
};

// A TIFF file written band by band: the library writes through the file's positioned writes,
// as it goes back to the header once the directory is written.
class TiffBandWriter final : public BandWriter {
  public:
    TiffBandWriter(const std::filesystem::path& path, std::int32_t width, std::int32_t height,
                   bool big, const TiffOptions& options)
        : rows_(width, height), file_(path) {
        stream_.writeAt = [this](std::uint64_t offset, std::span<const std::uint8_t> bytes) {
            file_.writeAt(offset, platform::Pieces(&bytes, 1));
        };
        encoder_.emplace(stream_, static_cast<std::uint32_t>(width),
                         static_cast<std::uint32_t>(height), false, big, options);
    }

    void write(const RasterImage& band, std::int32_t count) override {
        rows_.take(band, count);
        encoder_->write(band, count);
    }

    void commit() override {
        rows_.checkAllTaken();
        encoder_->finish();
        file_.commit();
    }

  private:
    BandRows rows_;
    PictureFile file_;
    TiffStream stream_;
    std::optional<TiffEncoder> encoder_;
};

}  // namespace

platform::Bytes encodeTiff(const RasterImage& image, const TiffOptions& options) {
    platform::Bytes out;
    TiffStream stream;
    stream.output = &out;
    TiffEncoder encoder(stream, static_cast<std::uint32_t>(std::max(image.width(), 0)),
                        static_cast<std::uint32_t>(std::max(image.height(), 0)),
                        isBlackAndWhite(image), false, options);
    encoder.write(image, image.height());
    encoder.finish();
    return out;
}

std::unique_ptr<BandWriter> openTiffBandWriter(const std::filesystem::path& path,
                                               std::int32_t width, std::int32_t height,
                                               const ExactDpi& dpi,
                                               const platform::Bytes& iccProfile,
                                               std::uint64_t bigTiffFrom) {
    TiffOptions options;
    std::tie(options.resolutionNumerator, options.resolutionDenominator) = rational32(dpi);
    options.iccProfile = iccProfile;
    // Deflate of gigabytes would take far longer than composing them: pixel data that need a
    // BigTIFF are stored as they are, at the disk's speed.
    const std::uint64_t pixelBytes =
        3 * std::uint64_t(std::max(width, 0)) * std::uint64_t(std::max(height, 0));
    return std::make_unique<TiffBandWriter>(path, width, height, pixelBytes >= bigTiffFrom,
                                            options);
}

std::unique_ptr<BandWriter> openTiffBandWriter(const std::filesystem::path& path,
                                               std::int32_t width, std::int32_t height,
                                               const ExactDpi& dpi,
                                               const platform::Bytes& iccProfile) {
    return openTiffBandWriter(path, width, height, dpi, iccProfile, kBigTiffPixelBytes);
}

}  // namespace lenzora::raster
