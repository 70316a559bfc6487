#pragma once
// The common dialogs the program uses, as small interfaces with a Qt implementation and
// scripted stand-ins for tests.

#include <string>
#include <vector>

namespace lenzora::platform {

// One filter of a file dialog, as the dialog lists it: "label (*.jpg *.jpeg)". The caller
// translates the label.
struct FileFilter {
    std::string label;
    std::vector<std::string> patterns;  // "*.jpg"
    std::string defaultSuffix;          // "jpg": added to a name typed without an extension
};

// The open-picture dialog of the main window: the filters it is given (the first chosen at
// first, its default suffix the dialog's), a preview of the selected picture.
class OpenPictureDialog {
  public:
    virtual ~OpenPictureDialog() = default;
    // The chosen files' full host paths, one or several; none when the user cancelled.
    virtual std::vector<std::string> choose(const std::vector<FileFilter>& filters) = 0;
};

}  // namespace lenzora::platform

namespace lenzora::platform {

// The save-picture dialog: the filters it is given (the first chosen at first), the default
// suffix that of the chosen filter, no question before replacing a file. `prefilled` is the
// name shown when it opens.
class SavePictureDialog {
  public:
    virtual ~SavePictureDialog() = default;
    // The chosen name; empty when the user cancelled.
    virtual std::string choose(const std::vector<FileFilter>& filters,
                               const std::string& prefilled) = 0;
};

}  // namespace lenzora::platform

namespace lenzora::platform {

// The job dialogs: the filter "作业 (*.lzjob)", opened in `folder` (empty: where the desktop
// likes). Saving adds ".lzjob" to a name typed without an extension.
class JobFileDialog {
  public:
    virtual ~JobFileDialog() = default;
    // The job file to open; empty when the user cancelled.
    virtual std::string chooseOpen(const std::string& folder) = 0;
    // The name to save the job under; empty when the user cancelled.
    virtual std::string chooseSave(const std::string& folder) = 0;
};

}  // namespace lenzora::platform
