#pragma once

#include <string>
#include <vector>

namespace lenzora::cli {

// lenzora-cli chart [--paper TEXT] [--dpi N] [--pitch LPI] [--bands N] [--increment N]
//                   [--json] -o OUT
// What the chart window's "生成" then "存盘" give with those field texts.
int runChart(const std::vector<std::string>& args);

// The usage lines its --help starts with.
const char* chartSynopsis();

}  // namespace lenzora::cli
