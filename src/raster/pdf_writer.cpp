#include "raster/pdf_writer.h"

#include <podofo/podofo.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <ostream>
#include <streambuf>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "raster/pixel_rows.h"

namespace lenzora::raster {
namespace {

using Sink = PdfWriter::Sink;

// The document's bytes on their way to the sink. PoDoFo steps back over the last few bytes
// it wrote ("endobj") when a stream follows an object, so the newest bytes are held back
// until more come after them; a failure of the sink is kept for the writer to rethrow, and
// nothing more is handed over after it.
class SinkBuffer : public std::streambuf {
  public:
    explicit SinkBuffer(Sink sink) : sink_(std::move(sink)), buffer_(kSize) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }

    // Hands over everything still held.
    void drain() { handOver(static_cast<std::size_t>(pptr() - pbase())); }

    const std::exception_ptr& failure() const { return failure_; }

  protected:
    int_type overflow(int_type c) override {
        handOver(static_cast<std::size_t>(pptr() - pbase()) - kKept);
        if (failure_) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    pos_type seekoff(off_type offset, std::ios_base::seekdir way,
                     std::ios_base::openmode which) override {
        const auto here = static_cast<off_type>(handedOver_) + (pptr() - pbase());
        if (way == std::ios_base::cur) offset += here;
        if (way == std::ios_base::end) offset += here;
        return seekpos(pos_type(offset), which);
    }

    // Only back into the bytes still held; what follows the new position is written again.
    pos_type seekpos(pos_type position, std::ios_base::openmode) override {
        const auto at = static_cast<off_type>(position) - static_cast<off_type>(handedOver_);
        if (at < 0 || at > pptr() - pbase()) {
            if (!failure_)
                failure_ = std::make_exception_ptr(platform::Error("PDF error: cannot step back"));
            return pos_type(off_type(-1));
        }
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        pbump(static_cast<int>(at));
        return position;
    }

  private:
    static constexpr std::size_t kSize = 1 << 16;
    static constexpr std::size_t kKept = 64;  // the longest step back

    // Hands over the first `count` bytes held and keeps the rest at the front.
    void handOver(std::size_t count) {
        const std::size_t held = static_cast<std::size_t>(pptr() - pbase());
        if (!failure_ && count > 0) {
            try {
                sink_(reinterpret_cast<const std::uint8_t*>(pbase()), count);
            } catch (...) {
                failure_ = std::current_exception();
            }
        }
        handedOver_ += count;
        std::memmove(buffer_.data(), buffer_.data() + count, held - count);
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        pbump(static_cast<int>(held - count));
    }

    Sink sink_;
    std::vector<char> buffer_;
    std::size_t handedOver_ = 0;
    std::exception_ptr failure_;
};

// A 1-bit image whose entries are black and white, in that order, is stored as it is: 1-bit
// grey, 0 black. Any other image goes as red, green, blue.
bool isBlackAndWhite(const RasterImage& image) {
    const std::vector<Colour>& palette = image.palette();
    return image.format() == PixelFormat::Indexed1 && palette.size() >= 2 && palette[0] == kBlack &&
           palette[1] == kWhite;
}

// A picture's samples as the document stores them, made a row at a time when the library
// asks for more: 1-bit grey (0 black) or red, green, blue. The sink's failure ends the samples
// early; the library is left to close the stream, as an exception through it would leak it.
class RowSource : public PoDoFo::PdfInputStream {
  public:
    RowSource(const RasterImage& image, bool blackAndWhite, const SinkBuffer& out)
        : image_(image), blackAndWhite_(blackAndWhite), out_(out) {
        const auto width = static_cast<std::size_t>(image.width());
        row_.resize(blackAndWhite ? (width + 7) / 8 : 3 * width);
        if (!blackAndWhite && image.format() != PixelFormat::Bgr24) {
            table_ = detail::paletteTable(image.palette());
            for (std::int32_t x = 0; x < image.width(); ++x) columns_.push_back(x);
        }
        used_ = row_.size();  // no row made yet
    }

