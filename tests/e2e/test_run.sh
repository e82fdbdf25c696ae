#!/usr/bin/env bash
# The program's end during a run, however it comes, leaves no process of the
# run: the tool, what it started, an interpreter between them.
source "$(dirname "$0")/lib.sh"

# Whether any process works in the test's directory (the tool, its children).
tool_left() { for p in /proc/[0-9]*; do [ "$(readlink "$p/cwd" 2>/dev/null)" = "$WORK" ] && return 0; done; return 1; }
kill_tools() { for p in /proc/[0-9]*; do [ "$(readlink "$p/cwd" 2>/dev/null)" = "$WORK" ] && kill -KILL "${p#/proc/}" 2>/dev/null; done; }
no_tool_left() { for _ in $(seq 1 30); do tool_left || return 0; sleep 0.1; done; return 1; }

write_settings $'[Setup]\nHamDir=@STANDIN@\nWaitForSys=1\n'

# The program's end during a run ends the tool and everything it started:
# by the close box, by a signal, killed outright (the stand-in leaves a child
# that sleeps ten minutes), also through an interpreter.
export QUILLET_STANDIN_MODE=forever
for row in close TERM KILL KILL:/bin/sh; do
  how=${row%%:*}
  if [ "$row" != "$how" ]; then export COMSPEC=${row#*:}; else unset COMSPEC; fi
  [ -n "$QPID" ] || { start_quillet; wait_window '^Quillet ' || fail "no main window"; }
  keys_to "$WID" Return
  sleep 1.5
  check "$row: the tool runs" tool_left
  case $how in
    close) "$X_CLOSE" "$WID" ;;
    *) kill -s "$how" "$QPID" ;;
  esac
  check "$row: the program ends" wait_exit
  check "$row: no process of the run is left" no_tool_left
  kill_tools
done
finish
