#include "interlace/streamed_frame.h"

#include <algorithm>
#include <utility>

namespace lenzora::interlace {

StreamedFrameRows::StreamedFrameRows(std::unique_ptr<raster::RowReader> reader, std::int32_t room,
                                     std::function<void(std::uint8_t*, std::int32_t)> convert)
    : reader_(std::move(reader)), convert_(std::move(convert)) {
    ring_.allocate(raster::PixelFormat::Bgr24, reader_->width(), std::max(1, room));
}

// Rows before `first` are never asked for again, so row y may take the place of row
// y - room: after reading up to `end`, the ring holds rows [end - room, end).
void StreamedFrameRows::need(std::int32_t /*first*/, std::int32_t end) {
    const std::int32_t from = reader_->rowsRead();
    if (end <= from) return;
    reader_->readTo(end, [this](std::int32_t y) { return ring_.row(y % ring_.height()); });
    if (!convert_) return;
    for (std::int32_t y = std::max(from, end - ring_.height()); y < end; ++y)
        convert_(ring_.row(y % ring_.height()), ring_.width());
}

}  // namespace lenzora::interlace
