"""Windows, focus, the mouse and screenshots of the private desktop (xdotool, xprop, import)."""

import re


class Screen:
    def __init__(self, desktop):
        self.desktop = desktop

    # ------------------------------------------------------------------------------- windows
    def windows(self, name=None, pid=None, visible=True):
        """Ids of the windows whose title matches the regular expression name, of a process, or
        both."""
        args = ["xdotool", "search"]
        if visible:
            args.append("--onlyvisible")
        if pid is not None:
            # xdotool matches any one condition unless told to match all.
            args += ["--all"] if name else []
            args += ["--pid", str(pid)]
        args += ["--name", name or "."]
        result = self.desktop.run(args, check=False)
        return [int(window) for window in result.stdout.split()]

    def active_window(self):
        result = self.desktop.run(["xdotool", "getactivewindow"], check=False)
        return int(result.stdout) if result.returncode == 0 and result.stdout.strip() else None

    def focused_window(self):
        """The window holding keyboard focus (may differ from the active one)."""
        result = self.desktop.run(["xdotool", "getwindowfocus", "-f"], check=False)
        return int(result.stdout) if result.returncode == 0 and result.stdout.strip() else None

    def geometry(self, window):
        """(x, y, width, height) of a window on the screen."""
        out = self.desktop.run(["xdotool", "getwindowgeometry", str(window)]).stdout
        x, y = map(int, re.search(r"Position: (-?\d+),(-?\d+)", out).groups())
        width, height = map(int, re.search(r"Geometry: (\d+)x(\d+)", out).groups())
        return x, y, width, height

    def property(self, window, name):
        return self.desktop.run(["xprop", "-id", str(window), name], check=False).stdout

    def is_viewable(self, window):
        out = self.desktop.run(["xwininfo", "-id", str(window)], check=False).stdout
        return "IsViewable" in out

    # --------------------------------------------------------------------------------- mouse
    def click(self, x, y, button=1, repeat=1):
        self.desktop.run(
            ["xdotool", "mousemove", "--sync", str(x), str(y), "click", "--repeat", str(repeat),
             "--delay", "80", str(button)]
        )

    def click_in(self, window, dx, dy, button=1, repeat=1):
        """Clicks at an offset inside a window."""
        x, y, _, _ = self.geometry(window)
        self.click(x + dx, y + dy, button, repeat)

    # --------------------------------------------------------------------------- screenshots
    def screenshot(self, path, window=None):
        """Saves the screen, or one window, as a PNG with ImageMagick's import."""
        target = "root" if window is None else str(window)
        self.desktop.run(["import", "-window", target, path], timeout=20)
        return path
