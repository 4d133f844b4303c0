#!/usr/bin/python3
"""Runs that reach the package installer: a completed installation, one cancelled on the
progress screen, and the whole run forced with -R over a kit that is already current."""
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import winetest  # noqa: E402
from e2e_support import (KIT_FOLDER, PROGRAM_FILES, SYSTEM_FOLDER, CLIENT_KEY, PRODUCT_KEY, SAMPLE_PACKAGE_KEY, TITLES,  # noqa: E402
                         SetupRun, check, check_equal, go_through)

SHARED_DLLS = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs"


def image_help_count(registry):
    for name, (kind, data) in registry.values(SHARED_DLLS).items():
        if name.endswith("\\imagehlp.dll"):
            return data
    return None


def completed():
    # A German user: the disc has no German screens, so the English section is used, while
    # the language recorded stays the user's own.
    with SetupRun("completed", lang="de_DE.UTF-8") as run:
        run.put_on_desktop("Install Vorda Orvalis Tool Kit.lnk")
        # A tray program where the kit will go: with no earlier installation recorded, the
        # set-up has no reason to start it.
        kit = run.prefix.c_path(PROGRAM_FILES, "Vorda", "OrvalisToolkit")
        os.makedirs(kit)
        shutil.copy(os.path.join(winetest.build_dir(), "tests", "support", "recorder.exe"),
                    os.path.join(kit, "vxtray.exe"))
        # Someone else's file under the rights check's first probe name.
        taken = run.prefix.c_path("windows", "bw3e8.zpm")
        with open(taken, "wb") as f:
            f.write(b"not the set-up's")
        taken_time = os.stat(taken).st_mtime_ns
        run.start()
        go_through(run)
        check_equal(run.wait_exit(), 0, "exit code")
        check_equal(run.kinds(), ["welcome", "licence", "progress"], "screens")
        check_equal(run.pages_opened(), [r"pages\en\first_visit.htm"], "pages opened")
        check_equal(len(run.launches()), 1, f"programs started: {run.launches()}")
        with open(taken, "rb") as f:
            check(f.read() == b"not the set-up's" and os.stat(taken).st_mtime_ns == taken_time,
                  "the taken probe name was changed")
        for folder in (("windows",), ("windows", SYSTEM_FOLDER), (PROGRAM_FILES,)):
            left = [n for n in os.listdir(run.prefix.c_path(*folder))
                    if n.endswith(".zpm") and n != "bw3e8.zpm"]
            check(not left, f"probe files left in {folder}: {left}")
        registry = run.registry()
        check_equal(registry.data(CLIENT_KEY, "ClientInstalled"), 1, "ClientInstalled")
        check_equal(registry.data(CLIENT_KEY, "InstalledLanguage"), 0x0407, "InstalledLanguage")
        check_equal(registry.data(PRODUCT_KEY, "Installation_Directory"), KIT_FOLDER,
                    "Installation_Directory")
        check_equal(registry.data(SAMPLE_PACKAGE_KEY, "CommandLine"), " -r -s", "package command line")
        check((image_help_count(registry) or 0) >= 10, "ImageHlp.dll count below 10")
        desktop = run.desktop_files()
        check("Vorda Orvalis Tool Kit.lnk" in desktop and
              "Install Vorda Orvalis Tool Kit.lnk" not in desktop, f"desktop: {desktop}")
        # The package installed into the kit folder.
        check("ReadMe.txt" in os.listdir(kit), "nothing installed in the kit folder")
        log = run.log_text() or ""
        check("Desktopwindow cannot find" not in log, "shortcut reported missing")


def progress_cancelled():
    with SetupRun("progress-cancelled") as run:
        run.put_on_desktop("Install Vorda Orvalis Tool Kit.lnk")
        run.package_mode("long", seconds=40, cleanup_seconds=1)
        run.start()
        go_through(run, progress="cancel")
        started = time.time()
        check_equal(run.wait_exit(), 0, "exit code")
        check(time.time() - started < 35, "the package was not stopped by the cancel request")
        check_equal(run.kinds(), ["welcome", "licence", "progress", "question"], "screens")
        check_equal(run.pages_opened(), [], "pages opened")
        registry = run.registry()
        check_equal(registry.data(CLIENT_KEY, "CancelPressed"), 4, "CancelPressed")
        check_equal(registry.data(CLIENT_KEY, "InstalledLanguage"), 0x0409, "InstalledLanguage")
        check(registry.get(CLIENT_KEY, "ClientInstalled") is None, "ClientInstalled written")
        check("Install Vorda Orvalis Tool Kit.lnk" in run.desktop_files(), "shortcut retitled")


def forced_over_current_kit():
    # A Canadian French user, who gets the French screens and the Canadian pages. No
    # installation shortcut on the desktop this time: only the log notices. The disc sits
    # in a folder named with a "-" that the test controls, wherever the checkout lies: the
    # program's own path must not hide the switch.
    with SetupRun("forced", lang="fr_CA.UTF-8") as run:
        run.own_disc(folder="CD-ROM")
        run.register_kit()
        run.start(["-R"])
        go_through(run, lang="fr")
        check_equal(run.wait_exit(), 0, "exit code")
        check_equal(run.kinds(), ["welcome", "licence", "progress"], "screens")
        check_equal(run.pages_opened(), [r"pages\fr-ca\premiere_visite.htm"], "pages opened")
        registry = run.registry()
        check_equal(registry.data(CLIENT_KEY, "ClientInstalled"), 1, "ClientInstalled")
        check_equal(registry.data(CLIENT_KEY, "InstalledLanguage"), 0x0C0C, "InstalledLanguage")
        check("\tDesktopwindow cannot find or No lnk file found\r\n" in (run.log_text() or ""),
              "missing shortcut not logged")


CASES = [
    ("CompletedOpensFirstVisit", completed),
    ("ProgressCancelledEndsQuietly", progress_cancelled),
    ("ForcedRunOverCurrentKitInstalls", forced_over_current_kit),
]


if __name__ == "__main__":
    sys.exit(winetest.run_cases("e2e_package_runs", CASES, sys.argv))
