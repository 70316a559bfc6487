#pragma once
// Which kind of file a saved picture becomes, by the name the user gave it: a file whose name
// says JPEG, PNG or TIFF holds that format.

#include <string_view>

namespace lenzora::output {

enum class PictureFormat { Bmp, Jpeg, Png, Tiff };

// By the extension of the final path component in any case: ".jpg" and ".jpeg" JPEG, ".png"
// PNG, ".tif" and ".tiff" TIFF; every other name BMP.
PictureFormat pictureFormatForName(std::string_view name);

// "bmp", "jpeg", "png" or "tiff".
const char* pictureFormatName(PictureFormat format);

}  // namespace lenzora::output
