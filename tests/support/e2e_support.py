"""Whole runs of setup.exe from the assembled sample disc, under Wine and Xvfb.

Each SetupRun owns a display, a throwaway prefix (the test prefix's web-page associations
point at the recorder program of tests/support) and the set-up process. The screens are
driven with real pointer clicks at the faces painted in their bitmaps; what the run left
behind is read from the prefix afterwards: the registry files, the desktop, the recorder's
log of shell launches and the diagnostic log.
"""
import os
import re
import shutil
import subprocess
import sys
import time

import winetest
from product_facts import FACTS


CLIENT_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisToolKit\ClientInstall"
PRODUCT_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisTOOLKit"
SYSTEM_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion"
SAMPLE_KIT_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisToolKit\SampleKit"
SAMPLE_PACKAGE_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisToolKit\SamplePackage"

# The machine's folders as the 32-bit set-up is given them: on 64-bit Windows its program
# files folder is "Program Files (x86)" and its system folder SysWOW64.
WOW64 = winetest.wine_mode() == "wow64"
PROGRAM_FILES = "Program Files (x86)" if WOW64 else "Program Files"
SYSTEM_FOLDER = "syswow64" if WOW64 else "system32"
KIT_FOLDER = "C:\\" + PROGRAM_FILES + r"\Vorda\OrvalisToolkit"

# Client sizes of the skinned screens (their bitmaps) and the painted button faces, as
# (left, top, width, height) in client coordinates.
BIG_SCREEN = (FACTS["SCREEN_LARGE_WIDTH"], FACTS["SCREEN_LARGE_HEIGHT"])    # welcome, licence
SMALL_SCREEN = (FACTS["SCREEN_SMALL_WIDTH"], FACTS["SCREEN_SMALL_HEIGHT"])  # stop question, progress
GO_ON = FACTS["FACE_PROCEED"]
STOP = FACTS["FACE_STOP"]
QUESTION_GO_BACK = FACTS["FACE_GO_BACK"]
QUESTION_EXIT = FACTS["FACE_EXIT"]

TITLES = {
    "en": "Vorda Orvalis Tool Kit Installation",
    "fr": "Installation du kit d'outils Vorda Orvalis",
}


def disc_dir():
    return os.path.join(winetest.build_dir(), "disc")


def screenshot_dir(*parts):
    return os.path.join(winetest.build_dir(), "screenshots", "e2e", *parts)


# -- registry files --------------------------------------------------------------------------
_STRING_ESCAPES = {"\\": "\\", '"': '"', "n": "\n", "r": "\r", "t": "\t", "0": "\0"}


_ESCAPE = re.compile(r"\\(x[0-9a-fA-F]{1,4}|.)", re.S)


def _unescape(text):
    if "\\" not in text:
        return text
    # Key names escape nothing but their separators: some 15,000 of them per file.
    if "\\" not in text.replace("\\\\", ""):
        return text.replace("\\\\", "\\")
    return _ESCAPE.sub(lambda m: chr(int(m.group(1)[1:], 16)) if len(m.group(1)) > 1
                       else _STRING_ESCAPES.get(m.group(1), m.group(1)), text)


def _split_quoted(text):
    """The quoted text at the start of text (without quotes, unescaped) and the rest."""
    i = 1
    while i < len(text):
        if text[i] == "\\":
            i += 2
            continue
        if text[i] == '"':
            return _unescape(text[1:i]), text[i + 1:]
        i += 1
    raise ValueError("unterminated string: " + text)


def read_registry_file(path):
    """{key lower-case: its value lines} of a Wine registry file; the values of a key are
    read when asked for (parse_values), as a 64-bit prefix's file holds some 70,000 lines."""
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    keys = {}
    for block in text.split("\n[")[1:]:
        head, _, body = block.partition("\n")
        keys[_unescape(head[:head.rindex("]")]).lower()] = body
    return keys


