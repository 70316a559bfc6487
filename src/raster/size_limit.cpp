#include "raster/size_limit.h"

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "platform/translation.h"
#include "raster/memory_budget.h"

namespace lenzora::raster {
namespace {

std::atomic<std::uint64_t> chosenMaxPixels{0};
thread_local bool ownFilesOnly = false;

// Pictures this small are not worth a look at the system's memory status.
constexpr std::uint64_t kAlwaysFits = 8ull << 20;

// The variable's whole number above 0; 0 when it is unset or anything else.
std::uint64_t maxPixelsFromEnvironment() {
    const char* text = std::getenv(kMaxPixelsVariable);
    if (text == nullptr) return 0;
    std::uint64_t value = 0;
    const char* end = text + std::strlen(text);
    auto [stop, problem] = std::from_chars(text, end, value);
    return problem == std::errc() && stop == end ? value : 0;
}

std::string rasterText(const char* pattern, std::initializer_list<std::string> values) {
    return platform::fillIn(platform::translate("lenzora::raster", pattern), values);
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

void checkMaxPixelsVariable() {
    const char* text = std::getenv(kMaxPixelsVariable);
    if (text == nullptr || maxPixelsFromEnvironment() != 0) return;
    throw platform::Error(
        rasterText(QT_TRANSLATE_NOOP("lenzora::raster",
                                     "环境变量 %1 的值 \"%2\" 无效: 应为大于 0 的整数像素数"),
                   {kMaxPixelsVariable, text}));
}

bool fitsInMemory(std::uint64_t bytes) {
    return bytes <= kAlwaysFits || MemoryBudget::process().fitsNow(bytes);
}

ImageTooLarge::ImageTooLarge(std::uint64_t width, std::uint64_t height)
    : platform::Error(rasterText(QT_TRANSLATE_NOOP("lenzora::raster", "图片太大! %1 x %2 像素"),
                                 {std::to_string(width), std::to_string(height)})),
      width_(width),
      height_(height) {}

std::string ImageTooLarge::messageFor(const std::string& fileName) const {
    return rasterText(QT_TRANSLATE_NOOP("lenzora::raster", "图片太大! \"%1\" %2 x %3 像素"),
                      {fileName, std::to_string(width_), std::to_string(height_)});
}

OwnFilesOnly::OwnFilesOnly() : before_(ownFilesOnly) { ownFilesOnly = true; }
OwnFilesOnly::~OwnFilesOnly() { ownFilesOnly = before_; }

void checkDecodedSize(std::uint64_t width, std::uint64_t height, int bitsPerPixel) {
    checkDecodingMemory(width, height, bitsPerPixel, 0);
}

void checkDecodingMemory(std::uint64_t width, std::uint64_t height, int bitsPerPixel,
                         std::uint64_t workingBytes) {
    // Sides of 32 bits each: the products need more than 64.
    __extension__ typedef unsigned __int128 Wide;
    const Wide pixels = Wide{width} * height;
    const Wide stride = (Wide{width} * static_cast<unsigned>(bitsPerPixel) + 31) / 32 * 4;
    const Wide bytes = stride * height + workingBytes;
    if ((!ownFilesOnly && pixels > maxImagePixels()) || workingBytes > kMaxDecodingBytes ||
        bytes > ~std::uint64_t{0})
        throw ImageTooLarge(width, height);
    const auto total = static_cast<std::uint64_t>(bytes);
    if (total <= kAlwaysFits) return;
    if (FrameMemory* frame = FrameMemory::current()) {
        frame->reserve(total, width, height);
    } else if (!MemoryBudget::process().fitsNow(total)) {
        throw ImageTooLarge(width, height);
    }
}

}  // namespace lenzora::raster
