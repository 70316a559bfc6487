#include "core/output_settings.h"

#include "platform/error.h"
#include "platform/translation.h"

namespace lenzora::core {
namespace {

enum class Dimension { Width, Height };

struct Trigger {
    Rounding rounding;
    bool heightFirst;  // pixel order: H then W
    bool capped;
    Dimension cappedDimension;
};

constexpr Trigger kStartUp{Rounding::Truncate, false, true, Dimension::Width};
constexpr Trigger kPitchBox{Rounding::Truncate, false, true, Dimension::Width};
constexpr Trigger kWidthBox{Rounding::Nearest, true, true, Dimension::Width};
constexpr Trigger kHeightBox{Rounding::Nearest, true, true, Dimension::Height};
constexpr Trigger kFrameLoaded{Rounding::Truncate, false, false, Dimension::Width};

void computePixelSize(OutputSettings& o, const Trigger& t) {
    auto width = [&] {
        o.pixelWidth =
            pixelDimension(o.workingWidth, o.resolution, o.sizeUnit, o.pixelWidth, t.rounding);
    };
    auto height = [&] {
        o.pixelHeight =
            pixelDimension(o.workingHeight, o.resolution, o.sizeUnit, o.pixelHeight, t.rounding);
    };
    if (t.heightFirst) {
        height();
        width();
    } else {
        width();
        height();
    }
}

void applyWidthCap(OutputSettings& o, const Trigger& t) {
    auto capped = [&] {
        return t.cappedDimension == Dimension::Width ? o.pixelWidth : o.pixelHeight;
    };
    while (capped() > kWidthCap && o.stripWidth > 1 && o.sizeUnit != kUnitPixels) {
        auto halved = static_cast<std::int32_t>(nearest(o.stripWidth / 2.0L));
        Resolution r = resolutionFor(o.frameCount, o.pitch, halved);
        o.stripWidth = r.stripWidth;
        o.resolution = r.resolution;
        computePixelSize(o, t);
    }
}

// Everything a trigger does after its first step. On the printer's grid the resolution is the
// printer's, whatever the lens: the strip width keeps the automatic value, which nothing on
// that grid reads, and the pixel size is the nearest whole number, uncapped (a printer-grid
// output is large by design).
void recompute(OutputSettings& o, const Trigger& t) {
    Resolution r = resolutionRule(o.frameCount, o.pitch);
    o.stripWidth = r.stripWidth;
    o.resolution = r.resolution;
    if (o.onPrinterGrid()) {
        o.resolution = o.printDpi;
        computePixelSize(o, {Rounding::Nearest, t.heightFirst, false, t.cappedDimension});
        return;
    }
    computePixelSize(o, t);
    if (t.capped) applyWidthCap(o, t);
}

}  // namespace

Resolution resolutionFor(std::int32_t frameCount, FixedCount pitch, std::int32_t stripWidth) {
    FixedCount count = 0;
    if (__builtin_mul_overflow(static_cast<FixedCount>(frameCount), pitch, &count) ||
        __builtin_mul_overflow(count, static_cast<FixedCount>(stripWidth), &count)) {
        throw platform::Error(platform::translate("lenzora::core", "Integer overflow"));
    }
    return {stripWidth, count};
}

Resolution resolutionRule(std::int32_t frameCount, FixedCount pitch) {
    std::int32_t s = 1;
    // A pitch of zero or below never gets here from the controls; it keeps s at 1
    // rather than dividing by zero.
    if (pitch > 0 && frameCount > 0) {
        long double exact = (250.0L / frameCount) / static_cast<long double>(pitch) * kFixedScale;
        s = toPixelCount(exact, Rounding::Nearest);
        if (s < 1) s = 1;
    }
    return resolutionFor(frameCount, pitch, s);
}

std::int32_t pixelDimension(FixedCount size, FixedCount resolution, std::int32_t unit,
                            std::int32_t current, Rounding rounding) {
    const long double v = static_cast<long double>(size);
    const long double r = static_cast<long double>(resolution);
    switch (unit) {
        case kUnitMillimetres:
            return toPixelCount(v / 254000.0L * r / 10000.0L, rounding);
        case kUnitInches:
            return toPixelCount(v * r / 100000000.0L, rounding);
        case kUnitPixels:
            return toPixelCount(v / 10000.0L, rounding);
        default:
            return current;
    }
}

void recomputeAtStartUp(OutputSettings& settings) { recompute(settings, kStartUp); }

bool changePitch(OutputSettings& settings, FixedCount pitch) {
    if (pitch <= 0) return false;
    OutputSettings next = settings;
    next.pitch = pitch;
    recompute(next, kPitchBox);
    settings = next;
    return true;
}

std::optional<std::int32_t> typeWidth(OutputSettings& settings, FixedCount size) {
    OutputSettings next = settings;
    next.savedWidth = next.workingWidth = size;
    recompute(next, kWidthBox);
    settings = next;
    if (settings.sizeUnit == kUnitPixels) return settings.pixelHeight;
    return std::nullopt;
}

std::optional<std::int32_t> typeHeight(OutputSettings& settings, FixedCount size) {
    OutputSettings next = settings;
    next.savedHeight = next.workingHeight = size;
    recompute(next, kHeightBox);
    settings = next;
    if (settings.sizeUnit == kUnitPixels) return settings.pixelWidth;
    return std::nullopt;
}

void changeUnit(OutputSettings& settings, std::int32_t index) {
    OutputSettings next = settings;
    next.sizeUnit = index;
    const long double W = settings.pixelWidth;
    const long double H = settings.pixelHeight;
    const long double R = static_cast<long double>(settings.resolution);
    const long double w0 = static_cast<long double>(settings.workingWidth);
    const long double savedW = static_cast<long double>(settings.savedWidth);
    const long double savedH = static_cast<long double>(settings.savedHeight);
    // The saved sizes keep their ratio to the working width; with a width of 0 there is no
    // ratio, and they take the converted working sizes, so that no size stays in the old unit.
    const bool scalable = w0 != 0;
    if (R != 0 && (index == kUnitMillimetres || index == kUnitInches)) {
        const long double k = index == kUnitMillimetres ? 25.4L : 1.0L;
        // Left to right on the counts: another order rounds differently and would change the
        // sizes stored in existing settings files.
        next.workingWidth = countFromScaled(W * k / R * 100000000.0L);
        next.workingHeight = countFromScaled(H * k / R * 100000000.0L);
        next.savedWidth =
            scalable ? countFromScaled(W * k / R * savedW / w0 * 100000000.0L) : next.workingWidth;
        next.savedHeight =
            scalable ? countFromScaled(W * k / R * savedH / w0 * 100000000.0L) : next.workingHeight;
    } else if (R != 0 && index == kUnitPixels) {
        next.workingWidth = countFromScaled(W * kFixedScale);
        next.workingHeight = countFromScaled(H * kFixedScale);
        next.savedWidth =
            scalable ? countFromScaled(nearest(W * savedW / w0) * kFixedScale) : next.workingWidth;
        next.savedHeight =
            scalable ? countFromScaled(nearest(W * savedH / w0) * kFixedScale) : next.workingHeight;
    }
    settings = next;
}

void raiseFrameCount(OutputSettings& settings, std::int32_t slot) {
    if (settings.frameCount < slot) settings.frameCount = slot;
}

bool frameLoadedInSlot(OutputSettings& settings, std::int32_t slot) {
    if (slot < 3) return false;
    raiseFrameCount(settings, slot);
    recalcResolution(settings);
    return true;
}

void recalcResolution(OutputSettings& settings) {
    OutputSettings next = settings;
    recompute(next, kFrameLoaded);
    settings = next;
}

void changePrintDpi(OutputSettings& settings, FixedCount printDpi) {
    OutputSettings next = settings;
    next.printDpi = printDpi > 0 ? printDpi : 0;
    recompute(next, kStartUp);
    settings = next;
}

long double OutputSettings::printLensPeriod() const {
    if (!onPrinterGrid() || pitch <= 0) return lensPeriod();
    return static_cast<long double>(printDpi) / static_cast<long double>(pitch);
}

}  // namespace lenzora::core
