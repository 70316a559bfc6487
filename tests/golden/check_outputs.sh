#!/usr/bin/env bash
# Every file of outputs.sh, compared with the digests of the same files as the program wrote
# them before its code was reorganised (outputs.sha256): composites, charts and working files
# must stay byte for byte what they were.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
bash "$here/outputs.sh" "$1" "$out"
cd "$out"
sha256sum --quiet -c "$here/outputs.sha256"
listed=$(wc -l <"$here/outputs.sha256")
written=$(find . -type f | wc -l)
if ((listed != written)); then
  echo "wrote $written files, expected $listed" >&2
  exit 1
fi
