#pragma once
// The picture formats the program reads and writes, each named once: its extensions, its
// readers and writers, what it carries, its dialog filters and its line in the batch tool's
// help. Frame loading, saving, the dialogs and the help all read this table, so a row is all
// a new format needs.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_io.h"
#include "raster/band_writer.h"
#include "raster/decoded_rows.h"
#include "raster/exact_dpi.h"
#include "raster/orientation.h"
#include "raster/raster_image.h"
#include "raster/row_reader.h"

namespace lenzora::raster {

// The whole picture, with the colour profile and the recorded orientation where it has them.
using PictureReader = RasterImage (*)(const std::filesystem::path& path,
                                      platform::Bytes* iccProfile, Orientation* orientation);
// The same, handing the rows on as they are decoded.
using PictureRowReader = void (*)(const std::filesystem::path& path, DecodedRows& rows,
                                  platform::Bytes* iccProfile, Orientation* orientation);
// Saves the picture under `path` through platform::SaveFile.
using PictureWriter = void (*)(const RasterImage& image, const ExactDpi& dpi,
                               const platform::Bytes& iccProfile,
                               const std::filesystem::path& path);

struct PictureFormat {
    std::string name;                        // "jpeg": the batch tool's JSON says it
    std::vector<std::string> extensions;     // lower case, with the dot; the first is the default
    PictureReader read = nullptr;            // none: neither frames nor composites are read from it
    PictureRowReader readRows = nullptr;     // none: read whole
    PictureWriter writeComposite = nullptr;  // a 24-bit composite; none: not saved in it
    PictureWriter writeChart = nullptr;      // the 1-bit pitch chart; none: not saved in it
    RowReaderOpener openRows = nullptr;      // none: frames are read whole
    BandWriterOpener openBandWriter = nullptr;  // none: the composite is saved whole
    bool carriesResolution = false;
    bool carriesColourProfile = false;
    // The dialogs' filters, translated in the context "lenzora::platform::FileDialogs": the
    // label, then the patterns in brackets (the open dialog's every extension, the save
    // dialog's the default one).
    const char* openFilter = nullptr;
    const char* saveFilter = nullptr;
    const char* help = nullptr;  // the batch tool's help: what the format is, in English
};

// Every row, in the order the dialogs list them.
const std::vector<PictureFormat>& pictureFormats();

// From the last "." to the end, unless a "\", "/" or ":" follows it; otherwise empty.
std::string fileExtension(std::string_view path);

// The row one of whose extensions `path` ends in, in any case (ASCII letters only); none for
// a name without one.
const PictureFormat* formatOfName(std::string_view path);

// The row a frame named `path` is read with; none, a file that is not taken, for a name
// without the extension of a format that has a reader.
const PictureFormat* frameFormatOf(std::string_view path);

// BMP: the working copies' format, and the one every name without the extension of a
// format that writes the picture is saved in.
const PictureFormat& bitmapFormat();

enum class SavedPicture { Composite, Chart };
// The row a picture saved under `path` is written with: the one its extension names when
// that writes the picture, else BMP.
const PictureFormat& saveFormatFor(std::string_view path, SavedPicture picture);

// The row a saved composite is read back with: the one its extension names when that has a
// reader, else BMP.
const PictureFormat& readFormatFor(std::string_view path);

}  // namespace lenzora::raster
