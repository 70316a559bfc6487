#!/usr/bin/env bash
# `cmake --install` puts the program, the batch tool, the desktop file and the icon where
# desktops look for them, and the installed batch tool runs. The package's test checks the
# whole file list.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
app_id=io.github.lenzora.Lenzora
for file in bin/lenzora bin/lenzora-cli share/applications/$app_id.desktop \
            share/icons/hicolor/256x256/apps/$app_id.png; do
  [[ -s $prefix/$file ]] || { echo "missing: $file"; exit 1; }
done
[[ -x $prefix/bin/lenzora && -x $prefix/bin/lenzora-cli ]] || { echo "not executable"; exit 1; }
grep -q '^Exec=lenzora$' "$prefix/share/applications/$app_id.desktop"
grep -q "^Icon=$app_id\$" "$prefix/share/applications/$app_id.desktop"
out=$("$prefix/bin/lenzora-cli" settings --json)
[[ $out == '{"frames":2,"height_px":1997,"resolution":"253.65","strip_width":3,"width_px":2866}' ]] ||
  { echo "installed batch tool said: $out"; exit 1; }
echo "installed and runs"
