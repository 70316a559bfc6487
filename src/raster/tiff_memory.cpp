#include "raster/tiff_memory.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/error.h"

namespace lenzora::raster::detail {
namespace {

// No single buffer of the library may take more; the pixels themselves are ours.
constexpr tmsize_t kMaxLibraryAllocation = tmsize_t{16} << 20;

TiffStream& streamOf(thandle_t handle) { return *static_cast<TiffStream*>(handle); }

std::uint64_t lengthOf(const TiffStream& s) {
    if (s.output != nullptr) return s.output->size();
    return s.writeAt ? s.length : s.input.size();
}

tmsize_t onRead(thandle_t handle, void* buffer, tmsize_t size) {
    TiffStream& s = streamOf(handle);
    const std::uint8_t* data = s.output != nullptr ? s.output->data() : s.input.data();
    const std::uint64_t length = lengthOf(s);
    if (size <= 0 || s.position >= length) return 0;
    const auto count = static_cast<std::size_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(size), length - s.position));
    std::memcpy(buffer, data + s.position, count);
    s.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t onWrite(thandle_t handle, void* buffer, tmsize_t size) {
    TiffStream& s = streamOf(handle);
    if ((s.output == nullptr && !s.writeAt) || size < 0) return -1;
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(buffer),
                                              static_cast<std::size_t>(size));
    try {
        writeTiffBytes(s, s.position, bytes);
    } catch (...) {
        s.writeFailure = std::current_exception();
        return -1;
    }
    if (s.keepWrites)
        s.keptWrites.emplace_back(s.position, platform::Bytes(bytes.begin(), bytes.end()));
    s.position += bytes.size();
    return size;
}

toff_t onSeek(thandle_t handle, toff_t offset, int whence) {
    TiffStream& s = streamOf(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) base = s.position;
    if (whence == SEEK_END) base = lengthOf(s);
    s.position = base + offset;
    return s.position;
}

int onClose(thandle_t) { return 0; }

toff_t onSize(thandle_t handle) { return lengthOf(streamOf(handle)); }

// Reading maps the file itself, so strips are taken from it without a copy.
int onMap(thandle_t handle, void** base, toff_t* size) {
    TiffStream& s = streamOf(handle);
    if (s.output != nullptr) return 0;
    *base = const_cast<std::uint8_t*>(s.input.data());
    *size = s.input.size();
    return 1;
}

void onUnmap(thandle_t, void*, toff_t) {}

int onError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto& s = *static_cast<TiffStream*>(user);
    if (s.firstError.empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        s.firstError = text;
    }
    return 1;
}

int onWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

}  // namespace

TiffHandle openTiff(TiffStream& stream, const char* mode) {
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options) throw platform::Error("TIFF error: out of memory");
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxLibraryAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), onError, &stream);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), onWarning, &stream);
    TiffHandle tiff(TIFFClientOpenExt("picture", mode, &stream, onRead, onWrite, onSeek, onClose,
                                      onSize, onMap, onUnmap, options.get()));
    if (!tiff) throwTiffError(stream, "not a TIFF file");
    return tiff;
}

void writeTiffBytes(TiffStream& stream, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    if (stream.output == nullptr) {
        stream.writeAt(offset, bytes);
        stream.length = std::max(stream.length, offset + bytes.size());
        return;
    }
    platform::Bytes& out = *stream.output;
    if (out.size() < offset + bytes.size()) out.resize(offset + bytes.size());
    std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

void throwTiffError(const TiffStream& stream, const char* fallback) {
    if (stream.writeFailure) std::rethrow_exception(stream.writeFailure);
    throw platform::Error("TIFF error: " +
                          (stream.firstError.empty() ? std::string(fallback) : stream.firstError));
}

}  // namespace lenzora::raster::detail
