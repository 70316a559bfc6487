#pragma once
// Option values shared by the subcommands: texts as typed into the program's boxes.

#include <QJsonObject>
#include <optional>
#include <string>

#include "core/settings_file.h"

namespace lenzora::cli {

// "mm", "in" or "px" as the unit list's index; anything else is bad usage.
int unitIndex(const std::string& text);

// "columns" or "rows" as core::kModeColumns or kModeRows; anything else is bad usage.
int modeIndex(const std::string& text);

// A whole number within [low, high] for option `name`; anything else is bad usage.
int boundedInteger(const std::string& name, const std::string& text, int low, int high);

// The threads --jobs asks for: a whole number from 1 up; without it, every core. One thread
// runs the job as a plain loop, in order.
int jobsFrom(const std::optional<std::string>& text);

// The settings a start-up would read from a file holding these values; the pitch must be
// above zero (bad usage otherwise), a text that is no number raises the conversion error.
core::StoredSettings storedSettingsFrom(const std::optional<std::string>& pitch,
                                        const std::optional<std::string>& width,
                                        const std::optional<std::string>& height,
                                        const std::optional<std::string>& unit);

// The members both subcommands report of the output settings: frames, strip_width,
// resolution, width_px, height_px.
void addOutputSettings(QJsonObject& json, const core::OutputSettings& settings);

}  // namespace lenzora::cli
