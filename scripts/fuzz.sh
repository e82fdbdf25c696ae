#!/usr/bin/env bash
# Builds the fuzz targets with clang in their own directory and runs each for a
# bounded time.  Exits non-zero when a target crashes or finds a disagreement.
#   scripts/fuzz.sh [seconds]   (default 60)
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
QUILLET_FUZZ=1 "$root/scripts/install-deps.sh"
build=${QUILLET_FUZZ_BUILD:-$root/build-fuzz}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_FUZZ=ON -DQUILLET_BENCH=OFF >/dev/null
ninja -C "$build" -j2 numeric_checks_fuzz
corpus=$build/fuzz-corpus/numeric_checks
mkdir -p "$corpus"
# A few seeds near the rules' edges save the fuzzer the first minutes.
for seed in 4294967295 -32768 1e5 -.5 .-5 1e+-5 1,5,5 " +12" -0 -1e-400; do
  printf '%s' "$seed" >"$corpus/seed$(printf '%s' "$seed" | md5sum | cut -c1-8)"
done
printf '%s\n' '"e"' '"E"' '"+"' '"-"' '"."' '","' '" "' '"4294967295"' '"e-400"' \
  >"$build/numeric_checks.dict"
cd "$build"
"$build/tests/fuzz/numeric_checks_fuzz" "$corpus" -dict="$build/numeric_checks.dict" \
  -max_total_time="$seconds" -max_len=128 -print_final_stats=1
