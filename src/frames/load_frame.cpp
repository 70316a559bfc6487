#include "frames/load_frame.h"

#include <atomic>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/working_files.h"
#include "platform/drive_paths.h"
#include "platform/error.h"
#include "raster/bmp_band_file.h"
#include "raster/colour_profile.h"
#include "raster/decoded_rows.h"
#include "raster/memory_budget.h"
#include "raster/orientation.h"
#include "raster/picture_formats.h"
#include "raster/size_limit.h"

namespace lenzora::frames {
namespace {

std::atomic<bool> uprightSwitch{true};

// The frame turned upright; a turned copy too large to take is refused as the picture would be.
void turnUpright(raster::RasterImage& frame, raster::Orientation orientation,
                 const std::string& chosenPath) {
    try {
        raster::turnUpright(frame, orientation);
    } catch (const raster::ImageTooLarge& e) {
        throw platform::Error(e.messageFor(platform::hostPath(chosenPath).string()));
    }
}

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

// Rows of a band handed on together: a few hundred kilobytes of a large frame, so that the
// band is still in the cache when the working copy, the thumbnail and the strips are made from
// it. The decoder asks for a few rows beyond the band's before handing them over.
constexpr std::int32_t kBandRows = 32;
constexpr std::int32_t kRowsAhead = 16;

// The row of the frame that thumbnail row d shows: the nearest pick of the stretch rule.
std::int32_t thumbnailSourceRow(std::int32_t d, std::int32_t frameHeight) {
    return static_cast<std::int32_t>((2 * std::int64_t{d} + 1) * frameHeight /
                                     (2 * std::int64_t{kThumbnailHeight}));
}

// A frame decoded either whole, or in bands that go to the working copy, a new thumbnail and
// the taker of the bands. The working copy is put in place only by commit(), after the last
// row.
class FrameRows final : public raster::DecodedRows {
  public:
    FrameRows(int slot, const platform::Bytes& profile, const raster::Orientation& orientation,
              const raster::RasterImage& thumbnail, FrameBands& taker)
        : slot_(slot),
          profile_(profile),
          orientation_(orientation),
          oldThumbnail_(thumbnail),
          taker_(taker) {}

    bool inBands() const { return file_.has_value(); }
    raster::RasterImage takeWhole() { return std::move(whole_.image); }
    raster::RasterImage commit() {
        file_->commit();
        return std::move(thumbnail_);
    }

    void begin(raster::PixelFormat format, std::int32_t width, std::int32_t height) override {
        // The decoder's profile as far as it describes the pixels, as the whole frame keeps it.
        static const platform::Bytes none;
        const platform::Bytes& rgb = raster::isRgbProfile(profile_) ? profile_ : none;
        taker_.profileRead(rgb);
        // Only a 24-bit frame that stands as stored: its rows stand in the working copy as they
        // are. A frame to be turned is turned whole.
        if (format != raster::PixelFormat::Bgr24 || orientation_ != raster::Orientation::AsStored ||
            !taker_.takeInBands(width, height)) {
            whole_.begin(format, width, height);
            return;
        }
        height_ = height;
        band_.allocate(format, width, kBandRows + kRowsAhead);
        line_.allocate(format, width, 1);
        if (oldThumbnail_.empty())
            thumbnail_.create(raster::PixelFormat::Bgr24, kThumbnailWidth, kThumbnailHeight);
        else
            thumbnail_.copyFrom(oldThumbnail_);
        file_.emplace(platform::hostPath(core::workingCopyPath(slot_)), format, width, height);
    }
    std::uint8_t* row(std::int32_t y) override {
        if (!inBands()) return whole_.row(y);
        if (y - top_ >= band_.height()) throw std::logic_error("a row asked for too far ahead");
        return band_.row(y - top_);
    }
    void decodedTo(std::int32_t end) override {
        if (inBands() && (end - top_ >= kBandRows || end == height_)) handOn(end);
    }
    void setPalette(std::vector<raster::Colour> palette) override {
        whole_.setPalette(std::move(palette));
    }

  private:
    void handOn(std::int32_t end) {
        const std::int32_t count = end - top_;
        file_->write(top_, band_, count);
        // The thumbnail's rows one at a time, each stretched as the whole frame's would be.
        for (; thumbRow_ < kThumbnailHeight; ++thumbRow_) {
            const std::int32_t source = thumbnailSourceRow(thumbRow_, height_);
            if (source >= end) break;
            std::memcpy(line_.row(0), band_.row(source - top_), line_.stride());
            thumbnail_.stretchImage({0, thumbRow_, kThumbnailWidth, thumbRow_ + 1}, line_);
        }
        taker_.band(top_, band_, count);
        top_ = end;
    }

