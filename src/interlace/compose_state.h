#pragma once
// What the compose works out and keeps between operations: output size, the size of the last
// frame prepared, and the strip image size.

#include <cstdint>

#include "platform/work_pool.h"

namespace lenzora::interlace {

struct ComposeState {
    std::int32_t outputWidth = 0;  // of the composite, in pixels
    std::int32_t outputHeight = 0;
    std::int32_t scaledWidth = 0;  // of the last frame prepared, scaled to cover the output
    std::int32_t scaledHeight = 0;
    std::int32_t stripImageWidth = 0;  // of the last strip image: the output squeezed n-fold
    std::int32_t stripImageHeight = 0;
};

// Told how far a compose has got, in units of work done of the total: reading and squeezing
// each frame, whitening each band of the new composite, copying each band of its strips. Called
// from the compose's threads, one call at a time.
class ComposeProgress {
  public:
    virtual ~ComposeProgress() = default;
    virtual void reached(std::int64_t done, std::int64_t total) = 0;
};

class NoProgress : public ComposeProgress {
  public:
    void reached(std::int64_t /*done*/, std::int64_t /*total*/) override {}
};

// How a compose runs besides its settings: the threads it may use and the flag that stops it.
// The composite and every working file are the same for any number of threads.
struct ComposeRun {
    int threads = 1;
    const platform::Cancellation* cancel = nullptr;  // none: runs to its end
};

}  // namespace lenzora::interlace
