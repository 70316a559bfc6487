#pragma once
// The program's start-up after the application object exists: the main window (with its
// settings), the splash screen for as long as its timer runs, then the main window shown.

#include <memory>

#include "app/main_window.h"

namespace lenzora::app {

std::unique_ptr<MainWindow> startProgram();

}  // namespace lenzora::app
