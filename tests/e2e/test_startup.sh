#!/usr/bin/env bash
# Start-up against the built program, started as a menu entry or a shortcut
# starts it, `quillet DIR`: refusal without a usable HamDir; a good start
# with the server started once; the settings, the server's start and the
# remembered fields belong to DIR, not to the directory it was launched
# from.  check-package.sh runs this against the installed program too.
source "$(dirname "$0")/lib.sh"
LAUNCH=$WORK/launch
DIR="$WORK/news dir"
mkdir -p "$LAUNCH" "$DIR"
# Usable settings where it is launched from, which must not be read.
printf '[Setup]\nHamDir=%s\n' "$STANDIN" > "$LAUNCH/quillet.ini"
launch_before=$(md5sum < "$LAUNCH/quillet.ini")
start_in_dir() { (cd "$LAUNCH" && exec "$QUILLET" "$DIR") & QPID=$!; }

env -u DISPLAY "$QUILLET" "$WORK/none" 2> "$WORK/err"
check "missing DIR: exit status 2" test $? = 2
check "missing DIR: says why" grep -q "cannot start in '$WORK/none'" "$WORK/err"

refuses() { # refuses DESCRIPTION  (DIR's settings already written or absent)
  local what=$1 before=
  [ -f "$DIR/quillet.ini" ] && before=$(md5sum < "$DIR/quillet.ini")
  rm -f "$QUILLET_STANDIN_SERVER_LOG"
  start_in_dir
  check "$what: the error box appears" wait_window '^Error$'
  check "$what: no main window" test -z "$(xdotool search --name '^Quillet ' 2>/dev/null)"
  keys_to "$WID" Return
  check "$what: the program ends after OK" wait_exit
  check "$what: exit status 1" test "$STATUS" = 1
  check "$what: no server started" test ! -e "$QUILLET_STANDIN_SERVER_LOG"
  if [ -n "$before" ]; then
    check "$what: settings file untouched" test "$before" = "$(md5sum < "$DIR/quillet.ini")"
  else
    check "$what: nothing written in DIR" test -z "$(ls -A "$DIR")"
  fi
  check "$what: no ham.txt" test ! -e "$DIR/ham.txt"
}

refuses "no settings file"
printf '[Other]\nHamDir=%s\n' "$STANDIN" > "$DIR/quillet.ini"
refuses "no [Setup] section"
printf '[Setup]\nHamDir=\nWaitForSys=2\n' > "$DIR/quillet.ini"
refuses "empty HamDir"

# Section and key names in any case; the server starts exactly once, in DIR.
printf '; demo\n[setup]\nHAMDIR=%s\nwaitforsys=0\n' "$STANDIN" > "$DIR/quillet.ini"
rm -f "$QUILLET_STANDIN_SERVER_LOG"
start_in_dir
check "good start: main window with the exact title" wait_window '^Quillet     V\. 0\.9\.10 $'
sleep 1
check "good start: server started once, in DIR" \
  test "$(cat "$QUILLET_STANDIN_SERVER_LOG" 2>/dev/null)" = "started in $DIR"
eval "$(xdotool getwindowgeometry --shell "$WID")"
check "good start: window at 39,39" test "$X,$Y" = "39,39"
icons=$(xprop -len 100000000 -id "$WID" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
check "good start: window icons from 16 to 256 pixels" \
  test "$icons" = "Icon (16 x 16) Icon (24 x 24) Icon (32 x 32) Icon (48 x 48) Icon (64 x 64) Icon (128 x 128) Icon (256 x 256) "
"$X_CLOSE" "$WID"
check "good start: the close box ends the program" wait_exit
check "good start: exit status 0" test "$STATUS" = 0
check "good start: fields saved in DIR's settings" grep -q '^\[SearchExpr\]' "$DIR/quillet.ini"
check "good start: the launch directory untouched" \
  test "$launch_before" = "$(md5sum < "$LAUNCH/quillet.ini")" -a ! -e "$LAUNCH/ham.txt"
finish
