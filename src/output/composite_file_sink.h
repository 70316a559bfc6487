#pragma once
// The composite written into its file band by band as the compose makes it, in the format its
// name says: a thread of its own writes each band while the next one is made, so that the
// file's writing overlaps the compose and no more than two bands are ever held.

#include <condition_variable>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "core/numbers.h"
#include "interlace/band_compose.h"
#include "platform/file_io.h"
#include "raster/band_writer.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// Whether a composite saved under `path` can be written band by band (PDF cannot).
bool writesCompositeInBands(const std::filesystem::path& path);

class CompositeFileSink final : public interlace::BandSink {
  public:
    CompositeFileSink(std::filesystem::path path, core::FixedCount resolution,
                      platform::Bytes profile);
    // Waits for the writing thread. Without finish() the file is not put in place.
    ~CompositeFileSink() override;
    CompositeFileSink(const CompositeFileSink&) = delete;
    CompositeFileSink& operator=(const CompositeFileSink&) = delete;

    // Opens the format's band writer, which refuses a size the format cannot hold.
    void begin(std::int32_t width, std::int32_t height) override;
    std::uint8_t* row(std::int32_t y) override { return filling_->row(y - top_); }
    void rows(std::int32_t top, std::int32_t end) override;
    void finish() override;

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }

  private:
    void handOver();  // the band being filled goes to the writing thread
    void writeBands();
    void rethrowWriterError();

    std::filesystem::path path_;
    core::FixedCount resolution_;
    platform::Bytes profile_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::unique_ptr<raster::BandWriter> writer_;
    raster::RasterImage buffers_[2];
    raster::RasterImage* filling_ = &buffers_[0];
    std::int32_t top_ = 0;
    std::int32_t count_ = 0;  // rows of the band being filled

    std::mutex lock_;
    std::condition_variable changed_;
    const raster::RasterImage* pending_ = nullptr;  // handed over, not yet written
    std::int32_t pendingCount_ = 0;
    bool closing_ = false;
    std::exception_ptr writerError_;
    std::thread thread_;
};

}  // namespace lenzora::output
