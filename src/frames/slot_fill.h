#pragma once
// Several picture files put into slots at once (chosen together in the open dialog, or
// dropped): in the order a file list shows them, files of another kind set aside, the rest
// into the slots they are given, in turn.

#include <string>
#include <utility>
#include <vector>

#include "frames/frame_slots.h"

namespace lenzora::frames {

// Sorts host paths by file name as a file list does: numbers within names compared as
// numbers ("f2" before "f10"), letters in either case alike; the whole path breaks ties.
void sortNaturally(std::vector<std::string>& paths);

struct SlotFill {
    std::vector<std::pair<int, std::string>> loads;  // slot and file, in the order to load
    int refused = 0;                                 // files of a kind no slot takes
    int leftOut = 0;                                 // files no slot was left for
};

// `files` sorted naturally, those of another kind refused, the rest given `targets` in turn.
SlotFill planSlotFill(std::vector<std::string> files, const std::vector<int>& targets);

// Slots `first` ... 16.
std::vector<int> slotsFrom(int first);
// The empty slots, in slot order.
std::vector<int> emptySlots(const FrameSlots& frameSlots);

}  // namespace lenzora::frames
