#!/usr/bin/python3
"""Broken and hostile discs, packages and machines: one table, one runner.

Every row makes its disc from the sample disc (a hard-linked copy; a changed file is
replaced, never written through the link), prepares its machine, runs the set-up along one
road and compares what it saw with the outcome the row expects. Each row is a test case of
its own (ctest runs them side by side), with its own display and prefix. Whatever the row,
a run must end, with exit code 0, without a crash report, with no window left and with the
disc unchanged.
"""
import os
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import winetest  # noqa: E402
from e2e_support import (CLIENT_KEY, PRODUCT_KEY, SYSTEM_KEY, SAMPLE_PACKAGE_KEY, TITLES,  # noqa: E402
                         BIG_SCREEN, SMALL_SCREEN, STOP, QUESTION_EXIT, SetupRun, check, check_equal,
                         go_through, disc_dir)

EN = TITLES["en"]
DESCRIPTION = "cd_client.qxml"
LIBRARY = r"lang\ortk_en.dll"
ERROR_PAGE = r"pages\en\error.htm"
RIGHTS_PAGE = r"pages\en\error_rights.htm"
FIRST_VISIT = r"pages\en\first_visit.htm"
WELCOME_BACK = r"pages\en\welcome_back.htm"
CRASH_SIGNS = ("Unhandled exception", "Unhandled page fault", "winedbg", "Backtrace:")
RT_BITMAP, RT_DIALOG, RT_STRING = 2, 5, 6
# A dialog template (no controls) whose window class no one registers: it cannot be created.
UNCREATABLE_TEMPLATE = (struct.pack("<IIHhhhhH", 0x80C00000, 0, 0, 0, 0, 100, 100, 0)
                        + "NoSuchScreen\0\0".encode("utf-16-le") + b"\0\0")


# -- the disc of a row ------------------------------------------------------------------------
def sample_description():
    with open(os.path.join(disc_dir(), DESCRIPTION), encoding="cp1252") as f:
        return f.read()


def put(disc, name, data):
    """Replaces (or adds) one file of a hard-linked disc without touching the sample."""
    path = os.path.join(disc, *name.split("\\"))
    if os.path.lexists(path):
        os.unlink(path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data.encode("cp1252") if isinstance(data, str) else data)


def drop(name):
    return lambda run, disc: os.unlink(os.path.join(disc, *name.split("\\")))


def folder(name):
    def make(run, disc):
        drop(name)(run, disc)
        os.makedirs(os.path.join(disc, *name.split("\\")))
    return make


def content(name, data):
    return lambda run, disc: put(disc, name, data)


def description(edit, encoding="cp1252"):
    """The description text changed by edit(text), written in the encoding given."""
    return lambda run, disc: put(disc, DESCRIPTION, edit(sample_description()).encode(encoding))


def replace_in(old, new):
    return description(lambda text: text.replace(old, new))


def nested(text, depth=100000):
    return text.replace("</CD_CLIENT>", "<DEEP>" * depth + "</DEEP>" * depth + "</CD_CLIENT>")


def billion_laughs(text):
    entities = '<!ENTITY lol0 "lol">' + "".join(
        f'<!ENTITY lol{i} "{("&lol%d;" % (i - 1)) * 10}">' for i in range(1, 10))
    text = text.replace("<CD_CLIENT ", f"<!DOCTYPE CD_CLIENT [{entities}]>\n<CD_CLIENT ", 1)
    return text.replace('XML_ROOT="xml"', 'XML_ROOT="&lol9;"')


def many_attributes(text):
    attributes = " ".join(f'a{i}="{"x" * 90}"' for i in range(105000))
    return text.replace("</CD_CLIENT>", f"<PAD {attributes}/></CD_CLIENT>")


def many_error_pages(text):
    pages = "".join(f'<ERROR_PAGE KEY="0x{0x80000000 + i:x}" PATH="pages\\en\\none{i}.htm"/>\n'
                    for i in range(100000))
    return text.replace('<ERROR_PAGE KEY="DEFAULT"', pages + '<ERROR_PAGE KEY="DEFAULT"', 1)


