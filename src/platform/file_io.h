#pragma once
// Whole-file reading with the program's I/O error texts; writing is in platform/save_file.h.

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace lenzora::platform {

using Bytes = std::vector<std::uint8_t>;

bool fileExists(const std::filesystem::path& path);
bool directoryExists(const std::filesystem::path& path);

// Creates one folder level; the parent must exist.
void createDirectory(const std::filesystem::path& path);

// Reads a regular file, at most `limit` bytes of it; anything else is refused: a pipe or a
// device with "Not a regular file", a folder with "File access denied".
Bytes readWholeFile(const std::filesystem::path& path,
                    std::size_t limit = std::numeric_limits<std::size_t>::max());

// A file's bytes mapped into memory for reading: a large picture is read straight from the
// file cache instead of being copied into a buffer first. Only a regular file is mapped.
class MappedFile {
  public:
    explicit MappedFile(const std::filesystem::path& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
};

// Deletes a file; a missing or locked one is silently skipped.
void removeFileQuietly(const std::filesystem::path& path);

// Gives two files of one folder each other's names; when only one exists it takes the other
// name. A rename that fails throws its I/O error with both files as they were.
void exchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace lenzora::platform
