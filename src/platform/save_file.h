#pragma once
// Files replaced whole, through QSaveFile: the new content is written to a file in the target's
// folder that has no name until all of it is there (O_TMPFILE, or a temporary name where the
// file system has no such files), then put in place of the target, so a save that fails, is
// abandoned or is killed part-way leaves the earlier file as it was.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>

#include "platform/gathered_write.h"

class QSaveFile;

namespace lenzora::platform {

// One file being written. A symbolic link is followed: its target is replaced and the link
// stays; a link to nothing makes its target. A target refused by checkSaveTarget is refused
// before anything is written. A replaced file keeps its permission bits, and its owner and
// group as far as the process may give them (root keeps both); a new one gets 0666 less the
// umask. In a folder the user may not create files in, an existing file the user may write is
// written in place instead (nothing then keeps the old content if the save fails). Failures
// raise the I/O error texts ("File not found", "File access denied", "Disk full", "I/O error N").
class SaveFile {
  public:
    explicit SaveFile(const std::filesystem::path& path);
    // Without commit() the temporary file is removed and the target left as it was.
    ~SaveFile();
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    // Throws Interrupted after Ctrl-C or SIGTERM (see interruption.h).
    void write(const void* data, std::size_t size);
    // The pieces one after the other, in one call to the system for as many as it takes.
    void write(Pieces pieces);
    // The pieces from `offset` on, wherever the writes before left off (the next write()
    // continues where the last one did): a file filled out of order, such as a picture whose
    // rows lie bottom to top, is whole once every part is written.
    void writeAt(std::uint64_t offset, Pieces pieces);
    // Flushes the file to disk and puts it in place of the target.
    void commit();

  private:
    bool needsShortName() const;
    void commitUnderShortName();
    void startWriteback(std::uint64_t offset, std::uint64_t size);
    void askDiskToStart();

    std::unique_ptr<QSaveFile> file_;
    std::uint64_t end_ = 0;  // where write() continues
    // Written, and the disk not yet asked to start on it: one stretch of the file.
    std::uint64_t pendingFrom_ = 0;
    std::uint64_t pendingTo_ = 0;
    std::filesystem::path target_;  // the file replaced, symbolic links followed
};

// What SaveFile refuses before it writes, for callers that check a target before the work
// that fills it: a name that is not UTF-8 ("Invalid file name"), an existing target, links
// followed, that is not a regular file ("Not a regular file"; a folder "File access denied"),
// or a file this user may not write ("File access denied"; root may). A missing target, or a
// link to one, is no refusal when its folder is there ("File not found" if not): the file is
// made, through the link.
void checkSaveTarget(const std::filesystem::path& path);

// The whole content in one go.
void saveWholeFile(const std::filesystem::path& path, std::string_view bytes);
void saveWholeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace lenzora::platform
