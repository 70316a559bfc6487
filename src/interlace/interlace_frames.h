#pragma once

#include <QtGlobal>
#include <functional>
#include <optional>
#include <string>

#include "frames/frame_slots.h"
#include "frames/load_frame.h"
#include "interlace/compose_state.h"
#include "raster/raster_image.h"

namespace lenzora::interlace {

// Limits of an output that the program can make and save: at least one pixel each way, at
// least one pixel per frame along the side the mode divides among the frames (the width in
// columns mode, the height in rows mode), and small enough for a BMP file's 32-bit sizes and
// for the memory available.
inline constexpr const char* kOutputTooSmall =
    QT_TRANSLATE_NOOP("lenzora::interlace", "Output size too small!");
inline constexpr const char* kOutputTooLarge =
    QT_TRANSLATE_NOOP("lenzora::interlace", "Output size too large!");

// The message that refuses W x H as too small, if any: what is left of the limits when the
// composite goes straight into its file, whose writer refuses a size its format cannot hold.
std::optional<std::string> outputTooSmall(std::int32_t W, std::int32_t H, int frameCount, int mode);

// The limit W x H for `frameCount` frames in `mode` is beyond, in that order: too small, too
// large for a BMP file, too large for the memory available (a file could hold it).
enum class OutputLimit { None, TooSmall, File, Memory };
OutputLimit outputSizeLimit(std::int32_t W, std::int32_t H, int frameCount, int stripWidth,
                            int mode);

// The message that refuses W x H for `frameCount` frames in `mode`, if any.
std::optional<std::string> outputSizeProblem(std::int32_t W, std::int32_t H, int frameCount,
                                             int stripWidth, int mode);

// Prepares frames 1 ... frameCount into their strip files, then builds the composite in
// `composite` (replaced by a white W x H image first) by copying every frame's strips side by
// side under each lens: frame q owns the stripWidth pixels at (q - 1) * stripWidth of every
// lens of frameCount * stripWidth pixels. Columns mode: vertical strips; rows mode: horizontal.
//
// The frames are prepared side by side on `run.threads` threads. Over a previous composite
// (which a failed preparation leaves in place) the strips of each frame are then read back and
// copied in bands of rows side by side; with no composite yet, each frame's strips go into
// the new composite from memory as soon as it is prepared. The bytes are the same either way
// and for any number of threads. A cancelled compose stops at the next step of a frame or
// band: every working file written is whole, and no new composite is left.
void interlaceFrames(const frames::FrameSlots& slots, int frameCount, int stripWidth, int mode,
                     ComposeState& state, ComposeProgress& progress, raster::RasterImage& composite,
                     const ComposeRun& run = {});

// Frame q (1 ... frameCount) in memory, as its slot's file holds it (loading it may write
// that file, as a JPEG frame's working copy); or nothing, when `bands` took it as it was read.
using FrameLoader = std::function<raster::RasterImage(int q, frames::FrameBands& bands)>;

// As interlaceFrames, with each frame loaded by `load` on the thread that prepares it, and
// prepared from memory instead of being read back from its slot's file (interlaceFrames is this
// with every frame read from its slot's file). The composite, the working files and the sizes
// kept are those of loading every frame and then interlacing them.
void composeLoadedFrames(const FrameLoader& load, int frameCount, int stripWidth, int mode,
                         ComposeState& state, ComposeProgress& progress,
                         raster::RasterImage& composite, const ComposeRun& run = {});

// A reduced copy for the preview: the image's size divided by `divisor`, rounded half to even,
// filled by nearest-neighbour stretching.
raster::RasterImage makePreview(const raster::RasterImage& image, long double divisor);

}  // namespace lenzora::interlace
