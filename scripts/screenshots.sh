#!/usr/bin/env bash
# Pictures of every window, taken on a virtual X screen, for README: docs/screenshots/*.png
# with the Chinese interface, docs/screenshots/en/*.png with the English one.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target screenshot_windows
for language in zh en; do
  folder=docs/screenshots
  [[ $language == zh ]] || folder=docs/screenshots/$language
  xvfb-run -a -s "-screen 0 1280x800x24" \
    env QT_QPA_PLATFORM=xcb LENZORA_LANG=$language build/dev/tools/screenshot_windows "$folder" samples
done
