#!/usr/bin/python3
"""The road of one run for a French user on a machine without the kit, then a second run
on the same machine."""
import glob
import os
import re
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import winetest  # noqa: E402
from e2e_support import (KIT_FOLDER, PROGRAM_FILES, CLIENT_KEY, PRODUCT_KEY, SAMPLE_PACKAGE_KEY, BIG_SCREEN,  # noqa: E402
                         SetupRun, check, check_equal, go_through, screenshot_dir)
from preview_reader import read_preview, set_of  # noqa: E402

NAVIGATOR = r"HKEY_LOCAL_MACHINE\Software\Netscape\Netscape Navigator"
PLUGINS_45 = r"C:\Program Files\Netscape\Communicator\Program\Plugins"
PLUGINS_47 = r"C:\Program Files\Netscape 4.7\Program\Plugins"
SETTINGS_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisTOOLKit\Settings"
SHARED_DLLS = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs"
START_LINE = re.compile(r"\r\nCD : DEBUG START Date: [ \d]\d:[ \d]\d:\d{4} Time: [ \d]\d:[ \d]\d\r\n")


def french_road_then_second_run():
    with SetupRun("french-road", lang="fr_FR.UTF-8") as run:
        run.reg_value(NAVIGATOR + r"\4.5 (en)\Main", "Plugins Directory", PLUGINS_45)
        run.reg_value(NAVIGATOR + r"\4.7 (en)\Main", "Plugins Directory", PLUGINS_47)
        run.put_on_desktop("Installez le kit d'outils Vorda Orvalis.lnk")
        run.start()
        go_through(run, lang="fr")
        check_equal(run.wait_exit(), 0, "exit code")

        # French screens, in order, under the French title.
        check_equal(run.kinds(), ["welcome", "licence", "progress"], "screens")
        check_equal(run.pages_opened(), [r"pages\fr\premiere_visite.htm"], "pages opened")

        registry = run.registry()
        disc = run.disc_path()
        client = {
            "NPPath1": PLUGINS_45,
            "NPPath2": PLUGINS_47,
            "LocalContentRoot": disc + "\\content",
            "LocalXMLPath": disc + "\\xml",
            "UninstallDisplayName": "Gestionnaire du kit d'outils Vorda Orvalis",
            "InstalledLanguage": 0x040C,
            "ClientInstalled": 1,
            "CancelPressed": 0,
        }
        for name, expected in client.items():
            check_equal(registry.data(CLIENT_KEY, name), expected, name)
        check_equal(registry.data(CLIENT_KEY, "BinaryRoot"), run.binary_root(), "BinaryRoot")
        check(registry.data(CLIENT_KEY, "ClientHandle"), "ClientHandle not written")
        check(registry.get(CLIENT_KEY, "InstallStatus") is not None, "InstallStatus not written")
        check_equal(registry.data(PRODUCT_KEY, "Installation_Directory"), KIT_FOLDER,
                    "Installation_Directory")
        check_equal(registry.data(SAMPLE_PACKAGE_KEY, "CommandLine"), " -r -s", "package command line")
        check_equal(registry.data(CLIENT_KEY, "InstallStatus"), 4, "last status the package sent")
        counts = [data for name, (kind, data) in registry.values(SHARED_DLLS).items()
                  if name.endswith("\\imagehlp.dll")]
        check(counts and counts[0] >= 10, f"ImageHlp.dll count: {counts}")
        # The disc's registry script was imported after the package.
        check_equal(registry.data(SETTINGS_KEY, "Channel"), "release", "ORTK.REG imported")

        desktop = run.desktop_files()
        check("Le kit d'outils Vorda Orvalis.lnk" in desktop, f"shortcut not retitled: {desktop}")
        check("Installez le kit d'outils Vorda Orvalis.lnk" not in desktop, "old shortcut left")

        first_log = run.log_text()
        check(first_log is not None and START_LINE.search(first_log), "no log section")
        check("Not enough disk space" not in first_log and "Desktopwindow" not in first_log,
              "unexpected log line:\n" + first_log)
        first_sections = first_log.count("CD : DEBUG START")
        check_equal(first_sections, first_log.count("CD : DEBUG END   "), "sections ended")
        launches_before = len(run.launches())

        # Second run on the same machine: one browser version fewer, and the kit's tray
        # program (a recorder standing in for it) in the recorded kit folder.
        run.prefix.reg_delete(NAVIGATOR + r"\4.7 (en)")
        kit = run.prefix.c_path(PROGRAM_FILES, "Vorda", "OrvalisToolkit")
        os.makedirs(kit, exist_ok=True)
        shutil.copy(os.path.join(winetest.build_dir(), "tests", "support", "recorder.exe"),
                    os.path.join(kit, "vxtray.exe"))
        with SetupRun("french-road-second", keep_prefix=run.prefix) as again:
            again.launch_log = run.launch_log
            again.start()
            check(go_through(again, lang="fr", welcome="stop") is None, "went past welcome")
            check_equal(again.wait_exit(), 0, "second run's exit code")

        launches = run.launches()[launches_before:]
        check(any(p.lower().endswith("\\vxtray.exe") and a.strip() == "-Kill" for p, a in launches),
              f"tray program not asked to stop: {launches}")
        registry = run.registry()
        check_equal(registry.data(CLIENT_KEY, "NPPath1"), PLUGINS_45, "NPPath1 after the second run")
        check_equal(registry.data(CLIENT_KEY, "NPPath2"), PLUGINS_47, "NPPath2 left from the first run")

        second_log = run.log_text()
        check(second_log.startswith(first_log), "the second run did not append to the log")
        added = second_log[len(first_log):]
        check(START_LINE.match(added), "new section does not start with an empty line:\n" + added)
        check(added.count("CD : DEBUG START") >= 1 and added.endswith("\r\n"), "no new section")

        # The sample disc's preview once, in the mode the disc check's own tests run in.
        if winetest.wine_mode() != "win32" or not winetest.can_run_wow64():
            preview_shows_this_run(run)


