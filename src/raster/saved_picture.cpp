#include "raster/saved_picture.h"

#include <cmath>
#include <utility>

#include "platform/error.h"
#include "platform/save_file.h"
#include "platform/translation.h"

namespace lenzora::raster {
namespace {

// Runs one step on the file being saved: a failure of the file names it.
template <class Step>
void onFile(const std::filesystem::path& path, Step&& step) {
    try {
        step();
    } catch (const platform::Error& e) {
        throw platform::Error(platform::fillIn(
            platform::translate("lenzora::raster", "Cannot create file \"%1\". %2"),
            {path.string(), e.what()}));
    }
}

}  // namespace

PictureFile::PictureFile(std::filesystem::path path) : path_(std::move(path)) {}

PictureFile::~PictureFile() = default;

// Called within onFile, which names the file in a failure.
platform::SaveFile& PictureFile::file() {
    if (!file_) file_ = std::make_unique<platform::SaveFile>(path_);
    return *file_;
}

void PictureFile::write(const std::uint8_t* data, std::size_t size) {
    onFile(path_, [&] { file().write(data, size); });
}

void PictureFile::write(platform::Pieces pieces) {
    onFile(path_, [&] { file().write(pieces); });
}

void PictureFile::writeAt(std::uint64_t offset, platform::Pieces pieces) {
    onFile(path_, [&] { file().writeAt(offset, pieces); });
}

void PictureFile::commit() {
    onFile(path_, [&] { file().commit(); });
}

void saveStreamed(const std::filesystem::path& path,
                  const std::function<void(const ByteSink&)>& encode) {
    PictureFile file(path);
    encode([&](const std::uint8_t* data, std::size_t size) { file.write(data, size); });
    file.commit();
}

void checkSaveTarget(const std::filesystem::path& path) {
    onFile(path, [&] { platform::checkSaveTarget(path); });
}

void savePicture(const std::filesystem::path& path, const platform::Bytes& bytes) {
    onFile(path, [&] { platform::saveWholeFile(path, bytes); });
}

std::int32_t pngPixelsPerMetre(long double dotsPerInch) {
    return static_cast<std::int32_t>(std::nearbyint(dotsPerInch / 0.0254L));
}

}  // namespace lenzora::raster
