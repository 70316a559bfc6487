#include "compose/compose_session.h"
#include "compose/colour_target.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <limits>
#include <utility>

#include "core/working_files.h"
#include "frames/load_frame.h"
#include "interlace/calibration_band.h"
#include "interlace/compose_check.h"
#include "interlace/interlace_frames.h"
#include "interlace/output_size.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/translation.h"
#include "platform/work_pool.h"
#include "raster/colour_profile.h"
#include "raster/memory_budget.h"
#include "raster/picture_formats.h"

namespace lenzora::compose {
namespace {
std::function<void(int)>& frameLoadedHook() {
    static std::function<void(int)> hook;
    return hook;
}

platform::Error formatError() {
    return platform::Error(platform::translate("lenzora::compose", "File format error!"));
}

// Hands a frame on to be taken in bands only when `sameColours` finds it needs no converting
// to the composite's colours, and tells `profileRead` the frame's profile as soon as it is read.
class ColourCheckedBands final : public frames::FrameBands {
  public:
    ColourCheckedBands(frames::FrameBands& taker,
                       std::function<void(const platform::Bytes&)> profileRead,
                       std::function<bool()> sameColours)
        : taker_(taker),
          profileRead_(std::move(profileRead)),
          sameColours_(std::move(sameColours)) {}
    void profileRead(const platform::Bytes& colourProfile) override {
        if (profileRead_) profileRead_(colourProfile);
    }
    bool takeInBands(std::int32_t width, std::int32_t height) override {
        return (!sameColours_ || sameColours_()) && taker_.takeInBands(width, height);
    }
    void band(std::int32_t top, const raster::RasterImage& band, std::int32_t count) override {
        taker_.band(top, band, count);
    }

