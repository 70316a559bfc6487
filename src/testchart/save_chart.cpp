#include "testchart/save_chart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "output/set_bmp_resolution.h"
#include "platform/error.h"
#include "platform/io_error.h"
#include "raster/bmp_codec.h"

namespace lenzora::testchart {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kBlockBytes = std::size_t{4} << 20;

void putU16(std::uint8_t*& at, std::uint32_t v) {
    *at++ = static_cast<std::uint8_t>(v);
    *at++ = static_cast<std::uint8_t>(v >> 8);
}

void putU32(std::uint8_t*& at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) *at++ = static_cast<std::uint8_t>(v >> (8 * i));
}

class TempFile {
public:
    explicit TempFile(const std::filesystem::path& target) : name_(target.string() + ".XXXXXX") {
        fd_ = ::mkstemp(name_.data());
        if (fd_ < 0) throwIoError(errno);
        // mkstemp makes the file private; give it the usual permissions.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(name_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& name() const { return name_; }

    void write(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            const ssize_t written = ::write(fd_, data, size);
            if (written < 0) {
                if (errno == EINTR) continue;
                throwIoError(errno);
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
    }

    void close() {
        if (::fsync(fd_) != 0) throwIoError(errno);
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) throwIoError(errno);
    }

    void renameTo(const std::filesystem::path& target) {
        if (::rename(name_.c_str(), target.c_str()) != 0) throwIoError(errno);
        kept_ = true;
    }

private:
    std::string name_;
    int fd_ = -1;
    bool kept_ = false;
};

void writeHeaders(TempFile& file, const raster::RasterImage& chart, std::uint64_t imageSize) {
    const auto& palette = chart.palette();
    const std::uint64_t dataOffset = kFileHeaderSize + kInfoHeaderSize + 4 * palette.size();
    const std::uint64_t fileSize = dataOffset + imageSize;
    if (fileSize > std::numeric_limits<std::uint32_t>::max()) throw Error(raster::kBitmapNotValid);
    std::vector<std::uint8_t> header(static_cast<std::size_t>(dataOffset));
    std::uint8_t* at = header.data();
    *at++ = 'B';
    *at++ = 'M';
    putU32(at, static_cast<std::uint32_t>(fileSize));
    putU32(at, 0);
    putU32(at, static_cast<std::uint32_t>(dataOffset));
    putU32(at, kInfoHeaderSize);
    putU32(at, static_cast<std::uint32_t>(chart.width()));
    putU32(at, static_cast<std::uint32_t>(chart.height()));  // positive: bottom-up
    putU16(at, 1);                                            // planes
    putU16(at, 1);                                            // bits per pixel
    putU32(at, 0);                                            // uncompressed
    putU32(at, static_cast<std::uint32_t>(imageSize));
    putU32(at, 0);  // pixels per metre, stamped afterwards
    putU32(at, 0);
    putU32(at, static_cast<std::uint32_t>(palette.size()));
    putU32(at, 0);
    for (const raster::Colour& c : palette) {
        *at++ = c.blue;
        *at++ = c.green;
        *at++ = c.red;
        *at++ = 0;
    }
    file.write(header.data(), header.size());
}

// Rows bottom to top; the padding and the unused bits of a last partial byte are zero.
void writeRows(TempFile& file, const raster::RasterImage& chart) {
    const std::size_t stride = chart.stride();
    const auto width = static_cast<std::uint64_t>(chart.width());
    const auto usedBytes = static_cast<std::size_t>((width + 7) / 8);
    const auto lastMask =
        static_cast<std::uint8_t>(width % 8 == 0 ? 0xFF : ~(0xFFu >> (width % 8)));
    const std::size_t rowsPerBlock = std::max<std::size_t>(1, kBlockBytes / stride);
    std::vector<std::uint8_t> block(rowsPerBlock * stride);
    std::int32_t y = chart.height() - 1;
    while (y >= 0) {
        std::size_t filled = 0;
        for (std::size_t n = 0; n < rowsPerBlock && y >= 0; ++n, --y) {
            std::uint8_t* out = block.data() + filled;
            std::memcpy(out, chart.row(y), usedBytes);
            out[usedBytes - 1] &= lastMask;
            std::memset(out + usedBytes, 0, stride - usedBytes);
            filled += stride;
        }
        file.write(block.data(), filled);
    }
}

}  // namespace

void saveChartBmp(const raster::RasterImage& chart, const std::filesystem::path& path, int dpi) {
    try {
        TempFile file(path);
        const std::uint64_t imageSize = std::uint64_t{chart.stride()} *
                                        static_cast<std::uint64_t>(std::max(chart.height(), 0));
        writeHeaders(file, chart, imageSize);
        if (!chart.empty()) writeRows(file, chart);
        file.close();
        SetBmpResolution(file.name(), dpi);
        file.renameTo(path);
    } catch (const Error& e) {
        throw Error("Cannot create file \"" + path.string() + "\". " + e.what());
    }
}

}  // namespace lenzora::testchart
