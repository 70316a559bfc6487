#pragma once
// The small interfaces that stand in for the Windows services the program uses.
// The desktop program installs the Qt implementations; tests install scripted ones.

#include <memory>
#include <string>

#include "platform/dialogs.h"
#include "platform/printer.h"

namespace lenzora::platform {

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Modal box with an OK button and a blank caption.
    virtual void showMessage(const std::string& text) = 0;
    // The general error report: stop icon, OK button, blank caption.
    virtual void showErrorReport(const std::string& text) = 0;
};

class Shell {
  public:
    virtual ~Shell() = default;
    // "Run the browser with this address": the result is not looked at.
    virtual void openWebPage(const std::string& browser, const std::string& address) = 0;
};

class Cursor {
  public:
    virtual ~Cursor() = default;
    virtual void setBusy(bool busy) = 0;
};

struct Services {
    std::shared_ptr<MessageBoxes> messages;
    std::shared_ptr<Shell> shell;
    std::shared_ptr<Cursor> cursor;
    std::shared_ptr<OpenPictureDialog> openPicture;
    std::shared_ptr<SavePictureDialog> savePicture;
    std::shared_ptr<Printer> printer;
    std::shared_ptr<JobFileDialog> jobFile;
};

// The services in force. Before any are installed, messages go to standard error.
Services& services();

// Installs a set of services for the lifetime of this object, then puts back the old ones.
class ScopedServices {
  public:
    explicit ScopedServices(Services replacement);
    ~ScopedServices();
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

  private:
    Services previous_;
};

}  // namespace lenzora::platform

namespace lenzora::platform {

// The program's own short messages ("Merge OK！").
void showMessage(const std::string& text);

// The text the general error report shows for an error: a full stop is added unless the
// text already ends in a full stop or another character that sorts at or before it.
std::string errorReportText(const std::string& errorText);

// Shows an error in the general error report.
void showErrorReport(const std::string& errorText);

// The busy (hourglass) cursor for the lifetime of this object.
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace lenzora::platform
