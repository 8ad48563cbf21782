#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the tests need, builds every configuration and runs every test:
#   1. GCC, with the GUI
#   2. GCC with AddressSanitizer and UndefinedBehaviorSanitizer
#   3. the GUI switched off (everything without Qt must build and pass)
#   4. a MinGW-w64 cross-build of everything without Qt, tested under Wine
#   5. the fuzzers, built with clang, each run for a short time
#   6. ThreadSanitizer over the list manager's worker threads (only those tests are built)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh" --tests

jobs=$(nproc)
out="$root/build/ci"
mkdir -p "$out"
passed=0
failed=0

# Runs ctest in a build folder and adds its counts to the totals.
run_ctest() {
  local dir=$1
  shift
  local log="$dir/ctest.log"
  set +e
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 300 "$@") 2>&1 | tee "$log" | grep -E "tests passed|\*\*\*(Failed|Timeout|Exception)|Not Run" || true
  set -e
  local total fail
  total=$(grep -Eo "out of [0-9]+" "$log" | tail -1 | grep -Eo "[0-9]+" || echo 0)
  fail=$(grep -Eo "[0-9]+ tests failed" "$log" | tail -1 | grep -Eo "^[0-9]+" || echo 0)
  if [[ "$total" == 0 ]]; then
    echo "no tests ran in $dir"
    fail=1
  fi
  passed=$((passed + total - fail))
  failed=$((failed + fail))
}

# Each leg's heading, with the time the one before it took, so that a slow
# leg shows in the log.
leg_started=$SECONDS
leg() {
  if [[ -n "${leg_name:-}" ]]; then
    echo "($leg_name: $((SECONDS - leg_started)) s)"
  fi
  leg_name=$*
  leg_started=$SECONDS
  echo
  echo "=== $* ==="
}

leg "GCC"
cmake -S . -B "$out/gcc" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$out/gcc" -j"$jobs" >/dev/null
run_ctest "$out/gcc"

leg "ASan + UBSan"
cmake -S . -B "$out/asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVISTREL_SANITIZE=ON -DVISTREL_BENCH=OFF >/dev/null
ninja -C "$out/asan" -j"$jobs" >/dev/null
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest "$out/asan"

leg "GUI off"
cmake -S . -B "$out/nogui" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVISTREL_GUI=OFF -DVISTREL_BENCH=OFF >/dev/null
ninja -C "$out/nogui" -j"$jobs" >/dev/null
run_ctest "$out/nogui"

leg "MinGW-w64 under Wine"
cmake -S . -B "$out/mingw" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVISTREL_GUI=OFF >/dev/null
ninja -C "$out/mingw" -j"$jobs" >/dev/null
export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all WINEARCH=win64
mkdir -p "$WINEPREFIX"
# A persistent server first: otherwise every test pays for its start.
wineserver -p
wineboot -i >/dev/null 2>&1 || true
run_ctest "$out/mingw"
wineserver -k || true

if [[ -f fuzz/CMakeLists.txt ]]; then
  leg "Fuzzers (clang, libFuzzer)"
  CC=clang CXX=clang++ cmake -S . -B "$out/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_GUI=OFF \
    -DVISTREL_TESTS=OFF -DVISTREL_BENCH=OFF -DVISTREL_FUZZ=ON -DVISTREL_WERROR=OFF -DVISTREL_FUZZ_SECONDS=60 >/dev/null
  ninja -C "$out/fuzz" -j"$jobs" vistrel_bmp_fuzzer vistrel_list_fuzzer vistrel_photo_fuzzer \
    vistrel_png_rows_fuzzer >/dev/null
  run_ctest "$out/fuzz" -L fuzz
fi

if [[ -f tests/manager/recursive_insert_test.cpp ]]; then
  leg "ThreadSanitizer (the list manager's workers, Photoload's row pipeline and PNG rows)"
  cmake -S . -B "$out/tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTREL_TSAN=ON -DVISTREL_BENCH=OFF >/dev/null
  ninja -C "$out/tsan" -j"$jobs" manager_worker_tests photoload_tests >/dev/null
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 QT_QPA_PLATFORM=offscreen \
    run_ctest "$out/tsan" -R '^(RecursiveInsertTest|PreviewLoaderTest|ImageFromDib|ThumbnailCacheTest|Shrink|PngRowsTest)\.'
fi

echo
echo "($leg_name: $((SECONDS - leg_started)) s)"
echo "ci: $passed passed, $failed failed in $SECONDS s"
[[ $failed -eq 0 ]]
