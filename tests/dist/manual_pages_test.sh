#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual pages as the build makes them render without a single warning,
# by groff (-ww) and by man as Debian's checker runs it; and vistrelctl(1)
# describes every command, option and exit status of vistrelctl's own usage
# text, so that a command added to the program without its page fails here.
#   manual_pages_test.sh MAN_DIR VISTRELCTL PAGE...
set -uo pipefail
dir=$1
vistrelctl=$2
shift 2
command -v groff >/dev/null || { echo "SKIP: groff is not installed"; exit 77; }

failed=0
for page in "$@"; do
  [[ -f $dir/$page ]] || { echo "$dir/$page was not made" >&2; failed=1; continue; }
  warnings=$(groff -ww -man -z -Tutf8 "$dir/$page" 2>&1)
  if command -v man >/dev/null; then
    warnings+=${warnings:+$'\n'}$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$dir/$page" 2>&1 >/dev/null)
  fi
  if [[ -n $warnings ]]; then
    echo "$page:" >&2
    echo "$warnings" >&2
    failed=1
  fi
  grep -q '@[A-Z_]*@' "$dir/$page" && { echo "$page keeps a placeholder: $(grep -o '@[A-Z_]*@' "$dir/$page" | head -1)" >&2; failed=1; }
done

usage=$("$vistrelctl" --help) || { echo "vistrelctl --help failed" >&2; exit 1; }
page=$dir/vistrelctl.1
roff() { sed 's/-/\\-/g' <<<"$1"; } # how roff source writes a hyphen
# Commands: the words the usage text starts its lines with; each is the tag
# of an entry in the page, in bold.
commands=$(sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\{0,1\}$/\1/p' <<<"$usage")
[[ $(wc -w <<<"$commands") -ge 10 ]] || { echo "too few commands in the usage text: $commands" >&2; exit 1; }
for command in $commands; do
  tag=$(roff "$command")
  grep -qE "^(\.B[IR]? ${tag//\\/\\\\}( |$)|\\\\fB${tag//\\/\\\\}\\\\fP)" "$page" ||
    { echo "vistrelctl(1) has no entry for \"$command\"" >&2; failed=1; }
done
# Options: every -x and --word of the usage text.
for option in $(grep -oE '(^|[[ ])--?[a-z][a-z-]*' <<<"$usage" | tr -d '[ ' | sort -u); do
  grep -qF -- "$(roff "$option")" "$page" || { echo "vistrelctl(1) does not describe $option" >&2; failed=1; }
done
# Exit statuses: those the usage text names, each an entry of EXIT STATUS.
statuses=$(grep -i '^exit status' <<<"$usage" | grep -oE '\b[0-9]+\b')
[[ -n $statuses ]] || { echo "no exit status in the usage text" >&2; exit 1; }
section=$(sed -n '/^\.SH "EXIT STATUS"/,/^\.SH /p' "$page")
for status in $statuses; do
  grep -qx "\.B $status" <<<"$section" || { echo "vistrelctl(1) has no exit status $status" >&2; failed=1; }
done

[[ $failed -eq 0 ]] && echo "ok: $* render cleanly; vistrelctl(1) has $(wc -w <<<"$commands") commands"
exit $failed
