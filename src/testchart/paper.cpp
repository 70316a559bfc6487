#include "testchart/paper.h"

namespace lenzora::testchart {

PaperSize paperForEntry(int entry) {
    switch (entry) {
        case 1:
            return {29, 42};
        case 2:
            return {23, 25};
        case 3:
            return {11, 14};
        default:
            return {21, 29};
    }
}

int paperEntryForText(std::string_view text) {
    for (std::size_t i = 0; i < kPaperEntries.size(); ++i)
        if (kPaperEntries[i] == text) return static_cast<int>(i);
    return -1;
}

}  // namespace lenzora::testchart
