#!/usr/bin/env bash
# Builds everything and runs every test: the portable core natively, plainly and with
# AddressSanitizer and UndefinedBehaviorSanitizer (which also replays every fuzz target's
# corpus), then the Windows build (unit tests, the comparison with the system's profile
# functions, and the end-to-end tests of Vexaframe.scr) under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

for preset in linux linux-sanitize windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

ctest --preset linux -j "$(nproc)"
ctest --preset linux-sanitize -j "$(nproc)"

# One wineserver for the whole run, so that every Wine start after the first is quick; and
# the prefix made before the tests start in parallel (several first starts at once can hang).
export WINEPREFIX="$PWD/build/wineprefix"
mkdir -p "$WINEPREFIX"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
"$wineserver" -p
cmake/wine-run.sh wineboot --init
trap '"$wineserver" -k 2>/dev/null || true' EXIT
ctest --preset windows -j "$(nproc)"
