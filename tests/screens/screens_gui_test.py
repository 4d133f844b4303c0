#!/usr/bin/python3
"""The screens under Wine, used as a person would: real clicks at the painted button faces
and real keys, in English (the program's own resources) and in French (the French
resource library). Writes a screenshot of every screen under
<build>/screenshots/screens/.

Each case runs tests/screens' screen_host.exe in a prefix of its own, from a folder of its
own inside the prefix, and reads what it cannot see on the display from the host's state
file.
"""
import os
import shutil
import subprocess
import sys
import time

import winetest
from winetest import Display, Prefix

BUILD = winetest.build_dir()
HOST = os.path.join(BUILD, "tests", "screens", "screen_host.exe")
FRENCH = os.path.join(BUILD, "lang", "ortk_fr.dll")
# Each language's library without the screens' pictures.
BARE = os.path.join(BUILD, "tests", "screens", "bare_{}.dll")
CLIP = os.path.join(BUILD, "resources", "screens", "splash.avi")
IDCANCEL, IDC_PROCEED = 2, 1008
SHOTS = os.path.join(BUILD, "screenshots", "screens")

TITLES = {"en": "Vorda Orvalis Tool Kit Installation",
          "fr": "Installation du kit d'outils Vorda Orvalis"}
# Client sizes: one pixel less than the bitmaps each way.
SCREEN_CLIENT = (473, 385)
QUESTION_CLIENT = (388, 282)
# Centres of the painted faces, in client pixels (from the templates' layout texts).
PROCEED = (149 + 54, 336 + 19)
STOP = (265 + 54, 336 + 19)
GO_BACK = (106 + 54, 233 + 19)
EXIT = (225 + 54, 233 + 19)

# The words the artwork paints on each screen's faces, by button id.
sys.path.insert(0, os.path.join(winetest.source_dir(), "resources", "art"))
from make_artwork import TEXTS as ART_TEXTS  # noqa: E402
FACES = {"welcome": {1008: "continue", 2: "exit"}, "license": {1008: "accept", 2: "cancel"},
         "confirm": {2: "go_back", 1008: "exit"}, "progress": {2: "cancel"}}


