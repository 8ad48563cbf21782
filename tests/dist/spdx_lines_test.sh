#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file (C and C++, CMake, shell, Python, and any script with a
# shebang) says its licence in its first line, or in its second after a
# shebang: GPL-3.0-or-later, and MIT for the extender contract in
# extenders/sdk/. New files count as soon as they exist, committed or not.
#   spdx_lines_test.sh SOURCE_DIR
set -uo pipefail
src=$1
cd "$src" || exit 1

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  list_files() { git ls-files -z --cached --others --exclude-standard; }
else # a source tree without git, such as an unpacked release
  list_files() { find . -path ./.git -prune -o -path './build*' -prune -o -type f -printf '%P\0'; }
fi

gpl='SPDX-License-Identifier: GPL-3.0-or-later'
checked=0
bad=0
while IFS= read -r -d '' file; do
  [[ -f $file ]] || continue # deleted, not yet committed
  case $file in
    *.c | *.cc | *.cpp | *.cxx | *.h | *.hh | *.hpp | *.hxx | *.inl | *.ipp | *.mm) comment='(//|/\*)' shown='//' ;;
    CMakeLists.txt | */CMakeLists.txt | *.cmake | *.sh | *.bash | *.py | */bash-completion/*) comment='#' shown='#' ;;
    *)
      IFS= read -r first <"$file" || true
      [[ $first == '#!'* ]] || continue
      comment='#' shown='#'
      ;;
  esac
  checked=$((checked + 1))
  line1='' line2=''
  { IFS= read -r line1; IFS= read -r line2; } <"$file" || true
  line=$line1
  [[ $line1 == '#!'* ]] && line=$line2
  line=${line%$'\r'}
  expected=$gpl
  [[ $file == extenders/sdk/* ]] && expected='SPDX-License-Identifier: (MIT|GPL-3.0-or-later)'
  if ! [[ $line =~ ^$comment\ $expected( \*/)?$ ]]; then
    echo "$file: the first line (after a shebang) is \"$line\", not \"$shown $gpl\"" >&2
    bad=$((bad + 1))
  fi
done < <(list_files)

if ((checked < 10)); then
  echo "only $checked source files found in $src" >&2
  exit 1
fi
if ((bad > 0)); then
  echo "$bad of $checked source files lack their SPDX line" >&2
  exit 1
fi
echo "ok: $checked source files carry their SPDX line"
