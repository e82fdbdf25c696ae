#!/usr/bin/env bash
# Plants known faults one at a time and tells which the test suite catches.
# It is the yardstick for trimming tests: a smaller suite must still catch
# every fault the larger one caught.
#
# Faults live in scripts/faults.tsv, one a line:
#   path<TAB>original text<TAB>replacement<TAB>description
# The original text is a fixed string that must occur exactly once in the
# file; otherwise the fault is reported "not applied" (re-express it after a
# refactoring).  Lines starting with # are comments.
#
# Usage: scripts/plant-faults.sh [options]
#   --matrix FILE   run the whole suite per fault and write every failing
#                   test per fault to FILE (shows which tests are redundant)
#   --only N,M      plant only faults number N, M (numbered as listed)
#   -R REGEX / -E REGEX   passed to ctest to choose tests
#   --timeout S     per-test timeout for tests without their own (default 120)
#   --faults FILE   another fault table
#   --skip-baseline do not first check that the unchanged code passes
# The build goes to build-faults/ (or $QUILLET_FAULTS_BUILD_DIR), so build/
# stays as it is.  Each fault is applied, built with ninja, tested, and the
# file restored, also on Ctrl-C or error.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_FAULTS_BUILD_DIR:-$root/build-faults}
table=$root/scripts/faults.tsv
matrix='' only='' timeout=120 baseline=1
filter=()
while [ $# -gt 0 ]; do
  case "$1" in
    --matrix) matrix=$2; shift 2 ;;
    --only) only=,$2,; shift 2 ;;
    -R|-E) filter+=("$1" "$2"); shift 2 ;;
    --timeout) timeout=$2; shift 2 ;;
    --faults) table=$2; shift 2 ;;
    --skip-baseline) baseline=0; shift ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done

work=$(mktemp -d)
planted=''  # the file that currently holds a fault
restore() {
  if [ -n "$planted" ]; then cp "$work/pristine" "$root/$planted"; planted=''; fi
}
cleanup() {
  restore
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

QUILLET_BUILD_DIR=$build "$root/scripts/build.sh" >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; echo "the unchanged code does not build" >&2; exit 1; }

test_targets="quillet unit_tests gui_tests x_close_window win_standins"

# Runs ctest; prints the names of the tests that did not pass, in the order
# they ended.  $1 = "stop" to end at the first failure.  A failing test runs
# a second time, so that a GUI test that failed under load does not count.
failed_in() {
  # A retried test's last line tells.
  awk '/Test +#[0-9]+: / { sub(/.*Test +#[0-9]+: /, "")
         last[$1] = / (Passed|Skipped) |Disabled/ ? "" : ++n }
       END { for (t in last) if (last[t] != "") print last[t], t }' "$1" |
    sort -n | cut -d' ' -f2
}
ctest_run() {
  ctest --test-dir "$build" -j2 --timeout "$timeout" --repeat until-pass:2 "$@" \
    >"$work/ctest.log" 2>&1 </dev/null || true
  failed_in "$work/ctest.log"
}
run_tests() {
  if [ "$1" != stop ]; then
    ctest_run "${filter[@]}"
  elif [ ${#filter[@]} -gt 0 ]; then
    ctest_run --stop-on-failure "${filter[@]}"
  else
    # The unit tests take seconds and catch most faults: they go first, and
    # the windows only when they all pass.
    local failing
    failing=$(ctest_run --stop-on-failure -R '^unit\.')
    [ -n "$failing" ] && echo "$failing" || ctest_run --stop-on-failure -E '^unit\.'
  fi
}

# Ends fixtures a stopped run left behind (Xvfb servers, Wine prefix).
stop_fixtures() {
  ctest --test-dir "$build" -R '^(xvfb|wine\.prefix)\.stop' >/dev/null 2>&1 || true
}

if [ "$baseline" = 1 ]; then
  failing=$(run_tests full)
  if [ -n "$failing" ]; then
    echo "the unchanged code fails these tests; fix them first:" $failing >&2
    exit 1
  fi
fi

[ -n "$matrix" ] && : >"$matrix"
n=0 caught=0 total=0
while IFS= read -r line <&3 || [ -n "$line" ]; do
  case "$line" in ''|'#'*) continue ;; esac
  n=$((n + 1))
  [ -n "$only" ] && [[ $only != *,$n,* ]] && continue
  path=${line%%$'\t'*}; rest=${line#*$'\t'}
  orig=${rest%%$'\t'*}; rest=${rest#*$'\t'}
  repl=${rest%%$'\t'*}; desc=${rest#*$'\t'}
  total=$((total + 1))
  label="$n $path: $desc"

  # Fixed-string replacement of the single occurrence.
  text=''
  [ -f "$root/$path" ] && { text=$(cat "$root/$path"; printf x); text=${text%x}; }
  after=${text#*"$orig"}
  if [ -z "$text" ] || [ "$after" = "$text" ] || [[ $after == *"$orig"* ]]; then
    echo "$label -- not applied"
    [ -n "$matrix" ] && printf '%s\tnot applied\n' "$label" >>"$matrix"
    continue
  fi
  cp "$root/$path" "$work/pristine"
  planted=$path
  printf '%s' "${text%%"$orig"*}$repl$after" >"$root/$path"

  # Only what the tests run: the benchmarks would add a link per fault.
  if ! ninja -C "$build" -j2 $test_targets >"$work/ninja.log" 2>&1 </dev/null; then
    result='build failed'
    [ -n "$matrix" ] && printf '%s\tbuild failed\n' "$label" >>"$matrix"
  elif [ -n "$matrix" ]; then
    failing=$(run_tests full)
    if [ -n "$failing" ]; then
      caught=$((caught + 1)); result="caught by $(echo "$failing" | wc -l) tests"
    else
      result=MISSED
    fi
    printf '%s\t%s\n' "$label" "$(echo ${failing:-MISSED})" >>"$matrix"
  else
    failing=$(run_tests stop)
    if [ -n "$failing" ]; then
      caught=$((caught + 1)); result="caught by $(echo "$failing" | head -n1)"
      stop_fixtures
    else
      result=MISSED
    fi
  fi
  restore
  echo "$label -- $result"
done 3<"$table"

echo "caught $caught of $total"
if [ -n "$matrix" ]; then
  # The same turned round: per test, the faults it caught (none: a
  # candidate for removal).
  { echo "caught $caught of $total"; echo "# per test: the faults it caught"
    ctest --test-dir "$build" -N "${filter[@]}" | sed -nE 's/^ *Test +#[0-9]+: (.*)/\1/p' |
      awk -F'\t' 'NR == FNR { if (NF == 2) { split($2, t, " "); for (i in t) hit[t[i]] = hit[t[i]] " " $1 + 0 }; next }
                   { print $0 ":" (hit[$0] == "" ? " none" : hit[$0]) }' "$matrix" -
  } >>"$matrix.tmp"
  cat "$matrix.tmp" >>"$matrix"; rm -f "$matrix.tmp"
fi
# Leave the build dir matching the unchanged sources.
ninja -C "$build" -j2 >/dev/null