    PoDoFo::pdf_long Read(char* buffer, PoDoFo::pdf_long length,
                          PoDoFo::pdf_long* /*totalLeft*/) override {
        if (out_.failure()) return 0;
        std::size_t given = 0;
        const auto wanted = static_cast<std::size_t>(std::max<PoDoFo::pdf_long>(length, 0));
        while (given < wanted) {
            if (used_ == row_.size()) {
                if (next_ == image_.height()) break;
                makeRow(next_++);
                used_ = 0;
            }
            const std::size_t n = std::min(wanted - given, row_.size() - used_);
            std::memcpy(buffer + given, row_.data() + used_, n);
            given += n;
            used_ += n;
        }
        return static_cast<PoDoFo::pdf_long>(given);
    }

  private:
    void makeRow(std::int32_t y) {
        const std::uint8_t* source = image_.row(y);
        if (blackAndWhite_) {
            std::memcpy(row_.data(), source, row_.size());
            return;
        }
        if (image_.format() != PixelFormat::Bgr24) {
            detail::gatherBgr(image_.format(), table_, source, columns_.data(), image_.width(),
                              row_.data());
            source = row_.data();
        }
        for (std::size_t i = 0; i < row_.size(); i += 3) {
            const std::uint8_t blue = source[i];
            row_[i] = source[i + 2];
            row_[i + 1] = source[i + 1];
            row_[i + 2] = blue;
        }
    }

    const RasterImage& image_;
    bool blackAndWhite_;
    const SinkBuffer& out_;
    std::vector<std::uint8_t> row_;
    std::size_t used_ = 0;
    std::int32_t next_ = 0;
    detail::PaletteTable table_{};
    std::vector<std::int32_t> columns_;
};

}  // namespace

struct PdfWriter::Document {
    explicit Document(Sink sink)
        : buffer(std::move(sink)),
          stream(&buffer),
          device(&stream),
          pdf(&device, PoDoFo::ePdfVersion_1_4) {}

    // Paints what was drawn on the current page into its contents. The library writes a
    // picture's samples straight into the file only while no other stream is open, and a
    // painter holds its page's contents open: so the page is painted only when it is done.
    void paintPage() {
        if (page == nullptr) return;
        PoDoFo::PdfPainter painter;
        // Lines and text to the micro-point, as the page box (pictures the library places
        // to 15 decimals itself).
        painter.SetPrecision(6);
        painter.SetPage(page);
        for (const auto& draw : drawing) draw(painter);
        painter.FinishPage();
        page = nullptr;
        drawing.clear();
    }

