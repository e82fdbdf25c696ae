#!/usr/bin/env bash
# One whole run against the built program: Return in the search field
# presses Do It, the stand-in tool gets the Grep line, ham.txt is written.
# No shell reads the line: "$(...)", a backtick and "*" reach the tool as
# text and nothing in them runs.
source "$(dirname "$0")/lib.sh"

write_settings $'[Setup]\nHamDir=@STANDIN@\nWaitForSys=1\n[SearchExpr]\n0=From:.*x $(touch made1) `touch made2` *\n'
export QUILLET_STANDIN_LOG=$WORK/args.log QUILLET_STANDIN_MODE=lines:5
start_quillet
wait_window '^Quillet ' || fail "no main window"
keys_to "$WID" Return
for _ in $(seq 1 50); do [ -s "$WORK/ham.txt" ] && break; sleep 0.1; done
sleep 1.5
check "the tool got the Grep line" \
  test "$(cat "$WORK/args.log")" = "$(printf 'grep\nFrom:.*x $(touch made1) `touch made2` *\nde\\.alt\\.admin\n----')"
check "nothing in the line ran" test ! -e "$WORK/made1" -a ! -e "$WORK/made2"
check "ham.txt holds the tool's output" test "$(wc -l < "$WORK/ham.txt")" = 5
"$X_CLOSE" "$WID"
check "the program ends" wait_exit
finish
