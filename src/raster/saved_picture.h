#pragma once
// Writing an encoded picture through platform::SaveFile, shared by the composite and the
// chart: a failure of the file names it, and a failed save leaves the earlier file intact.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/file_io.h"
#include "platform/gathered_write.h"

namespace lenzora::platform {
class SaveFile;
}

namespace lenzora::raster {

using ByteSink = std::function<void(const std::uint8_t*, std::size_t)>;

// Runs `encode` with a sink into the file. The file is opened when the encoder hands over its
// first bytes, so a picture the encoder refuses gives the encoder's error and leaves the
// folder untouched. Failures of the file are reported as "Cannot create file "<path>".
// <reason>".
void saveStreamed(const std::filesystem::path& path,
                  const std::function<void(const ByteSink&)>& encode);

// A picture's file being saved through platform::SaveFile, opened when the first bytes come
// (so a picture refused before that leaves the folder untouched). Failures of the file are
// reported as "Cannot create file "<path>". <reason>"; without commit() an earlier file stays.
class PictureFile {
  public:
    explicit PictureFile(std::filesystem::path path);
    ~PictureFile();
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    void write(const std::uint8_t* data, std::size_t size);
    void write(platform::Pieces pieces);
    // From `offset` on, wherever the writes before left off (platform::SaveFile::writeAt).
    void writeAt(std::uint64_t offset, platform::Pieces pieces);
    void commit();

  private:
    platform::SaveFile& file();

    std::filesystem::path path_;
    std::unique_ptr<platform::SaveFile> file_;
};

// Refuses, in the words of a failed save, a name that no save could write
// (platform::checkSaveTarget), before the work that makes the picture.
void checkSaveTarget(const std::filesystem::path& path);

// The whole encoded file at once.
void savePicture(const std::filesystem::path& path, const platform::Bytes& bytes);

// A PNG's pHYs value for a resolution in dots per inch: nearest(dpi / 0.0254).
std::int32_t pngPixelsPerMetre(long double dotsPerInch);

}  // namespace lenzora::raster
