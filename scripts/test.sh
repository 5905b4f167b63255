#!/bin/sh
# Installs what is missing, builds the three presets and runs every test in one ctest run:
# native (platform-free logic under sanitizers), win64 and win32 (under Wine and Xvfb).
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
sh scripts/bootstrap.sh
for preset in native win64 win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
# A session a developer already started is used and left running.
if ! scripts/wine-session.sh running; then
    scripts/wine-session.sh start build/win64/bin/desktop_keeper.exe
    trap '"$top/scripts/wine-session.sh" stop' EXIT INT TERM
fi
# One ctest run over all three build folders gives one summary.
printf 'subdirs("native" "win64" "win32")\n' > build/CTestTestfile.cmake
cd build
ctest --output-on-failure --timeout 300 -j "${STOWLET_TEST_JOBS:-3}" "$@"
