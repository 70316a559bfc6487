#include "interlace/lens_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "core/output_settings.h"
#include "platform/error.h"
#include "platform/translation.h"

namespace lenzora::interlace {

namespace {

constexpr std::size_t kChannels = 3;

// Source boxes of a reduction from `from` to `to` samples: box k covers [start[k], start[k + 1]),
// at least one sample each (an enlargement repeats the nearest sample).
std::vector<std::int32_t> boxStarts(std::int32_t from, std::int32_t to) {
    std::vector<std::int32_t> start(static_cast<std::size_t>(to) + 1);
    for (std::int32_t k = 0; k <= to; ++k)
        start[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(std::int64_t{k} * from / to);
    return start;
}

std::int32_t boxEnd(const std::vector<std::int32_t>& start, std::int32_t k) {
    const auto begin = start[static_cast<std::size_t>(k)];
    return std::max(begin + 1, start[static_cast<std::size_t>(k) + 1]);
}

std::uint8_t average(std::uint64_t sum, std::uint64_t count) {
    return static_cast<std::uint8_t>((sum + count / 2) / count);
}

// One print column (row) shown over `count` consecutive view columns (rows).
struct Run {
    std::int32_t source = 0;
    std::int32_t count = 0;
};

// The runs of equal sources within each reduction box: box k takes runs [first[k], first[k+1]).
struct BoxRuns {
    std::vector<Run> runs;
    std::vector<std::size_t> first;
};

BoxRuns boxRuns(const std::vector<std::int32_t>& sources, std::int32_t to) {
    const auto from = static_cast<std::int32_t>(sources.size());
    const auto start = boxStarts(from, to);
    BoxRuns boxes;
    boxes.first.reserve(static_cast<std::size_t>(to) + 1);
    for (std::int32_t k = 0; k < to; ++k) {
        boxes.first.push_back(boxes.runs.size());
        for (std::int32_t x = start[static_cast<std::size_t>(k)]; x < boxEnd(start, k); ++x) {
            const auto source = sources[static_cast<std::size_t>(std::min(x, from - 1))];
            if (boxes.runs.size() > boxes.first.back() && boxes.runs.back().source == source)
                ++boxes.runs.back().count;
            else
                boxes.runs.push_back({source, 1});
        }
    }
    boxes.first.push_back(boxes.runs.size());
    return boxes;
}

// Averages each box of rows of `source` into one row of `target` (same width).
void reduceRows(const raster::RasterImage& source, raster::RasterImage& target) {
    const auto start = boxStarts(source.height(), target.height());
    const auto bytes = static_cast<std::size_t>(source.width()) * kChannels;
    std::vector<std::uint32_t> sums(bytes);
    for (std::int32_t y = 0; y < target.height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0U);
        const auto first = start[static_cast<std::size_t>(y)];
        const auto end = std::min(boxEnd(start, y), source.height());
        for (std::int32_t r = first; r < end; ++r) {
            const std::uint8_t* in = source.row(r);
            for (std::size_t i = 0; i < bytes; ++i) sums[i] += in[i];
        }
        std::uint8_t* out = target.row(y);
        const auto count = static_cast<std::uint64_t>(end - first);
        for (std::size_t i = 0; i < bytes; ++i) out[i] = average(sums[i], count);
    }
}

// Averages each box of columns of `source` into one column of `target` (same height).
void reduceColumns(const raster::RasterImage& source, raster::RasterImage& target) {
    const auto start = boxStarts(source.width(), target.width());
    for (std::int32_t y = 0; y < target.height(); ++y) {
        const std::uint8_t* in = source.row(y);
        std::uint8_t* out = target.row(y);
        for (std::int32_t k = 0; k < target.width(); ++k) {
            const auto first = start[static_cast<std::size_t>(k)];
            const auto end = std::min(boxEnd(start, k), source.width());
            std::array<std::uint32_t, kChannels> sum{};
            for (std::int32_t x = first; x < end; ++x)
                for (std::size_t c = 0; c < kChannels; ++c)
                    sum[c] += in[static_cast<std::size_t>(x) * kChannels + c];
            for (std::size_t c = 0; c < kChannels; ++c)
                *out++ = average(sum[c], static_cast<std::uint64_t>(end - first));
        }
    }
}

}  // namespace

double viewPosition(int k, int count) { return (k - 0.5) / count; }

int frameAt(double position, int frameCount) {
    const auto k = static_cast<int>(std::floor(position * frameCount)) + 1;
    return std::clamp(k, 1, frameCount);
}

std::vector<std::int32_t> viewSources(std::int32_t extent, double period, double position) {
    if (!(period >= 1.0))
        throw platform::Error(platform::translate("lenzora::interlace", kSheetPeriodTooSmall));
    std::vector<std::int32_t> sources(static_cast<std::size_t>(std::max(extent, 0)));
    // Lens i covers view columns [i Q, (i + 1) Q): from ceil(i Q) up to ceil((i + 1) Q) - 1.
    std::int32_t x = 0;
    for (std::int64_t lens = 0; x < extent; ++lens) {
        const long double left = static_cast<long double>(lens) * period;
        // A position given as a fraction such as (k - 0.5) / n rounds to just below the column
        // it names; a billionth of a pixel keeps it there.
        const long double shown =
            std::floor(left + static_cast<long double>(position) * period + 1e-9L);
        const auto source =
            static_cast<std::int32_t>(std::clamp<long double>(shown, 0, extent - 1));
        const long double right = static_cast<long double>(lens + 1) * period;
        const auto end = static_cast<std::int32_t>(std::min<long double>(std::ceil(right), extent));
        for (; x < end; ++x) sources[static_cast<std::size_t>(x)] = source;
    }
    return sources;
}

raster::RasterImage renderView(const raster::RasterImage& composite, const Sheet& sheet,
                               double position) {
    raster::RasterImage view;
    view.allocate(raster::PixelFormat::Bgr24, composite.width(), composite.height());
    if (sheet.mode == core::kModeRows) {
        const auto sources = viewSources(composite.height(), sheet.period, position);
        const auto bytes = static_cast<std::size_t>(composite.width()) * kChannels;
        for (std::int32_t y = 0; y < composite.height(); ++y)
            std::memcpy(view.row(y), composite.row(sources[static_cast<std::size_t>(y)]), bytes);
        return view;
    }
    const auto sources = viewSources(composite.width(), sheet.period, position);
    for (std::int32_t y = 0; y < composite.height(); ++y) {
        const std::uint8_t* in = composite.row(y);
        std::uint8_t* out = view.row(y);
        for (const std::int32_t source : sources) {
            std::memcpy(out, in + static_cast<std::size_t>(source) * kChannels, kChannels);
            out += kChannels;
        }
    }
    return view;
}

ViewPreview::ViewPreview(const raster::RasterImage& composite, std::int32_t mode,
                         std::int32_t width, std::int32_t height)
    : mode_(mode), width_(width), height_(height) {
    if (composite.empty() || width <= 0 || height <= 0) return;
    if (mode == core::kModeRows) {
        extent_ = composite.height();
        reduced_.allocate(raster::PixelFormat::Bgr24, width, composite.height());
        reduceColumns(composite, reduced_);
    } else {
        extent_ = composite.width();
        reduced_.allocate(raster::PixelFormat::Bgr24, composite.width(), height);
        reduceRows(composite, reduced_);
    }
}

raster::RasterImage ViewPreview::view(double period, double position) const {
    raster::RasterImage view;
    if (empty()) return view;
    view.allocate(raster::PixelFormat::Bgr24, width_, height_);
    const auto sources = viewSources(extent_, period, position);
    if (mode_ == core::kModeRows) {
        const BoxRuns boxes = boxRuns(sources, height_);
        const auto bytes = static_cast<std::size_t>(width_) * kChannels;
        std::vector<std::uint32_t> sums(bytes);
        for (std::int32_t y = 0; y < height_; ++y) {
            std::fill(sums.begin(), sums.end(), 0U);
            std::uint32_t count = 0;
            for (auto j = boxes.first[static_cast<std::size_t>(y)];
                 j < boxes.first[static_cast<std::size_t>(y) + 1]; ++j) {
                const Run run = boxes.runs[j];
                const std::uint8_t* in = reduced_.row(run.source);
                for (std::size_t i = 0; i < bytes; ++i)
                    sums[i] += in[i] * static_cast<std::uint32_t>(run.count);
                count += static_cast<std::uint32_t>(run.count);
            }
            std::uint8_t* out = view.row(y);
            for (std::size_t i = 0; i < bytes; ++i) out[i] = average(sums[i], count);
        }
        return view;
    }
    const BoxRuns boxes = boxRuns(sources, width_);
    for (std::int32_t y = 0; y < height_; ++y) {
        const std::uint8_t* in = reduced_.row(y);
        std::uint8_t* out = view.row(y);
        for (std::int32_t k = 0; k < width_; ++k) {
            std::array<std::uint32_t, kChannels> sum{};
            std::uint32_t count = 0;
            for (auto j = boxes.first[static_cast<std::size_t>(k)];
                 j < boxes.first[static_cast<std::size_t>(k) + 1]; ++j) {
                const Run run = boxes.runs[j];
                const std::uint8_t* p = in + static_cast<std::size_t>(run.source) * kChannels;
                for (std::size_t c = 0; c < kChannels; ++c)
                    sum[c] += p[c] * static_cast<std::uint32_t>(run.count);
                count += static_cast<std::uint32_t>(run.count);
            }
            for (std::size_t c = 0; c < kChannels; ++c) *out++ = average(sum[c], count);
        }
    }
    return view;
}

}  // namespace lenzora::interlace
