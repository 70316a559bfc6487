#include "compose/compose_session.h"

#include "interlace/calibration_band.h"
#include "interlace/compose_check.h"
#include "interlace/interlace_frames.h"
#include "interlace/output_size.h"
#include "platform/error.h"
#include "platform/translation.h"
#include "platform/work_pool.h"

namespace lenzora::compose {

frames::FrameLoadResult ComposeSession::loadFrame(int slot, const std::string& chosenPath) {
    return frames::loadFrameFile(slots_[slot], chosenPath, slot,
                                 thumbnails_[static_cast<std::size_t>(slot - 1)]);
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
    const interlace::FrameLoader load = [&](int slot) {
        raster::RasterImage frame;
        frames::loadFrameFileKeeping(slots_[slot], chosenPaths[static_cast<std::size_t>(slot - 1)],
                                     slot, thumbnails_[static_cast<std::size_t>(slot - 1)], frame);
        return frame;
    };
    interlace::composeLoadedFrames(load, settings_.frameCount, settings_.stripWidth, settings_.mode,
                                   state_, progress, composite_, run);
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
    interlace::interlaceFrames(slots_, settings_.frameCount, settings_.stripWidth, settings_.mode,
                               state_, progress, composite_, run);
}

void ComposeSession::prepareStrips(interlace::ComposeProgress& progress,
                                   const interlace::ComposeRun& run) {
    interlace::prepareFrames(slots_, settings_.frameCount, settings_.mode, state_, progress, run);
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
