#!/usr/bin/env bash
# The private Wine prefix of a test run: "start PREFIX" makes it afresh and
# leaves its server running for the tests; "stop PREFIX" ends that server.
set -u
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
log=$WINEPREFIX.log
case $action in
  start)
    wineserver -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # A server that stays for the whole test run spares every run its start.
    # Output to a file: a server that outlives this script must not hold
    # the test runner's pipe open.
    wineserver -p >"$log" 2>&1
    wine wineboot -i >>"$log" 2>&1 || { cat "$log"; exit 1; }
    # Without a window manager Wine waits two seconds on every window it
    # hides or closes, unless it manages none itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$log" 2>&1
    # What the tests install stays in the prefix: no menu entries or icons
    # for the host's desktop, and the user's folders are folders of the
    # prefix instead of links to the home directory.
    wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >>"$log" 2>&1
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
      [ -L "$link" ] && rm "$link" && mkdir "$link"
    done
    exit 0 ;;
  stop) wineserver -k >/dev/null 2>&1; exit 0 ;;
esac
exit 2
