#!/usr/bin/env bash
# Start-up against the built program: refusal without a usable HamDir, and a
# good start with the server started once.
source "$(dirname "$0")/lib.sh"

refuses() { # refuses DESCRIPTION  (settings already written or absent)
  local what=$1 before=
  [ -f "$WORK/quillet.ini" ] && before=$(md5sum < "$WORK/quillet.ini")
  rm -f "$QUILLET_STANDIN_SERVER_LOG"
  start_quillet
  check "$what: the error box appears" wait_window '^Error$'
  check "$what: no main window" test -z "$(xdotool search --name '^Quillet ' 2>/dev/null)"
  keys_to "$WID" Return
  check "$what: the program ends after OK" wait_exit
  check "$what: exit status 1" test "$STATUS" = 1
  check "$what: no server started" test ! -e "$QUILLET_STANDIN_SERVER_LOG"
  if [ -n "$before" ]; then
    check "$what: settings file untouched" test "$before" = "$(md5sum < "$WORK/quillet.ini")"
  else
    check "$what: no settings file created" test ! -e "$WORK/quillet.ini"
  fi
  check "$what: no ham.txt" test ! -e "$WORK/ham.txt"
}

refuses "no settings file"
write_settings $'[Other]\nHamDir=@STANDIN@\n'
refuses "no [Setup] section"
write_settings $'[Setup]\nHamDir=\nWaitForSys=2\n'
refuses "empty HamDir"

# Section and key names in any case; the server starts exactly once.
write_settings $'; demo\n[setup]\nHAMDIR=@STANDIN@\nwaitforsys=0\n'
rm -f "$QUILLET_STANDIN_SERVER_LOG"
start_quillet
check "good start: main window with the exact title" wait_window '^Quillet     V\. 0\.9\.10 $'
sleep 1
check "good start: server started once" test "$(wc -l < "$QUILLET_STANDIN_SERVER_LOG" 2>/dev/null)" = 1
check "good start: server started in the working directory" \
  grep -qx "started in $WORK" "$QUILLET_STANDIN_SERVER_LOG"
eval "$(xdotool getwindowgeometry --shell "$WID")"
check "good start: window at 39,39" test "$X,$Y" = "39,39"
"$X_CLOSE" "$WID"
check "good start: the close box ends the program" wait_exit
check "good start: exit status 0" test "$STATUS" = 0
finish
