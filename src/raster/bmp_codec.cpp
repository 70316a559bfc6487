#include "raster/bmp_codec.h"
#include "raster/decode_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/error.h"
#include "platform/save_file.h"
#include "platform/scratch_file.h"
#include "platform/translation.h"
#include "raster/pixel_rows.h"
#include "raster/size_limit.h"

namespace lenzora::raster {
namespace {

// Compression codes of the information header.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint64_t kFileHeaderSize = 14;

// Run-length data can describe a large picture in few bytes. A file may decode to this much,
// or to 1024 bytes of pixels per byte of run-length data, whichever is more. Only the codes up
// to "end of bitmap" count: bytes after it are no pixel data, however many there are.
constexpr std::uint64_t kRleFreeBytes = 16ull << 20;
constexpr std::uint64_t kRleBytesPerInputByte = 1024;

[[noreturn]] void notValid() {
    throw platform::Error(platform::translate("lenzora::raster", kBitmapNotValid));
}

class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const { return bytes_.size(); }
    const std::uint8_t* at(std::uint64_t offset) const { return bytes_.data() + offset; }
    void need(std::uint64_t offset, std::uint64_t count) const {
        if (offset > bytes_.size() || count > bytes_.size() - offset) notValid();
    }
    std::uint16_t u16(std::uint64_t offset) const {
        need(offset, 2);
        return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
    }
    std::uint32_t u32(std::uint64_t offset) const {
        need(offset, 4);
        return std::uint32_t{bytes_[offset]} | std::uint32_t{bytes_[offset + 1]} << 8 |
               std::uint32_t{bytes_[offset + 2]} << 16 | std::uint32_t{bytes_[offset + 3]} << 24;
    }
    std::int32_t i32(std::uint64_t offset) const { return static_cast<std::int32_t>(u32(offset)); }

  private:
    std::span<const std::uint8_t> bytes_;
};

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1u) == 0) ++shift;
        max = mask >> shift;
    }
    std::uint8_t operator()(std::uint32_t pixel) const {
        if (max == 0) return 0;
        std::uint64_t v = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
    }
};

struct Layout {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
    std::vector<Colour> palette;
    std::uint64_t dataOffset = 0;
};

