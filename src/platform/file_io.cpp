#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/io_error.h"

namespace lenzora::platform {
namespace {

// Closes the descriptor on every path out of a function.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

}  // namespace

bool fileExists(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool directoryExists(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void createDirectory(const std::filesystem::path& path) {
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) throwIoError(errno);
}

Bytes readWholeFile(const std::filesystem::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throwIoError(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throwIoError(errno);
    if (S_ISDIR(st.st_mode)) throwIoError(EISDIR);
    Bytes bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t buffer[1 << 16];
    for (;;) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            throwIoError(errno);
        }
        if (got == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

MappedFile::MappedFile(const std::filesystem::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throwIoError(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throwIoError(errno);
    if (S_ISDIR(st.st_mode)) throwIoError(EISDIR);
    if (st.st_size <= 0) return;  // an empty file maps to nothing
    void* address =
        ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd.get(), 0);
    if (address == MAP_FAILED) throwIoError(errno);
    data_ = static_cast<const std::uint8_t*>(address);
    size_ = static_cast<std::size_t>(st.st_size);
    mapped_ = true;
}

MappedFile::~MappedFile() {
    if (mapped_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
}

void removeFileQuietly(const std::filesystem::path& path) { ::unlink(path.c_str()); }

}  // namespace lenzora::platform
