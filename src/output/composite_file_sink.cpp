#include "output/composite_file_sink.h"

#include <utility>

#include "output/exact_rational.h"
#include "raster/picture_formats.h"

namespace lenzora::output {

bool writesCompositeInBands(const std::filesystem::path& path) {
    return raster::saveFormatFor(path.string(), raster::SavedPicture::Composite).openBandWriter !=
           nullptr;
}

CompositeFileSink::CompositeFileSink(std::filesystem::path path, core::FixedCount resolution,
                                     platform::Bytes profile)
    : path_(std::move(path)), resolution_(resolution), profile_(std::move(profile)) {}

CompositeFileSink::~CompositeFileSink() {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        closing_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void CompositeFileSink::begin(std::int32_t width, std::int32_t height) {
    width_ = width;
    height_ = height;
    const raster::PictureFormat& format =
        raster::saveFormatFor(path_.string(), raster::SavedPicture::Composite);
    writer_ = format.openBandWriter(path_, width, height, exactRational(resolution_), profile_);
    thread_ = std::thread([this] { writeBands(); });
}

void CompositeFileSink::rows(std::int32_t top, std::int32_t end) {
    if (count_ > 0) handOver();
    rethrowWriterError();
    top_ = top;
    count_ = end - top;
    if (filling_->height() < count_) filling_->allocate(raster::PixelFormat::Bgr24, width_, count_);
}

void CompositeFileSink::finish() {
    if (count_ > 0) handOver();
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return pending_ == nullptr || writerError_; });
    hold.unlock();
    rethrowWriterError();
    writer_->commit();
}

// Waits until the thread has written the band before, then gives it this one and fills the
// other buffer next.
void CompositeFileSink::handOver() {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return pending_ == nullptr || writerError_; });
    if (writerError_) return;
    pending_ = filling_;
    pendingCount_ = count_;
    hold.unlock();
    changed_.notify_all();
    filling_ = filling_ == &buffers_[0] ? &buffers_[1] : &buffers_[0];
    count_ = 0;
}

void CompositeFileSink::writeBands() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [this] { return pending_ != nullptr || closing_; });
        if (pending_ == nullptr) return;
        const raster::RasterImage* band = pending_;
        const std::int32_t count = pendingCount_;
        hold.unlock();
        std::exception_ptr failed;
        try {
            writer_->write(*band, count);
        } catch (...) {
            failed = std::current_exception();
        }
        hold.lock();
        pending_ = nullptr;
        if (failed) writerError_ = failed;
        changed_.notify_all();
        if (failed) return;
    }
}

void CompositeFileSink::rethrowWriterError() {
    const std::lock_guard<std::mutex> hold(lock_);
    if (writerError_) std::rethrow_exception(writerError_);
}

}  // namespace lenzora::output
