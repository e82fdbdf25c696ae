#!/usr/bin/env bash
# Starts or stops a private Xvfb server for the GUI and end-to-end tests.
#   xvfb.sh start WIDTH STATEFILE   -> writes ":N pid" into STATEFILE
#   xvfb.sh stop  WIDTH STATEFILE
set -eu
action=$1 width=$2 state=$3
case "$width" in 1280) height=1024 ;; *) height=768 ;; esac

stop() {
  if [ -f "$state" ]; then
    read -r _ pid < "$state" || true
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
    rm -f "$state"
  fi
}

case "$action" in
  start)
    stop
    fdfile=$(mktemp)
    # -displayfd lets the server pick a free display number.
    Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp -noreset \
      3>"$fdfile" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 100); do
      [ -s "$fdfile" ] && break
      sleep 0.1
    done
    num=$(tr -dc '0-9' < "$fdfile"); rm -f "$fdfile"
    if [ -z "$num" ]; then echo "Xvfb did not start" >&2; kill "$pid" 2>/dev/null; exit 1; fi
    echo ":$num $pid" > "$state"
    # The fixture's process ends here; the server must outlive it.
    disown "$pid" 2>/dev/null || true
    echo "Xvfb :$num (${width}x${height}) pid $pid"
    ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop WIDTH STATEFILE" >&2; exit 2 ;;
esac