  private:
    frames::FrameBands& taker_;
    std::function<void(const platform::Bytes&)> profileRead_;
    std::function<bool()> sameColours_;
};
}  // namespace

void setFrameLoadedHook(std::function<void(int slot)> hook) { frameLoadedHook() = std::move(hook); }

frames::FrameLoadResult ComposeSession::loadFrame(int slot, const std::string& chosenPath) {
    const auto index = static_cast<std::size_t>(slot - 1);
    chosenFiles_[index] = chosenPath;  // a file that cannot be read stays named, as the slot
    const frames::FrameLoadResult result = frames::loadFrameFile(
        slots_[slot], chosenPath, slot, thumbnails_[index], &profiles_[index]);
    if (result == frames::FrameLoadResult::FormatError) chosenFiles_[index].clear();
    return result;
}

void ComposeSession::clearFrames() {
    slots_ = frames::FrameSlots();
    chosenFiles_ = {};
    thumbnails_ = {};
    profiles_ = {};
    settings_.frameCount = core::kMinFrames;
    core::recalcResolution(settings_);
}

void ComposeSession::countFrames(int count) {
    for (int slot = 1; slot <= count; ++slot) countFrame(slot);
}

void ComposeSession::loadFrames(const std::vector<std::string>& chosenPaths, int threads) {
    const int count = static_cast<int>(chosenPaths.size());
    platform::runTasks(count, threads, [&](int index) {
        const int slot = index + 1;
        if (loadFrame(slot, chosenPaths[static_cast<std::size_t>(index)]) ==
            frames::FrameLoadResult::FormatError) {
            throw formatError();
        }
    });
    countFrames(count);
}

std::optional<std::string> ComposeSession::composeFiles(
    const std::vector<std::string>& chosenPaths, std::string_view widthText,
    std::string_view heightText, interlace::ComposeProgress& progress,
    const interlace::ComposeRun& run, const std::function<void()>& beforeReading) {
    nameFrames(chosenPaths);
    if (auto refusal = setOutputSize(widthText, heightText)) return refusal;
    if (beforeReading) beforeReading();
    if (settings_.onPrinterGrid()) {
        // Working copies as the window makes them; no strip files on the printer's grid.
        loadFrames(chosenPaths, run.threads);
        compose(progress, run);
        return std::nullopt;
    }
    startCompose();
    try {
        buildFrom(&chosenPaths, progress, run);
    } catch (...) {
        publishComposite();
        throw;
    }
    publishComposite();
    return std::nullopt;
}

void ComposeSession::nameFrames(const std::vector<std::string>& chosenPaths) {
    const int count = static_cast<int>(chosenPaths.size());
    for (int slot = 1; slot <= count; ++slot) {
        const std::string& chosen = chosenPaths[static_cast<std::size_t>(slot - 1)];
        if (raster::frameFormatOf(chosen) == nullptr) throw formatError();
        slots_[slot] = chosen;
        chosenFiles_[static_cast<std::size_t>(slot - 1)] = chosen;
    }
    countFrames(count);
    if (auto missing = missingFrame()) throw platform::Error(*missing);
}

void ComposeSession::buildFrom(const std::vector<std::string>* chosenPaths,
                               interlace::ComposeProgress& progress,
                               const interlace::ComposeRun& run) {
    ColourTarget target(run);
    interlace::FrameLoader load;
    if (chosenPaths == nullptr && settings_.onPrinterGrid()) {
        target.set(profiles_[0]);
        buildOnGrid(
            [&](int slot) {
                raster::RasterImage frame;
                frame.loadBmpFile(platform::hostPath(slots_[slot]));
                target.match(frame, profiles_[static_cast<std::size_t>(slot - 1)], slot);
                return frame;
            },
            progress, run);
        builtProfile_ = target.compositeProfile(profiles_.data(), settings_.frameCount);
        return;
    }
    if (chosenPaths == nullptr) {
        // The frames were loaded into their slots before: every profile is known.
        target.set(profiles_[0]);
        load = [&](int slot, frames::FrameBands& /*bands*/) {
            raster::RasterImage frame;
            frame.loadBmpFile(platform::hostPath(slots_[slot]));
            target.match(frame, profiles_[static_cast<std::size_t>(slot - 1)], slot);
            return frame;
        };
    } else {
        // All frames are read at once. A frame 1 read row by row (JPEG) makes its profile
        // known as soon as it is read, and a frame in its colours needs no converting: it is
        // prepared from its rows as they are decoded. Any other frame is read whole, and waits
        // for frame 1's profile only then, just before converting.
        const raster::PictureFormat* first = raster::frameFormatOf((*chosenPaths)[0]);
        const bool firstReadEarly = first != nullptr && first->readRows != nullptr;
        load = [&, firstReadEarly](int slot, frames::FrameBands& bands) {
            const auto index = static_cast<std::size_t>(slot - 1);
            raster::RasterImage frame;
            if (slot == 1) {
                ColourCheckedBands checked(
                    bands, [&](const platform::Bytes& profile) { target.set(profile); }, {});
                try {
                    frames::loadFrameFileInBands(slots_[1], (*chosenPaths)[0], 1, thumbnails_[0],
                                                 frame, checked, &profiles_[0]);
                } catch (...) {
                    target.failIfUnset();
                    throw;
                }
                if (!target.isSet()) target.set(profiles_[0]);
                return frame;
            }
            platform::Bytes own;
            ColourCheckedBands checked(
                bands, [&](const platform::Bytes& profile) { own = profile; },
                [&] {
                    if (!firstReadEarly && !target.known()) return false;
                    return target.coloursOf(own) == target.await();
                });
            frames::loadFrameFileInBands(slots_[slot], (*chosenPaths)[index], slot,
                                         thumbnails_[index], frame, checked, &profiles_[index]);
            if (frame.empty()) return frame;  // taken in bands, in frame 1's colours
            target.match(frame, profiles_[index], slot);
            return frame;
        };
    }
    const interlace::FrameLoader loadAndTell = [&](int slot, frames::FrameBands& bands) {
        raster::RasterImage frame = load(slot, bands);
        if (frameLoadedHook()) frameLoadedHook()(slot);
        return frame;
    };
    interlace::composeLoadedFrames(loadAndTell, settings_.frameCount, settings_.stripWidth,
                                   settings_.mode, state_, progress, built_, run);
    builtProfile_ = target.compositeProfile(profiles_.data(), settings_.frameCount);
}

bool ComposeSession::countFrame(int slot) {
    return !slots_[slot].empty() && core::frameLoadedInSlot(settings_, slot);
}

bool ComposeSession::swapSlots(int a, int b) {
    if (a == b) return false;
    const std::string copyA = core::workingCopyPath(a);
    const std::string copyB = core::workingCopyPath(b);
    platform::exchangeFiles(platform::hostPath(copyA), platform::hostPath(copyB));
    for (const int slot : {a, b}) {
        std::string& path = slots_[slot];
        if (path == copyA) {
            path = copyB;
        } else if (path == copyB) {
            path = copyA;
        }
    }
    const auto ia = static_cast<std::size_t>(a - 1);
    const auto ib = static_cast<std::size_t>(b - 1);
    std::swap(slots_[a], slots_[b]);
    std::swap(thumbnails_[ia], thumbnails_[ib]);
    std::swap(profiles_[ia], profiles_[ib]);
    std::swap(chosenFiles_[ia], chosenFiles_[ib]);
    const bool changedA = countFrame(a);
    const bool changedB = countFrame(b);
    return changedA || changedB;
}

void ComposeSession::clearSlot(int slot) {
    const auto index = static_cast<std::size_t>(slot - 1);
    slots_[slot].clear();
    chosenFiles_[index].clear();
    thumbnails_[index] = raster::RasterImage();
    profiles_[index].clear();
    platform::removeFileQuietly(platform::hostPath(core::workingCopyPath(slot)));
}

void ComposeSession::reverseFrames() {
    std::vector<int> loaded;
    for (int slot = 1; slot <= core::kMaxFrames; ++slot) {
        if (!slots_[slot].empty()) loaded.push_back(slot);
    }
    for (std::size_t i = 0, j = loaded.size(); i + 1 < j; ++i, --j)
        swapSlots(loaded[i], loaded[j - 1]);
}

std::optional<std::string> ComposeSession::missingFrame() const {
    return interlace::missingFrameMessage(slots_, settings_.frameCount);
}

std::int32_t ComposeSession::bleedPixels() const {
    if (!(bleedMillimetres_ > 0)) return 0;
    return core::toPixelCount(bleedMillimetres_ / 25.4L * core::fromFixed(settings_.resolution),
                              core::Rounding::Nearest);
}

std::optional<std::string> ComposeSession::setOutputSize(std::string_view widthText,
                                                         std::string_view heightText) {
    interlace::composeOutputSize(settings_.pixelWidth, settings_.pixelHeight, settings_.sizeUnit,
                                 widthText, heightText, settings_.resolution,
                                 settings_.onPrinterGrid());
    // The settings keep the trim size; only the composite grows by the bleed.
    const std::int64_t bleed = 2 * std::int64_t{bleedPixels()};
    auto withBleed = [bleed](std::int32_t size) {
        return static_cast<std::int32_t>(
            std::min<std::int64_t>(size + bleed, std::numeric_limits<std::int32_t>::max()));
    };
    state_.outputWidth = withBleed(settings_.pixelWidth);
    state_.outputHeight = withBleed(settings_.pixelHeight);
    // On the grid the calibration band is four periods of the printer's pixels, not strips.
    const int bandStrip =
        settings_.onPrinterGrid()
            ? static_cast<int>(settings_.printLensPeriod() / settings_.frameCount) + 1
            : settings_.stripWidth;
    sizeLimit_ = interlace::outputSizeLimit(state_.outputWidth, state_.outputHeight,
                                            settings_.frameCount, bandStrip, settings_.mode);
    return interlace::outputSizeProblem(state_.outputWidth, state_.outputHeight,
                                        settings_.frameCount, bandStrip, settings_.mode);
}

void ComposeSession::compose(interlace::ComposeProgress& progress,
                             const interlace::ComposeRun& run) {
    startCompose();
    try {
        buildComposite(progress, run);
    } catch (...) {
        publishComposite();
        throw;
    }
    publishComposite();
}

void ComposeSession::startCompose() {
    if (composite_ && composite_.use_count() == 1) {
        built_ = std::move(*composite_);
        composite_.reset();
    }
}

void ComposeSession::buildComposite(interlace::ComposeProgress& progress,
                                    const interlace::ComposeRun& run) {
    buildFrom(nullptr, progress, run);
}

raster::RasterImage ComposeSession::builtPreview() const {
    return interlace::makePreview(built_, 3.5L);
}

void ComposeSession::publishComposite() {
    if (!built_.empty()) {
        composite_ = std::make_shared<raster::RasterImage>(std::move(built_));
        compositeProfile_ = std::move(builtProfile_);
    }
    built_ = raster::RasterImage();
    builtProfile_.clear();
}

const raster::RasterImage& ComposeSession::composite() const {
    static const raster::RasterImage none;
    return composite_ ? *composite_ : none;
}

// The band follows the settings as they are now: the pixel size of the boxes, not the one
// the composite was made at. A composite that nothing else holds is changed in place, in the
// room set aside for the band; one a window holds is copied.
void ComposeSession::setCalibrationBand(bool ticked) {
    if (!composite_) return;
    raster::RasterImage banded;
    if (composite_.use_count() == 1)
        banded = std::move(*composite_);
    else
        banded.copyFrom(*composite_);
    composite_.reset();
    interlace::applyCalibrationBand(
        banded, ticked,
        interlace::lensLayoutOf(settings_, settings_.pixelWidth, settings_.pixelHeight));
    composite_ = std::make_shared<raster::RasterImage>(std::move(banded));
}

raster::RasterImage ComposeSession::composePreview() const {
    return interlace::makePreview(composite(), 3.5L);
}

raster::RasterImage ComposeSession::calibrationPreview() const {
    return interlace::makePreview(composite(), 4.0L);
}

}  // namespace lenzora::compose
