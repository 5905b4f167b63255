#!/bin/sh
# The copy against a minimal single-threaded FindFirstFileW/CopyFileExW walker built in the
# same run and the platform's own xcopy, on generated trees under Wine. Stowlet runs through
# its real entry (settings-file mode, a copy-before task) and, for the copy's own time,
# processor time and memory, through filecopy_driver, which calls CopyFiles alone. Runs are
# interleaved so drifts of the machine hit all alike; every run copies into a fresh target.
#   bench/copy.sh [RUNS]               (default 2; builds into build/bench-copy-<preset>)
#   BENCH_PRESET=win32 bench/copy.sh   the product's 32-bit build
#   BENCH_SCALE=0.2 bench/copy.sh      fewer files, for a quick look
#   BENCH_MODES="small mixed" bench/copy.sh 9   only those modes, more rounds of them
# The 64-bit build is the default: this Wine runs 32-bit code several times slower, which
# buries the file system's work under the emulation's.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-2}
preset=${BENCH_PRESET:-win64}
scale=${BENCH_SCALE:-1}
build="$root/build/bench-copy-$preset"
work="$build/copy-bench"
mkdir -p "$work"

if ! { cmake --preset "$preset" -B "$build" && cmake --build "$build" -j2 --target Stowlet filecopy_driver desktop_keeper; } \
    >"$work/build.log" 2>&1; then
    cat "$work/build.log"
    exit 1
fi
# Windows need the session's display: without it no window is made and a hidden start has none
# to hide. A session already up is used and left running.
if ! "$root/scripts/wine-session.sh" running main; then
    "$root/scripts/wine-session.sh" start "$build/bin/desktop_keeper.exe" main
    trap '"$root/scripts/wine-session.sh" stop main' EXIT INT TERM