    int slot_;
    const platform::Bytes& profile_;
    const raster::Orientation& orientation_;  // told by the decoder before begin()
    const raster::RasterImage& oldThumbnail_;
    FrameBands& taker_;
    raster::WholeImageRows whole_;
    std::optional<raster::BmpBandFile> file_;
    raster::RasterImage band_;
    raster::RasterImage line_;  // a thumbnail row's source row on its own
    raster::RasterImage thumbnail_;
    std::int32_t height_ = 0;
    std::int32_t top_ = 0;  // the band's first row in the frame
    std::int32_t thumbRow_ = 0;
};

// Takes no frame: it comes back whole.
struct NoBands final : FrameBands {
    bool takeInBands(std::int32_t /*width*/, std::int32_t /*height*/) override { return false; }
    void band(std::int32_t /*top*/, const raster::RasterImage& /*band*/,
              std::int32_t /*count*/) override {}
};

// Takes every frame offered and does nothing with its bands.
struct UnusedBands final : FrameBands {
    bool takeInBands(std::int32_t /*width*/, std::int32_t /*height*/) override { return true; }
    void band(std::int32_t /*top*/, const raster::RasterImage& /*band*/,
              std::int32_t /*count*/) override {}
};

FrameLoadResult loadFrame(std::string& slotPath, const std::string& chosenPath, int slot,
                          raster::RasterImage& thumbnail, raster::RasterImage& frame,
                          FrameBands& bands, platform::Bytes* colourProfile) {
    // What the frame's reader allocates is held in the process's budget until the frame is
    // loaded (or, in a compose's scope, prepared), so that frames read side by side share the
    // memory there is.
    const raster::FrameMemory memory;
    slotPath = chosenPath;
    if (colourProfile != nullptr) colourProfile->clear();
    platform::Bytes profile;
    // Only what describes the decoded pixels counts; a grey or CMYK profile does not.
    auto keepProfile = [&] {
        if (colourProfile != nullptr && raster::isRgbProfile(profile)) {
            *colourProfile = std::move(profile);
        }
    };
    // The orientation the file records, when frames are turned by it.
    raster::Orientation orientation = raster::Orientation::AsStored;
    raster::Orientation* recorded = uprightPhotos() ? &orientation : nullptr;
    const raster::PictureFormat* format = raster::frameFormatOf(chosenPath);
    if (format == nullptr) {
        slotPath.clear();
        return FrameLoadResult::FormatError;
    }
    const std::filesystem::path host = platform::hostPath(chosenPath);
    if (format == &raster::bitmapFormat()) {
        // A BMP is read as it is and serves as its own working copy.
        frame = format->read(host, nullptr, nullptr);
        drawThumbnail(thumbnail, frame);
        return FrameLoadResult::Loaded;
    }
    if (format->readRows != nullptr) {
        FrameRows rows(slot, profile, orientation, thumbnail, bands);
        format->readRows(host, rows, &profile, recorded);
        keepProfile();
        if (!rows.inBands()) {
            frame = rows.takeWhole();
            turnUpright(frame, orientation, chosenPath);
            return keepWorkingCopy(slotPath, slot, frame, thumbnail);
        }
        thumbnail = rows.commit();
        frame = raster::RasterImage();
        slotPath = core::workingCopyPath(slot);
        return FrameLoadResult::Loaded;
    }
    frame = format->read(host, &profile, recorded);
    keepProfile();
    turnUpright(frame, orientation, chosenPath);
    return keepWorkingCopy(slotPath, slot, frame, thumbnail);
}

}  // namespace

void setUprightPhotos(bool upright) { uprightSwitch.store(upright); }
bool uprightPhotos() { return uprightSwitch.load(); }

FrameLoadResult loadFrameFile(std::string& slotPath, const std::string& chosenPath, int slot,
                              raster::RasterImage& thumbnail, platform::Bytes* colourProfile) {
    // Nothing of the frame is kept beyond its working copy and thumbnail, so a JPEG frame goes
    // into them band by band and is never held whole.
    UnusedBands unused;
    raster::RasterImage frame;
    return loadFrame(slotPath, chosenPath, slot, thumbnail, frame, unused, colourProfile);
}

FrameLoadResult loadFrameFileKeeping(std::string& slotPath, const std::string& chosenPath, int slot,
                                     raster::RasterImage& thumbnail, raster::RasterImage& frame,
                                     platform::Bytes* colourProfile) {
    NoBands none;
    return loadFrame(slotPath, chosenPath, slot, thumbnail, frame, none, colourProfile);
}

FrameLoadResult loadFrameFileInBands(std::string& slotPath, const std::string& chosenPath, int slot,
                                     raster::RasterImage& thumbnail, raster::RasterImage& frame,
                                     FrameBands& bands, platform::Bytes* colourProfile) {
    return loadFrame(slotPath, chosenPath, slot, thumbnail, frame, bands, colourProfile);
}

}  // namespace lenzora::frames
