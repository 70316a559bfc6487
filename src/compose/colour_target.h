#pragma once
// The colours a compose brings every frame to: frame 1's profile, sRGB when it has none.

#include <chrono>
#include <future>

#include "core/working_files.h"
#include "interlace/compose_state.h"
#include "platform/drive_paths.h"
#include "platform/file_io.h"
#include "raster/colour_profile.h"
#include "raster/memory_budget.h"
#include "raster/raster_image.h"

namespace lenzora::compose {

// How often a frame waiting for frame 1's colour profile looks for a stop.
constexpr std::chrono::milliseconds kProfileWaitStep{20};

// A frame learns them as soon as frame 1's profile is read, which may be while frame 1 still
// loads.
class ColourTarget {
  public:
    explicit ColourTarget(const interlace::ComposeRun& run)
        : run_(run), srgb_(raster::srgbProfile()), known_(told_.get_future().share()) {}

    // On frame 1's thread, once: its profile, or why it could not be read.
    void set(const platform::Bytes& firstProfile) {
        first_ = firstProfile;
        told_.set_value(&coloursOf(first_));
        set_ = true;
    }
    void failIfUnset() {
        if (!set_) told_.set_exception(std::current_exception());
    }
    bool isSet() const { return set_; }  // frame 1's thread only

    bool known() const {
        return known_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }
    // A frame without a profile counts as sRGB.
    const platform::Bytes& coloursOf(const platform::Bytes& profile) const {
        return profile.empty() ? srgb_ : profile;
    }
    // Frame 1's task is taken before any other and only a stop keeps it from loading.
    const platform::Bytes& await() const {
        const raster::FrameMemory::Waiting parked;  // frame 1 never waits for this frame
        while (known_.wait_for(kProfileWaitStep) != std::future_status::ready) {
            if (run_.cancel != nullptr) run_.cancel->check();
        }
        return *known_.get();
    }

    // Brings frame `slot`, whose own profile is `own`, to these colours in a colour copy of its
    // own; a frame already in them stays as it is.
    void match(raster::RasterImage& frame, const platform::Bytes& own, int slot) const {
        const platform::Bytes& to = await();
        const platform::Bytes& from = coloursOf(own);
        if (from == to) return;
        raster::convertColours(frame, from, to);
        frame.saveBmpFile(platform::hostPath(core::colourCopyPath(slot)));
    }

    // The composite's profile: these colours, or none when no frame carries a profile.
    platform::Bytes compositeProfile(const platform::Bytes* profiles, int count) const {
        const auto withProfile = [](const platform::Bytes& p) { return !p.empty(); };
        return std::any_of(profiles, profiles + count, withProfile) ? await() : platform::Bytes();
    }

  private:
    const interlace::ComposeRun& run_;
    const platform::Bytes srgb_;
    platform::Bytes first_;
    bool set_ = false;
    std::promise<const platform::Bytes*> told_;
    std::shared_future<const platform::Bytes*> known_;
};

}  // namespace lenzora::compose
