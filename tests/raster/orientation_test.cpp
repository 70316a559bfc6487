// The orientation read out of Exif blocks, hostile ones too, and the memory a turn takes.

#include <gtest/gtest.h>

#include "platform/available_memory.h"
#include "raster/exif_orientation.h"
#include "raster/memory_budget.h"
#include "raster/size_limit.h"
#include "support/encoded_pictures.h"

namespace lenzora::raster {
namespace {

// The block of a camera that recorded a quarter turn, with bytes changed: {offset, byte}. With
// its header, the block holds the directory's offset at 10, its entry count at 14, the entry's
// tag at 16, type at 18, count at 20 and value at 24, and the next directory's offset at 28.
platform::Bytes turnedRight(std::initializer_list<std::pair<std::size_t, std::uint8_t>> changes,
                            std::size_t length = 32) {
    platform::Bytes block = testing::orientationExif(6);
    for (auto [at, byte] : changes) block[at] = byte;
    block.resize(length);
    return block;
}

// Only a block holding one valid Orientation value turns the picture, whatever else is wrong
// with it; nothing is read outside the block (the sanitizer build checks) and no loop hangs.
TEST(ExifOrientation, ReadsTheTagAndNothingOutsideTheBlock) {
    constexpr Orientation kRight = Orientation::QuarterTurnRight;
    constexpr Orientation kStored = Orientation::AsStored;
    const std::pair<platform::Bytes, Orientation> cases[] = {
        {turnedRight({}), kRight},
        {testing::orientationExif(6, true, false), kRight},  // big-endian, bare as in PNG
        {{}, kStored},
        {turnedRight({}, 6), kStored},         // the header alone
        {turnedRight({}, 15), kStored},        // cut in the entry count
        {turnedRight({{6, 'X'}}), kStored},    // no byte order
        {turnedRight({{13, 0xFF}}), kStored},  // the directory far beyond the end
        {turnedRight({{14, 0}}), kStored},     // no entries
        {turnedRight({{15, 0xFF}}), kRight},   // more entries than bytes
        {turnedRight({{28, 8}}), kRight},      // the next directory is the first
        {turnedRight({{16, 0x69}, {17, 0x87}, {18, 4}, {24, 8}}), kStored},  // Exif loops back
        {turnedRight({{18, 4}}), kStored},                                   // a LONG
        {turnedRight({{20, 2}}), kStored},                                   // two values
        {turnedRight({{23, 0xFF}, {27, 0xFF}}), kStored},                    // values past the end
        {testing::orientationExif(9), kStored},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(exifOrientation(cases[i].first), cases[i].second) << "case " << i;
    }
}

// A quarter turn holds a second picture beside the first in the frame's memory: with room for
// one picture only it is refused, while a half turn, done in the picture's own rows, is not.
TEST(TurnUpright, AQuarterTurnCountsItsSecondPicture) {
    constexpr std::int32_t kWidth = 2048, kHeight = 1536;  // 9 MB of 24-bit pixels
    const std::uint64_t onePicture = RasterImage::strideFor(PixelFormat::Bgr24, kWidth) * kHeight;
    MemoryBudget::process().setCapacity([&] { return onePicture + onePicture / 2; });
    for (Orientation o : {Orientation::HalfTurn, Orientation::QuarterTurnRight}) {
        const FrameMemory memory;
        checkDecodedSize(kWidth, kHeight, 24);  // as the reader did
        RasterImage picture;
        picture.allocate(PixelFormat::Bgr24, kWidth, kHeight);
        bool refused = false;
        try {
            turnUpright(picture, o);
        } catch (const ImageTooLarge&) {
            refused = true;
        }
        EXPECT_EQ(refused, swapsSides(o));
    }
    MemoryBudget::process().setCapacity(platform::availableMemoryBytes);
}

}  // namespace
}  // namespace lenzora::raster
