#include "frames/load_frame.h"

#include "core/working_files.h"
#include "platform/drive_paths.h"
#include "raster/jpeg_codec.h"

namespace lenzora::frames {
namespace {

void drawThumbnail(raster::RasterImage& thumbnail, const raster::RasterImage& frame) {
    if (thumbnail.empty()) {
        thumbnail.create(raster::PixelFormat::Bgr24, kThumbnailWidth, kThumbnailHeight);
    }
    thumbnail.stretchImage({0, 0, kThumbnailWidth, kThumbnailHeight}, frame);
}

}  // namespace

FrameLoadResult loadFrameFile(std::string& slotPath, const std::string& chosenPath, int slot,
                              raster::RasterImage& thumbnail) {
    raster::RasterImage frame;
    return loadFrameFileKeeping(slotPath, chosenPath, slot, thumbnail, frame);
}

FrameLoadResult loadFrameFileKeeping(std::string& slotPath, const std::string& chosenPath, int slot,
                                     raster::RasterImage& thumbnail, raster::RasterImage& frame) {
    slotPath = chosenPath;
    switch (frameKindOf(chosenPath)) {
        case FrameKind::Jpeg: {
            frame = raster::loadJpegFile(platform::hostPath(chosenPath));
            const std::string workingCopy = core::workingCopyPath(slot);
            frame.saveBmpFile(platform::hostPath(workingCopy));
            drawThumbnail(thumbnail, frame);
            slotPath = workingCopy;
            return FrameLoadResult::Loaded;
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
