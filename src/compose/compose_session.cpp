#include "compose/compose_session.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <utility>

#include "core/working_files.h"
#include "frames/load_frame.h"
#include "interlace/calibration_band.h"
#include "interlace/compose_check.h"
#include "interlace/interlace_frames.h"
#include "interlace/output_size.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/translation.h"
#include "platform/work_pool.h"
#include "raster/colour_profile.h"

namespace lenzora::compose {
namespace {
// How often a frame waiting for frame 1's colour profile looks for a stop.
constexpr std::chrono::milliseconds kProfileWaitStep{20};

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

frames::FrameLoadResult ComposeSession::loadFrame(int slot, const std::string& chosenPath) {
    const auto index = static_cast<std::size_t>(slot - 1);
    return frames::loadFrameFile(slots_[slot], chosenPath, slot, thumbnails_[index],
                                 &profiles_[index]);
}

frames::FrameSlots ComposeSession::matchColours(const platform::Cancellation* cancel) {
    const auto count = static_cast<std::size_t>(settings_.frameCount);
    bool allSame = true;
    for (std::size_t i = 0; i < count; ++i) allSame = allSame && profiles_[i] == profiles_[0];
    if (allSame) {
        // The pixels stay as they are; the common profile (or none) goes with them.
        compositeProfile_ = profiles_[0];
        return slots_;
    }
    const platform::Bytes srgb = raster::srgbProfile();
    compositeProfile_ = profiles_[0].empty() ? srgb : profiles_[0];
    frames::FrameSlots sources = slots_;
    for (int slot = 1; slot <= settings_.frameCount; ++slot) {
        const platform::Bytes& own = profiles_[static_cast<std::size_t>(slot - 1)];
        const platform::Bytes& from = own.empty() ? srgb : own;
        if (from == compositeProfile_) continue;
        if (cancel != nullptr) cancel->check();
        raster::RasterImage frame;
        frame.loadBmpFile(platform::hostPath(slots_[slot]));
        raster::convertColours(frame, from, compositeProfile_);
        sources[slot] = core::colourCopyPath(slot);
        frame.saveBmpFile(platform::hostPath(sources[slot]));
    }
    return sources;
}

void ComposeSession::loadFrames(const std::vector<std::string>& chosenPaths, int threads) {
    const int count = static_cast<int>(chosenPaths.size());
    platform::runTasks(count, threads, [&](int index) {
        const int slot = index + 1;
        if (loadFrame(slot, chosenPaths[static_cast<std::size_t>(index)]) ==
            frames::FrameLoadResult::FormatError) {
            throw platform::Error(platform::translate("lenzora::compose", "File format error!"));
        }
    });
    for (int slot = 1; slot <= count; ++slot) countFrame(slot);
}

std::optional<std::string> ComposeSession::composeFiles(const std::vector<std::string>& chosenPaths,
                                                        std::string_view widthText,
                                                        std::string_view heightText,
                                                        interlace::ComposeProgress& progress,
                                                        const interlace::ComposeRun& run) {
    const int count = static_cast<int>(chosenPaths.size());
    for (int slot = 1; slot <= count; ++slot) {
        const std::string& chosen = chosenPaths[static_cast<std::size_t>(slot - 1)];
        if (frames::frameKindOf(chosen) == frames::FrameKind::Unaccepted)
            throw platform::Error(platform::translate("lenzora::compose", "File format error!"));
        slots_[slot] = chosen;
    }
    for (int slot = 1; slot <= count; ++slot) countFrame(slot);
    if (auto missing = missingFrame()) throw platform::Error(*missing);
    if (auto refusal = setOutputSize(widthText, heightText)) return refusal;
    // Every frame's colours are matched to the first frame's profile (sRGB when it has none),
    // as matchColours does. All frames are read at once. A JPEG frame 1 makes its profile known
    // as soon as it is read, and a frame of that same profile needs no converting: it is
    // prepared from its rows as they are decoded. Any other frame is read whole, and waits for
    // frame 1's profile only then, just before converting.
    const platform::Bytes srgb = raster::srgbProfile();
    // A frame without a profile counts as sRGB.
    const auto colours = [&](const platform::Bytes& profile) -> const platform::Bytes& {
        return profile.empty() ? srgb : profile;
    };
    platform::Bytes firstRead;
    bool firstSent = false;  // frame 1's thread only
    std::promise<const platform::Bytes*> firstProfile;
    const std::shared_future<const platform::Bytes*> target = firstProfile.get_future().share();
    const auto sendFirst = [&](const platform::Bytes& profile) {
        firstRead = profile;
        firstProfile.set_value(&colours(firstRead));
        firstSent = true;
    };
    // Frame 1's task is taken before any other and only a stop keeps it from loading.
    const auto awaitTarget = [&]() -> const platform::Bytes& {
        while (target.wait_for(kProfileWaitStep) != std::future_status::ready) {
            if (run.cancel != nullptr) run.cancel->check();
        }
        return *target.get();
    };
    const bool firstReadEarly = frames::frameKindOf(chosenPaths[0]) == frames::FrameKind::Jpeg;
    const interlace::FrameLoader load = [&](int slot, frames::FrameBands& bands) {
        const auto index = static_cast<std::size_t>(slot - 1);
        raster::RasterImage frame;
        if (slot == 1) {
            ColourCheckedBands checked(bands, sendFirst, {});
            try {
                frames::loadFrameFileInBands(slots_[1], chosenPaths[0], 1, thumbnails_[0], frame,
                                             checked, &profiles_[0]);
            } catch (...) {
                if (!firstSent) firstProfile.set_exception(std::current_exception());
                throw;
            }
            if (!firstSent) sendFirst(profiles_[0]);
            return frame;
        }
        platform::Bytes own;
        ColourCheckedBands checked(
            bands, [&](const platform::Bytes& profile) { own = profile; },
            [&] {
                if (!firstReadEarly &&
                    target.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
                    return false;
                return colours(own) == awaitTarget();
            });
        frames::loadFrameFileInBands(slots_[slot], chosenPaths[index], slot, thumbnails_[index],
                                     frame, checked, &profiles_[index]);
        if (frame.empty()) return frame;  // taken in bands, in frame 1's colours
        const platform::Bytes& to = awaitTarget();
        const platform::Bytes& from = colours(profiles_[index]);
        if (from != to) {
            raster::convertColours(frame, from, to);
            frame.saveBmpFile(platform::hostPath(core::colourCopyPath(slot)));
        }
        return frame;
    };
    interlace::composeLoadedFrames(load, settings_.frameCount, settings_.stripWidth, settings_.mode,
                                   state_, progress, composite_, run);
    const auto withProfile = [](const platform::Bytes& p) { return !p.empty(); };
    const auto used = profiles_.begin() + settings_.frameCount;
    compositeProfile_ =
        std::any_of(profiles_.begin(), used, withProfile) ? *target.get() : platform::Bytes();
    return std::nullopt;
}

bool ComposeSession::countFrame(int slot) {
    return !slots_[slot].empty() && core::frameLoadedInSlot(settings_, slot);
}

std::optional<std::string> ComposeSession::missingFrame() const {
    return interlace::missingFrameMessage(slots_, settings_.frameCount);
}

std::optional<std::string> ComposeSession::setOutputSize(std::string_view widthText,
                                                         std::string_view heightText) {
    interlace::composeOutputSize(settings_.pixelWidth, settings_.pixelHeight, settings_.sizeUnit,
                                 widthText, heightText, settings_.resolution);
    state_.outputWidth = settings_.pixelWidth;
    state_.outputHeight = settings_.pixelHeight;
    return interlace::outputSizeProblem(state_.outputWidth, state_.outputHeight,
                                        settings_.frameCount, settings_.stripWidth, settings_.mode);
}

void ComposeSession::compose(interlace::ComposeProgress& progress,
                             const interlace::ComposeRun& run) {
    interlace::interlaceFrames(matchColours(run.cancel), settings_.frameCount, settings_.stripWidth,
                               settings_.mode, state_, progress, composite_, run);
}

void ComposeSession::prepareStrips(interlace::ComposeProgress& progress,
                                   const interlace::ComposeRun& run) {
    interlace::prepareFrames(matchColours(run.cancel), settings_.frameCount, settings_.mode, state_,
                             progress, run);
}

void ComposeSession::interlaceStrips(interlace::ComposeProgress& progress,
                                     const interlace::ComposeRun& run) {
    interlace::interlaceStrips(settings_.frameCount, settings_.stripWidth, settings_.mode, state_,
                               progress, composite_, run);
}

// The band follows the settings as they are now: the pixel size of the boxes, not the one
// the composite was made at.
void ComposeSession::setCalibrationBand(bool ticked) {
    if (composite_.empty()) return;
    interlace::applyCalibrationBand(composite_, ticked, settings_.frameCount, settings_.stripWidth,
                                    settings_.pixelWidth, settings_.pixelHeight, settings_.mode);
}

raster::RasterImage ComposeSession::composePreview() const {
    return interlace::makePreview(composite_, 3.5L);
}

raster::RasterImage ComposeSession::calibrationPreview() const {
    return interlace::makePreview(composite_, 4.0L);
}

}  // namespace lenzora::compose
