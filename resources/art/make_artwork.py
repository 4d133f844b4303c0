#!/usr/bin/python3
"""Draws the screens' artwork of one language and the splash clip.

  make_artwork.py screens OUTPUT_FOLDER LANG     welcome.bmp, license.bmp, confirm_exit.bmp,
                                                 progress.bmp, splash.bmp (8 bits per pixel,
                                                 run-length encoded where that is smaller)
  make_artwork.py clip OUTPUT_FILE               the splash clip (8-bit AVI, run-length
                                                 encoded frames)

Both also write the same pictures uncompressed (OUTPUT_FOLDER/uncompressed/, OUTPUT_FILE
with ".uncompressed" before the extension): the tests decode the compressed ones and
compare their pixels with these.

Every screen is one picture: the set-up draws it as the window's background and lays
invisible buttons over the faces painted here, so the face rectangles below must match the
rectangles in the dialog templates' button texts.
"""
import io
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from product_facts import FACTS  # noqa: E402  (the screen sizes and faces of core/product.h)

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SCALE = 2  # everything is drawn at twice the size, then shrunk for smooth edges

NAVY = (16, 36, 84)
BLUE = (24, 84, 168)
SKY = (64, 140, 220)
GOLD = (250, 196, 40)
INK = (34, 40, 60)
MUTED = (92, 100, 124)
PANEL = (249, 247, 254)  # the licence panel's colour (0x00FEF7F9)

# Button faces and panels in client pixels: x, y, w, h (the templates' layout texts are
# made from the same numbers).
FACE_PROCEED = FACTS["FACE_PROCEED"]
FACE_STOP = FACTS["FACE_STOP"]
FACE_GO_BACK = FACTS["FACE_GO_BACK"]
FACE_EXIT = FACTS["FACE_EXIT"]
FACE_CANCEL_PROGRESS = FACTS["FACE_CANCEL_PROGRESS"]
PROGRESS_BAR = FACTS["PANEL_PROGRESS_BAR"]
LICENSE_PANEL = FACTS["PANEL_LICENSE_TEXT"]
LARGE = FACTS["SCREEN_LARGE_WIDTH"], FACTS["SCREEN_LARGE_HEIGHT"]  # welcome, licence
SMALL = FACTS["SCREEN_SMALL_WIDTH"], FACTS["SCREEN_SMALL_HEIGHT"]  # stop question, progress
SPLASH = FACTS["SPLASH_WIDTH"], FACTS["SPLASH_HEIGHT"]

TEXTS = {
    "en": {
        "product": "Orvalis Tool Kit",
        "company": "VORDA",
        "tagline": "Browser add-ins for everyday work",
        "welcome_heading": "Welcome",
        "welcome_lead": "This set-up installs the Vorda Orvalis Tool Kit on your computer.",
        "welcome_body": [
            "The Tool Kit adds its helpers to your web browsers and brings the Tool Kit "
            "Manager and a tray program with it.",
            "Before you go on, please close every other program, your web browsers too.",
        ],
        "welcome_hint": "Click Continue to install, or Exit to leave the set-up.",
        "license_heading": "Licence Agreement",
        "license_lead": "Please read the licence agreement below.",
        "confirm_heading": "Exit the set-up?",
        "confirm_body": "The Tool Kit is not installed yet. You can run the set-up again "
                        "later from the disc.",
        "confirm_question": "Do you really want to exit?",
        "progress_heading": "Installing the Tool Kit",
        "progress_body": "Please wait while the Vorda Orvalis Tool Kit is installed. "
                         "This can take a few minutes.",
        "continue": "Continue", "exit": "Exit", "accept": "I Accept", "cancel": "Cancel",
        "go_back": "Go Back",
        "steps": ["Welcome", "Licence", "Install"],
        "copyright": "\u00a9 Vorda. All rights reserved.",
    },
    "fr": {
        "product": "Orvalis Tool Kit",
        "company": "VORDA",
        "tagline": "Des modules pour votre navigateur",
        "welcome_heading": "Bienvenue",
        "welcome_lead": "Ce programme installe le kit d'outils Vorda Orvalis sur votre "
                        "ordinateur.",
        "welcome_body": [
            "Le kit ajoute ses modules \u00e0 vos navigateurs web et installe le "
            "gestionnaire du kit ainsi qu'un programme de la barre des t\u00e2ches.",
            "Avant de continuer, fermez tous les autres programmes, y compris vos "
            "navigateurs.",
        ],
        "welcome_hint": "Cliquez sur Continuer pour installer, ou sur Quitter pour "
                        "abandonner.",
        "license_heading": "Contrat de licence",
        "license_lead": "Veuillez lire le contrat de licence ci-dessous.",
        "confirm_heading": "Quitter l'installation ?",
        "confirm_body": "Le kit d'outils n'est pas encore install\u00e9. Vous pourrez "
                        "relancer l'installation plus tard depuis le disque.",
        "confirm_question": "Voulez-vous vraiment quitter ?",
        "progress_heading": "Installation du kit d'outils",
        "progress_body": "Veuillez patienter pendant l'installation du kit d'outils "
                         "Vorda Orvalis. Cela peut prendre quelques minutes.",
        "continue": "Continuer", "exit": "Quitter", "accept": "J'accepte",
        "cancel": "Annuler", "go_back": "Retour",
        "steps": ["Bienvenue", "Licence", "Installation"],
        "copyright": "\u00a9 Vorda. Tous droits r\u00e9serv\u00e9s.",
    },
}


