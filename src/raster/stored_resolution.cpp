#include "raster/stored_resolution.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/error.h"
#include "raster/decode_file.h"
#include "raster/tiff_memory.h"

namespace lenzora::raster {
namespace {

constexpr double kCentimetresPerInch = 2.54;

std::uint32_t bigEndian(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = value << 8 | bytes[at + i];
    return value;
}

std::optional<double> positive(double dpi) {
    if (dpi > 0) return dpi;
    return std::nullopt;
}

std::optional<double> bmpResolution(std::span<const std::uint8_t> file) {
    // The information header's horizontal pixels per metre, little-endian at byte 38; the
    // program writes dpi * 100 / 2.5406 there (raster/bmp_resolution.h).
    if (file.size() < 42 || bigEndian(file, 14, 1) < 40) return std::nullopt;
    std::int32_t perMetre = 0;
    for (std::size_t i = 0; i < 4; ++i)
        perMetre |= static_cast<std::int32_t>(std::uint32_t{file[38 + i]} << (8 * i));
    return positive(perMetre * 2.5406 / 100);
}

std::optional<double> pngResolution(std::span<const std::uint8_t> file) {
    // Chunks follow the 8-byte signature: length, type, data, CRC; pHYs precedes the pixels.
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = bigEndian(file, at, 4);
        if (std::memcmp(file.data() + at + 4, "IDAT", 4) == 0) break;
        if (std::memcmp(file.data() + at + 4, "pHYs", 4) == 0 && length == 9 &&
            at + 8 + 9 <= file.size()) {
            if (file[at + 16] != 1) return std::nullopt;  // no unit: an aspect ratio only
            return positive(bigEndian(file, at + 8, 4) * 0.0254);
        }
        at += std::size_t{length} + 12;
    }
    return std::nullopt;
}

std::optional<double> jpegResolution(std::span<const std::uint8_t> file) {
    // Marker segments after the start of image, up to the start of scan; JFIF is in APP0:
    // "JFIF\0", version (2), unit (1: inch, 2: cm), horizontal density (2).
    for (std::size_t at = 2; at + 4 <= file.size() && file[at] == 0xFF;) {
        const std::uint8_t marker = file[at + 1];
        if (marker == 0xDA || marker == 0xD9) break;
        const std::uint32_t length = bigEndian(file, at + 2, 2);
        if (marker == 0xE0 && length >= 14 && at + 2 + 14 <= file.size() &&
            std::memcmp(file.data() + at + 4, "JFIF", 5) == 0) {
            const double density = bigEndian(file, at + 12, 2);
            if (file[at + 11] == 1) return positive(density);
            if (file[at + 11] == 2) return positive(density * kCentimetresPerInch);
            return std::nullopt;
        }
        at += length + 2;
    }
    return std::nullopt;
}

std::optional<double> tiffResolution(std::span<const std::uint8_t> file) {
    detail::TiffStream stream;
    stream.input = file;
    try {
        const detail::TiffHandle tiff = detail::openTiff(stream, "r");
        float resolution = 0;
        std::uint16_t unit = RESUNIT_INCH;
        if (TIFFGetField(tiff.get(), TIFFTAG_XRESOLUTION, &resolution) != 1) return std::nullopt;
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
        if (unit == RESUNIT_INCH) return positive(resolution);
        if (unit == RESUNIT_CENTIMETER) return positive(resolution * kCentimetresPerInch);
    } catch (const platform::Error&) {
        // No readable TIFF: it states nothing; decoding it reports why.
    }
    return std::nullopt;
}

bool startsWith(std::span<const std::uint8_t> file, std::span<const std::uint8_t> signature) {
    return file.size() >= signature.size() &&
           std::equal(signature.begin(), signature.end(), file.begin());
}

}  // namespace

std::optional<double> storedDotsPerInch(std::span<const std::uint8_t> file) {
    constexpr std::array<std::uint8_t, 2> kBmp = {'B', 'M'};
    constexpr std::array<std::uint8_t, 8> kPng = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    constexpr std::array<std::uint8_t, 2> kJpeg = {0xFF, 0xD8};
    constexpr std::array<std::uint8_t, 4> kTiffLittle = {'I', 'I', 42, 0};
    constexpr std::array<std::uint8_t, 4> kTiffBig = {'M', 'M', 0, 42};
    if (startsWith(file, kBmp)) return bmpResolution(file);
    if (startsWith(file, kPng)) return pngResolution(file);
    if (startsWith(file, kJpeg)) return jpegResolution(file);
    if (startsWith(file, kTiffLittle) || startsWith(file, kTiffBig)) return tiffResolution(file);
    return std::nullopt;
}

std::optional<double> storedDotsPerInch(const std::filesystem::path& path) {
    std::optional<double> dpi;
    readFileWith(path,
                 [&](std::span<const std::uint8_t> bytes) { dpi = storedDotsPerInch(bytes); });
    return dpi;
}

}  // namespace lenzora::raster
