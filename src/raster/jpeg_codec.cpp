#include "raster/jpeg_codec.h"
#include "raster/decode_file.h"

// jpeglib.h needs size_t and FILE declared first.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/error.h"
#include "platform/translation.h"
#include "raster/exif_orientation.h"
#include "raster/file_row_reader.h"
#include "raster/pixel_rows.h"
#include "raster/sample_rows.h"
#include "raster/size_limit.h"

namespace lenzora::raster {
namespace {

// The library may use this much memory for whole-image buffers (progressive files); a file that
// needs more is refused with the library's own error rather than exhausting the machine.
constexpr long kLibraryMemory = 1024L << 20;
// More scans than any real progressive file has; each scan costs a pass over the image.
constexpr int kMaxScans = 1000;
// The decoded image may take this much, or 1024 bytes per byte of file, whichever is more.
constexpr std::uint64_t kFreeImageBytes = 64ull << 20;
constexpr std::uint64_t kImageBytesPerInputByte = 1024;

constexpr int kQuantisedColours = 236;

[[noreturn]] void throwJpegError(int code) {
    throw platform::Error(platform::fillIn(platform::translate("lenzora::raster", "JPEG error #%1"),
                                           {std::to_string(code)}));
}

// The library reports errors by calling error_exit, which must not return. It jumps back to
// the guarded call, which turns the message number into an Error once the library's frames
// are gone. An exception from the output sink takes the same way out: it cannot pass through
// the library's C frames, so it is kept here and thrown again by the guarded call.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    std::exception_ptr sinkFailure;
};

void onErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings are quiet, except that data ending before the image does is an error.
void onMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) onErrorExit(cinfo);
    cinfo->err->num_warnings++;
}

void onOutputMessage(j_common_ptr) {}

void onProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        cinfo->err->msg_code = JERR_BAD_PROGRESSION;
        onErrorExit(cinfo);
    }
}

void installErrorManager(ErrorManager& errors) {
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = onErrorExit;
    errors.pub.emit_message = onMessage;
    errors.pub.output_message = onOutputMessage;
}

// Runs libjpeg calls; an error inside them ends here as Error("JPEG error #N"). The callable
// must not own anything with a destructor: the jump skips its frame. Keeping setjmp in this
// small frame leaves the callers' variables out of its reach.
template <class Calls>
void guarded(ErrorManager& errors, Calls&& calls) {
    if (setjmp(errors.jump) != 0) {
        if (errors.sinkFailure) std::rethrow_exception(errors.sinkFailure);
        throwJpegError(errors.pub.msg_code);
    }
    calls();
}

class Decompressor {
  public:
    Decompressor() {
        installErrorManager(errors_);
        cinfo_.err = &errors_.pub;
        guarded(errors_, [&] { jpeg_create_decompress(&cinfo_); });
        created_ = true;
    }
    ~Decompressor() {
        if (created_) jpeg_destroy_decompress(&cinfo_);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct cinfo_{};
    ErrorManager errors_{};
    jpeg_progress_mgr progress_{};

  private:
    bool created_ = false;
};

}  // namespace

namespace {

// The orientation of the first APP1 segment that holds an Exif block.
Orientation markerOrientation(const jpeg_decompress_struct& cinfo) {
    constexpr std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < sizeof kExifHeader ||
            std::memcmp(m->data, kExifHeader, sizeof kExifHeader) != 0) {
            continue;
        }
        return exifOrientation(std::span<const std::uint8_t>(m->data, m->data_length));
    }
    return Orientation::AsStored;
}

using RowTarget = std::function<std::uint8_t*(std::int32_t)>;

// One file's decoding: the header, colour profile and orientation read and the output set up
// when it is made, the rows decoded on demand in the format the whole picture takes.
class JpegDecoding {
  public:
    JpegDecoding(std::span<const std::uint8_t> file, int displayBitsPerPixel,
                 platform::Bytes* iccProfile, Orientation* orientation);
    JpegDecoding(const JpegDecoding&) = delete;
    JpegDecoding& operator=(const JpegDecoding&) = delete;
    ~JpegDecoding() = default;

