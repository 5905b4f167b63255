#!/bin/sh
# Pictures of the skinned settings window (a hot and a pressed button) and of the About box for
# docs/, taken under the project's Wine session. Usage: tests/skin/screenshots.sh <build folder>
# (a Windows build in which the skin_screens helper was built).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:?usage: screenshots.sh <build folder>}
helper="$build/bin/skin_screens.exe"
[ -f "$helper" ] || { echo "no $helper: build the skin_screens target first" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$root/scripts/wine-run" "$helper" "Z:$(echo "$out" | tr / '\\')"
python3 "$here/bmp_to_png.py" "$out/settings.bmp" "$root/docs/settings-window-skin.png"
python3 "$here/bmp_to_png.py" "$out/about.bmp" "$root/docs/about-box.png"
echo "wrote docs/settings-window-skin.png and docs/about-box.png"
