#include "support/pgm.h"

#include <fstream>
#include <stdexcept>
#include <string>

namespace lenzora::testing {

GreyImage readPgm(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    GreyImage image;
    in >> magic >> image.width >> image.height >> maxValue;
    const bool colour = magic == "P6";
    if (!in || (magic != "P5" && !colour) || maxValue != 255 || image.width <= 0 ||
        image.height <= 0) {
        throw std::runtime_error("not an 8-bit PGM or PPM: " + path.string());
    }
    in.get();  // the single blank after the header
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    std::vector<std::uint8_t> raw(colour ? 3 * count : count);
    in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
    if (!in) throw std::runtime_error("picture cut short: " + path.string());
    if (!colour) {
        image.pixels = std::move(raw);
    } else {  // grey as the mean of the three channels
        image.pixels.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            image.pixels[i] =
                static_cast<std::uint8_t>((raw[3 * i] + raw[3 * i + 1] + raw[3 * i + 2]) / 3);
        }
    }
    return image;
}

Box darkBox(const GreyImage& image) {
    Box box{image.width, image.height, 0, 0};
    bool any = false;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.at(x, y) >= 128) continue;
            any = true;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    return any ? box : Box{};
}

std::vector<int> runLengths(const GreyImage& image, int y, int x0, int x1) {
    std::vector<int> runs;
    bool dark = image.at(x0, y) < 128;
    int length = 0;
    for (int x = x0; x < x1; ++x) {
        const bool d = image.at(x, y) < 128;
        if (d == dark) {
            ++length;
        } else {
            runs.push_back(length);
            dark = d;
            length = 1;
        }
    }
    runs.push_back(length);
    return runs;
}

}  // namespace lenzora::testing
