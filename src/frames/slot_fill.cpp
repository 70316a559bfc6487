#include "frames/slot_fill.h"

#include <QCollator>
#include <QFileInfo>
#include <QLocale>
#include <QString>
#include <algorithm>

#include "raster/picture_formats.h"

namespace lenzora::frames {

void sortNaturally(std::vector<std::string>& paths) {
    // The C locale's collation compares code points and ignores the numeric mode.
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const auto nameOf = [](const std::string& path) {
        return QFileInfo(QString::fromStdString(path)).fileName();
    };
    std::stable_sort(paths.begin(), paths.end(), [&](const std::string& a, const std::string& b) {
        const int order = collator.compare(nameOf(a), nameOf(b));
        return order != 0 ? order < 0 : a < b;
    });
}

SlotFill planSlotFill(std::vector<std::string> files, const std::vector<int>& targets) {
    sortNaturally(files);
    SlotFill fill;
    auto slot = targets.begin();
    for (std::string& file : files) {
        if (raster::frameFormatOf(file) == nullptr) {
            ++fill.refused;
        } else if (slot == targets.end()) {
            ++fill.leftOut;
        } else {
            fill.loads.emplace_back(*slot++, std::move(file));
        }
    }
    return fill;
}

std::vector<int> slotsFrom(int first) {
    std::vector<int> targets;
    for (int slot = std::max(first, 1); slot <= core::kMaxFrames; ++slot) targets.push_back(slot);
    return targets;
}

std::vector<int> emptySlots(const FrameSlots& frameSlots) {
    std::vector<int> empty;
    for (int slot = 1; slot <= core::kMaxFrames; ++slot) {
        if (frameSlots[slot].empty()) empty.push_back(slot);
    }
    return empty;
}

}  // namespace lenzora::frames
