# Shared set-up of the end-to-end tests: each test runs the built program in
# a fresh directory of its own, with the stand-in server and tool.
#   test_X.sh QUILLET X_CLOSE_WINDOW SOURCE_DIR
set -u
QUILLET=$1
X_CLOSE=$2
SRC=$3
STANDIN=$SRC/tests/e2e/standin
WORK=$(mktemp -d)
export QUILLET_STANDIN_SERVER_LOG=$WORK/server.log
QPID=
FAILURES=0

cleanup() {
  [ -n "$QPID" ] && kill "$QPID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
check() { # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else fail "$what"; fi
}

write_settings() { # write_settings TEXT  (@STANDIN@ becomes the stand-in dir)
  printf '%s' "${1//@STANDIN@/$STANDIN}" > "$WORK/quillet.ini"
}

start_quillet() {
  (cd "$WORK" && exec "$QUILLET") &
  QPID=$!
}

# Waits for a top-level window whose name matches; sets WID.
wait_window() {
  WID=
  for _ in $(seq 1 150); do
    WID=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$WID" ] && return 0
    sleep 0.1
  done
  return 1
}

# Waits for the program to end; sets STATUS (124 when it did not end).
wait_exit() {
  STATUS=124
  for _ in $(seq 1 100); do
    if ! kill -0 "$QPID" 2>/dev/null; then
      wait "$QPID"; STATUS=$?; QPID=; return 0
    fi
    sleep 0.1
  done
  return 1
}

# Keys go to the window under the pointer when no window manager runs.
point_at() { # point_at WID
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.3
}
keys_to() { local wid=$1; shift; point_at "$wid"; xdotool key --delay 60 "$@"; }
type_to() { point_at "$1"; xdotool type --delay 60 "$2"; }

finish() {
  if [ "$FAILURES" -eq 0 ]; then echo "all checks passed"; exit 0; fi
  echo "$FAILURES check(s) failed"; exit 1
}
