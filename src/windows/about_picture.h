#pragma once

#include <QImage>

namespace lenzora::windows {

// The about window's 353 x 289 photograph in the interface language, stored with the program as
// JPEG data and decoded by the program's own JPEG reading.
QImage aboutPicture();

}  // namespace lenzora::windows
