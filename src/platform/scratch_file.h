#pragma once
// Working files (working copies, strip images): written whole under a temporary name beside
// the target and put in its place once complete, so a job stopped part-way never leaves half a
// file; but never forced to disk, as they are deleted when the program closes. Files the user
// asked for go through SaveFile instead, which flushes them first.

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "platform/gathered_write.h"

namespace lenzora::platform {

class ScratchFile {
  public:
    // Fails with the I/O error texts ("File not found", "File access denied" ...).
    explicit ScratchFile(const std::filesystem::path& path);
    // Without commit() the temporary file is removed and the target left as it was.
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    void write(const void* data, std::size_t size);
    // The pieces one after the other, in one call to the system for as many as it takes.
    void write(Pieces pieces);
    // The pieces from `offset` on, wherever the writes before left off: a file filled out of
    // order (a picture's rows bottom to top as they come top to bottom) is whole once every
    // part of it is written.
    void writeAt(std::uint64_t offset, Pieces pieces);
    // Puts the file in place of the target.
    void commit();

  private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
};

}  // namespace lenzora::platform
