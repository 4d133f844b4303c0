"""A private X display (Xvfb) for the programs of a test."""
import os
import subprocess

from .xinput import WindowTree


class Display:
    """A private Xvfb server."""

    def __init__(self, width=1024, height=768):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number.decode().strip()
        self.width, self.height = width, height
        self._tree = None

    def window_tree(self):
        """This process's connection for questions about the display's windows."""
        if self._tree is None:
            self._tree = WindowTree(self.name)
        return self._tree

    def env(self):
        return {"DISPLAY": self.name}

    def screenshot(self, path):
        # Taken in this process over XCB: a third of the CPU of a program started for it.
        from PIL import ImageGrab
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        # Saved with light compression: half the CPU of the default, a fifth larger.
        ImageGrab.grab(xdisplay=self.name).save(path, compress_level=1)
        return path

    def close(self):
        if self._tree is not None:
            self._tree.close()  # before the server goes, or Xlib would end this process
            self._tree = None
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
