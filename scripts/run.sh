#!/usr/bin/env bash
# Builds Vexaframe.scr and runs it under Wine: `scripts/run.sh [switch ...]`, /s by default.
# The first run points the settings at the bundled sample pictures. Without a display it
# runs on a virtual one and saves a screenshot to build/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Vexaframe samples

build=build/windows
settings=$build/Vexaframe.ini
if [ ! -f "$settings" ]; then
    samples="Z:$(realpath "$build/samples" | tr / '\\')"
    folder_key=$'\x89\xE6\x91\x9C\x82\xCC\xCC\xAB\xD9\xC0\xDE'  # the folder key, in Shift-JIS
    printf '[Section]\r\n%s=%s\r\n' "$folder_key" "$samples" >"$settings"
    echo "run: settings written to $settings, with the sample pictures as the folder"
fi

switches=("$@")
((${#switches[@]})) || switches=(/s)

if [ -n "${DISPLAY:-}" ]; then
    exec cmake/wine-run.sh "$build/Vexaframe.scr" "${switches[@]}"
fi

display=:97
Xvfb "$display" -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$saver" "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
cmake/wine-run.sh "$build/Vexaframe.scr" "${switches[@]}" &
saver=$!
for _ in $(seq 1 10); do
    kill -0 "$saver" 2>/dev/null || break
    sleep 1
done
xwd -root -display "$display" | convert xwd:- build/screenshot.png
echo "run: screenshot of the virtual display saved to build/screenshot.png"
if kill -0 "$saver" 2>/dev/null; then
    echo "run: Vexaframe is still running; stopping it"
else
    wait "$saver" && status=0 || status=$?
    echo "run: Vexaframe ended by itself (exit status $status)"
fi
