#!/usr/bin/env bash
# Runs the real saver under Wine for a while and prints its memory as it goes:
# `scripts/soak.sh MINUTES [FOLDER]`, over the sample pictures unless FOLDER is given.
set -euo pipefail
cd "$(dirname "$0")/.."
(($# >= 1)) || { echo "usage: scripts/soak.sh MINUTES [FOLDER]" >&2; exit 2; }
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Vexaframe window_probe samples
folder=()
[ $# -ge 2 ] && folder=("$(realpath "$2")")
exec python3 benchmarks/soak.py "$1" "${folder[@]}"
