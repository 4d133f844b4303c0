"""Wine prefixes: the template prefix, made once per build folder and mode, and the
throwaway copies of it that tests run in.

The template is copied with hard links for every scenario; each copy gets its own registry
files, so nothing a scenario does reaches the template.
"""
import fcntl
import os
import shutil
import subprocess
import tempfile
import time

from .environment import settled, wine_mode
from .machine import WINE64_LOADER

USER_FOLDERS = ["Desktop", "Documents", "Downloads", "Music", "Pictures", "Videos", "Templates"]


def system_program(name):
    """How to start one of the system's programs (reg, regedit, regsvr32, the prefix's own
    cmd and rundll32) so that it works on the registry view and folders the product sees:
    the 32-bit one of SysWOW64 where the 32-bit product runs on 64-bit Windows. Always by
    its full path: a bare name makes Wine start start.exe first to look for it, a second
    process each time (half the CPU of a registry query)."""
    if wine_mode() == "wow64":
        return "C:\\windows\\syswow64\\" + name + ".exe"
    folder = "C:\\windows\\" if name.lower() == "regedit" else "C:\\windows\\system32\\"
    return folder + name + ".exe"


def to_windows_path(path):
    """Unix path -> the Z: path Wine gives it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def _wine_user_dir(prefix):
    users = os.path.join(prefix, "drive_c", "users")
    for name in sorted(os.listdir(users)):
        if name not in ("Public",) and os.path.isdir(os.path.join(users, name)):
            return os.path.join(users, name)
    raise RuntimeError("no user folder in " + prefix)


def _write_wine64_launcher(folder):
    """A `wine` in folder that starts the 64-bit loader, so that every `wine ...` started
    with that folder first on PATH starts 64-bit prefixes and programs."""
    script = os.path.join(folder, "wine")
    if os.path.exists(script):
        return
    os.makedirs(folder, exist_ok=True)
    fd, temp = tempfile.mkstemp(dir=folder)
    with os.fdopen(fd, "w") as out:
        out.write(f'#!/bin/sh\nexport WINELOADER={WINE64_LOADER}\nexec {WINE64_LOADER} "$@"\n')
    os.chmod(temp, 0o755)
    os.replace(temp, script)


def ensure_template(path=None):
    """Creates the template prefix once; safe when several tests start together."""
    settings = settled()
    path = path or settings.template
    mode = settings.mode
    if settings.wine64_bin:
        _write_wine64_launcher(settings.wine64_bin)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    ready = os.path.join(path, ".ready")
    with open(path + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(ready):
            with open(ready) as f:
                if f.read().strip() == mode:
                    return path
        shutil.rmtree(path, ignore_errors=True)
        env = dict(settings.environ, WINEPREFIX=path)
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
        env = dict(settled().environ)
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
            self._keeper = subprocess.Popen(["wine", system_program("cmd"), "/k", "echo", "booted"],
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
        subprocess.run(["wine", system_program("rundll32"), "user32.dll,NoSuchEntry"],
                       env=self.env(), cwd=self.root, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)

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
                              (native, [system_program("reg"), "import"])):
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
        out = self.run([system_program("winepath"), "-s", windows_path], check=True)
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


