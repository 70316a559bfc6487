#pragma once
// Whole-file reading and writing with the program's I/O error texts.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lenzora::platform {

using Bytes = std::vector<std::uint8_t>;

bool fileExists(const std::filesystem::path& path);
bool directoryExists(const std::filesystem::path& path);

// Creates one folder level; the parent must exist.
void createDirectory(const std::filesystem::path& path);

Bytes readWholeFile(const std::filesystem::path& path);

// Writes under a temporary name in the same folder, then renames over `path`,
// so a failure part-way leaves whatever was there before untouched.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);
void writeFileAtomically(const std::filesystem::path& path, const Bytes& bytes);


// A file written piece by piece under a temporary name in its folder; commit() flushes it,
// runs `finish` on the temporary file and renames it over the target. Without a commit the
// temporary file is removed and the target is left as it was.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::filesystem::path& target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(const void* data, std::size_t size);
    void commit(const std::function<void(const std::filesystem::path&)>& finish = nullptr);

private:
    std::filesystem::path target_;
    std::string temp_;
    int fd_ = -1;
    bool committed_ = false;
};

// A file's bytes mapped into memory for reading: a large picture is read straight from the
// file cache instead of being copied into a buffer first.
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

}  // namespace lenzora::platform
