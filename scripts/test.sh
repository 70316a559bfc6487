#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: first the computation
# tests under AddressSanitizer + UndefinedBehaviorSanitizer, then the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
# The toolkit wants a private runtime folder; without one it warns in every test.
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
jobs=$(nproc)

echo "== core tests under ASan + UBSan"
cmake --preset asan-ubsan >/dev/null
cmake --build --preset asan-ubsan -j "$jobs"
ctest --preset asan-ubsan -L core -j "$jobs" --timeout 600 | tail -n 15

echo "== all tests"
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs" --timeout 900
