#include "platform/scratch_file.h"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "platform/gathered_write.h"
#include "platform/io_error.h"

namespace lenzora::platform {
namespace {

// Unique within the process: several threads write working files at once.
std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path name = target;
    name += ".part-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
    return name;
}

}  // namespace

ScratchFile::ScratchFile(const std::filesystem::path& path)
    : target_(path), temporary_(temporaryBeside(path)) {
    if (path.empty()) throwIoError(ENOENT);
    // 0666 less the umask, as a new file saved by the program gets.
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) throwIoError(errno);
}

ScratchFile::~ScratchFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void ScratchFile::write(const void* data, std::size_t size) {
    const std::span<const std::uint8_t> whole(static_cast<const std::uint8_t*>(data), size);
    write(std::span(&whole, 1));
}

void ScratchFile::write(Pieces pieces) { writeGathered(fd_, pieces); }

void ScratchFile::writeAt(std::uint64_t offset, Pieces pieces) {
    writeGathered(fd_, pieces, static_cast<std::int64_t>(offset));
}

void ScratchFile::commit() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        throwIoError(error);
    }
    // Swapping the two names and removing the old file instead of renaming over it: ext4
    // writes a file out to disk at once when a rename replaces another file with it (its
    // auto_da_alloc safeguard), disk traffic a working file has no use for. Either way the
    // target names a whole file at every moment.
    struct stat existing {};
    if (::lstat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE) ==
            0) {
        ::unlink(temporary_.c_str());  // the old file now
        return;
    }
    // No file there yet, or a file system that cannot exchange names.
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        throwIoError(error);
    }
}

}  // namespace lenzora::platform
