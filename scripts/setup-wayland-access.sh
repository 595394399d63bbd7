#!/usr/bin/env bash
# Gives a user the two rights Pastiq needs in a Wayland session: reading the keyboards (the
# `input` group) and typing through /dev/uinput (a udev rule granting it to whoever sits at the
# seat, with the uinput module loaded at every start). Takes effect at the user's next login.
#
#   scripts/setup-wayland-access.sh [USER]     (asks for sudo; USER defaults to you)
set -euo pipefail
cd "$(dirname "$0")/.."

user="${1:-${SUDO_USER:-$(id -un)}}"
if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$user"
fi
if [ "$user" = root ]; then
    echo "usage: scripts/setup-wayland-access.sh [USER] — name the user who runs Pastiq" >&2
    exit 2
fi

# systemd creates the group with udev; a minimal system may lack it.
getent group input >/dev/null || groupadd --system input
usermod -aG input "$user"
install -D -m 644 data/udev/70-pastiq-uinput.rules /etc/udev/rules.d/70-pastiq-uinput.rules
echo uinput >/etc/modules-load.d/pastiq-uinput.conf
modprobe uinput 2>/dev/null || echo "Note: the uinput module loads at the next start" >&2
if command -v udevadm >/dev/null && udevadm control --reload 2>/dev/null; then
    udevadm trigger --name-match=uinput 2>/dev/null || true
fi
echo "Done: $user may read the keyboards and type through /dev/uinput after logging in again."
