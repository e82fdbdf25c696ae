#!/usr/bin/env bash
# The program's end during a run, however it comes, leaves no tool running.
source "$(dirname "$0")/lib.sh"

# Whether any process works in the test's directory (the tool, its children).
tool_left() { for p in /proc/[0-9]*; do [ "$(readlink "$p/cwd" 2>/dev/null)" = "$WORK" ] && return 0; done; return 1; }
kill_tools() { for p in /proc/[0-9]*; do [ "$(readlink "$p/cwd" 2>/dev/null)" = "$WORK" ] && kill -KILL "${p#/proc/}" 2>/dev/null; done; }
no_tool_left() { for _ in $(seq 1 30); do tool_left || return 0; sleep 0.1; done; return 1; }

write_settings $'[Setup]\nHamDir=@STANDIN@\nWaitForSys=1\n'

# The program's end during a run ends the tool too: by the close box, by a
# signal; a hard kill leaves the program no say, but the kernel ends the
# process it started directly.
export QUILLET_STANDIN_MODE=forever
for how in close TERM KILL; do
  [ -n "$QPID" ] || { start_quillet; wait_window '^Quillet ' || fail "no main window"; }
  keys_to "$WID" Return
  sleep 1.5
  check "$how: the tool runs" tool_left
  children=$(pgrep -P "$QPID")
  case $how in
    close) "$X_CLOSE" "$WID" ;;
    *) kill -s "$how" "$QPID" ;;
  esac
  check "$how: the program ends" wait_exit
  if [ "$how" = KILL ]; then
    sleep 0.5
    # Ended, or a zombie that whoever adopted it has not reaped yet.
    check "$how: the started process ended with the program" \
      bash -c 'for c in $0 "$@"; do [ -d /proc/$c ] && ! grep -q "^State:.*Z" /proc/$c/status && exit 1; done; exit 0' $children
  else
    check "$how: no tool is left" no_tool_left
  fi
  kill_tools
done
finish
