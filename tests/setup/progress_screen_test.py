#!/usr/bin/python3
"""The progress screen end to end under Wine: the screen host shows it owned by a hidden
window, the sample package installer runs under it, and real mouse clicks on the painted
faces answer it. Every run has its own prefix and Xvfb display.
"""
import os
import shutil
import sys
import time

import winetest

BUILD = winetest.build_dir()
CLIENT_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisToolKit\ClientInstall"
PRODUCT_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisTOOLKIT"
SAMPLE_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisToolKit\SamplePackage"
SCRIPT_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisToolKit\ScriptCheck"
INSTALL_DIR = r"C:\Program Files\Vorda\OrvalisToolkit"
PACKAGE = r"package\OrvalisKit.exe"
TITLE = "Vorda Orvalis"  # both the English and the French title
PROCEED, CANCEL = 1008, 2

# Client size of the screen and of the stop question: bitmaps of 389 x 283, one pixel less.
CLIENT_W, CLIENT_H = 388, 282
CANCEL_FACE = (140 + 54, 222 + 19)
QUESTION_EXIT_FACE = (225 + 54, 233 + 19)
QUESTION_BACK_FACE = (106 + 54, 233 + 19)
BAR = (72, 149, 289, 20)
SHOTS = os.path.join(BUILD, "screenshots", "progress")


