#!/usr/bin/env bash
# Installs the package with apt into a fresh Debian 12 (debootstrap) and uses it there as a
# user would: the batch tool composes the sample frames (the same bytes as the build's own
# batch tool), the window program names its version and starts on the offscreen platform.
# Then the package is purged and nothing of it may be left. Needs root, debootstrap and the
# Debian mirror; exits 77 (skipped) without root or debootstrap.
#   tests/integration/debian_install_test.sh PACKAGE.deb BUILT_LENZORA_CLI SAMPLES_DIR
set -euo pipefail
deb=$(realpath "$1")
built_cli=$(realpath "$2")
samples=$(realpath "$3")
if [[ $(id -u) -ne 0 ]] || ! command -v debootstrap >/dev/null; then
  echo "skipped: installing into a fresh Debian 12 needs root and debootstrap"
  exit 77
fi

root=$(mktemp -d /var/tmp/debian-12.XXXXXX)
log=$root.log
trap 'rm -rf --one-file-system "$root" "$log"' EXIT
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
# What the tools say goes to the log, shown when one fails.
quiet() { "$@" >>"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }; }
quiet debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir "$root/work"
cp "$deb" "$samples"/scene-*.jpg "$root/work/"
quiet in_root apt-get update
quiet in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "./work/${deb##*/}"

version=$(dpkg-deb --field "$deb" Version)
said=$(in_root lenzora --version)
[[ $said == "lenzora $version" ]] || { echo "lenzora --version said: $said"; exit 1; }
# Still running after three seconds: it started and waits for the user (124: timed out).
status=0
in_root env QT_QPA_PLATFORM=offscreen timeout 3 lenzora >>"$log" 2>&1 || status=$?
[[ $status == 124 ]] || { echo "the window program ended with $status"; exit 1; }

frames=(scene-1.jpg scene-2.jpg scene-3.jpg scene-4.jpg)
quiet in_root sh -c "cd /work && lenzora-cli compose -o installed.bmp ${frames[*]}"
(cd "$samples" && quiet "$built_cli" compose -o "$root/work/built.bmp" "${frames[@]}")
cmp "$root/work/installed.bmp" "$root/work/built.bmp"

files=$(in_root dpkg -L lenzora | while read -r f; do if [[ -f $root$f ]]; then echo "$f"; fi; done)
quiet in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y lenzora
for f in $files; do
  [[ ! -e $root$f ]] || { echo "left after purge: $f"; exit 1; }
done
echo "installed, used and purged on Debian 12: ${deb##*/}"
