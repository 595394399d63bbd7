#!/usr/bin/env python3
"""Fails when a source under src/ includes a header from a layer it must not see.

The layers build on each other: model <- engine <- platform, overlay <- app, with the command
line beside them on the model. A layer sees itself and the layers below it; the model and
engine are plain C++ (no Qt, no X11), the platform adapters have no Qt and the Qt panels have
no X11. Usage: check_layers.py SRC_DIR
"""

import pathlib
import re
import sys

# The project folders each layer may include from; `main.cpp` at the top picks a front end.
PROJECT = {
    "model": {"model"},
    "engine": {"engine", "model"},
    "cli": {"cli", "model"},
    "platform": {"platform", "engine", "model"},
    "overlay": {"overlay", "engine", "model"},
    "app": {"app", "overlay", "platform", "cli", "engine", "model"},
    "main.cpp": {"app", "cli"},
}

# System headers by what they tie a layer to.
QT = re.compile(r"Q[A-Za-z]+(/|$)|Qt[A-Za-z]*/")
X11 = re.compile(r"(xcb|X11|xkbcommon|atspi|gio|glib)/|glib(-object)?\.h$")
FORBIDDEN = {
    "model": [QT, X11],
    "engine": [QT, X11],
    "cli": [QT, X11],
    "platform": [QT],
    "overlay": [X11],
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)


def layer_of(relative: pathlib.PurePosixPath) -> str:
    return relative.parts[0] if len(relative.parts) > 1 else relative.name


def violations(src: pathlib.Path):
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = pathlib.PurePosixPath(path.relative_to(src).as_posix())
        layer = layer_of(relative)
        allowed = PROJECT.get(layer)
        if allowed is None:
            yield f"{relative}: in no known layer"
            continue
        for match in INCLUDE.finditer(path.read_text(encoding="utf-8")):
            kind, header = match.groups()
            seen = header.split("/")[0]
            if kind == '"' and (src / header).exists() and seen not in allowed:
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
