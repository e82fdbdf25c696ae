#!/usr/bin/env bash
# `quillet DIR`, as a menu entry or a shortcut starts it: the settings, the
# server's start and the remembered fields belong to DIR, not to the
# directory it was launched from.  check-package.sh runs this against the
# installed program too.
source "$(dirname "$0")/lib.sh"
LAUNCH=$WORK/launch
DIR="$WORK/news dir"
mkdir -p "$LAUNCH" "$DIR"
# Usable settings where it is launched from, which must not be read.
printf '[Setup]\nHamDir=%s\n' "$STANDIN" > "$LAUNCH/quillet.ini"
launch_before=$(md5sum < "$LAUNCH/quillet.ini")
start_in() { (cd "$LAUNCH" && exec "$QUILLET" "$@") & QPID=$!; }

env -u DISPLAY "$QUILLET" "$WORK/none" 2> "$WORK/err"
check "missing DIR: exit status 2" test $? = 2
check "missing DIR: says why" grep -q "cannot start in '$WORK/none'" "$WORK/err"

start_in "$DIR"
check "no settings in DIR: the error box appears" wait_window '^Error$'
keys_to "$WID" Return
check "no settings in DIR: the program ends after OK" wait_exit
check "no settings in DIR: exit status 1" test "$STATUS" = 1
check "no settings in DIR: nothing written there" test -z "$(ls -A "$DIR")"

printf '[Setup]\nHamDir=%s\nWaitForSys=0\n' "$STANDIN" > "$DIR/quillet.ini"
rm -f "$QUILLET_STANDIN_SERVER_LOG"
start_in "$DIR"
check "good start in DIR: main window" wait_window '^Quillet     V\. 0\.9\.10 $'
sleep 1
check "good start in DIR: server started there" \
  grep -qx "started in $DIR" "$QUILLET_STANDIN_SERVER_LOG"
icons=$(xprop -len 100000000 -id "$WID" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
check "good start in DIR: window icons from 16 to 256 pixels" \
  test "$icons" = "Icon (16 x 16) Icon (24 x 24) Icon (32 x 32) Icon (48 x 48) Icon (64 x 64) Icon (128 x 128) Icon (256 x 256) "
"$X_CLOSE" "$WID"
check "good start in DIR: the close box ends the program" wait_exit
check "good start in DIR: exit status 0" test "$STATUS" = 0
check "good start in DIR: fields saved in DIR's settings" grep -q '^\[SearchExpr\]' "$DIR/quillet.ini"
check "good start in DIR: the launch directory untouched" \
  test "$launch_before" = "$(md5sum < "$LAUNCH/quillet.ini")" -a ! -e "$LAUNCH/ham.txt"
finish
