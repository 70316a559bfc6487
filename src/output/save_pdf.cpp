#include "output/save_pdf.h"

#include "output/saved_picture.h"
#include "raster/pdf_writer.h"

namespace lenzora::output {

bool namesPdf(std::string_view name) {
    const std::size_t slash = name.find_last_of("\\/");
    const std::string_view file = slash == std::string_view::npos ? name : name.substr(slash + 1);
    if (file.size() < 4) return false;
    const std::string_view extension = file.substr(file.size() - 4);
    // ASCII only: a locale must not turn another letter into one of these.
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return extension[0] == '.' && lower(extension[1]) == 'p' && lower(extension[2]) == 'd' &&
           lower(extension[3]) == 'f';
}

void savePdf(const raster::RasterImage& picture, const std::filesystem::path& path,
             std::uint32_t dpiNumerator, std::uint32_t dpiDenominator,
             const platform::Bytes& iccProfile) {
    saveStreamed(path, [&](const ByteSink& sink) {
        raster::writePdfPicture(picture, dpiNumerator, dpiDenominator, iccProfile, sink);
    });
}

}  // namespace lenzora::output
