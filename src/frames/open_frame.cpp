#include "frames/open_frame.h"

#include "frames/load_frame.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "platform/translation.h"
#include "raster/colour_profile.h"
#include "raster/memory_budget.h"
#include "raster/orientation.h"
#include "raster/picture_formats.h"
#include "raster/size_limit.h"

namespace lenzora::frames {

OpenedFrame openFrameFile(const std::string& chosenPath) {
    const raster::PictureFormat* format = raster::frameFormatOf(chosenPath);
    if (format == nullptr) {
        throw platform::Error(platform::translate("lenzora::compose", "File format error!"));
    }
    const std::filesystem::path host = platform::hostPath(chosenPath);
    OpenedFrame opened;
    if (format->openRows != nullptr) {
        opened.rows = format->openRows(host);
        if (opened.rows &&
            (!uprightPhotos() || opened.rows->orientation() == raster::Orientation::AsStored)) {
            if (raster::isRgbProfile(opened.rows->colourProfile()))
                opened.colourProfile = opened.rows->colourProfile();
            return opened;
        }
        opened.rows.reset();
    }
    const raster::FrameMemory memory;
    platform::Bytes profile;
    raster::Orientation orientation = raster::Orientation::AsStored;
    // A BMP carries neither profile nor orientation.
    const bool bitmap = format == &raster::bitmapFormat();
    opened.whole = format->read(host, bitmap ? nullptr : &profile,
                                bitmap || !uprightPhotos() ? nullptr : &orientation);
    try {
        raster::turnUpright(opened.whole, orientation);
    } catch (const raster::ImageTooLarge& e) {
        throw platform::Error(e.messageFor(host.string()));
    }
    if (raster::isRgbProfile(profile)) opened.colourProfile = std::move(profile);
    return opened;
}

}  // namespace lenzora::frames