fi
if [ "$preset" = win64 ]; then cxx=x86_64-w64-mingw32-g++-posix; else cxx=i686-w64-mingw32-g++-posix; fi
# The product's own optimisation (MinSizeRel) for the yardstick too.
$cxx -Os -s -static -DWINVER=0x0600 -D_WIN32_WINNT=0x0600 -I "$root" -o "$work/walker.exe" "$root/bench/copy/walker.cpp" -lpsapi
cp "$build/bin/Stowlet.exe" "$work/Stowlet.exe"
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
rm -f "$work"/*.runs "$work"/*.verify

# run_once <label> <program> <arguments...>: one run into a fresh target; appends
# "elapsed_ms cpu_ms peak_kb growth_kb wall_ms files" to <label>.runs ("-" where the program
# tells nothing).
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
    # The first round of a whole-tree mode checks the copy: every file there, byte for byte.
    if [ -n "$verify" ]; then
        if diff -r "$verify" "$out" >/dev/null 2>&1; then echo same; else echo DIFFERS; fi >> "$work/$label.verify"
    fi
}

# Stowlet.ini for one copy before the (absent) program: the settings a user would write.
# Only a source or target naming %GITBRANCHNAME% makes a task skip ".git" folders; with no
# program or working folder the name expands to "NoExecutePath".
write_settings() {
    copy_target=$target
    if [ "$3" = 1 ]; then copy_target="$target\\%GITBRANCHNAME%"; fi
    modified=0
    if [ "$2" != 0 ]; then modified=1; fi
    printf '[OPTIONS]\r\nCopySource=%s\r\nCopyTarget=%s\r\nCopyBeforeExecute=1\r\nCopySubFolders=1\r\nCopyOverwrite=1\r\nCopyModifiedFiles=%s\r\nCopyModifiedFilesHour=%s\r\nCopyModifiedFilesMinute=%s\r\n' \
        "$1" "$copy_target" "$modified" $(($2 / 60)) $(($2 % 60)) > "$work/Stowlet.ini"
}

# The arguments turned left by the round's number: each tool in turn runs first, right after
# the previous mode's files were removed.
rotate() {
    k=$(( n % $# ))
    while [ "$k" -gt 0 ]; do
        first=$1
        shift
        set -- "$@" "$first"
        k=$((k - 1))
    done
    echo "$@"
}

# run_mode <name> <source folder> <cutOffMinutes> <skipGitFolders> <tools...>
# Tools: exe (Stowlet.exe), driver (filecopy_driver), walker, xcopy.
run_mode() {
    name=$1
    source=$(winpath "$2")
    cut=$3
    git=$4
    verify=
    if [ "$n" = 0 ] && [ "$cut" = 0 ] && [ "$git" = 0 ] && [ "$name" != empty ]; then verify=$2; fi
    shift 4
    for tool in $(rotate "$@"); do
        case $tool in
        exe) write_settings "$source" "$cut" "$git"; run_once "$name.exe" ./Stowlet.exe ;;
        driver) run_once "$name.driver" ./filecopy_driver.exe -measure now "$git" 1 1 "$cut" "$source" "$target" ;;
        walker) run_once "$name.walker" ./walker.exe "$source" "$target" "$cut" "$git" ;;
        xcopy) run_once "$name.xcopy" xcopy /E /I /Y /Q "$source" "$target" ;;
        esac
    done
}

cd "$work"
mkdir -p "$work/empty"
modes=${BENCH_MODES:-small big mixed mixed-filtered mixed-nogit folders names}
# wanted <mode>: whether this run measures the mode.
wanted() { case " $modes " in *" $1 "*) return 0 ;; *) return 1 ;; esac; }
# The machine may be shared: its load is shown with the results.
load="start: $(uptime)"
n=0
while [ "$n" -lt "$runs" ]; do
    run_mode empty "$work/empty" 0 0 exe driver walker xcopy   # start-up and end alone
    ! wanted small || run_mode small "$trees/small" 0 0 exe driver walker xcopy
    ! wanted big || run_mode big "$trees/big" 0 0 exe walker xcopy
    ! wanted mixed || run_mode mixed "$trees/mixed" 0 0 exe walker
    # CopyFiles alone on the large tree once: its memory, against the small tree's.
    if [ "$n" = 0 ] && wanted mixed; then run_mode mixed "$trees/mixed" 0 0 driver; fi
    ! wanted mixed-filtered || run_mode mixed-filtered "$trees/mixed" 1440 0 exe walker   # written within a day
    ! wanted mixed-nogit || run_mode mixed-nogit "$trees/mixed" 0 1 exe walker            # ".git" skipped
    ! wanted folders || run_mode folders "$trees/folders" 0 0 exe walker xcopy            # many small folders
    # Not xcopy: under Wine it waits without end at the first path over 259 characters.
    ! wanted names || run_mode names "$trees/names" 0 0 exe walker                        # any alphabet, long paths
    load="$load
round $n: $(uptime)"
    n=$((n + 1))
done
rm -rf "$out" "$work/Stowlet.ini"

# stat <best|median> <label> <column>: the smallest (what the machine allows when nothing
# else gets in the way) or the median value of a column over the runs.
stat() {
    [ -f "$work/$2.runs" ] || { echo -; return; }
    awk -v c="$3" '{ print $c }' "$work/$2.runs" | sort -n | awk -v kind="$1" '{ v[NR] = $1 }
        END { if (kind == "best") print v[1]; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
# net <best|median> <mode> <tool>: the whole process's time less the best over an empty
# folder, so start-up and end are left out.
net() {
    w=$(stat "$1" "$2.$3" 5)
    e=$(stat best "empty.$3" 5)
    awk -v w="$w" -v e="$e" 'BEGIN { if (w == "-" || e == "-") print "-"; else print w - e }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-" || b == 0) print "-"; else printf "%.2f", a / b }'; }

echo "$load"
echo "preset $preset, $runs runs each, best/median ms"
echo "net: whole process less the best over an empty folder (Stowlet.exe $(stat best empty.exe 5)," \
    "walker $(stat best empty.walker 5), xcopy $(stat best empty.xcopy 5)); Stowlet.exe in settings-file mode"
echo "in process: the copy alone, filecopy_driver (CopyFiles) against the walker; cpu: best processor ms"
echo "peak: median peak working set KB / how much the copy raised it, driver and walker"
printf '%-14s %5s | %-13s %-13s %-9s %6s %5s | %-13s %-13s %-9s %9s | %-10s %-9s\n' \
    mode files "Stowlet.exe" "walker" "ratio" "xcopy" "st/xc" "driver" "walker" "ratio" "cpu d/w" "peak drv" "peak wk"
for m in $modes; do
    eb=$(net best "$m" exe); em=$(net median "$m" exe)
    wb=$(net best "$m" walker); wm=$(net median "$m" walker)
    xb=$(net best "$m" xcopy)
    db=$(stat best "$m.driver" 1); dm=$(stat median "$m.driver" 1)
    ib=$(stat best "$m.walker" 1); im=$(stat median "$m.walker" 1)
    dc=$(stat best "$m.driver" 2); ic=$(stat best "$m.walker" 2)
    files=$(stat median "$m.exe" 6); wfiles=$(stat median "$m.walker" 6)
    [ "$files" = "$wfiles" ] || files="$files/$wfiles!"
    for tool in exe walker xcopy driver; do
        if grep -q DIFFERS "$work/$m.$tool.verify" 2>/dev/null; then files="$files $tool-DIFFERS"; fi
    done
    inside="$(printf '%-13s %-13s %-9s %9s' - - - -)"
    peaks=""
    if [ -f "$work/$m.driver.runs" ]; then
        # Times only where both ran as often; the memory wherever the driver ran.
        if [ "$(wc -l < "$work/$m.driver.runs")" = "$(wc -l < "$work/$m.walker.runs")" ]; then
            inside="$(printf '%-13s %-13s %-9s %9s' "$db/$dm" "$ib/$im" "$(ratio "$db" "$ib")/$(ratio "$dm" "$im")" "$(ratio "$dc" "$ic")")"
        fi
        peaks="$(printf '%-10s %-9s' "$(stat median "$m.driver" 3)/+$(stat median "$m.driver" 4)" "$(stat median "$m.walker" 3)/+$(stat median "$m.walker" 4)")"
    fi
    printf '%-14s %5s | %-13s %-13s %-9s %6s %5s | %s | %s\n' "$m" "$files" "$eb/$em" "$wb/$wm" \
        "$(ratio "$eb" "$wb")/$(ratio "$em" "$wm")" "$xb" "$(ratio "$eb" "$xb")" "$inside" "$peaks"
done
all=$(net best mixed exe)
echo "mixed tree, Stowlet.exe (best): filtered/all $(ratio "$(net best mixed-filtered exe)" "$all") for" \
    "$(ratio "$(stat median mixed-filtered.exe 6)" "$(stat median mixed.exe 6)") of the files;" \
    "no .git/all $(ratio "$(net best mixed-nogit exe)" "$all") for" \
    "$(ratio "$(stat median mixed-nogit.exe 6)" "$(stat median mixed.exe 6)") of the files"

# The system calls of the copy alone (a run over the small tree less one over an empty
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
    echo "system calls of the copy, small tree: CopyFiles $st, walker $wk, ratio $(ratio "$st" "$wk")"
fi
echo "runs: $work/*.runs (copy cpu peak growth wall files)"
