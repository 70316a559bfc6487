#pragma once
// How large a picture the program takes on. Every reader asks checkDecodedSize with the size a
// file claims before it allocates anything for the pixels, so a small file cannot make the
// program take more memory than the machine has.

#include <cstdint>
#include <string>

#include "platform/error.h"

namespace lenzora::raster {

inline constexpr std::uint64_t kDefaultMaxImagePixels = 500'000'000;
// The environment variable that raises (or lowers) the pixel ceiling.
inline constexpr const char* kMaxPixelsVariable = "LENZORA_MAX_FRAME_PIXELS";

// The most pixels one decoded picture may have: the value set by setMaxImagePixels, else a
// whole number in LENZORA_MAX_FRAME_PIXELS, else 500 megapixels.
std::uint64_t maxImagePixels();
// 0 goes back to the environment variable or the default.
void setMaxImagePixels(std::uint64_t pixels);

// Throws a user's error when LENZORA_MAX_FRAME_PIXELS is set to anything but a whole number
// above 0; both programs ask once at start-up, so that a mistyped ceiling is never ignored.
void checkMaxPixelsVariable();

// The most a reader may hold besides the picture it delivers: its rows of samples, a tile or
// strip, the library's own buffers as far as they grow with the picture.
inline constexpr std::uint64_t kMaxDecodingBytes = 64ull << 20;

// Whether `bytes` more fit in the memory the system has available now, beside what the frames
// being read have reserved (see memory_budget.h).
bool fitsInMemory(std::uint64_t bytes);

// A picture too large to decode. Its text gives the size; a loader that knows the file's name
// throws messageFor(name) instead.
class ImageTooLarge : public platform::Error {
  public:
    ImageTooLarge(std::uint64_t width, std::uint64_t height);
    std::string messageFor(const std::string& fileName) const;

  private:
    std::uint64_t width_;
    std::uint64_t height_;
};

// While one lives, pictures read on its thread are held to the available memory only, not to
// the pixel ceiling: for the program's own working files, made to an output size that has
// been checked already (the strips of a large composite may well exceed the ceiling).
class OwnFilesOnly {
  public:
    OwnFilesOnly();
    ~OwnFilesOnly();
    OwnFilesOnly(const OwnFilesOnly&) = delete;
    OwnFilesOnly& operator=(const OwnFilesOnly&) = delete;

  private:
    bool before_;
};

// Throws ImageTooLarge when a width x height picture of bitsPerPixel would have more pixels
// than maxImagePixels() (outside OwnFilesOnly) or not fit in the available memory. Within a
// FrameMemory scope the picture's bytes are reserved in the process's budget (waiting, if
// need be, for other frames to end).
void checkDecodedSize(std::uint64_t width, std::uint64_t height, int bitsPerPixel);

// checkDecodedSize for a reader that also needs `workingBytes` besides the picture while it
// decodes: refused when they exceed kMaxDecodingBytes, else counted and reserved with it.
void checkDecodingMemory(std::uint64_t width, std::uint64_t height, int bitsPerPixel,
                         std::uint64_t workingBytes);

}  // namespace lenzora::raster
