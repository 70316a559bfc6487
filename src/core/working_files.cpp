#include "core/working_files.h"

#include <cstdio>

#include "core/output_settings.h"
#include "platform/drive_paths.h"
#include "platform/file_io.h"

namespace lenzora::core {
namespace {

std::string slotFile(char prefix, int slot) {
    char name[32];
    std::snprintf(name, sizeof name, "c:\\lz3d\\%c%02d.bmp", prefix, slot);
    return name;
}

}  // namespace

std::string workingCopyPath(int slot) { return slotFile('t', slot); }
std::string stripFilePath(int slot) { return slotFile('x', slot); }
std::string colourCopyPath(int slot) { return slotFile('c', slot); }

void removeWorkingFiles() {
    for (int slot = 1; slot <= kMaxFrames; ++slot) {
        platform::removeFileQuietly(platform::hostPath(workingCopyPath(slot)));
        platform::removeFileQuietly(platform::hostPath(stripFilePath(slot)));
        platform::removeFileQuietly(platform::hostPath(colourCopyPath(slot)));
    }
}

}  // namespace lenzora::core
