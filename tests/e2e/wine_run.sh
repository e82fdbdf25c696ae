#!/usr/bin/env bash
# The built program with the Windows stand-ins under Wine (their directory
# name holds a blank): the server starts once, and Return runs Grep through
# Wine's interpreter, the tool receiving the line as Windows gives it.
#   wine_run.sh QUILLET X_CLOSE_WINDOW SOURCE_DIR, with QUILLET_WIN_STANDIN
source "$(dirname "$0")/lib.sh"
STANDIN=$QUILLET_WIN_STANDIN
program="\"Z:${STANDIN//\//\\}\\ham.exe\""

write_settings $'[Setup]\nHamDir=@STANDIN@\nWaitForSys=1\n[SearchExpr]\n0=From:."Ivo" a\\"b c:\\x\\\\ 100%\n'
export QUILLET_STANDIN_LOG=$WORK/args.log
start_quillet
wait_window '^Quillet ' || fail "no main window"
for _ in $(seq 1 50); do [ -s "$QUILLET_STANDIN_SERVER_LOG" ] && break; sleep 0.1; done
started=$(date +%s%N)
keys_to "$WID" Return
for _ in $(seq 1 100); do [ -s "$WORK/args.log" ] && [ -s "$WORK/ham.txt" ] && break; sleep 0.1; done
echo "the tool wrote its output $(( ($(date +%s%N) - started) / 1000000 )) ms after Return"
expected=$(printf '%s grep "From:."Ivo" a\\"b c:\\x\\\\ 100%%" "de\\.alt\\.admin"\ngrep\nFrom:.Ivo a"b c:\\x\\\\ 100%%\nde\\.alt\\.admin\n----' "$program")
check "the tool got the line as typed" test "$(cat "$WORK/args.log")" = "$expected"
[ "$(cat "$WORK/args.log")" = "$expected" ] || { echo "got:"; cat "$WORK/args.log"; echo "expected:"; echo "$expected"; }
check "ham.txt holds the tool's output" test "$(wc -l < "$WORK/ham.txt")" = 2
# The window takes no close while the run lasts: let Wine's interpreter end.
for _ in $(seq 1 50); do pgrep -f 'cmd.exe /c' >/dev/null || break; sleep 0.1; done
sleep 1.5
"$X_CLOSE" "$WID"
check "the program ends" wait_exit
check "the server started once" test "$(cat "$QUILLET_STANDIN_SERVER_LOG")" = started

# Killed outright or ended by TERM during a run, the program leaves nothing of
# it: no process of the Windows stand-in or of the interpreter reading the
# batch file, and no batch file, which holds the whole line.
run_left() { # run_left TEXT...: a process whose command line holds one of them
  for _ in $(seq 1 30); do
    local found=
    for p in /proc/[0-9]*; do
      local c; c=$(tr '\0' ' ' <"$p/cmdline" 2>/dev/null) || continue
      for t in "$@"; do [[ $c == *"$t"* ]] && found="$found ${p#/proc/}"; done
    done
    [ -z "$found" ] && return 1
    sleep 0.1
  done
  ps -o pid,ppid,pgid,args -p "${found# }"; return 0
}
nothing_left() { ! run_left "$@"; }
# Whatever a run left (under a planted fault) goes after its checks, so that
# the next run is not judged by it.
end_left() {
  for p in /proc/[0-9]*; do
    [[ $(tr '\0' ' ' <"$p/cmdline" 2>/dev/null) == *"$1"* ]] && kill -KILL "${p#/proc/}" 2>/dev/null
  done
  [ -z "$2" ] || rm -rf "$(dirname "$2")"
}
export QUILLET_STANDIN_MODE=forever
tool=${program//\"/}
# Batch files an earlier test run left are not this run's.
stale=$(grep -lF "$tool" "${TMPDIR:-/tmp}"/quillet-*/run.bat 2>/dev/null || true)
for how in KILL TERM; do
  start_quillet
  wait_window '^Quillet ' || fail "no main window"
  keys_to "$WID" Return
  bat=
  for _ in $(seq 1 150); do
    grep -q tick "$WORK/ham.txt" 2>/dev/null &&
      bat=$(grep -lF "$tool" "${TMPDIR:-/tmp}"/quillet-*/run.bat 2>/dev/null |
        grep -vxF -f <(printf '%s\n' $stale) | head -n 1) && [ -n "$bat" ] && break
    sleep 0.1
  done
  check "$how: the tool runs from its batch file" test -n "$bat"
  kill -s "$how" "$QPID"
  check "$how: the program ends" wait_exit
  check "$how: no process of the run is left" nothing_left "$tool" "$(basename "$(dirname "$bat")")"
  check "$how: the batch file is gone" test ! -e "$(dirname "$bat")"
  end_left "$tool" "$bat"
done
finish
