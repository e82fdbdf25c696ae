#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test (unit, GUI under
# Xvfb, end-to-end against the built program).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build=${QUILLET_BUILD_DIR:-$root/build}
ctest --test-dir "$build" --output-on-failure -j2 "$@"
