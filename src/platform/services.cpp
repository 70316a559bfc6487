#include "platform/services.h"

#include <cstdio>

#include "platform/error.h"
#include "platform/translation.h"

namespace lenzora::platform {
namespace {

class StderrMessages : public MessageBoxes {
  public:
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    void showErrorReport(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
};

class NoShell : public Shell {
  public:
    void openWebPage(const std::string&, const std::string&) override {}
};

class NoCursor : public Cursor {
  public:
    void setBusy(bool) override {}
};

// Without a window nothing can be chosen: every dialog is cancelled.
class NoOpenPicture : public OpenPictureDialog {
  public:
    std::vector<std::string> choose(const std::vector<FileFilter>&) override { return {}; }
};

class NoSavePicture : public SavePictureDialog {
  public:
    std::string choose(const std::vector<FileFilter>&, const std::string&) override { return {}; }
};

class NoJobFile : public JobFileDialog {
  public:
    std::string chooseOpen(const std::string&) override { return {}; }
    std::string chooseSave(const std::string&) override { return {}; }
};

// A system without printers.
class NoPrinter : public Printer {
  public:
    void selectDefault() override {
        throw Error(translate("lenzora::platform", kNoDefaultPrinter));
    }
    bool showSetupDialog() override { return false; }
    int horizontalDpi() const override { return 0; }
    int verticalDpi() const override { return 0; }
    std::int32_t printableWidth() const override { return 0; }
    std::int32_t printableHeight() const override { return 0; }
    int bitsPerPixel() const override { return 0; }
    void startDocument() override {
        throw Error(translate("lenzora::platform", kNoDefaultPrinter));
    }
    void drawBand(std::int32_t, std::int32_t, const PixelBand&) override {}
    void endDocument() override {}
};

Services defaults() {
    return {std::make_shared<StderrMessages>(), std::make_shared<NoShell>(),
            std::make_shared<NoCursor>(),       std::make_shared<NoOpenPicture>(),
            std::make_shared<NoSavePicture>(),  std::make_shared<NoPrinter>(),
            std::make_shared<NoJobFile>()};
}

}  // namespace

Services& services() {
    static Services current = defaults();
    return current;
}

ScopedServices::ScopedServices(Services replacement) : previous_(services()) {
    Services fallback = defaults();
    if (!replacement.messages) replacement.messages = fallback.messages;
    if (!replacement.shell) replacement.shell = fallback.shell;
    if (!replacement.cursor) replacement.cursor = fallback.cursor;
    if (!replacement.openPicture) replacement.openPicture = fallback.openPicture;
    if (!replacement.savePicture) replacement.savePicture = fallback.savePicture;
    if (!replacement.printer) replacement.printer = fallback.printer;
    if (!replacement.jobFile) replacement.jobFile = fallback.jobFile;
    services() = std::move(replacement);
}

ScopedServices::~ScopedServices() { services() = std::move(previous_); }

}  // namespace lenzora::platform

namespace lenzora::platform {

void showMessage(const std::string& text) { platform::services().messages->showMessage(text); }

std::string errorReportText(const std::string& errorText) {
    if (!errorText.empty() && static_cast<unsigned char>(errorText.back()) <= '.') return errorText;
    return errorText + ".";
}

void showErrorReport(const std::string& errorText) {
    platform::services().messages->showErrorReport(errorReportText(errorText));
}

BusyCursor::BusyCursor() { platform::services().cursor->setBusy(true); }
BusyCursor::~BusyCursor() { platform::services().cursor->setBusy(false); }

}  // namespace lenzora::platform

#include "platform/web_page.h"

namespace lenzora::platform {

void openMakerWebPage() { platform::services().shell->openWebPage(kBrowserPath, kMakerWebAddress); }

}  // namespace lenzora::platform
