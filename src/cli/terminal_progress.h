#pragma once
// A progress bar on standard error while the tool works, when standard error is a terminal.

#include "interlace/compose_state.h"

namespace lenzora::cli {

class TerminalProgress : public interlace::ComposeProgress {
  public:
    TerminalProgress();
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // Ten steps of 0 ... 200, held at 200, as the window's bar.
    void advance() override;

  private:
    void draw() const;
    bool enabled_;
    int position_ = 0;
};

}  // namespace lenzora::cli
