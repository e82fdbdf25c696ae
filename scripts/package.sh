#!/usr/bin/env bash
# Builds the Debian package out/quillet_<version>_amd64.deb with CPack, from a
# build of its own (build-pkg/, no tests) with Debian's hardening flags.
# Extra arguments go to cmake, e.g. -DQUILLET_SCREENSHOT_URL=https://...
# Prints the package's path as its last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
QUILLET_PACKAGE=1 "$root/scripts/install-deps.sh"
build=${QUILLET_PKG_BUILD_DIR:-$root/build-pkg}
out=${QUILLET_PKG_OUT_DIR:-$root/out}

# The release date in the metadata, the manual page and the changelog is
# that of the last commit, so that the same source gives the same package.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
fi
export SOURCE_DATE_EPOCH
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_TESTS=OFF -DQUILLET_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$CXXFLAGS $CPPFLAGS" "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" \
  "$@" >/dev/null
ninja -C "$build" -j2 >/dev/null
rm -f "$build"/quillet_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
mkdir -p "$out"
deb=$(ls "$build"/quillet_*_amd64.deb)
cp "$deb" "$out/"
echo "$out/$(basename "$deb")"
