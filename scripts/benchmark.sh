#!/usr/bin/env bash
# Builds the benchmarks and prints their figures, natively and under Wine. Compare figures
# within one run: this machine's speed varies from run to run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for preset in linux windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target benchmarks
done
for benchmark in build/linux/benchmarks/*_benchmark; do
    echo "== native: $(basename "$benchmark")"
    "$benchmark"
done
# The software path and the texture upload draw into a window, so they run on a display of
# their own below.
software_path=build/windows/benchmarks/software_path_benchmark.exe
texture_upload=build/windows/benchmarks/texture_upload_benchmark.exe
for benchmark in build/windows/benchmarks/*_benchmark.exe; do
    [[ $benchmark == "$software_path" || $benchmark == "$texture_upload" ]] && continue
    echo "== Wine: $(basename "$benchmark")"
    cmake/wine-run.sh "$benchmark"
done
for screen in 1024x768x24 1920x1080x24; do
    echo "== Wine, virtual display $screen: $(basename "$software_path")"
    VEXAFRAME_SCREEN=$screen tests/wine/run_on_virtual_display.sh \
        build/windows/benchmarks/software_path_prefix "$software_path"
done
echo "== Wine, virtual display: $(basename "$texture_upload")"
tests/wine/run_on_virtual_display.sh build/windows/benchmarks/texture_upload_prefix "$texture_upload"
echo "== Wine, virtual display: saver_start_benchmark.py"
python3 benchmarks/saver_start_benchmark.py
echo "== Wine, virtual display: picture_change_frames.py"
python3 benchmarks/picture_change_frames.py
echo "== Wine, virtual display: dialog_list_benchmark.py"
python3 benchmarks/dialog_list_benchmark.py
echo "== native, virtual display 1280x1024x24: native_saver_benchmark.py"
VEXAFRAME_SCREEN=1280x1024x24 tests/wine/run_on_virtual_display.sh --native \
    python3 benchmarks/native_saver_benchmark.py
echo "== native and Wine: picture_kinds_benchmark.py"
python3 benchmarks/picture_kinds_benchmark.py
