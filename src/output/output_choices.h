#pragma once
// What the main window's save and print commands share with the chart windows: the one
// save dialog with the name it remembers, and the printer resolution of the last set-up.

#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace lenzora::output {

class OutputChoices {
  public:
    // Shows the save dialog with `filters` and the last name chosen in it; empty when
    // cancelled.
    std::string chooseSaveName(const std::vector<platform::FileFilter>& filters);
    const std::string& lastSaveName() const { return lastSaveName_; }
    // The name the save dialog opens with next (a job's output).
    void rememberSaveName(const std::string& name) { lastSaveName_ = name; }

    // The printer set-up step: the system's default printer is selected afresh (an earlier
    // choice is dropped), the set-up dialog is shown (cancelling keeps the default), and the
    // printer's resolution is read. Raises the printing system's error when there is no printer.
    void printerSetup();

    // Dots per inch of the current printer, as read by the last set-up (0 before).
    int printerDpiX() const { return printerDpiX_; }
    int printerDpiY() const { return printerDpiY_; }

  private:
    std::string lastSaveName_;
    int printerDpiX_ = 0;
    int printerDpiY_ = 0;
};

}  // namespace lenzora::output
