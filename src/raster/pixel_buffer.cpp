#include <sys/mman.h>

#include <cstdlib>
#include <new>

#include "raster/raster_image.h"

namespace lenzora::raster::detail {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this, ordinary allocation; above, whole huge pages.
constexpr std::size_t kHugeThreshold = std::size_t{8} << 20;

std::size_t roundedToHugePages(std::size_t bytes) {
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}
}  // namespace

void* allocatePixels(std::size_t bytes) {
    if (bytes < kHugeThreshold) return ::operator new(bytes);
    std::size_t rounded = roundedToHugePages(bytes);
    if (rounded < bytes) throw std::bad_alloc();
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (p == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    ::madvise(p, rounded, MADV_HUGEPAGE);  // advice only; failure leaves ordinary pages
#endif
    return p;
}

void freePixels(void* p, std::size_t bytes) noexcept {
    if (bytes < kHugeThreshold)
        ::operator delete(p);
    else
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
