#include <sys/mman.h>

#include <array>
#include <cstdlib>
#include <mutex>
#include <new>
#include <utility>

#include "raster/raster_image.h"

namespace lenzora::raster::detail {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this, ordinary allocation; above, whole huge pages.
constexpr std::size_t kHugeThreshold = std::size_t{8} << 20;

std::size_t roundedToHugePages(std::size_t bytes) {
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

// Large buffers freed while a PixelReuse lives, kept for the next allocation of the same
// rounded size. Fresh pages cost a fault and the kernel clearing them, and in a virtual
// machine often the host finding memory too: a compose allocates and frees one frame-sized
// buffer per frame, mostly all of one size.
constexpr std::size_t kMaxSpare = 4;

struct SpareBuffers {
    std::mutex lock;
    int scopes = 0;
    bool windingDown = false;
    std::size_t count = 0;
    std::array<std::pair<void*, std::size_t>, kMaxSpare> buffers{};  // rounded sizes
};

// Buffers taken out of the kept ones under the lock, to be freed after it.
struct KeptBuffers {
    std::array<void*, kMaxSpare> buffers{};
    std::size_t count = 0;
    void free() {
        for (std::size_t i = 0; i < count; ++i) std::free(buffers[i]);
    }
};

KeptBuffers takeAllKept(SpareBuffers& s) {
    KeptBuffers taken;
    for (; taken.count < s.count; ++taken.count)
        taken.buffers[taken.count] = s.buffers[taken.count].first;
    s.count = 0;
    return taken;
}

SpareBuffers& spares() {
    static SpareBuffers kept;
    return kept;
}

// A buffer of that size, if one is kept. When none is, the job has moved on to another size
// and every kept buffer goes back, so that an old composite never stays beside a new one.
void* takeSpare(std::size_t rounded) {
    SpareBuffers& s = spares();
    KeptBuffers unused;
    {
        const std::lock_guard<std::mutex> hold(s.lock);
        for (std::size_t i = 0; i < s.count; ++i) {
            if (s.buffers[i].second == rounded) {
                void* p = s.buffers[i].first;
                s.buffers[i] = s.buffers[--s.count];
                return p;
            }
        }
        unused = takeAllKept(s);
    }
    unused.free();
    return nullptr;
}

bool reuseActive() {
    SpareBuffers& s = spares();
    const std::lock_guard<std::mutex> hold(s.lock);
    return s.scopes > 0;
}

bool keepSpare(void* p, std::size_t rounded) noexcept {
    SpareBuffers& s = spares();
    const std::lock_guard<std::mutex> hold(s.lock);
    if (s.scopes == 0 || s.windingDown || s.count == kMaxSpare) return false;
    s.buffers[s.count++] = {p, rounded};
    return true;
}
}  // namespace

void* allocatePixels(std::size_t bytes) {
    if (bytes < kHugeThreshold) return ::operator new(bytes);
    std::size_t rounded = roundedToHugePages(bytes);
    if (rounded < bytes) throw std::bad_alloc();
    if (void* spare = takeSpare(rounded)) return spare;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (p == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    // Not within a reuse scope: there the buffers are reused, so their page faults are paid
    // once per thread, while huge pages faulted in by several threads at once stall each other
    // in the kernel (a two-frame compose on two threads took from one to four times as long).
    if (!reuseActive())
        ::madvise(p, rounded, MADV_HUGEPAGE);  // advice only; failure leaves ordinary pages
#endif
    return p;
}

void freePixels(void* p, std::size_t bytes) noexcept {
    if (bytes < kHugeThreshold)
        ::operator delete(p);
    else if (!keepSpare(p, roundedToHugePages(bytes)))
        std::free(p);
}

void releaseTail(void* p, std::size_t from, std::size_t bytes) noexcept {
    if (bytes < kHugeThreshold) return;  // ordinary allocations keep their pages
    constexpr std::size_t kPage = 4096;
    const std::size_t start = (from + kPage - 1) & ~(kPage - 1);
    const std::size_t end = roundedToHugePages(bytes);
    if (start < end) ::madvise(static_cast<char*>(p) + start, end - start, MADV_DONTNEED);
}

}  // namespace lenzora::raster::detail

namespace lenzora::raster {

PixelReuse::PixelReuse() {
    detail::SpareBuffers& s = detail::spares();
    const std::lock_guard<std::mutex> hold(s.lock);
    ++s.scopes;
}

PixelReuse::~PixelReuse() {
    detail::SpareBuffers& s = detail::spares();
    detail::KeptBuffers kept;
    {
        const std::lock_guard<std::mutex> hold(s.lock);
        if (--s.scopes > 0) return;
        s.windingDown = false;
        kept = detail::takeAllKept(s);
    }
    kept.free();
}

void PixelReuse::windDown() {
    detail::SpareBuffers& s = detail::spares();
    detail::KeptBuffers kept;
    {
        const std::lock_guard<std::mutex> hold(s.lock);
        s.windingDown = s.scopes > 0;
        kept = detail::takeAllKept(s);
    }
    kept.free();  // outside the lock: giving back a frame's pages takes milliseconds
}

}  // namespace lenzora::raster
