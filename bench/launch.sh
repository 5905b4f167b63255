#!/bin/sh
# Launch latency and peak working set of a hidden start (TIMEOUT=0), in command-line mode and
# in settings-file mode, against a ladder of minimal launchers built in the same run, all
# starting the same target hidden:
#   kernel32         CreateProcessA and end
#   + user32         reads the CTRL key, carries the product's manifest
#   + idle wait      waits until the target is idle
#   + hide step      the floor of a hidden start, exactly as the start-up issue gives it
#                    (bench/launch/hide_floor.cpp, -O2 -static -s): also hides the target's
#                    visible windows; command-line mode is measured against it
#   + settings file  the same floor that first reads the product's keys from a settings file
#                    and starts the program it names; settings-file mode is measured against it
# The settings-file rows use a settings file that copies nothing and starts the target hidden.
# The IfRunning rows are the settings-file row with [RUN] IfRunning=Skip or Queue and no other
# run going: what taking the settings file's turn costs (the file opened for its final path, the
# mutex), read against the settings-file row; turn_cost.exe then times the turn alone against
# one named mutex and one file opened (bench/launch/turn_cost.cpp).
# The EXITCODE row says what asking for the exit code costs: the launcher then stays until the
# target ends by itself (about half a second after its window shows), so it is read against the
# target's own time, not as a start-up cost. The OUTPUT= row keeps the target's output in a
# file (the output file, the empty input and the handle list); its cost is printed against the
# TIMEOUT=0 row, both its own median difference and the run-by-run ratio.
# One interleaved run (launch_timer.exe, a 64-bit program timing inside Wine); per row the
# median of RUNS runs, the ratio of the medians to the row's floor and the median of the
# run-by-run ratios (each run's pair ran back to back), with the interquartile range of the
# row's times as its noise. The machine's load is printed before and after.
#   bench/launch.sh [RUNS]       (default 31, at least 5; the 64-bit build, into build/bench-win64)
#   BENCH_BASELINE=other/Stowlet.exe bench/launch.sh   adds rows for another build of the
#                                          product (a before-and-after in the same run)
#   BENCH_PRESET=win32 bench/launch.sh 5   the 32-bit build: a smoke test only, since 32-bit
#                                          code runs emulated here and its times say nothing
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-31}
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
if ! "$root/scripts/wine-session.sh" running main; then
    "$root/scripts/wine-session.sh" start "$build/bin/desktop_keeper.exe" main
    trap '"$root/scripts/wine-session.sh" stop main' EXIT INT TERM
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
floor="$root/bench/launch/hide_floor.cpp"
"$triplet-g++" -O2 -static -s -o "$work/rung_hide.exe" "$floor" "$work/manifest.o"
"$triplet-g++" -O2 -static -s -DREAD_SETTINGS -o "$work/rung_settings.exe" "$floor" "$work/manifest.o"
$cxx $flags -o "$work/bench_target.exe" "$root/bench/launch/bench_target.cpp"
x86_64-w64-mingw32-g++-posix -O2 -s -static -DWINVER=0x0600 -D_WIN32_WINNT=0x0600 \
    -o "$work/launch_timer.exe" "$root/bench/launch/launch_timer.cpp" -lpsapi
# The turn of IfRunning call by call, with the product's own code from this build's libraries.
$cxx -O2 -s -static -std=c++20 -DWINVER=0x0600 -D_WIN32_WINNT=0x0600 -DNOMINMAX -DSTRICT -I"$root" \
    -o "$work/turn_cost.exe" "$root/bench/launch/turn_cost.cpp" -L"$build/lib" -lstowlet_core -lstowlet_pure
windows() { printf 'Z:%s' "$1" | tr / '\\'; }
target=$(windows "$work/bench_target.exe")
# Command-line mode: no settings file beside the exe. Settings-file mode: a copy under another
# name, whose settings file copies nothing and starts the target hidden with no time-out.
settings() { printf '[OPTIONS]\r\nProgram=%s\r\n' "$target" > "$work/$1.ini"; }
rm -f "$work/Stowlet.ini" "$work/Baseline.ini" "$work/output.txt"
cp "$build/bin/Stowlet.exe" "$work/Stowlet.exe"
cp "$build/bin/Stowlet.exe" "$work/StowletTasks.exe"
settings StowletTasks
settings rung_settings
for when in Skip Queue; do
    cp "$build/bin/Stowlet.exe" "$work/StowletIf$when.exe"
    settings "StowletIf$when"
    printf '[RUN]\r\nIfRunning=%s\r\n' "$when" >> "$work/StowletIf$when.ini"
done
baseline=${BENCH_BASELINE:-}
if [ -n "$baseline" ]; then
    cp "$baseline" "$work/Baseline.exe"
    cp "$baseline" "$work/BaselineTasks.exe"
    settings BaselineTasks