class Host:
    """One screen_host.exe run in its own folder of the prefix."""

    def __init__(self, prefix, display, screen, lang="en", args=(), folder="host", bare=False):
        self.prefix, self.display, self.lang = prefix, display, lang
        self.folder = prefix.c_path(folder)
        os.makedirs(self.folder, exist_ok=True)
        self.exe = os.path.join(self.folder, "screen_host.exe")
        if not os.path.exists(self.exe):
            shutil.copy(HOST, self.exe)
        self.state = os.path.join(self.folder, "state.txt")
        self.result = os.path.join(self.folder, "result.txt")
        for path in (self.state, self.result):
            if os.path.exists(path):
                os.unlink(path)
        command = [self.exe, screen, "--state", to_c(prefix, self.state),
                   "--result", to_c(prefix, self.result)]
        if lang == "fr" or bare:
            dll = os.path.join(self.folder, f"bare_{lang}.dll" if bare else "ortk_fr.dll")
            shutil.copy(BARE.format(lang) if bare else FRENCH, dll)
            command += ["--resources", to_c(prefix, dll)]
        command += list(args)
        self.cwd = prefix.c_path("work")
        os.makedirs(self.cwd, exist_ok=True)
        self.process = prefix.start(command, cwd=self.cwd)

    def wait_windows(self, count, timeout=30):
        """Waits until the host shows exactly `count` dialogs and returns their X windows."""
        end = time.time() + timeout
        while time.time() < end:
            found = winetest.find_windows(self.display, "^" + TITLES[self.lang] + "$")
            if len(found) == count and len(self.dialogs()) == count:
                time.sleep(0.4)  # let the last paint land
                return found
            time.sleep(0.2)
        raise TimeoutError(f"expected {count} screens, state: {self.read_state()}")

    def read_state(self):
        try:
            with open(self.state, encoding="latin-1") as f:
                lines = f.read().splitlines()
        except FileNotFoundError:
            return {}
        state = {}
        for line in lines:
            name, _, value = line.partition("=")
            state.setdefault(name, []).append(value)
        return state

    def dialogs(self):
        """(title, window rect, client size) of each visible dialog of the host."""
        return host_dialogs(self.read_state())

    def owner_by_client(self):
        """{client size: (window handle, owner handle)} of the host's visible dialogs."""
        out = {}
        for value in self.read_state().get("dialog", []):
            parts = value.split("|")
            out[tuple(map(int, parts[2].split(",")))] = tuple(parts[4:6])
        return out

    def value(self, name):
        values = self.read_state().get(name)
        return values[0] if values else None

    def fresh_state(self, timeout=3):
        """Waits for the next state file written after now."""
        try:
            before = os.stat(self.state).st_mtime_ns
        except FileNotFoundError:
            before = 0
        end = time.time() + timeout
        while time.time() < end:
            try:
                if os.stat(self.state).st_mtime_ns != before:
                    time.sleep(0.05)
                    return self.read_state()
            except FileNotFoundError:
                pass
            time.sleep(0.05)
        return self.read_state()

    def focus_becomes(self, control, timeout=3):
        """The focused control once it is `control`, or the last one reported when the
        time is up: a key press reaches the screen a moment after it was sent."""
        end = time.time() + timeout
        focus = self.fresh_state()["focus"][0]
        while focus != control and time.time() < end:
            focus = self.fresh_state()["focus"][0]
        return focus

    def click_face(self, window, client, face):
        x, y = winetest.client_origin(self.display, window, *client)
        winetest.click(self.display, x + face[0], y + face[1])

    def finish(self, timeout=30):
        """The host's result line as a dict, once it has ended."""
        self.process.wait(timeout)
        with open(self.result) as f:
            return dict(part.split("=") for part in f.read().split())

    def running(self):
        return self.process.poll() is None

    def stop(self):
        if self.running():
            self.process.kill()
            self.process.wait(10)


def to_c(prefix, path):
    """Windows path of a file inside the prefix's drive C."""
    relative = os.path.relpath(path, prefix.drive_c)
    return "C:\\" + relative.replace("/", "\\")


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def check_faces(host, screen):
    """Every face's window text is its caption alone: the word painted on the face, with a
    mnemonic that is one of its letters and differs from the other faces'. Returns the
    mnemonic letters by button id."""
    state = host.fresh_state()
    letters = {}
    for button, word in FACES[screen].items():
        text = state[f"button{button}"][0].split("|")[3]
        painted = ART_TEXTS[host.lang][word]
        check(text.replace("&", "", 1) == painted,
              f"{screen} button {button}: window text {text!r}, face {painted!r}")
        at = text.find("&")
        check(at >= 0 and text[at + 1].isalpha(), f"{screen} button {button}: mnemonic in {text!r}")
        letters[button] = text[at + 1].lower()
    check(len(set(letters.values())) == len(letters), f"{screen}: mnemonics differ {letters}")
    return letters


def screenshot(display, name):
    display.screenshot(os.path.join(SHOTS, name + ".png"))


def topmost_new(before, after):
    new = [w for w in after if w not in before]
    check(len(new) == 1, f"one new window expected: {before} -> {after}")
    return new[0]


# -- cases --------------------------------------------------------------------------------------
def welcome_continue(prefix, display, lang):
    host = Host(prefix, display, "welcome", lang)
    try:
        (window,) = host.wait_windows(1)
        title, rect, client = host.dialogs()[0]
        check(client == SCREEN_CLIENT, f"client area {client}")
        check(host.value("focus") == "0", "the hidden focus sink has the focus")
        check(host.value("button1008").startswith("149,336,108,39|"), host.value("button1008"))
        check(host.value("button2").startswith("265,336,108,39|"), host.value("button2"))
        check_faces(host, "welcome")
        screenshot(display, f"welcome_{lang}")
        host.click_face(window, SCREEN_CLIENT, PROCEED)
        check(host.finish()["result"] == "1008", "Continue gives 1008")
    finally:
        host.stop()
    without_pictures(prefix, display, lang)


