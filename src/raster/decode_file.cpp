#include "raster/decode_file.h"

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/translation.h"
#include "raster/size_limit.h"

namespace lenzora::raster {

RasterImage decodeFile(const std::filesystem::path& path, const PictureDecoder& decode,
                       bool nameDecodeErrors) {
    RasterImage image;
    readFileWith(
        path, [&](std::span<const std::uint8_t> bytes) { image = decode(bytes); },
        nameDecodeErrors);
    return image;
}

void readFileWith(const std::filesystem::path& path,
                  const std::function<void(std::span<const std::uint8_t>)>& decode,
                  bool nameDecodeErrors) {
    const std::unique_ptr<platform::MappedFile> file = mapPictureFile(path);
    nameFileErrors(
        path, [&] { decode(std::span<const std::uint8_t>(file->data(), file->size())); },
        nameDecodeErrors);
}

std::unique_ptr<platform::MappedFile> mapPictureFile(const std::filesystem::path& path) {
    try {
        return std::make_unique<platform::MappedFile>(path);
    } catch (const platform::Error& e) {
        throw platform::Error(
            platform::fillIn(platform::translate("lenzora::raster", "Cannot open file \"%1\". %2"),
                             {path.string(), e.what()}));
    }
}

void nameFileErrors(const std::filesystem::path& path, const std::function<void()>& decode,
                    bool nameDecodeErrors) {
    try {
        decode();
    } catch (const ImageTooLarge& e) {
        throw platform::Error(e.messageFor(path.string()));
    } catch (const platform::Error& e) {
        if (!nameDecodeErrors) throw;
        throw platform::Error(
            platform::fillIn(platform::translate("lenzora::raster", "Cannot read file \"%1\". %2"),
                             {path.string(), e.what()}));
    }
}

}  // namespace lenzora::raster
