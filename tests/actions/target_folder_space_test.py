#!/usr/bin/python3
"""Target folder choice on real small file systems.

Each scenario gets its own prefix whose drive letters are tmpfs file systems of chosen
sizes, mounted in a private mount namespace (the script re-runs itself under
`unshare --mount`), with their types set under HKLM\\Software\\Wine\\Drives. The system
drive C: is typed as a CD-ROM drive and Z: as a network drive, so that only the drives a
scenario adds can qualify. The probe program makes the choice and prints it; the
recorded "Installation_Directory" is read back with reg.
"""
import os
import re
import subprocess
import sys

import winetest

PROBE = os.path.join(winetest.build_dir(), "tests", "actions", "target_folder_probe.exe")
MIB = 1 << 20
PAGE = 4096
PRODUCT_KEY = r"HKLM\Software\VORDA\OrvalisTOOLKit"
SYSTEM_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion"
DRIVES_KEY = r"HKLM\Software\Wine\Drives"

# Just below 30 MiB (29.9 MiB, rounded down to whole pages), exactly 30 MiB, plenty.
LESS = int(29.9 * MIB) // PAGE * PAGE
EXACT = 30 * MIB
MORE = 100 * MIB


def enter_mount_namespace():
    if os.environ.get("ORTK_PRIVATE_MOUNTS") == "1":
        return
    if os.geteuid() != 0:
        sys.exit("target_folder_space_test: mounting the test drives needs root")
    env = dict(os.environ, ORTK_PRIVATE_MOUNTS="1")
    os.execvpe("unshare", ["unshare", "--mount", "--propagation", "private",
                           sys.executable, os.path.abspath(__file__)] + sys.argv[1:], env)


class Scenario:
    """A prefix whose drives are tmpfs mounts: drives maps a letter to (wine type, bytes)."""

    def __init__(self, drives, program_files, program_files_type="REG_SZ"):
        self.prefix = winetest.Prefix()
        self.mounts = []
        try:
            # One registry script for every value: each reg.exe run would start Wine anew.
            script = ["REGEDIT4", "", "[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]",
                      '"c:"="cdrom"', '"z:"="network"']
            for letter, (kind, size) in sorted(drives.items()):
                folder = os.path.join(self.prefix.root, "drive_" + letter)
                os.makedirs(folder)
                subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", folder],
                               check=True)
                self.mounts.append(folder)
                os.makedirs(os.path.join(folder, "Program Files"))
                os.symlink(folder, os.path.join(self.prefix.path, "dosdevices", letter + ":"))
                script.append(f'"{letter}:"="{kind}"')
            value = program_files.replace("\\", "\\\\")
            if program_files_type == "REG_EXPAND_SZ":
                data = ",".join(f"{b:02x}" for b in program_files.encode("latin-1") + b"\0")
                value_line = f'"ProgramFilesDir"=hex(2):{data}'
            else:
                value_line = f'"ProgramFilesDir"="{value}"'
            script += ["", "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]",
                       value_line, ""]
            self.prefix.reg_import("\r\n".join(script))
            # The mount manager reads the drive types when it starts: start it afresh.
            self.prefix.end_server()
        except BaseException:
            self.close()
            raise

    def probe(self, *args):
        out = self.prefix.run([PROBE] + list(args), timeout=60)
        return out.stdout.decode("latin-1").strip()

    def choose(self):
        match = re.fullmatch(r"result=(\d) path=(.*)", self.probe())
        assert match, "probe printed nothing usable"
        return match.group(1) == "1", match.group(2)

    def space(self, name):
        match = re.search(r"available=(\d+) ok=(\d) type=(\d+)", self.probe("--space", name))
        return int(match.group(1)), match.group(2) == "1", int(match.group(3))

    def recorded(self):
        value = self.prefix.reg_query(PRODUCT_KEY, "Installation_Directory")
        return value[1] if value else None

    def close(self):
        self.prefix.end_server()
        for folder in reversed(self.mounts):
            subprocess.run(["umount", folder], check=False)
        self.prefix.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def space_reported():
    with Scenario({"d": ("hd", LESS), "e": ("hd", EXACT), "f": ("floppy", MORE)},
                  r"D:\Program Files") as s:
        less, ok_less, type_less = s.space("D:")
        exact, ok_exact, _ = s.space(r"E:\Program Files")
        _, _, type_floppy = s.space("F:")
        _, _, type_c = s.space("C:")
        print(f"measured: D: {less} bytes, E:\\Program Files {exact} bytes, types D:{type_less} "
              f"F:{type_floppy} C:{type_c}")
        check(ok_less and ok_exact, "free space query failed")
        check(less < EXACT and less >> 20 == 29, f"D: should be just below 30 MiB: {less}")
        check(exact == EXACT, f"E: should have exactly 30 MiB available: {exact}")
        check((type_less, type_floppy, type_c) == (3, 2, 5), "drive types not applied")


