#include "interlace/band_compose.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/work_pool.h"

namespace lenzora::interlace {
namespace {

constexpr std::uint8_t kWhiteByte = 0xFF;

void checkCancel(const ComposeRun& run) {
    if (run.cancel != nullptr) run.cancel->check();
}

// Whether frame f is shown in composite row y (every frame is, in columns mode).
bool shownInRow(const LensMap& map, int f, std::int32_t y) {
    return map.layout().mode == core::kModeColumns ||
           map.frameAt()[static_cast<std::size_t>(y)] == f;
}

// Columns mode: for each composite column, the frame whose row it is taken from (the frame
// count itself: a white row) and the byte offset in that row.
struct ColumnPick {
    std::uint32_t frame;
    std::uint32_t offset;
};

class RowFiller {
  public:
    RowFiller(const LensMap& map, std::span<FrameRows* const> frames,
              const std::vector<std::uint8_t>& bars)
        : map_(map), frames_(frames), bars_(bars) {
        const LensLayout& layout = map.layout();
        const int n = layout.frameCount;
        std::int32_t widest = layout.width + static_cast<std::int32_t>(bars.size());
        for (int f = 0; f < n; ++f) {
            for (const std::int32_t c : map.sourceColumns(f)) widest = std::max(widest, c + 1);
        }
        white_.assign(3 * static_cast<std::size_t>(widest), kWhiteByte);
        if (layout.mode != core::kModeColumns) return;
        picks_.resize(static_cast<std::size_t>(layout.width));
        for (std::int32_t x = 0; x < layout.width; ++x) {
            const auto at = static_cast<std::size_t>(x);
            const int f = map.frameAt()[at];
            const std::int32_t c = map.sourceColumns(f)[at];
            picks_[at] = c < 0 ? ColumnPick{static_cast<std::uint32_t>(n), 0}
                               : ColumnPick{static_cast<std::uint32_t>(f),
                                            3 * static_cast<std::uint32_t>(c)};
        }
    }

    // Composite row y (within the picture, not the band below it in rows mode).
    void fill(std::int32_t y, std::uint8_t* out) const {
        if (map_.layout().mode == core::kModeColumns) {
            fillColumns(y, out);
        } else {
            fillRow(y, out);
        }
    }

    // A row of the calibration band below the picture (rows mode).
    void fillBandRow(std::int32_t i, std::uint8_t* out) const {
        const std::size_t bytes = 3 * static_cast<std::size_t>(map_.layout().width);
        std::memset(out, bars_[static_cast<std::size_t>(i)] != 0 ? 0 : kWhiteByte, bytes);
    }

  private:
    void fillColumns(std::int32_t y, std::uint8_t* out) const {
        const LensLayout& layout = map_.layout();
        std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(layout.frameCount) + 1,
                                              white_.data());
        for (int f = 0; f < layout.frameCount; ++f) {
            const std::int32_t r = map_.sourceRow(f, y);
            if (r >= 0)
                rows[static_cast<std::size_t>(f)] = frames_[static_cast<std::size_t>(f)]->row(r);
        }
        const ColumnPick* pick = picks_.data();
        for (std::int32_t x = 0; x < layout.width; ++x, ++pick, out += 3)
            std::memcpy(out, rows[pick->frame] + pick->offset, 3);
        for (const std::uint8_t bar : bars_) {
            std::memset(out, bar != 0 ? 0 : kWhiteByte, 3);
            out += 3;
        }
    }

    void fillRow(std::int32_t y, std::uint8_t* out) const {
        const LensLayout& layout = map_.layout();
        const int f = map_.frameAt()[static_cast<std::size_t>(y)];
        const std::int32_t r = map_.sourceRow(f, y);
        if (r < 0) {
            std::memset(out, kWhiteByte, 3 * static_cast<std::size_t>(layout.width));
            return;
        }
        const std::uint8_t* in = frames_[static_cast<std::size_t>(f)]->row(r);
        const std::vector<std::int32_t>& columns = map_.sourceColumns(f);
        for (std::int32_t x = 0; x < layout.width; ++x, out += 3) {
            const std::int32_t c = columns[static_cast<std::size_t>(x)];
            std::memcpy(out, c < 0 ? white_.data() : in + 3 * static_cast<std::size_t>(c), 3);
        }
    }

