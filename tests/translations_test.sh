#!/usr/bin/env bash
# The English translation covers every text of the program: lupdate, run over src/ into a copy
# of the translation, finds no text without an English one and none the program no longer has.
#   translations_test.sh LUPDATE SOURCE_FOLDER TS_FILE
set -euo pipefail
lupdate=$1 sources=$2 ts=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/check.ts"
"$lupdate" -silent -locations none -recursive "$sources" -ts "$work/check.ts"
# Each entry is <source>…</source> then <translation …>; report the source of any bad one.
bad=$(/usr/bin/python3 - "$work/check.ts" <<'PY'
import sys
import xml.etree.ElementTree as ET
for context in ET.parse(sys.argv[1]).getroot().iter("context"):
    for message in context.iter("message"):
        translation = message.find("translation")
        kind = translation.get("type")
        if kind in ("unfinished", "vanished", "obsolete") or not (translation.text or "").strip():
            source = message.find("source").text.strip().splitlines()[0]
            print(f"{kind or 'empty'}: {context.find('name').text}: {source}")
PY
)
if [[ -n $bad ]]; then
  echo "translations/$(basename "$ts") is not up to date with the sources:" >&2
  echo "$bad" >&2
  echo "(cmake --build <dir> --target update_translations, then translate the new entries)" >&2
  exit 1
fi
count=$(grep -c '<message>' "$work/check.ts")
echo "all $count texts translated"
