#!/usr/bin/python3
"""disccheck.exe under Wine: the sample disc passes, every broken copy of it fails with a
message naming what is wrong, and a folder that cannot be read gives exit code 2.

Broken discs come from one table: each row copies the sample disc (hard links) and breaks
one thing. All rows are checked by one run of the program, in one prefix. Rows with a
picture check also get their preview (--pictures), one run each, and the check reads it.
"""
import json
import os
import re
import shutil
import struct
import sys
import tempfile

import winetest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from preview_reader import read_preview, set_of  # noqa: E402

BUILD = winetest.build_dir()
SAMPLE = os.path.join(BUILD, "disc")
PROGRAM = os.path.join(BUILD, "disccheck.exe") if os.path.exists(os.path.join(BUILD, "disccheck.exe")) \
    else os.path.join(BUILD, "src", "disccheck", "disccheck.exe")

RT_BITMAP, RT_DIALOG, RT_STRING, RT_GROUP_CURSOR, RT_GROUP_ICON = 2, 5, 6, 12, 14
CLIENT_KEY = r"HKEY_LOCAL_MACHINE\Software\VORDA\OrvalisToolKit\ClientInstall"


# -- ways to break a copy -----------------------------------------------------------------
def rewrite(disc, name, data):
    """Replaces a file of the copy (never through the hard link to the sample)."""
    path = os.path.join(disc, name)
    if os.path.lexists(path):
        os.unlink(path)
    with open(path, "wb") as out:
        out.write(data)


def read(disc, name):
    with open(os.path.join(disc, name), "rb") as f:
        return f.read()


def edit(name, old, new, count=1):
    def change(disc):
        data = read(disc, name)
        old_b, new_b = old.encode("cp1252"), new.encode("cp1252")
        assert old_b in data, (name, old)
        rewrite(disc, name, data.replace(old_b, new_b, count))
    return change


def description(old, new):
    return edit("cd_client.qxml", old, new)


def remove(name):
    return lambda disc: os.unlink(os.path.join(disc, name))


def replace_with(name, data):
    return lambda disc: rewrite(disc, name, data)


def change_bytes(name, how):
    return lambda disc: rewrite(disc, name, how(read(disc, name)))


