#!/usr/bin/env bash
# The run command's last step without a display: a program still running after the ten seconds
# is stopped and that is success; one that ends by itself gives its own status.
set -euo pipefail
script=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
export SCREENSHOT=$folder/screenshot.png

expect_status() {
    local expected=$1
    shift
    local status=0
    env -u DISPLAY bash "$script" "$@" >"$folder/said" 2>&1 || status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "'$*' gave status $status, not $expected:" >&2
        cat "$folder/said" >&2
        exit 1
    fi
    [ -s "$SCREENSHOT" ] || { echo "'$*' saved no screenshot" >&2; exit 1; }
    rm -f "$SCREENSHOT"
}

expect_status 0 sleep 100
expect_status 3 sh -c 'exit 3'
expect_status 0 true
echo "run_on_a_display: all cases passed"
