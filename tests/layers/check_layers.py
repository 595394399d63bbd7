#!/usr/bin/env python3
"""Fails when a source under src/ includes a header from a layer it must not see.

The layers build on each other: model <- engine <- platform, overlay <- app, with the command
line (app/control/cli) beside them on the model. A layer sees itself and the layers below it;
the model, the engine and the command line are plain C++ (no Qt, no display server), the
platform adapters have no Qt and the Qt panels reach no display server directly. A file belongs
to the layer of the longest folder below SRC_DIR that names one. Usage: check_layers.py SRC_DIR
"""

import pathlib
import re
import sys

CLI = "app/control/cli"
# The layers each layer may include from; `main.cpp` at the top picks a front end.
PROJECT = {
    "model": {"model"},
    "engine": {"engine", "model"},
    CLI: {CLI, "model"},
    "platform": {"platform", "engine", "model"},
    "overlay": {"overlay", "engine", "model"},
    "app": {"app", "overlay", "platform", CLI, "engine", "model"},
    "main.cpp": {"app", CLI},
}

# System headers by what they tie a layer to: Qt, or a display server (X11, Wayland, the kernel's
# input devices).
QT = re.compile(r"Q[A-Za-z]+(/|$)|Qt[A-Za-z]*/")
DISPLAY = re.compile(
    r"(xcb|X11|xkbcommon|atspi|gio|glib|libevdev|linux|systemd)/|glib(-object)?\.h$|"
    r"^(wayland-|libudev|.*-client\.h$)"
)
FORBIDDEN = {
    "model": [QT, DISPLAY],
    "engine": [QT, DISPLAY],
    CLI: [QT, DISPLAY],
    "platform": [QT],
    "overlay": [DISPLAY],
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)


def layer_of(relative: pathlib.PurePosixPath) -> str | None:
    folders = relative.parts[:-1] if len(relative.parts) > 1 else relative.parts
    for depth in range(len(folders), 0, -1):
        layer = "/".join(folders[:depth])
        if layer in PROJECT:
            return layer
    return None


def violations(src: pathlib.Path):
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = pathlib.PurePosixPath(path.relative_to(src).as_posix())
        layer = layer_of(relative)
        if layer is None:
            yield f"{relative}: in no known layer"
            continue
        for match in INCLUDE.finditer(path.read_text(encoding="utf-8")):
            kind, header = match.groups()
            seen = layer_of(pathlib.PurePosixPath(header))
            if kind == '"' and (src / header).exists() and seen not in PROJECT[layer]:
                yield f"{relative}: includes {header}, from {seen}, which {layer} must not see"
            elif kind == "<" and any(p.match(header) for p in FORBIDDEN.get(layer, [])):
                yield f"{relative}: includes <{header}>, which {layer} must not depend on"


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    found = list(violations(pathlib.Path(sys.argv[1])))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
