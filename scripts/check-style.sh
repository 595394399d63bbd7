#!/usr/bin/env bash
# Checks the C++ style before a commit: clang-format over every tracked .h and .cpp, then
# clang-tidy (configured by .clang-tidy) over every source file the build compiles. run-tests.sh
# runs only the formatting check (a second); clang-tidy takes a quarter of an hour on two cores.
#
#   scripts/check-style.sh [-j JOBS] [--format-only] [BUILD_DIR [PATH...]]
#
# BUILD_DIR (default: build) must hold compile_commands.json and have been built once, so the
# headers moc and rcc generate exist. PATHs (such as src/model tests/model) narrow both checks.
# Exits non-zero when anything is reported.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
tidy=1
while [[ $# -gt 0 ]]; do
    case "$1" in
        -j) jobs="$2"; shift 2 ;;
        -j*) jobs="${1#-j}"; shift ;;
        --format-only) tidy=0; shift ;;
        -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
        *) break ;;
    esac
done
build_dir="${1:-build}"
[[ $# -gt 0 ]] && shift
paths=("$@")
[[ ${#paths[@]} -gt 0 ]] || paths=(src tests bench)

log() { printf '\033[1m==> %s\033[0m\n' "$*"; }
failed=0

log "clang-format"
mapfile -t files < <(git ls-files -- "${paths[@]}" | grep -E '\.(h|cpp)$')
if ! clang-format --dry-run -Werror "${files[@]}"; then
    echo "Fix with: clang-format -i <files>" >&2
    failed=1
fi

if [[ $tidy -eq 1 ]]; then
    database="$build_dir/compile_commands.json"
    if [[ ! -f "$database" ]]; then
        echo "No $database: configure with cmake -S . -B $build_dir and build once." >&2
        exit 2
    fi
    log "clang-tidy ($jobs jobs)"
    # Only sources the build compiles have a command line; headers are checked through them.
    mapfile -t sources < <(printf '%s\n' "${files[@]}" | grep -E '\.cpp$' |
        while read -r file; do
            if grep -qF "\"file\": \"$PWD/$file\"" "$database"; then echo "$file"; fi
        done)
    reports=$(mktemp -d)
    trap 'rm -rf "$reports"' EXIT
    # One report a file, so that parallel runs do not interleave their lines.
    printf '%s\n' "${sources[@]}" | xargs -P "$jobs" -I{} sh -c \
        'clang-tidy -p "$1" --quiet "$2" >"$3/$(printf %s "$2" | tr / _).txt" 2>/dev/null || true' \
        sh "$build_dir" {} "$reports"
    count=$(cat "$reports"/*.txt | grep -cE '(warning|error):' || true)
    if [[ $count -gt 0 ]]; then
        cat "$reports"/*.txt
        echo "clang-tidy: $count finding(s) in ${#sources[@]} files" >&2
        failed=1
    else
        echo "clang-tidy: no findings in ${#sources[@]} files"
    fi
fi

exit "$failed"
