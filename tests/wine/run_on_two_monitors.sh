#!/usr/bin/env bash
# Runs a command on an X display of its own with two monitors (DISPLAY names it for the
# command), and stops the display after it.
#   run_on_two_monitors.sh LOG_FOLDER COMMAND [ARGUMENTS...]
# Xvfb gives Wine one monitor only; Xorg's dummy video driver has RandR outputs that can be
# switched on one by one. Two monitors of the same size: the second lies left of the primary and
# lower by SECOND_DROP, so that on Windows' virtual screen, whose origin is the primary's
# top-left corner, it has negative coordinates and rows of its own. The server's log goes to
# LOG_FOLDER. Needs root: only root may start Xorg with a configuration outside its own folders.
set -euo pipefail
readonly MONITOR_WIDTH=1024 MONITOR_HEIGHT=768 SECOND_DROP=192
log_folder=$(mkdir -p "$1" && cd "$1" && pwd)
shift
if ((EUID != 0)); then
  echo "run_on_two_monitors.sh: Xorg with a configuration of its own needs root" >&2
  exit 1
fi

work=$(mktemp -d)
xorg=
cleanup() {
  if [[ -n $xorg ]]; then
    kill "$xorg" 2>/dev/null || true
    wait "$xorg" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

# No input devices: the server must not take the machine's keyboard and mouse (the tests use
# XTEST). The refresh range keeps the modes at 60 Hz, as on an ordinary display.
mkdir "$work/conf.d"
cat >"$work/conf.d/no_input_devices.conf" <<EOF
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
EndSection
EOF
cat >"$work/two_monitors.conf" <<EOF
Section "Device"
    Identifier "card"
    Driver "dummy"
    VideoRam 32768
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-61.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "card"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual $((2 * MONITOR_WIDTH)) $((MONITOR_HEIGHT + SECOND_DROP))
        Modes "${MONITOR_WIDTH}x$MONITOR_HEIGHT"
    EndSubSection
EndSection
EOF

# Without a console of its own (-sharevts -novtswitch: no terminal switched or changed;
# -keeptty: in our session, so that what stops us stops it), with only our configuration
# snippets, keeping the monitors when the last client leaves; -displayfd writes the display's
# number once it takes clients. Should this script be killed outright, the parent-death signal
# still stops Xorg.
display_file=$work/display
setpriv --pdeathsig TERM Xorg -displayfd 3 -config "$work/two_monitors.conf" -configdir "$work/conf.d" \
  -sharevts -novtswitch -keeptty -noreset -nolisten tcp \
  -logfile "$log_folder/two_monitors_xorg.log" 3>"$display_file" >/dev/null 2>&1 </dev/null &
xorg=$!
for _ in $(seq 200); do
  [[ $(wc -l <"$display_file") -ge 1 ]] && break
  kill -0 "$xorg" 2>/dev/null || {
    echo "Xorg did not start; see $log_folder/two_monitors_xorg.log" >&2
    exit 1
  }
  sleep 0.1
done
display=$(head -n 1 "$display_file")
[[ -n $display ]] || { echo "Xorg gave no display in time" >&2; exit 1; }
export DISPLAY=:$display

mode=${MONITOR_WIDTH}x$MONITOR_HEIGHT
xrandr --addmode DUMMY1 "$mode"
xrandr --output DUMMY0 --primary --mode "$mode" --pos "${MONITOR_WIDTH}x0" \
  --output DUMMY1 --mode "$mode" --pos "0x$SECOND_DROP"
# The driver reports the second output connected once it has a mode, but the server asks only
# on a probe, as this query makes; Wine reads the state without probing.
connected=$(xrandr --query | grep -c ' connected')
((connected == 2)) || { echo "Xorg shows $connected monitors, not 2" >&2; exit 1; }

# In the background, so that a signal ends the wait at once and the clean-up runs.
"$@" &
wait "$!"
