#include "raster/exif_orientation.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace lenzora::raster {
namespace {

constexpr std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};

// More than any Exif block a JPEG segment can carry, and far more than the first directory
// needs; a longer block (a PNG chunk) is read only this far.
constexpr std::size_t kMaxExifBytes = std::size_t{1} << 20;

struct ExifDataFree {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};
using ExifDataPtr = std::unique_ptr<ExifData, ExifDataFree>;

}  // namespace

Orientation exifOrientation(std::span<const std::uint8_t> exif) {
    // The library takes a block that starts with the Exif header; a bare TIFF structure gets
    // one in front.
    std::vector<std::uint8_t> block;
    const bool hasHeader = exif.size() >= sizeof kExifHeader &&
                           std::equal(std::begin(kExifHeader), std::end(kExifHeader), exif.begin());
    if (!hasHeader) block.assign(std::begin(kExifHeader), std::end(kExifHeader));
    const std::size_t room = kMaxExifBytes - block.size();
    block.insert(block.end(), exif.begin(), exif.begin() + std::min(exif.size(), room));

    const ExifDataPtr data(exif_data_new());
    if (!data) return Orientation::AsStored;
    // Read the block as it is: no tags made up or corrected on the way in.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), block.data(), static_cast<unsigned int>(block.size()));

    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components != 1 ||
        entry->data == nullptr || entry->size < 2) {
        return Orientation::AsStored;
    }
    return orientationFromTag(exif_get_short(entry->data, exif_data_get_byte_order(data.get())));
}

}  // namespace lenzora::raster