def parent_in_every_path(text):
    for name in ("RESOURCEDLL", "PACKAGE", "LICENSE", "FIRSTVISIT", "AFTER_FIRSTVISIT", "STARTPAGE",
                 "REGPAGE", "INFOPAGE", "PATH", "XML_ROOT", "CONTENT_ROOT", "AVI"):
        text = text.replace(f' {name}="', f' {name}="..\\disc\\')
    return text


def non_ascii_folder(run, disc):
    os.makedirs(os.path.join(disc, "pagés", "en"))
    os.link(os.path.join(disc, "pages", "en", "welcome_back.htm"),
            os.path.join(disc, "pagés", "en", "welcome_back.htm"))
    text = sample_description().replace('encoding="windows-1252"', 'encoding="UTF-8"')
    text = text.replace('AFTER_FIRSTVISIT="pages\\en', 'AFTER_FIRSTVISIT="pagés\\en')
    put(disc, DESCRIPTION, text.encode("utf-8-sig"))


def deep_folder(run, disc):
    """The disc moved down folders until the program's own path passes 260 bytes."""
    deep = disc
    while len(winetest.to_windows_path(os.path.join(deep, "setup.exe"))) <= 270:
        deep = os.path.join(deep, "a folder on a deeply nested disc copy")
    moved = disc + ".moving"
    os.rename(disc, moved)
    os.makedirs(os.path.dirname(deep))
    os.rename(moved, deep)
    run.disc = deep


