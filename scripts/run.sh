#!/usr/bin/env bash
# Installs what is missing, builds the release, and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target lenzora lenzora-cli

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  cat <<MSG
No display: the desktop program needs a screen to show its window.
Run it on a virtual one instead:
  xvfb-run -a -s "-screen 0 1280x800x24" build/release/src/lenzora
or use the batch tool, which needs no window:
  build/release/src/cli/lenzora-cli settings --pitch 42.275 --width 287 --height 200
MSG
  exit 0
fi

exec build/release/src/lenzora "$@"
