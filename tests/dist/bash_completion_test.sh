#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# vistrelctl's bash completion, loaded by bash with bash-completion's helpers
# as an interactive shell would have them, offers the commands, the words
# each command takes and list files for the list.
#   bash_completion_test.sh SOURCE_DIR [VISTRELCTL]
# With VISTRELCTL, every command its usage text names must be offered.
set -uo pipefail
src=$1
vistrelctl=${2:-}
helpers=/usr/share/bash-completion/bash_completion
[[ -f $helpers ]] || { echo "SKIP: bash-completion is not installed ($helpers)"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/sub"
touch "$work/L.vist" "$work/other.vist" "$work/notes.txt" "$work/photo.bmp"
cd "$work"

# shellcheck disable=SC1090
source "$helpers"
source "$src/dist/bash-completion/vistrelctl"
[[ $(complete -p vistrelctl) == *"-F _vistrelctl"* ]] || { echo "vistrelctl has no completion function" >&2; exit 1; }

failed=0
# Completes LINE as typed up to its end; COMPREPLY, sorted, one per line.
complete_line() {
  COMP_LINE=$1
  COMP_POINT=${#COMP_LINE}
  read -ra COMP_WORDS <<<"$COMP_LINE"
  [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _vistrelctl vistrelctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() { # LINE EXPECTED (space-separated, sorted)
  local got
  got=$(complete_line "$1" | xargs)
  if [[ $got != "$2" ]]; then
    echo "\"$1\" offers \"$got\", not \"$2\"" >&2
    failed=1
  fi
}

expect "vistrelctl mo" "mode monitors"
expect "vistrelctl mode L.vist all " "center fit proportioned tile"
expect "vistrelctl mode L.vist 2 3 p" "proportioned"
expect "vistrelctl mode L.vist all tile " ""
expect "vistrelctl mode L.vist " "all"
expect "vistrelctl reset-" "reset-shown reset-totals"
expect "vistrelctl show L.vist " "--json"
expect "vistrelctl random L.vist " "off on"
expect "vistrelctl add L.vist --a" "--allow-duplicates"
expect "vistrelctl compose photo.bmp --mode " "center centre fit freepos proportioned tile"
expect "vistrelctl compose photo.bmp --n" "--no-preserve"
expect "vistrelctl scale photo.bmp out.bmp 640 480 " "--nearest"
expect "vistrelctl current " ""
expect "vistrelctl monitors " "--json"
# The list argument: list files and folders, not other files.
expect "vistrelctl show " "L.vist other.vist sub"
expect "vistrelctl use o" "other.vist"

# Every command vistrelctl names in its own usage text is offered.
if [[ -n $vistrelctl ]]; then
  offered=$(complete_line "vistrelctl ")
  usage=$("$vistrelctl" --help) || { echo "vistrelctl --help failed" >&2; exit 1; }
  commands=$(sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\{0,1\}$/\1/p' <<<"$usage")
  [[ -n $commands ]] || { echo "no commands found in the usage text:" >&2; echo "$usage" >&2; exit 1; }
  for command in $commands; do
    grep -qx -- "$command" <<<"$offered" || { echo "the completion does not offer \"$command\"" >&2; failed=1; }
  done
fi
[[ $failed -eq 0 ]] && echo "ok: vistrelctl completes its commands, words and list files"
exit $failed