Layout readLayout(const Reader& in) {
    Layout layout;
    // 0: "BM"; 2: file size; 6, 8: reserved; 10: offset of the pixel data
    if (in.size() < kFileHeaderSize + 4 || in.at(0)[0] != 'B' || in.at(0)[1] != 'M') notValid();
    layout.dataOffset = in.u32(10);
    // 14: size of the header that follows
    std::uint64_t headerSize = in.u32(14);
    bool core = headerSize == kCoreHeaderSize;
    if (!core && headerSize < kInfoHeaderSize) notValid();
    in.need(kFileHeaderSize, headerSize);

    std::uint32_t coloursUsed = 0;
    std::int64_t height = 0;
    int planes = 0;
    if (core) {
        // 18: bcWidth (u16); 20: bcHeight (u16); 22: bcPlanes; 24: bcBitCount
        layout.width = in.u16(18);
        height = in.u16(20);
        planes = in.u16(22);
        layout.bits = in.u16(24);
    } else {
        // 18: biWidth; 22: biHeight (negative: top-down); 26: biPlanes; 28: biBitCount;
        // 30: biCompression; 34: biSizeImage; 38, 42: pixels per metre; 46: biClrUsed;
        // 50: biClrImportant; from 54 in longer headers: red, green, blue, alpha masks
        layout.width = in.i32(18);
        height = in.i32(22);
        planes = in.u16(26);
        layout.bits = in.u16(28);
        layout.compression = in.u32(30);
        coloursUsed = in.u32(46);
    }
    if (planes != 1) notValid();
    if (layout.width <= 0 || height == 0) notValid();
    layout.topDown = height < 0;
    height = height < 0 ? -height : height;
    if (height > std::numeric_limits<std::int32_t>::max()) notValid();
    layout.height = static_cast<std::int32_t>(height);

    int bits = layout.bits;
    bool depthOk =
        bits == 1 || bits == 4 || bits == 8 || bits == 24 || (!core && (bits == 16 || bits == 32));
    if (!depthOk) notValid();

    std::uint64_t paletteOffset = kFileHeaderSize + headerSize;
    switch (layout.compression) {
        case kBiRgb:
            break;
        case kBiRle8:
            if (bits != 8 || layout.topDown) notValid();
            break;
        case kBiRle4:
            if (bits != 4 || layout.topDown) notValid();
            break;
        case kBiBitfields:
        case kBiAlphaBitfields: {
            if (bits != 16 && bits != 32) notValid();
            // Headers of 52 bytes and more hold the masks; after a 40-byte header they follow
            // it (three masks, or four with alpha).
            std::uint64_t masksAt = kFileHeaderSize + kInfoHeaderSize;
            if (headerSize < 52) paletteOffset += layout.compression == kBiBitfields ? 12 : 16;
            for (int i = 0; i < 3; ++i) layout.masks[i] = in.u32(masksAt + 4 * std::uint64_t(i));
            break;
        }
        default:
            notValid();
    }
    if (layout.compression == kBiRgb) {
        if (bits == 16) {
            layout.masks[0] = 0x7C00;
            layout.masks[1] = 0x03E0;
            layout.masks[2] = 0x001F;
        } else if (bits == 32) {
            layout.masks[0] = 0xFF0000;
            layout.masks[1] = 0x00FF00;
            layout.masks[2] = 0x0000FF;
        }
    }

    if (bits <= 8) {
        std::uint64_t maxEntries = std::uint64_t{1} << bits;
        std::uint64_t entries = coloursUsed != 0 ? coloursUsed : maxEntries;
        if (entries > maxEntries) notValid();
        std::uint64_t entrySize = core ? 3 : 4;  // blue, green, red (, reserved)
        in.need(paletteOffset, entries * entrySize);
        layout.palette.reserve(static_cast<std::size_t>(entries));
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint8_t* p = in.at(paletteOffset + i * entrySize);
            layout.palette.push_back(Colour{p[0], p[1], p[2]});
        }
    }
    if (layout.dataOffset >= in.size()) notValid();
    return layout;
}

PixelFormat formatFor(int bits) {
    switch (bits) {
        case 1:
            return PixelFormat::Indexed1;
        case 4:
            return PixelFormat::Indexed4;
        case 8:
            return PixelFormat::Indexed8;
        case 24:
            return PixelFormat::Bgr24;
        default:
            return PixelFormat::Bgrx32;
    }
}

void readUncompressed(const Reader& in, const Layout& layout, RasterImage& image) {
    std::uint64_t rowBits = std::uint64_t(layout.width) * std::uint64_t(layout.bits);
    std::uint64_t fileStride = (rowBits + 31) / 32 * 4;
    std::uint64_t rowBytes = (rowBits + 7) / 8;
    std::uint64_t available = in.size() - layout.dataOffset;
    // The last row may lack its padding; every row must be there.
    if (rowBytes > available ||
        std::uint64_t(layout.height - 1) > (available - rowBytes) / fileStride)
        notValid();

    checkDecodedSize(layout.width, layout.height, bitsPerPixel(formatFor(layout.bits)));
    image.allocate(formatFor(layout.bits), layout.width, layout.height);
    bool plain32 = layout.bits == 32 && layout.masks[0] == 0xFF0000 &&
                   layout.masks[1] == 0x00FF00 && layout.masks[2] == 0x0000FF;
    Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);
    for (std::int32_t r = 0; r < layout.height; ++r) {
        const std::uint8_t* src = in.at(layout.dataOffset + std::uint64_t(r) * fileStride);
        std::uint8_t* dst = image.row(layout.topDown ? r : layout.height - 1 - r);
        if (layout.bits != 16 && (layout.bits != 32 || plain32)) {
            std::memcpy(dst, src, static_cast<std::size_t>(rowBytes));
            std::memset(dst + rowBytes, 0, image.stride() - rowBytes);
            continue;
        }
        for (std::int32_t x = 0; x < layout.width; ++x) {
            std::uint32_t v;
            if (layout.bits == 16) {
                const std::uint8_t* p = src + 2 * std::size_t(x);
                v = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8;
            } else {
                const std::uint8_t* p = src + 4 * std::size_t(x);
                v = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                    std::uint32_t{p[3]} << 24;
            }
            std::uint8_t* o = dst + 4 * std::size_t(x);
            o[0] = blue(v);
            o[1] = green(v);
            o[2] = red(v);
            o[3] = 0;
        }
    }
}

