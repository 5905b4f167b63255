#!/bin/sh
# Line coverage of the product by the x86_64 tests: builds the coverage preset (win64 with line
# counts, unoptimised) into build/coverage, runs its tests under the main Wine session and
# prints the lines run per product folder and the functions that leave the most lines unrun
# (scripts/coverage.py). Not part of scripts/test.sh: the counts cost build and run time.
#   coverage.sh [ctest arguments...]      e.g. -R settings to count one folder's tests only
# STOWLET_BUILD_JOBS (2) and STOWLET_TEST_JOBS (2) set the parallel jobs.
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
build=build/coverage
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j "${STOWLET_BUILD_JOBS:-2}"
# The counts add up from run to run: start from none.
find "$build" -name '*.gcda' -exec rm -f {} +
# A session a developer already started is used and left running.
if ! scripts/wine-session.sh running main; then
    scripts/wine-session.sh start "$build/bin/desktop_keeper.exe" main
    trap '"$top/scripts/wine-session.sh" stop main' EXIT INT TERM
fi
# Each program writes its counts to the object's absolute Unix path, which Windows would read on
# the current drive: a launcher copy run from a temporary folder on C: would write into the
# prefix. Wine opens a rooted path that exists on the Unix side as that Unix path, but a prefix of
# Z: (Wine's drive of the Unix root) makes the place the same either way: beside the notes.
# The PE checks and the release zips run no product code.
status=0
GCOV_PREFIX=Z: ctest --test-dir "$build" -j "${STOWLET_TEST_JOBS:-2}" --timeout 600 \
    -E '^win64\.(resources|release)\.' "$@" || status=$?
[ "$status" -eq 0 ] || echo "coverage: some tests failed (ctest status $status); the figure counts what ran"
python3 scripts/coverage.py "$build"
exit "$status"