def parse_values(body):
    """{value name lower-case: (type, data)} of a key's lines. Types are "REG_SZ",
    "REG_EXPAND_SZ", "REG_DWORD" (int data) or "hex(N)" (bytes)."""
    values = {}
    joined, pending = [], ""
    for line in body.split("\n"):
        if line.endswith("\\"):
            pending += line[:-1].strip()
            continue
        joined.append(pending + line.strip() if pending else line)
        pending = ""
    for line in joined:
        if not line or line[0] not in '"@':
            continue
        if line[0] == "@":
            name, rest = "", line[1:]
        else:
            name, rest = _split_quoted(line)
        rest = rest[1:]  # the equals sign
        if rest.startswith('"'):
            values[name.lower()] = ("REG_SZ", _split_quoted(rest)[0])
        elif rest.startswith("str("):  # str(2): expandable, str(7): multi-string
            kind, _, data = rest.partition(":")
            values[name.lower()] = ("REG_EXPAND_SZ" if kind == "str(2)" else kind,
                                    _split_quoted(data)[0])
        elif rest.startswith("dword:"):
            values[name.lower()] = ("REG_DWORD", int(rest[6:], 16))
        else:
            kind, _, data = rest.partition(":")
            try:
                raw = bytes(int(b, 16) for b in data.split(",") if b)
            except ValueError:
                raw = data.encode()
            values[name.lower()] = (kind, raw)
    return values


class Registry:
    """The machine registry of a prefix whose wineserver has saved it."""

    def __init__(self, prefix):
        self.keys = read_registry_file(os.path.join(prefix.path, "system.reg"))
        self.parsed = {}

    def values(self, key):
        """{name lower-case: (type, data)} of one key."""
        path = self._path(key)
        if path not in self.parsed:
            self.parsed[path] = parse_values(self.keys.get(path, ""))
        return self.parsed[path]

    def subkeys(self, key):
        """Paths (lower-case, below HKLM) of the key and every key under it."""
        path = self._path(key)
        return sorted(k for k in self.keys if k == path or k.startswith(path + "\\"))

    @staticmethod
    def _path(key):
        """The key as the registry file names it: on 64-bit Windows the 32-bit program's
        HKLM\\Software is Software\\Wow6432Node (the classes are shared)."""
        path = key.split("\\", 1)[1] if key.upper().startswith("HKEY_LOCAL_MACHINE") else key
        path = path.lower()
        if WOW64 and path.startswith("software\\") and not path.startswith(
                ("software\\classes", "software\\wow6432node")):
            path = "software\\wow6432node" + path[len("software"):]
        return path

    def native_keys(self, under):
        """Keys of the 64-bit view at or below HKLM\\<under>, where nothing of the 32-bit
        set-up may land."""
        path = under.lower()
        return sorted(k for k in self.keys if k == path or k.startswith(path + "\\"))

    def get(self, key, name):
        return self.values(key).get(name.lower())

    def data(self, key, name):
        value = self.get(key, name)
        return None if value is None else value[1]


