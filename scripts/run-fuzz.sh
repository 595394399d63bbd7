#!/usr/bin/env bash
# Fuzzes the queue model for a while: scripts/run-fuzz.sh BUILD_DIR SECONDS
# The corpus grows under BUILD_DIR/fuzz-corpus (seeded from tests/fuzz/seeds); inputs that
# break an invariant are kept under BUILD_DIR/fuzz-artifacts and fail the run.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:?usage: scripts/run-fuzz.sh BUILD_DIR SECONDS}
seconds=${2:?usage: scripts/run-fuzz.sh BUILD_DIR SECONDS}
fuzzer=$build/fuzz_model
if [ ! -x "$fuzzer" ]; then
    echo "run-fuzz: $fuzzer is missing; build it with: cmake --build --preset fuzz --target fuzz_model" >&2
    exit 2
fi

corpus=$build/fuzz-corpus/model
artifacts=$build/fuzz-artifacts/
mkdir -p "$corpus" "$artifacts"
cp -n tests/fuzz/seeds/* "$corpus"/

ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    "$fuzzer" "$corpus" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$artifacts" -print_final_stats=1
