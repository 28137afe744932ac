#!/usr/bin/env python3
"""One start of quillmap on the current X display, timed from exec to its window
being mapped and to the first moment the screen shows its canvas painted: white
inside, the title block frame drawn; then its peak resident memory so far. Pixels
are read straight from the X server (XGetImage through ctypes), so the poll costs
microseconds, not a screenshot. With --bare the program is the empty Qt main
window of bare_window.cpp, painted once its menu bar shows its text over the
window's grey.

Usage: startup_probe.py [--bare] PROGRAM [X Y HEIGHT];
prints "mapped_ms painted_ms peak_rss_kib X Y HEIGHT".
With the window's place from an earlier run the pixels are watched from the
start, so a paint that comes before the window is noticed as mapped still counts
from exec; the mapped time has the resolution of an xdotool call (a few ms).
Geometry as tests/e2e/lib.sh and smoke.sh read it: the client area (984 x 688)
is the bottom of the window, the canvas's client area starts 14 px right and
39 px down from it, and the title block frame's corner is at canvas (767, 533).
"""
import ctypes
import os
import subprocess
import sys
import tempfile
import threading
import time

TIMEOUT_S = 20

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                          ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x11.XDestroyImage.argtypes = [ctypes.c_void_p]
ALL_PLANES, Z_PIXMAP = 0xFFFFFFFF, 2


def pixel(display, root, x, y):
    image = x11.XGetImage(display, root, x, y, 1, 1, ALL_PLANES, Z_PIXMAP)
    if not image:
        return None
    value = x11.XGetPixel(image, 0, 0) & 0xFFFFFF
    x11.XDestroyImage(image)
    return value


def darkest(display, root, x, y, width, height):
    """The darkest grey level (0..255) in a rectangle of the screen."""
    image = x11.XGetImage(display, root, x, y, width, height, ALL_PLANES, Z_PIXMAP)
    if not image:
        return 255
    level = 255
    for py in range(height):
        for px in range(width):
            v = x11.XGetPixel(image, px, py)
            level = min(level, (v >> 16 & 0xFF), (v >> 8 & 0xFF), (v & 0xFF))
    x11.XDestroyImage(image)
    return level


def window_geometry(title):
    """Id and geometry of the visible window with that title, or None."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                           capture_output=True, text=True).stdout.split()
    if not found:
        return None
    shell = subprocess.run(["xdotool", "getwindowgeometry", "--shell", found[0]],
                           capture_output=True, text=True).stdout
    geometry = dict(line.split("=", 1) for line in shell.split())
    return {k: int(geometry[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")}


def canvas_points(geometry):
    canvas_x = geometry["X"] + 14
    canvas_y = geometry["Y"] + geometry["HEIGHT"] - 688 + 39
    frame = (canvas_x + 767, canvas_y + 533 + 45)
    blank = (canvas_x + 480, canvas_y + 300)
    return frame, blank


def canvas_painted(display, root, geometry):
    frame, blank = canvas_points(geometry)
    return pixel(display, root, *frame) == 0 and pixel(display, root, *blank) == 0xFFFFFF


def bare_painted(display, root, geometry):
    """The window's grey in its client area and dark text in its menu bar."""
    inside = (geometry["X"] + 100, geometry["Y"] + geometry["HEIGHT"] - 100)
    return pixel(display, root, *inside) == 0xEFEFEF and \
        darkest(display, root, geometry["X"] + 4, geometry["Y"] + 2, 60, 16) < 0x60


def peak_rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def main():
    args = sys.argv[1:]
    bare = bool(args) and args[0] == "--bare"
    if bare:
        args = args[1:]
    title, painted_now = ("Bare", bare_painted) if bare else (".+ - Quillmap", canvas_painted)
    program = os.path.realpath(args[0])
    # Where the window came up last time: its pixels are watched from the start,
    # while a second thread notes when the window is mapped.
    known = {"X": int(args[1]), "Y": int(args[2]), "WIDTH": 0, "HEIGHT": int(args[3])} \
        if len(args) == 4 else None
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    root = x11.XDefaultRootWindow(display)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb")
    mapped = {}

    def watch_window():
        while "at" not in mapped and time.monotonic_ns() - start < TIMEOUT_S * 1e9:
            geometry = window_geometry(title)
            if geometry:
                mapped["at"], mapped["geometry"] = time.monotonic_ns(), geometry

    with tempfile.TemporaryDirectory() as work:
        start = time.monotonic_ns()
        app = subprocess.Popen([program], cwd=work, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        watcher = threading.Thread(target=watch_window)
        watcher.start()
        try:
            while known is None and "at" not in mapped:
                if app.poll() is not None or time.monotonic_ns() - start > TIMEOUT_S * 1e9:
                    sys.exit("the window did not appear")
                time.sleep(0.001)
            geometry = known or mapped["geometry"]
            while not painted_now(display, root, geometry):
                if app.poll() is not None or time.monotonic_ns() - start > TIMEOUT_S * 1e9:
                    sys.exit("the canvas was not painted")
                time.sleep(0.0005)
            painted = time.monotonic_ns()
            watcher.join()
            rss = peak_rss_kib(app.pid)
        finally:
            app.terminate()
            app.wait()
    if "at" not in mapped:
        sys.exit("the window did not appear")
    g = mapped["geometry"]
    if known and (g["X"], g["Y"], g["HEIGHT"]) != (known["X"], known["Y"], known["HEIGHT"]):
        sys.exit("the window came up somewhere else than last time")
    print(f"{(mapped['at'] - start) / 1e6:.1f} {(painted - start) / 1e6:.1f} {rss} {g['X']} {g['Y']} {g['HEIGHT']}")


if __name__ == "__main__":
    main()
