#!/usr/bin/env bash
# Installs what is missing, builds the release, and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target lenzora lenzora-cli

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  out="$PWD/build/sample-composite.bmp"
  echo "No display: the desktop program needs a screen to show its window."
  echo "Composing the bundled sample frames with the batch tool instead:"
  build/release/src/cli/lenzora-cli compose --pitch 42.275 --width 287 --height 200 \
    -o "$out" samples/scene-1.jpg samples/scene-2.jpg samples/scene-3.jpg samples/scene-4.jpg
  cat <<MSG
The composite is $out.
To see the program itself, run it on a virtual screen:
  xvfb-run -a -s "-screen 0 1280x800x24" build/release/src/lenzora
MSG
  exit 0
fi

exec build/release/src/lenzora "$@"
