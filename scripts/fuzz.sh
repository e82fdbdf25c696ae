#!/usr/bin/env bash
# Builds the fuzz targets with clang in their own directory and runs each for
# a bounded time, starting from its seed corpus in tests/fuzz/corpus/.  Exits
# non-zero when a target crashes or finds a disagreement; the input that did
# it is kept in the build directory's fuzz-artifacts/.
#   scripts/fuzz.sh [seconds per target] [target ...]   (default 60, all)
set -euo pipefail
seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
QUILLET_FUZZ=1 "$root/scripts/install-deps.sh"
build=${QUILLET_FUZZ_BUILD:-$root/build-fuzz}

# target: longest input worth trying
declare -A max_len=([settings_file]=1024 [output]=4096 [windows_line]=256 [find]=512)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(settings_file output find)
  [ -f "$root/src/platform/windows_line.cpp" ] && targets+=(windows_line)
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_FUZZ=ON -DQUILLET_BENCH=OFF >/dev/null
ninja -C "$build" -j2 "${targets[@]/%/_fuzz}"

failed=()
summary=()
for name in "${targets[@]}"; do
  work=$build/fuzz-corpus/$name       # what the fuzzer adds stays out of the repository
  artifacts=$build/fuzz-artifacts
  mkdir -p "$work" "$artifacts"
  extra=()
  [ -f "$root/tests/fuzz/$name.dict" ] && extra+=(-dict="$root/tests/fuzz/$name.dict")
  log=$build/fuzz-$name.log
  echo "== $name: ${seconds}s"
  status=0
  (cd "$build" && "$build/tests/fuzz/${name}_fuzz" "$work" "$root/tests/fuzz/corpus/$name" \
     "${extra[@]}" -max_total_time="$seconds" -max_len="${max_len[$name]:-1024}" -timeout=10 \
     -artifact_prefix="$artifacts/$name-" -print_final_stats=1) >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    failed+=("$name")
    summary+=("$name: FAILED after ${runs:-?} executions (log $log)")
  else
    summary+=("$name: ${runs:-?} executions in ${seconds}s, no failure")
  fi
done
printf '%s\n' "${summary[@]}"
[ ${#failed[@]} -eq 0 ]
