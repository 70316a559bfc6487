#include "raster/saved_picture.h"

#include <cmath>
#include <optional>

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

void saveStreamed(const std::filesystem::path& path,
                  const std::function<void(const ByteSink&)>& encode) {
    std::optional<platform::SaveFile> file;
    encode([&](const std::uint8_t* data, std::size_t size) {
        onFile(path, [&] {
            if (!file) file.emplace(path);
            file->write(data, size);
        });
    });
    onFile(path, [&] {
        if (!file) file.emplace(path);
        file->commit();
    });
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
