"""Windows on the X display and real pointer and keyboard input to them (xdotool)."""
import os
import subprocess
import time


def _run_xdotool(display, args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], env=dict(os.environ, **display.env()),
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def _xdotool(display, *args, check=True):
    out = _run_xdotool(display, args)
    if check and out.returncode != 0:
        raise RuntimeError("xdotool " + " ".join(map(str, args)) + " failed")
    return out.stdout.decode()


def find_windows(display, title):
    """X windows whose name matches the regular expression title and that are mapped.

    xdotool before 2021 dies with an X error (or crashes) when any window is destroyed
    while it walks the tree, often with the exit status of a search that found nothing. A
    search tells the truth only when it ends with 0 or 1 and says nothing on its error
    output; any other is made again, or a window that closes elsewhere would make this
    one look gone."""
    for _ in range(20):
        out = _run_xdotool(display, ["search", "--onlyvisible", "--name", title])
        if out.returncode in (0, 1) and not out.stderr.strip():
            break
    return [int(w) for w in out.stdout.split()]


def wait_window(display, title, timeout=30, gone=False):
    """Waits for a visible window with that title (or for none to be left) and returns it."""
    end = time.time() + timeout
    while time.time() < end:
        found = find_windows(display, title)
        if gone and not found:
            return None
        if found and not gone:
            return found[-1]
        time.sleep(0.2)
    raise TimeoutError(("no window gone: " if gone else "no window: ") + title)


def window_geometry(display, window):
    """(x, y, width, height) of an X window on the root window."""
    out = _xdotool(display, "getwindowgeometry", "--shell", window)
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def client_origin(display, window, client_width, client_height):
    """Screen position of the client area of a framed window whose client size is known.

    Wine draws the frame itself: the borders left and right are equal, the bottom border
    equals them, and the rest of the height is the caption.
    """
    x, y, w, h = window_geometry(display, window)
    border = (w - client_width) // 2
    caption = h - client_height - 2 * border
    return x + border, y + border + caption


def click(display, x, y, button=1):
    """A real pointer move and click at screen coordinates."""
    # A synchronous move to where the pointer already is waits for a motion that never
    # comes (xdotool gives up after 15 s): move only when the pointer is elsewhere.
    where = dict(part.split(":") for part in _xdotool(display, "getmouselocation").split()
                 if ":" in part)
    if (where.get("x"), where.get("y")) != (str(x), str(y)):
        _xdotool(display, "mousemove", "--sync", x, y)
        time.sleep(0.15)
    _xdotool(display, "click", button)
    time.sleep(0.15)


def key(display, name, window=None):
    if window is not None:
        _xdotool(display, "windowfocus", "--sync", window, check=False)
    _xdotool(display, "key", name)
    time.sleep(0.15)
