#pragma once
// A frame decoded row by row as the compose asks for its rows, kept in a ring just large
// enough for the rows one band of the composite shows.

#include <functional>
#include <memory>

#include "interlace/band_compose.h"
#include "raster/row_reader.h"

namespace lenzora::interlace {

class StreamedFrameRows final : public FrameRows {
  public:
    // `room`: the most rows ever needed at once (BandPlan::widestSpan). `convert`, when given,
    // turns each decoded row (of the reader's width) into the composite's colours.
    StreamedFrameRows(std::unique_ptr<raster::RowReader> reader, std::int32_t room,
                      std::function<void(std::uint8_t*, std::int32_t)> convert = {});
    void need(std::int32_t first, std::int32_t end) override;
    const std::uint8_t* row(std::int32_t r) const override { return ring_.row(r % ring_.height()); }

  private:
    std::unique_ptr<raster::RowReader> reader_;
    std::function<void(std::uint8_t*, std::int32_t)> convert_;
    raster::RasterImage ring_;
};

}  // namespace lenzora::interlace
