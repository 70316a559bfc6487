#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds with warnings as errors and runs
# every test headless: first the computation tests and the output window test under
# AddressSanitizer + UndefinedBehaviorSanitizer, then the whole suite, then the Debian package
# (built, checked, and as root installed into a fresh Debian 12); last, clang-tidy over the
# program.
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

echo "== formatting"
find src tests bench fuzz tools \( -name '*.h' -o -name '*.cpp' \) -print0 |
  xargs -0 clang-format --dry-run --Werror

echo "== core tests and the output window test under ASan + UBSan"
cmake --preset asan-ubsan -DLENZORA_WERROR=ON >/dev/null
cmake --build --preset asan-ubsan -j "$jobs"
ctest --preset asan-ubsan -L 'core|ui' -j "$jobs" --timeout 600 | tail -n 15

echo "== all tests"
cmake --preset dev -DLENZORA_WERROR=ON >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs" --timeout 900

echo "== Debian package"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target lenzora lenzora-cli man_pages
deb=$(bash tests/integration/package_test.sh build/release)
echo "$deb: files, metadata, manual pages and versions as expected"
status=0
bash tests/integration/debian_install_test.sh "$deb" build/release/src/cli/lenzora-cli samples ||
  status=$?
((status == 0 || status == 77)) || exit "$status"

echo "== clang-tidy"
# Only the findings are shown; the tool's counts of suppressed warnings are not.
if ! run-clang-tidy -quiet -p build/dev -j "$jobs" "$PWD/src/" >build/clang-tidy.log 2>&1; then
  grep -E 'error:|warning:' build/clang-tidy.log | grep -v 'warnings generated' || tail -n 30 build/clang-tidy.log
  exit 1
fi
echo "clang-tidy: no findings"
