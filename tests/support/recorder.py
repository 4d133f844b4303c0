"""Python side of the recorder (recorder.exe) for end-to-end scripts.

    import recorder
    log = recorder.register(prefix)          # web addresses and .htm/.html -> recorder.exe
    ... run the set-up in prefix ...
    records = recorder.wait_records(log, 1)  # [(program, arguments), ...]

Each record is the full Windows path of the program that was started and the rest of its
command line; for a web page or address that is the page, in double quotes. A copy of
recorder.exe under another name (for example C:\\Kit\\vxtray.exe) records its own starts the
same way, into the file named by ORTK_RECORDER_LOG or else recorder.log next to itself.
"""
import os
import time

import winetest


def recorder_exe():
    return os.path.join(winetest.build_dir(), "tests", "support", "recorder.exe")


def register(prefix, log=None):
    """Points http:, https:, .htm, .html and folders of the prefix at recorder.exe; returns the
    Unix path of the log it writes."""
    log = log or os.path.join(prefix.root, "recorder.log")
    command = f'"{winetest.to_windows_path(recorder_exe())}" "--log={winetest.to_windows_path(log)}" "%1"'
    for scheme in ("http", "https"):
        prefix.reg_add(rf"HKCR\{scheme}", None, "URL:web address")
        prefix.reg_add(rf"HKCR\{scheme}\shell\open\command", None, command)
        prefix.reg_delete(rf"HKCR\{scheme}\shell\open\ddeexec")
    prefix.reg_add(r"HKCR\.htm", None, "htmlfile")
    prefix.reg_add(r"HKCR\.html", None, "htmlfile")
    prefix.reg_add(r"HKCR\htmlfile\shell\open\command", None, command)
    prefix.reg_delete(r"HKCR\htmlfile\shell\open\ddeexec")
    # Folders too, so that a folder opened by mistake is recorded rather than shown.
    for kind in ("Folder", "Directory"):
        prefix.reg_add(rf"HKCR\{kind}\shell\open\command", None, command)
        prefix.reg_delete(rf"HKCR\{kind}\shell\open\ddeexec")
    return log


def read_records(log):
    """[(program, arguments)] recorded so far."""
    if not os.path.exists(log):
        return []
    records = []
    with open(log, "rb") as f:
        for line in f.read().decode("latin-1").splitlines():
            if line:
                program, _, arguments = line.partition("\t")
                records.append((program, arguments))
    return records


def wait_records(log, count=1, timeout=20):
    """Waits until the log holds count records (or timeout seconds) and returns them. Use a
    short timeout with count=1 to check that nothing was opened."""
    end = time.time() + timeout
    records = read_records(log)
    while len(records) < count and time.time() < end:
        time.sleep(0.2)
        records = read_records(log)
    return records
