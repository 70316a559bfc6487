#pragma once
// The program's start-up after the application object exists: the main window (with its
// settings), the splash screen for as long as its timer runs, then the main window shown.

#include <chrono>
#include <memory>

#include "app/main_window.h"
#include "windows/about_window.h"

namespace lenzora::app {

// `splashDuration` is how long the splash stays before the main window appears; tests pass
// a short one.
std::unique_ptr<MainWindow> startProgram(
    std::chrono::milliseconds splashDuration = windows::AboutWindow::kSplashDuration);

}  // namespace lenzora::app
