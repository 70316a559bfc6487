#pragma once
// One compose from frame slots to composite: the frames the window's slots or the batch tool's
// file names fill, the frame count they raise, the output size and its refusal, strip
// preparation, interlacing, the calibration band and the preview. The main window, the batch
// tool and the compose benchmark all run their compose through this class.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/output_settings.h"
#include "frames/frame_slots.h"
#include "frames/load_frame.h"
#include "interlace/compose_state.h"
#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::compose {

class ComposeSession {
  public:
    // The settings stay the caller's: boxes and handlers change them between composes, and
    // loading a frame raises their frame count.
    explicit ComposeSession(core::OutputSettings& settings) : settings_(settings) {}

    // Fills `slot` (1 ... 16) with the picture file `chosenPath`: the slot names the file, or
    // the working copy of a JPEG, PNG or TIFF; the thumbnail shows the whole frame; the
    // frame's colour profile is kept for the compose. A file of an
    // unaccepted kind empties the slot ("File format error!" is the caller's to show); a file
    // that cannot be read throws its error.
    frames::FrameLoadResult loadFrame(int slot, const std::string& chosenPath);

    // Fills slots 1 ... n with the n files on `threads` threads and counts each slot as a
    // choice in the window does, in slot order. A file of an unaccepted kind throws "File
    // format error!"; with several failing files the lowest slot's error is thrown.
    void loadFrames(const std::vector<std::string>& chosenPaths, int threads);

    // The frame-count rule once a slot's choice is over (loaded or cancelled): a slot from 3 up
    // that holds a frame raises the count and the resolution is worked out again. Returns
    // whether the settings changed.
    bool countFrame(int slot);

    // Why a compose cannot start: the first slot within the frame count that is empty.
    std::optional<std::string> missingFrame() const;

    // Sets the output size from the texts of the width and height boxes (a text that is no
    // number throws the conversion error) and returns the message refusing it, if any.
    std::optional<std::string> setOutputSize(std::string_view widthText,
                                             std::string_view heightText);

    // The batch tool's whole job: fills slots 1 ... n with the n files and counts them (a file
    // of an unaccepted kind throws "File format error!", an empty slot within the count its
    // message), sets the output size from the box texts (returning its refusal, if any,
    // before any file is read), then loads, prepares and interlaces each frame in one go on
    // the run's threads, converting its colours as compose() would. Everything comes out as
    // loadFrames, setOutputSize and compose give.
    std::optional<std::string> composeFiles(const std::vector<std::string>& chosenPaths,
                                            std::string_view widthText, std::string_view heightText,
                                            interlace::ComposeProgress& progress,
                                            const interlace::ComposeRun& run);

    // Prepares the strip files of the frames, then interlaces them into a new composite, on
    // the run's threads. Frames whose colour profiles differ are first converted to the first
    // frame's profile (a frame without one counts as sRGB), each into a colour copy of its own; a
    // cancelled compose throws platform::Cancelled and leaves no new composite (see
    // interlace::interlaceFrames).
    void compose(interlace::ComposeProgress& progress, const interlace::ComposeRun& run = {});
    // The two halves of compose(), for callers that time them apart.
    void prepareStrips(interlace::ComposeProgress& progress, const interlace::ComposeRun& run = {});
    void interlaceStrips(interlace::ComposeProgress& progress,
                         const interlace::ComposeRun& run = {});

    // Adds (ticked) or removes the calibration band on the composite; nothing before a compose.
    void setCalibrationBand(bool ticked);

    // The reduced copy the main window shows: a fresh composite at 1 / 3.5 of its size; with
    // the calibration band changed, at 1 / 4.
    raster::RasterImage composePreview() const;
    raster::RasterImage calibrationPreview() const;

    // Frees the composite (the program is closing).
    void discardComposite() { composite_ = raster::RasterImage(); }

    const core::OutputSettings& settings() const { return settings_; }
    const frames::FrameSlots& frameSlots() const { return slots_; }
    const raster::RasterImage& thumbnail(int slot) const {
        return thumbnails_[static_cast<std::size_t>(slot - 1)];
    }
    const interlace::ComposeState& state() const { return state_; }
    // Empty before the first compose.
    const raster::RasterImage& composite() const { return composite_; }
    // The colour profile of the composite's pixels, for the saved file: the frames' common
    // profile, the one they were converted to, or empty when no frame carries one.
    const platform::Bytes& compositeProfile() const { return compositeProfile_; }

  private:
    // The slots to prepare from: the frames' own files, or their colour copies. Sets the
    // composite's profile. A stop asked through `cancel` is seen between frames.
    frames::FrameSlots matchColours(const platform::Cancellation* cancel);

    core::OutputSettings& settings_;
    frames::FrameSlots slots_;
    std::array<raster::RasterImage, core::kMaxFrames> thumbnails_;
    std::array<platform::Bytes, core::kMaxFrames> profiles_;
    platform::Bytes compositeProfile_;
    interlace::ComposeState state_;
    raster::RasterImage composite_;
};

}  // namespace lenzora::compose
