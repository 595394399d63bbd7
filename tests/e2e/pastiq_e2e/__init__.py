"""Harness of Pastiq's end-to-end tests: a private X11 desktop, real applications, xdotool."""
