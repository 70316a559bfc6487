#pragma once
// The chart window's paper list and the measures each entry stands for.

#include <array>
#include <string_view>

namespace lenzora::testchart {

// Paper width and height in whole centimetres.
struct PaperSize {
    int widthCm = 0;
    int heightCm = 0;
    friend bool operator==(const PaperSize&, const PaperSize&) = default;
};

// The entries of the paper list, in order; the fourth one is blank.
inline constexpr std::array<std::string_view, 4> kPaperEntries = {"A4", "A3", "8' x 10'", ""};

// The measures of a list entry; any other index (a typed name) gives the A4 measures.
PaperSize paperForEntry(int entry);

// The entry whose text is exactly `text`, or -1 for a typed name not in the list.
int paperEntryForText(std::string_view text);

}  // namespace lenzora::testchart
