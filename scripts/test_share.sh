#!/usr/bin/env bash
# Prints the tests' share of the code: non-blank lines of C++, Python and shell under tests/
# (the fuzz corpora left out) against those of src/, tools/, benchmarks/, scripts/, cmake/ and
# .ci/, as the project counts it.
set -euo pipefail
cd "$(dirname "$0")/.."

lines() {
    git ls-files -co --exclude-standard -- "$@" | grep -E '\.(cpp|cc|c|h|hpp|py|sh)$' |
        grep -v '/corpus/' | xargs -r cat | grep -c -v -E '^\s*$' || true
}

tests=$(lines tests)
code=$(lines src tools benchmarks scripts cmake .ci)
echo "tests: $tests lines; the rest: $code lines; tests are $((100 * tests / (tests + code)))% of all code"
