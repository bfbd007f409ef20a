#!/usr/bin/env bash
# Fuzzes every parser of outside bytes for SECONDS each, as many at a time as there are
# processors. Inputs that reach new code are kept in build/fuzz/corpus; an input that makes a
# target fail is kept in build/fuzz/findings, and the script then ends with status 1. Copy each
# finding into the target's folder under tests/fuzz/corpus once it is mended, so that the test
# command replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ $# -ne 1 || ! $1 =~ ^[0-9]+$ ]]; then
    echo "usage: scripts/fuzz.sh SECONDS   (fuzzing time per target)" >&2
    exit 2
fi
seconds=$1
bash scripts/setup.sh
cmake --preset linux-sanitize >/dev/null
cmake --build --preset linux-sanitize

out=build/fuzz
mkdir -p "$out/findings" "$out/logs"
targets=()
for seeds in tests/fuzz/corpus/*/; do
    targets+=("$(basename "$seeds")")
    mkdir -p "$out/corpus/$(basename "$seeds")"
done

fuzz_one() {
    local target=$1 seconds=$2 out=$3
    build/linux-sanitize/tests/fuzz/"${target}"_fuzzer -max_total_time="$seconds" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$out/findings/$target-" \
        "$out/corpus/$target" "tests/fuzz/corpus/$target" >"$out/logs/$target.log" 2>&1 || true
}
export -f fuzz_one
echo "fuzz: ${#targets[@]} targets, ${seconds} s each, $(nproc) at a time"
cpu_before=$(awk '{print $16 + $17}' /proc/$$/stat)
printf '%s\n' "${targets[@]}" | xargs -P "$(nproc)" -I{} bash -c 'fuzz_one "$@"' _ {} "$seconds" "$out"
cpu_after=$(awk '{print $16 + $17}' /proc/$$/stat)

printf '%-16s %12s %8s %8s\n' target runs edges corpus
for target in "${targets[@]}"; do
    log="$out/logs/$target.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
    kept=$(find "$out/corpus/$target" "tests/fuzz/corpus/$target" -type f | wc -l)
    printf '%-16s %12s %8s %8s\n' "$target" "${runs:-?}" "${edges:-?}" "$kept"
done
ticks=$(getconf CLK_TCK)
echo "processor time: $(((cpu_after - cpu_before) / ticks)) s"
mapfile -t findings < <(find "$out/findings" -type f)
if ((${#findings[@]})); then
    echo "findings (see $out/logs):"
    printf '  %s\n' "${findings[@]}"
    exit 1
fi
echo "no findings"
