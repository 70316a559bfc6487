#pragma once
// A progress bar on standard error while the tool works, when standard error is a terminal.

#include <cstdint>

#include "interlace/compose_state.h"

namespace lenzora::cli {

class TerminalProgress : public interlace::ComposeProgress {
  public:
    TerminalProgress();
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void reached(std::int64_t done, std::int64_t total) override;
    // A tenth of a twentieth: the chart's steps.
    void advance();

  private:
    void draw() const;
    bool enabled_;
    int position_ = 0;
};

}  // namespace lenzora::cli
