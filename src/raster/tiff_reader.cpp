#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "platform/error.h"
#include "raster/decode_file.h"
#include "raster/file_row_reader.h"
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
        // 1-bit tiles are copied into the rows byte by byte; the format's tile widths are
        // multiples of 16, and a file breaking that rule is refused, not misplaced.
        if (l.bits == 1 && l.tileWidth % 8 != 0) {
            detail::throwTiffError(stream, "this tile width is not supported");
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

// Turns pieces of rows of the file's samples into rows of the image: 24-bit, or 1-bit
// (black 0, white 1) for a 1-bit grey picture.
class RowConverter {
  public:
    RowConverter(const Layout& layout, std::vector<std::uint8_t> palette)
        : layout_(layout), palette_(std::move(palette)) {}

    static PixelFormat formatFor(const Layout& layout) {
        return layout.bits == 1 ? PixelFormat::Indexed1 : PixelFormat::Bgr24;
    }

    // Pixels [x, x + count) of an image row from `count` pixels of samples; for 1-bit
    // pictures x is a multiple of 8 (readLayout refuses other tile widths).
    void convert(const std::uint8_t* samples, std::uint8_t* row, std::size_t x,
                 std::size_t count) const {
        switch (layout_.kind) {
            case Kind::Grey:
            case Kind::Rgb:
                if (layout_.bits == 1) {
                    copyBits(samples, row, x, count);
                } else {
                    detail::samplesToBgr(samples, layout_.sampleLayout, row + 3 * x, count);
                }
                break;
            case Kind::Palette:
                for (std::size_t i = 0; i < count; ++i) {
                    const std::uint8_t* entry = palette_.data() + 3 * std::size_t{samples[i]};
                    std::copy_n(entry, 3, row + 3 * (x + i));
                }
                break;
            case Kind::Cmyk:
                cmyk(samples, row + 3 * x, count);
                break;
        }
    }

  private:
    // The file's bits as they are, with white 1 ("min is white" files turned round); the
    // bits past the row's last pixel are left 0.
    void copyBits(const std::uint8_t* samples, std::uint8_t* row, std::size_t x,
                  std::size_t count) const {
        const std::size_t bytes = (count + 7) / 8;
        std::uint8_t* out = row + x / 8;
        const std::uint8_t flip = layout_.sampleLayout.invertedGrey ? 0xFF : 0;
        for (std::size_t i = 0; i < bytes; ++i) out[i] = samples[i] ^ flip;
        if (count % 8 != 0) out[bytes - 1] &= static_cast<std::uint8_t>(0xFF00u >> (count % 8));
    }

    // The first four samples of each pixel in 8 bits, a stretch of pixels at a time.
    void cmyk(const std::uint8_t* samples, std::uint8_t* bgr, std::size_t count) const {
        constexpr std::size_t kStretch = 256;
        std::array<std::uint8_t, 4 * kStretch> ink{};
        const std::size_t step = layout_.samples;
        for (std::size_t done = 0; done < count; done += kStretch) {
            const std::size_t n = std::min(kStretch, count - done);
            for (std::size_t x = 0; x < n; ++x) {
                for (std::size_t i = 0; i < 4; ++i) {
                    const std::size_t at = (done + x) * step + i;
                    ink[4 * x + i] =
                        layout_.bits == 16
                            ? detail::eightBits(reinterpret_cast<const std::uint16_t*>(samples)[at])
                            : samples[at];
                }
            }
            detail::cmykToBgr(ink.data(), bgr + 3 * done, n, false);
        }
    }

    const Layout& layout_;
    std::vector<std::uint8_t> palette_;
};

// Strips up to this size are decoded whole, which costs the codec far less than a row at a
// time; a larger one (a picture stored as one strip) is read row by row instead.
constexpr tmsize_t kMaxStripBuffer = tmsize_t{8} << 20;

// The buffer a picture is read through: whole strips, one row, or one tile.
struct ReadPlan {
    std::size_t bufferBytes = 0;
    std::size_t rowBytes = 0;  // of a strip's row or a tile's row
    std::uint32_t rowsPerStrip = 0;
    bool wholeStrips = false;
};

ReadPlan planReading(TIFF* tiff, const TiffStream& stream, const Layout& layout) {
    ReadPlan plan;
    if (layout.tiled) {
        const tmsize_t tileBytes = TIFFTileSize(tiff);
        const tmsize_t tileRowBytes = TIFFTileRowSize(tiff);
        if (tileBytes <= 0 || tileRowBytes <= 0)
            detail::throwTiffError(stream, "the tiles have no size");
        plan.bufferBytes = static_cast<std::size_t>(tileBytes);
        plan.rowBytes = static_cast<std::size_t>(tileRowBytes);
        return plan;
    }
    const tmsize_t lineBytes = TIFFScanlineSize(tiff);
    const tmsize_t stripBytes = TIFFStripSize(tiff);
    if (lineBytes <= 0 || stripBytes <= 0) detail::throwTiffError(stream, "the rows have no size");
    plan.rowBytes = static_cast<std::size_t>(lineBytes);
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    plan.rowsPerStrip = std::min(std::max<std::uint32_t>(rowsPerStrip, 1), layout.height);
    plan.wholeStrips = stripBytes <= kMaxStripBuffer &&
                       static_cast<std::uint64_t>(plan.rowsPerStrip) * plan.rowBytes <=
                           static_cast<std::uint64_t>(stripBytes);
    plan.bufferBytes = plan.wholeStrips ? static_cast<std::size_t>(stripBytes) : plan.rowBytes;
    return plan;
}

// What the codec itself holds for a picture this wide: the JPEG codec keeps rows of a few
// blocks' height, the fax codecs two run lists.
std::uint64_t codecBytes(TIFF* tiff, const Layout& layout, const ReadPlan& plan) {
    switch (field<std::uint16_t>(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE)) {
        case COMPRESSION_JPEG:
        case COMPRESSION_OJPEG:
            return 32 * std::uint64_t{plan.rowBytes};
        case COMPRESSION_CCITTRLE:
        case COMPRESSION_CCITTRLEW:
        case COMPRESSION_CCITTFAX3:
        case COMPRESSION_CCITTFAX4:
            return 8 * std::uint64_t{layout.tiled ? layout.tileWidth : layout.width};
        default:
            return 0;
    }
}

// One file's decoding: the first directory read and checked when it is made, the picture's
// rows converted from its strips one after another, or its tiles all at once.
class TiffDecoding {
  public:
    TiffDecoding(std::span<const std::uint8_t> file, platform::Bytes* iccProfile,
                 Orientation* orientation);
    TiffDecoding(const TiffDecoding&) = delete;
    TiffDecoding& operator=(const TiffDecoding&) = delete;
    ~TiffDecoding() = default;

    const Layout& layout() const { return layout_; }
    PixelFormat format() const { return RowConverter::formatFor(layout_); }

    // Checks the size, the picture's pixels counted at `heldBitsPerPixel` (0: never held
    // together), and gets the rows' conversion ready.
    void start(int heldBitsPerPixel);
    // Of a picture in strips: the next row into `row`, in format().
    void readStripRow(std::uint8_t* row);
    void readTiles(RasterImage& image);

  private:
    TiffStream stream_;
    detail::TiffHandle tiff_;
    Layout layout_;
    ReadPlan plan_;
    std::optional<RowConverter> converter_;
    std::vector<std::uint8_t> buffer_;
    std::uint32_t next_ = 0;  // the next strip row
};

TiffDecoding::TiffDecoding(std::span<const std::uint8_t> file, platform::Bytes* iccProfile,
                           Orientation* orientation) {
    stream_.input = file;
    tiff_ = detail::openTiff(stream_, "r");
    layout_ = readLayout(tiff_.get(), stream_);
    if (layout_.width == 0 || layout_.height == 0) {
        detail::throwTiffError(stream_, "the picture is empty");
    }
    plan_ = planReading(tiff_.get(), stream_, layout_);
    if (iccProfile != nullptr) {
        iccProfile->clear();
        std::uint32_t length = 0;
        void* profile = nullptr;
        if (TIFFGetField(tiff_.get(), TIFFTAG_ICCPROFILE, &length, &profile) == 1 &&
            profile != nullptr) {
            const auto* bytes = static_cast<const std::uint8_t*>(profile);
            iccProfile->assign(bytes, bytes + length);
        }
    }
    if (orientation != nullptr) {
        *orientation = orientationFromTag(
            field<std::uint16_t>(tiff_.get(), TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT));
    }
}

void TiffDecoding::start(int heldBitsPerPixel) {
    // Everything the reading holds, counted before any of it is allocated.
    checkDecodingMemory(layout_.width, layout_.height, heldBitsPerPixel,
                        plan_.bufferBytes + codecBytes(tiff_.get(), layout_, plan_));
    // Uncompressed samples are all in the file: a header claiming more is refused before the
    // picture is allocated.
    if (field<std::uint16_t>(tiff_.get(), TIFFTAG_COMPRESSION, COMPRESSION_NONE) ==
            COMPRESSION_NONE &&
        std::uint64_t{layout_.width} * layout_.height * layout_.samples * layout_.bits / 8 >
            stream_.input.size()) {
        detail::throwTiffError(stream_, "the file is too short for its picture");
    }
    converter_.emplace(layout_, layout_.kind == Kind::Palette ? paletteOf(tiff_.get(), stream_)
                                                              : std::vector<std::uint8_t>{});
    buffer_.resize(plan_.bufferBytes);
}

void TiffDecoding::readStripRow(std::uint8_t* row) {
    const std::uint32_t y = next_;
    const std::size_t line = plan_.rowBytes;
    const std::uint8_t* samples = buffer_.data();
    if (!plan_.wholeStrips) {
        if (TIFFReadScanline(tiff_.get(), buffer_.data(), y, 0) != 1) {
            detail::throwTiffError(stream_, "the picture data is damaged");
        }
    } else {
        const std::uint32_t top = y - y % plan_.rowsPerStrip;
        if (y == top) {
            const std::uint32_t rows = std::min(plan_.rowsPerStrip, layout_.height - top);
            const auto want = static_cast<tmsize_t>(std::size_t{rows} * line);
            if (TIFFReadEncodedStrip(tiff_.get(), TIFFComputeStrip(tiff_.get(), top, 0),
                                     buffer_.data(), want) != want) {
                detail::throwTiffError(stream_, "the picture data is damaged");
            }
        }
        samples += std::size_t{y - top} * line;
    }
    converter_->convert(samples, row, 0, layout_.width);
    ++next_;
}

// Each tile goes straight into the image rows it covers.
void TiffDecoding::readTiles(RasterImage& image) {
    for (std::uint32_t top = 0; top < layout_.height; top += layout_.tileHeight) {
        const std::uint32_t rows = std::min(layout_.tileHeight, layout_.height - top);
        for (std::uint64_t x = 0; x < layout_.width; x += layout_.tileWidth) {
            if (TIFFReadTile(tiff_.get(), buffer_.data(), static_cast<std::uint32_t>(x), top, 0,
                             0) < 0) {
                detail::throwTiffError(stream_, "the picture data is damaged");
            }
            const std::size_t count = std::min<std::uint64_t>(layout_.tileWidth, layout_.width - x);
            for (std::uint32_t r = 0; r < rows; ++r) {
                converter_->convert(buffer_.data() + std::size_t{r} * plan_.rowBytes,
                                    image.row(static_cast<std::int32_t>(top + r)), x, count);
            }
        }
    }
}

// The rows of a picture in strips that the whole reader gives in 24-bit colour.
class TiffRowReader final : public FileRowReader {
  public:
    explicit TiffRowReader(const std::filesystem::path& path) : FileRowReader(path, true) {
        named([&] {
            decoding_ =
                std::make_unique<TiffDecoding>(fileBytes(), profileFound(), orientationFound());
            if (inOrder()) decoding_->start(0);
        });
        setSize(static_cast<std::int32_t>(decoding_->layout().width),
                static_cast<std::int32_t>(decoding_->layout().height));
    }

    bool inOrder() const {
        return !decoding_->layout().tiled && decoding_->format() == PixelFormat::Bgr24;
    }

  private:
    void readRow(std::uint8_t* bgr) override { decoding_->readStripRow(bgr); }

    std::unique_ptr<TiffDecoding> decoding_;
};

}  // namespace

