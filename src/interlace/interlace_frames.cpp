#include "interlace/interlace_frames.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "core/numbers.h"
#include "core/output_settings.h"
#include "core/working_files.h"
#include "interlace/prepare_frame.h"
#include "platform/drive_paths.h"
#include "platform/translation.h"
#include "raster/memory_budget.h"
#include "raster/size_limit.h"

namespace lenzora::interlace {
namespace {

// A BMP file counts its bytes in 32 bits; the band of the calibration lines may add up to
// 4 lens periods of 16 frames of the widest strips to one side.
bool fitsABmpFile(std::int64_t width, std::int64_t height) {
    const std::int64_t stride = (width * 3 + 3) / 4 * 4;
    return stride * height + 54 < (std::int64_t{1} << 32);
}

// The composite is made whole in memory, before any of it can be written.
bool fitsInMemory(std::int64_t width, std::int64_t height) {
    const std::int64_t stride = (width * 3 + 3) / 4 * 4;
    return raster::fitsInMemory(static_cast<std::uint64_t>(stride * height));
}

// Rows of the composite copied as one task: small enough that the threads share the work
// evenly, large enough that a task is more than its own bookkeeping.
constexpr std::int32_t kBandRows = 256;

// Frames whose strips are copied band by band together: a pass over a large composite's
// memory costs more than the copies of one frame (16 frames of one-pixel strips: half the time).
// A strip image is about 1 / n of the composite; the strips waiting for their group stay under a
// fifth of it, at most three.
std::size_t framesPerGroup(int frameCount) {
    return std::min<std::size_t>(4, 1 + static_cast<std::size_t>(frameCount) / 5);
}

// Units of progress per frame: reading it, squeezing it and writing its strip file, then
// copying its strips (spread over its bands), with reading its strip file back first over an
// old composite; and whitening the new composite (spread over its bands), which costs about
// as much as the copies of one frame in five. Measured for 16 frames of 12 megapixels: over an
// old composite the frames are prepared in a little over half the time.
constexpr std::int64_t kReadUnits = 300;
constexpr std::int64_t kSqueezeUnits = 600;
constexpr std::int64_t kWriteUnits = 100;
constexpr std::int64_t kPrepareUnits = kReadUnits + kSqueezeUnits + kWriteUnits;
constexpr std::int64_t kCopyUnits = 250;
constexpr std::int64_t kReadBackUnits = 300;
constexpr std::int64_t kWhitenUnits = 200;

// The units of a whole compose of n frames, with the strips read back or not.
std::int64_t composeUnits(int frameCount, bool readBack) {
    return frameCount *
           (kPrepareUnits + kCopyUnits + kWhitenUnits + (readBack ? kReadBackUnits : 0));
}

// Adds up the work done on all threads and reports it one call at a time.
class ProgressTally {
  public:
    ProgressTally(ComposeProgress& sink, std::int64_t total) : sink_(sink), total_(total) {
        sink_.reached(0, total_);
    }
    void add(std::int64_t units) {
        const std::lock_guard<std::mutex> lock(lock_);
        done_ += units;
        sink_.reached(done_, total_);
    }

