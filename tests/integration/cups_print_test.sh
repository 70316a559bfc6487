#!/usr/bin/env bash
# Prints a composite through a CUPS queue that writes PDF files, renders the PDF back at the
# printer's resolution and checks the lens period dot for dot. Needs root and the CUPS PDF
# packages; skipped (exit 77) otherwise. Stops the cupsd it started, by its process id.
set -uo pipefail
tool=$1
queue=LenzoraTestPDF

skip() { echo "skipped: $*"; exit 77; }
[[ $(id -u) -eq 0 ]] || skip "needs root to run cupsd"
for needed in /usr/sbin/cupsd lpadmin lpstat pdftoppm pdfimages /usr/lib/cups/backend/cups-pdf; do
  command -v "$needed" >/dev/null 2>&1 || [[ -x $needed ]] || skip "$needed is not installed"
done
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[[ -f $ppd ]] || skip "$ppd is missing"

started_pid=""
cleanup() {
  lpadmin -x "$queue" >/dev/null 2>&1
  if [[ -n $started_pid ]]; then
    kill "$started_pid" 2>/dev/null
    wait "$started_pid" 2>/dev/null
  fi
}
trap cleanup EXIT

if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  /usr/sbin/cupsd -f >/dev/null 2>&1 &
  started_pid=$!
  for _ in $(seq 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.2
  done
fi
lpstat -r 2>/dev/null | grep -q "is running" || { echo "cupsd did not start"; exit 1; }

lpadmin -p "$queue" -v cups-pdf:/ -E -P "$ppd" 2>/dev/null || { echo "lpadmin failed"; exit 1; }
lpadmin -d "$queue" 2>/dev/null
export PRINTER=$queue LPDEST=$queue

outdir=${HOME:-/root}/PDF
mkdir -p "$outdir"
marker=$(mktemp)
sleep 1
answer=$(QT_QPA_PLATFORM=offscreen "$tool" print) || { echo "printing failed"; exit 1; }
echo "$answer"
dpi=${answer#dpi=}; dpi=${dpi%% *}
strip=${answer##*strip=}

pdf=""
for _ in $(seq 120); do
  pdf=$(find "$outdir" /var/spool/cups-pdf -name '*.pdf' -newer "$marker" 2>/dev/null | head -n 1)
  if [[ -n $pdf ]] && ! lpstat -o "$queue" 2>/dev/null | grep -q .; then break; fi
  sleep 0.5
done
rm -f "$marker"
[[ -n $pdf ]] || { echo "no PDF came out of the queue"; exit 1; }
echo "queue wrote $pdf"

work=$(mktemp -d)
pdftoppm -r "$dpi" -gray -singlefile "$pdf" "$work/page" || { echo "pdftoppm failed"; exit 1; }
"$tool" measure "$work/page.pgm" "$strip"
status=$?
pdfimages "$pdf" "$work/image" || { echo "pdfimages failed"; exit 1; }
image=$(ls "$work"/image-* | head -n 1)
"$tool" exact "$image" "$strip" || status=1
rm -rf "$work" "$pdf"
exit $status