def without_pictures(prefix, display, lang):
    """A library without the screens' pictures: the system paints the screens, the faces
    draw themselves at their places, and mouse and keys work as usual."""
    host = Host(prefix, display, "welcome", lang, bare=True)
    try:
        (window,) = host.wait_windows(1)
        _title, _rect, client = host.dialogs()[0]
        check(client != SCREEN_CLIENT, f"the template's size without a picture: {client}")
        check(host.value("button1008").startswith("149,336,108,39|"), host.value("button1008"))
        check_faces(host, "welcome")
        shot = f"welcome_without_pictures_{lang}"
        screenshot(display, shot)
        check_painted(display, window, client, shot)
        host.click_face(window, client, STOP)
        windows = host.wait_windows(2)
        question = topmost_new([window], windows)
        screenshot(display, f"confirm_exit_without_pictures_{lang}")
        # Escape on the question goes back.
        winetest.key(display, "Escape", question)
        host.wait_windows(1)
        # Tab reaches the first face; Space presses it.
        winetest.key(display, "Tab", window)
        check(host.focus_becomes("1008") == "1008", "Tab moves to the Continue face")
        winetest.key(display, "space", window)
        check(host.finish()["result"] == "1008", "Space presses the focused face")
    finally:
        host.stop()


def check_painted(display, window, client, shot, face=True):
    """The background is the system's dialog colour, not what lay beneath (black here);
    the Continue face shows its frame and caption."""
    from PIL import Image
    picture = Image.open(os.path.join(SHOTS, shot + ".png")).convert("RGB")
    x, y = winetest.client_origin(display, window, *client)
    corner = picture.getpixel((x + 5, y + 5))
    check(corner != (0, 0, 0) and corner == picture.getpixel((x + client[0] - 5, y + client[1] - 5)),
          f"background erased: {corner}")
    if face:
        colours = {picture.getpixel((x + 149 + i, y + 336 + 19)) for i in range(108)}
        check(len(colours) > 2, f"the Continue face is drawn: {colours}")


def welcome_stop_question(prefix, display, lang):
    host = Host(prefix, display, "welcome", lang)
    try:
        (window,) = host.wait_windows(1)
        screen_rect = host.dialogs()[0][1]
        # Enter with no button focused does nothing.
        winetest.key(display, "Return", window)
        time.sleep(1.0)
        check(host.running() and len(host.dialogs()) == 1, "Enter left the screen alone")
        # Escape asks first.
        winetest.key(display, "Escape", window)
        windows = host.wait_windows(2)
        question = topmost_new([window], windows)
        rects = [d[1] for d in host.dialogs() if d[2] == QUESTION_CLIENT]
        check(len(rects) == 1, f"the stop question is showing: {host.dialogs()}")
        q = rects[0]
        check(q[2] == screen_rect[2] - 20 and q[3] == screen_rect[3] - 20,
              f"question {q} sits 20 pixels inside the screen's corner {screen_rect}")
        owners = host.owner_by_client()
        check(owners[QUESTION_CLIENT][1] == owners[SCREEN_CLIENT][0],
              f"the question is owned by the screen that asks: {owners}")
        letters = check_faces(host, "confirm")
        screenshot(display, f"confirm_exit_over_welcome_{lang}")
        # Go Back, by its mnemonic, leaves the screen as it was.
        winetest.key(display, "alt+" + letters[IDCANCEL], question)
        host.wait_windows(1)
        check(host.running(), "Go Back keeps the screen")
        # The painted Exit face of the screen asks again; the question's Exit ends it with 2.
        host.click_face(window, SCREEN_CLIENT, STOP)
        windows = host.wait_windows(2)
        question = topmost_new([window], windows)
        winetest.key(display, "alt+" + letters[IDC_PROCEED], question)
        check(host.finish()["result"] == "2", "a confirmed stop gives 2")
    finally:
        host.stop()


