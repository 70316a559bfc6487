// Feeds arbitrary bytes to the settings-file reader. Whatever it accepts must write back and
// read again stably (the file keeps fifteen significant digits, so a value with more is
// rounded once, then kept), and start-up must be able to use it without dividing by zero.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/output_settings.h"
#include "core/settings_file.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lenzora;
    core::StoredSettings read;
    try {
        read = core::parseSettings(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const platform::Error&) {
        return 0;
    }
    const core::StoredSettings once = core::parseSettings(core::formatSettings(read));
    if (core::parseSettings(core::formatSettings(once)) != once) __builtin_trap();
    if (read.pitch <= 0) return 0;  // start-up takes the defaults instead
    core::OutputSettings settings;
    core::applyStoredSettings(read, settings);
    try {
        core::recomputeAtStartUp(settings);
        core::changeUnit(settings, settings.sizeUnit);
    } catch (const platform::Error&) {
        return 0;  // a pitch too large for the resolution's count is refused, not wrapped
    }
    if (settings.stripWidth < 1) __builtin_trap();
    return 0;
}
