#!/usr/bin/python3
"""Draws the set-up's icon and the hand cursor of the skinned buttons.

  make_icon_cursor.py OUTPUT_FOLDER

Writes setup.ico (16, 32 and 48 pixels) and hand.cur (32 pixels, hot spot at the tip of
the pointing finger). Both hold 32-bit DIB images with an AND mask, the form every Windows
since XP (and Wine) reads; PNG entries are avoided on purpose.
"""
import os
import struct
import sys

from PIL import Image, ImageDraw


def draw_icon(size):
    """A blue disc with a white ring and a toolkit wrench across it."""
    scale = 4  # draw large, then shrink, for smooth edges
    big = size * scale
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    margin = big // 16
    draw.ellipse([margin, margin, big - margin, big - margin], fill=(24, 84, 168, 255),
                 outline=(10, 40, 90, 255), width=max(scale, big // 32))
    ring = big // 4
    draw.ellipse([ring, ring, big - ring, big - ring], outline=(255, 255, 255, 255),
                 width=max(scale, big // 10))
    # wrench handle across the disc, lower left to upper right
    width = max(scale, big // 9)
    draw.line([(big * 0.30, big * 0.70), (big * 0.72, big * 0.28)], fill=(250, 196, 40, 255),
              width=width)
    jaw = big // 7
    cx, cy = big * 0.72, big * 0.28
    draw.ellipse([cx - jaw, cy - jaw, cx + jaw, cy + jaw], fill=(250, 196, 40, 255))
    draw.ellipse([cx - jaw // 3, cy - jaw // 3 - jaw // 2, cx + jaw // 3 + jaw // 2,
                  cy + jaw // 3], fill=(24, 84, 168, 255))
    return image.resize((size, size), Image.LANCZOS)


HAND = [
    # (x, y) outline of a hand with the index finger up, in a 32 x 32 grid
    (10, 1), (13, 1), (14, 3), (14, 11), (16, 10), (19, 11), (20, 12), (22, 11), (25, 12),
    (26, 13), (28, 13), (30, 15), (30, 23), (28, 27), (27, 30), (13, 30), (12, 27),
    (5, 19), (4, 17), (6, 15), (9, 17), (9, 3),
]
HOT_SPOT = (11, 1)


def draw_cursor():
    size = 32
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw.polygon(HAND, fill=(255, 255, 255, 255), outline=(0, 0, 0, 255))
    # knuckle lines between the folded fingers
    for x in (14, 19, 25):
        draw.line([(x, 13), (x, 18)], fill=(0, 0, 0, 255))
    return image


def dib(image):
    """BITMAPINFOHEADER, bottom-up BGRA pixels and the AND mask of one icon image."""
    width, height = image.size
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    row_bytes = ((width + 31) // 32) * 4
    for y in range(height - 1, -1, -1):
        mask_row = bytearray(row_bytes)
        for x in range(width):
            r, g, b, a = image.getpixel((x, y))
            pixels += bytes((b, g, r, a))
            if a < 128:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        mask += mask_row
    return header + bytes(pixels) + bytes(mask)


def write_group(path, kind, entries):
    """ICO (kind 1) or CUR (kind 2) file; entries are (image, hot spot or None)."""
    blobs = [dib(image) for image, _ in entries]
    out = bytearray(struct.pack("<HHH", 0, kind, len(entries)))
    offset = 6 + 16 * len(entries)
    for (image, hot), blob in zip(entries, blobs):
        width, height = image.size
        if kind == 1:
            planes, bits = 1, 32
        else:
            planes, bits = hot
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, planes, bits,
                           len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(folder, exist_ok=True)
    write_group(os.path.join(folder, "setup.ico"), 1,
                [(draw_icon(size), None) for size in (48, 32, 16)])
    write_group(os.path.join(folder, "hand.cur"), 2, [(draw_cursor(), HOT_SPOT)])


if __name__ == "__main__":
    main()
