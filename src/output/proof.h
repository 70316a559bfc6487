#pragma once
// The proof of a print: what a lens sheet laid on the composite shows from one viewing
// position after another (interlace/lens_view.h), as an animated GIF that swings through the
// views or as a folder of full-size PNG views.

#include <filesystem>
#include <optional>
#include <vector>

#include "core/numbers.h"
#include "core/output_settings.h"
#include "interlace/lens_view.h"
#include "platform/file_io.h"
#include "raster/raster_image.h"

namespace lenzora::output {

// The longest side of a GIF proof's pictures.
inline constexpr std::int32_t kProofGifSide = 800;

struct ProofOptions {
    interlace::Sheet sheet;           // the lenses the views are seen through
    int views = 2;                    // K, at interlace::viewPosition(k, K)
    int delayMilliseconds = 200;      // each picture of a GIF
    core::FixedCount resolution = 0;  // the print's, stated in each PNG view
    platform::Bytes colourProfile;    // the composite's, carried by each PNG view
};

// The print's own sheet from the settings a compose used: one view per frame.
ProofOptions proofFor(const core::OutputSettings& settings);

// A name ending in ".gif", in any case: a GIF proof; any other name is a folder of views.
bool isGifProof(const std::filesystem::path& out);

// The files a proof into `out` writes: the GIF, or view-01.png ... view-KK.png in the folder
// (two digits, more when K has more).
std::vector<std::filesystem::path> proofFiles(const std::filesystem::path& out, int views);

// The views a GIF shows in turn, 1 ... K ... 2, so that looping swings back and forth.
std::vector<int> swingOrder(int views);

// Refuses, as a failed save would, a proof that could not be written, before the work that
// makes it; a missing folder of views is made.
void checkProofTarget(const std::filesystem::path& out, int views);

// Writes the proof of a 24-bit composite. A GIF's pictures are the views reduced to at most
// kProofGifSide on their long side (ViewPreview) and to 256 colours each; PNG views are at
// full size (renderView), one in memory at a time.
void saveProof(const raster::RasterImage& composite, const ProofOptions& options,
               const std::filesystem::path& out);

// A saved composite read back for a proof.
struct SavedComposite {
    raster::RasterImage image;          // 24-bit
    std::optional<double> dotsPerInch;  // as its file states it
    platform::Bytes colourProfile;
};

// Reads the composite with the reader its name says (raster::readFormatFor), within the
// limits and memory budget that frames are read with.
SavedComposite loadComposite(const std::filesystem::path& path);

}  // namespace lenzora::output
