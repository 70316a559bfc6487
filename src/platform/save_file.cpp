#include "platform/save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/error.h"
#include "platform/interruption.h"
#include "platform/io_error.h"
#include "platform/translation.h"

namespace lenzora::platform {
namespace {

// QSaveFile puts a finished file in place of an existing one through a temporary name: the
// target's name plus ".XXXXXX".
constexpr std::size_t kTemporarySuffix = 7;

// How much is written before the disk is asked to start on it.
constexpr std::uint64_t kWritebackStretch = std::uint64_t{4} << 20;

// The file QSaveFile replaces: symbolic links followed as far as they lead, to a file that
// may not exist yet.
std::filesystem::path resolvedTarget(const QString& name) {
    QFileInfo info(name);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth) {
        info.setFile(info.symLinkTarget());
    }
    return std::filesystem::path(QFile::encodeName(info.filePath()).toStdString());
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// QSaveFile gives the new file the permissions Qt reads from the old one, which count a
// write bit for its owner whenever this user may write it (root's save made a 0444 file 0644),
// and the saver as its owner. The new file takes the old one's owner, group and mode instead,
// as far as the process may give them: the owner first, as a change of owner clears the
// set-id bits.
void keepOwnerAndMode(int handle, const std::filesystem::path& target) {
    struct stat old {};
    struct stat made {};
    if (::stat(target.c_str(), &old) != 0 || ::fstat(handle, &made) != 0) return;  // a new file
    if (old.st_dev == made.st_dev && old.st_ino == made.st_ino) return;  // written in place
    const auto notAllowed = [] { return errno == EPERM || errno == EINVAL; };
    if (::fchown(handle, old.st_uid, old.st_gid) != 0) {
        if (!notAllowed()) throwIoError(errno);
        // A user who may not give the file away may still keep a group of their own.
        if (::fchown(handle, static_cast<uid_t>(-1), old.st_gid) != 0 && !notAllowed())
            throwIoError(errno);
    }
    if (::fchmod(handle, old.st_mode & 07777) != 0) throwIoError(errno);
}

}  // namespace

void checkSaveTarget(const std::filesystem::path& path) {
    if (path.empty()) throwIoError(ENOENT);
    // Qt names files in UTF-8: a name whose bytes are not UTF-8 would be written under another
    // name, so it is refused instead.
    if (QFile::encodeName(QFile::decodeName(path.c_str())) != QByteArrayView(path.c_str()))
        throw Error(translate("lenzora::platform", "Invalid file name"));
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) throwIoError(errno);
        // Nothing there yet, or a link to nothing: the file is made, through the link, in a
        // folder that must be there.
        const std::filesystem::path folder =
            folderOf(resolvedTarget(QFile::decodeName(path.c_str())));
        if (::stat(folder.c_str(), &st) != 0) throwIoError(errno);
        if (!S_ISDIR(st.st_mode)) throwIoError(ENOTDIR);
        return;
    }
    if (S_ISDIR(st.st_mode)) throwIoError(EISDIR);
    // A device, pipe or socket would be replaced by a regular file (as root, "/dev/null" too).
    if (!S_ISREG(st.st_mode)) throw Error(translate("lenzora::platform", "Not a regular file"));
    // Whether this user may write the file, by the effective ids: root may replace a file
    // nobody may write, another user may not.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) throwIoError(errno);
}

// QSaveFile describes its failures in translated sentences; the program's own texts come from
// the errno of the system call that failed, which Qt leaves in place. errno is cleared before
// each call so that a value left from earlier is never taken for the cause.

SaveFile::SaveFile(const std::filesystem::path& path) {
    checkSaveTarget(path);
    const QString name = QFile::decodeName(path.c_str());
    target_ = resolvedTarget(name);
    file_ = std::make_unique<QSaveFile>(name);
    // Pictures may sit in a folder the user may not add files to while the files themselves
    // may be changed; such a file is written in place rather than refused.
    file_->setDirectWriteFallback(true);
    errno = 0;
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // Qt refuses a folder, or a file the user may not write, before any system call
        // fails; both are access denied.
        if (file_->error() != QFileDevice::OpenError) throwIoError(EACCES);
        throwIoError(errno != 0 ? errno : EIO);
    }
    keepOwnerAndMode(file_->handle(), target_);
}

