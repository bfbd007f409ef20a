#!/usr/bin/env bash
# Runs "$@" on the display, or, without one, on a virtual one for ten seconds, with a screenshot
# saved to $SCREENSHOT (build/screenshot.png) at the end. Exits 0 when the program was stopped as
# planned, else with its own status.
set -euo pipefail
screenshot=${SCREENSHOT:-build/screenshot.png}
if [ -n "${DISPLAY:-}" ]; then
    exec "$@"
fi
# A free display number, which Xvfb writes once it takes clients.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb=$!
# The saver goes before its display does, so that it ends as it was asked to.
# Their statuses of being ended are no failure of this script's.
trap 'kill "${saver:-}" 2>/dev/null && { wait "$saver" || true; }; kill "$xvfb"; wait "$xvfb" || true; rm -f "$display_file"' EXIT
until [ -s "$display_file" ]; do
    kill -0 "$xvfb" 2>/dev/null || { echo "run: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
display=:$(head -n 1 "$display_file")
export DISPLAY=$display
"$@" &
saver=$!
for _ in $(seq 1 10); do
    kill -0 "$saver" 2>/dev/null || break
    sleep 1
done
xwd -root -display "$display" | convert xwd:- "$screenshot"
echo "run: screenshot of the virtual display saved to $screenshot"
status=0
if kill -0 "$saver" 2>/dev/null; then
    echo "run: still running; stopping it"
    kill "$saver"
    wait "$saver" || true  # ended by the signal it was sent, as planned
else
    wait "$saver" || status=$?
    echo "run: ended by itself (exit status $status)"
fi
saver=
exit "$status"
