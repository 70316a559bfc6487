#pragma once
// Filling a slot with a chosen picture file: the working copy of a JPEG, PNG or TIFF frame,
// the thumbnail.

#include <cstdint>
#include <string>

#include "frames/frame_slots.h"
#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::frames {

inline constexpr int kThumbnailWidth = 65;
inline constexpr int kThumbnailHeight = 57;

enum class FrameLoadResult { Loaded, FormatError };

// Whether frames are turned upright by the orientation their camera recorded (Exif in a JPEG
// or PNG, the Orientation tag of a TIFF) as they are read: working copy, thumbnail and strips
// alike. On by default; off, frames are taken as stored. Frames loaded from then on follow it,
// on every thread.
void setUprightPhotos(bool upright);
bool uprightPhotos();

// With `chosenPath` the file picked in the open-picture dialog (a host path): the slot path
// becomes that file; a JPEG, PNG or TIFF is decoded and written as the slot's working copy, which
// the slot then names; the whole frame is squeezed into the 65 x 57 thumbnail (made white the first
// time). An unaccepted extension empties the slot and leaves thumbnail and working copy.
// A file that cannot be read throws its error with the slot naming the chosen file.
// `colourProfile`, when given, receives the frame's embedded RGB colour profile (JPEG, PNG and
// TIFF frames), or is emptied.
FrameLoadResult loadFrameFile(std::string& slotPath, const std::string& chosenPath, int slot,
                              raster::RasterImage& thumbnail,
                              platform::Bytes* colourProfile = nullptr);

// The same, handing back in `frame` the frame as the slot's file holds it, for a compose that
// prepares it at once instead of reading the file back.
FrameLoadResult loadFrameFileKeeping(std::string& slotPath, const std::string& chosenPath, int slot,
                                     raster::RasterImage& thumbnail, raster::RasterImage& frame,
                                     platform::Bytes* colourProfile = nullptr);

// Takes a frame's rows a band at a time while it is loaded, instead of the whole frame.
class FrameBands {
  public:
    virtual ~FrameBands() = default;
    // The frame's RGB colour profile (empty: none) as soon as it is read, before any row.
    virtual void profileRead(const platform::Bytes& /*colourProfile*/) {}
    // Whether to take this 24-bit frame in bands, asked before any row (other frames are not
    // offered); otherwise the frame comes back whole.
    virtual bool takeInBands(std::int32_t width, std::int32_t height) = 0;
    // Rows [top, top + count) of the frame: rows 0 ... count - 1 of `band`.
    virtual void band(std::int32_t top, const raster::RasterImage& band, std::int32_t count) = 0;
};

// As loadFrameFileKeeping, but a JPEG frame that `bands` takes goes to it as it is decoded, and
// its working copy and thumbnail are made from the bands; `frame` is then left empty. Other
// frames, and a JPEG frame that is to be turned upright, come back whole in `frame`.
FrameLoadResult loadFrameFileInBands(std::string& slotPath, const std::string& chosenPath, int slot,
                                     raster::RasterImage& thumbnail, raster::RasterImage& frame,
                                     FrameBands& bands, platform::Bytes* colourProfile = nullptr);

}  // namespace lenzora::frames
