#pragma once
// PDF documents of pictures, lines and short labels, through PoDoFo (the only place the
// library is used). PoDoFo writes each object as it is finished and takes a picture's rows
// through a stream we feed a row at a time, so a picture is never held twice in memory; it
// keeps a page box to the micro-point, where Qt's PDF writer rounds it to whole points, and
// gives a picture an ICC-based colour space, which neither Qt nor cairo can.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/file_io.h"
#include "raster/exact_dpi.h"
#include "raster/raster_image.h"

namespace lenzora::raster {

// Measures in points (1/72 inch), from the page's top-left corner, y downwards.
class PdfWriter {
  public:
    using Sink = std::function<void(const std::uint8_t*, std::size_t)>;

    // The document's bytes go to `sink` as they are made; an exception thrown by the sink ends
    // the document and reaches the caller as it was thrown. Anything the library refuses
    // throws Error("PDF error: <the library's reason>").
    explicit PdfWriter(Sink sink);
    ~PdfWriter();
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    // Starts a new page (the one before it is finished).
    void page(double widthPt, double heightPt);

    // Writes a picture into the document once, however often it is placed, losslessly (Flate)
    // and never smoothed: a 1-bit image with a black and a white entry becomes a 1-bit grey
    // picture, any other an 8-bit RGB one, ICC-based when `iccProfile` is given.
    using ImageHandle = std::size_t;
    ImageHandle addImage(const RasterImage& image, const platform::Bytes& iccProfile = {});

    // Draws a picture of this document stretched over the rectangle, on the current page.
    void place(ImageHandle image, double leftPt, double topPt, double widthPt, double heightPt);
    // A black line.
    void line(double x1Pt, double y1Pt, double x2Pt, double y2Pt, double widthPt);
    // Black ASCII text in Helvetica, starting at `leftPt` on the baseline `baselinePt`.
    void text(double leftPt, double baselinePt, double sizePt, const std::string& ascii);

    // Finishes the page and writes the rest of the document. Nothing may follow.
    void finish();

  private:
    struct Document;
    std::unique_ptr<Document> document_;
};

// A document of one page exactly the picture's size at `dpi` (width · 72 · denominator /
// numerator points across), the picture filling it.
void encodePdfPicture(const RasterImage& image, const ExactDpi& dpi,
                      const platform::Bytes& iccProfile, const PdfWriter::Sink& sink);

}  // namespace lenzora::raster