# -- one run of the set-up ------------------------------------------------------------------
class SetupRun:
    """A display, a prefix and the set-up started from the sample disc."""

    def __init__(self, name, lang="en_US.UTF-8", log=True, keep_prefix=None, display=None,
                 browser_is_recorder=True):
        self.name = name
        self.display = display or winetest.Display()
        self.prefix = keep_prefix or winetest.Prefix(display=self.display, lang=lang)
        if keep_prefix is not None:
            self.prefix.display = self.display
        self.owns_prefix = keep_prefix is None
        self.proc = None
        self.seen = set()
        self.screens = []       # (kind, window id) in the order they appeared
        self.places = {}        # window id -> (x, y, width, height) on the display when it appeared
        self.shots = 0
        self.disc = disc_dir()
        self.registry_script = []
        self.launch_log = os.path.join(self.prefix.root, "launches.log")
        self.env_extra = {}     # more environment for the set-up
        if self.owns_prefix:
            if browser_is_recorder:
                self._browser_is_recorder()
            if log:
                self.reg_value(CLIENT_KEY, "DEBUG", 0)

    # -- preparing the machine ------------------------------------------------------------
    def reg_value(self, key, name, data):
        """Queues a value for the registry script imported before the run (int: DWORD)."""
        if isinstance(data, int):
            text = "dword:%08x" % data
        else:
            text = '"' + data.replace("\\", "\\\\").replace('"', '\\"') + '"'
        self.registry_script.append(f"[{key}]\n\"{name}\"={text}\n")

    def reg_lines(self, text):
        self.registry_script.append(text.strip() + "\n")

    def _browser_is_recorder(self):
        """Web addresses and web pages open with the recorder, which notes each launch."""
        recorder_exe = winetest.to_windows_path(
            os.path.join(winetest.build_dir(), "tests", "support", "recorder.exe"))
        log = winetest.to_windows_path(self.launch_log)
        command = f'"{recorder_exe}" "--log={log}" "%1"'
        command = command.replace("\\", "\\\\").replace('"', '\\"')
        for scheme in ("http", "https"):
            self.reg_lines(f'[HKEY_CLASSES_ROOT\\{scheme}]\n@="URL:web address"\n'
                           f'[HKEY_CLASSES_ROOT\\{scheme}\\shell\\open\\command]\n@="{command}"\n'
                           f'[-HKEY_CLASSES_ROOT\\{scheme}\\shell\\open\\ddeexec]')
        self.reg_lines('[HKEY_CLASSES_ROOT\\.htm]\n@="htmlfile"\n'
                       '[HKEY_CLASSES_ROOT\\.html]\n@="htmlfile"\n'
                       f'[HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command]\n@="{command}"\n'
                       '[-HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\ddeexec]')
        # Folders too, so that a folder opened by mistake is seen rather than lost in a
        # file window.
        for kind in ("Folder", "Directory"):
            self.reg_lines(f'[HKEY_CLASSES_ROOT\\{kind}\\shell\\open\\command]\n@="{command}"\n'
                           f'[-HKEY_CLASSES_ROOT\\{kind}\\shell\\open\\ddeexec]')

    def apply_registry(self):
        if self.registry_script:
            self.prefix.reg_import("REGEDIT4\n\n" + "\n".join(self.registry_script))
            self.registry_script = []

    def register_kit(self, stand_down=None, version=None):
        """Registers the sample kit's components the way the kit's installer would."""
        kit = os.path.join(self.disc, "kit", "AddinProbe2.dll")
        self.prefix.run([winetest.system_program("regsvr32"), "/s", winetest.to_windows_path(kit)],
                        check=True)
        if stand_down is not None:
            self.reg_value(SAMPLE_KIT_KEY, "StandDown", int(stand_down))
        if version is not None:
            self.reg_value(SAMPLE_KIT_KEY, "Version", version)

    def package_mode(self, mode, seconds=None, cleanup_seconds=None):
        self.reg_value(SAMPLE_PACKAGE_KEY, "Mode", mode)
        if seconds is not None:
            self.reg_value(SAMPLE_PACKAGE_KEY, "Seconds", seconds)
        if cleanup_seconds is not None:
            self.reg_value(SAMPLE_PACKAGE_KEY, "CleanupSeconds", cleanup_seconds)

    def own_disc(self, description_edit=None, folder="Orvalis Disc"):
        """Runs from a copy of the sample disc in C:\\<folder> of the prefix, wherever the
        build lies; description_edit(text) -> text changes its setup description."""
        self.disc = self.prefix.c_path(folder)
        shutil.copytree(disc_dir(), self.disc)
        if description_edit:
            path = os.path.join(self.disc, "cd_client.qxml")
            with open(path, encoding="cp1252") as f:
                text = f.read()
            with open(path, "w", encoding="cp1252") as f:
                f.write(description_edit(text))
        return self.disc

    def disc_path(self):
        """The disc folder as the set-up sees it: C:\\... inside the prefix, else Z:\\...."""
        inside = os.path.relpath(self.disc, self.prefix.drive_c)
        if not inside.startswith(".."):
            return "C:\\" + inside.replace("/", "\\")
        return winetest.to_windows_path(self.disc)

    def binary_root(self):
        """The short form of the disc folder, as the set-up records it."""
        return self.prefix.short_path(self.disc_path())

    def put_on_desktop(self, name):
        path = os.path.join(self.prefix.desktop(), name)
        with open(path, "wb") as f:
            f.write(b"L\0\0\0")  # the name is what counts, not the link's content
        return path

    # -- running ----------------------------------------------------------------------------
    def start(self, args=(), wrapper=None, launcher=()):
        """Starts setup.exe from the disc. wrapper: a shell snippet run first in a private
        mount namespace (the wineserver then starts inside it too). launcher: a Windows
        program and its arguments that start the set-up themselves."""
        self.apply_registry()
        setup = os.path.join(self.disc, "setup.exe")
        if launcher:
            setup = self.disc_path() + "\\setup.exe"
        command = ["wine"] + list(launcher) + [setup] + list(args)
        if wrapper:
            self.prefix.end_server()
            command = ["unshare", "-m", "--propagation", "private", "sh", "-c",
                       wrapper + '\nexec "$@"', "setup-run"] + command
        env = self._env()
        self.proc = subprocess.Popen(command, env=env, cwd=self.disc,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        return self.proc

    def _env(self):
        return self.prefix.env(dict(self.env_extra,
                                    ORTK_RECORDER_LOG=winetest.to_windows_path(self.launch_log)))

    def start_another(self):
        """Starts a second setup.exe from the same disc beside the first; its process."""
        return subprocess.Popen(["wine", os.path.join(self.disc, "setup.exe")], env=self._env(),
                                cwd=self.disc, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def _candidates(self, title):
        found = []
        pattern = "." if title is None else re.escape(title)  # None: any titled window
        for window in winetest.find_windows(self.display, pattern):
            if window in self.seen:
                continue
            try:
                x, y, w, h = winetest.window_geometry(self.display, window)
            except RuntimeError:
                continue
            if x <= -900 or w > 900:
                continue  # the hidden main window off the screen's corner
            found.append((window, (x, y, w, h)))
        return found

    def next_screen(self, kind, title, size, timeout=40):
        """Waits for a new window of the title whose client area has that size."""
        end = time.time() + timeout
        while time.time() < end:
            for window, (x, y, w, h) in self._candidates(title):
                if size[0] <= w <= size[0] + 20 and size[1] <= h <= size[1] + 40:
                    self.seen.add(window)
                    self.screens.append((kind, window))
                    self.places[window] = (x, y, w, h)
                    time.sleep(0.8)  # let it paint before anyone looks at it
                    return window
            if not self.running():
                raise AssertionError(f"set-up ended while waiting for the {kind} screen; "
                                     f"screens so far: {[s[0] for s in self.screens]}")
            time.sleep(0.2)
        raise TimeoutError(f"no {kind} screen; screens so far: {[s[0] for s in self.screens]}")

    def wait_gone(self, window, timeout=20):
        end = time.time() + timeout
        while time.time() < end:
            visible = winetest.find_windows(self.display, ".")
            if window not in visible:
                return
            time.sleep(0.2)
        raise TimeoutError(f"window {window} still shown")

    def click_face(self, window, client_size, face):
        left, top = winetest.client_origin(self.display, window, client_size[0] - 1,
                                           client_size[1] - 1)
        winetest.click(self.display, left + face[0] + face[2] // 2, top + face[1] + face[3] // 2)

    def screenshot(self, label, folder=None):
        self.shots += 1
        path = os.path.join(folder or screenshot_dir(self.name), f"{self.shots:02d}-{label}.png")
        return self.display.screenshot(path)

    def classify(self, size):
        w, h = size
        if BIG_SCREEN[0] <= w <= BIG_SCREEN[0] + 20 and BIG_SCREEN[1] <= h <= BIG_SCREEN[1] + 40:
            return "big"
        if SMALL_SCREEN[0] <= w <= SMALL_SCREEN[0] + 20 and SMALL_SCREEN[1] <= h <= SMALL_SCREEN[1] + 40:
            return "small"
        return "splash"

    def watch_until_exit(self, title, timeout=60):
        """Notes (and photographs) every new window of the title until the set-up ends;
        for runs that show no screen the test has to answer."""
        end = time.time() + timeout
        while self.running() and time.time() < end:
            for window, (x, y, w, h) in self._candidates(title):
                self.seen.add(window)
                kind = self.classify((w, h))
                self.screens.append((kind, window))
                time.sleep(0.5)
                self.screenshot(kind)
            time.sleep(0.2)
        return self.wait_exit(timeout=max(5, end - time.time()))

    def kinds(self):
        return [kind for kind, _ in self.screens]

    def wait_exit(self, timeout=90):
        try:
            self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.screenshot("hung")
            raise AssertionError("set-up still running after %d s; screens: %s"
                                 % (timeout, [s[0] for s in self.screens]))
        # Shell launches and registry imports run on: wait for every process of the
        # prefix, which also makes the wineserver save the registry files.
        try:
            self.prefix.wait_idle(timeout=60)
        except subprocess.TimeoutExpired:
            pass
        if WOW64:
            # The set-up, the registry scripts it imports, its package and the kit all work
            # on the 32-bit view: nothing of theirs may land in the 64-bit one.
            written = self.registry().native_keys("Software\\VORDA")
            check(not written, f"written to the 64-bit registry view: {written}")
        return self.proc.returncode

    # -- what the run left behind -------------------------------------------------------------
    def registry(self):
        return Registry(self.prefix)

    def launches(self):
        """(program, arguments) of every launch the recorder saw, in order."""
        if not os.path.exists(self.launch_log):
            return []
        with open(self.launch_log, "rb") as f:
            lines = f.read().decode("cp1252").splitlines()
        return [tuple(line.split("\t", 1)) if "\t" in line else (line, "")
                for line in lines if line]

    def pages_opened(self):
        """The pages the browser was given, as disc-relative names where they are on the disc."""
        disc = self.disc_path().lower() + "\\"
        pages = []
        for program, arguments in self.launches():
            if not program.lower().endswith("recorder.exe"):
                continue
            page = arguments.strip().strip('"')
            pages.append(page[len(disc):] if page.lower().startswith(disc) else page)
        return pages

    def desktop_files(self):
        return sorted(os.listdir(self.prefix.desktop()))

    def log_text(self):
        # Wine keeps the temporary folder in C:\users\<user>\Temp, newer prefixes below AppData.
        for folder in (os.path.join(self.prefix.user_dir, "Temp"), self.prefix.temp_dir()):
            path = os.path.join(folder, "ErrorLog.txt")
            if os.path.exists(path):
                break
        else:
            return None
        with open(path, "rb") as f:
            return f.read().decode("cp1252")

    def close(self):
        if self.running():
            self.proc.kill()
        if self.owns_prefix:
            self.prefix.close()
        self.display.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


# -- the usual way through the screens ----------------------------------------------------------
def go_through(run, lang="en", welcome="continue", licence="accept", progress=None):
    """Drives welcome, licence and progress screens as a user would.

    welcome/licence: "continue"/"accept" click the go-on face; "stop" clicks the stop face
    and confirms with Exit. progress: None waits for the progress screen; "cancel" clicks
    Cancel and confirms; "unseen" does not wait for it. Returns the progress window, or None when the run stopped before it.
    """
    title = TITLES[lang]
    window = run.next_screen("welcome", title, BIG_SCREEN)
    run.screenshot("welcome")
    if not _answer(run, window, title, welcome):
        return None
    window = run.next_screen("licence", title, BIG_SCREEN)
    run.screenshot("licence")
    if not _answer(run, window, title, licence):
        return None
    if progress == "unseen":
        return None  # the progress screen may close before anyone sees it
    window = run.next_screen("progress", title, SMALL_SCREEN)
    run.screenshot("progress")
    if progress == "cancel":
        time.sleep(1.0)
        run.click_face(window, SMALL_SCREEN, PROGRESS_CANCEL)
        question = run.next_screen("question", title, SMALL_SCREEN)
        run.screenshot("progress-question")
        run.click_face(question, SMALL_SCREEN, QUESTION_EXIT)
    return window


def _answer(run, window, title, answer):
    if answer in ("continue", "accept"):
        run.click_face(window, BIG_SCREEN, GO_ON)
        return True
    run.click_face(window, BIG_SCREEN, STOP)
    question = run.next_screen("question", title, SMALL_SCREEN)
    run.screenshot("question")
    run.click_face(question, SMALL_SCREEN, QUESTION_EXIT)
    return False


# The progress screen's Cancel face, from its template.
PROGRESS_CANCEL = (140, 222, 108, 39)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise AssertionError(f"{what}: expected {expected!r}, got {actual!r}")
