#!/bin/sh
# Installs what is missing, builds the three presets and runs every test in one ctest run:
# native (platform-free logic under sanitizers), win64 and win32 (under Wine and Xvfb).
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
sh scripts/bootstrap.sh
# Each Windows build's tests have a Wine session of their own. A session a developer already
# started is used and left running; the others start while the builds run (making a session's
# prefix takes a while the first time) and stop at the end.
started=
for session in main win32; do
    scripts/wine-session.sh running "$session" || started="$started $session"
done
if [ -n "$started" ]; then
    # shellcheck disable=SC2086 # one word per session
    scripts/wine-session.sh start "" $started &
    starting=$!
    # shellcheck disable=SC2064 # the sessions started now are the ones to stop
    trap "wait $starting || true; \"$top/scripts/wine-session.sh\" stop $started" EXIT INT TERM
fi
for preset in native win64 win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
if [ -n "$started" ]; then
    wait "$starting"
    # shellcheck disable=SC2086
    scripts/wine-session.sh start build/win64/bin/desktop_keeper.exe $started
fi
# One ctest run over all three build folders gives one summary.
printf 'subdirs("native" "win64" "win32")\n' > build/CTestTestfile.cmake
cd build
ctest --output-on-failure --timeout 300 -j "${STOWLET_TEST_JOBS:-3}" "$@"
