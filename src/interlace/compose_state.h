#pragma once
// What the compose works out and keeps between operations: output size, the size of the last
// frame prepared, and the strip image size.

#include <cstdint>

namespace lenzora::interlace {

struct ComposeState {
    std::int32_t W = 0;  // output width in pixels
    std::int32_t H = 0;  // output height in pixels
    std::int32_t scaledW = 0;
    std::int32_t scaledH = 0;
    std::int32_t stripW = 0;
    std::int32_t stripH = 0;
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
