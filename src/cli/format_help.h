#pragma once
// The picture formats' lines of the commands' help, from the format table.

#include <string>

namespace lenzora::cli {

// A line for each format the command reads or writes, what it does with it, what the format
// carries, and what becomes of a name of no format.
std::string composeFormatsHelp();
std::string proofFormatsHelp();
std::string chartFormatsHelp();

}  // namespace lenzora::cli
