#!/usr/bin/env bash
# Installs what Pastiq needs on Debian 12, builds it into build/, then either starts it
# (`setup.sh start`) or runs every test (`setup.sh test`).
set -euo pipefail
cd "$(dirname "$0")/.."

log() { printf '\033[1m==> %s\033[0m\n' "$*"; }

install_packages() {
    local wanted missing=()
    mapfile -t wanted < <(grep -v '^\s*\(#\|$\)' scripts/debian-packages.txt)
    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "Installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

build() {
    log "Building Pastiq into build/"
    cmake --preset dev >/dev/null
    cmake --build --preset dev
}

main() {
    local command="${1:-}"
    case "$command" in
        start)
            install_packages
            build
            log "Starting Pastiq"
            exec build/pastiq
            ;;
        test)
            install_packages
            build
            exec scripts/run-tests.sh
            ;;
        *)
            echo "usage: scripts/setup.sh start|test" >&2
            exit 2
            ;;
    esac
}

main "$@"
