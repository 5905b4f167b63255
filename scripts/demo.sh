#!/bin/sh
# Builds the release product (32-bit) and shows it at work under Wine, unattended.
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
sh scripts/bootstrap.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Stowlet boxdriver >/dev/null
if ! scripts/wine-session.sh running; then
    scripts/wine-session.sh start
    trap '"$top/scripts/wine-session.sh" stop' EXIT INT TERM
fi
bin=build/win32/bin
run() { scripts/wine-run "$bin/boxdriver.exe" "$@"; }

echo
echo "Stowlet without a settings file or a command: the help boxes (the demo answers Yes, then No)"
run --answers yes,no -- "$bin/Stowlet.exe"