    PixelFormat format() const { return format_; }
    std::int32_t width() const { return static_cast<std::int32_t>(d_.cinfo_.output_width); }
    std::int32_t height() const { return static_cast<std::int32_t>(d_.cinfo_.output_height); }
    std::int32_t rowsRead() const { return rowsRead_; }
    // How many rows the library decodes at once.
    std::int32_t batch() const { return d_.cinfo_.rec_outbuf_height; }

    // Checks the size, the picture's pixels counted at `heldBitsPerPixel` (0: never held
    // together), and starts decoding.
    void start(int heldBitsPerPixel);
    // Decodes rows [rowsRead(), end) into `rowAt(y)` in format(). After the last row the file
    // is read to its end, so that one ending early fails as a whole decoding does.
    void readTo(std::int32_t end, const RowTarget& rowAt);
    // An indexed picture's colours, known once started.
    const std::vector<Colour>& palette() const { return palette_; }

  private:
    Decompressor d_;
    std::size_t fileSize_;
    bool cmyk_ = false;
    bool quantised_ = false;
    PixelFormat format_ = PixelFormat::Bgr24;
    std::int32_t rowsRead_ = 0;
    std::vector<std::uint8_t> cmykRows_;
    std::vector<JSAMPROW> rows_;
    std::vector<Colour> palette_;
};

JpegDecoding::JpegDecoding(std::span<const std::uint8_t> file, int displayBitsPerPixel,
                           platform::Bytes* iccProfile, Orientation* orientation)
    : fileSize_(file.size()) {
    jpeg_decompress_struct& cinfo = d_.cinfo_;
    ErrorManager& errors = d_.errors_;
    cinfo.mem->max_memory_to_use = kLibraryMemory;
    d_.progress_.progress_monitor = onProgress;
    cinfo.progress = &d_.progress_;

    guarded(errors, [&] {
        jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
        if (iccProfile != nullptr) jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
        if (orientation != nullptr) jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
        jpeg_read_header(&cinfo, TRUE);
    });
    if (orientation != nullptr) *orientation = markerOrientation(cinfo);
    if (iccProfile != nullptr) {
        iccProfile->clear();
        JOCTET* profile = nullptr;
        unsigned int length = 0;
        guarded(errors, [&] { jpeg_read_icc_profile(&cinfo, &profile, &length); });
        if (profile != nullptr) {
            iccProfile->assign(profile, profile + length);
            std::free(profile);
        }
    }

    // Full size, block smoothing, accurate integer transform, fancy upsampling, one pass.
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    cinfo.do_block_smoothing = TRUE;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    cinfo.buffered_image = FALSE;

    cmyk_ = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    quantised_ = grey || (!cmyk_ && displayBitsPerPixel <= 8);
    if (grey) {
        cinfo.out_color_space = JCS_GRAYSCALE;
    } else if (cmyk_) {
        cinfo.out_color_space = JCS_CMYK;
    } else {
        cinfo.out_color_space = quantised_ ? JCS_RGB : JCS_EXT_BGR;
    }
    if (quantised_) {
        cinfo.quantize_colors = TRUE;
        cinfo.two_pass_quantize = FALSE;
        cinfo.desired_number_of_colors = kQuantisedColours;
    }
    guarded(errors, [&] { jpeg_calc_output_dimensions(&cinfo); });
    format_ = quantised_ ? PixelFormat::Indexed8 : PixelFormat::Bgr24;
}

