// The composes that go through a lens map instead of strip files: straight from the frames'
// files into a sink (the batch tool), and the printer's grid from the slots' files.

#include <memory>
#include <utility>
#include <vector>

#include "compose/colour_target.h"
#include "compose/compose_session.h"
#include "frames/open_frame.h"
#include "interlace/band_compose.h"
#include "interlace/interlace_frames.h"
#include "interlace/lens_map.h"
#include "interlace/prepare_frame.h"
#include "interlace/streamed_frame.h"
#include "platform/work_pool.h"
#include "raster/colour_profile.h"
#include "raster/memory_budget.h"

namespace lenzora::compose {
namespace {

// A frame in memory as the map samples it: a 24-bit frame as it is; any other (a 1-bit frame's
// stretch merges pixels, black winning) as its strip image, made the way the strip files are.
struct MemoryFrame {
    raster::RasterImage pixels;
    interlace::MappedFrame mapped;
    std::int32_t frameWidth = 0;  // of the frame itself, not its strip image
    std::int32_t frameHeight = 0;
};

MemoryFrame mapInMemory(raster::RasterImage frame, const core::OutputSettings& settings,
                        std::int32_t W, std::int32_t H, const interlace::ComposeRun& run) {
    MemoryFrame kept;
    kept.frameWidth = frame.width();
    kept.frameHeight = frame.height();
    if (frame.format() != raster::PixelFormat::Bgr24) {
        interlace::ComposeState sizes;
        sizes.outputWidth = W;
        sizes.outputHeight = H;
        // On the printer's grid the strip image is the frame at the output's size.
        const int squeeze = settings.onPrinterGrid() ? 1 : settings.frameCount;
        frame = interlace::makeStripImage(std::move(frame), squeeze, settings.mode, sizes,
                                          interlace::PrepareMethod::Direct, run.cancel);
        kept.mapped.prepared = true;
    }
    kept.mapped.width = frame.width();
    kept.mapped.height = frame.height();
    kept.pixels = std::move(frame);
    return kept;
}

// The sizes a compose keeps of its last frame, as the strip preparation sets them.
void keepSizes(interlace::ComposeState& state, const interlace::LensLayout& layout,
               std::int32_t frameWidth, std::int32_t frameHeight) {
    const interlace::FramePlacement placed =
        interlace::placeFrameOn(layout.width, layout.height, frameWidth, frameHeight);
    const bool columns = layout.mode == core::kModeColumns;
    state.scaledWidth = placed.scaledWidth;
    state.scaledHeight = placed.scaledHeight;
    state.stripImageWidth = interlace::stripExtent(layout, columns);
    state.stripImageHeight = interlace::stripExtent(layout, !columns);
}

}  // namespace

void ComposeSession::buildOnGrid(const std::function<raster::RasterImage(int slot)>& load,
                                 interlace::ComposeProgress& progress,
                                 const interlace::ComposeRun& run) {
    const int n = settings_.frameCount;
    const std::int32_t W = state_.outputWidth;
    const std::int32_t H = state_.outputHeight;
    built_ = raster::RasterImage();  // the old composite goes before the frames come in
    std::vector<MemoryFrame> frames(static_cast<std::size_t>(n));
    platform::runTasks(n, run.threads, [&](int index) {
        const raster::FrameMemory memory(run.cancel);
        frames[static_cast<std::size_t>(index)] =
            mapInMemory(load(index + 1), settings_, W, H, run);
    });
    std::vector<interlace::MappedFrame> mapped;
    std::vector<std::unique_ptr<interlace::FrameRows>> rows;
    mapped.reserve(frames.size());
    rows.reserve(frames.size());
    for (MemoryFrame& frame : frames) {
        mapped.push_back(frame.mapped);
        rows.push_back(std::make_unique<interlace::WholeFrameRows>(std::move(frame.pixels)));
    }
    const interlace::LensLayout layout = interlace::lensLayoutOf(settings_, W, H);
    const interlace::LensMap map(layout, mapped);
    std::vector<interlace::FrameRows*> pointers;
    pointers.reserve(rows.size());
    for (auto& r : rows) pointers.push_back(r.get());
    raster::RasterImage composite;
    interlace::ImageSink sink(composite);
    interlace::composeInBands(map, pointers, false, sink, progress, run);
    keepSizes(state_, layout, frames.back().frameWidth, frames.back().frameHeight);
    built_ = std::move(composite);
}

std::optional<std::string> ComposeSession::composeStraight(
    const std::vector<std::string>& chosenPaths, std::string_view widthText,
    std::string_view heightText, bool calibration, interlace::ComposeProgress& progress,
    const interlace::ComposeRun& run, const std::function<void()>& beforeReading,
    const SinkOpener& openSink) {
    nameFrames(chosenPaths);
    setOutputSize(widthText, heightText);
    const std::int32_t W = state_.outputWidth;
    const std::int32_t H = state_.outputHeight;
    if (auto small = interlace::outputTooSmall(W, H, settings_.frameCount, settings_.mode))
        return small;
    if (beforeReading) beforeReading();

    const int n = settings_.frameCount;
    std::vector<frames::OpenedFrame> opened(static_cast<std::size_t>(n));
    platform::runTasks(n, run.threads, [&](int index) {
        const auto at = static_cast<std::size_t>(index);
        opened[at] = frames::openFrameFile(chosenPaths[at]);
        profiles_[at] = opened[at].colourProfile;
    });
    // Every frame in frame 1's colours; every profile is known by now.
    ColourTarget colours(run);
    colours.set(profiles_[0]);
    const platform::Bytes& target = colours.await();

    const interlace::LensLayout layout = interlace::lensLayoutOf(settings_, W, H);
    std::vector<interlace::MappedFrame> mapped(static_cast<std::size_t>(n));
    std::vector<MemoryFrame> inMemory(static_cast<std::size_t>(n));
    // Frames read row by row are converted row by row as they are decoded.
    std::vector<std::shared_ptr<const raster::ColourTransform>> transforms(
        static_cast<std::size_t>(n));
    platform::runTasks(n, run.threads, [&](int index) {
        const auto at = static_cast<std::size_t>(index);
        frames::OpenedFrame& frame = opened[at];
        const bool convert = colours.coloursOf(frame.colourProfile) != target;
        if (frame.rows) {
            if (convert) {
                transforms[at] = std::make_shared<const raster::ColourTransform>(
                    colours.coloursOf(frame.colourProfile), target);
            }
            mapped[at] = {frame.width(), frame.height(), false};
            return;
        }
        const raster::FrameMemory memory(run.cancel);
        raster::RasterImage whole = std::move(frame.whole);
        if (convert) raster::convertColours(whole, colours.coloursOf(frame.colourProfile), target);
        inMemory[at] = mapInMemory(std::move(whole), settings_, W, H, run);
        mapped[at] = inMemory[at].mapped;
    });
    const std::int32_t lastWidth = opened.back().width();
    const std::int32_t lastHeight = opened.back().height();
    const interlace::LensMap map(layout, mapped);
    const interlace::BandPlan plan(map, interlace::kComposeBandRows);
    std::vector<std::unique_ptr<interlace::FrameRows>> rows;
    std::vector<interlace::FrameRows*> pointers;
    rows.reserve(static_cast<std::size_t>(n));
    pointers.reserve(static_cast<std::size_t>(n));
    for (int f = 0; f < n; ++f) {
        const auto at = static_cast<std::size_t>(f);
        if (opened[at].rows) {
            std::function<void(std::uint8_t*, std::int32_t)> convert;
            if (const auto transform = transforms[at])
                convert = [transform](std::uint8_t* row, std::int32_t width) {
                    transform->apply(row, width);
                };
            rows.push_back(std::make_unique<interlace::StreamedFrameRows>(
                std::move(opened[at].rows), plan.widestSpan(f), std::move(convert)));
        } else {
            rows.push_back(
                std::make_unique<interlace::WholeFrameRows>(std::move(inMemory[at].pixels)));
        }
        pointers.push_back(rows.back().get());
    }
    interlace::BandSink& sink = openSink(colours.compositeProfile(profiles_.data(), n));
    interlace::composeInBands(map, pointers, calibration, sink, progress, run);
    keepSizes(state_, layout, lastWidth, lastHeight);
    return std::nullopt;
}

}  // namespace lenzora::compose
