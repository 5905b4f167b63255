#!/bin/sh
# Start-up time of the release exe: from process start to its first help box (no settings file
# beside it, no arguments) against a minimal Win32 program that shows a message box, built with
# the same compiler and flags, both 64-bit under Wine in the same run; median of RUNS runs each.
# The timer is a 64-bit program (no emulation of its own) that starts each program, watches for
# its first visible box and ends it.
#   bench/startup.sh [RUNS]        (default 15, at least 10; builds into build/bench-startup-<preset>)
#   BENCH_PRESET=win32 bench/startup.sh   the 32-bit build: a smoke test only (emulated here)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
[ "$runs" -ge 10 ] || { echo "startup.sh: at least 10 runs" >&2; exit 2; }
preset=${BENCH_PRESET:-win64}
build="$root/build/bench-startup-$preset"
work="$build/startup-bench"
mkdir -p "$work"

if ! { cmake --preset "$preset" -B "$build" && cmake --build "$build" -j2 --target Stowlet desktop_keeper; } >"$work/build.log" 2>&1; then
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
$cxx -Os -s -static -mwindows -DWINVER=0x0600 -D_WIN32_WINNT=0x0600 \
    -o "$work/minimal_box_bench.exe" "$root/bench/startup/minimal_box.cpp"
x86_64-w64-mingw32-g++-posix -O2 -s -static -DWINVER=0x0600 -D_WIN32_WINNT=0x0600 \
    -o "$work/box_timer.exe" "$root/bench/startup/box_timer.cpp"
# Names of the benchmark's own, and no settings file beside the copy: it shows its help.
cp "$build/bin/Stowlet.exe" "$work/stowlet_startup_bench.exe"
rm -f "$work/stowlet_startup_bench.ini"
windows() { printf 'Z:%s' "$1" | tr / '\\'; }

load_before=$(uptime)
"$root/scripts/wine-run" "$work/box_timer.exe" "$runs" \
    "$(windows "$work/stowlet_startup_bench.exe")" "$(windows "$work/minimal_box_bench.exe")" > "$work/times.txt"
load_after=$(uptime)
median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
stowlet=$(sed -n 1p "$work/times.txt" | tr -d '\r' | cut -d' ' -f2-)
minimal=$(sed -n 2p "$work/times.txt" | tr -d '\r' | cut -d' ' -f2-)
s=$(printf '%s' "$stowlet" | median)
m=$(printf '%s' "$minimal" | median)
echo "runs each:                     $runs ($preset), interleaved"
echo "load before: $load_before"
echo "load after:  $load_after"
echo "Stowlet to help box (median):  $s ms   [$stowlet]"
echo "minimal to its box (median):   $m ms   [$minimal]"
echo "ratio:                         $(awk -v s="$s" -v m="$m" 'BEGIN { printf "%.2f", s / m }')"
echo "Stowlet.exe: $(stat -c %s "$build/bin/Stowlet.exe") bytes; minimal: $(stat -c %s "$work/minimal_box_bench.exe") bytes"