  private:
    ComposeProgress& sink_;
    std::mutex lock_;
    std::int64_t total_;
    std::int64_t done_ = 0;
};

void checkCancel(const ComposeRun& run) {
    if (run.cancel != nullptr) run.cancel->check();
}

// One strip copy per lens; the copies of a frame never overlap, so they go together, row by
// row, instead of one narrow column after the other. Each copy spans the whole height of this
// frame's own strip image (here cut to the band of rows [top, bottom)): the scaled size of
// another frame would cut rows off or leave them white.
void interlaceColumns(const raster::RasterImage& strip, int q, int s, int p, const ComposeState& st,
                      std::int32_t top, std::int32_t bottom, raster::RasterImage& composite) {
    bottom = std::min(bottom, strip.height());
    if (bottom <= top) return;
    std::vector<raster::RasterImage::AreaCopy> copies;
    copies.reserve(static_cast<std::size_t>(st.outputWidth / p) + 2);
    std::int32_t x = (q - 1) * s;
    std::int32_t u = 0;
    do {
        copies.push_back({{x, top, x + s, bottom}, {u, top, u + s, bottom}});
        x += p;
        u += s;
    } while (x <= st.outputWidth);
    composite.copyAreas(strip, copies);
}

// As the columns, with each copy spanning the whole width of this frame's own strip image;
// here the copies of lenses [firstLens, endLens).
void interlaceRows(const raster::RasterImage& strip, int q, int s, int p, std::int64_t firstLens,
                   std::int64_t endLens, raster::RasterImage& composite) {
    const std::int32_t w = strip.width();
    for (std::int64_t lens = firstLens; lens < endLens; ++lens) {
        const auto y = static_cast<std::int32_t>(std::int64_t{q - 1} * s + lens * p);
        const auto v = static_cast<std::int32_t>(lens * s);
        composite.copyArea({0, y, w, y + s}, strip, {0, v, w, v + s});
    }
}

// The lenses whose copies the rows mode makes for frame q: the copy at y = (q - 1) s + L p
// is made while y <= H, and always the first.
std::int64_t rowLensCount(int q, int s, int p, std::int32_t H) {
    const std::int64_t first = std::int64_t{q - 1} * s;
    return first > H ? 1 : (H - first) / p + 1;
}

// One frame's strip image, ready to be copied into the composite.
struct FrameStrip {
    int q = 0;
    raster::RasterImage strip;
};

// The strips of several frames into the composite, a band at a time on the run's threads, every
// frame of the group within a band before the next band: each pass over the composite's memory
// then serves all of them, not one.
void interlaceGroup(std::span<const FrameStrip> group, int s, int p, int mode,
                    const ComposeState& st, const ComposeRun& run, ProgressTally& tally,
                    raster::RasterImage& composite) {
    if (group.empty()) return;
    const auto frames = static_cast<std::int64_t>(group.size());
    if (mode == core::kModeColumns) {
        std::int32_t rows = 1;
        for (const FrameStrip& f : group)
            rows = std::max(rows, std::min(f.strip.height(), composite.height()));
        const int bands = static_cast<int>((rows + kBandRows - 1) / kBandRows);
        platform::runTasks(bands, run.threads, [&](int band) {
            checkCancel(run);
            const std::int32_t top = band * kBandRows;
            for (const FrameStrip& f : group)
                interlaceColumns(f.strip, f.q, s, p, st, top, std::min(rows, top + kBandRows),
                                 composite);
            tally.add(frames * (kCopyUnits * (band + 1) / bands - kCopyUnits * band / bands));
        });
        return;
    }
    std::int64_t lenses = 1;
    for (const FrameStrip& f : group)
        lenses = std::max(lenses, rowLensCount(f.q, s, p, st.outputHeight));
    const std::int64_t lensesPerBand = std::max<std::int64_t>(1, kBandRows / std::max(1, s));
    const int bands = static_cast<int>((lenses + lensesPerBand - 1) / lensesPerBand);
    platform::runTasks(bands, run.threads, [&](int band) {
        checkCancel(run);
        const std::int64_t first = band * lensesPerBand;
        for (const FrameStrip& f : group) {
            const std::int64_t own = rowLensCount(f.q, s, p, st.outputHeight);
            interlaceRows(f.strip, f.q, s, p, first, std::min(own, first + lensesPerBand),
                          composite);
        }
        tally.add(frames * (kCopyUnits * (band + 1) / bands - kCopyUnits * band / bands));
    });
}

// Each frame works out its own sizes; the state keeps those of the last frame prepared in a
// row from frame 1, as if the frames had gone one after the other.
class PreparedSizes {
  public:
    PreparedSizes(int frameCount, const ComposeState& start)
        : prepared_(static_cast<std::size_t>(frameCount), start),
          done_(static_cast<std::size_t>(frameCount)) {}
    ComposeState& of(int index) { return prepared_[static_cast<std::size_t>(index)]; }
    void finished(int index) { done_[static_cast<std::size_t>(index)].store(true); }
    void keepLastInARow(ComposeState& state) const {
        std::size_t count = 0;
        while (count < done_.size() && done_[count].load()) ++count;
        if (count > 0) state = prepared_[count - 1];
    }

