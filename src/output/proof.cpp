#include "output/proof.h"

#include <QString>
#include <algorithm>
#include <cmath>

#include "output/proof_gif.h"
#include "output/save_composite.h"
#include "platform/error.h"
#include "platform/interruption.h"
#include "platform/translation.h"
#include "raster/memory_budget.h"
#include "raster/picture_formats.h"
#include "raster/saved_picture.h"
#include "raster/stored_resolution.h"

namespace lenzora::output {

namespace fs = std::filesystem;

ProofOptions proofFor(const core::OutputSettings& settings) {
    ProofOptions options;
    // On the printer's grid a lens spans a fraction of pixels: D / pitch.
    options.sheet.period = static_cast<double>(settings.printLensPeriod());
    options.sheet.mode = settings.mode;
    options.views = settings.frameCount;
    options.resolution = settings.resolution;
    return options;
}

bool isGifProof(const fs::path& out) {
    return QString::fromStdString(out.extension().string()).compare(u".gif", Qt::CaseInsensitive) ==
           0;
}

std::vector<fs::path> proofFiles(const fs::path& out, int views) {
    if (isGifProof(out)) return {out};
    const auto digits = std::max<std::size_t>(2, std::to_string(views).size());
    std::vector<fs::path> files;
    for (int k = 1; k <= views; ++k) {
        std::string number = std::to_string(k);
        number.insert(0, digits - number.size(), '0');
        files.push_back(out / ("view-" + number + ".png"));
    }
    return files;
}

std::vector<int> swingOrder(int views) {
    std::vector<int> order;
    for (int k = 1; k <= views; ++k) order.push_back(k);
    for (int k = views - 1; k >= 2; --k) order.push_back(k);
    return order;
}

void checkProofTarget(const fs::path& out, int views) {
    if (!isGifProof(out)) {
        std::error_code ignored;
        fs::create_directories(out, ignored);
    }
    for (const fs::path& file : proofFiles(out, views)) raster::checkSaveTarget(file);
}

void saveProof(const raster::RasterImage& composite, const ProofOptions& options,
               const fs::path& out) {
    if (isGifProof(out)) {
        const double scale =
            std::min(1.0, double{kProofGifSide} / std::max(composite.width(), composite.height()));
        const auto side = [&](std::int32_t length) {
            return std::max<std::int32_t>(1,
                                          static_cast<std::int32_t>(std::lround(length * scale)));
        };
        const interlace::ViewPreview preview(composite, options.sheet.mode, side(composite.width()),
                                             side(composite.height()));
        const std::vector<int> order = swingOrder(options.views);
        const auto delay = static_cast<int>(std::lround(options.delayMilliseconds / 10.0));
        saveAnimatedGif(
            out, preview.width(), preview.height(), static_cast<int>(order.size()), delay,
            [&](int index) {
                platform::throwIfInterrupted();
                return preview.view(
                    options.sheet.period,
                    interlace::viewPosition(order[static_cast<std::size_t>(index)], options.views));
            });
        return;
    }
    const std::vector<fs::path> files = proofFiles(out, options.views);
    for (int k = 1; k <= options.views; ++k) {
        platform::throwIfInterrupted();
        const raster::RasterImage view = interlace::renderView(
            composite, options.sheet, interlace::viewPosition(k, options.views));
        saveComposite(view, files[static_cast<std::size_t>(k - 1)], options.resolution,
                      options.colourProfile);
    }
}

SavedComposite loadComposite(const fs::path& path) {
    SavedComposite saved;
    const raster::FrameMemory memory;
    raster::RasterImage image =
        raster::readFormatFor(path.string()).read(path, &saved.colourProfile, nullptr);
    saved.dotsPerInch = raster::storedDotsPerInch(path);
    if (image.format() == raster::PixelFormat::Bgr24) {
        saved.image = std::move(image);
    } else {
        saved.image.allocate(raster::PixelFormat::Bgr24, image.width(), image.height());
        saved.image.drawImageAt(0, 0, image);
    }
    return saved;
}

}  // namespace lenzora::output
