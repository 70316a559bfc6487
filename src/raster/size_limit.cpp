#include "raster/size_limit.h"

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "platform/available_memory.h"

namespace lenzora::raster {
namespace {

std::atomic<std::uint64_t> chosenMaxPixels{0};
thread_local bool ownFilesOnly = false;

// Pictures this small are not worth a look at the system's memory status.
constexpr std::uint64_t kAlwaysFits = 8ull << 20;

std::uint64_t maxPixelsFromEnvironment() {
    const char* text = std::getenv(kMaxPixelsVariable);
    if (text == nullptr) return 0;
    std::uint64_t value = 0;
    const char* end = text + std::strlen(text);
    auto [stop, problem] = std::from_chars(text, end, value);
    return problem == std::errc() && stop == end ? value : 0;
}

std::string sizeText(std::uint64_t width, std::uint64_t height) {
    return std::to_string(width) + " x " + std::to_string(height) + " 像素";
}

}  // namespace

std::uint64_t maxImagePixels() {
    if (std::uint64_t chosen = chosenMaxPixels.load(std::memory_order_relaxed); chosen != 0)
        return chosen;
    if (std::uint64_t fromEnvironment = maxPixelsFromEnvironment(); fromEnvironment != 0)
        return fromEnvironment;
    return kDefaultMaxImagePixels;
}

void setMaxImagePixels(std::uint64_t pixels) {
    chosenMaxPixels.store(pixels, std::memory_order_relaxed);
}

bool fitsInMemory(std::uint64_t bytes) {
    return bytes <= kAlwaysFits || bytes <= platform::availableMemoryBytes();
}

ImageTooLarge::ImageTooLarge(std::uint64_t width, std::uint64_t height)
    : platform::Error("图片太大! " + sizeText(width, height)), width_(width), height_(height) {}

std::string ImageTooLarge::messageFor(const std::string& fileName) const {
    return "图片太大! \"" + fileName + "\" " + sizeText(width_, height_);
}

OwnFilesOnly::OwnFilesOnly() : before_(ownFilesOnly) { ownFilesOnly = true; }
OwnFilesOnly::~OwnFilesOnly() { ownFilesOnly = before_; }

void checkDecodedSize(std::uint64_t width, std::uint64_t height, int bitsPerPixel) {
    // Sides of 32 bits each: the products need more than 64.
    __extension__ typedef unsigned __int128 Wide;
    const Wide pixels = Wide{width} * height;
    const Wide stride = (Wide{width} * static_cast<unsigned>(bitsPerPixel) + 31) / 32 * 4;
    const Wide bytes = stride * height;
    if ((!ownFilesOnly && pixels > maxImagePixels()) || bytes > ~std::uint64_t{0} ||
        !fitsInMemory(static_cast<std::uint64_t>(bytes)))
        throw ImageTooLarge(width, height);
}

}  // namespace lenzora::raster