SCREENS = ["splash", "welcome", "licence", "progress", "stop question"]


def preview_shows_this_run(run):
    """disccheck --pictures on the sample disc: every user group gets its screens, German
    users the English ones, and the French welcome picture is, over its client area, the
    welcome screen this run showed (the screen's own code drew both)."""
    out = os.path.join(run.prefix.root, "preview")
    program = os.path.join(winetest.build_dir(), "src", "disccheck", "disccheck.exe")
    # On this run's display: the second run's, which the prefix was given last, is gone, and
    # the prefix's system processes start again for this call.
    run.prefix.display = run.display
    done = run.prefix.run([program, "--pictures", winetest.to_windows_path(out), winetest.to_windows_path(run.disc)],
                          timeout=60)
    check_equal(done.returncode, 0, "preview exit code: " + done.stderr.decode("cp1252", "replace"))
    sets = read_preview(out)
    groups = sorted(g for s in sets for g in s["groups"])
    check_equal(groups, sorted(["LANG_ENGLISH / SUBLANG_ENGLISH_US", "LANG_ENGLISH / other sub-languages",
                                "LANG_FRENCH / SUBLANG_FRENCH_CANADIAN", "LANG_FRENCH / other sub-languages",
                                "LANG_GERMAN", "all others"]), "groups of the preview")
    for shown in sets:
        for name in SCREENS:
            screen = shown["screens"].get(name)
            check(screen and screen["picture"] and screen["layout"],
                  f"{name} of {shown['groups']}: {screen and screen['reason']}")
    english = set_of(sets, "LANG_ENGLISH / SUBLANG_ENGLISH_US")
    check(set_of(sets, "LANG_GERMAN") is english, "German users do not share the English pictures")
    french = set_of(sets, "LANG_FRENCH / other sub-languages")
    check(set_of(sets, "LANG_FRENCH / SUBLANG_FRENCH_CANADIAN") is french and french is not english,
          "French sets: " + str([s["groups"] for s in sets]))

    from PIL import Image
    window = [w for kind, w in run.screens if kind == "welcome"][0]
    x, y, width, height = run.places[window]
    shot = sorted(glob.glob(os.path.join(screenshot_dir(run.name), "*-welcome.png")))[0]
    picture = Image.open(french["screens"]["welcome"]["picture"]).convert("RGB")
    check_equal(picture.size, (width, height), "welcome picture against the welcome window")
    # The client area is one pixel smaller than the bitmap each way; on the screen it lies
    # within Wine's frame as winetest.client_origin finds it.
    client_w, client_h = BIG_SCREEN[0] - 1, BIG_SCREEN[1] - 1
    border = (width - client_w) // 2
    left, top = x + border, y + height - client_h - border
    on_screen = Image.open(shot).convert("RGB").crop((left, top, left + client_w, top + client_h))
    left, top = french["screens"]["welcome"]["picture_client"]
    drawn = picture.crop((left, top, left + client_w, top + client_h))
    check(on_screen.tobytes() == drawn.tobytes(), "the French welcome picture differs from the run's welcome screen")


def main():
    results = winetest.Results("e2e_french_road")
    with results.case("FrenchRoadThenSecondRun"):
        french_road_then_second_run()
    results.write(winetest.results_path_from_args(sys.argv))
    return 1 if results.failed() else 0


if __name__ == "__main__":
    sys.exit(main())
