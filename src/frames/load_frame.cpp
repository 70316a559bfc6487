#include "frames/load_frame.h"

#include "core/working_files.h"
#include "platform/drive_paths.h"
#include "raster/colour_profile.h"
#include "raster/jpeg_codec.h"
#include "raster/png_codec.h"
#include "raster/tiff_codec.h"

namespace lenzora::frames {
namespace {

// The decoded frame becomes the slot's working copy, so everything after loading reads BMP.
FrameLoadResult keepWorkingCopy(std::string& slotPath, int slot, const raster::RasterImage& frame,
                                raster::RasterImage& thumbnail);

void drawThumbnail(raster::RasterImage& thumbnail, const raster::RasterImage& frame) {
    if (thumbnail.empty()) {
        thumbnail.create(raster::PixelFormat::Bgr24, kThumbnailWidth, kThumbnailHeight);
    }
    thumbnail.stretchImage({0, 0, kThumbnailWidth, kThumbnailHeight}, frame);
}

FrameLoadResult keepWorkingCopy(std::string& slotPath, int slot, const raster::RasterImage& frame,
                                raster::RasterImage& thumbnail) {
    const std::string workingCopy = core::workingCopyPath(slot);
    frame.saveBmpFile(platform::hostPath(workingCopy));
    drawThumbnail(thumbnail, frame);
    slotPath = workingCopy;
    return FrameLoadResult::Loaded;
}

}  // namespace

FrameLoadResult loadFrameFile(std::string& slotPath, const std::string& chosenPath, int slot,
                              raster::RasterImage& thumbnail, platform::Bytes* colourProfile) {
    raster::RasterImage frame;
    return loadFrameFileKeeping(slotPath, chosenPath, slot, thumbnail, frame, colourProfile);
}

FrameLoadResult loadFrameFileKeeping(std::string& slotPath, const std::string& chosenPath, int slot,
                                     raster::RasterImage& thumbnail, raster::RasterImage& frame,
                                     platform::Bytes* colourProfile) {
    slotPath = chosenPath;
    if (colourProfile != nullptr) colourProfile->clear();
    platform::Bytes profile;
    // Only what describes the decoded pixels counts; a grey or CMYK profile does not.
    auto keepProfile = [&] {
        if (colourProfile != nullptr && raster::isRgbProfile(profile)) {
            *colourProfile = std::move(profile);
        }
    };
    switch (frameKindOf(chosenPath)) {
        case FrameKind::Jpeg: {
            frame = raster::loadJpegFile(platform::hostPath(chosenPath), &profile);
            keepProfile();
            return keepWorkingCopy(slotPath, slot, frame, thumbnail);
        }
        case FrameKind::Png: {
            frame = raster::loadPngFile(platform::hostPath(chosenPath), &profile);
            keepProfile();
            return keepWorkingCopy(slotPath, slot, frame, thumbnail);
        }
        case FrameKind::Tiff: {
            frame = raster::loadTiffFile(platform::hostPath(chosenPath), &profile);
            keepProfile();
            return keepWorkingCopy(slotPath, slot, frame, thumbnail);
        }
        case FrameKind::Bmp: {
            frame.loadBmpFile(platform::hostPath(chosenPath));
            drawThumbnail(thumbnail, frame);
            return FrameLoadResult::Loaded;
        }
        case FrameKind::Unaccepted:
            break;
    }
    slotPath.clear();
    return FrameLoadResult::FormatError;
}

}  // namespace lenzora::frames
