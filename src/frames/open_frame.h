#pragma once
// A frame opened for a compose straight from its file, which writes no working copy and draws no
// thumbnail: read row by row as the compose needs its rows when its format and picture allow,
// otherwise read whole (and turned upright) now.

#include <memory>
#include <string>

#include "platform/file_io.h"
#include "raster/raster_image.h"
#include "raster/row_reader.h"

namespace lenzora::frames {

struct OpenedFrame {
    std::unique_ptr<raster::RowReader> rows;  // the frame read row by row, or none
    raster::RasterImage whole;                // or the whole frame, upright
    platform::Bytes colourProfile;            // an RGB profile, or empty

    std::int32_t width() const { return rows ? rows->width() : whole.width(); }
    std::int32_t height() const { return rows ? rows->height() : whole.height(); }
};

// Opens `chosenPath` (a host path) as loadFrameFile would read it: a file of an unaccepted kind
// throws "File format error!"; a picture recorded in another orientation is read whole and
// turned upright while frames are (see setUprightPhotos). What a whole read allocates is
// checked against the process's memory budget as it is made.
OpenedFrame openFrameFile(const std::string& chosenPath);

}  // namespace lenzora::frames