fi

load_before=$(uptime)
"$root/scripts/wine-run" "$work/launch_timer.exe" "$runs" bench_target.exe \
    "\"$(windows "$work/rung_kernel32.exe")\" \"$target\"" \
    "\"$(windows "$work/rung_user32.exe")\" \"$target\"" \
    "\"$(windows "$work/rung_idle.exe")\" \"$target\"" \
    "\"$(windows "$work/rung_hide.exe")\" \"$target\"" \
    "\"$(windows "$work/rung_settings.exe")\"" \
    "\"$(windows "$work/Stowlet.exe")\" \"$target\" TIMEOUT=0" \
    "\"$(windows "$work/StowletTasks.exe")\"" \
    "\"$(windows "$work/Stowlet.exe")\" \"$target\" EXITCODE" \
    "\"$(windows "$work/Stowlet.exe")\" \"$target\" TIMEOUT=0 \"OUTPUT=$(windows "$work/output.txt")\"" \
    "\"$(windows "$work/StowletIfSkip.exe")\"" \
    "\"$(windows "$work/StowletIfQueue.exe")\"" \
    ${baseline:+"\"$(windows "$work/Baseline.exe")\" \"$target\" TIMEOUT=0"} \
    ${baseline:+"\"$(windows "$work/BaselineTasks.exe")\""} | tr -d '\r' > "$work/samples.txt"
load_after=$(uptime)

# Row p's times (field 1) or peak working sets (field 2), one a line.
values() { sed -n "$((2 * $1 - 2 + $2))p" "$work/samples.txt" | cut -d' ' -f2- | tr ' ' '\n' | sed '/^$/d'; }
quantile() { sort -n | awk -v q="$1" '{ v[NR] = $1 } END { i = 1 + q * (NR - 1); f = int(i); print v[f] + (i - f) * (v[f + 1] - v[f]) }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
# The median of row a's run-by-run ratios to row b (field 1 or 2).
paired() { values "$1" "$3" > "$work/a.txt"; values "$2" "$3" > "$work/b.txt"; paste "$work/a.txt" "$work/b.txt" | awk '{ print $1 / $2 }' | quantile 0.5 | xargs printf '%.3f'; }
echo "runs each: $runs ($preset), interleaved; times in ms, peak working sets in KB"
echo "load before: $load_before"
echo "load after:  $load_after"
printf '%-24s %8s %8s %7s %7s %8s %7s %7s\n' program "median" "IQR" "x floor" "paired" "peak WS" "x floor" "paired"
row=1
for name in "kernel32 only" "+ user32, manifest" "+ idle wait" "+ hide step (floor)" "+ settings file (floor)" \
    "Stowlet TIMEOUT=0" "Stowlet settings file" "Stowlet EXITCODE" "Stowlet OUTPUT=" "IfRunning=Skip" "IfRunning=Queue" \
    ${baseline:+"baseline TIMEOUT=0"} ${baseline:+"baseline settings file"}; do
    # Settings-file rows against the settings-file floor (row 5), the IfRunning rows against the
    # product's settings-file row (row 7), the rest against the hide step.
    case "$name" in *"settings file"*) floor=5 ;; IfRunning*) floor=7 ;; *) floor=4 ;; esac
    ms=$(values $row 1 | quantile 0.5)
    iqr=$(awk -v a="$(values $row 1 | quantile 0.75)" -v b="$(values $row 1 | quantile 0.25)" 'BEGIN { printf "%.1f", a - b }')
    kb=$(values $row 2 | quantile 0.5)
    printf '%-24s %8s %8s %7s %7s %8s %7s %7s\n' "$name" "$ms" "$iqr" "$(ratio "$ms" "$(values $floor 1 | quantile 0.5)")" \
        "$(paired $row $floor 1)" "$kb" "$(ratio "$kb" "$(values $floor 2 | quantile 0.5)")" "$(paired $row $floor 2)"
    row=$((row + 1))
done
# What OUTPUT= adds to a launch: row 9 against row 6 (Stowlet TIMEOUT=0).
printf 'OUTPUT= adds %s ms to the median launch (paired ratio %s)\n' \
    "$(awk -v a="$(values 9 1 | quantile 0.5)" -v b="$(values 6 1 | quantile 0.5)" 'BEGIN { printf "%.1f", a - b }')" \
    "$(paired 9 6 1)"
"$root/scripts/wine-run" "$work/turn_cost.exe" "$(windows "$work/StowletIfSkip.ini")" 2000 | tr -d '\r'
echo "Stowlet.exe ($preset): $(stat -c %s "$build/bin/Stowlet.exe") bytes; samples in $work/samples.txt"
