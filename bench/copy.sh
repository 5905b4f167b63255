#!/bin/sh
# The copy (CopyFiles through filecopy_driver) against a minimal single-threaded
# FindFirstFileA/CopyFileExA walker built in the same run and the platform's own xcopy, on
# generated trees under Wine. Runs are interleaved so drifts of the machine hit all alike;
# each figure is the median of RUNS runs, every run into a fresh target.
#   bench/copy.sh [RUNS]               (default 3; builds into build/bench-copy-<preset>)
#   BENCH_PRESET=win32 bench/copy.sh   the product's 32-bit build
#   BENCH_SCALE=0.2 bench/copy.sh      fewer files, for a quick look
# The 64-bit build is the default: this Wine runs 32-bit code several times slower, which
# buries the file system's work under the emulation's.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
preset=${BENCH_PRESET:-win64}
scale=${BENCH_SCALE:-1}
build="$root/build/bench-copy-$preset"
work="$build/copy-bench"
mkdir -p "$work"

if ! { cmake --preset "$preset" -B "$build" && cmake --build "$build" -j2 --target filecopy_driver; } >"$work/build.log" 2>&1; then
    cat "$work/build.log"
    exit 1
fi
if [ "$preset" = win64 ]; then cxx=x86_64-w64-mingw32-g++-posix; else cxx=i686-w64-mingw32-g++-posix; fi
# The product's own optimisation (MinSizeRel) for the yardstick too.
$cxx -Os -s -static -DWINVER=0x0600 -D_WIN32_WINNT=0x0600 -I "$root" -o "$work/walker.exe" "$root/bench/copy/walker.cpp" -lpsapi
cp "$build/bin/filecopy_driver.exe" "$work/filecopy_driver.exe"

# The trees are made once per generator and scale; the ages of the mixed tree's files count
# from the moment they were made, so they are made afresh after half a day.
trees="$work/trees"
stamp="$scale $(md5sum < "$root/bench/copy/make_trees.py")"
if [ ! -f "$trees/stamp" ] || [ "$(cat "$trees/stamp")" != "$stamp" ] || [ -n "$(find "$trees/stamp" -mmin +720)" ]; then
    rm -rf "$trees"
    python3 "$root/bench/copy/make_trees.py" "$trees" "$scale"
    echo "$stamp" > "$trees/stamp"
