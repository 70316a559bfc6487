#include "output/proof_gif.h"

#include <gif_lib.h>

#include <array>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "raster/saved_picture.h"

namespace lenzora::output {
namespace {

constexpr int kColours = 256;

// Where giflib's output goes; an exception of the file is kept here, as it cannot pass
// through the C library, and thrown again once the library has returned.
struct Destination {
    const raster::ByteSink* sink = nullptr;
    std::exception_ptr failure;
};

int writeBytes(GifFileType* gif, const GifByteType* bytes, int count) {
    auto* destination = static_cast<Destination*>(gif->UserData);
    if (destination->failure) return 0;
    try {
        (*destination->sink)(bytes, static_cast<std::size_t>(count));
        return count;
    } catch (...) {
        destination->failure = std::current_exception();
        return 0;
    }
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int ignored = 0;
        EGifCloseFile(gif, &ignored);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

struct MapFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

[[noreturn]] void fail(const Destination& destination, int error) {
    if (destination.failure) std::rethrow_exception(destination.failure);
    throw platform::Error(std::string("GIF error: ") + GifErrorString(error));
}

void check(int result, GifFileType* gif, const Destination& destination) {
    if (result == GIF_ERROR) fail(destination, gif->Error);
}

// NETSCAPE2.0 application extension with a loop count of 0: the animation repeats forever.
void putEndlessLoop(GifFileType* gif, const Destination& destination) {
    constexpr std::array<GifByteType, 3> kLoopForever = {1, 0, 0};
    check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), gif, destination);
    check(EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0"), gif, destination);
    check(EGifPutExtensionBlock(gif, kLoopForever.size(), kLoopForever.data()), gif, destination);
    check(EGifPutExtensionTrailer(gif), gif, destination);
}

// The quantiser gives each colour the low corner of its 5-bit cells, darker than the pixels
// it stands for by half a cell; each becomes the mean of the pixels that took it instead.
void refitPalette(const raster::RasterImage& image, const std::vector<GifByteType>& indices,
                  std::array<GifColorType, kColours>& palette) {
    std::array<std::array<std::uint64_t, 4>, kColours> sums{};
    auto index = indices.begin();
    for (std::int32_t y = 0; y < image.height(); ++y) {
        const std::uint8_t* in = image.row(y);
        for (std::int32_t x = 0; x < image.width(); ++x, in += 3, ++index) {
            auto& sum = sums[*index];
            sum[0] += in[2];
            sum[1] += in[1];
            sum[2] += in[0];
            ++sum[3];
        }
    }
    for (std::size_t i = 0; i < kColours; ++i) {
        const auto& sum = sums[i];
        if (sum[3] == 0) continue;
        const auto mean = [&](std::size_t c) {
            return static_cast<GifByteType>((sum[c] + sum[3] / 2) / sum[3]);
        };
        palette[i] = {mean(0), mean(1), mean(2)};
    }
}

void putFrame(GifFileType* gif, const Destination& destination, const raster::RasterImage& image,
              int delayCentiseconds) {
    const auto width = static_cast<unsigned>(image.width());
    const auto height = static_cast<unsigned>(image.height());
    const std::size_t count = std::size_t{width} * height;
    std::vector<GifByteType> red(count), green(count), blue(count), indices(count);
    for (std::int32_t y = 0; y < image.height(); ++y) {
        const std::uint8_t* in = image.row(y);
        for (std::size_t x = 0, at = std::size_t{width} * static_cast<std::size_t>(y); x < width;
             ++x, ++at, in += 3) {
            blue[at] = in[0];
            green[at] = in[1];
            red[at] = in[2];
        }
    }
    int colours = kColours;
    std::array<GifColorType, kColours> palette{};
    if (GifQuantizeBuffer(width, height, &colours, red.data(), green.data(), blue.data(),
                          indices.data(), palette.data()) == GIF_ERROR)
        throw platform::Error("GIF error: the colours could not be reduced");
    refitPalette(image, indices, palette);
    const std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(kColours, palette.data()));
    if (!map) throw std::bad_alloc();

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = delayCentiseconds;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    std::array<GifByteType, 4> extension{};
    const auto length = EGifGCBToExtension(&control, extension.data());
    check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension.data()),
          gif, destination);
    check(EGifPutImageDesc(gif, 0, 0, image.width(), image.height(), false, map.get()), gif,
          destination);
    for (std::int32_t y = 0; y < image.height(); ++y)
        check(EGifPutLine(gif, indices.data() + std::size_t{width} * static_cast<std::size_t>(y),
                          image.width()),
              gif, destination);
}

}  // namespace

void saveAnimatedGif(const std::filesystem::path& path, std::int32_t width, std::int32_t height,
                     int frameCount, int delayCentiseconds,
                     const std::function<raster::RasterImage(int)>& frame) {
    raster::saveStreamed(path, [&](const raster::ByteSink& sink) {
        Destination destination{&sink, nullptr};
        int error = 0;
        GifHandle gif(EGifOpen(&destination, writeBytes, &error));
        if (!gif) fail(destination, error);
        EGifSetGifVersion(gif.get(), true);
        check(EGifPutScreenDesc(gif.get(), width, height, 8, 0, nullptr), gif.get(), destination);
        putEndlessLoop(gif.get(), destination);
        for (int index = 0; index < frameCount; ++index)
            putFrame(gif.get(), destination, frame(index), delayCentiseconds);
        if (EGifCloseFile(gif.release(), &error) == GIF_ERROR) fail(destination, error);
    });
}

}  // namespace lenzora::output
