#pragma once
// One compose from frame slots to composite: the frames the window's slots or the batch tool's
// file names fill, the frame count they raise, the output size and its refusal, strip
// preparation, interlacing, the calibration band and the preview. The main window, the batch
// tool and the compose benchmark all run their compose through this class.
//
// The composite is published as a snapshot that nobody writes: a window showing it holds its
// own copy of the pointer, which a new compose or the calibration band never touches (each
// makes a new one), so a compose on another thread never writes pixels a window reads.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/output_settings.h"
#include "frames/frame_slots.h"
#include "frames/load_frame.h"
#include "interlace/band_compose.h"
#include "interlace/compose_state.h"
#include "interlace/interlace_frames.h"
#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::compose {

// For tests that hold a compose mid-way: `hook` is called on the compose's threads once each
// frame (slot 1 ... n) is loaded, before it is prepared; empty, nothing is called. Set it only
// while no compose runs.
void setFrameLoadedHook(std::function<void(int slot)> hook);

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

    // Empties every slot (its thumbnail and profile too) and puts the frame count back to two
    // with the resolution worked out again, as at start-up: a job's frames start afresh. The
    // working files stay until the program closes.
    void clearFrames();

    // The frame-count rule once a slot's choice is over (loaded or cancelled): a slot from 3 up
    // that holds a frame raises the count and the resolution is worked out again. Returns
    // whether the settings changed.
    bool countFrame(int slot);

    // Gives two slots each other's frames: path, thumbnail, colour profile and working copy.
    // The working copies are exchanged on disk, so that each slot still owns only its own
    // file; a slot that named its working copy names the other slot's afterwards. Then the
    // frame-count rule for both; returns whether the settings changed. Not while composing.
    bool swapSlots(int a, int b);
    // Empties a slot: path, thumbnail and colour profile; its working copy is deleted. The
    // frame count stays.
    void clearSlot(int slot);
    // The loaded frames in reverse order, in the slots they fill.
    void reverseFrames();

    // Why a compose cannot start: the first slot within the frame count that is empty.
    std::optional<std::string> missingFrame() const;

    // A bleed of `millimetres` on every side of the next output size: the composite grows by
    // bleedPixels() on each side, so that a sheet's copies run beyond their trim.
    void setBleed(long double millimetres) { bleedMillimetres_ = millimetres; }
    // The bleed in whole pixels at the present resolution: nearest(mm / 25.4 * resolution).
    std::int32_t bleedPixels() const;

    // Sets the output size from the texts of the width and height boxes (a text that is no
    // number throws the conversion error), with the bleed added on every side, and returns
    // the message refusing it, if any.
    std::optional<std::string> setOutputSize(std::string_view widthText,
                                             std::string_view heightText);
    // Which limit the last size set hits, if any: a size too large for memory alone can
    // still be composed by the batch tool, straight into its file.
    interlace::OutputLimit sizeLimit() const { return sizeLimit_; }

    // The batch tool's whole job: fills slots 1 ... n with the n files and counts them (a file
    // of an unaccepted kind throws "File format error!", an empty slot within the count its
    // message), sets the output size from the box texts (returning its refusal, if any,
    // before any file is read), then composes as compose() does, loading each frame as it is
    // prepared, on the run's threads (a JPEG frame band by band), and publishes the composite.
    // Everything comes out as loadFrames, setOutputSize and compose give. `beforeReading`, if
    // given, is called once the settings and output size are known and before any file is
    // read: a caller that refuses the job by its size (a sheet of copies) throws there.
    std::optional<std::string> composeFiles(const std::vector<std::string>& chosenPaths,
                                            std::string_view widthText, std::string_view heightText,
                                            interlace::ComposeProgress& progress,
                                            const interlace::ComposeRun& run,
                                            const std::function<void()>& beforeReading = {});

    // Where a compose straight from the files puts its composite, once the composite's colour
    // profile is known: a file written band by band, or an image in memory. The sink is the
    // caller's, and outlives the compose.
    using SinkOpener = std::function<interlace::BandSink&(const platform::Bytes& profile)>;

    // The batch tool's compose without working files: fills and counts the slots, sets the
    // output size and calls `beforeReading` as composeFiles does, then makes the composite a
    // band of rows at a time straight from the frames' files into the sink `openSink` gives,
    // with the calibration band when `calibration`. No working copy, strip file or thumbnail
    // is written and nothing is published: the composite is the sink's, byte for byte the one
    // composeFiles and setCalibrationBand give. Frames are read row by row where their format
    // allows (see frames::openFrameFile), so the composite's size is bounded by its file, not
    // by memory. The only refusal returned is a size too small; the sink refuses a size its
    // format cannot hold.
    std::optional<std::string> composeStraight(const std::vector<std::string>& chosenPaths,
                                               std::string_view widthText,
                                               std::string_view heightText, bool calibration,
                                               interlace::ComposeProgress& progress,
                                               const interlace::ComposeRun& run,
                                               const std::function<void()>& beforeReading,
                                               const SinkOpener& openSink);

    // A whole compose on the caller's thread: startCompose, buildComposite, publishComposite.
    void compose(interlace::ComposeProgress& progress, const interlace::ComposeRun& run = {});

    // A compose on a thread of its own, in three steps. First, on the owner's thread: when
    // nothing but the session holds the published composite, it goes with the compose, whose
    // new composite then takes its buffer once the frames are prepared (composite() is empty
    // until publishComposite()).
    void startCompose();
    // Then, on any one thread, while the owner calls nothing else of the session: prepares the
    // strip files of the frames from the slots' files, then interlaces them into a new composite
    // kept apart from the published one, on the run's threads. Frames whose colour profiles
    // differ are first converted to the first frame's profile (a frame without one counts as
    // sRGB), each into a colour copy of its own. A cancelled compose throws platform::Cancelled
    // and builds no composite (see interlace::interlaceFrames).
    void buildComposite(interlace::ComposeProgress& progress,
                        const interlace::ComposeRun& run = {});
    // The main window's reduced copy of the composite just built.
    raster::RasterImage builtPreview() const;
    // Last, on the owner's thread, however the compose ended: the new composite and its colour
    // profile become the published ones. A compose that built none leaves the last composite
    // (the one handed over, when the compose failed before it was freed).
    void publishComposite();

    // Publishes the composite with the calibration band added (ticked) or removed, as a new
    // snapshot; nothing before a compose.
    void setCalibrationBand(bool ticked);

    // The reduced copy the main window shows: a fresh composite at 1 / 3.5 of its size; with
    // the calibration band changed, at 1 / 4.
    raster::RasterImage composePreview() const;
    raster::RasterImage calibrationPreview() const;

    // Lets go of the composite (the program is closing, or a compose was stopped).
    void discardComposite() { composite_.reset(); }

    const core::OutputSettings& settings() const { return settings_; }
    const frames::FrameSlots& frameSlots() const { return slots_; }
    // The file last chosen for `slot` (the picture itself, not its working copy); empty when
    // the slot is empty.
    const std::string& chosenFile(int slot) const {
        return chosenFiles_[static_cast<std::size_t>(slot - 1)];
    }
    const raster::RasterImage& thumbnail(int slot) const {
        return thumbnails_[static_cast<std::size_t>(slot - 1)];
    }
    const interlace::ComposeState& state() const { return state_; }
    // The published composite: empty before the first compose.
    const raster::RasterImage& composite() const;
    // The same as a snapshot to keep (null before the first compose), unchanged by what the
    // session does next.
    std::shared_ptr<const raster::RasterImage> compositeSnapshot() const { return composite_; }
    // The colour profile of the composite's pixels, for the saved file: the frames' common
    // profile, the one they were converted to, or empty when no frame carries one.
    const platform::Bytes& compositeProfile() const { return compositeProfile_; }

  private:
    // Counts slots 1 ... count as the window counts each slot's choice, in slot order.
    void countFrames(int count);
    // The compose's one route: frames from the slots' files, or, given `chosenPaths`, each
    // loaded from its chosen file as it is prepared (band by band when it can be).
    void buildFrom(const std::vector<std::string>* chosenPaths,
                   interlace::ComposeProgress& progress, const interlace::ComposeRun& run);
    // Fills the slots with the chosen files' names and counts them, as composeFiles does.
    void nameFrames(const std::vector<std::string>& chosenPaths);
    // On the printer's grid: the frames read whole from the slots' files, in the colours of
    // `load`, then made into the composite straight from their pixels.
    void buildOnGrid(const std::function<raster::RasterImage(int slot)>& load,
                     interlace::ComposeProgress& progress, const interlace::ComposeRun& run);

    core::OutputSettings& settings_;
    frames::FrameSlots slots_;
    std::array<std::string, core::kMaxFrames> chosenFiles_;
    std::array<raster::RasterImage, core::kMaxFrames> thumbnails_;
    std::array<platform::Bytes, core::kMaxFrames> profiles_;
    interlace::ComposeState state_;
    long double bleedMillimetres_ = 0;
    interlace::OutputLimit sizeLimit_ = interlace::OutputLimit::None;
    // Published; held mutable here so that the session alone may reuse it in place.
    std::shared_ptr<raster::RasterImage> composite_;
    platform::Bytes compositeProfile_;
    // The compose's own until published: the composite it builds (or the one handed over to
    // it), and its colour profile.
    raster::RasterImage built_;
    platform::Bytes builtProfile_;
};

}  // namespace lenzora::compose
