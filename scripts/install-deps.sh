#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, test, fuzz and run.
# Idempotent: only missing packages are fetched; quiet unless something goes wrong.
set -euo pipefail

packages=(
  # compiler and build
  g++ cmake ninja-build ccache pkg-config
  # formatting and static checks that the tests run
  clang-format clang-tidy
  # toolkit: Widgets, PrintSupport, Test, offscreen and xcb platform plugins
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6opengl6-dev libgl-dev
  # translations: lupdate and lrelease with their CMake functions, and Qt's own Chinese
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
  # JPEG through the libjpeg 62 API; PNG, TIFF and colour profiles; animated GIF proofs;
  # Fontconfig to find the file behind a font; Exif blocks for a photo's recorded orientation
  libjpeg62-turbo-dev libpng-dev libtiff-dev liblcms2-dev libgif-dev libfontconfig-dev libexif-dev
  # PDF files: PoDoFo keeps a page box to the micro-point and gives a picture its ICC profile
  libpodofo-dev
  # tests, benchmarks, fuzzing
  googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  # CJK faces: Hei (黑体) and Kai (楷体) so the Chinese texts render
  fonts-wqy-zenhei fonts-arphic-ukai fonts-liberation2 fonts-dejavu-core fontconfig
  # a real X server for the window smoke test and screenshots
  xvfb xauth x11-utils
  # the batch tool's bash completion, loaded by its test as by an interactive shell
  bash-completion
  # helper scripts
  python3 python3-numpy python3-pil
  # another program reading the TIFF files we write
  libtiff-tools
  # printing: a PDF queue for the end-to-end print test, and rendering PDF pages back
  libcups2-dev cups cups-client printer-driver-cups-pdf poppler-utils
  # the Debian package: manual pages from --help, its runtime dependencies read off the
  # binaries, the validators of its metadata, and a fresh Debian 12 to install it into
  help2man dpkg-dev file appstream desktop-file-utils man-db debootstrap
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

SUDO=""
if [[ $(id -u) -ne 0 ]]; then
  SUDO="sudo"
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
