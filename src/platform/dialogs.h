#pragma once
// The common dialogs the program uses, as small interfaces with a Qt implementation and
// scripted stand-ins for tests.

#include <string>
#include <vector>

namespace lenzora::platform {

// The open-picture dialog of the main window: filters "All (*.jpg;*.png;*.tif;*.bmp)", "JPEG
// Image File (*.jpg)", "PNG Image File (*.png)", "TIFF Image File (*.tif)", "Bitmaps (*.bmp)",
// default extension jpg, a preview of the selected picture.
class OpenPictureDialog {
  public:
    virtual ~OpenPictureDialog() = default;
    // The chosen files' full host paths, one or several; none when the user cancelled.
    virtual std::vector<std::string> choose() = 0;
};

}  // namespace lenzora::platform

namespace lenzora::platform {

// The save-picture dialog: filters "Bitmaps (*.bmp)" (the first), "JPEG Image File (*.jpg)",
// "PNG Image File (*.png)", "TIFF Image File (*.tif)", default extension that of the chosen
// filter, no question before replacing a file. `prefilled` is the name shown when it opens.
class SavePictureDialog {
  public:
    virtual ~SavePictureDialog() = default;
    // The chosen name; empty when the user cancelled.
    virtual std::string choose(const std::string& prefilled) = 0;
};

}  // namespace lenzora::platform