// The bytes of run-length data from `offset` up to and including the "end of bitmap" code,
// or to the end of the file when there is none (the codes are described below).
std::uint64_t runLengthDataBytes(const Reader& in, std::uint64_t offset, bool four) {
    std::uint64_t pos = offset;
    while (pos + 2 <= in.size()) {
        const unsigned count = in.at(pos)[0];
        const unsigned value = in.at(pos)[1];
        pos += 2;
        if (count > 0 || value == 0) continue;
        if (value == 1) break;
        if (value == 2) {
            pos += 2;
        } else {
            const std::uint64_t bytes = four ? (value + 1) / 2 : value;
            pos += (bytes + 1) & ~std::uint64_t{1};
        }
    }
    return std::min<std::uint64_t>(pos, in.size()) - offset;
}

// RLE8 and RLE4: pairs of (count, value) runs and escapes (0, 0) end of line, (0, 1) end of
// bitmap, (0, 2, dx, dy) move, (0, n >= 3) n literal pixels padded to an even byte count.
// Rows run bottom-up; pixels the data never reaches keep index 0. A run past the end of a row
// or below the last row makes the file invalid.
void readRunLength(const Reader& in, const Layout& layout, RasterImage& image) {
    bool four = layout.bits == 4;
    std::uint64_t total =
        std::uint64_t(RasterImage::strideFor(formatFor(layout.bits), layout.width)) *
        std::uint64_t(layout.height);
    if (total > kRleFreeBytes &&
        total / kRleBytesPerInputByte > runLengthDataBytes(in, layout.dataOffset, four))
        notValid();

    checkDecodedSize(layout.width, layout.height, layout.bits);
    image.allocate(formatFor(layout.bits), layout.width, layout.height);
    // Rows follow one another without gaps: one fill for the whole picture.
    std::memset(image.row(0), 0, image.stride() * std::size_t(layout.height));
    const std::int64_t width = layout.width;
    const std::int64_t height = layout.height;
    std::int64_t x = 0;
    std::int64_t line = 0;  // counted from the bottom
    std::uint64_t pos = layout.dataOffset;
    auto put = [&](std::int64_t px, unsigned value) {
        std::uint8_t* row = image.row(static_cast<std::int32_t>(height - 1 - line));
        if (four) {
            unsigned shift = (px & 1) ? 0 : 4;
            std::uint8_t& b = row[px >> 1];
            b = static_cast<std::uint8_t>((b & ~(15u << shift)) | ((value & 15u) << shift));
        } else {
            row[px] = static_cast<std::uint8_t>(value);
        }
    };
    while (pos + 2 <= in.size()) {
        unsigned count = in.at(pos)[0];
        unsigned value = in.at(pos)[1];
        pos += 2;
        if (count > 0) {
            if (line >= height || x + count > width) notValid();
            if (!four) {
                std::memset(image.row(static_cast<std::int32_t>(height - 1 - line)) + x,
                            static_cast<int>(value), count);
            } else {
                for (unsigned i = 0; i < count; ++i) put(x + i, (i & 1) ? value : value >> 4);
            }
            x += count;
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++line;
            if (line > height) notValid();
        } else if (value == 1) {  // end of bitmap
            return;
        } else if (value == 2) {  // move right dx, up dy
            in.need(pos, 2);
            x += in.at(pos)[0];
            line += in.at(pos)[1];
            pos += 2;
            if (x > width || line > height) notValid();
        } else {  // literal pixels
            unsigned n = value;
            std::uint64_t bytes = four ? (n + 1) / 2 : n;
            in.need(pos, bytes);
            if (line >= height || x + n > width) notValid();
            const std::uint8_t* p = in.at(pos);
            for (unsigned i = 0; i < n; ++i)
                put(x + i, four ? ((i & 1) ? p[i / 2] : p[i / 2] >> 4) : p[i]);
            x += n;
            pos += (bytes + 1) & ~std::uint64_t{1};
        }
    }
}

