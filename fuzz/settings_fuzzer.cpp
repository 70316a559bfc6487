// Feeds arbitrary bytes to the settings-file reader. Whatever it accepts must write back and
// read again stably (the file keeps fifteen significant digits, so a value with more is
// rounded once, then kept), and start-up must be able to use it without dividing by zero.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/output_settings.h"
#include "app/settings_file.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lenzora;
    StoredSettings read;
    try {
        read = parseSettings(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const Error&) {
        return 0;
    }
    const StoredSettings once = parseSettings(formatSettings(read));
    if (parseSettings(formatSettings(once)) != once) __builtin_trap();
    if (read.pitch <= 0) return 0;  // start-up takes the defaults instead
    OutputSettings settings;
    applyStoredSettings(read, settings);
    try {
        recomputeAtStartUp(settings);
        changeUnit(settings, settings.sizeUnit);
    } catch (const Error&) {
        return 0;  // a pitch too large for the resolution's count is refused, not wrapped
    }
    if (settings.stripWidth < 1) __builtin_trap();
    return 0;
}
