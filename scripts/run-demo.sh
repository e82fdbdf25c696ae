#!/usr/bin/env bash
# Installs what is needed, builds, and runs Quillet on the demo set-up: a
# settings file and stand-ins for the server and its console tool.  Without
# a display it runs Quillet under Xvfb, saves a screenshot and prints its path.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build=${QUILLET_BUILD_DIR:-$root/build}

run=$build/demo-run
mkdir -p "$run"
if [ ! -f "$run/quillet.ini" ]; then
  sed "s|@HAMDIR@|$root/demo/server|" "$root/demo/quillet.ini.template" > "$run/quillet.ini"
fi
cd "$run"

if [ -n "${DISPLAY:-}" ]; then
  exec "$build/quillet"
fi

shot=$run/quillet-demo.png
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" & app=$!
  for _ in $(seq 1 100); do
    xdotool search --name "^Quillet " >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1
  import -window root "$2"
  kill "$app"; wait "$app" 2>/dev/null || true
' _ "$build/quillet" "$shot"
echo "Quillet ran under Xvfb; screenshot: $shot"
