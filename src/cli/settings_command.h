#pragma once

#include <string>
#include <vector>

namespace lenzora::cli {

// lenzora-cli settings [--frames N] [--pitch LPI] [--width V] [--height V]
//                      [--unit mm|in|px] [--json]
// Prints the output settings after start-up with those settings and slots 1 ... N loaded.
int runSettings(const std::vector<std::string>& args);

// The usage lines its --help starts with.
const char* settingsSynopsis();

}  // namespace lenzora::cli
