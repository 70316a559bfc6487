#pragma once
// Showing a raster image in a window: the toolkit's image of the same pixels.

#include <QImage>

#include "raster/raster_image.h"

namespace lenzora::raster {

// 24-bit images are copied row by row; indexed ones go through their palette.
QImage toQImage(const RasterImage& image);

}  // namespace lenzora::raster