fi

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
out="$work/out"
target=$(winpath "$out")
rm -f "$work"/*.runs

# run_once <label> <program> <arguments...>: one run into a fresh target; appends
# "elapsed_ms cpu_ms peak_kb growth_kb wall_ms files" to <label>.runs ("-" where the program tells nothing).
run_once() {
    label=$1
    shift
    rm -rf "$out"
    sync   # the previous run's writes must not land in this run's time
    start=$(date +%s%N)
    line=$("$root/scripts/wine-run" "$@" 2>/dev/null | tr -d '\r' | grep '^elapsed_ms=' || true)
    end=$(date +%s%N)
    files=$(find "$out" -type f 2>/dev/null | wc -l)
    field() { printf '%s\n' "$line" | tr ' ' '\n' | sed -n "s/^$1=//p" | grep . || echo -; }
    echo "$(field elapsed_ms) $(field cpu_ms) $(field peak_working_set_kb) $(field peak_growth_kb)" \
        "$(( (end - start) / 1000000 )) $files" >> "$work/$label.runs"
}

# run_mode <name> <source folder> <cutOffMinutes> <skipGitFolders> <with xcopy: 1/0>
run_mode() {
    source=$(winpath "$2")
    run_once "$1.stowlet" ./filecopy_driver.exe -measure now "$4" 1 1 "$3" "$source" "$target"
    run_once "$1.walker" ./walker.exe "$source" "$target" "$3" "$4"
    if [ "$5" = 1 ]; then run_once "$1.xcopy" xcopy /E /I /Y /Q "$source" "$target"; fi
}

cd "$work"
mkdir -p "$work/empty"
modes="small big mixed mixed-filtered mixed-nogit"
n=0
while [ "$n" -lt "$runs" ]; do
    run_mode empty "$work/empty" 0 0 1   # start-up and end alone
    run_mode small "$trees/small" 0 0 1
    run_mode big "$trees/big" 0 0 1
    run_mode mixed "$trees/mixed" 0 0 0
    run_mode mixed-filtered "$trees/mixed" 1440 0 0   # files written within the last day
    run_mode mixed-nogit "$trees/mixed" 0 1 0         # ".git" skipped
    n=$((n + 1))
done
rm -rf "$out"

# stat <best|median> <label> <column>: the smallest (what the machine allows when nothing
# else gets in the way) or the median value of a column over the runs.
stat() {
    [ -f "$work/$2.runs" ] || { echo -; return; }
    awk -v c="$3" '{ print $c }' "$work/$2.runs" | sort -n | awk -v kind="$1" '{ v[NR] = $1 }
        END { if (kind == "best") print v[1]; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
# The whole process's best time less the best of a run over an empty folder: the copy as
# seen from outside, start-up left out.
net() {
    w=$(stat best "$1" 5)
    e=$(stat best "empty.$2" 5)
    if [ "$w" = - ] || [ "$e" = - ]; then echo -; else echo $((w - e)); fi
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-" || b == 0) print "-"; else printf "%.2f", a / b }'; }

echo "preset $preset, $runs runs each; st: Stowlet, wk: minimal walker, xc: xcopy"
echo "copy: ms inside the process, best and median; cpu: best processor ms of the copy; net: best ms of the"
echo "whole process less the best over an empty folder (st $(stat best empty.stowlet 5), xc $(stat best empty.xcopy 5));"
echo "peak: median peak working set KB and how much the copy raised it"
printf '%-14s %5s | %13s %13s %9s | %5s %5s %4s | %5s %5s %4s | %11s %10s\n' \
    mode files "copy st" "copy wk" "ratio" "cpu st" "wk" ratio "net st" xc st/xc "peak/+ st" "peak/+ wk"
for m in $modes; do
    sb=$(stat best "$m.stowlet" 1); sm=$(stat median "$m.stowlet" 1)
    wb=$(stat best "$m.walker" 1); wm=$(stat median "$m.walker" 1)
    sc=$(stat best "$m.stowlet" 2); wc=$(stat best "$m.walker" 2)
    sw=$(net "$m.stowlet" stowlet); xw=$(net "$m.xcopy" xcopy)
    files=$(stat median "$m.stowlet" 6); wfiles=$(stat median "$m.walker" 6)
    [ "$files" = "$wfiles" ] || files="$files/$wfiles!"
    printf '%-14s %5s | %13s %13s %9s | %5s %5s %4s | %5s %5s %4s | %11s %10s\n' "$m" "$files" \
        "$sb/$sm" "$wb/$wm" "$(ratio "$sb" "$wb")/$(ratio "$sm" "$wm")" "$sc" "$wc" "$(ratio "$sc" "$wc")" \
        "$sw" "$xw" "$(ratio "$sw" "$xw")" "$(stat median "$m.stowlet" 3)/+$(stat median "$m.stowlet" 4)" \
        "$(stat median "$m.walker" 3)/+$(stat median "$m.walker" 4)"
done
all=$(stat best mixed.stowlet 1)
echo "mixed tree, Stowlet (best): filtered/all $(ratio "$(stat best mixed-filtered.stowlet 1)" "$all") for" \
    "$(ratio "$(stat median mixed-filtered.stowlet 6)" "$(stat median mixed.stowlet 6)") of the files;" \
    "no .git/all $(ratio "$(stat best mixed-nogit.stowlet 1)" "$all") for" \
    "$(ratio "$(stat median mixed-nogit.stowlet 6)" "$(stat median mixed.stowlet 6)") of the files"

# The system calls of the copy alone (a run over the small tree minus one over an empty
# folder), counted by strace: unlike the times, they do not depend on what else the machine
# is doing.
if command -v strace >/dev/null 2>&1; then
    calls() {
        rm -rf "$out"
        strace -f -c -o "$work/strace.out" "$root/scripts/wine-run" "$@" >/dev/null 2>&1
        # Waiting and signal masking depend on timing, memory mapping on start-up: left out.
        awk 'NR > 2 && $NF !~ /^(total|rt_sigprocmask|futex|poll|ppoll|nanosleep|clock_nanosleep|sched_yield|wait4|mmap|munmap|mprotect)$/ && $4 ~ /^[0-9]+$/ { n += $4 }
             END { print n }' "$work/strace.out"
    }
    small=$(winpath "$trees/small")
    empty=$(winpath "$work/empty")
    st=$(( $(calls ./filecopy_driver.exe now 0 1 1 0 "$small" "$target") - $(calls ./filecopy_driver.exe now 0 1 1 0 "$empty" "$target") ))
    wk=$(( $(calls ./walker.exe "$small" "$target" 0 0) - $(calls ./walker.exe "$empty" "$target" 0 0) ))
    rm -rf "$out"
    echo "system calls of the copy, small tree: Stowlet $st, walker $wk, ratio $(ratio "$st" "$wk")"
fi
echo "runs: $work/*.runs (copy cpu peak growth wall files)"
