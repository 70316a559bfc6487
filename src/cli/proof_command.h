#pragma once

#include <string>
#include <vector>

namespace lenzora::cli {

// lenzora-cli proof --frames N [--strip S | --dpi D] [--mode columns|rows] [--pitch LPI]
//                   [--sheet-pitch LPI] [--views K] [--delay MS] [--json] -o OUT COMPOSITE
// What a lens sheet shows over a saved composite, view after view: an animated GIF for a
// .gif name, else a folder of full-size PNG views.
int runProof(const std::vector<std::string>& args);

// The usage lines its --help starts with.
const char* proofSynopsis();

}  // namespace lenzora::cli
