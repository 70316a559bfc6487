#include "raster/memory_budget.h"

#include <chrono>

#include "platform/available_memory.h"
#include "platform/interruption.h"
#include "raster/size_limit.h"

namespace lenzora::raster {
namespace {

// How often a waiting reservation looks for a stop.
constexpr std::chrono::milliseconds kWaitStep{20};

thread_local FrameMemory* currentFrame = nullptr;

}  // namespace

MemoryReservation::MemoryReservation(MemoryReservation&& other) noexcept
    : budget_(other.budget_), bytes_(other.bytes_), parked_(other.parked_) {
    other.budget_ = nullptr;
    other.bytes_ = 0;
    other.parked_ = false;
}

MemoryReservation& MemoryReservation::operator=(MemoryReservation&& other) noexcept {
    if (this != &other) {
        release();
        budget_ = other.budget_;
        bytes_ = other.bytes_;
        parked_ = other.parked_;
        other.budget_ = nullptr;
        other.bytes_ = 0;
        other.parked_ = false;
    }
    return *this;
}

void MemoryReservation::release() noexcept {
    if (budget_ != nullptr) budget_->giveBack(*this);
    budget_ = nullptr;
    bytes_ = 0;
    parked_ = false;
}

MemoryBudget& MemoryBudget::process() {
    static MemoryBudget budget(platform::availableMemoryBytes);
    return budget;
}

void MemoryBudget::setCapacity(Capacity capacity) {
    const std::lock_guard<std::mutex> hold(lock_);
    capacity_ = std::move(capacity);
}

bool MemoryBudget::fitsNow(std::uint64_t bytes) {
    const std::lock_guard<std::mutex> hold(lock_);
    const std::uint64_t capacity = capacity_();
    return reserved_ <= capacity && bytes <= capacity - reserved_;
}

void MemoryBudget::reserve(MemoryReservation& held, std::uint64_t bytes, std::uint64_t width,
                           std::uint64_t height, const platform::Cancellation* cancel) {
    if (bytes == 0) return;
    std::unique_lock<std::mutex> hold(lock_);
    const bool holding = held.bytes_ > 0;
    // What the capacity leaves beside the others: the memory a reservation of this frame
    // already holds is counted once, in the capacity, since its pages are mostly in use.
    while (true) {
        const std::uint64_t capacity = capacity_();
        if (reserved_ <= capacity && bytes <= capacity - reserved_) break;
        const int others = holders_ - parked_ - (holding && !held.parked_ ? 1 : 0);
        if (others <= 0) throw ImageTooLarge(width, height);
        // Waiting, this frame's own reservation is no reason for another to wait.
        if (holding && !held.parked_) ++parked_;
        changed_.wait_for(hold, kWaitStep);
        if (holding && !held.parked_) --parked_;
        if (cancel != nullptr && cancel->requested()) throw platform::Cancelled();
        if (platform::interruptionSignal() != 0)
            throw platform::Interrupted(platform::interruptionSignal());
    }
    reserved_ += bytes;
    if (!holding) ++holders_;
    held.budget_ = this;
    held.bytes_ += bytes;
}

void MemoryBudget::park(MemoryReservation& held, bool parked) {
    const std::lock_guard<std::mutex> hold(lock_);
    if (held.parked_ == parked) return;
    held.parked_ = parked;
    if (held.bytes_ > 0) parked_ += parked ? 1 : -1;
    changed_.notify_all();
}

void MemoryBudget::giveBack(MemoryReservation& held) noexcept {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        if (held.bytes_ == 0) return;
        reserved_ -= held.bytes_;
        --holders_;
        if (held.parked_) --parked_;
    }
    changed_.notify_all();
}

FrameMemory::FrameMemory(const platform::Cancellation* cancel)
    : outer_(currentFrame), cancel_(cancel) {
    if (outer_ == nullptr) currentFrame = this;
}

FrameMemory::~FrameMemory() {
    if (outer_ == nullptr) currentFrame = nullptr;
}

FrameMemory* FrameMemory::current() { return currentFrame; }

void FrameMemory::reserve(std::uint64_t bytes, std::uint64_t width, std::uint64_t height) {
    MemoryBudget::process().reserve(held_, bytes, width, height, cancel_);
}

FrameMemory::Waiting::Waiting() : frame_(currentFrame) {
    if (frame_ != nullptr) MemoryBudget::process().park(frame_->held_, true);
}

FrameMemory::Waiting::~Waiting() {
    if (frame_ != nullptr) MemoryBudget::process().park(frame_->held_, false);
}

}  // namespace lenzora::raster
