#!/bin/bash
# The longer fuzz run: every fuzz target (or the ones named) for the given seconds each.
#   scripts/fuzz.sh [seconds-per-target] [target ...]      (default 300 s; targets: text, command_line, ...)
# Builds the native preset's fuzzers in build/fuzz (STOWLET_FUZZ_BUILD to change), starts each
# from its seed corpus plus what earlier long runs kept, and copies any crashing input into
# fuzz/corpus/<target>/ as a regression case. STOWLET_FUZZ_JOBS targets run at once (default 1);
# STOWLET_FUZZ_MERGE=1 also adds the inputs that reached new code to the seed corpus.
# Exit code 1 when any target failed.
set -u
cd "$(dirname "$0")/.." || exit 2
top=$(pwd)
seconds=${1:-300}
shift $(( $# > 0 ? 1 : 0 ))
build=${STOWLET_FUZZ_BUILD:-build/fuzz}
jobs=${STOWLET_FUZZ_JOBS:-1}

case "$seconds" in '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [seconds-per-target] [target ...]" >&2; exit 2 ;; esac

# The fuzzers need no test framework; leaving it out keeps the configure independent of the tests.
cmake --preset native -B "$build" -DBUILD_TESTING=OFF >/dev/null || exit 2
cmake --build "$build" -j2 --target stowlet_fuzzers || exit 2

if [ $# -eq 0 ]; then
    set --
    for program in "$build"/bin/fuzz_*; do set -- "$@" "${program##*/fuzz_}"; done
fi

run_one() {
    local name=$1
    local program="$top/$build/bin/fuzz_$name"
    local work="$top/$build/long/$name" log="$top/$build/long/$name.log"
    [ -x "$program" ] || { echo "no fuzz target named $name" >&2; return 1; }
    rm -rf "$work/artifacts"
    mkdir -p "$work/corpus" "$work/artifacts"
    # shellcheck disable=SC2046 # the options file holds plain words
    "$program" -max_total_time="$seconds" -print_final_stats=1 $(cat "$top/$build/fuzz/fuzz_$name.options") \
        -artifact_prefix="$work/artifacts/" "$work/corpus" "$top/fuzz/corpus/$name" >"$log" 2>&1
    local result=$?
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    if [ "$result" -ne 0 ]; then
        local kept_any=0
        for found in "$work"/artifacts/*; do
            [ -f "$found" ] || continue
            kept_any=1
            local kept="fuzz/corpus/$name/regression-${found##*/}"
            mkdir -p "$top/fuzz/corpus/$name"
            cp "$found" "$top/$kept"
            echo "$name: FAILED (exit $result) after ${runs:-?} runs; input kept as $kept; log $build/long/$name.log"
        done
        [ "$kept_any" = 1 ] || echo "$name: FAILED (exit $result), no input kept; log $build/long/$name.log"
        return 1
    fi
    if [ "${STOWLET_FUZZ_MERGE:-0}" = 1 ]; then
        # shellcheck disable=SC2046 # the options file holds plain words
        "$program" -merge=1 $(cat "$top/$build/fuzz/fuzz_$name.options") "$top/fuzz/corpus/$name" "$work/corpus" \
            >>"$log" 2>&1
    fi
    echo "$name: ok, ${runs:-?} runs in ${seconds} s"
}

failed=0
running=0
for name in "$@"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || failed=1
        running=$((running - 1))
    fi
    run_one "$name" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || failed=1
    running=$((running - 1))
done
exit "$failed"
