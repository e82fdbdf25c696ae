#!/usr/bin/env bash
# Builds the Debian package and checks it as a user's machine gets it: the
# desktop entry, the AppStream metadata and lintian on the package; then
# installs it with apt-get, runs the installed program's checks under Xvfb
# (--version, and start-up in a directory given on the command line), takes
# a screenshot, purges the package and checks that nothing of it is left.
# Runs as root (or with sudo); CI calls it from .ci/run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILLET_BUILD_DIR:-$root/build}
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
step() { echo "== $* ($SECONDS s)"; }

step "building the package"
deb=$("$root/scripts/package.sh" | tail -n 1)
version=$(dpkg-deb -f "$deb" Version)
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"

step "checking its contents"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
for f in "$tree"/usr/share/applications/*.desktop; do
  desktop-file-validate "$f" && ok "desktop-file-validate $(basename "$f")" || fail "desktop entry"
done
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml \
  && ok "appstreamcli validate" || fail "AppStream metadata"
# lintian fails only on errors; its warnings and notes are shown.
if report=$(lintian --fail-on error -I "$deb" 2>&1); then lintian_ok=1; else lintian_ok=0; fi
grep -v '^running with root privileges' <<<"$report" || true
[ "$lintian_ok" = 1 ] && ok "lintian: no errors" || fail "lintian errors"

step "installing it"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get purge -y -q quillet >/dev/null 2>&1 || true
$SUDO apt-get install -y -q "$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")" >/dev/null
said=$(env -u DISPLAY /usr/bin/quillet --version)
[ "$said" = "Quillet $version" ] && ok "installed --version" || fail "--version says '$said'"
env -u DISPLAY /usr/bin/quillet --help >/dev/null && ok "installed --help" || fail "--help"
env -u DISPLAY /usr/bin/quillet --bogus 2>/dev/null && status=0 || status=$?
[ "$status" = 2 ] && ok "unknown option: exit status 2" || fail "unknown option: $status"

# The end-to-end start-up test, against the installed program.
step "start-up checks of the installed program under Xvfb"
[ -x "$build/tests/x_close_window" ] || "$root/scripts/build.sh"
state=$(mktemp)
"$root/tests/xvfb.sh" start 1024 "$state" >/dev/null
if "$root/tests/with-display.sh" "$state" bash "$root/tests/e2e/test_startup.sh" \
     /usr/bin/quillet "$build/tests/x_close_window" "$root"; then
  ok "installed program: start-up in DIR"
else
  fail "installed program: start-up in DIR"
fi

# A screenshot of the installed program started as `quillet DIR`.
shotdir=$(mktemp -d)
sed "s|@HAMDIR@|$root/demo/server|" "$root/demo/quillet.ini.template" > "$shotdir/quillet.ini"
shot=$root/out/quillet-installed.png
(
  read -r display _ < "$state"; export DISPLAY=$display
  cd / && /usr/bin/quillet "$shotdir" & app=$!
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name '^Quillet ' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1
  import -window root "$shot"
  kill "$app"; wait "$app" 2>/dev/null || true
)
"$root/tests/xvfb.sh" stop 1024 "$state"
rm -rf "$shotdir" "$state"
echo "screenshot: $shot"

step "purging it"
files=$(dpkg -L quillet)
$SUDO apt-get purge -y -q quillet >/dev/null
left=""
for f in $files; do
  [ -f "$f" ] || [ -L "$f" ] && left="$left $f"
done
left="$left $(find /usr /etc -iname '*quillet*' 2>/dev/null | tr '\n' ' ')"
[ -z "${left// /}" ] && ok "nothing left in /usr after purge" || fail "left after purge:$left"

step "done"
if [ "$failures" -eq 0 ]; then echo "package checks: all ok"; exit 0; fi
echo "package checks: $failures failed"
exit 1
