#!/usr/bin/env bash
# quillet.exe under Wine with the Windows stand-ins, whose directory name
# holds a blank: the server starts once; Grep, Scoreview, Delete, Export and
# Import each reach the stand-in tool through the interpreter COMSPEC names
# with exactly the line's tail; the pane and the counts show its output;
# Escape, and a hard kill of Quillet, leave no tool running; closing saves
# the three fields as the Linux build writes them.
#   e2e_run.sh QUILLET_EXE WIN_PROBE_EXE SOURCE_DIR, with DISPLAY, WINEPREFIX
#   and QUILLET_WIN_STANDIN (the stand-ins' directory)
source "$3/tests/e2e/lib.sh" "$1" true "$3"
source "$3/tests/windows/wine_lib.sh" "$2"

printf '[Setup]\r\nHamDir=%s\r\nWaitForSys=1\r\n[SearchExpr]\r\n0=From:."Ivo" 100%% Gr\xc3\xbc\xc3\x9f\x65\r\n' \
  "$STANDIN_WIN" > "$WORK/quillet.ini"
start_quillet
wait_main_window || { fail "no main window"; finish; }
eval "$(xdotool getwindowgeometry --shell "$WID")"; width100=$WIDTH
for _ in $(seq 1 50); do [ -s "$QUILLET_STANDIN_SERVER_LOG" ] && break; sleep 0.1; done

do_it; wait_run
expect_line "Grep" $'grep "From:."Ivo" 100% Gr\xfc\xdf\x65" "de\\.alt\\.admin"'
check "ham.txt holds the tool's two lines" test "$(wc -l < "$WORK/ham.txt")" = 2
check "the counts are in the status bar" test "$(probe status)" = "2 line(s), 30 char(s)"
check "the pane shows the line and the output" \
  grep -q $'M\xc3\xbcnchen' <(probe pane)

click_command Scoreview Grep; do_it; wait_run
expect_line "Scoreview" 'scoreview de\.alt\.admin'

click_command Delete Scoreview; type_into 137 42 '<a$1`id`$HOME@example.com>'; do_it; wait_run
expect_line "Delete" 'delete "<a$1`id`$HOME@example.com>"'

click_command Export Delete; type_into 137 23 'de.test'; type_into 137 42 'out.txt'; do_it; wait_run
expect_line "Export" 'export de.test ' # the interpreter keeps the blank before its >
check "Export's > sends the output to its file" test "$(wc -l < "$WORK/out.txt")" = 2

click_command Import Export; click_at 244 5; type_into 137 42 'de.test'; type_into 137 23 'a.msg'
do_it; wait_run
expect_line "Import" 'import -go"de.test" a.msg'

# Closing with the close command saves the three fields (WM_CLOSE).
wine taskkill /im quillet.exe >/dev/null 2>&1
check "the program ends" wait_exit
check "the server started once" test "$(cat "$QUILLET_STANDIN_SERVER_LOG")" = started
expected=$(printf '[Setup]\r\nHamDir=%s\r\nWaitForSys=1\r\n[SearchExpr]\r\n0=From:."Ivo" 100%% Gr\xc3\xbc\xc3\x9f\x65\r\n[GroupExpr]\r\n0=de\\.alt\\.admin\r\n[ScoreView]\r\n0=de\\.alt\\.admin\r\nx' "$STANDIN_WIN")
check "closing saved the three fields as the Linux build writes them" \
  test "$(cat "$WORK/quillet.ini"; printf x)" = "$expected"

# After a run of 100 lines the view ends at the last line.
export QUILLET_STANDIN_MODE=lines
start_quillet
wait_main_window || { fail "no main window for the 100 lines"; finish; }
do_it; wait_run
read -r top rows <<<"$(probe rows)"
check "after 100 lines the pane's top row is a page above the end ($top of $rows)" \
  test "$top" -gt 60 -a "$((rows - top))" -le 30
wine taskkill /im quillet.exe >/dev/null 2>&1; wait_exit

# A big output goes on into the pane by itself, slice after slice, also
# while a menu is open (the system's loop then, not the toolkit's): no more
# clicks and no probes until quillet.exe has spent no processor time for a
# second.
unset QUILLET_STANDIN_MODE
awk 'BEGIN { for (i = 0; i < 100000; i++)
  printf "%06d: a line of a big output, about as wide as a search often gives\r\n", i }' > "$WORK/big.txt"
export QUILLET_STANDIN_FILE="Z:${WORK//\//\\}\\big.txt"
start_quillet
wait_main_window || { fail "no main window for the big output"; finish; }
do_it
for _ in $(seq 1 100); do [ -s "$WORK/ham.txt" ] && ! tools_left && break; sleep 0.1; done
read -r ox oy <<<"$(probe origin)"
xdotool mousemove $((ox + 17)) $((oy - 10)) click 1  # the File menu
cpu() { awk '{ print $14 + $15 }' "/proc/$QPID/stat"; }
for _ in $(seq 1 120); do was=$(cpu); sleep 1; [ "$(cpu)" = "$was" ] && break; done
check "the big output went in whole by itself" test "$(probe status)" = "100000 line(s), 6900000 char(s)"
read -r top rows <<<"$(probe rows)"
check "after 100,000 lines the view ends at the last line ($top of $rows)" \
  test "$rows" -gt 100000 -a "$((rows - top))" -le 30
xdotool key Escape Escape
unset QUILLET_STANDIN_FILE
wine taskkill /im quillet.exe >/dev/null 2>&1; wait_exit

# At 150% display scaling the layout grows with the display, once.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
start_quillet; wait_main_window && eval "$(xdotool getwindowgeometry --shell "$WID")"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
check "at 150% the window is 1.5 times as wide ($WIDTH against $width100)" \
  test $((WIDTH * 2)) -ge $((width100 * 3 - 12)) -a $((WIDTH * 2)) -le $((width100 * 3 + 12))
wine taskkill /im quillet.exe >/dev/null 2>&1; wait_exit

# At 200% the layout is taller than this 768-pixel screen: the pane gives
# way, and the window ends on the screen with its status bar.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
start_quillet; wait_main_window && eval "$(xdotool getwindowgeometry --shell "$WID")"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
check "at 200% the window ends on the screen ($Y + $HEIGHT of 768, $WIDTH wide)" \
  test $((Y + HEIGHT)) -le 768 -a $((WIDTH * 2)) -ge $((width100 * 4 - 16))
wine taskkill /im quillet.exe >/dev/null 2>&1; wait_exit

# A tool that never ends: Escape ends it and its interpreter; then a hard
# kill of Quillet itself leaves none behind either.
export QUILLET_STANDIN_MODE=forever
start_quillet
wait_main_window || { fail "no main window for the second start"; finish; }
do_it
for _ in $(seq 1 100); do tools_left && break; sleep 0.1; done
check "the endless tool runs" tools_left
sleep 2
click_at 100 150; xdotool key Escape
for _ in $(seq 1 50); do tools_left || break; sleep 0.1; done
check "Escape leaves no tool and no interpreter" test -z "$(pgrep -f "$tool_pattern")"
check "what the tool wrote is counted" grep -q ' line(s), ' <(probe status)
do_it
for _ in $(seq 1 100); do tools_left && break; sleep 0.1; done
kill -KILL "$QPID"  # the Wine process of quillet.exe itself
for _ in $(seq 1 50); do tools_left || break; sleep 0.1; done
check "a hard kill of Quillet leaves no tool" test -z "$(pgrep -f "$tool_pattern")"
wait "$QPID" 2>/dev/null; QPID=
finish