void putU16(platform::Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void putU32(platform::Bytes& out, std::uint32_t v) {
    putU16(out, v & 0xFFFFu);
    putU16(out, v >> 16);
}

}  // namespace

platform::Bytes bmpHeader(PixelFormat format, std::int32_t width, std::int32_t height,
                          const std::vector<Colour>& palette, std::int32_t pixelsPerMetre) {
    int bits = bitsPerPixel(format);
    std::uint64_t entries = isIndexed(format) ? palette.size() : 0;
    std::uint64_t stride = RasterImage::strideFor(format, width);
    std::uint64_t imageSize = stride * std::uint64_t(std::max(height, 0));
    std::uint64_t dataOffset = kFileHeaderSize + kInfoHeaderSize + 4 * entries;
    std::uint64_t fileSize = dataOffset + imageSize;
    if (fileSize > std::numeric_limits<std::uint32_t>::max()) notValid();

    platform::Bytes out;
    out.reserve(static_cast<std::size_t>(dataOffset));
    // File header
    out.push_back('B');
    out.push_back('M');
    putU32(out, static_cast<std::uint32_t>(fileSize));
    putU16(out, 0);
    putU16(out, 0);
    putU32(out, static_cast<std::uint32_t>(dataOffset));
    // Information header
    putU32(out, kInfoHeaderSize);
    putU32(out, static_cast<std::uint32_t>(width));
    putU32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up
    putU16(out, 1);                                   // planes
    putU16(out, static_cast<std::uint32_t>(bits));
    putU32(out, kBiRgb);
    putU32(out, static_cast<std::uint32_t>(imageSize));
    putU32(out, static_cast<std::uint32_t>(pixelsPerMetre));  // horizontal pixels per metre
    putU32(out, static_cast<std::uint32_t>(pixelsPerMetre));  // vertical pixels per metre
    putU32(out, static_cast<std::uint32_t>(entries));         // colours used
    putU32(out, 0);                                           // colours important
    for (std::uint64_t i = 0; i < entries; ++i) {
        const Colour& c = palette[i];
        out.push_back(c.blue);
        out.push_back(c.green);
        out.push_back(c.red);
        out.push_back(0);
    }
    return out;
}

namespace {

// Whether the file's rows are the image's rows as they stand (whole bytes per pixel, padding
// zero as allocate() leaves it), so that they can go to the file without a copy.
bool rowsAreFileRows(const RasterImage& image) {
    const int bits = bitsPerPixel(image.format());
    if (bits % 8 != 0) return false;
    const std::size_t used = static_cast<std::size_t>(std::max(image.width(), 0)) * (bits / 8);
    for (std::int32_t y = 0; y < image.height(); ++y) {
        const std::uint8_t* row = image.row(y);
        for (std::size_t i = used; i < image.stride(); ++i)
            if (row[i] != 0) return false;
    }
    return true;
}

}  // namespace

RasterImage decodeBmp(std::span<const std::uint8_t> file) {
    Reader in(file);
    Layout layout = readLayout(in);
    RasterImage image;
    if (layout.compression == kBiRle8 || layout.compression == kBiRle4)
        readRunLength(in, layout, image);
    else
        readUncompressed(in, layout, image);
    image.setPalette(std::move(layout.palette));
    return image;
}

