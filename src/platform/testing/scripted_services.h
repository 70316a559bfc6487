#pragma once
// Stand-ins for the message boxes, the shell and the cursor: they record what the program
// asked for, so tests can assert on it and nothing ever blocks.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"

#include "platform/services.h"

namespace lenzora::platform::testing {

class RecordedMessages : public MessageBoxes {
  public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showErrorReport(const std::string& text) override { errors.push_back(text); }
    void clear() {
        messages.clear();
        errors.clear();
    }

    std::vector<std::string> messages;
    std::vector<std::string> errors;
};

class RecordedShell : public Shell {
  public:
    void openWebPage(const std::string& browser, const std::string& address) override {
        opened.emplace_back(browser, address);
    }
    std::vector<std::pair<std::string, std::string>> opened;
};

class RecordedCursor : public Cursor {
  public:
    void setBusy(bool busy) override {
        depth += busy ? 1 : -1;
        if (busy) ++timesBusy;
    }
    int depth = 0;
    int timesBusy = 0;
};

// Answers the open-picture dialog from a script; an exhausted script cancels.
class ScriptedOpenPicture : public OpenPictureDialog {
  public:
    // What one showing of the dialog answers: one file (an empty name cancels), or several
    // chosen together.
    struct Answer {
        Answer(std::string file) {
            if (!file.empty()) files.push_back(std::move(file));
        }
        Answer(std::vector<std::string> chosen) : files(std::move(chosen)) {}
        std::vector<std::string> files;
    };

    std::vector<std::string> choose(const std::vector<FileFilter>& filters) override {
        ++timesShown;
        shownFilters = filters;
        if (answers.empty()) return {};
        std::vector<std::string> answer = std::move(answers.front().files);
        answers.erase(answers.begin());
        return answer;
    }
    std::vector<Answer> answers;
    int timesShown = 0;
    std::vector<FileFilter> shownFilters;  // those of the last showing
};

// Answers the save dialog from a script and records the name and filters it was opened with.
class ScriptedSavePicture : public SavePictureDialog {
  public:
    std::string choose(const std::vector<FileFilter>& filters,
                       const std::string& prefilled) override {
        prefills.push_back(prefilled);
        shownFilters = filters;
        if (answers.empty()) return {};
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::vector<std::string> answers;
    std::vector<std::string> prefills;
    std::vector<FileFilter> shownFilters;  // those of the last showing
};

// Answers the job dialogs from one script, opening and saving alike, and records the folder
// each was opened in; an exhausted script cancels.
class ScriptedJobFile : public JobFileDialog {
  public:
    std::string chooseOpen(const std::string& folder) override { return answer(folder); }
    std::string chooseSave(const std::string& folder) override { return answer(folder); }
    std::vector<std::string> answers;
    std::vector<std::string> folders;

  private:
    std::string answer(const std::string& folder) {
        folders.push_back(folder);
        if (answers.empty()) return {};
        std::string chosen = answers.front();
        answers.erase(answers.begin());
        return chosen;
    }
};

// A printer of chosen resolution and printable area that keeps what reaches its page.
class RecordingPrinter : public Printer {
  public:
    struct Band {
        std::int32_t left, top, width, height;
    };

    void selectDefault() override {
        if (!installed) throw Error(kNoDefaultPrinter);
        ++defaultsSelected;
        dpiX = defaultDpi;
    }
    bool showSetupDialog() override {
        ++setupsShown;
        if (setupChoiceDpi > 0) dpiX = setupChoiceDpi;
        return setupChoiceDpi > 0;
    }
    int horizontalDpi() const override { return dpiX; }
    int verticalDpi() const override { return dpiY > 0 ? dpiY : dpiX; }
    std::int32_t printableWidth() const override { return width; }
    std::int32_t printableHeight() const override { return height; }
    int bitsPerPixel() const override { return depth; }

    void startDocument() override {
        if (failToStart) throw Error("Printing failed");
        bands.clear();
        page.assign(keepPage ? static_cast<std::size_t>(width) * height * 3 : 0, 0xFF);
        ++documentsStarted;
    }
    void drawBand(std::int32_t left, std::int32_t top, const PixelBand& band) override {
        bands.push_back({left, top, band.width, band.height});
        if (!keepPage) return;
        for (std::int32_t y = 0; y < band.height; ++y) {
            const std::int32_t py = top + y;
            if (py < 0 || py >= height) continue;
            const std::uint8_t* row = band.rows + static_cast<std::size_t>(y) * band.stride;
            for (std::int32_t x = 0; x < band.width; ++x) {
                const std::int32_t px = left + x;
                if (px < 0 || px >= width) continue;
                std::uint8_t* dot = &page[(static_cast<std::size_t>(py) * width + px) * 3];
                if (band.bitsPerPixel == 1) {
                    const bool white = (row[x / 8] >> (7 - x % 8)) & 1;
                    dot[0] = dot[1] = dot[2] = white ? 0xFF : 0x00;
                } else {
                    const std::uint8_t* pixel = row + 3 * static_cast<std::size_t>(x);
                    dot[0] = pixel[0];
                    dot[1] = pixel[1];
                    dot[2] = pixel[2];
                }
            }
        }
    }
    void endDocument() override { ++documentsEnded; }

    // Blue, green, red of one printed dot (white where nothing was drawn).
    std::uint32_t dot(std::int32_t x, std::int32_t y) const {
        const std::uint8_t* d = &page[(static_cast<std::size_t>(y) * width + x) * 3];
        return d[0] | d[1] << 8 | d[2] << 16;
    }

    bool installed = true;
    bool failToStart = false;
    bool keepPage = false;
    int defaultDpi = 600;
    int setupChoiceDpi = 0;  // > 0: the user picks a printer of this resolution in the set-up
    int dpiX = 600;
    int dpiY = 0;  // 0: as dpiX
    std::int32_t width = 4760;
    std::int32_t height = 6812;
    int depth = 24;
    int defaultsSelected = 0;
    int setupsShown = 0;
    int documentsStarted = 0;
    int documentsEnded = 0;
    std::vector<Band> bands;
    std::vector<std::uint8_t> page;
};

// Installs fresh recorders for the lifetime of this object.
class ScriptedServices {
  public:
    ScriptedServices()
        : messages(std::make_shared<RecordedMessages>()),
          shell(std::make_shared<RecordedShell>()),
          cursor(std::make_shared<RecordedCursor>()),
          openPicture(std::make_shared<ScriptedOpenPicture>()),
          savePicture(std::make_shared<ScriptedSavePicture>()),
          printer(std::make_shared<RecordingPrinter>()),
          jobFile(std::make_shared<ScriptedJobFile>()),
          scope_(Services{messages, shell, cursor, openPicture, savePicture, printer, jobFile}) {}

    std::shared_ptr<RecordedMessages> messages;
    std::shared_ptr<RecordedShell> shell;
    std::shared_ptr<RecordedCursor> cursor;
    std::shared_ptr<ScriptedOpenPicture> openPicture;
    std::shared_ptr<ScriptedSavePicture> savePicture;
    std::shared_ptr<RecordingPrinter> printer;
    std::shared_ptr<ScriptedJobFile> jobFile;

  private:
    ScopedServices scope_;
};

}  // namespace lenzora::platform::testing
