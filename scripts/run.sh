#!/usr/bin/env bash
# Builds Vexaframe.scr and runs it under Wine: `scripts/run.sh [switch ...]`, /s by default.
# The first run points the settings at the bundled sample pictures. Without a display it
# runs on a virtual one and saves a screenshot to build/screenshot.png.
# `scripts/run.sh linux [option ...]` builds and runs the native vexaframe the same way, on the
# sample pictures unless -folder is given.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# Runs "$@" on the display, or on a virtual one for ten seconds with a screenshot at the end.
run_on_a_display() {
    if [ -n "${DISPLAY:-}" ]; then
        exec "$@"
    fi
    # A free display number, which Xvfb writes once it takes clients.
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
    xvfb=$!
    # The saver goes before its display does, so that it ends as it was asked to.
    trap 'kill "${saver:-}" 2>/dev/null && wait "$saver"; kill "$xvfb"; wait "$xvfb"; rm -f "$display_file"' EXIT
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
    xwd -root -display "$display" | convert xwd:- build/screenshot.png
    echo "run: screenshot of the virtual display saved to build/screenshot.png"
    if kill -0 "$saver" 2>/dev/null; then
        echo "run: Vexaframe is still running; stopping it"
    else
        wait "$saver" && status=0 || status=$?
        echo "run: Vexaframe ended by itself (exit status $status)"
    fi
}

if [ "${1:-}" = linux ]; then
    shift
    cmake --preset linux >/dev/null
    cmake --build --preset linux --target vexaframe samples
    options=("$@")
    [[ " ${options[*]} " == *" -folder "* ]] || options+=(-folder "$(realpath build/linux/samples)")
    run_on_a_display build/linux/vexaframe "${options[@]}"
    exit
fi

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

run_on_a_display cmake/wine-run.sh "$build/Vexaframe.scr" "${switches[@]}"
