// Feeds arbitrary bytes to the job reader. Whatever it accepts must write back and read again
// as the same job, and hold only what the window and the batch tool can use: at most 16 frames,
// a pitch above 0, numbers in the size boxes, a listed unit and mode.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "core/job_file.h"
#include "core/numbers.h"
#include "core/output_settings.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lenzora;
    const std::filesystem::path folder = "/jobs";
    core::Job job;
    try {
        job = core::parseJob(std::string_view(reinterpret_cast<const char*>(data), size), folder);
    } catch (const platform::Error&) {
        return 0;
    }
    if (core::parseJob(core::jobText(job, folder), folder) != job) __builtin_trap();
    if (job.frames && job.frames->size() > static_cast<std::size_t>(core::kMaxFrames))
        __builtin_trap();
    if (job.pitch && core::parseFixedText(*job.pitch) <= 0) __builtin_trap();
    if (job.width) core::parseFixedText(*job.width);  // throws, so a crash, when no number
    if (job.height) core::parseFixedText(*job.height);
    if (job.unit && core::jobUnitIndex(*job.unit) < 0) __builtin_trap();
    if (job.mode && *job.mode != "columns" && *job.mode != "rows") __builtin_trap();
    return 0;
}
