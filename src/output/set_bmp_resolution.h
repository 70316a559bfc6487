#pragma once

#include <cstdint>
#include <filesystem>

namespace lenzora::output {

// Pixels per metre for a resolution in dots per inch, as the BMP files of this program have
// always carried it: dpi * 100 / 2.5406, rounded half to even (1200 dpi gives 47233).
std::int32_t pixelsPerMetre(long double dotsPerInch);

// Stamps the resolution into both pixels-per-metre fields of an existing BMP file, in place;
// no other byte changes and the file keeps its length.
void setBmpResolution(const std::filesystem::path& path, long double dotsPerInch);

}  // namespace lenzora::output
