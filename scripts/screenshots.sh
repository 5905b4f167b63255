#!/bin/sh
# Regenerates every picture of the user guide under the project's Wine session (Xvfb): the
# settings window (docs/settings-window-skin.png, the pointer over a button), the window with
# its macro menu open (docs/settings-window.png) and the About box (docs/about-box.png), all
# from the 32-bit release build. The pictures show the zip's sample settings file
# (packaging/Stowlet.sample.ini, which tests/docs checks for known keys and macros) as
# C:\Tools\Stowlet.ini.
#   scripts/screenshots.sh [build folder]   (default build/screens-win32)
# Needs what scripts/bootstrap.sh installs, Wine's fonts (fonts-wine) included.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/screens-win32}
cd "$root"
# Wine draws the caption buttons with its Marlett font; without it the close box is a letter "r".
# Debian's Wine 8 does not find the fonts of fonts-wine where that package puts them (it asks
# for "/usr/share/wine/../fonts"), so the font is copied into the prefix's Fonts folder below.
marlett=/usr/share/wine/fonts/marlett.ttf
[ -f "$marlett" ] || { echo "screenshots: $marlett is missing: run scripts/bootstrap.sh (fonts-wine)" >&2; exit 1; }
echo "building the picture helpers into $build ..."
cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" -j2 --target settings_screen skin_screens desktop_keeper >/dev/null
# C:\Tools in the prefix: the helpers put their settings file and their bitmaps there.
prefix=${STOWLET_WINEPREFIX:-$root/build/wineprefix}
folder="$prefix/drive_c/Tools"
made=0
started=0
finish() {
    rm -f "$folder/settings-window.bmp" "$folder/settings.bmp" "$folder/about.bmp" "$folder/Stowlet.ini"
    [ "$made" = 0 ] || rmdir "$folder" 2>/dev/null || true
    [ "$started" = 0 ] || "$root/scripts/wine-session.sh" stop main
}
trap finish EXIT
trap 'exit 1' INT TERM
if ! scripts/wine-session.sh running main; then
    scripts/wine-session.sh start "$build/bin/desktop_keeper.exe" main
    started=1
fi
mkdir -p "$prefix/drive_c/windows/Fonts"
cp "$marlett" "$prefix/drive_c/windows/Fonts/marlett.ttf"
[ -d "$folder" ] || { mkdir -p "$folder"; made=1; }
cp "$build/packaging/Stowlet.sample.ini" "$folder/Stowlet.ini"

scripts/wine-run "$build/bin/settings_screen.exe" 'C:\Tools'
python3 tests/skin/bmp_to_png.py "$folder/settings-window.bmp" docs/settings-window.png
scripts/wine-run "$build/bin/skin_screens.exe" 'C:\Tools'
python3 tests/skin/bmp_to_png.py "$folder/settings.bmp" docs/settings-window-skin.png
python3 tests/skin/bmp_to_png.py "$folder/about.bmp" docs/about-box.png
echo "wrote docs/settings-window.png, docs/settings-window-skin.png and docs/about-box.png"
