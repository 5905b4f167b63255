#!/bin/sh
# The release zips: builds Stowlet for 32-bit (the release) and 64-bit Windows, packs each with
# CPack into build/release/ (Stowlet-<version>-<arch>.zip and its .sha256, SHA256SUMS for
# both) and checks every zip against the exe its build made.
#   scripts/package.sh [build folder prefix]   (default build/: build/win32 and build/win64)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-build/}
cd "$root"
sh scripts/bootstrap.sh
out=$root/build/release
rm -rf "$out"
mkdir -p "$out"
for arch in win32 win64; do
    build=$prefix$arch
    echo "building $build ..."
    cmake --preset "$arch" -B "$build" >/dev/null
    cmake --build "$build" -j2 --target Stowlet guide_html >/dev/null
    version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
    cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$out/cpack-$arch" >/dev/null
    zip="Stowlet-$version-$arch.zip"
    mv "$out/cpack-$arch/$zip" "$out/cpack-$arch/$zip.sha256" "$out/"
    rm -rf "$out/cpack-$arch"
    python3 tests/release/check_release.py --zip "$out/$zip" --exe "$build/bin/Stowlet.exe" \
        --arch "$arch" --version "$version" >"$out/check-$arch.txt" || { cat "$out/check-$arch.txt"; exit 1; }
    rm -f "$out/check-$arch.txt"
done
(cd "$out" && cat ./*.zip.sha256 > SHA256SUMS && sha256sum -c SHA256SUMS >/dev/null)
echo "release zips in build/release:"
(cd "$out" && for zip in ./*.zip; do printf '  %s  %8d bytes\n' "${zip#./}" "$(wc -c <"$zip")"; done && sed 's/^/  /' SHA256SUMS)
