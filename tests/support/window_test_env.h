#pragma once
// What every window test needs: a drive of its own, and recording stand-ins for the message
// boxes, dialogs, shell, cursor and printer, so no test can block or touch the user's files.

#include <QWidget>

#include "platform/drive_paths.h"
#include "platform/testing/scripted_services.h"
#include "support/temp_dir.h"

namespace lenzora::testing {

class WindowTestEnvironment {
public:
    WindowTestEnvironment() { platform::setDriveRoot(root.path()); }
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

}  // namespace lenzora::testing
