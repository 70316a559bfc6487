#pragma once
// Stand-ins for the message boxes, the shell and the cursor: they record what the program
// asked for, so tests can assert on it and nothing ever blocks.

#include <string>
#include <utility>
#include <vector>

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
    std::string choose() override {
        ++timesShown;
        if (answers.empty()) return {};
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::vector<std::string> answers;
    int timesShown = 0;
};

// Installs fresh recorders for the lifetime of this object.
class ScriptedServices {
public:
    ScriptedServices()
        : messages(std::make_shared<RecordedMessages>()),
          shell(std::make_shared<RecordedShell>()),
          cursor(std::make_shared<RecordedCursor>()),
          openPicture(std::make_shared<ScriptedOpenPicture>()),
          scope_(Services{messages, shell, cursor, openPicture}) {}

    std::shared_ptr<RecordedMessages> messages;
    std::shared_ptr<RecordedShell> shell;
    std::shared_ptr<RecordedCursor> cursor;
    std::shared_ptr<ScriptedOpenPicture> openPicture;

private:
    ScopedServices scope_;
};

}  // namespace lenzora::platform::testing
