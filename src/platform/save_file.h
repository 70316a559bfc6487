#pragma once
// Files replaced whole, through QSaveFile: the new content is written under a temporary name
// in the target's folder and renamed over the target only once all of it is there, so a save
// that fails or is abandoned part-way leaves the earlier file as it was.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>

class QSaveFile;

namespace lenzora::platform {

// One file being written. A symbolic link is followed: its target is replaced and the link
// stays. A replaced file keeps its permission bits; a new one gets 0666 less the umask. In a
// folder the user may not create files in, an existing file the user may write is written in
// place instead (nothing then keeps the old content if the save fails). Failures raise the
// I/O error texts ("File not found", "File access denied", "Disk full", "I/O error N").
class SaveFile {
  public:
    explicit SaveFile(const std::filesystem::path& path);
    // Without commit() the temporary file is removed and the target left as it was.
    ~SaveFile();
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    void write(const void* data, std::size_t size);
    // Flushes the file to disk and puts it in place of the target.
    void commit();

  private:
    std::unique_ptr<QSaveFile> file_;
};

// The whole content in one go.
void saveWholeFile(const std::filesystem::path& path, std::string_view bytes);
void saveWholeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace lenzora::platform
