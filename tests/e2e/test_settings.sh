#!/usr/bin/env bash
# The remembered fields: the close box saves them, the exit item does not.
source "$(dirname "$0")/lib.sh"

write_settings $'; kept as it is\n[Setup]\nHamDir=@STANDIN@\n'
start_quillet
wait_window '^Quillet ' || fail "no main window"
# Grep is shown at start with the focus in the search field, its text selected.
type_to "$WID" abc
sleep 0.3
"$X_CLOSE" "$WID"
check "close box: program ends" wait_exit
check "close box: search expression saved" \
  grep -Pzq '\[SearchExpr\]\n0=abc\n' "$WORK/quillet.ini"
check "close box: fallbacks saved for the untouched fields" \
  grep -Pzq '\[GroupExpr\]\n0=de\\\.alt\\\.admin\n\[ScoreView\]\n0=de\\\.alt\\\.admin\n' "$WORK/quillet.ini"
check "close box: other lines kept" grep -qx '; kept as it is' "$WORK/quillet.ini"

# The next start shows abc: closing again without typing keeps it.
start_quillet
wait_window '^Quillet ' || fail "no main window on the second start"
sleep 0.5
"$X_CLOSE" "$WID"
wait_exit
check "next start showed the saved text" grep -Pzq '\[SearchExpr\]\n0=abc\n' "$WORK/quillet.ini"

# The exit item leaves the file as it was.
before=$(md5sum < "$WORK/quillet.ini")
start_quillet
wait_window '^Quillet ' || fail "no main window on the third start"
type_to "$WID" zzz
keys_to "$WID" alt+f
sleep 0.3
xdotool key x
check "exit item: program ends" wait_exit
check "exit item: exit status 0" test "$STATUS" = 0
check "exit item: settings file unchanged" test "$before" = "$(md5sum < "$WORK/quillet.ini")"
finish
