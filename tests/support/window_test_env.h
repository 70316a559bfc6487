#pragma once
// What every window test needs: a drive of its own, and recording stand-ins for the message
// boxes, dialogs, shell, cursor and printer, so no test can block or touch the user's files.

#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <QWidget>

#include "platform/drive_paths.h"
#include "platform/testing/scripted_services.h"
#include "support/temp_dir.h"

namespace lenzora::testing {

class WindowTestEnvironment {
  public:
    WindowTestEnvironment() {  // the program's options (QSettings) too
        platform::setDriveRoot(root.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(root.path().string()));
    }
    ~WindowTestEnvironment() { platform::setDriveRoot({}); }
    WindowTestEnvironment(const WindowTestEnvironment&) = delete;
    WindowTestEnvironment& operator=(const WindowTestEnvironment&) = delete;

    TempDir root;
    platform::testing::ScriptedServices scripted;
};

// The control of that name in the window; a missing one ends the test program.
template <class T>
T* findControl(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) qFatal("no control %s", name);
    return found;
}

// Replaces a box's text as a user does: select all, delete (the box is empty for a moment),
// then type.
inline void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Types over the selected whole text, so the box is never empty on the way.
inline void typeOver(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

}  // namespace lenzora::testing
