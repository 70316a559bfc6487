#pragma once
// Reading a picture file: mapped into memory and handed to a format's decoder, with the errors
// a user sees naming the file.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>

#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::raster {

using PictureDecoder = std::function<RasterImage(std::span<const std::uint8_t>)>;

// Decodes the file at `path`. A file that cannot be opened and a picture too large to take on
// name the file in their errors; with `nameDecodeErrors`, so does every other error of the
// decoder (for libraries whose reasons say nothing of the file).
RasterImage decodeFile(const std::filesystem::path& path, const PictureDecoder& decode,
                       bool nameDecodeErrors = false);

// The file at `path` mapped into memory, for a reader that keeps it open; one that cannot be
// opened throws as readFileWith does.
std::unique_ptr<platform::MappedFile> mapPictureFile(const std::filesystem::path& path);

// Runs `decode`, part of decoding the file at `path`, with its errors named as readFileWith
// names them.
void nameFileErrors(const std::filesystem::path& path, const std::function<void()>& decode,
                    bool nameDecodeErrors);

// The same for a decoder that hands its rows on as it goes.
void readFileWith(const std::filesystem::path& path,
                  const std::function<void(std::span<const std::uint8_t>)>& decode,
                  bool nameDecodeErrors = false);

// The file at `path` mapped into memory, for a reader that keeps it open; one that cannot be
// opened throws as readFileWith does.
std::unique_ptr<platform::MappedFile> mapPictureFile(const std::filesystem::path& path);

// Runs `decode`, part of decoding the file at `path`, with its errors named as readFileWith
// names them.
void nameFileErrors(const std::filesystem::path& path, const std::function<void()>& decode,
                    bool nameDecodeErrors);

}  // namespace lenzora::raster
