#!/usr/bin/env bash
# Runs a command with Wine's display scale at DPI dots per inch (96 is 100%)
# and puts it back to 96 afterwards, whatever the command's end.
#   at_dpi.sh DPI command [args...], with WINEPREFIX
set -u
scale() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
scale "$1"
shift
"$@"
status=$?
scale 96
exit $status