    const LensMap& map_;
    std::span<FrameRows* const> frames_;
    std::vector<std::uint8_t> bars_;
    std::vector<std::uint8_t> white_;
    std::vector<ColumnPick> picks_;
};

}  // namespace

void ImageSink::begin(std::int32_t width, std::int32_t height) {
    image_.allocate(raster::PixelFormat::Bgr24, width, height);
}

BandPlan::BandPlan(const LensMap& map, std::int32_t bandRows)
    : bandRows_(std::max(1, bandRows)),
      bands_(static_cast<int>((std::int64_t{map.layout().height} + bandRows_ - 1) / bandRows_)),
      frames_(static_cast<std::size_t>(map.layout().frameCount)),
      spans_(static_cast<std::size_t>(bands_) * frames_) {
    const std::int32_t H = map.layout().height;
    for (int f = 0; f < map.layout().frameCount; ++f) {
        for (int band = 0; band < bands_; ++band) {
            RowSpan& span =
                spans_[static_cast<std::size_t>(band) * frames_ + static_cast<std::size_t>(f)];
            const std::int32_t top = band * bandRows_;
            for (std::int32_t y = top; y < std::min(H, top + bandRows_); ++y) {
                const std::int32_t r = shownInRow(map, f, y) ? map.sourceRow(f, y) : -1;
                if (r < 0) continue;
                if (span.end == span.first) span.first = r;
                span.end = std::max(span.end, r + 1);
            }
        }
    }
}

std::int32_t BandPlan::widestSpan(int frame) const {
    std::int32_t widest = 0;
    for (int band = 0; band < bands_; ++band) {
        const RowSpan s = span(band, frame);
        widest = std::max(widest, s.end - s.first);
    }
    return widest;
}

void composeInBands(const LensMap& map, std::span<FrameRows* const> frames, bool calibration,
                    BandSink& sink, ComposeProgress& progress, const ComposeRun& run,
                    std::int32_t bandRows) {
    const LensLayout& layout = map.layout();
    const bool columns = layout.mode == core::kModeColumns;
    const std::vector<std::uint8_t> bars =
        calibration ? calibrationBars(layout) : std::vector<std::uint8_t>();
    const auto extra = static_cast<std::int32_t>(bars.size());
    const BandPlan plan(map, bandRows);
    const RowFiller filler(map, frames, columns ? bars : std::vector<std::uint8_t>());
    const RowFiller bandFiller(map, frames, bars);
    const std::int32_t H = layout.height;
    const std::int32_t height = H + (columns ? 0 : extra);
    const int bands =
        static_cast<int>((std::int64_t{height} + plan.bandRows() - 1) / plan.bandRows());
    sink.begin(layout.width + (columns ? extra : 0), height);
    progress.reached(0, bands);
    // Rows of a band filled as one task: a few per thread, so that they share the band evenly.
    constexpr std::int32_t kRowsPerTask = 8;
    for (int band = 0; band < bands; ++band) {
        checkCancel(run);
        const std::int32_t top = band * plan.bandRows();
        const std::int32_t end = std::min(height, top + plan.bandRows());
        sink.rows(top, end);
        if (band < plan.bands()) {
            platform::runTasks(layout.frameCount, run.threads, [&](int f) {
                const RowSpan span = plan.span(band, f);
                if (span.end > span.first)
                    frames[static_cast<std::size_t>(f)]->need(span.first, span.end);
            });
        }
        const int tasks = (end - top + kRowsPerTask - 1) / kRowsPerTask;
        platform::runTasks(tasks, run.threads, [&](int task) {
            const std::int32_t from = top + task * kRowsPerTask;
            for (std::int32_t y = from; y < std::min(end, from + kRowsPerTask); ++y) {
                if (y < H)
                    filler.fill(y, sink.row(y));
                else
                    bandFiller.fillBandRow(y - H, sink.row(y));
            }
        });
        progress.reached(band + 1, bands);
    }
    sink.finish();
}

}  // namespace lenzora::interlace
