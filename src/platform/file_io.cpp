#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/error.h"
#include "platform/io_error.h"
#include "platform/translation.h"

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
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

// Opens a file for reading and refuses anything but a regular file ("Not a regular file"; a
// folder "File access denied"): a pipe or a device under a picture's or the settings file's
// name would block the open or the reads, or never end. O_NONBLOCK keeps the open itself from
// waiting for a pipe's writer.
FileDescriptor openRegularFile(const std::filesystem::path& path, struct stat& st) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) throwIoError(errno);
    if (::fstat(fd.get(), &st) != 0) throwIoError(errno);
    if (S_ISDIR(st.st_mode)) throwIoError(EISDIR);
    if (!S_ISREG(st.st_mode)) throw Error(translate("lenzora::platform", "Not a regular file"));
    return fd;
}

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

Bytes readWholeFile(const std::filesystem::path& path, std::size_t limit) {
    struct stat st {};
    FileDescriptor fd = openRegularFile(path, st);
    Bytes bytes;
    bytes.reserve(std::min(static_cast<std::size_t>(st.st_size), limit));
    std::uint8_t buffer[1 << 16];
    while (bytes.size() < limit) {
        ssize_t got = ::read(fd.get(), buffer, std::min(sizeof buffer, limit - bytes.size()));
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
    struct stat st {};
    FileDescriptor fd = openRegularFile(path, st);
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

namespace {
bool present(const std::filesystem::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}
void renameOrThrow(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) throwIoError(errno);
}
}  // namespace

void exchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b) {
    const bool hasA = present(a);
    const bool hasB = present(b);
    if (!hasA && !hasB) return;
    if (hasA != hasB) {
        renameOrThrow(hasA ? a : b, hasA ? b : a);
        return;
    }
    std::filesystem::path parked = a;
    parked += ".exchange";
    renameOrThrow(a, parked);
    if (::rename(b.c_str(), a.c_str()) != 0) {
        const int error = errno;
        ::rename(parked.c_str(), a.c_str());
        throwIoError(error);
    }
    if (::rename(parked.c_str(), b.c_str()) != 0) {
        const int error = errno;
        ::rename(a.c_str(), b.c_str());
        ::rename(parked.c_str(), a.c_str());
        throwIoError(error);
    }
}

}  // namespace lenzora::platform
