#!/usr/bin/env bash
# Runs a command on the Xvfb display recorded in STATEFILE.
#   with-display.sh STATEFILE command [args...]
set -eu
state=$1; shift
if [ ! -f "$state" ]; then echo "no display: $state missing (xvfb fixture not run?)" >&2; exit 1; fi
read -r display _ < "$state"
export DISPLAY=$display
exec "$@"
