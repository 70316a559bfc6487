#include "platform/save_file.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>

#include "platform/error.h"
#include "platform/io_error.h"
#include "platform/translation.h"

namespace lenzora::platform {

// QSaveFile describes its failures in translated sentences; the program's own texts come from
// the errno of the system call that failed, which Qt leaves in place. errno is cleared before
// each call so that a value left from earlier is never taken for the cause.

SaveFile::SaveFile(const std::filesystem::path& path) {
    if (path.empty()) throwIoError(ENOENT);
    const QString name = QFile::decodeName(path.c_str());
    // Qt names files in UTF-8: a name whose bytes are not UTF-8 would be written under another
    // name, so it is refused instead.
    if (QFile::encodeName(name) != QByteArrayView(path.c_str()))
        throw Error(translate("lenzora::platform", "Invalid file name"));
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
}

SaveFile::~SaveFile() = default;

void SaveFile::write(const void* data, std::size_t size) {
    if (size == 0) return;
    errno = 0;
    const qint64 written = file_->write(static_cast<const char*>(data), static_cast<qint64>(size));
    if (written != static_cast<qint64>(size)) throwIoError(errno != 0 ? errno : EIO);
}

void SaveFile::commit() {
    errno = 0;
    if (!file_->commit()) throwIoError(errno != 0 ? errno : EIO);
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
