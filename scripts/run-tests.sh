#!/usr/bin/env bash
# Runs every test: the C++ formatting, the unit tests, the same tests under AddressSanitizer +
# UBSan, a short fuzz run, and the end-to-end tests in a private X server. Expects build/ to be
# built.
set -euo pipefail
cd "$(dirname "$0")/.."

log() { printf '\033[1m==> %s\033[0m\n' "$*"; }
jobs=$(nproc)

log "Formatting"
scripts/check-style.sh --format-only

log "Unit tests"
ctest --test-dir build -L unit --output-on-failure -j "$jobs"

log "Unit tests under AddressSanitizer + UBSan"
cmake --preset asan >/dev/null
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan -L unit --output-on-failure -j "$jobs"

log "Short fuzz run"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scripts/run-fuzz.sh build-fuzz 60

log "End-to-end tests"
ctest --test-dir build -L e2e --output-on-failure

log "All tests passed"
