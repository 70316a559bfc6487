#pragma once
// The program's start-up after the application object exists: the main window (with its
// settings), the splash screen for as long as its timer runs, then the main window shown.

#include <memory>

#include "app/ui/TForm1.h"

namespace lenzora::ui {

std::unique_ptr<TForm1> startProgram();

}  // namespace lenzora::ui