void JpegDecoding::start(int heldBitsPerPixel) {
    jpeg_decompress_struct& cinfo = d_.cinfo_;
    std::uint64_t imageBytes =
        std::uint64_t(RasterImage::strideFor(format_, width())) * std::uint64_t(height());
    if (imageBytes > kFreeImageBytes && imageBytes / kImageBytesPerInputByte > fileSize_)
        throwJpegError(JERR_IMAGE_TOO_BIG);
    checkDecodedSize(cinfo.output_width, cinfo.output_height, heldBitsPerPixel);

    guarded(d_.errors_, [&] { jpeg_start_decompress(&cinfo); });
    if (cmyk_) cmykRows_.resize(std::size_t(cinfo.output_width) * 4 * cinfo.rec_outbuf_height);
    rows_.resize(static_cast<std::size_t>(cinfo.rec_outbuf_height));
    // The one-pass quantiser's colours are chosen before any row.
    const bool grey = cinfo.out_color_space == JCS_GRAYSCALE;
    for (int i = 0; quantised_ && i < cinfo.actual_number_of_colors; ++i) {
        if (grey) {
            std::uint8_t level = cinfo.colormap[0][i];
            palette_.push_back(Colour{level, level, level});
        } else {
            palette_.push_back(
                Colour::rgb(cinfo.colormap[0][i], cinfo.colormap[1][i], cinfo.colormap[2][i]));
        }
    }
}

void JpegDecoding::readTo(std::int32_t end, const RowTarget& rowAt) {
    jpeg_decompress_struct& cinfo = d_.cinfo_;
    const bool inverted = cinfo.saw_Adobe_marker != 0;
    end = std::min(end, height());
    while (rowsRead_ < end) {
        const auto first = static_cast<JDIMENSION>(rowsRead_);
        const JDIMENSION want = std::min<JDIMENSION>(static_cast<JDIMENSION>(rows_.size()),
                                                     static_cast<JDIMENSION>(end) - first);
        for (JDIMENSION i = 0; i < want; ++i)
            rows_[i] = cmyk_ ? cmykRows_.data() + std::size_t(i) * 4 * cinfo.output_width
                             : rowAt(static_cast<std::int32_t>(first + i));
        JDIMENSION got = 0;
        guarded(d_.errors_, [&] { got = jpeg_read_scanlines(&cinfo, rows_.data(), want); });
        if (cmyk_) {
            for (JDIMENSION i = 0; i < got; ++i)
                detail::cmykToBgr(rows_[i], rowAt(static_cast<std::int32_t>(first + i)),
                                  cinfo.output_width, inverted);
        }
        if (got == 0) throwJpegError(JWRN_JPEG_EOF);
        rowsRead_ += static_cast<std::int32_t>(got);
        if (rowsRead_ == height()) guarded(d_.errors_, [&] { jpeg_finish_decompress(&cinfo); });
    }
}

// Every row in 24-bit colour: a grey picture's levels through its palette.
class JpegRowReader final : public FileRowReader {
  public:
    explicit JpegRowReader(const std::filesystem::path& path) : FileRowReader(path, false) {
        named([&] {
            decoding_ = std::make_unique<JpegDecoding>(fileBytes(), kDisplayBitsPerPixel,
                                                       profileFound(), orientationFound());
            decoding_->start(0);
        });
        setSize(decoding_->width(), decoding_->height());
        if (decoding_->format() == PixelFormat::Indexed8) {
            levels_.resize(static_cast<std::size_t>(decoding_->width()));
            table_ = detail::paletteTable(decoding_->palette());
        }
    }

  private:
    void readRow(std::uint8_t* bgr) override {
        const std::int32_t next = decoding_->rowsRead() + 1;
        if (levels_.empty()) {
            decoding_->readTo(next, [bgr](std::int32_t) { return bgr; });
            return;
        }
        decoding_->readTo(next, [this](std::int32_t) { return levels_.data(); });
        for (const std::uint8_t level : levels_) {
            const Colour c = table_[level];
            *bgr++ = c.blue;
            *bgr++ = c.green;
            *bgr++ = c.red;
        }
    }

