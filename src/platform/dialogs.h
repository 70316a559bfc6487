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
