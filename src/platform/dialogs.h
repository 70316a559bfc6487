#pragma once
// The common dialogs the program uses, as small interfaces with a Qt implementation and
// scripted stand-ins for tests.

#include <string>

namespace lenzora::platform {

// The open-picture dialog of the main window: filter "All (*.jpg;*.bmp)", "JPEG Image File
// (*.jpg)", "Bitmaps (*.bmp)", default extension jpg, a preview of the selected picture.
class OpenPictureDialog {
  public:
    virtual ~OpenPictureDialog() = default;
    // The chosen file's full host path; empty when the user cancelled.
    virtual std::string choose() = 0;
};

}  // namespace lenzora::platform

namespace lenzora::platform {

// The save-picture dialog: filter "Bitmaps (*.bmp)", default extension bmp, no question
// before replacing a file. `prefilled` is the name shown when it opens.
class SavePictureDialog {
  public:
    virtual ~SavePictureDialog() = default;
    // The chosen name; empty when the user cancelled.
    virtual std::string choose(const std::string& prefilled) = 0;
};

}  // namespace lenzora::platform