void writeBmp(const RasterImage& image, const std::function<void(platform::Pieces)>& sink,
              std::int32_t pixelsPerMetre) {
    const int bits = bitsPerPixel(image.format());
    const std::uint64_t stride = RasterImage::strideFor(image.format(), image.width());
    const platform::Bytes header =
        bmpHeader(image.format(), image.width(), image.height(), image.palette(), pixelsPerMetre);
    std::vector<std::span<const std::uint8_t>> pieces{header};

    // Rows bottom to top.
    if (rowsAreFileRows(image)) {
        constexpr std::size_t kRowsPerCall = 512;
        pieces.reserve(kRowsPerCall + 1);
        for (std::int32_t y = image.height() - 1; y >= 0; --y) {
            pieces.emplace_back(image.row(y), static_cast<std::size_t>(stride));
            if (pieces.size() > kRowsPerCall) {
                sink(pieces);
                pieces.clear();
            }
        }
        if (!pieces.empty()) sink(pieces);
        return;
    }
    sink(pieces);

    // A block of rows at a time, with the padding and the unused bits of a last partial byte
    // set to zero.
    std::uint64_t rowBits = std::uint64_t(std::max(image.width(), 0)) * std::uint64_t(bits);
    std::size_t usedBytes = static_cast<std::size_t>((rowBits + 7) / 8);
    std::size_t padding = static_cast<std::size_t>(stride) - usedBytes;
    auto lastMask = static_cast<std::uint8_t>(rowBits % 8 == 0 ? 0xFF : ~(0xFFu >> (rowBits % 8)));
    constexpr std::size_t kBlockBytes = std::size_t{4} << 20;
    const std::size_t rowsPerBlock =
        std::max<std::size_t>(1, kBlockBytes / std::max<std::size_t>(stride, 1));
    platform::Bytes block;
    for (std::int32_t y = image.height() - 1; y >= 0;) {
        block.clear();
        for (std::size_t n = 0; n < rowsPerBlock && y >= 0; ++n, --y) {
            const std::uint8_t* row = image.row(y);
            block.insert(block.end(), row, row + usedBytes);
            if (usedBytes > 0) block.back() &= lastMask;
            block.insert(block.end(), padding, 0);
        }
        const std::span<const std::uint8_t> whole(block);
        sink(platform::Pieces(&whole, 1));
    }
}

platform::Bytes encodeBmp(const RasterImage& image, std::int32_t pixelsPerMetre) {
    platform::Bytes out;
    const std::uint64_t stride = RasterImage::strideFor(image.format(), image.width());
    out.reserve(static_cast<std::size_t>(stride * std::uint64_t(std::max(image.height(), 0))) +
                kFileHeaderSize + kInfoHeaderSize + 4 * image.palette().size());
    writeBmp(
        image,
        [&out](platform::Pieces pieces) {
            for (const auto& piece : pieces) out.insert(out.end(), piece.begin(), piece.end());
        },
        pixelsPerMetre);
    return out;
}

void RasterImage::loadBmpFile(const std::filesystem::path& path) {
    RasterImage loaded =
        decodeFile(path, [](std::span<const std::uint8_t> bytes) { return decodeBmp(bytes); });
    pixels_ = std::move(loaded.pixels_);
    palette_ = std::move(loaded.palette_);
    format_ = loaded.format_;
    width_ = loaded.width_;
    height_ = loaded.height_;
    stride_ = loaded.stride_;
}

void RasterImage::saveBmpFile(const std::filesystem::path& path) const {
    try {
        platform::ScratchFile file(path);
        writeBmp(*this, [&file](platform::Pieces pieces) { file.write(pieces); });
        file.commit();
    } catch (const platform::Error& e) {
        throw platform::Error("Cannot create file \"" + path.string() + "\". " + e.what());
    }
}

void saveBmpFile(const RasterImage& image, const std::filesystem::path& path,
                 std::int32_t pixelsPerMetre) {
    try {
        platform::SaveFile file(path);
        writeBmp(
            image, [&file](platform::Pieces pieces) { file.write(pieces); }, pixelsPerMetre);
        file.commit();
    } catch (const platform::Error& e) {
        throw platform::Error(platform::fillIn(
            platform::translate("lenzora::raster", "Cannot create file \"%1\". %2"),
            {path.string(), e.what()}));
    }
}

}  // namespace lenzora::raster