# -- drawing helpers (coordinates in client pixels; scaled inside) ---------------------------
def s(value):
    return int(round(value * SCALE))


def font(size, weight="regular"):
    names = {
        "regular": "DejaVuSans.ttf",
        "bold": "DejaVuSans-Bold.ttf",
        "light": "DejaVuSans-ExtraLight.ttf",
        "condensed": "DejaVuSansCondensed.ttf",
        "condensed-bold": "DejaVuSansCondensed-Bold.ttf",
    }
    return ImageFont.truetype(os.path.join(FONT_DIR, names[weight]), s(size))


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def vertical_gradient(width, height, stops):
    """stops: [(position 0..1, colour)] from top to bottom."""
    image = Image.new("RGB", (s(width), s(height)))
    draw = ImageDraw.Draw(image)
    rows = s(height)
    for y in range(rows):
        t = y / max(1, rows - 1)
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                colour = mix(c0, c1, (t - p0) / max(1e-9, p1 - p0))
                break
        draw.line([(0, y), (s(width), y)], fill=colour)
    return image


def glow(image, centre, radius, colour, strength):
    """A soft round light laid over the image."""
    layer = Image.new("L", image.size, 0)
    ImageDraw.Draw(layer).ellipse([s(centre[0] - radius), s(centre[1] - radius),
                                   s(centre[0] + radius), s(centre[1] + radius)],
                                  fill=int(255 * strength))
    layer = layer.filter(ImageFilter.GaussianBlur(s(radius) / 2))
    image.paste(Image.new("RGB", image.size, colour), (0, 0), layer)


def wave_lines(image, top, bottom, colour, count=5):
    """Thin translucent curves across a band: the header's motif."""
    overlay = Image.new("RGBA", image.size, (0, 0, 0, 0))
    draw = ImageDraw.Draw(overlay)
    width = image.size[0]
    for i in range(count):
        points = []
        for x in range(0, width + 8, 8):
            u = x / width
            y = top + (bottom - top) * (0.25 + 0.12 * i) + 14 * (1 - u) * u * (i - 2) \
                - 10 * u
            points.append((x, s(y)))
        draw.line(points, fill=colour + (38 - i * 5,), width=s(1))
    image.paste(overlay, (0, 0), overlay)


