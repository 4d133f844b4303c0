#!/usr/bin/python3
"""The ways a run can end before the package runs: each row of the outcome table, from a
fresh prefix, with the final page and the error page observed through the shell."""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import winetest  # noqa: E402
from e2e_support import (KIT_FOLDER, CLIENT_KEY, PRODUCT_KEY, SYSTEM_KEY, TITLES, BIG_SCREEN,  # noqa: E402
                         SMALL_SCREEN, SetupRun, check, check_equal, go_through)

EN = TITLES["en"]


def medium_recorded(run, registry):
    disc = run.disc_path()
    check_equal(registry.data(CLIENT_KEY, "LocalContentRoot"), disc + "\\content", "LocalContentRoot")
    check_equal(registry.data(CLIENT_KEY, "LocalXMLPath"), disc + "\\xml", "LocalXMLPath")
    check_equal(registry.data(CLIENT_KEY, "BinaryRoot"), run.binary_root(), "BinaryRoot")
    check_equal(registry.data(CLIENT_KEY, "UninstallDisplayName"), "Vorda Orvalis Tool Kit Manager",
                "UninstallDisplayName")


def nothing_recorded(registry):
    for name in ("BinaryRoot", "LocalContentRoot", "InstalledLanguage", "ClientInstalled"):
        check(registry.get(CLIENT_KEY, name) is None, f"{name} written: {registry.get(CLIENT_KEY, name)}")
    check(registry.get(PRODUCT_KEY, "Installation_Directory") is None, "Installation_Directory written")


def stand_down():
    with SetupRun("stand-down") as run:
        run.register_kit(stand_down=1)
        run.start()
        check_equal(run.watch_until_exit(EN, timeout=40), 0, "exit code")
        check_equal(run.kinds(), [], "windows shown")
        check_equal(run.pages_opened(), [], "pages opened")
        nothing_recorded(run.registry())


def rights_key_not_writable():
    # HKLM\Software opens for reading only, as for a user without administrator rights.
    with SetupRun("rights-key") as run:
        tool = os.path.join(winetest.build_dir(), "tests", "e2e", "key_rights.exe")
        run.start(launcher=[tool, "Software"])
        check_equal(run.watch_until_exit(EN, timeout=60), 0, "exit code (1: key not locked)")
        check_equal(run.kinds(), ["splash"], "windows shown")
        check_equal(run.pages_opened(), [r"pages\en\error_rights.htm"], "pages opened")
        nothing_recorded(run.registry())


def rights_windows_folder_read_only():
    # The Windows folder on a read-only mount: no probe file can be created there.
    with SetupRun("rights-folder") as run:
        windows = run.prefix.c_path("windows")
        run.start(wrapper=f"mount --bind '{windows}' '{windows}' && "
                          f"mount -o remount,bind,ro '{windows}'")
        check_equal(run.watch_until_exit(EN, timeout=60), 0, "exit code")
        check_equal(run.kinds(), ["splash"], "windows shown")
        check_equal(run.pages_opened(), [r"pages\en\error_rights.htm"], "pages opened")
        check(not [n for n in os.listdir(windows) if n.endswith(".zpm")], "probe file left")
        nothing_recorded(run.registry())


def kit_current():
    with SetupRun("kit-current") as run:
        run.register_kit()
        run.start()
        check_equal(run.watch_until_exit(EN, timeout=60), 0, "exit code")
        check_equal(run.kinds(), ["splash"], "windows shown")
        check_equal(run.pages_opened(), [r"pages\en\welcome_back.htm"], "pages opened")
        registry = run.registry()
        medium_recorded(run, registry)
        check(registry.get(CLIENT_KEY, "ClientInstalled") is None, "ClientInstalled written")
        check(registry.get(PRODUCT_KEY, "Installation_Directory") is None,
              "Installation_Directory written")


def kit_current_without_page():
    # A description whose section names no after-first-visit page: nothing opens, and no
    # file window shows the disc's folder either.
    with SetupRun("kit-current-no-page") as run:
        run.own_disc(lambda text: text.replace(
            'AFTER_FIRSTVISIT="pages\\en\\welcome_back.htm"', ""))
        run.register_kit()
        run.start()
        check_equal(run.watch_until_exit(None, timeout=60), 0, "exit code")
        check_equal(run.kinds(), ["splash"], "windows shown")
        check_equal(run.launches(), [], "programs started")
        check_equal(winetest.find_windows(run.display, "."), [], "windows left open")
        medium_recorded(run, run.registry())