def resources(image):
    """(type, id, offset of the id field, offset of the data, size) of every resource."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H", image, pe + 6)[0], struct.unpack_from("<H", image, pe + 20)[0]
    optional = pe + 24
    directories = 112 if struct.unpack_from("<H", image, optional)[0] == 0x20B else 96  # PE32+ or PE32
    rsrc_rva = struct.unpack_from("<I", image, optional + directories + 2 * 8)[0]
    table = optional + optional_size
    spans = [struct.unpack_from("<IIII", image, table + 40 * i + 8) for i in range(sections)]

    def offset(rva):
        for vsize, vaddr, rawsize, rawptr in spans:
            if vaddr <= rva < vaddr + max(vsize, rawsize):
                return rva - vaddr + rawptr
        raise ValueError(rva)
    base = offset(rsrc_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", image, base + directory + 12)
        for i in range(named + ids):
            at = base + directory + 16 + 8 * i
            name, target = struct.unpack_from("<II", image, at)
            yield at, name, target
    found = []
    for _, kind, types in entries(0):
        for id_at, rid, langs in entries(types & 0x7FFFFFFF):
            for _, _, leaf in entries(langs & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", image, base + leaf)
                found.append((kind, rid, id_at, offset(rva), size))
    return found


def renumber(name, kind, rid, new_id):
    """The library no longer holds resource (kind, rid): it is filed under new_id."""
    def how(image):
        image = bytearray(image)
        at = [r[2] for r in resources(image) if r[0] == kind and r[1] == rid][0]
        struct.pack_into("<I", image, at, new_id)
        return bytes(image)
    return change_bytes(name, how)


def patch_resource(name, kind, rid, how):
    """Rewrites the bytes of one resource in place (same size)."""
    def change(image):
        image = bytearray(image)
        _, _, _, at, size = [r for r in resources(image) if r[0] == kind and r[1] == rid][0]
        new = how(bytes(image[at:at + size]))
        assert len(new) == size
        image[at:at + size] = new
        return bytes(image)
    return change_bytes(name, change)


def utf16(text):
    return text.encode("utf-16-le")


def riff_patch(old, new):
    """Clip bytes with the first occurrence of old replaced."""
    def how(data):
        assert old in data
        return data.replace(old, new, 1)
    return how


def first_vids_compression(mjpg):
    def how(data):
        strf = data.index(b"strf")
        return data[:strf + 8 + 16] + mjpg + data[strf + 8 + 20:]
    return how


# -- what a preview must show -------------------------------------------------------------
RED = (255, 0, 0)
FRENCH = "LANG_FRENCH / SUBLANG_FRENCH_CANADIAN"


def image(path):
    from PIL import Image
    return Image.open(path).convert("RGB")


def frame_is_red(screen, control):
    """The control's rectangle in the layout picture: its left and bottom edges all red,
    wherever they lie (labels are drawn inside rectangles, from their top-left corner)."""
    item = [i for i in screen["items"] if i["control"] == control][0]
    x, y, w, h = item["box"]
    left, top = screen["client"][0] + x, screen["client"][1] + y
    picture = image(screen["layout"])
    edge = [(left + i, top + h - 1) for i in range(w)] + [(left, top + i) for i in range(h)]
    return all(picture.getpixel(p) == RED for p in edge)


def layout_faults(screen_name, faults):
    """In the French welcome's layout each control listed with its fault and drawn red, the
    others not."""
    def check(sets, folder):
        screen = set_of(sets, FRENCH)["screens"][screen_name]
        for item in screen["items"]:
            expected = faults.get(item["control"])
            if expected:
                assert expected in item["faults"], (item, expected)
                assert frame_is_red(screen, item["control"]), f"{item['control']} not drawn red"
            else:
                assert not item["faults"] and not frame_is_red(screen, item["control"]), item
        assert set(faults) <= {i["control"] for i in screen["items"]}, screen["items"]
    return check


def no_picture(screen_name, reason, files):
    """The French screen is an entry without a picture, with the reason; the other screens
    have pictures in files of that kind."""
    def check(sets, folder):
        screens = set_of(sets, FRENCH)["screens"]
        assert screens[screen_name]["picture"] is None and reason in (screens[screen_name]["reason"] or ""), \
            screens[screen_name]
        for name, screen in screens.items():
            if name == screen_name:
                continue
            assert screen["picture"] and screen["picture"].endswith(files), (name, screen)
            assert image(screen["picture"]).size[0] > 300, name  # the file reads as a picture
    return check


def licence_shows_bom(sets, folder):
    """Two English sets now, the same but for the licence: their licence pictures differ in
    the licence text's first line, and nowhere else."""
    marked = set_of(sets, "LANG_ENGLISH / SUBLANG_ENGLISH_US")["screens"]
    plain = set_of(sets, "LANG_ENGLISH / other sub-languages")["screens"]
    assert marked is not plain
    assert image(marked["welcome"]["picture"]).tobytes() == image(plain["welcome"]["picture"]).tobytes()
    from PIL import ImageChops
    changed = ImageChops.difference(image(marked["licence"]["picture"]), image(plain["licence"]["picture"])).getbbox()
    panel = [i for i in plain["licence"]["items"] if i["control"] == "panel 203"][0]["box"]
    x, y = plain["licence"]["picture_client"][0] + panel[0], plain["licence"]["picture_client"][1] + panel[1]
    assert changed, "the byte-order mark changes nothing in the picture"
    # From the first line on, within the text panel.
    assert x <= changed[0] and changed[2] <= x + panel[2] and y <= changed[1] < y + 16 and changed[3] <= y + panel[3], \
        (changed, panel, x, y)


FR_DLL = "lang/ortk_fr.dll"
ENGLISH_SECTION = re.compile(rb"<LANGUAGE KEY=\"LANG_ENGLISH\".*?</LANGUAGE>", re.S)