    std::unique_ptr<JpegDecoding> decoding_;
    std::vector<std::uint8_t> levels_;  // a grey row's palette indices
    detail::PaletteTable table_{};
};

}  // namespace

void decodeJpegRows(std::span<const std::uint8_t> file, DecodedRows& out, int displayBitsPerPixel,
                    platform::Bytes* iccProfile, Orientation* orientation) {
    JpegDecoding decoding(file, displayBitsPerPixel, iccProfile, orientation);
    const PixelFormat format = decoding.format();
    decoding.start(bitsPerPixel(format));
    out.begin(format, decoding.width(), decoding.height());
    const RowTarget rowAt = [&out](std::int32_t y) { return out.row(y); };
    while (decoding.rowsRead() < decoding.height()) {
        decoding.readTo(decoding.rowsRead() + decoding.batch(), rowAt);
        out.decodedTo(decoding.rowsRead());
    }
    if (format == PixelFormat::Indexed8) out.setPalette(decoding.palette());
}

std::unique_ptr<RowReader> openJpegRows(const std::filesystem::path& path) {
    return std::make_unique<JpegRowReader>(path);
}

RasterImage decodeJpeg(std::span<const std::uint8_t> file, int displayBitsPerPixel,
                       platform::Bytes* iccProfile, Orientation* orientation) {
    WholeImageRows whole;
    decodeJpegRows(file, whole, displayBitsPerPixel, iccProfile, orientation);
    return std::move(whole.image);
}

RasterImage loadJpegFile(const std::filesystem::path& path, platform::Bytes* iccProfile,
                         Orientation* orientation) {
    WholeImageRows whole;
    loadJpegFileRows(path, whole, iccProfile, orientation);
    return std::move(whole.image);
}

void loadJpegFileRows(const std::filesystem::path& path, DecodedRows& out,
                      platform::Bytes* iccProfile, Orientation* orientation) {
    readFileWith(path, [&](std::span<const std::uint8_t> bytes) {
        decodeJpegRows(bytes, out, kDisplayBitsPerPixel, iccProfile, orientation);
    });
}

namespace {

// Hands the encoder's output to the sink a chunk at a time.
struct SinkDestination {
    jpeg_destination_mgr pub;
    const ByteSink* sink;
    std::vector<std::uint8_t> chunk;
};

void resetChunk(SinkDestination& dest) {
    dest.pub.next_output_byte = dest.chunk.data();
    dest.pub.free_in_buffer = dest.chunk.size();
}

// Runs the sink on the first `count` bytes of the chunk; if it throws, the exception is kept
// and the library is left by the error jump.
void deliver(j_compress_ptr cinfo, std::size_t count) {
    auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    try {
        (*dest->sink)(dest->chunk.data(), count);
    } catch (...) {
        errors->sinkFailure = std::current_exception();
    }
    if (errors->sinkFailure) std::longjmp(errors->jump, 1);
}

void onInitDestination(j_compress_ptr cinfo) {
    resetChunk(*reinterpret_cast<SinkDestination*>(cinfo->dest));
}

boolean onEmptyBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
    deliver(cinfo, dest->chunk.size());
    resetChunk(*dest);
    return TRUE;
}

void onTermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<SinkDestination*>(cinfo->dest);
    std::size_t used = dest->chunk.size() - dest->pub.free_in_buffer;
    if (used > 0) deliver(cinfo, used);
}

class Compressor {
  public:
    Compressor() {
        installErrorManager(errors_);
        cinfo_.err = &errors_.pub;
        guarded(errors_, [&] { jpeg_create_compress(&cinfo_); });
        created_ = true;
    }
    ~Compressor() {
        if (created_) jpeg_destroy_compress(&cinfo_);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    jpeg_compress_struct cinfo_{};
    ErrorManager errors_{};

  private:
    bool created_ = false;
};

}  // namespace

