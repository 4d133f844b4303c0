"""Reads the preview that `disccheck --pictures OUT DISC` writes: OUT/index.html's sets of
users who see the same screens, and for each screen its pictures, the reason it has none,
and its layout rows. Used by the disccheck and whole-run tests."""
import html
import os
import re

_LAYOUT_ROW = re.compile(r'<tr( class="fault")?><td>(button|panel) (\d+)</td><td>(.*?)</td><td>(.*?)</td>'
                         r'<td>(.*?)</td><td>\((-?\d+), (-?\d+), (-?\d+) x (-?\d+)\)</td><td>(.*?)</td></tr>')


def read_preview(folder):
    """[{"groups": [user, ...], "screens": {name: screen}}] in the page's order; a screen is
    {"picture", "layout": file paths or None, "picture_client", "client": (x, y) where the
    client area begins in each, "reason", "items": [{"control", "name", "box", "faults"}]}."""
    with open(os.path.join(folder, "index.html"), encoding="utf-8") as f:
        page = f.read()
    sets = []
    for block in page.split('<section class="set"')[1:]:
        block = block.split("</section>", 1)[0]
        groups = [html.unescape(g) for g in re.findall(r'<td class="group">(.*?) \(0x[0-9A-F]{4}\)</td>', block)]
        screens = {}
        for name, body in re.findall(r'<figure class="screen[^"]*" data-screen="([^"]+)">(.*?)</figure>', block, re.S):
            picture = re.search(r'<img class="picture" src="([^"]+)"[^>]* data-client="(\d+),(\d+)"', body)
            layout = re.search(r'<img class="layout" src="([^"]+)"[^>]* data-client="(\d+),(\d+)"', body)
            reason = re.search(r'<p class="reason">No picture: (.*?)</p>', body, re.S)
            items = [{"control": f"{m[1]} {m[2]}", "name": html.unescape(m[3]),
                      "box": tuple(int(v) for v in m[6:10]), "faults": html.unescape(m[10])}
                     for m in _LAYOUT_ROW.findall(body)]
            screens[name] = {
                "picture": os.path.join(folder, html.unescape(picture[1])) if picture else None,
                "picture_client": (int(picture[2]), int(picture[3])) if picture else None,
                "layout": os.path.join(folder, html.unescape(layout[1])) if layout else None,
                "client": (int(layout[2]), int(layout[3])) if layout else None,
                "reason": html.unescape(reason[1]) if reason else None,
                "items": items,
            }
        sets.append({"groups": groups, "screens": screens})
    return sets


def set_of(sets, group):
    """The set the group's users are in."""
    found = [s for s in sets if group in s["groups"]]
    if len(found) != 1:
        raise AssertionError(f"{group} in {len(found)} sets: {[s['groups'] for s in sets]}")
    return found[0]
