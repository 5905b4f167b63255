#!/bin/sh
# Launch latency and peak working set of command-line mode (TIMEOUT=0, hidden start) against a
# ladder of minimal launchers built in the same run with the same compiler, all starting the
# same target hidden:
#   kernel32       CreateProcessA and end
#   + user32       reads the CTRL key, carries the product's manifest
#   + idle wait    waits until the target is idle: the floor for a hidden start
#   + hide step    also hides the target's windows (EnumWindows): shown for what it costs
# One interleaved run (launch_timer.exe, a 64-bit program timing inside Wine); median of RUNS
# runs each. The machine's load is printed before and after: other work on it shows there.
#   bench/launch.sh [RUNS]       (default 21, at least 5; the 64-bit build, into build/bench-win64)
#   BENCH_BASELINE=other/Stowlet.exe bench/launch.sh   adds a row for another build of the
#                                          product (a before-and-after in the same run)
#   BENCH_PRESET=win32 bench/launch.sh 5   the 32-bit build: a smoke test only, since 32-bit
#                                          code runs emulated here and its times say nothing
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-21}
[ "$runs" -ge 5 ] || { echo "launch.sh: at least 5 runs" >&2; exit 2; }
preset=${BENCH_PRESET:-win64}
build="$root/build/bench-$preset"
work="$build/launch-bench"
mkdir -p "$work"

if ! { cmake --preset "$preset" -B "$build" && cmake --build "$build" -j2 --target Stowlet desktop_keeper; } >"$work/build.log" 2>&1; then
    cat "$work/build.log"
    exit 1
fi
# Windows need the session's display: without it no window is made and a hidden start has none
# to hide. A session already up is used and left running.
if ! "$root/scripts/wine-session.sh" running; then
    "$root/scripts/wine-session.sh" start "$build/bin/desktop_keeper.exe"
    trap '"$root/scripts/wine-session.sh" stop' EXIT INT TERM
fi
if [ "$preset" = win64 ]; then triplet=x86_64-w64-mingw32; else triplet=i686-w64-mingw32; fi
cxx="$triplet-g++-posix"
flags="-Os -s -static -mwindows -DWINVER=0x0600 -D_WIN32_WINNT=0x0600"
printf '1 24 "%s"\n' "$root/resources/stowlet.manifest" > "$work/manifest.rc"
"$triplet-windres" "$work/manifest.rc" -O coff -o "$work/manifest.o"
source="$root/bench/launch/minimal_launcher.cpp"
$cxx $flags -o "$work/rung_kernel32.exe" "$source"
$cxx $flags -DKEY_STATE -o "$work/rung_user32.exe" "$source" "$work/manifest.o"
$cxx $flags -DIDLE_WAIT -o "$work/rung_idle.exe" "$source" "$work/manifest.o"
$cxx $flags -DHIDE_STEP -o "$work/rung_hide.exe" "$source" "$work/manifest.o"
$cxx $flags -o "$work/bench_target.exe" "$root/bench/launch/bench_target.cpp"
x86_64-w64-mingw32-g++-posix -O2 -s -static -DWINVER=0x0600 -D_WIN32_WINNT=0x0600 \
    -o "$work/launch_timer.exe" "$root/bench/launch/launch_timer.cpp" -lpsapi
cp "$build/bin/Stowlet.exe" "$work/Stowlet.exe"
rm -f "$work/Stowlet.ini" "$work/Baseline.ini"   # no settings file beside them: command-line mode
baseline=${BENCH_BASELINE:-}
[ -z "$baseline" ] || cp "$baseline" "$work/Baseline.exe"
windows() { printf 'Z:%s' "$1" | tr / '\\'; }
target=$(windows "$work/bench_target.exe")

load_before=$(uptime)
"$root/scripts/wine-run" "$work/launch_timer.exe" "$runs" bench_target.exe \
    "\"$(windows "$work/rung_kernel32.exe")\" \"$target\"" \
    "\"$(windows "$work/rung_user32.exe")\" \"$target\"" \
    "\"$(windows "$work/rung_idle.exe")\" \"$target\"" \
    "\"$(windows "$work/rung_hide.exe")\" \"$target\"" \
    "\"$(windows "$work/Stowlet.exe")\" \"$target\" TIMEOUT=0" \
    ${baseline:+"\"$(windows "$work/Baseline.exe")\" \"$target\" TIMEOUT=0"} | tr -d '\r' > "$work/samples.txt"
load_after=$(uptime)

median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
values() { sed -n "$1p" "$work/samples.txt" | cut -d' ' -f2-; }
idle_ms=$(values 5 | median)
idle_kb=$(values 6 | median)
echo "runs each: $runs ($preset), interleaved"
echo "load before: $load_before"
echo "load after:  $load_after"
printf '%-22s %10s %8s %12s %8s\n' program "median ms" "x idle" "peak WS KB" "x idle"
line=1
for name in "kernel32 only" "+ user32, manifest" "+ idle wait" "+ hide step" "Stowlet TIMEOUT=0" \
    ${baseline:+"baseline TIMEOUT=0"}; do
    ms=$(values $line | median)
    kb=$(values $((line + 1)) | median)
    printf '%-22s %10s %8s %12s %8s\n' "$name" "$ms" \
        "$(awk -v a="$ms" -v b="$idle_ms" 'BEGIN { printf "%.2f", a / b }')" "$kb" \
        "$(awk -v a="$kb" -v b="$idle_kb" 'BEGIN { printf "%.2f", a / b }')"
    line=$((line + 2))
done
echo "Stowlet.exe ($preset): $(stat -c %s "$build/bin/Stowlet.exe") bytes; samples in $work/samples.txt"
