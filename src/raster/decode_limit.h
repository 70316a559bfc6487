#pragma once
// The size check every picture reader makes before it allocates the decoded picture or a
// buffer proportional to it, so a few bytes of hostile header cannot claim gigabytes.

#include <cstdint>

namespace lenzora::raster {

// More pixels than any camera or scanner frame the program is meant for.
inline constexpr std::uint64_t kMaxDecodedPixels = 500'000'000;

// Throws Error("The picture is too large (W x H pixels)") for an empty picture's opposite:
// more than kMaxDecodedPixels, or a side beyond what an image row can address.
void checkDecodedSize(std::uint64_t width, std::uint64_t height);

}  // namespace lenzora::raster
