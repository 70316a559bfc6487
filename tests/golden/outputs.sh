#!/usr/bin/env bash
# Writes every file the README's examples and the bundled samples give, with the batch tool
# given as $1, into the folder $2 (working files included). Used both to make the reference
# digests and to check them: any change of a byte in a composite, chart or working file shows.
set -euo pipefail
cli=$1
out=$2
samples=$(cd "$(dirname "$0")/../../samples" && pwd)
mkdir -p "$out/scene-work"
cd "$out"

"$cli" compose --pitch 42.275 --width 287 --height 200 --unit mm --work-dir scene-work \
  -o card.bmp "$samples"/scene-*.jpg >/dev/null
"$cli" compose --pitch 42.275 --width 287 --height 200 --unit mm -o card.jpg \
  "$samples"/scene-*.jpg >/dev/null
"$cli" compose --pitch 42.275 --width 287 --height 200 --unit mm --calibration \
  -o card-band.bmp "$samples"/scene-*.jpg >/dev/null
"$cli" compose --mode rows --calibration -o flip.jpg "$samples"/flip-1.jpg \
  "$samples"/flip-2.jpg >/dev/null
"$cli" compose --mode rows -o flip.bmp "$samples"/flip-1.jpg "$samples"/flip-2.jpg >/dev/null
"$cli" compose --pitch 21.25 --width 4 --height 3 --unit in -o flip-in.bmp \
  "$samples"/flip-2.jpg "$samples"/flip-1.jpg "$samples"/scene-3.jpg >/dev/null
"$cli" chart --paper A4 --dpi 1200 --pitch 42.275 --bands 11 --increment 15 \
  -o chart.bmp >/dev/null
"$cli" chart --paper A5 --dpi 600 --pitch 60 --bands 5 --increment 10 -o chart-a5.bmp >/dev/null
