# What the tests of quillet.exe under Wine share, on top of e2e/lib.sh:
# starting it, finding its window, clicking the form, Do It and the stand-in
# tool's log.
#   source wine_lib.sh WIN_PROBE_EXE, with DISPLAY, WINEPREFIX and
#   QUILLET_WIN_STANDIN (the stand-ins' directory)
PROBE=$1
STANDIN_WIN="Z:${QUILLET_WIN_STANDIN//\//\\}"
program="\"$STANDIN_WIN\\ham.exe\""
export QUILLET_STANDIN_LOG=$WORK/args.log

start_quillet() { # start_quillet [DIR [EXE]]: in DIR (WORK), EXE (QUILLET)
  (cd "${1:-$WORK}" && exec wine "${2:-$QUILLET}") &
  QPID=$!
}
# The first window in a new prefix waits for Wine to set up its desktop.
wait_main_window() {
  for _ in $(seq 1 4); do wait_window '^Quillet ' && return 0; done
  return 1
}
probe() { wine "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }
# Design units of the form at a scale base of 1024, as the layout turns them
# into pixels of the client area.
click_at() { # click_at DESIGN_X DESIGN_Y
  read -r ox oy <<<"$(probe origin)"
  xdotool mousemove $((ox + $1 * 1024 / 800)) $((oy + $2 * 1024 / 800)) click 1
  sleep 0.4
}
# The command buttons stand in a grid of the others, in list order.
click_command() { # click_command NAME CURRENT
  local order=(Grep Delete Export Import Scoretest Scoreview Groups Help Info Locate Type) cell=0 name
  local columns=(3 46 89 132 175)
  for name in "${order[@]}"; do
    [ "$name" = "$2" ] && continue
    if [ "$name" = "$1" ]; then
      click_at $((columns[cell % 5] + 20)) $(( (cell < 5 ? 54 : 74) + 7 ))
      return
    fi
    cell=$((cell + 1))
  done
}
type_into() { click_at "$1" "$2"; xdotool type --delay 40 "$3"; }
# The interpreter and the tool of this build (other builds may run Wine too).
tool_pattern='build-windows.wine standin.ham\.exe'
tools_left() { pgrep -f "$tool_pattern" >/dev/null; }
do_it() { : > "$WORK/args.log"; click_at 278 61; }
wait_run() { # waits for the tool's log entry and the interpreter's end
  for _ in $(seq 1 100); do grep -q '^----$' "$WORK/args.log" 2>/dev/null && break; sleep 0.1; done
  for _ in $(seq 1 50); do tools_left || break; sleep 0.1; done
  sleep 1
}
expect_line() { # expect_line WHAT TAIL
  local got; got=$(head -n 1 "$WORK/args.log" | tr -d '\r')
  check "$1 reaches the tool as $program $2" test "$got" = "$program $2"
  [ "$got" = "$program $2" ] || echo "got: $got"
}