def full_drive_gives_way():
    with Scenario({"e": ("hd", LESS), "d": ("hd", MORE)}, r"E:\Program Files") as s:
        chose = s.choose()
        check(chose == (True, "D:"), f"chose {chose}")
        recorded = s.recorded()
        check(recorded == "D:", f"recorded {recorded}")


def exactly_thirty_mib():
    with Scenario({"e": ("hd", EXACT)}, r"E:\Program Files") as s:
        chose = s.choose()
        check(chose == (True, r"E:\Program Files"), f"chose {chose}")
        recorded = s.recorded()
        check(recorded == r"E:\Program Files", f"recorded {recorded}")
    with Scenario({"e": ("hd", LESS), "d": ("hd", EXACT)}, r"E:\Program Files") as s:
        chose = s.choose()
        check(chose == (True, "D:"), f"chose {chose}")


def only_unfit_drives_left():
    with Scenario({"e": ("hd", LESS), "a": ("floppy", MORE), "f": ("cdrom", MORE),
                   "g": ("network", MORE)}, r"E:\Program Files") as s:
        chose = s.choose()
        check(chose == (False, r"E:\Program Files"), f"chose {chose}")
        recorded = s.recorded()
        check(recorded is None, f"recorded {recorded}")


def first_letter_wins():
    with Scenario({"a": ("floppy", MORE), "d": ("hd", LESS), "f": ("hd", MORE),
                   "g": ("hd", MORE)}, r"D:\Program Files") as s:
        chose = s.choose()
        check(chose == (True, "F:"), f"chose {chose}")
        recorded = s.recorded()
        check(recorded == "F:", f"recorded {recorded}")


def expandable_value_ignored():
    # The roomy E: named by an expandable value is not taken; the drive search decides.
    with Scenario({"e": ("hd", MORE), "d": ("hd", MORE)}, r"E:\Program Files",
                  "REG_EXPAND_SZ") as s:
        chose = s.choose()
        check(chose == (True, "D:"), f"chose {chose}")
        recorded = s.recorded()
        check(recorded == "D:", f"recorded {recorded}")


CASES = [
    ("FileSystemsReportTheirSizeAsAvailableSpace", space_reported),
    ("FullProgramFilesDriveGivesWayToAFixedDriveWithRoom", full_drive_gives_way),
    ("ExactlyThirtyMibIsEnough", exactly_thirty_mib),
    ("OnlyRemovableCdromOrNetworkDrivesLeftGivesFalse", only_unfit_drives_left),
    ("FirstQualifyingLetterWins", first_letter_wins),
    ("ExpandableProgramFilesDirIsIgnored", expandable_value_ignored),
]


if __name__ == "__main__":
    if "--list" not in sys.argv:
        enter_mount_namespace()
    sys.exit(winetest.run_cases("TargetFolderSpace", CASES, sys.argv))
