#include "output/set_bmp_resolution.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "core/numbers.h"
#include "platform/error.h"
#include "platform/io_error.h"

namespace lenzora::output {
namespace {

constexpr off_t kInfoHeaderOffset = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kXPelsPerMeter = 24;  // 38 from the file's start: biXPelsPerMeter
constexpr std::size_t kYPelsPerMeter = 28;  // 42: biYPelsPerMeter

void putLittleEndian32(std::uint8_t* at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::int32_t pixelsPerMetre(long double dotsPerInch) {
    return core::toPixelCount(dotsPerInch * 100.0L / 2.5406L, core::Rounding::Nearest);
}

void setBmpResolution(const std::filesystem::path& path, long double dotsPerInch) {
    const std::int32_t perMetre = pixelsPerMetre(dotsPerInch);
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) platform::throwIoError(errno);
    std::uint8_t header[kInfoHeaderSize];
    const ssize_t got = ::pread(fd, header, sizeof header, kInfoHeaderOffset);
    const int readError = errno;
    if (got != static_cast<ssize_t>(sizeof header)) {
        ::close(fd);
        if (got < 0) platform::throwIoError(readError);
        throw platform::Error("Read beyond end of file");
    }
    putLittleEndian32(header + kXPelsPerMeter, perMetre);
    putLittleEndian32(header + kYPelsPerMeter, perMetre);
    const ssize_t put = ::pwrite(fd, header, sizeof header, kInfoHeaderOffset);
    const int writeError = errno;
    const int closed = ::close(fd);
    if (put != static_cast<ssize_t>(sizeof header)) platform::throwIoError(put < 0 ? writeError : ENOSPC);
    if (closed != 0) platform::throwIoError(errno);
}

}  // namespace lenzora::output