def confirm_alone(prefix, display, lang):
    host = Host(prefix, display, "confirm", lang)
    try:
        (window,) = host.wait_windows(1)
        check(host.dialogs()[0][2] == QUESTION_CLIENT, f"client {host.dialogs()}")
        screenshot(display, f"confirm_exit_{lang}")
        # Tab goes from the hidden focus sink to the faces in template order; Enter presses
        # the focused one.
        for button in (IDCANCEL, IDC_PROCEED):
            winetest.key(display, "Tab", window)
            focus = host.focus_becomes(str(button))
            check(focus == str(button), f"Tab moves to {button}: {focus}")
        winetest.key(display, "Return", window)
        check(host.finish()["result"] == "1008", "Enter presses the focused Exit face")
    finally:
        host.stop()


def progress_look(prefix, display, lang):
    """The package-run template and picture: bar in its painted trough, Cancel at its face."""
    host = Host(prefix, display, "progress", lang)
    try:
        (window,) = host.wait_windows(1)
        check(host.dialogs()[0][2] == QUESTION_CLIENT, f"client {host.dialogs()}")
        check(host.value("bar").startswith("72,149,289,20|1|"), f"bar {host.value('bar')}")
        check(host.value("button2").startswith("140,222,108,39|"), host.value("button2"))
        check_faces(host, "progress")
        screenshot(display, f"progress_{lang}")
        host.click_face(window, QUESTION_CLIENT, (140 + 54, 222 + 19))
        check(host.finish()["result"] == "2", "Cancel face")
    finally:
        host.stop()


def licence_text(size):
    """Readable text of exactly `size` bytes, ending in a line of its own."""
    line = b"Licence terms of the Vorda Orvalis Tool Kit - paragraph %05d.\r\n"
    out = bytearray()
    n = 0
    while len(out) < size:
        out += line % n
        n += 1
    return bytes(out[:size - 1]) + b"Z"


def licence_shows(prefix, display, lang, name, expected, where="work", tab=False, shot=None):
    """Shows the licence screen for file `name` and compares the text panel with `expected`."""
    host = Host(prefix, display, "license", lang, ["--license", name or "-"])
    try:
        (window,) = host.wait_windows(1)
        state = host.fresh_state()
        check(state.get("license", [""])[0].startswith("75,136,368,183|1|"),
              f"panel placed: {state.get('license')}")
        check(state["focus"][0] == "0", "the focus sink has the focus, not the text")
        with open(host.state + ".text", "rb") as f:
            shown = f.read()
        check(len(shown) == len(expected) and shown == expected,
              f"{where}: shows {len(shown)} bytes, expected {len(expected)}")
        if shot:
            screenshot(display, shot)
        if not expected and shot:
            check_empty_panel(display, window, shot, lang)
        if tab:
            winetest.key(display, "Tab", window)
            focus = host.focus_becomes("203")
            check(focus == "203", f"Tab moves into the text: {focus}")
            start, end = host.fresh_state()["license_selection"][0].split(",")
            check(start == end, f"tabbing in selects nothing: {start},{end}")
        host.click_face(window, SCREEN_CLIENT, PROCEED)
        check(host.finish()["result"] == "1008", "Accept gives 1008")
    finally:
        host.stop()


