#pragma once
// A job file (".lzjob"): the frames and the texts of the settings boxes of one print, kept as
// a small JSON object so that a card can be made again later, in the window or by the batch
// tool. Version 1:
//   {"version": 1, "frames": ["f1.jpg", null, ...], "pitch": "42.275", "mode": "columns",
//    "width": "287", "height": "200", "unit": "mm", "calibration": false, "output": "card.tif"}
// "frames" lists slots 1 ... n (n the frame count) in order, null for an empty slot ("" is
// read as empty too). File names below the job file's folder are written relative to it,
// others absolute. Every member but "version" may be left out: the reader then leaves that
// setting as it is.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lenzora::core {

inline constexpr const char* kJobExtension = ".lzjob";
inline constexpr int kJobVersion = 1;

// The names the job uses for the unit box's items and the two modes, in index order.
inline constexpr const char* kJobUnitNames[] = {"mm", "in", "px"};
inline constexpr const char* kJobModeNames[] = {"columns", "rows"};

struct Job {
    // Host paths, slot 1 first; an empty text is an empty slot.
    std::optional<std::vector<std::string>> frames;
    // The texts of the pitch, width and height boxes, as typed.
    std::optional<std::string> pitch;
    std::optional<std::string> width;
    std::optional<std::string> height;
    std::optional<std::string> mode;  // one of kJobModeNames
    std::optional<std::string> unit;  // one of kJobUnitNames
    std::optional<bool> calibration;
    std::optional<std::string> output;  // host path; empty: none

    bool operator==(const Job&) const = default;
};

// Reads a job file, its file names made host paths. Anything but a job of a known version
// whose members have their types and values is refused, before anything is used, with one
// message naming the file and what is wrong with it: not JSON, an unknown version, a member of
// the wrong type or value, more than 16 frames, a file larger than a job could be (only so much
// is read), or a name that is no regular file (a pipe or a device is never read from).
Job readJobFile(const std::filesystem::path& path);

// The same for a job file's bytes, its file names taken from `folder`; what is wrong is thrown
// without the file's name.
Job parseJob(std::string_view text, const std::filesystem::path& folder);

// The job as the file holds it, file names relative to `folder` where they lie below it.
std::string jobText(const Job& job, const std::filesystem::path& folder);

// Replaces the file whole through platform::SaveFile, so a failure leaves the old one.
void writeJobFile(const std::filesystem::path& path, const Job& job);

// The slots (1 ... 16) of the job whose frame names no existing file, and the one message
// that lists them ("" when there are none).
std::vector<int> missingJobFrames(const Job& job);
std::string missingFramesMessage(const Job& job, const std::vector<int>& missing);

// The unit box's index of a unit name (-1 for none), and back (nullopt for no listed unit).
int jobUnitIndex(const std::string& name);
std::optional<std::string> jobUnitName(int index);

}  // namespace lenzora::core