# name, how the copy is broken, texts the report must show (each names the file or key)[, what
# its preview must show, how Wine runs the preview]
NO_IMAGING = {"WINEDLLOVERRIDES": winetest.WINE_ENV["WINEDLLOVERRIDES"] + ";windowscodecs=d"}
BROKEN = [
    ("no_english_section", change_bytes("cd_client.qxml", lambda d: ENGLISH_SECTION.sub(b"", d)),
     ["all others: no section"]),
    ("licence_missing", remove("licence/license_fr.txt"), ["licence\\license_fr.txt: licence is missing"]),
    ("package_off_the_disc", description('PACKAGE="package\\OrvalisKit.exe" LICENSE="licence\\license_fr.txt"',
                                         'PACKAGE="..\\OrvalisKit.exe" LICENSE="licence\\license_fr.txt"'),
     ["..\\OrvalisKit.exe: package lies outside the disc"]),
    ("licence_is_a_folder", description('LICENSE="licence\\license_fr.txt"', 'LICENSE="licence"'),
     ["licence: licence is a folder"]),
    ("first_visit_missing", remove("pages/fr/premiere_visite.htm"), ["pages\\fr\\premiere_visite.htm: first visit is missing"]),
    ("library_not_loadable", replace_with(FR_DLL, b"not a library"), ["lang\\ortk_fr.dll: cannot be loaded"]),
    ("template_missing", renumber(FR_DLL, RT_DIALOG, 104, 105), ["lang\\ortk_fr.dll template 104: missing"]),
    ("template_title", patch_resource(FR_DLL, RT_DIALOG, 104, lambda b: b.replace(utf16("236"), utf16("237"), 1)),
     ["template 104: title \"237\" names bitmap 237"]),
    # Previewed without the imaging component too: BMP pictures.
    ("bitmap_missing", renumber(FR_DLL, RT_BITMAP, 236, 237), ["lang\\ortk_fr.dll bitmap 236: missing"],
     no_picture("licence", "bitmap 236 is missing in lang\\ortk_fr.dll", ".bmp"), NO_IMAGING),
    ("bitmap_size", patch_resource(FR_DLL, RT_BITMAP, 247, lambda b: b[:4] + struct.pack("<i", 470) + b[8:]),
     ["bitmap 247: 470 x 386, but the welcome screen is drawn for 474 x 386"]),
    ("button_outside", patch_resource(FR_DLL, RT_DIALOG, 112,
                                      lambda b: b.replace(utf16("[149,336,108,39]"), utf16("[149,336,408,39]"), 1)),
     ["template 112 button 1008: layout (149, 336, 408 x 39) lies outside"],
     layout_faults("welcome", {"button 1008": "lies outside the 474 x 386 bitmap", "button 2": "overlaps button 1008"})),
    ("buttons_overlap", patch_resource(FR_DLL, RT_DIALOG, 112,
                                       lambda b: b.replace(utf16("[265,336,108,39]"), utf16("[200,336,108,39]"), 1)),
     ["template 112 button 2: rectangle (200, 336, 108 x 39) overlaps button 1008 (149, 336, 108 x 39)"],
     layout_faults("welcome", {"button 1008": "overlaps button 2", "button 2": "overlaps button 1008"})),
    ("licence_panel_text", patch_resource(FR_DLL, RT_DIALOG, 104,
                                          lambda b: b.replace(utf16("75, 136, 368, 183"), utf16("75; 136; 368, 183"), 1)),
     ["template 104 control 260: rectangle text \"75; 136; 368, 183\" does not parse"]),
    ("title_string_missing", renumber(FR_DLL, RT_STRING, 1001 // 16 + 1, 1001 // 16 + 2),
     ["lang\\ortk_fr.dll string 1001: missing"]),
    ("icon_missing", renumber(FR_DLL, RT_GROUP_ICON, 222, 223), ["lang\\ortk_fr.dll icon 222: missing"]),
    ("cursor_missing", renumber(FR_DLL, RT_GROUP_CURSOR, 234, 235), ["lang\\ortk_fr.dll cursor 234: missing"]),
    ("licence_too_long", change_bytes("licence/license_en.txt", lambda d: d + b"x" * 62000),
     ["licence\\license_en.txt: ", "cuts the rest"]),
    ("licence_byte_order_mark", change_bytes("licence/license_en.txt", lambda d: b"\xEF\xBB\xBF" + d),
     ["licence\\license_en.txt: begins with a UTF-8 byte-order mark"]),
    ("licence_byte_order_mark_for_one_group", lambda disc: (
        rewrite(disc, "licence/license_us.txt", b"\xEF\xBB\xBF" + read(disc, "licence/license_en.txt")),
        description('<SUBLANGUAGE KEY="SUBLANG_ENGLISH_US" RESOURCEDLL="lang\\ortk_en.dll"/>',
                    '<SUBLANGUAGE KEY="SUBLANG_ENGLISH_US" RESOURCEDLL="lang\\ortk_en.dll" '
                    'LICENSE="licence\\license_us.txt"/>')(disc)),
     ["licence\\license_us.txt: begins with a UTF-8 byte-order mark"], licence_shows_bom),
    ("licence_nul", change_bytes("licence/license_en.txt", lambda d: d[:10] + b"\0" + d[10:]),
     ["licence\\license_en.txt: NUL byte at offset 10"]),
    ("licence_utf8", change_bytes("licence/license_fr.txt", lambda d: d.decode("cp1252").encode("utf-8")),
     ["licence\\license_fr.txt: is UTF-8 text"]),
    ("licence_undefined_byte", change_bytes("licence/license_en.txt", lambda d: d[:5] + b"\x81" + d[5:]),
     ["licence\\license_en.txt: byte 81 at offset 5 is no character of the ANSI code page"]),
    ("clip_missing", remove("splash.avi"), ["[clip] splash.avi: missing"]),
    ("clip_with_sound", change_bytes("splash.avi", riff_patch(b"vids", b"auds")), ["[clip] splash.avi: it has sound"]),
    ("clip_compressed", change_bytes("splash.avi", first_vids_compression(b"MJPG")),
     ["[clip] splash.avi: its frames are compressed with MJPG"]),
    ("error_key_lower_case", description('KEY="DEFAULT" PATH="pages\\en\\error.htm"', 'KEY="default" PATH="pages\\en\\error.htm"'),
     ["KEY default in LANGUAGE LANG_ENGLISH: can never match"]),
    ("error_key_leading_zero", description('KEY="0x806d0101" PATH="pages\\fr', 'KEY="0x0806d0101" PATH="pages\\fr'),
     ["KEY 0x0806d0101 in LANGUAGE LANG_FRENCH: can never match: leading zero"]),
    ("error_page_without_path", description('KEY="0x806d0101" PATH="pages\\en\\error_rights.htm"', 'KEY="0x806d0101"'),
     ["ERROR_PAGE KEY 0x806d0101 in LANGUAGE LANG_ENGLISH: has no PATH"]),
    ("error_page_missing", remove("pages/en/error.htm"), ["pages\\en\\error.htm: error page 0x806D0100 is missing"]),
    ("registry_script_header", edit("ORTK.REG", "REGEDIT4", "REGEDIT"), ["[registry scripts] ORTK.REG: not a registry script"]),
    ("registry_script_line", edit("ORTK.REG", '"Channel"="release"', '"Channel"=release'),
     ["ORTK.REG: line 6: value \"Channel\" has data"]),
    ("dev_script_line", replace_with("Dev.REG", b"REGEDIT4\r\n\r\n\"Orphan\"=\"x\"\r\n"),
     ["Dev.REG: line 3: value \"Orphan\" outside any key"]),
    ("package_not_a_program", replace_with("package/OrvalisKit.exe", b"MZ not really"),
     ["package\\OrvalisKit.exe: is not a Windows program"]),
    ("no_package", change_bytes("cd_client.qxml", lambda d: d.replace(b'PACKAGE="package\\OrvalisKit.exe"', b"")),
     ["[package] LANG_ENGLISH / SUBLANG_ENGLISH_US: no PACKAGE"]),
    ("attribute_misspelt", description('LICENSE="licence\\license_fr.txt"', 'LICENCE="licence\\license_fr.txt"'),
     ["LICENCE on LANGUAGE LANG_FRENCH: attribute the set-up ignores; did you mean LICENSE?"]),
    ("element_misspelt", description('<ERROR_PAGE KEY="DEFAULT" PATH="pages\\fr\\erreur.htm"/>',
                                     '<ERROR_PAGE KEY="DEFAULT" PATH="pages\\fr\\erreur.htm"/><SUBLANGAUGE KEY="SUBLANG_FRENCH_SWISS"/>'),
     ["SUBLANGAUGE in LANGUAGE LANG_FRENCH: element the set-up ignores; did you mean SUBLANGUAGE?"]),
    ("language_key_misspelt", description('KEY="LANG_FRENCH"', 'KEY="LANG_FRENH"'),
     ["KEY LANG_FRENH: names no language constant", "did you mean LANG_FRENCH?"]),
]


def main():
    results = winetest.Results("disccheck_discs")
    work = tempfile.mkdtemp(prefix="disccheck-", dir=BUILD)
    try:
        # Wine makes no window without a display, not even a hidden one: the previews need it.
        with winetest.Display() as display, winetest.Prefix(display=display) as prefix:
            def check(*args, env=None):
                """Runs the program on folders (and options, passed as they are)."""
                line = [a if a.startswith("--") else winetest.to_windows_path(a) for a in args]
                done = prefix.run([PROGRAM] + line, timeout=240, env=env)
                # The console program writes Windows line ends.
                return (done.returncode, done.stdout.decode("cp1252").replace("\r\n", "\n"),
                        done.stderr.decode("cp1252", "replace").replace("\r\n", "\n"))

            with results.case("sample_disc_passes"):
                code, out, err = check(SAMPLE)
                assert code == 0, out + err
                for part in ["LANG_FRENCH / SUBLANG_FRENCH_CANADIAN (0x0C0C)", "English pass decided: yes",
                             "ORTK.REG: writes HKEY_LOCAL_MACHINE\\Software\\VORDA\\OrvalisTOOLKit\\Settings",
                             "0 error(s)"]:
                    assert part in out, (part, out)
                code, out, err = check("--json", SAMPLE)
                report = json.loads(out)
                assert code == 0 and report["errors"] == 0, out
                assert any(u["user"] == "all others" for u in report["users"]), out

            # Every broken copy is made first, then checked in one run of the program: the
            # reports come in the order of the folders, each opening with "Disc <folder>".
            folders, failures = [], {}
            for name, how, expected, *_ in BROKEN:
                disc = os.path.join(work, name)
                try:
                    shutil.copytree(SAMPLE, disc, copy_function=os.link, symlinks=True)
                    how(disc)
                    folders.append(disc)
                except Exception as error:  # a row that cannot be built fails alone
                    failures[name] = f"{type(error).__name__}: {error}"
            code, out, err = check(*folders)
            reports = {}
            for report in re.split(r"\n(?=Disc )", "\n" + out)[1:]:
                folder = report.split("\n", 1)[0][len("Disc "):]
                reports[folder.rsplit("\\", 1)[-1]] = report
            previews = os.path.join(work, "previews")
            for name, how, expected, *preview in BROKEN:
                with results.case("broken_" + name):
                    assert name not in failures, failures.get(name)
                    report = reports.get(name, "")
                    assert re.search(r"\n[1-9]\d* error\(s\)", report), f"no error reported:\n{report}{err}"
                    errors = report.split("\nErrors\n", 1)[-1].split("\nWarnings\n", 1)[0]
                    for part in expected:
                        assert part in errors, f"{part!r} not among the errors:\n{report}"
                    if preview:
                        # The first preview makes its folder and the one above; later ones
                        # find a file of someone else's in theirs, which stays.
                        folder, stray = os.path.join(previews, name), os.path.isdir(previews)
                        if stray:
                            os.makedirs(folder)
                            with open(os.path.join(folder, "notes.txt"), "w") as f:
                                f.write("mine")
                        code_p, _, err_p = check("--pictures", folder, os.path.join(work, name),
                                                 env=preview[1] if len(preview) > 1 else None)
                        assert code_p == 1, (code_p, err_p)
                        assert os.path.isfile(os.path.join(folder, "index.html")), err_p
                        preview[0](read_preview(folder), folder)
                        if stray:
                            with open(os.path.join(folder, "notes.txt")) as f:
                                assert f.read() == "mine"
            with results.case("previews_write_nothing_to_the_registry"):
                assert os.path.isdir(previews)
                assert prefix.reg_query(CLIENT_KEY, "ClientHandle") is None
                assert prefix.reg_query(CLIENT_KEY, "CancelPressed") is None
            with results.case("broken_discs_exit_1"):
                assert code == 1, f"exit {code}\n{err}"
                code, out, err = check(folders[0])
                assert code == 1 and "\nErrors\n  [" in out, (code, out, err)

            with results.case("unreadable_discs_give_2"):
                empty = os.path.join(work, "empty")
                os.makedirs(empty)
                not_xml = os.path.join(work, "not_xml")
                os.makedirs(not_xml)
                with open(os.path.join(not_xml, "cd_client.qxml"), "w") as f:
                    f.write("<CD_CLIENT><LANGUAGE")
                code, out, err = check(os.path.join(work, "absent"), empty, not_xml, SAMPLE)
                assert code == 2, (code, out, err)
                for why in ["absent: not a folder", "cd_client.qxml: not on the disc",
                            "cd_client.qxml: cannot be read as XML"]:
                    assert why in err, (why, err)
                assert out.count("Disc ") == 1, out  # the readable disc is still reported
                code, out, err = check(SAMPLE, "--verbose")
                assert code == 2 and "usage" in err, (code, err)
                # A preview whose folder cannot be made: the report still comes, the exit code is 2.
                code, out, err = check("--pictures", os.path.join(not_xml, "cd_client.qxml", "out"), SAMPLE)
                assert code == 2 and "the folder cannot be made" in err and "Disc " in out, (code, err)
                code, out, err = check("--pictures", os.path.join(work, "out"), SAMPLE, empty)
                assert code == 2 and "usage" in err, (code, err)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    results.write(winetest.results_path_from_args(sys.argv))
    return 1 if results.failed() else 0


if __name__ == "__main__":
    sys.exit(main())