def check_empty_panel(display, window, shot, lang):
    """The empty panel is light lavender in a black frame; the buttons paint nothing."""
    from PIL import Image
    picture = Image.open(os.path.join(SHOTS, shot + ".png")).convert("RGB")
    art = Image.open(os.path.join(BUILD, "resources", "screens", lang, "license.bmp"))
    art = art.convert("RGB")
    x, y = winetest.client_origin(display, window, *SCREEN_CLIENT)
    check(picture.getpixel((x + 200, y + 220)) == (249, 247, 254),
          f"panel colour {picture.getpixel((x + 200, y + 220))}")
    # The system draws the black frame in its window-frame colour (dark grey under Wine).
    dark = lambda p: max(picture.getpixel(p)) < 128
    check(dark((x + 74, y + 220)), "frame left of the panel")
    check(dark((x + 200, y + 319)), "frame under the panel")
    check(not dark((x + 73, y + 220)), "a frame one pixel wide")
    for face in ((155, 345), (270, 370), (20, 20)):
        check(picture.getpixel((x + face[0], y + face[1])) == art.getpixel(face),
              f"the picture shows at {face}")


def licence_cases(prefix, display, lang):
    work = prefix.c_path("work")
    host_folder = prefix.c_path("host")
    os.makedirs(work, exist_ok=True)
    os.makedirs(host_folder, exist_ok=True)
    whole = licence_text(61439)
    with open(os.path.join(work, "whole.txt"), "wb") as f:
        f.write(whole)
    licence_shows(prefix, display, lang, "whole.txt", whole, tab=True, shot=f"license_{lang}")
    longer = licence_text(70000)
    with open(os.path.join(work, "longer.txt"), "wb") as f:
        f.write(longer)
    licence_shows(prefix, display, lang, "longer.txt", longer[:61439])
    exact = licence_text(61440)
    with open(os.path.join(work, "exact.txt"), "wb") as f:
        f.write(exact)
    licence_shows(prefix, display, lang, "exact.txt", exact[:61439])
    # Only next to the program, not in the current folder.
    beside = b"Found next to the program.\r\n"
    with open(os.path.join(host_folder, "beside.txt"), "wb") as f:
        f.write(beside)
    licence_shows(prefix, display, lang, "beside.txt", beside, where="program folder")
    # A zero byte ends the text.
    with open(os.path.join(work, "zero.txt"), "wb") as f:
        f.write(b"before\0after")
    licence_shows(prefix, display, lang, "zero.txt", b"before")
    licence_shows(prefix, display, lang, "missing.txt", b"", shot=f"license_empty_{lang}")
    licence_shows(prefix, display, lang, "", b"")


def licence_reject(prefix, display, lang):
    os.makedirs(prefix.c_path("work"), exist_ok=True)
    with open(os.path.join(prefix.c_path("work"), "whole.txt"), "wb") as f:
        f.write(licence_text(3000))
    host = Host(prefix, display, "license", lang, ["--license", "whole.txt"])
    try:
        (window,) = host.wait_windows(1)
        check_faces(host, "license")
        winetest.key(display, "Return", window)
        time.sleep(1.0)
        check(host.running() and len(host.dialogs()) == 1, "Enter left the screen alone")
        host.click_face(window, SCREEN_CLIENT, STOP)
        windows = host.wait_windows(2)
        question = topmost_new([window], windows)
        screenshot(display, f"confirm_exit_over_license_{lang}")
        host.click_face(question, QUESTION_CLIENT, GO_BACK)
        host.wait_windows(1)
        winetest.key(display, "Escape", window)
        windows = host.wait_windows(2)
        question = topmost_new([window], windows)
        host.click_face(question, QUESTION_CLIENT, EXIT)
        check(host.finish()["result"] == "2", "a confirmed stop gives 2")
    finally:
        host.stop()


def splash_run(prefix, display, lang, args, shot, escape=False, bare=False):
    host = Host(prefix, display, "splash", lang, args, bare=bare)
    try:
        (window,) = host.wait_windows(1)
        time.sleep(2.5 if "--root-avi" in args or "--lang-avi" in args else 0.3)
        state = host.fresh_state()
        screenshot(display, shot)
        if bare:
            check_painted(display, window, host_dialogs(state)[0][2], shot, face=False)
        if escape:
            winetest.key(display, "Escape", window)
        result = host.finish(timeout=20)
        return result, state
    finally:
        host.stop()