RasterImage decodeTiff(std::span<const std::uint8_t> file, platform::Bytes* iccProfile,
                       Orientation* orientation) {
    TiffDecoding decoding(file, iccProfile, orientation);
    const Layout& layout = decoding.layout();
    const PixelFormat format = decoding.format();
    decoding.start(bitsPerPixel(format));
    RasterImage image;
    image.allocate(format, static_cast<std::int32_t>(layout.width),
                   static_cast<std::int32_t>(layout.height));
    if (format == PixelFormat::Indexed1) image.setPalette({kBlack, kWhite});
    if (layout.tiled) {
        decoding.readTiles(image);
    } else {
        for (std::int32_t y = 0; y < image.height(); ++y) decoding.readStripRow(image.row(y));
    }
    return image;
}

std::unique_ptr<RowReader> openTiffRows(const std::filesystem::path& path) {
    auto reader = std::make_unique<TiffRowReader>(path);
    if (!reader->inOrder()) return nullptr;
    return reader;
}

RasterImage loadTiffFile(const std::filesystem::path& path, platform::Bytes* iccProfile,
                         Orientation* orientation) {
    return decodeFile(
        path,
        [&](std::span<const std::uint8_t> bytes) {
            return decodeTiff(bytes, iccProfile, orientation);
        },
        true);
}

}  // namespace lenzora::raster
