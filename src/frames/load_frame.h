#pragma once
// Filling a slot with a chosen picture file: the working copy of a JPEG, PNG or TIFF frame,
// the thumbnail.

#include <string>

#include "frames/frame_slots.h"
#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::frames {

inline constexpr int kThumbnailWidth = 65;
inline constexpr int kThumbnailHeight = 57;

enum class FrameLoadResult { Loaded, FormatError };

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

}  // namespace lenzora::frames