def splash_cases(prefix, display, lang):
    os.makedirs(prefix.c_path("host"), exist_ok=True)
    shutil.copy(CLIP, os.path.join(prefix.c_path("host"), "splash.avi"))
    # The language's clip is missing: the root element's plays, once, for six seconds.
    result, state = splash_run(prefix, display, lang,
                               ["--lang-avi", "missing.avi", "--root-avi", "splash.avi"],
                               f"splash_clip_{lang}")
    check(result["clip"] == "1", "the root element's clip opened")
    check(result["result"] == "0", "the timer ends the splash with 0")
    check(5800 <= int(result["elapsed"]) <= 9000, f"six seconds: {result['elapsed']} ms")
    clip = state["clip"][0].split("|")
    check(clip[0] == "3,3,360,240" and clip[1] == "1", f"clip control shown at 3,3: {clip}")
    _title, _rect, client = [d for d in host_dialogs(state)][0]
    check(client == (366, 246), f"client area is the clip plus 3 pixels each side: {client}")
    # The language's clip wins over the root's.
    result, _ = splash_run(prefix, display, lang,
                           ["--lang-avi", "splash.avi", "--root-avi", "missing.avi"],
                           f"splash_language_clip_{lang}", escape=True)
    check(result["clip"] == "1" and result["result"] == "2", f"language clip, Escape: {result}")
    # No clip anywhere: the still picture, the window the picture's size.
    result, state = splash_run(prefix, display, lang, [], f"splash_still_{lang}")
    check(result["clip"] == "0", "no clip without AVI attributes")
    check(result["result"] == "0" and 5800 <= int(result["elapsed"]) <= 9000,
          f"still picture closes after six seconds: {result}")
    _title, rect, _client = host_dialogs(state)[0]
    check(rect[2] - rect[0] == 450 and rect[3] - rect[1] == 340, f"window {rect}")
    # Neither clip nor picture: the system paints the splash, at its template size.
    result, _ = splash_run(prefix, display, lang, [], f"splash_without_picture_{lang}",
                           escape=True, bare=True)
    check(result["clip"] == "0" and result["result"] == "2", f"no picture, Escape: {result}")
    # Without a chosen language element nothing is opened, even with a root clip.
    result, _ = splash_run(prefix, display, lang, ["--root-avi", "splash.avi", "--no-language"],
                           f"splash_no_language_{lang}", escape=True)
    check(result["clip"] == "0" and result["result"] == "2", f"no language element: {result}")


def host_dialogs(state):
    out = []
    for value in state.get("dialog", []):
        title, rect, client = value.split("|")[:3]
        out.append((title, tuple(map(int, rect.split(","))), tuple(map(int, client.split(",")))))
    return out


CASES = [
    ("WelcomeContinueGives1008", welcome_continue),
    ("WelcomeStopQuestionGoBackThenExit", welcome_stop_question),
    ("StopQuestionAlone", confirm_alone),
    ("LicenceTextLoading", licence_cases),
    ("LicenceRejectAsksFirst", licence_reject),
    ("SplashClipOrStillPicture", splash_cases),
    ("ProgressTemplateAndPicture", progress_look),
]


def in_own_prefix(case, lang, locale):
    """The case under a display and in a prefix of its own."""
    def run():
        os.makedirs(SHOTS, exist_ok=True)
        with Display() as display, Prefix(display=display, lang=locale) as prefix:
            case(prefix, display, lang)
    return run


def all_cases():
    only = os.environ.get("SCREENS_ONLY")
    return [(f"{name}_{lang}", in_own_prefix(case, lang, locale))
            for lang, locale in (("en", "en_US.UTF-8"), ("fr", "fr_FR.UTF-8"))
            for name, case in CASES if not only or only in name]


if __name__ == "__main__":
    sys.exit(winetest.run_cases("screens_gui", all_cases(), sys.argv))
