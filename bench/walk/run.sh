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
#   bench/walk/run.sh [BUILD_DIR] [RUNS] [TREE] [BEFORE_BUILD_DIR]
#
# Then the stages of both adds (vistrel_bench_add, medians of RUNS). With
# BEFORE_BUILD_DIR (a build of an earlier version with the same bench/), its
# adds take their turns too, so that before and after come from one run.
#
# BUILD_DIR defaults to build (its bin/ holds vistrelctl and the extenders);
# a TREE that exists is used as it is, else it is written (and kept) there;
# without TREE a temporary one is written and removed. Needs python3.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
runs=${2:-7}
tree=${3:-}
before=${4:-}
[ -z "$before" ] || before=$(cd "$before" && pwd)
bin=$(cd "$build/bin" && pwd)
bench=$(cd "$build/bench" && pwd)
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

python3 - "$bin/vistrelctl" "$tree" "$work" "$runs" "$bench" "$before" <<'PY'
import hashlib, os, shutil, statistics, subprocess, sys, time

ctl, tree, work, runs, bench, before = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), sys.argv[5], sys.argv[6]
bin = os.path.dirname(ctl)
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


def first_add(program=ctl):
    shutil.copyfile(empty, first_list)
    return timed([program, "add", first_list, tree])


def stages(command):
    """vistrel_bench_add's lines: name -> ms."""
    out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
    return {line[:24].strip(): float(line[24:].split()[0]) for line in out.splitlines()}


find = [ "find", tree, "-type", "f"]
builds = [("", ctl, bench, bin)] + ([(" (before)", f"{before}/bin/vistrelctl", f"{before}/bench", f"{before}/bin")]
                                    if before else [])
# Warm the cache and make the full list.
timed(find)
first_add()
shutil.copyfile(first_list, full_list)
timed([ctl, "add", full_list, tree])
out = subprocess.run([ctl, "add", full_list, tree], capture_output=True, text=True).stdout.strip()
with open(first_list, "rb") as f:
    digest = hashlib.md5(f.read()).hexdigest()
size = os.path.getsize(first_list)

times = {"find": []}
stage_runs = {}
for label, _, _, _ in builds:
    times["first" + label], times["second" + label] = [], []
    stage_runs["first" + label], stage_runs["second" + label] = [], []
for _ in range(runs):
    times["find"].append(timed(find))
    for label, program, benches, programs in builds:
        times["first" + label].append(first_add(program))
        times["second" + label].append(timed([program, "add", full_list, tree]))
        shutil.copyfile(empty, first_list)
        stage_runs["first" + label].append(stages([f"{benches}/vistrel_bench_add", programs, first_list, tree]))
        stage_runs["second" + label].append(stages([f"{benches}/vistrel_bench_add", programs, full_list, tree]))


def median(name, which):
    return statistics.median(t[which] for t in times[name])


print("tree: %s; the first add's list: %d bytes, md5 %s; the second add says: %s" % (tree, size, digest, out))
print("medians of %d runs    wall       cpu (user+sys)" % runs)
names = [("find", "find -type f")]
for label, _, _, _ in builds:
    names += [("first" + label, "first add" + label), ("second" + label, "second add" + label)]
for name, text in names:
    print("  %-22s %7.1f ms %9.1f ms" % (text, median(name, 0) * 1000, median(name, 1) * 1000))
for name, text in names[1:]:
    print("%s / find: %.2f x wall, %.2f x cpu"
          % (text, median(name, 0) / median("find", 0), median(name, 1) / median("find", 1)))
print("the stages of the adds (vistrel_bench_add, medians of %d):" % runs)
for which in ("first", "second"):
    columns = [which + label for label, _, _, _ in reversed(builds)]
    print("  %-26s" % (which + " add") + "".join("%16s" % ("before" if "before" in c else "now") for c in columns))
    for stage in stage_runs[which][0]:
        print("    %-24s" % stage + "".join("%13.1f ms" % statistics.median(r[stage] for r in stage_runs[c])
                                         for c in columns))
PY
