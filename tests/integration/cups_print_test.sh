#!/usr/bin/env bash
# Prints a composite through a CUPS queue that writes PDF files, renders the PDF back at the
# printer's resolution and checks the lens period dot for dot. The queue lives in a cupsd of
# the test's own (own configuration, spool and socket; CUPS_SERVER points at it), so the
# system's printers and default printer are never touched. Needs root (the PDF backend runs
# as root) and the CUPS PDF packages; skipped (exit 77) otherwise. Stops its cupsd by its
# process id.
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

# Filters run as the user lp: the folders they read and write must be open to it.
cups=$(mktemp -d /tmp/lenzora-cups-XXXXXX)
chmod 0755 "$cups"
mkdir -p "$cups"/{etc,spool/tmp,cache,state,log}
chmod 1777 "$cups/spool/tmp"
socket=$cups/cups.sock
started_pid=""
cleanup() {
  if [[ -n $started_pid ]]; then
    kill "$started_pid" 2>/dev/null
    wait "$started_pid" 2>/dev/null
  fi
  rm -rf "$cups"
}
trap cleanup EXIT

cat >"$cups/etc/cups-files.conf" <<CONF
ServerRoot $cups/etc
RequestRoot $cups/spool
TempDir $cups/spool/tmp
CacheDir $cups/cache
StateDir $cups/state
ErrorLog $cups/log/error_log
AccessLog $cups/log/access_log
PageLog $cups/log/page_log
Printcap $cups/printcap
CONF
cat >"$cups/etc/cupsd.conf" <<CONF
LogLevel warn
Listen $socket
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

# Everything CUPS below talks to this daemon and no other.
export CUPS_SERVER=$socket
unset PRINTER LPDEST

/usr/sbin/cupsd -f -c "$cups/etc/cupsd.conf" -s "$cups/etc/cups-files.conf" \
  >"$cups/log/cupsd.out" 2>&1 &
started_pid=$!
for _ in $(seq 50); do
  lpstat -r 2>/dev/null | grep -q "is running" && break
  kill -0 "$started_pid" 2>/dev/null || break
  sleep 0.2
done
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  echo "cupsd did not start:"
  cat "$cups/log/cupsd.out" "$cups/log/error_log" 2>/dev/null
  exit 1
fi

if ! reason=$(lpadmin -p "$queue" -v cups-pdf:/ -E -P "$ppd" 2>&1); then
  echo "lpadmin failed: $reason"
  cat "$cups/log/error_log" 2>/dev/null
  exit 1
fi
# The default printer of the test's own daemon, which the program's print path selects.
if ! reason=$(lpadmin -d "$queue" 2>&1); then
  echo "lpadmin -d failed: $reason"
  exit 1
fi
export PRINTER=$queue LPDEST=$queue
# The tool makes a Qt application for every step; none needs a display.
export QT_QPA_PLATFORM=offscreen

outdir=${HOME:-/root}/PDF
mkdir -p "$outdir"
# Prints with the tool's mode $1; sets dpi, strip and pdf, the file the queue wrote.
print_through_queue() {
marker=$(mktemp)
sleep 1
answer=$("$tool" "$1") || {
  echo "printing failed"
  cat "$cups/log/error_log" 2>/dev/null
  exit 1
}
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
if [[ -z $pdf ]]; then
  echo "no PDF came out of the queue"
  lpstat -W all -o 2>&1
  cat "$cups/log/error_log" 2>/dev/null
  exit 1
fi
echo "queue wrote $pdf"
}

print_through_queue print
work=$(mktemp -d)
pdftoppm -r "$dpi" -gray -singlefile "$pdf" "$work/page" || { echo "pdftoppm failed"; exit 1; }
"$tool" measure "$work/page.pgm" "$strip"
status=$?
pdfimages "$pdf" "$work/image" || { echo "pdfimages failed"; exit 1; }
image=$(ls "$work"/image-* | head -n 1)
"$tool" exact "$image" "$strip" || status=1
rm -f "$work"/* "$pdf"

# Four copies with crop marks: each in its place with its lens period, each embedded picture
# exact; the marks are 1-bit pictures (P4) of their own.
print_through_queue print-sheet
pdftoppm -r "$dpi" -gray -singlefile "$pdf" "$work/page" || { echo "pdftoppm failed"; exit 1; }
"$tool" measure-sheet "$work/page.pgm" "$dpi" "$strip" || status=1
pdfimages "$pdf" "$work/image" || { echo "pdfimages failed"; exit 1; }
copies=0
for image in "$work"/image-*; do
  [[ $(head -c 2 "$image") == P4 ]] && continue
  "$tool" exact "$image" "$strip" || status=1
  copies=$((copies + 1))
done
[[ $copies -eq 4 ]] || { echo "$copies pictures of strips, not 4"; status=1; }
rm -rf "$work" "$pdf"
exit $status
