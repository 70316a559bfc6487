#pragma once

#include <string>
#include <vector>

namespace lenzora::cli {

// lenzora-cli compose [--pitch LPI] [--width V] [--height V] [--unit mm|in|px]
//                     [--mode columns|rows] [--calibration] [--no-calibration]
//                     [--work-dir DIR] [--jobs N] [--max-frame-pixels N] [--json]
//                     [--job FILE] [--save-job FILE] [--proof OUT] [--ignore-orientation]
//                     -o OUT FRAME1 FRAME2 [... FRAME16]
// What the desktop program gives for those settings and frames: compose, the calibration
// lines when asked, and the save; with --proof, what the print's own sheet shows over it.
// A job file may give the settings, frames and output; options override its fields. Photos
// stand upright by their camera's orientation unless --ignore-orientation takes them as stored.
int runCompose(const std::vector<std::string>& args);

// The usage lines its --help starts with.
const char* composeSynopsis();

}  // namespace lenzora::cli
