#!/usr/bin/env bash
# Pictures of every window, taken on a virtual X screen, for README: docs/screenshots/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target screenshot_windows
xvfb-run -a -s "-screen 0 1280x800x24" \
  env QT_QPA_PLATFORM=xcb build/dev/tools/screenshot_windows docs/screenshots samples
