// Reading the orientation out of Exif blocks, hostile ones too, and what a turn costs.

#include <gtest/gtest.h>

#include "platform/available_memory.h"
#include "raster/exif_orientation.h"
#include "raster/memory_budget.h"
#include "raster/orientation.h"
#include "raster/size_limit.h"
#include "support/encoded_pictures.h"

namespace lenzora::raster {
namespace {

using testing::ExifField;
using testing::makeExif;

constexpr ExifField kTurnedRight{0x0112, 3, 1, 6};

// Byte offsets in a block made with its "Exif\0\0" header: the first directory's offset, its
// entry count, the first entry's type, count and value.
constexpr std::size_t kDirectoryOffset = 10;
constexpr std::size_t kEntryCount = 14;
constexpr std::size_t kFirstValue = 24;

platform::Bytes patched(platform::Bytes block, std::size_t at, std::uint8_t byte) {
    block[at] = byte;
    return block;
}
platform::Bytes cut(platform::Bytes block, std::size_t length) {
    block.resize(length);
    return block;
}

// Every block that does not hold one valid Orientation value is taken as "as stored"; one that
// does is read whatever else is wrong with it (loops, directories beyond the end). Run under
// the address sanitizer, no case reads outside its block.
TEST(ExifOrientation, ReadsTheTagAndNothingOutsideTheBlock) {
    const platform::Bytes good = makeExif({kTurnedRight});
    struct Case {
        const char* what;
        platform::Bytes block;
        Orientation expected;
    } cases[] = {
        {"little-endian", good, Orientation::QuarterTurnRight},
        {"big-endian, no header", makeExif({kTurnedRight}, true, false),
         Orientation::QuarterTurnRight},
        {"each value", testing::orientationExif(7), Orientation::Transversed},
        {"empty", {}, Orientation::AsStored},
        {"header only", cut(good, 6), Orientation::AsStored},
        {"cut in the directory", cut(good, kEntryCount + 1), Orientation::AsStored},
        {"cut in the entry", cut(good, kFirstValue + 1), Orientation::AsStored},
        {"no byte order", patched(good, 6, 'X'), Orientation::AsStored},
        {"directory far beyond", patched(good, kDirectoryOffset + 3, 0xFF), Orientation::AsStored},
        {"directory just beyond", patched(good, kDirectoryOffset, 30), Orientation::AsStored},
        {"no entries", patched(good, kEntryCount, 0), Orientation::AsStored},
        {"more entries than bytes", patched(good, kEntryCount + 1, 0xFF),
         Orientation::QuarterTurnRight},
        {"next directory is itself", makeExif({kTurnedRight}, false, true, 8),
         Orientation::QuarterTurnRight},
        {"next directory far beyond", makeExif({kTurnedRight}, false, true, 0xFFFFFFF0u),
         Orientation::QuarterTurnRight},
        {"Exif directory loops back",
         makeExif({kTurnedRight, {0x8769, 4, 1, 8}, {0x8825, 4, 1, 8}}),
         Orientation::QuarterTurnRight},
        {"value 0", testing::orientationExif(0), Orientation::AsStored},
        {"value 9", testing::orientationExif(9), Orientation::AsStored},
        {"value 0xFFFF", testing::orientationExif(0xFFFF), Orientation::AsStored},
        {"a LONG", makeExif({{0x0112, 4, 1, 6}}), Orientation::AsStored},
        {"two values", makeExif({{0x0112, 3, 2, 6}}), Orientation::AsStored},
        {"values far beyond", makeExif({{0x0112, 3, 0x40000000u, 0xFFFFFF00u}}),
         Orientation::AsStored},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(exifOrientation(c.block), c.expected) << c.what;
    }
}

// A quarter turn holds a second picture beside the first, in the frame's memory: with room for
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
        if (swapsSides(o)) {
            EXPECT_THROW(turnUpright(picture, o), ImageTooLarge);
        } else {
            EXPECT_NO_THROW(turnUpright(picture, o));
        }
    }
    MemoryBudget::process().setCapacity(platform::availableMemoryBytes);
}

}  // namespace
}  // namespace lenzora::raster
