#pragma once
// The composite made a band of rows at a time from the frames' rows, through a LensMap: each
// band asks every frame for the rows it shows (a frame read row by row decodes just those),
// fills its rows on the run's threads and hands them on (into memory, or to a file that takes
// them as they come). Nothing but a few rows of each frame and a band or two of the composite
// need be held, whatever the composite's size.

#include <cstdint>
#include <memory>
#include <span>

#include "interlace/compose_state.h"
#include "interlace/lens_map.h"
#include "raster/raster_image.h"

namespace lenzora::interlace {

// One frame's rows, 24-bit, as the compose asks for them.
class FrameRows {
  public:
    virtual ~FrameRows() = default;
    // Rows [first, end) are wanted next; `first` never goes back from one call to the next.
    // Called on any one thread at a time.
    virtual void need(std::int32_t first, std::int32_t end) = 0;
    // Row r of the last rows needed; read from several threads at once.
    virtual const std::uint8_t* row(std::int32_t r) const = 0;
};

// A frame held whole in memory (24-bit).
class WholeFrameRows final : public FrameRows {
  public:
    explicit WholeFrameRows(raster::RasterImage frame) : frame_(std::move(frame)) {}
    void need(std::int32_t /*first*/, std::int32_t /*end*/) override {}
    const std::uint8_t* row(std::int32_t r) const override { return frame_.row(r); }

  private:
    raster::RasterImage frame_;
};

// Where the composite's rows go, top to bottom.
class BandSink {
  public:
    virtual ~BandSink() = default;
    // Once, before any row: the composite's size, the calibration band included.
    virtual void begin(std::int32_t width, std::int32_t height) = 0;
    // Room for row y of the band being made (rows [top, end) of the last rows() call); asked
    // from several threads at once.
    virtual std::uint8_t* row(std::int32_t y) = 0;
    // The band of rows [top, end) is about to be made; then the rows before `end` are done
    // once the next call (or finish) comes.
    virtual void rows(std::int32_t top, std::int32_t end) = 0;
    // After the last band.
    virtual void finish() = 0;
};

// Into one image in memory (24-bit), allocated at begin() with room for nothing more.
class ImageSink final : public BandSink {
  public:
    explicit ImageSink(raster::RasterImage& image) : image_(image) {}
    void begin(std::int32_t width, std::int32_t height) override;
    std::uint8_t* row(std::int32_t y) override { return image_.row(y); }
    void rows(std::int32_t /*top*/, std::int32_t /*end*/) override {}
    void finish() override {}

  private:
    raster::RasterImage& image_;
};

// The rows frame f must provide for every band: per band, [first, end) (empty: none).
struct RowSpan {
    std::int32_t first = 0;
    std::int32_t end = 0;
};

// The bands the composite is made in, of `bandRows` rows each: for each band and frame, the
// frame rows it shows. The largest span of a frame is the room its reader needs.
class BandPlan {
  public:
    BandPlan(const LensMap& map, std::int32_t bandRows);
    std::int32_t bandRows() const { return bandRows_; }
    int bands() const { return bands_; }
    RowSpan span(int band, int frame) const {
        return spans_[static_cast<std::size_t>(band) * frames_ + static_cast<std::size_t>(frame)];
    }
    std::int32_t widestSpan(int frame) const;

  private:
    std::int32_t bandRows_;
    int bands_;
    std::size_t frames_;
    std::vector<RowSpan> spans_;
};

// Rows of composite per band: enough that a band is more than its bookkeeping, few enough that
// a band of a metre-wide composite stays a few megabytes.
inline constexpr std::int32_t kComposeBandRows = 64;

// Makes the composite of `map` from `frames` (one per frame, in order) into `sink`, with the
// calibration band when `calibration`. Reports progress per band; a stop asked through the
// run, or thrown by the progress, ends it between bands with the sink not finished.
void composeInBands(const LensMap& map, std::span<FrameRows* const> frames, bool calibration,
                    BandSink& sink, ComposeProgress& progress, const ComposeRun& run,
                    std::int32_t bandRows = kComposeBandRows);

}  // namespace lenzora::interlace
