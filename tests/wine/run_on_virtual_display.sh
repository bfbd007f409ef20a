#!/usr/bin/env bash
# Runs a Windows program of the build under Wine on a virtual X display of its own.
#   run_on_virtual_display.sh PREFIX PROGRAM [ARGUMENTS...]
# PREFIX is a Wine prefix for this use only: Wine binds a prefix's desktop to the X display of
# the first program started in it, so a prefix shared with runs without a display would leave
# the program's windows nowhere.
#   run_on_virtual_display.sh --native PROGRAM [ARGUMENTS...]
# runs a native program there instead, without Wine (which would not wait for it).
# VEXAFRAME_SCREEN sets the display's size and depth, 1024x768x24 unless given.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [[ $1 == --native ]]; then
  wineserver=true
  run=()
else
  mkdir -p "$1"
  WINEPREFIX=$(cd "$1" && pwd)  # Wine takes absolute paths only
  export WINEPREFIX
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  run=("$here/../../cmake/wine-run.sh")
  # A server left by an earlier run keeps its desktop on that run's display.
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w
fi
shift

display_file=$(mktemp)
# -noreset: the server would otherwise reset whenever its last client leaves.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${VEXAFRAME_SCREEN:-1024x768x24}" 3>"$display_file" 2>/dev/null &
xvfb=$!
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -f "$display_file"
}
trap cleanup EXIT
trap 'exit 143' INT TERM
# Xvfb writes the display's number once it accepts clients.
for _ in $(seq 200); do
  [[ $(wc -l <"$display_file") -ge 1 ]] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
display=$(head -n 1 "$display_file")
[[ -n $display ]] || { echo "Xvfb gave no display in time" >&2; exit 1; }
export DISPLAY=:$display
# In the background, so that a signal ends the wait at once and the clean-up runs.
"${run[@]}" "$@" &
wait "$!"