SaveFile::~SaveFile() = default;

void SaveFile::write(const void* data, std::size_t size) {
    const std::span<const std::uint8_t> whole(static_cast<const std::uint8_t*>(data), size);
    write(Pieces(&whole, 1));
}

// Straight to the descriptor: the file is unbuffered, so Qt holds none of the bytes, and every
// write goes this way, so Qt never moves the offset back to a position of its own.
void SaveFile::write(Pieces pieces) {
    throwIfInterrupted();
    writeGathered(file_->handle(), pieces);
    std::uint64_t size = 0;
    for (const auto& piece : pieces) size += piece.size();
    startWriteback(end_, size);
    end_ += size;
}

void SaveFile::writeAt(std::uint64_t offset, Pieces pieces) {
    throwIfInterrupted();
    writeGathered(file_->handle(), pieces, static_cast<std::int64_t>(offset));
    std::uint64_t size = 0;
    for (const auto& piece : pieces) size += piece.size();
    startWriteback(offset, size);
}

// The disk starts on what is written while the rest is still coming, so that the flush before
// commit() waits for the last stretch only. Writes that join up (forwards, or backwards as a
// bottom-up picture's bands come) gather into one stretch. Only a hint: the flush reports
// failures.
void SaveFile::startWriteback(std::uint64_t offset, std::uint64_t size) {
    const std::uint64_t end = offset + size;
    if (pendingFrom_ < pendingTo_ && (offset == pendingTo_ || end == pendingFrom_)) {
        pendingFrom_ = std::min(pendingFrom_, offset);
        pendingTo_ = std::max(pendingTo_, end);
    } else {
        askDiskToStart();
        pendingFrom_ = offset;
        pendingTo_ = end;
    }
    if (pendingTo_ - pendingFrom_ >= kWritebackStretch) askDiskToStart();
}

void SaveFile::askDiskToStart() {
    if (pendingFrom_ < pendingTo_) {
        ::sync_file_range(file_->handle(), static_cast<off_t>(pendingFrom_),
                          static_cast<off_t>(pendingTo_ - pendingFrom_), SYNC_FILE_RANGE_WRITE);
    }
    pendingFrom_ = pendingTo_;
}

void SaveFile::commit() {
    if (needsShortName()) {
        commitUnderShortName();
        return;
    }
    errno = 0;
    if (!file_->commit()) throwIoError(errno != 0 ? errno : EIO);
}

// With a target whose name leaves no room for QSaveFile's temporary suffix, an existing file
// could not be replaced; the unnamed file is then given a short name of its own instead.
bool SaveFile::needsShortName() const {
    long nameMax = ::pathconf(folderOf(target_).c_str(), _PC_NAME_MAX);
    if (nameMax <= 0) nameMax = 255;
    if (target_.filename().string().size() + kTemporarySuffix <= static_cast<std::size_t>(nameMax))
        return false;
    struct stat st {};
    // Only a file without a name yet (O_TMPFILE) can be given one; one written in place
    // needs nothing more.
    return ::lstat(target_.c_str(), &st) == 0 && ::fstat(file_->handle(), &st) == 0 &&
           st.st_nlink == 0;
}

void SaveFile::commitUnderShortName() {
    const int handle = file_->handle();
    if (::fsync(handle) != 0) throwIoError(errno);
    const std::string source = "/proc/self/fd/" + std::to_string(handle);
    std::filesystem::path staging;
    for (int attempt = 0;; ++attempt) {
        staging = folderOf(target_) /
                  (".lenzora-" + std::to_string(::getpid()) + "-" + std::to_string(attempt));
        if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, staging.c_str(), AT_SYMLINK_FOLLOW) == 0)
            break;
        if (errno != EEXIST || attempt == 99) throwIoError(errno);
    }
    if (::rename(staging.c_str(), target_.c_str()) != 0) {
        const int failure = errno;
        ::unlink(staging.c_str());
        throwIoError(failure);
    }
    // The file is in place; QSaveFile holds only its descriptor now, which it closes.
    file_->cancelWriting();
    file_.reset();
}

void saveWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    SaveFile file(path);
    file.write(bytes.data(), bytes.size());
    file.commit();
}

void saveWholeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    saveWholeFile(path,
                  std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace lenzora::platform
