#!/usr/bin/env bash
# Runs window tests under Wine on a Wine desktop 1280 pixels wide, for the
# tests of the 1280 layout; the tests' own display is 1024 wide.  Wine's
# desktop does not hand back the program's exit code, so GoogleTest's own
# report decides: some tests passed, none failed.
#   at_1280.sh GUI_TESTS_EXE FILTER, with DISPLAY and WINEPREFIX
set -u
out=$(wine explorer /desktop=quillet1280,1280x1024 "$1" --gtest_filter="$2" 2>&1)
printf '%s\n' "$out"
grep -q '^\[  PASSED  \] [1-9]' <<<"$out" && ! grep -q '^\[  FAILED  \]' <<<"$out"
