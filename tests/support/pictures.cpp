#include "support/pictures.h"

#include <algorithm>
#include <sstream>
#include <string_view>

#include "core/output_settings.h"
#include "platform/save_file.h"
#include "raster/jpeg_codec.h"

namespace lenzora::testing {

raster::RasterImage patternImage(std::int32_t w, std::int32_t h, int tag) {
    raster::RasterImage image;
    image.create(raster::PixelFormat::Bgr24, w, h);
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* row = image.row(y);
        for (std::int32_t x = 0; x < w; ++x) {
            row[3 * x + 0] = static_cast<std::uint8_t>(x & 0xFF);  // blue
            row[3 * x + 1] = static_cast<std::uint8_t>(((x >> 8) & 0x0F) << 4 | (tag & 0x0F));
            row[3 * x + 2] = static_cast<std::uint8_t>(y & 0xFF);  // red
        }
    }
    return image;
}

raster::RasterImage plainImage(std::int32_t w, std::int32_t h, raster::Colour colour) {
    raster::RasterImage image;
    image.create(raster::PixelFormat::Bgr24, w, h);
    image.setFillColour(colour);
    image.setLineColour(colour);
    image.drawRectangle(0, 0, w, h);
    return image;
}

raster::RasterImage stripedImage(std::int32_t w, std::int32_t h, raster::Colour light) {
    raster::RasterImage image = plainImage(w, h, light);
    const raster::RasterImage black = plainImage(1, h, raster::kBlack);
    std::vector<raster::RasterImage::AreaCopy> strips;
    for (std::int32_t x = 0; x < w; x += 2) strips.push_back({{x, 0, x + 1, h}, {0, 0, 1, h}});
    image.copyAreas(black, strips);
    return image;
}

// Grid letters by colour: red, green and blue each full (bits 4, 2, 1) or none.
constexpr std::string_view kLetters = "KBGCRMYW";

raster::RasterImage gridImage(const std::string& grid, std::int32_t block, bool oneBit) {
    const auto columns = static_cast<std::int32_t>(std::min(grid.find('/'), grid.size()));
    const auto rows = static_cast<std::int32_t>(grid.size() + 1) / (columns + 1);
    raster::RasterImage image;
    image.create(oneBit ? raster::PixelFormat::Indexed1 : raster::PixelFormat::Bgr24,
                 columns * block, rows * block);
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(grid.size()); ++i) {
        const auto bits = static_cast<int>(kLetters.find(grid[static_cast<std::size_t>(i)]));
        const auto full = [&](int bit) { return static_cast<std::uint8_t>(bits & bit ? 255 : 0); };
        image.setFillColour(raster::Colour::rgb(full(4), full(2), full(1)));
        image.setLineColour(image.fillColour());
        const std::int32_t x = i % (columns + 1) * block, y = i / (columns + 1) * block;
        if (grid[static_cast<std::size_t>(i)] != '/')
            image.drawRectangle(x, y, x + block, y + block);
    }
    return image;
}

std::string gridOf(const raster::RasterImage& image, std::int32_t block) {
    std::string grid;
    for (std::int32_t y = block / 2; y < image.height(); y += block) {
        if (!grid.empty()) grid += '/';
        for (std::int32_t x = block / 2; x < image.width(); x += block) {
            const raster::Colour c = image.pixel(x, y);
            grid += kLetters[(c.red > 127 ? 4 : 0) | (c.green > 127 ? 2 : 0) | (c.blue > 127)];
        }
    }
    return grid;
}

std::string describePixels(const raster::RasterImage& image) {
    std::string text = std::to_string(image.width()) + " x " + std::to_string(image.height()) + ":";
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            const raster::Colour c = image.pixel(x, y);
            text += " " + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
                    std::to_string(c.blue);
        }
    }
    return text;
}

void writeBmp(const std::filesystem::path& path, const raster::RasterImage& image) {
    image.saveBmpFile(path);
}

void writeJpeg(const std::filesystem::path& path, const raster::RasterImage& image) {
    platform::saveWholeFile(path, raster::encodeJpeg(image));
}

std::string interlaceMismatch(const raster::RasterImage& composite,
                              const std::vector<raster::RasterImage>& strips, int s, int mode,
                              const interlace::ComposeState& st) {
    const int n = static_cast<int>(strips.size());
    const int p = n * s;
    const bool columns = mode == core::kModeColumns;
    if (composite.width() != st.outputWidth || composite.height() != st.outputHeight)
        return "composite size differs";
    for (std::int32_t y = 0; y < st.outputHeight; ++y) {
        for (std::int32_t x = 0; x < st.outputWidth; ++x) {
            const std::int32_t along = columns ? x : y;  // across the lenses
            const std::int32_t other = columns ? y : x;  // along the lenses
            const std::int32_t lens = along / p;
            const std::int32_t r = along % p;
            const int q = r / s + 1;
            const std::int32_t j = lens * s + r % s;
            const raster::RasterImage& strip = strips[static_cast<std::size_t>(q - 1)];
            const std::int32_t stripSize = columns ? st.stripImageWidth : st.stripImageHeight;
            const std::int32_t stripOther = columns ? strip.height() : strip.width();
            raster::Colour expected = raster::kWhite;
            if (j < stripSize && other < stripOther) {
                expected = columns ? strip.pixel(j, y) : strip.pixel(x, j);
            }
            if (composite.pixel(x, y) != expected) {
                std::ostringstream text;
                text << "pixel (" << x << ", " << y << ") should come from frame " << q << " strip "
                     << (columns ? "column " : "row ") << j;
                return text.str();
            }
        }
    }
    return {};
}

std::vector<std::int32_t> blackColumns(const raster::RasterImage& image, std::int32_t row) {
    std::vector<std::int32_t> black;
    for (std::int32_t x = 0; x < image.width(); ++x) {
        if (image.pixel(x, row) == raster::kBlack) black.push_back(x);
    }
    return black;
}

}  // namespace lenzora::testing
