#include "raster/jpeg_exif.h"

namespace lenzora::raster {
namespace {

void put16(platform::Bytes& out, std::uint32_t v) {  // little-endian, as the "II" header says
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(platform::Bytes& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putBytes(platform::Bytes& out, const char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(bytes[i]));
}

}  // namespace

platform::Bytes exifResolution(const ExactDpi& resolution) {
    // TIFF structure: header, IFD0 with three entries, then the two rationals.
    constexpr std::uint32_t kIfdOffset = 8;
    constexpr std::uint32_t kEntries = 3;
    constexpr std::uint32_t kDataOffset = kIfdOffset + 2 + kEntries * 12 + 4;
    const auto [num, den] = rational32(resolution);

    platform::Bytes tiff;
    putBytes(tiff, "II*\0", 4);  // little-endian TIFF, 42
    put32(tiff, kIfdOffset);
    put16(tiff, kEntries);
    put16(tiff, 0x011A);  // XResolution
    put16(tiff, 5);       // RATIONAL
    put32(tiff, 1);
    put32(tiff, kDataOffset);
    put16(tiff, 0x011B);  // YResolution
    put16(tiff, 5);
    put32(tiff, 1);
    put32(tiff, kDataOffset + 8);
    put16(tiff, 0x0128);  // ResolutionUnit
    put16(tiff, 3);       // SHORT
    put32(tiff, 1);
    put16(tiff, 2);  // inches
    put16(tiff, 0);
    put32(tiff, 0);  // no next IFD
    for (int i = 0; i < 2; ++i) {
        put32(tiff, num);
        put32(tiff, den);
    }

    platform::Bytes body;
    putBytes(body, "Exif\0\0", 6);
    body.insert(body.end(), tiff.begin(), tiff.end());
    return body;
}

}  // namespace lenzora::raster
