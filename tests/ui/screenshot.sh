#!/bin/sh
# The picture of the settings window with its macro menu open for docs/, taken under the
# project's Wine session. Usage: tests/ui/screenshot.sh <build folder> (a Windows build in which
# the settings_screen helper was built).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:?usage: screenshot.sh <build folder>}
helper="$build/bin/settings_screen.exe"
[ -f "$helper" ] || { echo "no $helper: build the settings_screen target first" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$root/scripts/wine-run" "$helper" "Z:$(echo "$out" | tr / '\\')"
python3 "$root/tests/skin/bmp_to_png.py" "$out/settings-window.bmp" "$root/docs/settings-window.png"
echo "wrote docs/settings-window.png"
