#include "frames/load_frame.h"

#include "app/working_files.h"
#include "platform/drive_paths.h"
#include "raster/jpeg_codec.h"

namespace lenzora {
namespace {

void drawThumbnail(raster::RasterImage& thumbnail, const raster::RasterImage& frame) {
    if (thumbnail.empty()) {
        thumbnail.CreateImage(raster::PixelFormat::Bgr24, kThumbnailWidth, kThumbnailHeight);
    }
    thumbnail.StretchImage({0, 0, kThumbnailWidth, kThumbnailHeight}, frame);
}

}  // namespace

FrameLoadResult loadFrameFile(std::string& slotPath, const std::string& chosenPath, int slot,
                              raster::RasterImage& thumbnail) {
    slotPath = chosenPath;
    switch (frameKindOf(chosenPath)) {
        case FrameKind::Jpeg: {
            raster::RasterImage frame = raster::LoadJpegFile(platform::hostPath(chosenPath));
            const std::string workingCopy = workingCopyPath(slot);
            frame.SaveBmpFile(platform::hostPath(workingCopy));
            drawThumbnail(thumbnail, frame);
            slotPath = workingCopy;
            return FrameLoadResult::Loaded;
        }
        case FrameKind::Bmp: {
            raster::RasterImage frame;
            frame.LoadBmpFile(platform::hostPath(chosenPath));
            drawThumbnail(thumbnail, frame);
            return FrameLoadResult::Loaded;
        }
        case FrameKind::Unaccepted:
            break;
    }
    slotPath.clear();
    return FrameLoadResult::FormatError;
}

}  // namespace lenzora