def library_edit(*operations):
    """Runs resource_edit over a private copy of the language library. An operation is
    ("put", type, id, bytes), ("drop", type, id), ("strings", first, last) or
    ("retext", type, id, old, new)."""
    def make(run, disc):
        path = os.path.join(disc, *LIBRARY.split("\\"))
        private = path + ".new"
        shutil.copyfile(path, private)
        tool = os.path.join(winetest.build_dir(), "tests", "e2e", "resource_edit.exe")
        work = os.path.join(run.prefix.root, "resource")
        os.makedirs(work, exist_ok=True)
        args = []
        for op in operations:
            if op[0] == "put":
                args.append(f"put:{op[1]}:{op[2]}:{put_resource(work, op[2], op[3])}")
            elif op[0] == "drop":
                args.append(f"delete:{op[1]}:{op[2]}")
            elif op[0] == "strings":
                for block in range(op[1] // 16 + 1, op[2] // 16 + 2):
                    data = edit_resource(run, tool, private, work, RT_STRING, block)
                    args.append(f"put:{RT_STRING}:{block}:{put_resource(work, block, without_strings(data, block, op[1], op[2]))}")
            elif op[0] == "retext":
                data = edit_resource(run, tool, private, work, op[1], op[2])
                old, new = op[3].encode("utf-16-le"), op[4].encode("utf-16-le")
                check(old in data and len(old) == len(new), f"no {op[3]!r} in resource {op[2]}")
                args.append(f"put:{op[1]}:{op[2]}:{put_resource(work, op[2], data.replace(old, new, 1))}")
        out = run.prefix.run([tool, winetest.to_windows_path(private)] + args)
        check(out.returncode == 0, f"resource_edit failed: {out.stderr.decode(errors='replace')}")
        os.replace(private, path)
    return make


def edit_resource(run, tool, library, work, kind, ident):
    os.makedirs(work, exist_ok=True)
    path = os.path.join(work, f"{kind}-{ident}.bin")
    out = run.prefix.run([tool, winetest.to_windows_path(library),
                          f"get:{kind}:{ident}:{winetest.to_windows_path(path)}"])
    check(out.returncode == 0, f"resource {kind}:{ident} not read")
    with open(path, "rb") as f:
        return f.read()


def put_resource(work, ident, data):
    path = os.path.join(work, f"put-{ident}.bin")
    with open(path, "wb") as f:
        f.write(data)
    return winetest.to_windows_path(path)


def without_strings(block_data, block, first, last):
    """A string-table block with the entries first..last emptied."""
    out, offset = b"", 0
    for index in range(16):
        length = struct.unpack_from("<H", block_data, offset)[0]
        text = block_data[offset + 2:offset + 2 + 2 * length]
        offset += 2 + 2 * length
        if first <= (block - 1) * 16 + index <= last:
            text = b""
        out += struct.pack("<H", len(text) // 2) + text
    return out


def other_processor(run, disc):
    """The library marked for the other processor than the program's: x86-64 for the
    32-bit program, i386 for the 64-bit build of the tests."""
    path = os.path.join(disc, *LIBRARY.split("\\"))
    with open(path, "rb") as f:
        data = bytearray(f.read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    wide = machine != 0x8664                          # IMAGE_FILE_MACHINE_AMD64
    struct.pack_into("<H", data, pe + 4, 0x8664 if wide else 0x14C)
    struct.pack_into("<H", data, pe + 24, 0x20B if wide else 0x10B)  # PE32+ or PE32 header
    put(disc, LIBRARY, bytes(data))


def unplayable_clip(run, disc):
    """The splash clip with its video stream marked as Motion JPEG, which the animation
    control does not decode."""
    with open(os.path.join(disc, "splash.avi"), "rb") as f:
        data = bytearray(f.read())
    strh = data.index(b"strh")
    data[strh + 12:strh + 16] = b"MJPG"
    strf = data.index(b"strf")
    data[strf + 8 + 16:strf + 8 + 20] = b"MJPG"
    put(disc, "splash.avi", bytes(data))


# -- the machine of a row ----------------------------------------------------------------------
def reg(key, name, data):
    return lambda run: run.reg_value(key, name, data)


def reg_text(text):
    return lambda run: run.reg_lines(text)


def package(mode, seconds=None):
    return lambda run: run.package_mode(mode, seconds)


def kit_current(run):
    run.register_kit()


def shortcut_on_desktop(run):
    run.put_on_desktop("Install Vorda Orvalis Tool Kit.lnk")


def no_desktop(run):
    shutil.rmtree(run.prefix.desktop())


def road_through_shortcut_locked(run):
    """The installation shortcut on the desktop, held open by a program that lets no one
    rename it (started with the set-up: preparing the machine ends every program)."""
    path = run.put_on_desktop("Install Vorda Orvalis Tool Kit.lnk")
    holder = os.path.join(winetest.build_dir(), "tests", "support", "recorder.exe")
    held = run.prefix.start([holder, "--hold=" + winetest.to_windows_path(path)])
    go_through(run)
    check(held.poll() is None, "the shortcut was not held open")
    run.proc.wait(90)
    held.kill()


def road_waits_for_cleanup(run):
    """The whole way through; the package's clean-up program lingers (CleanupSeconds), and
    the set-up must not end before it."""
    go_through(run)
    run.proc.wait(120)
    check(not run.prefix.running("_ISDel.exe"), "the set-up ended before the clean-up program")


def road_through_crowd(run):
    """300 programs besides the set-up's own while the package is waited for: more than
    the first process list the set-up asks for holds (started with the set-up, as above)."""
    recorder = os.path.join(winetest.build_dir(), "tests", "support", "recorder.exe")
    crowd = run.prefix.start([recorder, "--crowd=300"])
    check_equal(crowd.stdout.readline().strip(), b"crowd 300", "programs started")
    road_waits_for_cleanup(run)
    crowd.kill()


def cleanup_64bit(run, disc):
    """The package's clean-up program is a 64-bit program, whose modules a 32-bit program
    cannot list."""
    with open(os.path.join(winetest.build_dir(), "tests", "e2e", "isdel64", "_ISDel.exe"), "rb") as f:
        put(disc, r"package\_ISDel.exe", f.read())


def unloadable(library):
    def machine(run):
        run.env_extra["WINEDLLOVERRIDES"] = winetest.WINE_ENV["WINEDLLOVERRIDES"] + f";{library}=d"
    return machine


def road_waits_for_package(run):
    """The whole way through; the set-up must not end before its package."""
    go_through(run)
    run.proc.wait(120)
    check(not run.prefix.running("OrvalisKit.exe"), "the set-up ended before the package")


def no_log(run):
    check(run.log_text() is None, "a diagnostic log was written")


class Wrapper(str):
    """A shell snippet that a machine step returns, to be run before the set-up in a private
    mount namespace. Whatever else a step returns is no wrapper."""


def temp_read_only(run):
    temp = run.prefix.temp_dir()
    return Wrapper(f"mount --bind '{temp}' '{temp}' && mount -o remount,bind,ro '{temp}'")


# -- roads: how the test answers the screens ----------------------------------------------------
def road_none(run):
    """No screen to answer: the splash closes by itself."""
    run.watch_until_exit(None, timeout=150)


def road_stop_at_welcome(run):
    check(go_through(run, welcome="stop") is None, "went past the welcome screen")


def road_exit_unsized_welcome(run):
    """The welcome screen in the size of its template, larger than any picture (the splash
    before it has the product's title too): a click on its Exit face, then Exit on the
    question. Its client area lies where Wine's frame puts it: 2 pixels in, below a
    19-pixel caption."""
    end = time.time() + 40
    while not run.screens and time.time() < end and run.running():
        for window, (x, y, w, h) in run._candidates(EN):
            if w > BIG_SCREEN[0] + 20 and h > BIG_SCREEN[1] + 40:
                run.seen.add(window)
                run.screens.append(("welcome", window))
        time.sleep(0.2)
    check(run.screens, "no welcome screen")
    time.sleep(0.8)
    run.screenshot("welcome")
    x, y, w, h = winetest.window_geometry(run.display, run.screens[0][1])
    winetest.click(run.display, x + 2 + STOP[0] + STOP[2] // 2, y + 21 + STOP[1] + STOP[3] // 2)
    question = run.next_screen("question", EN, SMALL_SCREEN, timeout=10)
    run.screenshot("question")
    run.click_face(question, SMALL_SCREEN, QUESTION_EXIT)


def road_stop_at_licence(run):
    check(go_through(run, licence="stop") is None, "went past the licence screen")


def road_through(run):
    go_through(run)


def road_unseen(run):
    go_through(run, progress="unseen")


def road_cancel(run):
    go_through(run, progress="cancel")


# -- the table ---------------------------------------------------------------------------------
class Row:
    """One broken disc or machine: what is broken, how the test answers the screens, and
    the outcome (screens seen, pages opened, registry values, further checks)."""

    def __init__(self, name, broken, disc=(), machine=(), road=road_none, screens=None,
                 pages=(), home="silent: sound behaviour", values=None, timeout=90, after=None,
                 modes=("win32", "wow64", "win64")):
        self.name, self.broken, self.home, self.modes = name, broken, home, modes
        self.disc, self.machine, self.road = disc, machine, road
        self.screens, self.pages, self.values, self.timeout = screens, list(pages), values or {}, timeout
        self.after = after  # after(run): further checks once the run has ended


STOPPED = ["welcome", "question"]
LICENCE_STOPPED = ["welcome", "licence", "question"]
NOT_INSTALLED = {(CLIENT_KEY, "ClientInstalled"): None}
INSTALLED = {(CLIENT_KEY, "ClientInstalled"): 1}
NO_DESCRIPTION = "description cannot be loaded: nothing opens, the error page table is empty"
OWN_RESOURCES = "resource library missing: the program's own screens"
SPLASH_ONLY = "splash result ignored; kit current: after-first-visit page"
UNSHOWABLE = "a screen that cannot be shown is no answer: the page for 0X806D0100"
UNPAINTED = "background bitmap not loadable: template size, plain button faces that work"
ANY_ANSWER = "a screen's answer other than go on ends the run quietly"
# The rights check probes the folder "ProgramFilesDir" names, read as it stands.
RIGHTS_DECIDE = "rights check: the probe of that folder decides; the page for 0X806D0101"

ROWS = [
    # description
    Row("DescriptionMissing", "no cd_client.qxml", [drop(DESCRIPTION)], screens=[], home=NO_DESCRIPTION),
    Row("DescriptionEmpty", "an empty file", [content(DESCRIPTION, b"")], screens=[], home=NO_DESCRIPTION),
    Row("DescriptionCutInHalf", "not well-formed",
        [description(lambda t: t[:len(t) // 2])], screens=[], home=NO_DESCRIPTION),
    Row("DescriptionRootOnly", "the root element alone",
        [content(DESCRIPTION, '<?xml version="1.0"?><CD_CLIENT/>')], screens=[], home=NO_DESCRIPTION),
    Row("DescriptionWithoutLanguage", "no LANGUAGE element",
        [content(DESCRIPTION, '<?xml version="1.0"?><CD_CLIENT XML_ROOT="xml"><!-- none --></CD_CLIENT>')],
        screens=[], home=NO_DESCRIPTION),
    Row("LanguageWithoutLibrary", "LANGUAGE without RESOURCEDLL",
        [replace_in('RESOURCEDLL="lang\\ortk_en.dll"', "")], road=road_stop_at_welcome,
        screens=STOPPED, home=OWN_RESOURCES),
    Row("Utf8WithMarkAndAccentedFolder", "UTF-8 with a byte-order mark, a folder named pagés",
        [non_ascii_folder], [kit_current], screens=["splash"], pages=["pagés\\en\\welcome_back.htm"],
        home=SPLASH_ONLY),
    Row("Utf16Description", "the description in UTF-16",
        [description(lambda t: t.replace('encoding="windows-1252"', 'encoding="UTF-16"'), "utf-16")],
        [kit_current], screens=["splash"], pages=[WELCOME_BACK], home=SPLASH_ONLY),
    Row("TenMegabytesOfAttributes", "10 MB of attributes on one element",
        [description(many_attributes)],
        [kit_current], screens=[], home=NO_DESCRIPTION + " (an element of over 1024 attributes)"),
    Row("NestedHundredThousandDeep", "elements nested 100,000 deep", [description(nested)],
        [kit_current], screens=[], home=NO_DESCRIPTION),
    Row("BillionLaughs", "a DOCTYPE whose entities expand to 3 GB", [description(billion_laughs)],
        [kit_current], screens=[], home=NO_DESCRIPTION),
    Row("HundredThousandErrorPages", "100,000 ERROR_PAGE entries; string 1001 missing",
        [description(many_error_pages), library_edit(("strings", 1001, 1001))], screens=[],
        pages=[ERROR_PAGE], home="string 1001 cannot be loaded: the page for 0X806D0100"),
    # resource library
    Row("LibraryNotAProgram", "the library is a text file", [content(LIBRARY, "not a library\r\n")],
        road=road_stop_at_welcome, screens=STOPPED, home=OWN_RESOURCES),
    Row("LibraryForOtherProcessor", "the library marked for the other processor", [other_processor],
        road=road_stop_at_welcome, screens=STOPPED, home=OWN_RESOURCES),
    Row("WelcomeTemplateCannotBeCreated", "template 112 names a window class that does not exist",
        [library_edit(("put", RT_DIALOG, 112, UNCREATABLE_TEMPLATE))],
        screens=["splash"], pages=[ERROR_PAGE], values=NOT_INSTALLED,
        home=UNSHOWABLE),
    Row("WelcomeTemplateMissing", "no template 112", [library_edit(("drop", RT_DIALOG, 112))],
        screens=["splash"], pages=[ERROR_PAGE], values=NOT_INSTALLED,
        home=UNSHOWABLE),
    Row("WelcomeBitmapMissing", "no bitmap 247", [library_edit(("drop", RT_BITMAP, 247))],
        road=road_exit_unsized_welcome, screens=STOPPED, home=UNPAINTED,
        timeout=20),
    Row("WelcomeBitmapNotABitmap", "bitmap 247 is not a bitmap",
        [library_edit(("put", RT_BITMAP, 247, b"not a bitmap" * 8))],
        road=road_exit_unsized_welcome, screens=STOPPED, home=UNPAINTED,
        timeout=20),
    Row("LibraryWithoutTitle", "no string 1001", [library_edit(("strings", 1001, 1001))], screens=[],
        pages=[ERROR_PAGE], home="string 1001 cannot be loaded: the page for 0X806D0100"),
    Row("LibraryWithoutShortcutNames", "no strings 5000 to 5021",
        [library_edit(("strings", 5000, 5021))], [shortcut_on_desktop],
        road=road_through, screens=["welcome", "licence", "progress"], pages=[FIRST_VISIT],
        values=INSTALLED, home="shortcut not found: log line, the run completes"),
    Row("MalformedLayoutText", "the welcome's Continue button text without its bracket",
        [library_edit(("retext", RT_DIALOG, 112, "[", "("))], road=road_stop_at_welcome,
        screens=STOPPED, home=ANY_ANSWER),
    # licence
    Row("LicenceMissing", "no licence file", [drop(r"licence\license_en.txt")],
        road=road_stop_at_licence, screens=LICENCE_STOPPED, home=ANY_ANSWER),
    Row("LicenceEmpty", "an empty licence", [content(r"licence\license_en.txt", b"")],
        road=road_stop_at_licence, screens=LICENCE_STOPPED, home=ANY_ANSWER),
    Row("LicenceFolder", "the licence is a folder", [folder(r"licence\license_en.txt")],
        road=road_stop_at_licence, screens=LICENCE_STOPPED, home=ANY_ANSWER),
    Row("LicenceBinary", "3 MB of binary bytes with NULs",
        [content(r"licence\license_en.txt", bytes(range(256)) * 12288)],
        road=road_stop_at_licence, screens=LICENCE_STOPPED, home=ANY_ANSWER),
    # splash clip
    Row("SplashClipMissing", "no splash.avi", [drop("splash.avi")], [kit_current],
        screens=["splash"], pages=[WELCOME_BACK], home=SPLASH_ONLY),
    Row("SplashClipNotAClip", "splash.avi is text", [content("splash.avi", "no clip here")],
        [kit_current], screens=["splash"], pages=[WELCOME_BACK], home=SPLASH_ONLY),
    Row("SplashClipUnplayable", "a Motion JPEG clip", [unplayable_clip], [kit_current],
        screens=["splash"], pages=[WELCOME_BACK], home=SPLASH_ONLY),
    # package
    Row("PackageMissing", "no package file", [drop(r"package\OrvalisKit.exe")],
        road=road_unseen, values=NOT_INSTALLED,
        home="package cannot start: the progress screen ends with IDCANCEL"),
    Row("PackageFolder", "the package is a folder", [folder(r"package\OrvalisKit.exe")],
        road=road_unseen, values=NOT_INSTALLED,
        home="package cannot start: the progress screen ends with IDCANCEL"),
    Row("PackageNotAProgram", "the package is a text file", [content(r"package\OrvalisKit.exe", "MZ no")],
        road=road_unseen, values=NOT_INSTALLED,
        home="package cannot start: the progress screen ends with IDCANCEL"),
    Row("PackageExitsAtOnce", "the package ends without a status", machine=[package("fail", 0)],
        road=road_unseen, pages=[FIRST_VISIT], values=INSTALLED,
        home="the package's end ends the wait; its exit code is not read"),
    Row("PackageCrashesAtOnce", "the package dies of an access violation", machine=[package("crash")],
        road=road_unseen, pages=[FIRST_VISIT], values=INSTALLED,
        home="the package's end ends the wait; its exit code is not read"),
    Row("PackageCrashesAfterStatus3", "the package dies after status 3", machine=[package("crash3")],
        road=road_unseen, pages=[FIRST_VISIT], values=INSTALLED,
        home="the package's end ends the wait; its exit code is not read"),
    Row("PackageIgnoresCancel", "the package never reads CancelPressed, works a minute",
        machine=[package("deaf", 60)], road=road_cancel, values=NOT_INSTALLED, timeout=150,
        home="cancelled run: the screen waits for the package, then ends quietly"),
    Row("PackageStartsChildAndExits", "the package hands over to a child and ends",
        machine=[package("child", 5)], road=road_unseen, pages=[FIRST_VISIT], values=INSTALLED,
        home="the wait is for the package and its clean-up program only"),
    # paths
    Row("ParentFolderInEveryPath", '"..\\disc\\" before every path of the description',
        [description(parent_in_every_path)], [kit_current], screens=["splash"], pages=[WELCOME_BACK],
        home=SPLASH_ONLY),
    Row("ProgramPathPast260Bytes", "the disc so deep that setup.exe's path passes 260 bytes",
        [deep_folder], screens=[], timeout=30,
        home="silent: sound behaviour (the program's path does not fit: nothing is read, nothing opens)"),
    # machines
    Row("DebugNotADword", '"DEBUG" is a string',
        machine=[reg(CLIENT_KEY, "DEBUG", "1")], road=road_stop_at_welcome, screens=STOPPED,
        after=no_log, home="silent: sound behaviour (the log is off)"),
    Row("TempNotWritableWithDebug", "the temporary folder read-only, DEBUG set",
        machine=[temp_read_only], road=road_stop_at_welcome, screens=STOPPED,
        after=no_log,
        home="log file cannot be written: the run goes on"),
    Row("NoDesktopFolder", "the user's Desktop folder is gone",
        machine=[no_desktop], road=road_through, screens=["welcome", "licence", "progress"],
        pages=[FIRST_VISIT], values=INSTALLED, home="shortcut not found: log line, the run completes"),
    Row("ShortcutOpenAndLocked", "the installation shortcut held open, not renamable",
        road=road_through_shortcut_locked, screens=["welcome", "licence", "progress"],
        pages=[FIRST_VISIT], values=INSTALLED, home="shortcut not renamed: the run completes",
        after=lambda run: check_equal(os.listdir(run.prefix.desktop()),
                                      ["Install Vorda Orvalis Tool Kit.lnk"], "desktop")),
    Row("ThreeHundredOtherPrograms", "300 other programs running while the package is waited for",
        machine=[lambda run: run.package_mode("normal", cleanup_seconds=15)],
        road=road_through_crowd, screens=["welcome", "licence", "progress"], pages=[FIRST_VISIT],
        values=INSTALLED, timeout=150,
        home="the wait finds the package's clean-up program among them: the run completes"),
    Row("CleanupProgramIs64Bit", "the package's clean-up program is a 64-bit program that lingers",
        [cleanup_64bit], [lambda run: run.package_mode("normal", cleanup_seconds=15)],
        road=road_waits_for_cleanup, screens=["welcome", "licence", "progress"], pages=[FIRST_VISIT],
        values=INSTALLED, timeout=150, modes=("wow64",),
        home="its path is read from its image name: the set-up waits for it"),
    Row("VdmdbgUnloadable", "VDMDBG.DLL cannot be loaded; the clean-up program lingers",
        machine=[unloadable("vdmdbg"), lambda run: run.package_mode("normal", cleanup_seconds=15)],
        road=road_waits_for_cleanup, screens=["welcome", "licence", "progress"], pages=[FIRST_VISIT],
        values=INSTALLED, timeout=150,
        home="the processes are listed without it: the set-up waits for the clean-up program"),
    Row("ProcessListUnreadable", "PSAPI.DLL cannot be loaded; the package works for 12 s",
        machine=[unloadable("psapi"), lambda run: run.package_mode("normal", seconds=12)],
        road=road_waits_for_package, screens=["welcome", "licence", "progress"], pages=[FIRST_VISIT],
        values=INSTALLED, timeout=150,
        home="no process is found by its path: the wait on the package's own handle holds the run"),
    Row("ProgramFilesDirMissing", '"ProgramFilesDir" removed',
        machine=[reg_text(f'[{SYSTEM_KEY}]\n"ProgramFilesDir"=-')], road=road_stop_at_welcome,
        screens=STOPPED, home="silent: sound behaviour (another drive with room)"),
    Row("ProgramFilesDirEmpty", '"ProgramFilesDir" empty', machine=[reg(SYSTEM_KEY, "ProgramFilesDir", "")],
        road=road_stop_at_welcome, screens=STOPPED, home="silent: sound behaviour (another drive with room)"),
    Row("ProgramFilesDirExpandable", '"ProgramFilesDir" as REG_EXPAND_SZ with %SystemDrive%',
        machine=[reg_text(f'[{SYSTEM_KEY}]\n"ProgramFilesDir"=hex(2):'
                          + ",".join(f"{b:02x}" for b in b"%SystemDrive%\\Program Files\0"))],
        screens=["splash"], pages=[RIGHTS_PAGE], home=RIGHTS_DECIDE),
    Row("ProgramFilesDirOnMissingDrive", '"ProgramFilesDir" on drive Q:, which does not exist',
        machine=[reg(SYSTEM_KEY, "ProgramFilesDir", r"Q:\Program Files")], screens=["splash"],
        pages=[RIGHTS_PAGE], home=RIGHTS_DECIDE),
]


# -- the runner ------------------------------------------------------------------------------
def disc_snapshot(disc):
    found = {}
    for top, dirs, files in os.walk(disc):
        for name in files + dirs:
            path = os.path.join(top, name)
            found[os.path.relpath(path, disc)] = os.path.getsize(path) if name in files else -1
    return found


def run_row(row):
    with SetupRun("broken-" + row.name) as run:
        run.disc = os.path.join(run.prefix.root, "disc")
        subprocess.run(["cp", "-al", disc_dir(), run.disc], check=True)
        for make in row.disc:
            make(run, run.disc)
        wrapper = None
        for prepare in row.machine:
            made = prepare(run)
            wrapper = made if isinstance(made, Wrapper) else wrapper
        before = disc_snapshot(run.disc)
        started = time.time()
        run.start(wrapper=wrapper)
        row.road(run)
        check_equal(run.wait_exit(timeout=row.timeout), 0, "exit code")
        seconds = time.time() - started
        output = run.proc.stdout.read().decode(errors="replace") + run.proc.stderr.read().decode(errors="replace")
        check(not any(sign in output for sign in CRASH_SIGNS), "crash report:\n" + output[-2000:])
        check_equal(winetest.find_windows(run.display, "."), [], "windows left open")
        if row.screens is not None:
            check_equal(run.kinds(), row.screens, "screens")
        check_equal(run.pages_opened(), row.pages, "pages opened")
        registry = run.registry() if row.values else None
        for (key, name), expected in row.values.items():
            check_equal(registry.data(key, name), expected, name)
        check_equal(disc_snapshot(run.disc), before, "files of the disc")
        if row.after:
            row.after(run)
        return seconds


def row_case(row):
    def case():
        seconds = run_row(row)
        print(f"  {row.name}: {row.broken} -> {row.home} ({seconds:.1f} s)", flush=True)
    return case


CASES = [(row.name, row_case(row)) for row in ROWS if winetest.wine_mode() in row.modes]


if __name__ == "__main__":
    if "--list" not in sys.argv:
        winetest.ensure_template()
    sys.exit(winetest.run_cases("e2e_broken_discs", CASES, sys.argv))
