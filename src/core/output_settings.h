#pragma once
// The output settings record and the rules that derive strip width, output resolution and
// pixel size from pitch, frame count, size and unit. Each trigger function is one of the
// moments at which the program recomputes (start-up, an edit of a box, a loaded frame).

#include <cstdint>
#include <optional>

#include "core/numbers.h"

namespace lenzora::core {

inline constexpr std::int32_t kUnitMillimetres = 0;
inline constexpr std::int32_t kUnitInches = 1;
inline constexpr std::int32_t kUnitPixels = 2;

inline constexpr std::int32_t kModeColumns = 0;
inline constexpr std::int32_t kModeRows = 1;

inline constexpr std::int32_t kMinFrames = 2;
inline constexpr std::int32_t kMaxFrames = 16;

// Beyond this many pixels the strip width is halved (strictly greater; 6000 stays).
inline constexpr std::int32_t kWidthCap = 6000;

struct OutputSettings {
    FixedCount pitch = 422750;  // lines per inch of the sheet
    std::int32_t frameCount = kMinFrames;
    std::int32_t stripWidth = 1;  // pixels per frame per lens
    FixedCount resolution = 0;    // dots per inch: frameCount * pitch * stripWidth exactly
    std::int32_t sizeUnit = kUnitMillimetres;  // anything but 0, 1, 2 means no unit
    FixedCount workingWidth = 2870000;
    FixedCount workingHeight = 2000000;
    FixedCount savedWidth = 2870000;
    FixedCount savedHeight = 2000000;
    std::int32_t pixelWidth = 0;
    std::int32_t pixelHeight = 0;
    std::int32_t mode = kModeColumns;
    std::int32_t errorAdjustment = 0;  // kept in the settings file, enters no computation
    std::int32_t reserved1 = 0;
    std::int32_t reserved2 = 0;
    std::int32_t reserved3 = 0;
    // The printer's own resolution to interlace at (dots per inch), or 0: the resolution
    // follows the lens (frameCount * pitch * stripWidth). Kept apart from the settings file.
    FixedCount printDpi = 0;

    // Lens period in pixels: every lens spans frameCount strips of stripWidth pixels.
    std::int32_t lensPeriod() const { return frameCount * stripWidth; }
    // Interlaced straight onto the printer's grid: every pixel shows the frame under it, and
    // a lens spans printLensPeriod() pixels, a fraction in general.
    bool onPrinterGrid() const { return printDpi > 0; }
    // Pixels per lens at the output resolution: lensPeriod() in the automatic mode.
    long double printLensPeriod() const;
};

// Strip width nearest to 250 dpi (at least 1) and the resolution it gives.
struct Resolution {
    std::int32_t stripWidth = 1;
    FixedCount resolution = 0;
};
Resolution resolutionFor(std::int32_t frameCount, FixedCount pitch, std::int32_t stripWidth);
Resolution resolutionRule(std::int32_t frameCount, FixedCount pitch);

// One pixel dimension of `size` (in `unit`) at `resolution`; no unit keeps `current`.
std::int32_t pixelDimension(FixedCount size, FixedCount resolution, std::int32_t unit,
                            std::int32_t current, Rounding rounding);

// The start-up trigger: after pitch, sizes, unit and mode were taken from the settings.
void recomputeAtStartUp(OutputSettings& settings);

// The pitch box changed. A pitch of zero or below is ignored; returns whether it was taken.
bool changePitch(OutputSettings& settings, FixedCount pitch);

// A key was released in the width or height box holding `size`. In the pixels unit the
// other box is rewritten with the returned whole number.
std::optional<std::int32_t> typeWidth(OutputSettings& settings, FixedCount size);
std::optional<std::int32_t> typeHeight(OutputSettings& settings, FixedCount size);

// The unit box selected item `index` (-1: none). Converts the sizes from the present pixel
// size; with a zero working width the saved sizes become the working ones, with a zero
// resolution no size changes.
void changeUnit(OutputSettings& settings, std::int32_t index);

// A frame was loaded into slot `slot` (3 ... 16): the frame count rises to it.
void raiseFrameCount(OutputSettings& settings, std::int32_t slot);

// A frame now stands in `slot`: a slot from 3 up raises the frame count to its number and the
// resolution is worked out again; slots 1 and 2 change nothing, as two frames is the least.
// Returns whether the settings were worked out again.
bool frameLoadedInSlot(OutputSettings& settings, std::int32_t slot);

// After a frame load: strip width, resolution and pixel size, without the width cap.
void recalcResolution(OutputSettings& settings);

// The printer resolution chosen (0: automatic): the resolution becomes it and the pixel size
// the size times it, rounded to nearest, with no width cap; 0 brings the automatic rule back.
void changePrintDpi(OutputSettings& settings, FixedCount printDpi);

}  // namespace lenzora::core
