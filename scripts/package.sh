#!/usr/bin/env bash
# Makes what a user is handed: the ZIP of Vexaframe.scr with its read-me files, and the Debian
# package of the native XScreenSaver module; prints where they are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

for preset in windows linux; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    (cd "build/$preset" && cpack >/dev/null)
done
ls -1 build/windows/packages/*.zip build/linux/packages/*.deb
