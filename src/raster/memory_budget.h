#pragma once
// One budget for the pictures decoded at once. A reader reserves the bytes it is about to
// allocate; the sum of what is reserved stays within the memory the process can get, so that
// sixteen frames read side by side cannot each count on the same free memory. A reservation
// that does not fit waits for the others to end; one that does not fit alone is refused.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/work_pool.h"

namespace lenzora::raster {

class MemoryBudget;

// Bytes held from a budget until it ends.
class MemoryReservation {
  public:
    MemoryReservation() = default;
    ~MemoryReservation() { release(); }
    MemoryReservation(MemoryReservation&& other) noexcept;
    MemoryReservation& operator=(MemoryReservation&& other) noexcept;
    MemoryReservation(const MemoryReservation&) = delete;
    MemoryReservation& operator=(const MemoryReservation&) = delete;

    std::uint64_t bytes() const { return bytes_; }
    void release() noexcept;

  private:
    friend class MemoryBudget;
    MemoryBudget* budget_ = nullptr;
    std::uint64_t bytes_ = 0;
    bool parked_ = false;
};

class MemoryBudget {
  public:
    // How many more bytes the process can take now, asked at each reservation.
    using Capacity = std::function<std::uint64_t()>;
    explicit MemoryBudget(Capacity capacity) : capacity_(std::move(capacity)) {}

    // The process's budget, measured by platform::availableMemoryBytes.
    static MemoryBudget& process();
    // For tests: the capacity the budget asks from now on.
    void setCapacity(Capacity capacity);

    // Whether `bytes` fit beside everything reserved now, without reserving them.
    bool fitsNow(std::uint64_t bytes);

    // Adds `bytes` to `held` (empty, or of this budget). While they do not fit and another
    // reservation that is neither parked nor waiting may still end, waits for it; throws
    // ImageTooLarge(width, height) when they do not fit otherwise. The wait throws
    // platform::Cancelled once `cancel` asks, and platform::Interrupted on Ctrl-C.
    void reserve(MemoryReservation& held, std::uint64_t bytes, std::uint64_t width,
                 std::uint64_t height, const platform::Cancellation* cancel = nullptr);

    // Marks `held` as waiting on something outside the budget (another frame's colour
    // profile) or not: nobody waits for a parked reservation to end, so nothing waits in a
    // circle.
    void park(MemoryReservation& held, bool parked);

  private:
    friend class MemoryReservation;
    void giveBack(MemoryReservation& held) noexcept;

    Capacity capacity_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::uint64_t reserved_ = 0;
    int holders_ = 0;  // reservations of more than 0 bytes
    int parked_ = 0;   // of which parked or waiting
};

// The memory of the frame this thread is reading. While one lives, readers on this thread
// reserve what they allocate in the process's budget and hold it until the scope ends;
// without one they only check that it fits beside what others hold. A scope opened within
// another on the same thread joins it: the frame's memory is held until the outer one ends.
class FrameMemory {
  public:
    explicit FrameMemory(const platform::Cancellation* cancel = nullptr);
    ~FrameMemory();
    FrameMemory(const FrameMemory&) = delete;
    FrameMemory& operator=(const FrameMemory&) = delete;

    // The outermost scope open on this thread, or nullptr.
    static FrameMemory* current();
    // Adds `bytes` to the frame's reservation (see MemoryBudget::reserve).
    void reserve(std::uint64_t bytes, std::uint64_t width, std::uint64_t height);

    // While one lives, the frame open on this thread (if any) waits on something outside
    // the budget and is parked.
    class Waiting {
      public:
        Waiting();
        ~Waiting();
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;

      private:
        FrameMemory* frame_;
    };

  private:
    FrameMemory* outer_;  // the scope this one joins, if any
    const platform::Cancellation* cancel_;
    MemoryReservation held_;
};

}  // namespace lenzora::raster
