#include "cli/terminal_progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace lenzora::cli {

namespace {
constexpr int kRange = 200;
constexpr int kBarWidth = 40;
}  // namespace

TerminalProgress::TerminalProgress() : enabled_(::isatty(STDERR_FILENO) == 1) {
    if (enabled_) draw();
}

TerminalProgress::~TerminalProgress() {
    if (enabled_) std::fputs("\r\033[K", stderr);
}

void TerminalProgress::reached(std::int64_t done, std::int64_t total) {
    const int position = total > 0 ? static_cast<int>(done * kRange / total) : 0;
    if (position == position_) return;  // no redraw for every band of rows
    position_ = std::min(kRange, position);
    if (enabled_) draw();
}

void TerminalProgress::advance() {
    position_ = std::min(kRange, position_ + 10);
    if (enabled_) draw();
}

void TerminalProgress::draw() const {
    const int filled = position_ * kBarWidth / kRange;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), position_ * 100 / kRange);
    std::fflush(stderr);
}

}  // namespace lenzora::cli
