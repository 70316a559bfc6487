#pragma once
// The printer as the program uses it: the default printer, its set-up dialog, its resolution
// and printable area in device pixels, and one page of pixels drawn at device coordinates.

#include <QtGlobal>
#include <cstddef>
#include <cstdint>

namespace lenzora::platform {

// Rows of pixels, top row first: 24-bit blue, green, red, or 1-bit packed from the most
// significant bit with 0 black and 1 white.
struct PixelBand {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::size_t stride = 0;
    int bitsPerPixel = 24;
    const std::uint8_t* rows = nullptr;
};

class Printer {
  public:
    virtual ~Printer() = default;

    // Makes the system's default printer current with its driver's defaults. Raises
    // "There is no default printer currently selected" when the system has none.
    virtual void selectDefault() = 0;
    // The set-up dialog on the current printer; a confirmed choice becomes current.
    virtual bool showSetupDialog() = 0;

    virtual int horizontalDpi() const = 0;             // LOGPIXELSX
    virtual int verticalDpi() const = 0;               // LOGPIXELSY
    virtual std::int32_t printableWidth() const = 0;   // HORZRES
    virtual std::int32_t printableHeight() const = 0;  // VERTRES
    virtual int bitsPerPixel() const = 0;              // bits per pixel times planes

    virtual void startDocument() = 0;
    // Puts the pixels on the page with their top-left corner at device pixel (left, top),
    // one pixel per printer dot, without resampling or lossy compression.
    virtual void drawBand(std::int32_t left, std::int32_t top, const PixelBand& band) = 0;
    // Sends the page.
    virtual void endDocument() = 0;
};

inline constexpr const char* kNoDefaultPrinter =
    QT_TRANSLATE_NOOP("lenzora::platform", "There is no default printer currently selected");

}  // namespace lenzora::platform