struct JpegEncoder::State {
    Compressor compressor;
    SinkDestination dest{};
    ByteSink sink;
    std::vector<std::uint8_t> bgr;  // a row of another format, as blue, green, red
};

JpegEncoder::JpegEncoder(std::int32_t width, std::int32_t height, const JpegOptions& options,
                         ByteSink sink)
    : state_(std::make_unique<State>()) {
    jpeg_compress_struct& cinfo = state_->compressor.cinfo_;
    ErrorManager& errors = state_->compressor.errors_;
    SinkDestination& dest = state_->dest;
    state_->sink = std::move(sink);
    dest.sink = &state_->sink;
    dest.chunk.resize(1 << 16);
    dest.pub.init_destination = onInitDestination;
    dest.pub.empty_output_buffer = onEmptyBuffer;
    dest.pub.term_destination = onTermDestination;
    cinfo.dest = &dest.pub;

    cinfo.image_width = static_cast<JDIMENSION>(std::max(width, 0));
    cinfo.image_height = static_cast<JDIMENSION>(std::max(height, 0));
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    guarded(errors, [&] {
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, options.quality, TRUE);
    });
    // Full chroma resolution: every component sampled 1 × 1.
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    if (options.dotsPerInch > 0) {
        cinfo.density_unit = 1;  // dots per inch
        auto dpi = static_cast<UINT16>(std::min(options.dotsPerInch, 65535));
        cinfo.X_density = dpi;
        cinfo.Y_density = dpi;
    }
    guarded(errors, [&] {
        jpeg_start_compress(&cinfo, TRUE);
        // Markers written now follow the JFIF header the start wrote.
        if (!options.exif.empty()) {
            jpeg_write_marker(&cinfo, JPEG_APP0 + 1, options.exif.data(),
                              static_cast<unsigned int>(options.exif.size()));
        }
        if (!options.iccProfile.empty()) {
            jpeg_write_icc_profile(&cinfo, options.iccProfile.data(),
                                   static_cast<unsigned int>(options.iccProfile.size()));
        }
    });
}

JpegEncoder::~JpegEncoder() = default;

void JpegEncoder::write(const RasterImage& band, std::int32_t count) {
    jpeg_compress_struct& cinfo = state_->compressor.cinfo_;
    ErrorManager& errors = state_->compressor.errors_;
    // Other formats go through one row of blue, green, red.
    const bool direct = band.format() == PixelFormat::Bgr24;
    std::vector<std::int32_t> columns;
    detail::PaletteTable table;
    if (!direct) {
        state_->bgr.resize(3 * std::size_t(cinfo.image_width));
        for (std::int32_t x = 0; x < band.width(); ++x) columns.push_back(x);
        table = detail::paletteTable(band.palette());
    }
    for (std::int32_t y = 0; y < count; ++y) {
        JSAMPROW row;
        if (direct) {
            row = const_cast<JSAMPROW>(band.row(y));
        } else {
            detail::gatherBgr(band.format(), table, band.row(y), columns.data(), band.width(),
                              state_->bgr.data());
            row = state_->bgr.data();
        }
        guarded(errors, [&] { jpeg_write_scanlines(&cinfo, &row, 1); });
    }
}

void JpegEncoder::finish() {
    guarded(state_->compressor.errors_, [&] { jpeg_finish_compress(&state_->compressor.cinfo_); });
}

void writeJpeg(const RasterImage& image, const JpegOptions& options, const ByteSink& sink) {
    JpegEncoder encoder(image.width(), image.height(), options, sink);
    encoder.write(image, image.height());
    encoder.finish();
}

platform::Bytes encodeJpeg(const RasterImage& image, const JpegOptions& options) {
    platform::Bytes out;
    writeJpeg(image, options, [&out](const std::uint8_t* data, std::size_t size) {
        out.insert(out.end(), data, data + size);
    });
    return out;
}

}  // namespace lenzora::raster
