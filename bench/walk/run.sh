#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Adding a folder tree to a list, whole process, against `find TREE -type f`
# over the same tree: `vistrelctl add` on an empty list (the first add, which
# loads, walks, inserts 52,000 entries and saves durably) and again on the
# full list (the second add: every file a duplicate, nothing saved). The tree
# is 100,000 empty files in 2,000 folders, 52,000 of them bitmaps by name,
# written by make_tree.py with a fixed seed. Warm cache; the three commands
# take turns, RUNS times, and the medians are compared. Run by hand, never as
# a test:
#
#   bench/walk/run.sh [BUILD_DIR] [RUNS] [TREE]
#
# BUILD_DIR defaults to build (its bin/ holds vistrelctl and the extenders);
# a TREE that exists is used as it is, else it is written (and kept) there;
# without TREE a temporary one is written and removed. Needs python3.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
runs=${2:-7}
tree=${3:-}
bin=$(cd "$build/bin" && pwd)
command -v python3 >/dev/null || { echo "run.sh: python3 is needed" >&2; exit 2; }
[ -x "$bin/vistrelctl" ] || { echo "run.sh: $bin/vistrelctl is not built" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
if [ -z "$tree" ]; then
    tree="$work/tree"
fi
if [ ! -d "$tree" ]; then
    echo "writing the tree to $tree"
    python3 "$here/make_tree.py" "$tree"
fi
tree=$(cd "$tree" && pwd)

# Settings and recent files stay private to the run.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" HOME="$work/home"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$HOME"
"$bin/vistrelctl" new "$work/empty.vist" >/dev/null

python3 - "$bin/vistrelctl" "$tree" "$work" "$runs" <<'PY'
import hashlib, os, shutil, statistics, subprocess, sys, time

ctl, tree, work, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
empty, first_list, full_list = (os.path.join(work, n) for n in ("empty.vist", "first.vist", "full.vist"))


def timed(argv):
    """Wall seconds and CPU seconds (user + system) of one run of argv."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: " + " ".join(argv))
    return wall, usage.ru_utime + usage.ru_stime


def first_add():
    shutil.copyfile(empty, first_list)
    return timed([ctl, "add", first_list, tree])


find = [ "find", tree, "-type", "f"]
# Warm the cache and make the full list.
timed(find)
first_add()
shutil.copyfile(first_list, full_list)
timed([ctl, "add", full_list, tree])
out = subprocess.run([ctl, "add", full_list, tree], capture_output=True, text=True).stdout.strip()

times = {"find": [], "first": [], "second": []}
for _ in range(runs):
    times["find"].append(timed(find))
    times["first"].append(first_add())
    times["second"].append(timed([ctl, "add", full_list, tree]))


def median(name, which):
    return statistics.median(t[which] for t in times[name])


with open(first_list, "rb") as f:
    digest = hashlib.md5(f.read()).hexdigest()
print("tree: %s; the first add's list: %d bytes, md5 %s; the second add says: %s"
      % (tree, os.path.getsize(first_list), digest, out))
print("medians of %d runs    wall       cpu (user+sys)" % runs)
for name, label in (("find", "find -type f"), ("first", "first add"), ("second", "second add")):
    print("  %-18s %7.1f ms %9.1f ms" % (label, median(name, 0) * 1000, median(name, 1) * 1000))
for name, label in (("first", "first add"), ("second", "second add")):
    print("%s / find: %.2f x wall, %.2f x cpu"
          % (label, median(name, 0) / median("find", 0), median(name, 1) / median("find", 1)))
PY
