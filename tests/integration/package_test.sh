#!/usr/bin/env bash
# Builds the Debian package in a release build folder and checks what it holds: exactly the
# files a desktop and a shell look for, the desktop file and the AppStream metadata as their
# validators read them, manual pages that render without a warning, a completion bash can
# read, and one version in the package, both programs and the AppStream release.
#   tests/integration/package_test.sh BUILD_DIR   (prints the package's path last)
set -euo pipefail
build=$1
out=$(cmake --build "$build" --target package 2>&1) || { echo "$out"; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/lenzora_${version}_$(dpkg --print-architecture).deb
[[ -s $deb ]] || { echo "no package $deb"; exit 1; }

app=io.github.lenzora.Lenzora
expected=(
  usr/bin/lenzora usr/bin/lenzora-cli
  usr/share/applications/$app.desktop
  usr/share/bash-completion/completions/lenzora-cli
  usr/share/doc/lenzora/copyright
  usr/share/icons/hicolor/scalable/apps/$app.svg
  usr/share/man/man1/lenzora-cli.1.gz usr/share/man/man1/lenzora.1.gz
  usr/share/metainfo/$app.metainfo.xml
)
for size in 16 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x$size/apps/$app.png")
done
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort)
if [[ $files != "$(printf '%s\n' "${expected[@]}" | sort)" ]]; then
  echo "the package holds other files than expected:"
  diff <(printf '%s\n' "${expected[@]}" | sort) <(echo "$files") || true
  exit 1
fi

fields=$(dpkg-deb --field "$deb" Package Version Architecture Depends)
grep -qx "Version: $version" <<<"$fields" || { echo "$fields"; exit 1; }
# dpkg-shlibdeps read the libraries off the binaries.
for library in libqt6widgets6 libqt6printsupport6 libtiff6 libpng16-16 liblcms2-2 libc6; do
  grep -q "$library" <<<"$fields" || { echo "Depends lacks $library: $fields"; exit 1; }
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb --extract "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$app.desktop"
appstreamcli validate --no-net --strict "$root/usr/share/metainfo/$app.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net --strict "$root/usr/share/metainfo/$app.metainfo.xml"
# The metainfo file, the desktop file and the icons agree on the id.
appstreamcli validate-tree --no-net --strict "$root" >/dev/null ||
  appstreamcli validate-tree --no-net --strict "$root"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$root/usr/share/metainfo/$app.metainfo.xml"

for page in lenzora lenzora-cli; do
  warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [[ -z $warnings ]] || { echo "$page(1): $warnings"; exit 1; }
  zgrep -q "^\.TH \"\?${page^^}\"\? \"1\" \"[^\"]*\" \"$page $version\"" \
    "$root/usr/share/man/man1/$page.1.gz" || { echo "$page(1) lacks the version"; exit 1; }
done
# Every option of compose is in the manual page.
cli_page=$(zcat "$root/usr/share/man/man1/lenzora-cli.1.gz" | sed 's/\\-/-/g')
for option in $("$build/src/cli/lenzora-cli" compose --help | grep -oE '^  --[a-z-]+'); do
  grep -q -- "$option" <<<"$cli_page" || { echo "lenzora-cli(1) lacks $option"; exit 1; }
done
bash -n "$root/usr/share/bash-completion/completions/lenzora-cli"

for program in lenzora lenzora-cli; do
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version)
  [[ $said == "$program $version" ]] || { echo "$program --version said: $said"; exit 1; }
done
echo "$deb"
