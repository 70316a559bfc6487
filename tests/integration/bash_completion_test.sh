#!/usr/bin/env bash
# The bash completion of lenzora-cli, driven as bash-completion drives it, offers each
# command's options exactly as its --help lists them, the words of those that take one,
# and as frames the extensions that help lists for frames, in any case.
set -uo pipefail
export LC_ALL=C
cli=$1
source /usr/share/bash-completion/bash_completion || exit 1
source "$2" || exit 1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" && mkdir d && touch a.JPG b.png c.txt e.lzjob
failed=0

# Checks what the completion offers for the words after lenzora-cli, the last being typed.
expect() {
  local want=$1 got
  shift
  COMP_WORDS=(lenzora-cli "$@") COMP_CWORD=$#
  COMP_LINE="${COMP_WORDS[*]}" COMP_POINT=${#COMP_LINE} COMPREPLY=()
  _lenzora_cli lenzora-cli "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')
  [[ $got == "$want" ]] || { echo "lenzora-cli $*: got '$got', expected '$want'"; failed=1; }
}

expect '--help --version chart compose proof settings' ''
expect 'mm' settings --unit m
# The words of options taking one; a number gets nothing.
declare -A words=([--unit]='in mm px' [--mode]='columns rows' [--copies]=fit
                  [--sheet]='A3 A4 A5 Legal Letter' [--job]='d e.lzjob' [--work-dir]=d
                  [-o]=all [--proof]=all [--save-job]=all)
for command in compose proof chart settings; do
  help=$("$cli" "$command" --help) || failed=1
  # The help's option lines: "  -h, --help  ...", "  --pitch <LPI>  ...".
  expect "$(grep -oE '^  -[-a-z]+(, --[-a-z]+)?' <<<"$help" | grep -oE -- '-[-a-z]+' |
            sort | paste -sd ' ')" "$command" -
  # A file of every extension in the help's format table, in mixed case: m.Jpg ...
  rm -f m.*
  rows=$(grep -E '^  \.' <<<"$help")
  for ext in $(grep -oE '^ +(\.[a-z]+ +)+' <<<"$rows"); do ext=${ext#.}; touch "m.${ext^}"; done
  all=$(printf '%s\n' * | paste -sd ' ')
  for option in $(grep -oE '^  -[-a-z]+ <' <<<"$help" | tr -d '<'); do
    want=${words[$option]-}
    expect "${want/#all/$all}" "$command" "$option" ''
  done
  # The pictures read: the rows whose use names the argument (FRAMES, COMPOSITE).
  use=$(grep -A1 '^Arguments:' <<<"$help" | grep -oE '^  [A-Z]+' | tr -d ' ')
  [[ -n $use ]] || continue
  expect "$({ printf '%s\n' a.JPG b.png d
              grep -iE ": [^;]*\b${use%S}" <<<"$rows" | grep -oE '^ +(\.[a-z]+ +)+' |
                grep -oE '[a-z]+' | sed -E 's/^./m.\U&/'; } | sort | paste -sd ' ')" "$command" ''
done
exit $failed