  private:
    std::vector<ComposeState> prepared_;
    std::vector<std::atomic<bool>> done_;
};

// Prepares frame q into its strip file and hands back the strip image; `checkpoint` is called
// once the frame is read and once its strip image is made.
using FramePreparer =
    std::function<void(int q, ComposeState& state, const std::function<void()>& checkpoint,
                       raster::RasterImage& strip)>;

// Each frame loaded by `load`, then prepared from memory: as it was read, or band by band as
// `load` hands it over.
FramePreparer preparerFor(const FrameLoader& load, int frameCount, int mode,
                          const ComposeRun& run) {
    return [&load, frameCount, mode, &run](int q, ComposeState& frameState,
                                           const std::function<void()>& checkpoint,
                                           raster::RasterImage& strip) {
        // The frame's memory stays reserved until it is prepared and let go.
        const raster::FrameMemory memory(run.cancel);
        BandedPreparation banded(frameCount, mode, frameState, [&] { checkCancel(run); });
        raster::RasterImage frame = load(q, banded);
        checkpoint();
        if (banded.taken()) {
            checkpoint();
            banded.finish(core::stripFilePath(q), strip);
            return;
        }
        prepareFrameImage(std::move(frame), core::stripFilePath(q), frameCount, mode, frameState,
                          PrepareMethod::Direct, checkpoint, &strip, run.cancel);
    };
}

// Frame q as its slot's file holds it.
FrameLoader fromFiles(const frames::FrameSlots& slots) {
    return [&slots](int q, frames::FrameBands& /*bands*/) {
        raster::RasterImage frame;
        frame.loadBmpFile(platform::hostPath(slots[q]));
        return frame;
    };
}

void prepareAll(const FramePreparer& prepare, int frameCount, ComposeState& state,
                const ComposeRun& run, ProgressTally& tally) {
    PreparedSizes prepared(frameCount, state);
    try {
        platform::runTasks(frameCount, run.threads, [&](int index) {
            checkCancel(run);
            int step = 0;
            raster::RasterImage strip;  // read back from its file once every frame is prepared
            prepare(
                index + 1, prepared.of(index),
                [&] {
                    checkCancel(run);
                    tally.add(step++ == 0 ? kReadUnits : kSqueezeUnits);
                },
                strip);
            tally.add(kWriteUnits);
            prepared.finished(index);
        });
    } catch (...) {
        prepared.keepLastInARow(state);
        throw;
    }
    prepared.keepLastInARow(state);
}

std::size_t calibrationBandBytes(std::int32_t W, std::int32_t H, int p, int mode) {
    const std::int64_t band = std::int64_t{4} * p;
    if (mode == core::kModeColumns) {
        return raster::RasterImage::strideFor(raster::PixelFormat::Bgr24,
                                              static_cast<std::int32_t>(W + band)) *
               static_cast<std::size_t>(H);
    }
    return raster::RasterImage::strideFor(raster::PixelFormat::Bgr24, W) *
           static_cast<std::size_t>(H + band);
}

// A new white composite with room set aside for the calibration band, its rows whitened in
// bands on the run's threads: this first touch of a large composite's memory is a good part of
// a compose, and nothing else can run until it is done.
void makeComposite(raster::RasterImage& composite, const ComposeState& st, int p, int mode,
                   const ComposeRun& run, int frameCount, ProgressTally& tally) {
    composite.reserve(calibrationBandBytes(st.outputWidth, st.outputHeight, p, mode));
    composite.allocate(raster::PixelFormat::Bgr24, st.outputWidth, st.outputHeight);
    const std::int32_t rows = composite.height();
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(composite.width());
    const int bands = (rows + kBandRows - 1) / kBandRows;
    const std::int64_t units = frameCount * kWhitenUnits;
    platform::runTasks(bands, run.threads, [&](int band) {
        checkCancel(run);
        const std::int32_t top = band * kBandRows;
        for (std::int32_t y = top; y < std::min(rows, top + kBandRows); ++y)
            std::memset(composite.row(y), 0xFF, rowBytes);
        tally.add(units * (band + 1) / bands - units * band / bands);
    });
}

// With no composite to keep should the compose fail, the new one is made first and each
// frame's strips go into it as soon as the frame is prepared, from the strip image in memory:
// the strip file is written but not read back. Frames write disjoint pixels, so they go side
// by side; the bytes are those of the two steps.
void composeStraight(const FramePreparer& prepare, int frameCount, int stripWidth, int mode,
                     ComposeState& state, const ComposeRun& run, ProgressTally& tally,
                     raster::RasterImage& composite) {
    const int s = stripWidth;
    const int p = frameCount * stripWidth;
    const ComposeState sizes = state;
    PreparedSizes prepared(frameCount, state);
    ComposeRun withinFrame = run;
    withinFrame.threads = 1;  // the frames themselves share the threads
    // Frames whose strip image is made: they ask for no more large buffers.
    std::atomic<int> squeezed{0};
    // Prepared strips wait for a group to fill; the last frame prepared takes what is left.
    std::mutex waitingLock;
    std::vector<FrameStrip> waiting;
    int waited = 0;
    const std::size_t groupFrames = framesPerGroup(frameCount);
    try {
        makeComposite(composite, sizes, p, mode, run, frameCount, tally);
        platform::runTasks(frameCount, run.threads, [&](int index) {
            checkCancel(run);
            int step = 0;
            FrameStrip done{index + 1, {}};
            prepare(
                index + 1, prepared.of(index),
                [&] {
                    checkCancel(run);
                    if (step == 1) squeezed.fetch_add(1);
                    tally.add(step++ == 0 ? kReadUnits : kSqueezeUnits);
                },
                done.strip);
            tally.add(kWriteUnits);
            prepared.finished(index);
            std::vector<FrameStrip> group;
            bool last = false;
            {
                const std::lock_guard<std::mutex> hold(waitingLock);
                waiting.push_back(std::move(done));
                last = ++waited == frameCount;
                if (last || waiting.size() == groupFrames) group.swap(waiting);
            }
            // No frame is left to prepare once the last is in: its group gets every thread.
            interlaceGroup(group, s, p, mode, sizes, last ? run : withinFrame, tally, composite);
            // Buffers kept for reuse can serve no frame now: they go back on this thread while
            // the others finish, instead of after all of them.
            if (squeezed.load() == frameCount) raster::PixelReuse::windDown();
        });
    } catch (...) {
        prepared.keepLastInARow(state);
        composite = raster::RasterImage();  // half a composite is never kept
        throw;
    }
    prepared.keepLastInARow(state);
}

void interlaceAll(int frameCount, int stripWidth, int mode, const ComposeState& state,
                  const ComposeRun& run, ProgressTally& tally, raster::RasterImage& composite) {
    composite = raster::RasterImage();  // the old composite goes before the new one is made
    try {
        const int s = stripWidth;
        const int p = frameCount * stripWidth;
        // Room for the calibration band, so that ticking it grows the composite in place.
        makeComposite(composite, state, p, mode, run, frameCount, tally);
        FrameStrip frame;
        for (frame.q = 1; frame.q <= frameCount; ++frame.q) {
            checkCancel(run);
            frame.strip.loadBmpFile(platform::hostPath(core::stripFilePath(frame.q)));
            tally.add(kReadBackUnits);
            interlaceGroup({&frame, 1}, s, p, mode, state, run, tally, composite);
        }
    } catch (...) {
        composite = raster::RasterImage();  // half a composite is never shown
        throw;
    }
}
}  // namespace

std::optional<std::string> outputTooSmall(std::int32_t W, std::int32_t H, int frameCount,
                                          int mode) {
    const std::int32_t divided = mode == core::kModeColumns ? W : H;
    if (divided < frameCount || W < 1 || H < 1)
        return platform::translate("lenzora::interlace", kOutputTooSmall);
    return std::nullopt;
}

OutputLimit outputSizeLimit(std::int32_t W, std::int32_t H, int frameCount, int stripWidth,
                            int mode) {
    if (outputTooSmall(W, H, frameCount, mode)) return OutputLimit::TooSmall;
    const std::int64_t band = std::int64_t{4} * frameCount * stripWidth;
    if (!fitsABmpFile(std::int64_t{W} + band, H) || !fitsABmpFile(W, std::int64_t{H} + band))
        return OutputLimit::File;
    if (!fitsInMemory(std::int64_t{W} + band, H) || !fitsInMemory(W, std::int64_t{H} + band))
        return OutputLimit::Memory;
    return OutputLimit::None;
}

std::optional<std::string> outputSizeProblem(std::int32_t W, std::int32_t H, int frameCount,
                                             int stripWidth, int mode) {
    if (auto small = outputTooSmall(W, H, frameCount, mode)) return small;
    if (outputSizeLimit(W, H, frameCount, stripWidth, mode) != OutputLimit::None)
        return platform::translate("lenzora::interlace", kOutputTooLarge);
    return std::nullopt;
}

void interlaceFrames(const frames::FrameSlots& slots, int frameCount, int stripWidth, int mode,
                     ComposeState& state, ComposeProgress& progress, raster::RasterImage& composite,
                     const ComposeRun& run) {
    composeLoadedFrames(fromFiles(slots), frameCount, stripWidth, mode, state, progress, composite,
                        run);
}

void composeLoadedFrames(const FrameLoader& load, int frameCount, int stripWidth, int mode,
                         ComposeState& state, ComposeProgress& progress,
                         raster::RasterImage& composite, const ComposeRun& run) {
    // Each frame's buffer serves the next, the old composite's the new one.
    const raster::PixelReuse reuse;
    ProgressTally tally(progress, composeUnits(frameCount, !composite.empty()));
    const FramePreparer prepare = preparerFor(load, frameCount, mode, run);
    if (composite.empty()) {
        composeStraight(prepare, frameCount, stripWidth, mode, state, run, tally, composite);
        return;
    }
    prepareAll(prepare, frameCount, state, run, tally);
    interlaceAll(frameCount, stripWidth, mode, state, run, tally, composite);
}

raster::RasterImage makePreview(const raster::RasterImage& image, long double divisor) {
    const auto w = static_cast<std::int32_t>(core::nearest(image.width() / divisor));
    const auto h = static_cast<std::int32_t>(core::nearest(image.height() / divisor));
    raster::RasterImage preview;
    preview.create(raster::PixelFormat::Bgr24, w, h);
    preview.stretchImage({0, 0, w, h}, image);
    return preview;
}

}  // namespace lenzora::interlace
