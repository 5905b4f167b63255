#!/bin/sh
# Launch latency of command-line mode (TIMEOUT=0, hidden start) against a minimal
# CreateProcessA launcher, all 32-bit under Wine, same target; median of RUNS runs each.
# Two yardsticks: the bare launcher (start and end), and the same with WaitForInputIdle, the
# wait any hidden start that hides the window afterwards must make.
#   bench/launch.sh [RUNS]       (default 15; builds into build/bench-<preset>)
#   BENCH_PRESET=win64 bench/launch.sh   the same with 64-bit programs
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
preset=${BENCH_PRESET:-win32}
build="$root/build/bench-$preset"
work="$build/launch-bench"
mkdir -p "$work"

if ! { cmake --preset "$preset" -B "$build" && cmake --build "$build" -j2 --target Stowlet; } >"$work/build.log" 2>&1; then
    cat "$work/build.log"
    exit 1
fi
if [ "$preset" = win64 ]; then cxx=x86_64-w64-mingw32-g++-posix; else cxx=i686-w64-mingw32-g++-posix; fi
flags="-Os -s -static -mwindows -DWINVER=0x0600 -D_WIN32_WINNT=0x0600"
$cxx $flags -o "$work/minimal_launcher.exe" "$root/bench/launch/minimal_launcher.cpp"
$cxx $flags -o "$work/bench_target.exe" "$root/bench/launch/bench_target.cpp"
cp "$build/bin/Stowlet.exe" "$work/Stowlet.exe"
target='Z:'$(printf '%s' "$work/bench_target.exe" | tr / '\\')

now_ms() { date +%s%N | cut -c1-13; }
# The previous run's target must be gone so the runs do not share the machine.
wait_target_gone() {
    i=0
    while pgrep -f 'bench_target\.exe' >/dev/null 2>&1 && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
}
run_once() {
    wait_target_gone
    start=$(now_ms)
    "$root/scripts/wine-run" "$@" >/dev/null 2>&1
    echo $(( $(now_ms) - start ))
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

cd "$work"
run_once ./Stowlet.exe "$target" TIMEOUT=0 >/dev/null   # warm the caches once for both
run_once ./minimal_launcher.exe "$target" >/dev/null
: > stowlet.ms
: > minimal.ms
: > idle.ms
n=0
while [ $n -lt "$runs" ]; do   # interleaved, so drifts of the machine hit all alike
    run_once ./Stowlet.exe "$target" TIMEOUT=0 >> stowlet.ms
    run_once ./minimal_launcher.exe "$target" >> minimal.ms
    run_once ./minimal_launcher.exe /idle "$target" >> idle.ms
    n=$((n + 1))
done
wait_target_gone
s=$(median < stowlet.ms)
m=$(median < minimal.ms)
i=$(median < idle.ms)
echo "runs each:                 $runs"
echo "Stowlet TIMEOUT=0 (median): $s ms   [$(tr '\n' ' ' < stowlet.ms)]"
echo "minimal (median):           $m ms   [$(tr '\n' ' ' < minimal.ms)]"
echo "minimal /idle (median):     $i ms   [$(tr '\n' ' ' < idle.ms)]"
echo "ratio to minimal:           $(awk -v s="$s" -v m="$m" 'BEGIN { printf "%.2f", s / m }')"
echo "ratio to minimal /idle:     $(awk -v s="$s" -v m="$i" 'BEGIN { printf "%.2f", s / m }')"
echo "Stowlet.exe ($preset): $(stat -c %s "$build/bin/Stowlet.exe") bytes"
