#pragma once
// Whole-file reading and writing with the program's I/O error texts.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace lenzora {

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

// Deletes a file; a missing or locked one is silently skipped.
void removeFileQuietly(const std::filesystem::path& path);

}  // namespace lenzora
