"""Helpers for running the Win32 build under Wine, for tests and the demo.

A template prefix is made once per build folder (ORTK_WINE_TEMPLATE) and copied with hard
links for every scenario; each copy gets its own registry files, so nothing a scenario does
reaches the template. Prefix, Display and the xdotool helpers are used by tools/wine-test,
the end-to-end scripts under tests/ and tools/demo.
"""
import contextlib
import fcntl
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import xml.sax.saxutils

WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree=;mshtml=;winemenubuilder.exe=d",
}
USER_FOLDERS = ["Desktop", "Documents", "Downloads", "Music", "Pictures", "Videos", "Templates"]
WINE32_LOADER = "/usr/lib/wine/wine"
WINE64_LOADER = "/usr/lib/wine/wine64"


def _loader_runs(loader):
    try:
        return subprocess.run([loader, "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=30).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


def can_run_32bit():
    """Whether this kernel runs 32-bit x86 programs (some kernels are built without it)."""
    return _loader_runs(WINE32_LOADER)


def can_run_wow64():
    """Whether Wine runs 32-bit programs in a 64-bit prefix here, as 64-bit Windows does
    under WOW64: both loaders must run."""
    return can_run_32bit() and _loader_runs(WINE64_LOADER)


def wine_arch():
    """'win32' where Wine runs the 32-bit product, else 'win64': the tests then run the
    64-bit build of the same sources under Wine's 64-bit loader."""
    arch = os.environ.get("ORTK_WINE_ARCH")
    if arch not in ("win32", "win64"):
        arch = "win32" if can_run_32bit() else "win64"
        os.environ["ORTK_WINE_ARCH"] = arch
    return arch


def wine_mode():
    """The machine a test runs the build on: 'win32', the 32-bit product on 32-bit Windows
    (a 32-bit prefix, nothing redirected); 'wow64', the 32-bit product on 64-bit Windows (a
    64-bit prefix: its registry view is WOW6432Node, its system folder SysWOW64); 'win64',
    the 64-bit build, where the kernel runs no 32-bit programs. ORTK_WINE_MODE=wow64 asks
    for the second."""
    if wine_arch() == "win64":
        return "win64"
    return "wow64" if os.environ.get("ORTK_WINE_MODE") == "wow64" else "win32"


def system_program(name):
    """How to start one of the system's programs (reg, regedit, regsvr32) so that it works
    on the registry view and folders the product sees: the 32-bit one of SysWOW64 where the
    32-bit product runs on 64-bit Windows."""
    if wine_mode() == "wow64":
        return "C:\\windows\\syswow64\\" + name + ".exe"
    return name


def _use_wine64():
    """Puts a `wine` that starts the 64-bit loader first on PATH, so that every script and
    every `wine ...` below starts 64-bit prefixes and programs."""
    WINE_ENV["WINEARCH"] = "win64"
    folder = os.path.join(os.path.dirname(os.path.abspath(template_dir())), "wine64-bin")
    script = os.path.join(folder, "wine")
    if not os.path.exists(script):
        os.makedirs(folder, exist_ok=True)
        fd, temp = tempfile.mkstemp(dir=folder)
        with os.fdopen(fd, "w") as out:
            out.write(f'#!/bin/sh\nexport WINELOADER={WINE64_LOADER}\nexec {WINE64_LOADER} "$@"\n')
        os.chmod(temp, 0o755)
        os.replace(temp, script)
    if os.environ.get("PATH", "").split(os.pathsep)[0] != folder:
        os.environ["PATH"] = folder + os.pathsep + os.environ.get("PATH", "")
    os.environ.update(WINE_ENV)


def build_dir():
    return os.environ.get("ORTK_BUILD_DIR", os.path.join(os.getcwd(), "build", "win32"))


def use_build(build):
    """Points these helpers at a build folder for a tool run outside ctest, through the
    short link its configuration made for a deep checkout (named in wine-build-dir.txt),
    so that the paths Wine's programs see stay within MAX_PATH. Returns that folder."""
    try:
        with open(os.path.join(build, "wine-build-dir.txt")) as named:
            seen = named.read().strip()
    except OSError:
        seen = build
    if not seen or os.path.realpath(seen) != os.path.realpath(build):
        seen = build
    os.environ["ORTK_BUILD_DIR"] = seen
    return seen


def source_dir():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.environ.get("ORTK_SOURCE_DIR", os.path.dirname(here))


def template_dir():
    own = "wine-template-wow64" if wine_mode() == "wow64" else "wine-template"
    return os.environ.get("ORTK_WINE_TEMPLATE", os.path.join(build_dir(), own))


def to_windows_path(path):
    """Unix path -> the Z: path Wine gives it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def _wine_user_dir(prefix):
    users = os.path.join(prefix, "drive_c", "users")
    for name in sorted(os.listdir(users)):
        if name not in ("Public",) and os.path.isdir(os.path.join(users, name)):
            return os.path.join(users, name)
    raise RuntimeError("no user folder in " + prefix)


def ensure_template(path=None):
    """Creates the template prefix once; safe when several tests start together."""
    path = path or template_dir()
    mode = wine_mode()
    if mode == "win64":
        _use_wine64()
    else:
        # Where Wine has both loaders, a new prefix is a 64-bit one unless asked otherwise:
        # 32-bit Windows for the plain mode, 64-bit Windows (WOW64) for the other.
        WINE_ENV["WINEARCH"] = "win64" if mode == "wow64" else "win32"
        os.environ.update(WINE_ENV)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    ready = os.path.join(path, ".ready")
    with open(path + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(ready):
            with open(ready) as f:
                if f.read().strip() == mode:
                    return path
        shutil.rmtree(path, ignore_errors=True)
        env = dict(os.environ, WINEPREFIX=path, **WINE_ENV)
        env.pop("DISPLAY", None)
        subprocess.run(["wine", "wineboot", "-i"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Wine draws its own frames and captions (there is no window manager under Xvfb),
        # so an X window is exactly the Win32 window rectangle.
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                        "/d", "N", "/f"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Decorated",
                        "/d", "N", "/f"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, check=True)
        # A new prefix links Desktop, Documents and the like to the home folder: make them
        # real folders so that no test writes outside its prefix.
        user = _wine_user_dir(path)
        for name in USER_FOLDERS:
            folder = os.path.join(user, name)
            if os.path.islink(folder):
                os.unlink(folder)
            os.makedirs(folder, exist_ok=True)
        with open(ready, "w") as f:
            f.write(mode)
    return path


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

    def env(self):
        return {"DISPLAY": self.name}

    def screenshot(self, path):
        # Taken in this process over XCB: a third of the CPU of a program started for it.
        from PIL import ImageGrab
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        ImageGrab.grab(xdisplay=self.name).save(path)
        return path

    def close(self):
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


class Prefix:
    """A throwaway copy of the template prefix; its wineserver ends with it."""

    def __init__(self, display=None, lang=None, keep=False, keep_booted=True):
        template = ensure_template()
        self.root = tempfile.mkdtemp(prefix="ortk-prefix-", dir=os.path.dirname(template))
        self.path = os.path.join(self.root, "prefix")
        subprocess.run(["cp", "-al", template, self.path], check=True)
        for name in os.listdir(self.path):
            if name.endswith(".reg"):
                reg = os.path.join(self.path, name)
                data = open(reg, "rb").read()
                os.unlink(reg)
                with open(reg, "wb") as out:
                    out.write(data)
        self.display = display
        self.lang = lang
        self.keep = keep
        self.user_dir = _wine_user_dir(self.path)
        self.drive_c = os.path.join(self.path, "drive_c")
        self.keep_booted = keep_booted
        self._keeper = None

    # -- environment and processes ------------------------------------------------------
    def env(self, extra=None):
        env = dict(os.environ)
        env.update(WINE_ENV)
        env["WINEPREFIX"] = self.path
        env.pop("DISPLAY", None)
        if self.display is not None:
            env.update(self.display.env())
        env["LC_ALL"] = self.lang or "en_US.UTF-8"
        if extra:
            env.update(extra)
        return env

    def _boot(self):
        """Keeps the prefix's system processes (services, devices, plug and play) up between
        the Wine calls of a scenario. The wineserver ends them with the last program, and
        each call then booted them anew, about 1.5 s of CPU a time; a waiting cmd.exe of
        our own holds them. It is started with its output in a file, as the system
        processes it starts inherit that and would hold a caller's pipe open."""
        if not self.keep_booted or (self._keeper and self._keeper.poll() is None):
            return
        output = os.path.join(self.root, "keeper.out")
        with open(output, "wb") as out:
            self._keeper = subprocess.Popen(["wine", "cmd", "/k", "echo", "booted"],
                                            env=self.env(), cwd=self.root,
                                            stdin=subprocess.PIPE, stdout=out,
                                            stderr=subprocess.STDOUT)
        deadline = time.time() + 60
        while time.time() < deadline and self._keeper.poll() is None:
            with open(output, "rb") as f:
                if b"booted" in f.read():
                    break
            time.sleep(0.05)
        # The first window of a prefix starts its desktop process (explorer.exe), which
        # would otherwise hold the output of whatever program made that window. rundll32
        # makes a hidden window before it finds there is nothing to call.
        subprocess.run(["wine", "rundll32", "user32.dll,NoSuchEntry"], env=self.env(),
                       cwd=self.root, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)

    def _let_go(self):
        """Ends the waiting cmd.exe; the system processes then end with the last program."""
        if self._keeper and self._keeper.poll() is None:
            self._keeper.stdin.close()
            try:
                self._keeper.wait(10)
            except subprocess.TimeoutExpired:
                self._keeper.kill()
        self._keeper = None

    def end_server(self):
        """Ends the prefix's wineserver and every process of it; the next call starts a new
        one (inside a mount namespace, if that is where the call comes from)."""
        self._let_go()
        subprocess.run(["wineserver", "-k"], env=self.env(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env(), timeout=30)

    def run(self, args, timeout=120, cwd=None, env=None, check=False):
        """Runs a program to its end; its output is caught in files, not pipes, as a
        process it leaves running would hold a pipe open past its end."""
        self._boot()
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.Popen(["wine"] + list(args), env=self.env(env), cwd=cwd,
                                    stdout=out, stderr=err)
            try:
                proc.wait(timeout)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
                raise
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(proc.args, proc.returncode, out.read(), err.read())
        if check:
            result.check_returncode()
        return result

    def start(self, args, cwd=None, env=None):
        self._boot()
        return subprocess.Popen(["wine"] + list(args), env=self.env(env), cwd=cwd,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def wait_idle(self, timeout=60):
        """Waits until every process of the prefix has ended."""
        self._let_go()
        subprocess.run(["wineserver", "-w"], env=self.env(), timeout=timeout)

    def running(self, program):
        """Whether a process of this prefix has `program` mapped as its image. The command
        line is no guide: the package installer is started with " -r -s" alone."""
        marker = ("WINEPREFIX=" + self.path).encode() + b"\0"
        suffix = "/" + program.lower()
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    if marker not in f.read() + b"\0":
                        continue
                with open(f"/proc/{pid}/maps", "rb") as f:
                    maps = f.read().decode("latin-1").lower()
            except OSError:
                continue
            if any(line.endswith(suffix) for line in maps.splitlines()):
                return True
        return False

    # -- registry -------------------------------------------------------------------------
    def reg_add(self, key, name=None, data=None, kind="REG_SZ"):
        args = [system_program("reg"), "add", key, "/f"]
        if name is None:
            args += ["/ve"]
        else:
            args += ["/v", name]
        if data is not None:
            args += ["/t", kind, "/d", str(data)]
        return self.run(args, check=True)

    def reg_delete(self, key, name=None):
        args = [system_program("reg"), "delete", key, "/f"]
        if name is not None:
            args += ["/v", name]
        return self.run(args)

    def reg_query(self, key, name):
        """(type, data) of a value, or None. DWORDs come back as int."""
        out = self.run([system_program("reg"), "query", key, "/v", name])
        if out.returncode != 0:
            return None
        for line in out.stdout.decode("latin-1").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
                data = parts[2] if len(parts) > 2 else ""
                if parts[1] == "REG_DWORD":
                    return parts[1], int(data, 16)
                return parts[1], data
        return None

    def reg_import(self, text):
        """Imports registry script text (REGEDIT4 form) with the regedit of the product's
        registry view. Wine's own settings (HKLM\\Software\\Wine: drives and the like) are
        the system's, read by 64-bit Wine where Windows is 64-bit: their sections go to the
        native editor there."""
        lines = text.replace("\r\n", "\n").split("\n")
        own, native = [], []
        section = own
        for line in lines[1:] if lines and lines[0].startswith("REGEDIT") else lines:
            if line.startswith("["):
                key = line.lstrip("[-").lower()
                section = native if wine_mode() == "wow64" and key.startswith(
                    "hkey_local_machine\\software\\wine\\") else own
            section.append(line)
        for body, command in ((own, [system_program("regedit"), "/s"]),
                              (native, ["reg", "import"])):
            if not any(line.strip() for line in body):
                continue
            fd, path = tempfile.mkstemp(suffix=".reg", dir=self.root)
            with os.fdopen(fd, "wb") as f:
                f.write("\r\n".join(["REGEDIT4", ""] + body + [""]).encode("latin-1"))
            view = ["/reg:64"] if body is native else []
            self.run(command + [to_windows_path(path)] + view, check=True)
            os.unlink(path)

    # -- files ----------------------------------------------------------------------------
    def windows_path(self, unix_path):
        return to_windows_path(unix_path)

    def short_path(self, windows_path):
        """The short (8.3) form the system gives an existing path (GetShortPathName)."""
        out = self.run(["winepath", "-s", windows_path], check=True)
        return out.stdout.decode("utf-8").strip()

    def c_path(self, *parts):
        """Unix path of C:\\<parts>."""
        return os.path.join(self.drive_c, *parts)

    def desktop(self):
        return os.path.join(self.user_dir, "Desktop")

    def temp_dir(self):
        """The user's %TEMP%: users\\<user>\\Temp on this Wine, AppData\\Local\\Temp elsewhere."""
        for candidate in (os.path.join(self.user_dir, "Temp"),
                          os.path.join(self.user_dir, "AppData", "Local", "Temp")):
            if os.path.isdir(candidate):
                return candidate
        return os.path.join(self.user_dir, "Temp")

    # -- end --------------------------------------------------------------------------------
    def close(self):
        try:
            self.end_server()
        except subprocess.TimeoutExpired:
            pass
        if not self.keep:
            shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


# -- windows on the X display (xdotool) -------------------------------------------------------
def _xdotool(display, *args, check=True):
    out = subprocess.run(["xdotool"] + [str(a) for a in args], env=dict(os.environ, **display.env()),
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    if check and out.returncode != 0:
        raise RuntimeError("xdotool " + " ".join(map(str, args)) + " failed")
    return out.stdout.decode()


def find_windows(display, title):
    """X windows whose name matches the regular expression title and that are mapped."""
    out = _xdotool(display, "search", "--onlyvisible", "--name", title, check=False)
    return [int(w) for w in out.split()]


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


# -- results ------------------------------------------------------------------------------------
class Results:
    """Collects named cases of a script test and writes them as JUnit XML."""

    def __init__(self, suite):
        self.suite = suite
        self.cases = []

    @contextlib.contextmanager
    def case(self, name):
        start = time.time()
        try:
            yield
        except Exception as error:  # a failed check or a broken scenario fails the case
            import traceback
            self.cases.append((name, time.time() - start, traceback.format_exc()))
            print(f"[  FAILED  ] {self.suite}.{name}\n{traceback.format_exc()}", flush=True)
        else:
            self.cases.append((name, time.time() - start, None))
            print(f"[       OK ] {self.suite}.{name}", flush=True)

    def failed(self):
        return sum(1 for c in self.cases if c[2])

    def write(self, path):
        if not path:
            return
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        q = xml.sax.saxutils.quoteattr
        with open(path, "w") as out:
            out.write(f'<?xml version="1.0"?>\n<testsuites tests="{len(self.cases)}" '
                      f'failures="{self.failed()}">\n<testsuite name={q(self.suite)}>\n')
            for name, seconds, failure in self.cases:
                out.write(f'<testcase name={q(name)} classname={q(self.suite)} time="{seconds:.2f}"')
                if failure:
                    out.write(f'>\n<failure message="failed">{xml.sax.saxutils.escape(failure)}'
                              f'</failure>\n</testcase>\n')
                else:
                    out.write("/>\n")
            out.write("</testsuite>\n</testsuites>\n")


def run_cases(suite, cases, argv):
    """Runs a script test's cases and writes their results; the script's exit code.

    cases: (name, function) pairs, each function taking no argument. With --list the
    names are printed (the build registers one test per case, so that they run side by
    side); with --case NAME only that case runs.
    """
    if "--list" in argv:
        print("\n".join(name for name, _ in cases))
        return 0
    only = argv[argv.index("--case") + 1] if "--case" in argv else None
    if only is not None and only not in dict(cases):
        print(f"{suite}: no case {only}", file=sys.stderr)
        return 1
    results = Results(suite)
    for name, function in cases:
        if only in (None, name):
            with results.case(name):
                function()
    results.write(results_path_from_args(argv))
    return 1 if results.failed() else 0


def results_path_from_args(argv):
    """The path after --results on a script test's command line, or None."""
    for i, arg in enumerate(argv):
        if arg == "--results" and i + 1 < len(argv):
            return argv[i + 1]
    return None


if __name__ == "__main__":
    import sys
    if sys.argv[1:] == ["--arch"]:
        print(wine_arch())
    elif sys.argv[1:] == ["--wow64"]:
        print("yes" if can_run_wow64() else "no")
