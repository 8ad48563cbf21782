#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's own checker finds no error and no warning in the package the
# deb_package test made. (Its informational tags are listed in the log; the
# package notes in the README say why they stay.)
#   deb_lintian_test.sh PACKAGE_DIR
set -uo pipefail
out=$1
command -v lintian >/dev/null ||
  { echo "SKIP: lintian is not installed (scripts/install-deps.sh --tests installs it)"; exit 77; }
shopt -s nullglob
debs=("$out"/vistrel_*.deb)
[[ ${#debs[@]} -eq 1 ]] || { echo "expected one vistrel_*.deb in $out, found: ${debs[*]:-none}" >&2; exit 1; }

# As root lintian says it would rather not be; that line is no finding.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
lintian --fail-on error,warning --display-info --tag-display-limit 0 "${debs[0]}" >"$log" 2>&1
status=$?
report=$(grep -v '^running with root privileges is not recommended!$' "$log")
[[ -n $report ]] && echo "$report"
if [[ $status -ne 0 ]] || grep -qE '^[EW]: ' <<<"$report"; then
  echo "lintian found errors or warnings in $(basename "${debs[0]}")" >&2
  exit 1
fi
echo "ok: lintian $(lintian --version | awk '{print $2}'): no errors, no warnings"