def logo(image, cx, cy, radius):
    """The kit's mark: a blue disc, a white ring and a gold wrench across it."""
    big = Image.new("RGBA", (s(radius * 2) * 2, s(radius * 2) * 2), (0, 0, 0, 0))
    d = ImageDraw.Draw(big)
    n = big.size[0]
    m = n // 16
    d.ellipse([m, m, n - m, n - m], fill=BLUE + (255,), outline=(255, 255, 255, 255),
              width=max(2, n // 40))
    ring = n // 4
    d.ellipse([ring, ring, n - ring, n - ring], outline=(255, 255, 255, 255), width=n // 11)
    d.line([(n * 0.30, n * 0.70), (n * 0.72, n * 0.28)], fill=GOLD + (255,), width=n // 9)
    jaw = n // 7
    jx, jy = n * 0.72, n * 0.28
    d.ellipse([jx - jaw, jy - jaw, jx + jaw, jy + jaw], fill=GOLD + (255,))
    d.ellipse([jx - jaw // 3, jy - jaw // 3 - jaw // 2, jx + jaw // 3 + jaw // 2,
               jy + jaw // 3], fill=BLUE + (255,))
    mark = big.resize((s(radius * 2), s(radius * 2)), Image.LANCZOS)
    shadow = Image.new("RGBA", mark.size, (0, 0, 0, 0))
    shadow.putalpha(mark.getchannel("A").point(lambda a: a // 3))
    shadow = shadow.filter(ImageFilter.GaussianBlur(s(2)))
    image.paste((0, 0, 0), (s(cx - radius + 1), s(cy - radius + 2)), shadow)
    image.paste(mark, (s(cx - radius), s(cy - radius)), mark)


def text(draw, xy, content, size, colour, weight="regular", anchor="la"):
    draw.text((s(xy[0]), s(xy[1])), content, font=font(size, weight), fill=colour, anchor=anchor)


def text_width(content, size, weight="regular"):
    return font(size, weight).getlength(content) / SCALE


def wrap(content, size, width, weight="regular"):
    lines, line = [], ""
    for word in content.split():
        trial = (line + " " + word).strip()
        if text_width(trial, size, weight) <= width or not line:
            line = trial
        else:
            lines.append(line)
            line = word
    if line:
        lines.append(line)
    return lines


def paragraph(draw, x, y, content, size, width, colour, weight="regular", leading=1.45):
    for line in wrap(content, size, width, weight):
        text(draw, (x, y), line, size, colour, weight)
        y += size * leading
    return y


def rounded_box(image, box, radius, fill=None, outline=None, width=1):
    x, y, w, h = box
    draw = ImageDraw.Draw(image)
    draw.rounded_rectangle([s(x), s(y), s(x + w) - 1, s(y + h) - 1], radius=s(radius), fill=fill,
                           outline=outline, width=s(width))


def button_face(image, box, caption, primary):
    """A raised, rounded face with its caption centred; primary faces are filled blue."""
    x, y, w, h = box
    # soft shadow under the face
    shadow = Image.new("L", image.size, 0)
    ImageDraw.Draw(shadow).rounded_rectangle([s(x + 1), s(y + 3), s(x + w - 1), s(y + h + 1)],
                                             radius=s(8), fill=90)
    shadow = shadow.filter(ImageFilter.GaussianBlur(s(2)))
    image.paste((40, 44, 80), (0, 0), shadow)
    face = vertical_gradient(w, h, [(0, (90, 158, 232)), (0.5, SKY), (1, BLUE)] if primary else
                             [(0, (255, 255, 255)), (1, (226, 230, 242))])
    mask = Image.new("L", face.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, face.size[0] - 1, face.size[1] - 1],
                                           radius=s(8), fill=255)
    image.paste(face, (s(x), s(y)), mask)
    rounded_box(image, box, 8, outline=(18, 62, 130) if primary else (150, 160, 190), width=1)
    # a thin highlight along the top edge
    draw = ImageDraw.Draw(image)
    draw.line([(s(x + 8), s(y + 1.5)), (s(x + w - 8), s(y + 1.5))],
              fill=(160, 205, 250) if primary else (255, 255, 255), width=s(1))
    colour = (255, 255, 255) if primary else NAVY
    text(draw, (x + w / 2, y + h / 2 + 0.5), caption, 11.5, colour, "bold", anchor="mm")


def header(image, width, height, compact=False):
    """The dark blue band at the top with the mark and the product name."""
    band = vertical_gradient(width, height, [(0, (12, 28, 70)), (0.6, NAVY), (1, (28, 62, 128))])
    glow(band, (width * 0.82, height * 0.2), height * 0.9, (70, 120, 210), 0.45)
    wave_lines(band, 0, height, (255, 255, 255))
    image.paste(band, (0, 0))
    draw = ImageDraw.Draw(image)
    # a gold rule under the band
    draw.rectangle([0, s(height), s(width), s(height + 3)], fill=GOLD)
    draw.rectangle([0, s(height + 3), s(width), s(height + 4)], fill=(200, 150, 20))
    r = 20 if compact else 27
    cx = 18 + r
    cy = height / 2 + 1
    logo(image, cx, cy, r)
    x = cx + r + 12
    title = 17 if compact else 22
    text(draw, (x, cy - title * 0.62 - 6), "VORDA", 8.5 if compact else 9.5, GOLD, "bold")
    text(draw, (x - 1, cy - title * 0.62 + 5), "Orvalis", title, (255, 255, 255), "bold")
    w = text_width("Orvalis", title, "bold")
    text(draw, (x + w + 6, cy - title * 0.62 + 5), "Tool Kit", title, (190, 212, 245), "light")


def body(width, height, top):
    return vertical_gradient(width, height - top, [(0, (252, 252, 255)), (1, (232, 234, 246))])


def footer(image, width, height, y, t, step=None):
    draw = ImageDraw.Draw(image)
    draw.line([(s(14), s(y)), (s(width - 14), s(y))], fill=(208, 212, 230), width=s(1))
    if step is not None:
        # three dots: the steps of the set-up, the current one filled
        for i, name in enumerate(t["steps"]):
            cx, cy = 24, y + 16 + i * 13
            on = i == step
            draw.ellipse([s(cx - 3.5), s(cy - 3.5), s(cx + 3.5), s(cy + 3.5)],
                         fill=BLUE if on else (255, 255, 255),
                         outline=BLUE if on else (160, 168, 196), width=s(1))
            text(draw, (cx + 9, cy), name, 8.5, NAVY if on else MUTED,
                 "bold" if on else "regular", anchor="lm")


def screen(width, height, band):
    image = Image.new("RGB", (s(width), s(height)))
    image.paste(body(width, height, band), (0, s(band)))
    return image


# -- 8-bit run-length encoding (BI_RLE8) ----------------------------------------------------
BI_RGB, BI_RLE8 = 0, 1


def rle8_row(row):
    """One row of palette indexes as BI_RLE8 runs, without the end-of-line mark.

    Runs of three or more equal pixels become (count, index) pairs; everything between them
    goes out in absolute mode (0, count, indexes..., padded to a whole word). Absolute mode
    needs at least three pixels, so shorter stretches are written as runs of one or two. An
    absolute stretch holds at most 254 pixels: Wine's decoder misreads one of 255 (an odd
    count at the byte's limit, with its pad byte) and everything after it.
    """
    out = bytearray()
    i, n = 0, len(row)
    while i < n:
        run = 1
        while i + run < n and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 3:
            out += bytes((run, row[i]))
            i += run
            continue
        # a literal stretch: up to the next run of three or the end of the row
        start = i
        while i < n and i - start < 254:
            if i + 2 < n and row[i] == row[i + 1] == row[i + 2]:
                break
            i += 1
        literal = row[start:i]
        if len(literal) >= 3:
            out += bytes((0, len(literal))) + literal + (b"\0" if len(literal) % 2 else b"")
        else:
            for value in literal:
                out += bytes((1, value))
    return bytes(out)


def rle8(rows):
    """Bottom-up rows of indexes (unpadded) -> the whole BI_RLE8 stream."""
    out = bytearray()
    for number, row in enumerate(rows):
        out += rle8_row(row)
        out += b"\0\1" if number == len(rows) - 1 else b"\0\0"
    return bytes(out)


def bottom_up_rows(image):
    width, height = image.size
    raw = image.tobytes()
    return [raw[y * width:(y + 1) * width] for y in range(height - 1, -1, -1)]


def save_bitmap(image, path, uncompressed_path):
    """Writes an 8-bit picture as it is and, when that is smaller, run-length encoded; the
    system reads either form with LoadImage/LoadBitmap. Palette and header otherwise stay
    exactly as the uncompressed file has them."""
    buffer = io.BytesIO()
    image.save(buffer, "BMP")
    plain = buffer.getvalue()
    os.makedirs(os.path.dirname(uncompressed_path), exist_ok=True)
    with open(uncompressed_path, "wb") as out:
        out.write(plain)
    pixels_at = struct.unpack_from("<I", plain, 10)[0]
    info = bytearray(plain[14:pixels_at])  # BITMAPINFOHEADER and palette
    if struct.unpack_from("<H", info, 14)[0] != 8:
        raise ValueError(path + ": not 8 bits per pixel")
    encoded = rle8(bottom_up_rows(image))
    if len(encoded) >= len(plain) - pixels_at:
        data = plain
    else:
        struct.pack_into("<II", info, 16, BI_RLE8, len(encoded))  # biCompression, biSizeImage
        body = bytes(info) + encoded
        data = b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, 14 + len(info)) + body
    with open(path, "wb") as out:
        out.write(data)


def finish(image, width, height, path):
    small = image.resize((width, height), Image.LANCZOS)
    picture = small.convert("P", palette=Image.ADAPTIVE, colors=256)
    folder, name = os.path.split(path)
    save_bitmap(picture, path, os.path.join(folder, "uncompressed", name))


# -- the screens ------------------------------------------------------------------------------
def draw_welcome(t, path):
    (W, H), BAND = LARGE, 84
    image = screen(W, H, BAND)
    header(image, W, BAND)
    draw = ImageDraw.Draw(image)
    text(draw, (32, 104), t["welcome_heading"], 21, NAVY, "bold")
    y = paragraph(draw, 32, 138, t["welcome_lead"], 10.5, 410, INK, "bold")
    y += 6
    for part in t["welcome_body"]:
        # a small gold square in front of each point
        draw.rectangle([s(33), s(y + 4), s(38), s(y + 9)], fill=GOLD)
        y = paragraph(draw, 46, y, part, 10, 396, INK) + 6
    y += 2
    paragraph(draw, 32, max(y, 268), t["welcome_hint"], 9.5, 410, MUTED)
    footer(image, W, H, 324, t, step=0)
    button_face(image, FACE_PROCEED, t["continue"], True)
    button_face(image, FACE_STOP, t["exit"], False)
    finish(image, W, H, path)


def draw_license(t, path):
    (W, H), BAND = LARGE, 64
    image = screen(W, H, BAND)
    header(image, W, BAND, compact=True)
    draw = ImageDraw.Draw(image)
    x, y, w, h = LICENSE_PANEL
    text(draw, (x, 80), t["license_heading"], 17, NAVY, "bold")
    text(draw, (x, 106), t["license_lead"], 9.5, MUTED)
    # the heading bar the text panel hangs under; the panel itself is left for the text
    rounded_box(image, (x - 1, y - 9, w + 2, 10), 3, fill=BLUE)
    draw.rectangle([s(x - 1), s(y - 4), s(x + w + 1), s(y)], fill=BLUE)
    draw.rectangle([s(x), s(y), s(x + w), s(y + h)], fill=PANEL)
    # a page mark at the left of the panel
    px, py = 28, 150
    rounded_box(image, (px, py, 30, 38), 3, fill=(255, 255, 255), outline=(150, 160, 190))
    for i in range(4):
        draw.line([(s(px + 6), s(py + 10 + i * 6)), (s(px + 24 - (i == 3) * 8),
                   s(py + 10 + i * 6))], fill=(150, 160, 190), width=s(1.5))
    draw.ellipse([s(px + 17), s(py + 28), s(px + 35), s(py + 46)], fill=GOLD,
                 outline=(200, 150, 20), width=s(1))
    footer(image, W, H, 324, t, step=1)
    button_face(image, FACE_PROCEED, t["accept"], True)
    button_face(image, FACE_STOP, t["cancel"], False)
    finish(image, W, H, path)


def draw_confirm_exit(t, path):
    (W, H), BAND = SMALL, 56
    image = screen(W, H, BAND)
    header(image, W, BAND, compact=True)
    draw = ImageDraw.Draw(image)
    # a warning sign beside the question
    cx, cy = 44, 110
    draw.polygon([(s(cx), s(cy - 20)), (s(cx + 22), s(cy + 18)), (s(cx - 22), s(cy + 18))],
                 fill=GOLD, outline=(200, 150, 20))
    text(draw, (cx, cy + 5), "!", 20, NAVY, "bold", anchor="mm")
    text(draw, (80, 82), t["confirm_heading"], 16, NAVY, "bold")
    y = paragraph(draw, 80, 112, t["confirm_body"], 10, 285, INK)
    text(draw, (80, y + 10), t["confirm_question"], 10.5, NAVY, "bold")
    draw.line([(s(14), s(221)), (s(W - 14), s(221))], fill=(208, 212, 230), width=s(1))
    button_face(image, FACE_GO_BACK, t["go_back"], False)
    button_face(image, FACE_EXIT, t["exit"], True)
    finish(image, W, H, path)


def draw_progress(t, path):
    (W, H), BAND = SMALL, 56
    image = screen(W, H, BAND)
    header(image, W, BAND, compact=True)
    draw = ImageDraw.Draw(image)
    text(draw, (28, 74), t["progress_heading"], 16, NAVY, "bold")
    paragraph(draw, 28, 102, t["progress_body"], 9.5, 330, INK)
    x, y, w, h = PROGRESS_BAR
    # a trough around the bar's place; the bar itself is drawn by the progress control
    rounded_box(image, (x - 4, y - 4, w + 8, h + 8), 5, fill=(255, 255, 255),
                outline=(170, 178, 205))
    draw.rectangle([s(x), s(y), s(x + w), s(y + h)], fill=PANEL)
    # a parcel beside the bar: what is being installed
    bx, by = 30, 140
    draw.polygon([(s(bx), s(by + 8)), (s(bx + 16), s(by)), (s(bx + 32), s(by + 8)),
                  (s(bx + 16), s(by + 16))], fill=(120, 176, 238))
    draw.polygon([(s(bx), s(by + 8)), (s(bx + 16), s(by + 16)), (s(bx + 16), s(by + 36)),
                  (s(bx), s(by + 28))], fill=BLUE)
    draw.polygon([(s(bx + 16), s(by + 16)), (s(bx + 32), s(by + 8)), (s(bx + 32), s(by + 28)),
                  (s(bx + 16), s(by + 36))], fill=NAVY)
    draw.line([(s(bx + 8), s(by + 4)), (s(bx + 24), s(by + 12))], fill=GOLD, width=s(3))
    footer(image, W, H, 208, t, step=None)
    button_face(image, FACE_CANCEL_PROGRESS, t["cancel"], False)
    finish(image, W, H, path)


def splash_picture(t, width, height, reveal=1.0, with_text=True):
    """The splash artwork; reveal (0..1) lets the clip build it up frame by frame."""
    image = vertical_gradient(width, height, [(0, (10, 22, 60)), (0.55, NAVY), (1, (30, 70, 140))])
    glow(image, (width * 0.30, height * 0.42), height * 0.55, (60, 120, 220), 0.55 * reveal)
    glow(image, (width * 0.9, height * 0.95), height * 0.5, (90, 60, 170), 0.35)
    wave_lines(image, height * 0.45, height * 1.05, (255, 255, 255), count=6)
    draw = ImageDraw.Draw(image)
    r = height * 0.16
    cx, cy = width * 0.24, height * 0.44
    if reveal > 0:
        logo(image, cx, cy, r * (0.6 + 0.4 * min(1.0, reveal * 1.6)))
    if with_text:
        fade = max(0.0, min(1.0, (reveal - 0.35) / 0.5))
        x = cx + r + 18
        text(draw, (x, cy - height * 0.18), "VORDA", height * 0.048,
             mix(NAVY, GOLD, fade), "bold")
        text(draw, (x - 2, cy - height * 0.13), "Orvalis", height * 0.12,
             mix(NAVY, (255, 255, 255), fade), "bold")
        text(draw, (x, cy + height * 0.02), "Tool Kit", height * 0.085,
             mix(NAVY, (190, 212, 245), fade), "light")
        text(draw, (x, cy + height * 0.15), t["tagline"], height * 0.038,
             mix(NAVY, (210, 222, 245), fade))
        # the gold rule under the name grows with the fade; before the fade starts there is
        # none at all (a rule one pixel long showed as a stray dot in the first frames)
        if fade > 0:
            draw.rectangle([s(x), s(cy + height * 0.13), s(x + 61 * fade),
                            s(cy + height * 0.13 + 2)], fill=GOLD)
    return image


def draw_splash(t, path):
    W, H = SPLASH
    image = splash_picture(t, W, H)
    draw = ImageDraw.Draw(image)
    text(draw, (W - 14, H - 14), t["copyright"], 8, (150, 168, 205), anchor="rs")
    finish(image, W, H, path)


# -- the splash clip --------------------------------------------------------------------------
def write_avi(path, frames, microseconds_per_frame, compress=True):
    """8-bit DIB frames with one palette, each a whole picture (no deltas from the frame
    before): what the animation control plays. compress: every frame BI_RLE8 encoded, as the
    control accepts besides uncompressed frames."""
    width, height = frames[0].size
    palette = frames[0].getpalette()[:768]
    palette += [0] * (768 - len(palette))
    stride = (width + 3) & ~3
    frame_bytes = []
    for frame in frames:
        rows = bottom_up_rows(frame)
        if compress:
            frame_bytes.append(rle8(rows))
        else:
            frame_bytes.append(b"".join(row + b"\0" * (stride - width) for row in rows))
    # the largest frame: the control reads whole frames into a buffer of this size
    size = max(len(data) for data in frame_bytes)

    def chunk(fourcc, data):
        pad = b"\0" if len(data) % 2 else b""
        return fourcc + struct.pack("<I", len(data)) + data + pad

    def listed(kind, data):
        return b"LIST" + struct.pack("<I", len(data) + 4) + kind + data

    count = len(frames)
    handler, compression = (b"RLE ", BI_RLE8) if compress else (b"DIB ", BI_RGB)
    avih = struct.pack("<14I", microseconds_per_frame, size * 1000000 // microseconds_per_frame,
                       0, 0x10, count, 0, 1, size, width, height, 0, 0, 0, 0)
    strh = b"vids" + handler + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1,
                                           1000000 // microseconds_per_frame, 0, count, size,
                                           0xFFFFFFFF, 0, 0, 0, width, height)
    bih = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, compression, size, 0, 0, 256, 0)
    rgbquads = b"".join(bytes((palette[i * 3 + 2], palette[i * 3 + 1], palette[i * 3], 0))
                        for i in range(256))
    strl = listed(b"strl", chunk(b"strh", strh) + chunk(b"strf", bih + rgbquads))
    hdrl = listed(b"hdrl", chunk(b"avih", avih) + strl)
    movi_data = b""
    index = b""
    offset = 4  # entries count from the 'movi' fourcc
    for data in frame_bytes:
        index += b"00db" + struct.pack("<III", 0x10, offset, len(data))  # every frame a key frame
        piece = chunk(b"00db", data)
        movi_data += piece
        offset += len(piece)
    movi = listed(b"movi", movi_data)
    body = b"AVI " + hdrl + movi + chunk(b"idx1", index)
    with open(path, "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def draw_clip(path):
    W, H, COUNT = 360, 240, 30
    t = {"tagline": ""}
    rgb = []
    for i in range(COUNT):
        reveal = min(1.0, i / (COUNT * 0.8))
        image = splash_picture(t, W, H, reveal=reveal)
        rgb.append(image.resize((W, H), Image.LANCZOS))
    # One palette for every frame, made from a sheet of every third frame, so that the
    # colours of the fade-in are in it; no dithering, which would make edges crawl.
    samples = rgb[::3] + [rgb[-1]]
    sheet = Image.new("RGB", (W, H * len(samples)))
    for n, frame in enumerate(samples):
        sheet.paste(frame, (0, H * n))
    palette = sheet.quantize(colors=256, method=Image.MEDIANCUT)
    frames = [frame.quantize(palette=palette, dither=Image.NONE) for frame in rgb]
    write_avi(path, frames, 100000)  # 10 frames a second, three seconds in all
    stem, extension = os.path.splitext(path)
    write_avi(stem + ".uncompressed" + extension, frames, 100000, compress=False)


def main(argv):
    if len(argv) == 4 and argv[1] == "screens":
        folder, lang = argv[2], argv[3]
        t = TEXTS[lang]
        os.makedirs(folder, exist_ok=True)
        draw_welcome(t, os.path.join(folder, "welcome.bmp"))
        draw_license(t, os.path.join(folder, "license.bmp"))
        draw_confirm_exit(t, os.path.join(folder, "confirm_exit.bmp"))
        draw_progress(t, os.path.join(folder, "progress.bmp"))
        draw_splash(t, os.path.join(folder, "splash.bmp"))
        return 0
    if len(argv) == 3 and argv[1] == "clip":
        os.makedirs(os.path.dirname(os.path.abspath(argv[2])), exist_ok=True)
        draw_clip(argv[2])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