    SinkBuffer buffer;
    std::ostream stream;
    PoDoFo::PdfOutputDevice device;
    PoDoFo::PdfStreamedDocument pdf;
    std::vector<std::unique_ptr<PoDoFo::PdfImage>> images;
    PoDoFo::PdfFont* font = nullptr;
    PoDoFo::PdfPage* page = nullptr;
    double pageHeight = 0;
    std::vector<std::function<void(PoDoFo::PdfPainter&)>> drawing;
};

namespace {

platform::Error libraryError(const PoDoFo::PdfError& e) {
    const char* reason = PoDoFo::PdfError::ErrorMessage(e.GetError());
    return platform::Error(std::string("PDF error: ") +
                           (reason != nullptr ? reason : "the library failed"));
}

// Runs library calls: the sink's failure comes out as it was thrown, the library's own as
// "PDF error: <reason>".
template <class Calls>
void guarded(const SinkBuffer& buffer, Calls&& calls) {
    try {
        calls();
    } catch (const PoDoFo::PdfError& e) {
        if (buffer.failure()) std::rethrow_exception(buffer.failure());
        throw libraryError(e);
    }
    if (buffer.failure()) std::rethrow_exception(buffer.failure());
}

void quietLibrary() {
    // The library would otherwise print its warnings on standard error.
    static const bool once = [] {
        PoDoFo::PdfError::EnableLogging(false);
        PoDoFo::PdfError::EnableDebug(false);
        return true;
    }();
    (void)once;
}

}  // namespace

PdfWriter::PdfWriter(Sink sink) {
    quietLibrary();
    try {
        document_ = std::make_unique<Document>(std::move(sink));
    } catch (const PoDoFo::PdfError& e) {
        throw libraryError(e);
    }
}

PdfWriter::~PdfWriter() = default;

void PdfWriter::page(double widthPt, double heightPt) {
    Document& d = *document_;
    guarded(d.buffer, [&] {
        d.paintPage();
        d.page = d.pdf.CreatePage(PoDoFo::PdfRect(0, 0, widthPt, heightPt));
        d.pageHeight = heightPt;
    });
}

PdfWriter::ImageHandle PdfWriter::addImage(const RasterImage& image,
                                           const platform::Bytes& iccProfile) {
    Document& d = *document_;
    const bool blackAndWhite = isBlackAndWhite(image);
    guarded(d.buffer, [&] {
        auto picture = std::make_unique<PoDoFo::PdfImage>(&d.pdf);
        // In a streamed document the picture's dictionary is written when its samples start:
        // everything about it is said first.
        picture->SetInterpolate(false);
        if (blackAndWhite) {
            picture->SetImageColorSpace(PoDoFo::ePdfColorSpace_DeviceGray);
        } else if (!iccProfile.empty()) {
            PoDoFo::PdfMemoryInputStream profile(reinterpret_cast<const char*>(iccProfile.data()),
                                                 static_cast<PoDoFo::pdf_long>(iccProfile.size()));
            picture->SetImageICCProfile(&profile, 3, PoDoFo::ePdfColorSpace_DeviceRGB);
        } else {
            picture->SetImageColorSpace(PoDoFo::ePdfColorSpace_DeviceRGB);
        }
        RowSource rows(image, blackAndWhite, d.buffer);
        picture->SetImageData(static_cast<unsigned>(image.width()),
                              static_cast<unsigned>(image.height()), blackAndWhite ? 1 : 8, &rows);
        d.images.push_back(std::move(picture));
    });
    return d.images.size() - 1;
}

void PdfWriter::place(ImageHandle image, double leftPt, double topPt, double widthPt,
                      double heightPt) {
    Document& d = *document_;
    PoDoFo::PdfImage* picture = d.images.at(image).get();
    const double bottom = d.pageHeight - topPt - heightPt;
    d.drawing.emplace_back([=](PoDoFo::PdfPainter& painter) {
        painter.DrawImage(leftPt, bottom, picture, widthPt / picture->GetWidth(),
                          heightPt / picture->GetHeight());
    });
}

void PdfWriter::line(double x1Pt, double y1Pt, double x2Pt, double y2Pt, double widthPt) {
    Document& d = *document_;
    const double height = d.pageHeight;
    d.drawing.emplace_back([=](PoDoFo::PdfPainter& painter) {
        painter.SetStrokeWidth(widthPt);
        painter.DrawLine(x1Pt, height - y1Pt, x2Pt, height - y2Pt);
    });
}

void PdfWriter::text(double leftPt, double baselinePt, double sizePt, const std::string& ascii) {
    Document& d = *document_;
    guarded(d.buffer, [&] {
        if (d.font == nullptr) {
            d.font =
                d.pdf.CreateFont("Helvetica", false, false, false,
                                 PoDoFo::PdfEncodingFactory::GlobalWinAnsiEncodingInstance(),
                                 PoDoFo::PdfFontCache::eFontCreationFlags_AutoSelectBase14, false);
        }
    });
    PoDoFo::PdfFont* font = d.font;
    const double baseline = d.pageHeight - baselinePt;
    d.drawing.emplace_back([=](PoDoFo::PdfPainter& painter) {
        font->SetFontSize(static_cast<float>(sizePt));
        painter.SetFont(font);
        painter.DrawText(leftPt, baseline, PoDoFo::PdfString(ascii));
    });
}

void PdfWriter::finish() {
    Document& d = *document_;
    guarded(d.buffer, [&] {
        d.paintPage();
        d.pdf.Close();
        d.stream.flush();
        d.buffer.drain();
    });
}

void encodePdfPicture(const RasterImage& image, const ExactDpi& dpi,
                      const platform::Bytes& iccProfile, const PdfWriter::Sink& sink) {
    if (dpi.numerator <= 0 || dpi.denominator <= 0)
        throw platform::Error("PDF error: no resolution");
    // Whole numbers up to 2^53 are exact in a double, so each side is the correctly rounded
    // quotient of two exact products.
    const double perPixel = 72.0 * static_cast<double>(dpi.denominator);
    const auto numerator = static_cast<double>(dpi.numerator);
    const double width = static_cast<double>(image.width()) * perPixel / numerator;
    const double height = static_cast<double>(image.height()) * perPixel / numerator;
    PdfWriter pdf(sink);
    pdf.page(width, height);
    const PdfWriter::ImageHandle picture = pdf.addImage(image, iccProfile);
    pdf.place(picture, 0, 0, width, height);
    pdf.finish();
}

}  // namespace lenzora::raster
