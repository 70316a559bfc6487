#pragma once
// Grey pictures as pdftoppm and pdfimages write them (binary PGM "P5"; PPM "P6" made grey).

#include <cstdint>
#include <filesystem>
#include <vector>

namespace lenzora::testing {

struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // rows top to bottom
    std::uint8_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x];
    }
};

// Throws std::runtime_error for anything but an 8-bit binary PGM or PPM.
GreyImage readPgm(const std::filesystem::path& path);

// The smallest rectangle holding every pixel darker than mid-grey: left, top, right, bottom
// (exclusive); all zero when there is none.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
};
Box darkBox(const GreyImage& image);

// Lengths of the runs of dark and light pixels along row y from x0 to x1.
std::vector<int> runLengths(const GreyImage& image, int y, int x0, int x1);

}  // namespace lenzora::testing