class Run:
    """One set-up medium in a fresh prefix, the screen host started from it."""

    def __init__(self, name, mode="normal", seconds=2, cleanup=2, package=PACKAGE,
                 lang="en", scripts=None, planted=False):
        self.name = name
        self.proc = None
        self.display = winetest.Display()
        try:
            self.prefix = winetest.Prefix(display=self.display,
                                          lang="fr_CA.UTF-8" if lang == "fr" else None)
        except Exception:
            self.display.close()
            raise
        try:
            self._start(mode, seconds, cleanup, package, lang, scripts, planted)
        except Exception:
            self.close()
            raise

    def _start(self, mode, seconds, cleanup, package, lang, scripts, planted):
        self.disc = self.prefix.c_path("Set-up Medium Of The Kit")
        os.makedirs(os.path.join(self.disc, "lang"))
        os.makedirs(os.path.join(self.disc, "package"))
        shutil.copy(os.path.join(BUILD, "tests", "setup", "progress_host.exe"), self.disc)
        shutil.copy(os.path.join(BUILD, "lang", f"ortk_{lang}.dll"),
                    os.path.join(self.disc, "lang"))
        for program in ("OrvalisKit.exe", "_ISDel.exe"):
            shutil.copy(os.path.join(BUILD, "package", program),
                        os.path.join(self.disc, "package"))
        if planted:
            self.plant()
        for script, text in (scripts or {}).items():
            with open(os.path.join(self.disc, script), "w", newline="\r\n") as out:
                out.write(text)
        self.prefix.reg_import(
            "REGEDIT4\n\n"
            f"[{CLIENT_KEY}]\n\"DEBUG\"=dword:00000001\n\n"
            f"[{PRODUCT_KEY}]\n\"Installation_Directory\"=\"{INSTALL_DIR.replace(chr(92), chr(92) * 2)}\"\n\n"
            f"[{SAMPLE_KEY}]\n\"Mode\"=\"{mode}\"\n\"Seconds\"=dword:{seconds:08x}\n"
            f"\"CleanupSeconds\"=dword:{cleanup:08x}\n")
        self.proc = self.prefix.start(
            [os.path.join(self.disc, "progress_host.exe"), rf"lang\ortk_{lang}.dll", package],
            cwd=self.disc)
        self.started = time.time()

    PLANTED_LIBRARIES = ("PSAPI.DLL", "VDMDBG.DLL", "uxtheme.dll")

    def plant(self):
        """Copies that must never run next to the host, which is also the current folder:
        libraries that leave "<name>.loaded" when loaded (whether imported at start or
        loaded by name later), and a registry editor that is the sample package again,
        which would overwrite the recorded "CommandLine"."""
        marker = os.path.join(BUILD, "tests", "setup", "entry_planted_library.dll")
        for name in self.PLANTED_LIBRARIES:
            shutil.copy(marker, os.path.join(self.disc, name))
        shutil.copy(os.path.join(BUILD, "package", "OrvalisKit.exe"),
                    os.path.join(self.disc, "Regedit.exe"))

    def planted_marks(self):
        return [n for n in os.listdir(self.disc) if n.endswith(".loaded")]

    # -- the screen ---------------------------------------------------------------------------
    def screen(self, timeout=30):
        return winetest.wait_window(self.display, TITLE, timeout=timeout)

    def visible_screens(self):
        return winetest.find_windows(self.display, TITLE)

    def click_face(self, window, face):
        x, y = winetest.client_origin(self.display, window, CLIENT_W, CLIENT_H)
        winetest.click(self.display, x + face[0], y + face[1])

    def new_window(self, known, timeout=10):
        end = time.time() + timeout
        while time.time() < end:
            fresh = [w for w in self.visible_screens() if w not in known]
            if fresh:
                return fresh[-1]
            time.sleep(0.1)
        return None

    def screenshot(self, label):
        return self.display.screenshot(os.path.join(SHOTS, f"{self.name}-{label}.png"))

    def bar_is_full(self, window, label):
        """Black at the right end of the bar (its background is a light lilac)."""
        from PIL import Image
        path = self.screenshot(label)
        x, y = winetest.client_origin(self.display, window, CLIENT_W, CLIENT_H)
        pixel = Image.open(path).convert("RGB").getpixel(
            (x + BAR[0] + BAR[2] - 5, y + BAR[1] + BAR[3] // 2))
        return max(pixel) < 60

    # -- the processes of this prefix ------------------------------------------------------
    def wait_gone(self, program, timed=False, timeout=90):
        """(after, by): the program ended after the start of the last look that still saw it
        and by the end of the look that did not. A timed program that was already gone at the
        first look ended at some unknown time before: that fails, as nothing can be timed."""
        end = time.time() + timeout
        after = None
        while time.time() < end:
            looked = time.time()
            if not self.prefix.running(program):
                check(after is not None or not timed,
                      program + " had ended before the test looked for it")
                return after, time.time()
            after = looked
            time.sleep(0.1)
        raise TimeoutError(program + " still running")

    def wait_package_and_cleanup(self, timed=False):
        """Waits until the package installer and then its clean-up program have ended; when
        the clean-up program ended, as wait_gone gives it."""
        self.wait_gone("OrvalisKit.exe")
        return self.wait_gone("_ISDel.exe", timed)

    def result(self, timeout=120):
        """The screen's result as the host printed it (exit codes lose all but 8 bits)."""
        out, _ = self.proc.communicate(timeout=timeout)
        for line in out.decode("latin-1").splitlines():
            if line.startswith("result "):
                return int(line.split()[1])
        raise AssertionError(f"no result from the host (exit {self.proc.returncode})")

    # -- what the run left behind -------------------------------------------------------------
    def client_value(self, name):
        value = self.prefix.reg_query(CLIENT_KEY, name)
        return value[1] if value else None

    def log(self):
        # %TEMP% of the prefix's user (where it lies depends on the Wine version)
        for folder in (os.path.join(self.prefix.user_dir, "Temp"), self.prefix.temp_dir()):
            path = os.path.join(folder, "ErrorLog.txt")
            if os.path.exists(path):
                with open(path, "rb") as f:
                    return f.read().decode("latin-1")
        return ""

    def installed_files(self):
        folder = self.prefix.c_path("Program Files", "Vorda", "OrvalisToolkit")
        return sorted(os.listdir(folder)) if os.path.isdir(folder) else []

    def close(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
        self.prefix.close()
        self.display.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def package_without_status():
    dev_reg = ("REGEDIT4\n\n[" + SCRIPT_KEY + "]\n\"FromDev\"=\"imported\"\n")
    # Only what is quick comes before the package ends: the pause after it is timed.
    with Run("no-status", mode="silent", seconds=4, cleanup=2,
                scripts={"Dev.REG": dev_reg}, planted=True) as run:
        screen = run.screen()
        time.sleep(0.5)
        run.screenshot("en-running")
        check(not run.bar_is_full(screen, "en-start"), "bar full at the start")
        cleanup_end = run.wait_package_and_cleanup(timed=True)
        time.sleep(1.5)
        check(screen in run.visible_screens(),
              "screen closed before the pause" +
              (" (the host has ended)" if run.proc.poll() is not None else " (the host runs)"))
        check(run.bar_is_full(screen, "en-full"), "bar not full after the run")
        winetest.wait_window(run.display, TITLE, timeout=15, gone=True)
        closed = time.time()
        pause = (closed - cleanup_end[1], closed - cleanup_end[0])
        check(pause[1] >= 3.5 and pause[0] <= 8.5,
              f"screen closed {pause[0]:.1f} to {pause[1]:.1f} s after the clean-up program")
        check(run.result() == PROCEED, "result is not IDC_PROCEED")
        check(run.client_value("ClientHandle"), "no ClientHandle written")
        check(run.client_value("CancelPressed") == 0, "CancelPressed not 0 with no cancel")
        check(run.client_value("InstallStatus") is None, "a status was recorded")
        check(run.installed_files() == ["Components.txt", "OrvalisToolKit.ini", "ReadMe.txt"],
              f"installed files: {run.installed_files()}")
        end = time.time() + 10  # the set-up does not wait for the registry editor
        while run.prefix.reg_query(SCRIPT_KEY, "FromDev") is None and time.time() < end:
            time.sleep(0.3)
        value = run.prefix.reg_query(SCRIPT_KEY, "FromDev")
        check(value == ("REG_SZ", "imported"), f"Dev.REG value: {value}")
        value = run.prefix.reg_query(SAMPLE_KEY, "CommandLine")
        check(value and value[1] == "-r -s", f"package command line (or a planted editor's): {value}")
        check(run.planted_marks() == [], f"planted libraries loaded: {run.planted_marks()}")


def cancel_confirmed():
    with Run("cancel-confirmed", mode="long", seconds=60, cleanup=4) as run:
        screen = run.screen()
        time.sleep(1.5)
        run.click_face(screen, CANCEL_FACE)
        question = run.new_window([screen])
        check(question is not None, "no stop question")
        run.screenshot("en-question")
        check(run.client_value("CancelPressed") == 3, "CancelPressed not 3 while asking")
        run.click_face(question, QUESTION_EXIT_FACE)
        winetest.wait_window(run.display, TITLE, timeout=1.5, gone=True)
        check(run.client_value("CancelPressed") == 4, "CancelPressed not 4 after confirming")
        check(run.prefix.running("_ISDel.exe") or run.prefix.running("OrvalisKit.exe"),
              "the package and its clean-up program are already gone")
        check(run.proc.poll() is None, "the set-up ended before the package")
        cleanup_end = run.wait_package_and_cleanup(timed=True)
        check(run.result() == CANCEL, "result is not IDCANCEL")
        check(time.time() - cleanup_end[0] > 3, "the screen did not wait the pause after the run")
        check(run.prefix.reg_query(SAMPLE_KEY, "Result") == ("REG_SZ", "cancelled"),
              "the package did not stop early")
        check(run.installed_files() == [], "files installed despite the cancel")


def cancel_declined():
    with Run("cancel-declined", seconds=4, cleanup=1) as run:
        screen = run.screen()
        time.sleep(1.0)
        run.click_face(screen, CANCEL_FACE)
        question = run.new_window([screen])
        check(question is not None, "no stop question")
        check(run.client_value("CancelPressed") == 3, "CancelPressed not 3 while asking")
        run.click_face(question, QUESTION_BACK_FACE)
        time.sleep(0.5)
        check(run.client_value("CancelPressed") == 0, "CancelPressed not 0 after going back")
        check(run.visible_screens() == [screen], "the progress screen is not back alone")
        check(run.result() == PROCEED, "result is not IDC_PROCEED")
        check(len(run.installed_files()) == 3, "the package did not finish")


def cancel_after_commit():
    with Run("cancel-committed", seconds=1, cleanup=8) as run:
        screen = run.screen()
        end = time.time() + 20
        while run.client_value("InstallStatus") not in (3, 4) and time.time() < end:
            time.sleep(0.3)
        check(run.client_value("InstallStatus") in (3, 4), "no status 3 from the package")
        check(not run.bar_is_full(screen, "committed-before"), "bar full before the cancel")
        run.click_face(screen, CANCEL_FACE)
        check(run.new_window([screen], timeout=1.5) is None, "a stop question was asked")
        check(run.bar_is_full(screen, "committed-after"), "bar not filled by the cancel")
        check(run.client_value("CancelPressed") == 0, "CancelPressed changed")
        check(run.result() == PROCEED, "result is not IDC_PROCEED")


def empty_package():
    with Run("empty", package="") as run:
        check(run.result(timeout=30) == CANCEL, "result is not IDCANCEL")
        check("Spawning process failed " in run.log(), "no log line: " + run.log())


def status_five_in_french():
    with Run("status5", mode="status5", seconds=2, cleanup=1, lang="fr") as run:
        screen = run.screen()
        time.sleep(0.5)
        run.screenshot("fr-running")
        run.wait_package_and_cleanup()
        time.sleep(1.0)
        check(run.bar_is_full(screen, "fr-full"), "bar not full after the run")
        check(run.result() == PROCEED, "result is not IDC_PROCEED")
        check(run.client_value("InstallStatus") == 5, "InstallStatus is not 5")
        check("You may have to restart" in run.log(), "no restart line: " + run.log())


def crashing_package():
    with Run("crash", mode="crash") as run:
        check(run.result(timeout=60) == PROCEED, "result is not IDC_PROCEED")
        check(run.prefix.reg_query(SAMPLE_KEY, "Result") == ("REG_SZ", "crashed"),
              "the package did not run")


CASES = [
    ("EmptyPackageCannotStartAndCancels", empty_package),
    ("PackageWithoutStatusProceedsWithFullBarAndImportsDevScript", package_without_status),
    ("CancelConfirmedHidesTheScreenAndWaitsForThePackage", cancel_confirmed),
    ("CancelDeclinedGoesBackAndTheRunDecides", cancel_declined),
    ("CancelAfterStatusThreeAsksNothingAndFillsTheBar", cancel_after_commit),
    ("StatusFiveAsksForARestartInTheLog", status_five_in_french),
    ("CrashingPackageDoesNotHangTheRun", crashing_package),
]


if __name__ == "__main__":
    sys.exit(winetest.run_cases("ProgressScreen", CASES, sys.argv))
