#!/usr/bin/env bash
# Start-up to the window shown: Quillet against the toolkit's smallest
# program with a window, started in turn on one display, best and median
# of RUNS each.  Prints the times and their ratio.  A third program, the
# smallest one with the same kinds and numbers of controls as Quillet's
# first window, shows what of the difference the toolkit needs for them.
#   startup_bench.sh linux   QUILLET [RUNS]   (needs DISPLAY)
#   startup_bench.sh windows QUILLET.EXE WX_CONFIG [RUNS]   (needs DISPLAY
#     and a WINEPREFIX made with wineboot; the programs run under Wine)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mode=$1 quillet=$(realpath "$2")
if [ "$mode" = windows ]; then
  wxc=$3 runs=${4:-7}
  # Like with like: static, and with the program's manifest (common
  # controls 6, display scaling), which costs Wine about 20 ms a start.
  manifest=$(dirname "$quillet")/windows/quillet.manifest
  printf '1 24 "%s"\n' "$manifest" > "$work/minimal.rc"
  x86_64-w64-mingw32-windres "$work/minimal.rc" -O coff -o "$work/minimal.res"
  x86_64-w64-mingw32-g++-posix -O2 $("$wxc" --cxxflags) "$here/minimal_frame.cxx" "$work/minimal.res" \
    -o "$work/minimal.exe" -static -mwindows $("$wxc" --libs core,base)
  run=(wine); minimal=$work/minimal.exe
  # Wine's server stays up between the starts, as on a desktop where Wine
  # already runs; one this script started goes with it.
  if wineserver -p 2>/dev/null; then trap 'wineserver -k; rm -rf "$work"' EXIT; fi
else
  runs=${3:-7}
  g++ -O2 $(wx-config --cxxflags) "$here/minimal_frame.cxx" -o "$work/minimal" $(wx-config --libs core,base)
  run=(); minimal=$work/minimal
fi
# Quillet needs its settings file; its tool need not exist for the start.
printf '[Setup]\r\nHamDir=%s\r\n' "$work" > "$work/quillet.ini"

shown() { # shown TITLE PID: this start's own window is mapped (others of that name may be open)
  local w
  for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
    [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$2" ] && return 0
  done
  return 1
}
time_to_window() { # time_to_window TITLE PROGRAM [ARGUMENT]: milliseconds to the mapped window
  local start end pid
  start=$(date +%s%N)
  (cd "$work" && exec "${run[@]}" "$2" ${3:+"$3"} >/dev/null 2>&1) & pid=$!
  until shown "$1" "$pid"; do
    # A start that ended, or never showed its window, is no measure: say so.
    if ! kill -0 "$pid" 2>/dev/null || [ $(( $(date +%s%N) - start )) -gt 20000000000 ]; then
      kill "$pid" 2>/dev/null
      echo "startup_bench: $2 showed no window \"$1\" within 20 s" >&2
      exit 1
    fi
    sleep 0.005
  done
  end=$(date +%s%N)
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  sleep 0.3
  echo $(( (end - start) / 1000000 ))
}
# One start of each first, so that both find the files in the cache.
time_to_window '^Minimal frame$' "$minimal" >/dev/null; time_to_window '^Quillet ' "$quillet" >/dev/null
time_to_window '^Minimal frame with' "$minimal" --controls >/dev/null
q=() m=() c=()
for _ in $(seq 1 "$runs"); do
  m+=("$(time_to_window '^Minimal frame$' "$minimal")")
  q+=("$(time_to_window '^Quillet ' "$quillet")")
  c+=("$(time_to_window '^Minimal frame with' "$minimal" --controls)")
done
stats() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {printf "best %5d ms  median %5d ms", a[1], a[int((NR+1)/2)]}'; }
qm=$(printf '%s\n' "${q[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
mm=$(printf '%s\n' "${m[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
cm=$(printf '%s\n' "${c[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo "start-up to the window shown ($mode, $runs runs each):"
echo "  Quillet        $(stats "${q[@]}")"
echo "  minimal frame  $(stats "${m[@]}")"
echo "  same controls  $(stats "${c[@]}")"
awk -v q="$qm" -v m="$mm" -v c="$cm" 'BEGIN {
  printf "  ratio of medians %.2f (target <= 1.3)\n", q / m
  printf "  the same controls alone: %.2f of the minimal frame; Quillet: %.2f of them\n", c / m, q / c }'
