#pragma once
// What the compose works out and keeps between operations: output size, the size of the last
// frame prepared, and the strip image size.

#include <cstdint>

namespace lenzora::interlace {

struct ComposeState {
    std::int32_t outputWidth = 0;  // of the composite, in pixels
    std::int32_t outputHeight = 0;
    std::int32_t scaledWidth = 0;  // of the last frame prepared, scaled to cover the output
    std::int32_t scaledHeight = 0;
    std::int32_t stripImageWidth = 0;  // of the last strip image: the output squeezed n-fold
    std::int32_t stripImageHeight = 0;
};

// Advanced by the compose as it goes: ten steps per advance on a 0 ... 200 scale.
class ComposeProgress {
  public:
    virtual ~ComposeProgress() = default;
    virtual void advance() = 0;
};

class NoProgress : public ComposeProgress {
  public:
    void advance() override {}
};

}  // namespace lenzora::interlace
