#!/usr/bin/env bash
# Builds Vexaframe.scr and runs it under Wine: `scripts/run.sh [switch ...]`, /s by default.
# The first run points the settings at the bundled sample pictures. Without a display it
# runs on a virtual one and saves a screenshot to build/screenshot.png.
# `scripts/run.sh linux [option ...]` builds and runs the native vexaframe the same way, on the
# sample pictures unless -folder is given.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

if [ "${1:-}" = linux ]; then
    shift
    cmake --preset linux >/dev/null
    cmake --build --preset linux --target vexaframe samples
    options=("$@")
    [[ " ${options[*]} " == *" -folder "* ]] || options+=(-folder "$(realpath build/linux/samples)")
    bash scripts/run_on_a_display.sh build/linux/vexaframe "${options[@]}"
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

exec bash scripts/run_on_a_display.sh cmake/wine-run.sh "$build/Vexaframe.scr" "${switches[@]}"
