"""Windows on the X display and real pointer and keyboard input to them.

The tests look for windows several times a second while a program runs: those questions go
over one Xlib connection of this process, kept with the display (xdotool started for each
cost about 11 ms of CPU, most of a test's time spent waiting). Input goes through xdotool.
"""
import ctypes
import os
import re
import subprocess
import time


class _WindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("class_", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


_IS_VIEWABLE = 2
_xlib = None
_error_handler = None  # the callback Xlib holds, kept alive with the library


def _ignore_x_error(connection, event):
    """A window may go at any moment between two questions about it: the answer then
    fails, which is no reason to end the process (Xlib's own handler would)."""
    return 0


def _library():
    global _xlib, _error_handler
    if _xlib is None:
        lib = ctypes.CDLL("libX11.so.6")
        p, ulong, pulong = ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong)
        lib.XOpenDisplay.restype = p
        lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        lib.XCloseDisplay.argtypes = [p]
        lib.XDefaultRootWindow.restype = ulong
        lib.XDefaultRootWindow.argtypes = [p]
        lib.XInternAtom.restype = ulong
        lib.XInternAtom.argtypes = [p, ctypes.c_char_p, ctypes.c_int]
        lib.XQueryTree.argtypes = [p, ulong, pulong, pulong, ctypes.POINTER(pulong),
                                   ctypes.POINTER(ctypes.c_uint)]
        lib.XGetWindowAttributes.argtypes = [p, ulong, ctypes.POINTER(_WindowAttributes)]
        lib.XGetWindowProperty.argtypes = [p, ulong, ulong, ctypes.c_long, ctypes.c_long,
                                           ctypes.c_int, ulong, pulong,
                                           ctypes.POINTER(ctypes.c_int), pulong, pulong,
                                           ctypes.POINTER(ctypes.c_void_p)]
        lib.XTranslateCoordinates.argtypes = [p, ulong, ulong, ctypes.c_int, ctypes.c_int,
                                              ctypes.POINTER(ctypes.c_int),
                                              ctypes.POINTER(ctypes.c_int), pulong]
        lib.XFree.argtypes = [p]
        _error_handler = ctypes.CFUNCTYPE(ctypes.c_int, p, p)(_ignore_x_error)
        lib.XSetErrorHandler(_error_handler)
        _xlib = lib
    return _xlib


class WindowTree:
    """One Xlib connection to a display, for questions about its windows."""

    def __init__(self, name):
        self.lib = _library()
        self.connection = self.lib.XOpenDisplay(name.encode())
        if not self.connection:
            raise RuntimeError("cannot open display " + name)
        self.root = self.lib.XDefaultRootWindow(self.connection)
        self.names = [self.lib.XInternAtom(self.connection, b"_NET_WM_NAME", 0),
                      self.lib.XInternAtom(self.connection, b"WM_NAME", 0)]

    def close(self):
        if self.connection:
            self.lib.XCloseDisplay(self.connection)
            self.connection = None

    def children(self, window):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.lib.XQueryTree(self.connection, window, ctypes.byref(root), ctypes.byref(parent),
                                   ctypes.byref(children), ctypes.byref(count)):
            return [], None
        found = [children[i] for i in range(count.value)]
        if children:
            self.lib.XFree(children)
        return found, parent.value

    def attributes(self, window):
        attributes = _WindowAttributes()
        if not self.lib.XGetWindowAttributes(self.connection, window, ctypes.byref(attributes)):
            return None
        return attributes

    def name(self, window):
        """The window's title: _NET_WM_NAME (UTF-8), else WM_NAME; None without one (which
        a search takes as an empty title, as xdotool does)."""
        for atom, encoding in zip(self.names, ("utf-8", "latin-1")):
            kind, size = ctypes.c_ulong(), ctypes.c_int()
            count, left, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
            status = self.lib.XGetWindowProperty(
                self.connection, window, atom, 0, 4096, 0, 0, ctypes.byref(kind),
                ctypes.byref(size), ctypes.byref(count), ctypes.byref(left), ctypes.byref(data))
            if status != 0 or not data.value:
                continue
            text = ctypes.string_at(data.value, count.value) if size.value == 8 else b""
            self.lib.XFree(data)
            if kind.value:
                return text.decode(encoding, errors="replace")
        return None

    def search(self, pattern):
        """Mapped windows whose title matches pattern (a regular expression, searched
        without regard to case), level by level from the root, each level in stacking
        order from the bottom: the order xdotool's search gives."""
        expression = re.compile(pattern, re.IGNORECASE)
        found, level = [], [self.root]
        while level:
            below = []
            for window in level:
                children, _ = self.children(window)
                for child in children:
                    if expression.search(self.name(child) or ""):
                        attributes = self.attributes(child)
                        if attributes and attributes.map_state == _IS_VIEWABLE:
                            found.append(child)
                below.extend(children)
            level = below
        return found

    def geometry(self, window):
        """(x, y, width, height) of a window on the root window, as xdotool gives it."""
        attributes = self.attributes(window)
        if attributes is None:
            raise RuntimeError(f"no window {window}")
        _, parent = self.children(window)
        if parent is None:
            raise RuntimeError(f"no window {window}")
        x, y = attributes.x, attributes.y
        if parent != attributes.root:
            tx, ty, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
            self.lib.XTranslateCoordinates(self.connection, window, attributes.root, 0, 0,
                                           ctypes.byref(tx), ctypes.byref(ty), ctypes.byref(child))
            x, y = tx.value, ty.value
        return x, y, attributes.width, attributes.height


def _xdotool(display, *args, check=True):
    out = subprocess.run(["xdotool"] + [str(a) for a in args], env=dict(os.environ, **display.env()),
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if check and out.returncode != 0:
        raise RuntimeError("xdotool " + " ".join(map(str, args)) + " failed: " +
                           out.stderr.decode(errors="replace").strip())
    return out.stdout.decode()


def find_windows(display, title):
    """X windows whose name matches the regular expression title and that are mapped."""
    return display.window_tree().search(title)


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
    return display.window_tree().geometry(window)


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