def no_drive_with_room():
    # The program files folder on a small volume, the other drives a network drive and the
    # disc's CD-ROM drive: no place has 30 MiB.
    with SetupRun("no-room") as run:
        small = os.path.join(run.prefix.root, "small")
        os.makedirs(small)
        os.symlink(small, os.path.join(run.prefix.path, "dosdevices", "d:"))
        run.reg_value(r"HKEY_LOCAL_MACHINE\Software\Wine\Drives", "c:", "network")
        run.reg_value(r"HKEY_LOCAL_MACHINE\Software\Wine\Drives", "z:", "cdrom")
        run.reg_value(SYSTEM_KEY, "ProgramFilesDir", r"D:\Program Files")
        run.start(wrapper=f"mount -t tmpfs -o size=8m ortk-small '{small}' && "
                          f"mkdir -p '{small}/Program Files'")
        check_equal(run.watch_until_exit(EN, timeout=60), 0, "exit code")
        check_equal(run.kinds(), ["splash"], "windows shown")
        check_equal(run.pages_opened(), [r"pages\en\error.htm"], "pages opened")
        registry = run.registry()
        medium_recorded(run, registry)
        check(registry.get(PRODUCT_KEY, "Installation_Directory") is None,
              "Installation_Directory written")
        check("\tNot enough disk space\r\n" in (run.log_text() or ""), "log line missing")


def welcome_declined():
    with SetupRun("welcome-declined") as run:
        run.start()
        check(go_through(run, welcome="stop") is None, "went past the welcome screen")
        check_equal(run.wait_exit(), 0, "exit code")
        check_equal(run.kinds(), ["welcome", "question"], "screens")
        check_equal(run.pages_opened(), [], "pages opened")
        registry = run.registry()
        medium_recorded(run, registry)
        check_equal(registry.data(PRODUCT_KEY, "Installation_Directory"),
                    KIT_FOLDER, "Installation_Directory")
        check(registry.get(CLIENT_KEY, "InstalledLanguage") is None, "InstalledLanguage written")


def licence_declined():
    with SetupRun("licence-declined") as run:
        run.start()
        check(go_through(run, licence="stop") is None, "went past the licence screen")
        check_equal(run.wait_exit(), 0, "exit code")
        check_equal(run.kinds(), ["welcome", "licence", "question"], "screens")
        check_equal(run.pages_opened(), [], "pages opened")
        registry = run.registry()
        check(registry.get(CLIENT_KEY, "InstalledLanguage") is None, "InstalledLanguage written")
        check(registry.get(CLIENT_KEY, "ClientHandle") is None, "the progress screen opened")


def package_missing():
    # The progress screen ends with IDCANCEL when the package cannot be started: the run
    # ends like a cancelled one, with nothing to report.
    with SetupRun("package-missing") as run:
        run.own_disc(lambda text: text.replace('PACKAGE="package\\OrvalisKit.exe"',
                                               'PACKAGE="package\\Missing.exe"'))
        run.start()
        go_through(run, progress="unseen")
        check_equal(run.wait_exit(), 0, "exit code")
        check_equal(run.pages_opened(), [], "pages opened")
        registry = run.registry()
        check(registry.data(CLIENT_KEY, "ClientHandle"), "the progress screen did not open")
        check_equal(registry.data(CLIENT_KEY, "InstalledLanguage"), 0x0409, "InstalledLanguage")
        check(registry.get(CLIENT_KEY, "ClientInstalled") is None, "ClientInstalled written")
        check("\tSpawning process failed \r\n" in (run.log_text() or ""), "start failure not logged")


def started_twice(apart):
    # A double click twice on the disc's menu: one copy ends at once, whether the other has
    # its window yet or not, and only the other shows screens. Of two starts a few
    # hundredths of a second apart, either may be the one that goes on.
    def case():
        with SetupRun(f"started-twice-{round(apart * 1000)}ms") as run:
            run.start()
            time.sleep(apart)
            copies = [run.proc, run.start_another()]
            end = time.time() + 20
            while all(p.poll() is None for p in copies) and time.time() < end:
                time.sleep(0.05)
            ended = [p for p in copies if p.poll() is not None]
            if not ended:
                copies[1].kill()
                raise AssertionError("neither copy ended: two set-ups side by side")
            check_equal(len(ended), 1, "copies that ended at once")
            check_equal(ended[0].returncode, 0, "exit code of the copy that ended")
            run.proc = copies[1] if ended[0] is copies[0] else copies[0]
            check(go_through(run, welcome="stop") is None, "went past the welcome screen")
            check_equal(run.wait_exit(), 0, "exit code")
            check_equal(run.kinds(), ["welcome", "question"], "screens")
            check_equal(run.pages_opened(), [], "pages opened")
    return case


CASES = [
    ("StandDownAnswersTrue", stand_down),
    ("RightsCheckFailsOnReadOnlySoftwareKey", rights_key_not_writable),
    ("RightsCheckFailsOnReadOnlyWindowsFolder", rights_windows_folder_read_only),
    ("KitCurrentOpensAfterFirstVisitOnly", kit_current),
    ("KitCurrentWithoutPageOpensNothing", kit_current_without_page),
    ("NoDriveWithRoomOpensDefaultErrorPage", no_drive_with_room),
    ("WelcomeDeclinedEndsQuietly", welcome_declined),
    ("LicenceDeclinedEndsQuietly", licence_declined),
    ("PackageThatCannotStartEndsQuietly", package_missing),
    ("StartedTwice30msApartRunsOnce", started_twice(0.03)),
    ("StartedTwice300msApartRunsOnce", started_twice(0.3)),
    ("StartedTwice1sApartRunsOnce", started_twice(1.0)),
]


if __name__ == "__main__":
    sys.exit(winetest.run_cases("e2e_outcomes", CASES, sys.argv))
