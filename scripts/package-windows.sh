#!/usr/bin/env bash
# Builds the Windows packages: the setup program quillet-VERSION-setup.exe
# (NSIS) and the portable quillet-VERSION-win64.zip, each with quillet.exe,
# the README as text and a commented sample quillet.ini.  Installs what it
# needs and cross-builds quillet.exe first (scripts/build-windows.sh, whose
# build directory it uses).  The version is the project's own, as CMake has
# it.  Writes both into BUILD/packages/ (the tests' copy) and out/; prints
# their paths.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_WINDOWS_BUILD_DIR:-$root/build-windows}
out=${QUILLET_PKG_OUT_DIR:-$root/out}
QUILLET_WINDOWS=1 "$root/scripts/install-deps.sh"
# The build's progress to standard error: standard output is for the paths.
bash "$root/scripts/build-windows.sh" >&2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package-windows: no project version in $build/CMakeCache.txt" >&2; exit 1; }

# Windows line ends for the texts: Notepad of older Windows shows no others.
stage=$build/packages/stage
rm -rf "$build/packages" && mkdir -p "$stage"
cp "$build/quillet.exe" "$build/windows/quillet.ico" "$stage/"
sed 's/$/\r/' "$root/README.md" > "$stage/README.txt"
sed 's/$/\r/' "$root/data/windows/quillet.ini" > "$stage/quillet.ini"

setup=$build/packages/quillet-$version-setup.exe
zip=$build/packages/quillet-$version-win64.zip
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
  "$root/data/windows/quillet.nsi"
# A folder of its own inside the zip, so that unpacking makes one.
portable=$build/packages/quillet-$version
mkdir -p "$portable"
cp "$stage/quillet.exe" "$stage/README.txt" "$stage/quillet.ini" "$portable/"
(cd "$build/packages" && cmake -E tar cf "$zip" --format=zip "quillet-$version")
rm -rf "$portable"

mkdir -p "$out"
cp "$setup" "$zip" "$out/"
echo "$out/$(basename "$setup")"
echo "$out/$(basename "$zip")"
