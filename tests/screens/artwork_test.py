#!/usr/bin/python3
"""The drawn artwork as the program carries it: every run-length encoded bitmap and every
frame of the splash clip decoded by an independent decoder (Pillow's) gives exactly the
pixels and palette of the same picture stored uncompressed; the clip opens without a stray
mark; the files stay within their size budgets."""
import io
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import winetest  # noqa: E402
from PIL import Image  # noqa: E402

BUILD = winetest.build_dir()
SCREENS = os.path.join(BUILD, "resources", "screens")
LANGUAGES = ["en", "fr"]
PICTURES = ["welcome.bmp", "license.bmp", "confirm_exit.bmp", "progress.bmp", "splash.bmp"]
BI_RLE8 = 1
GOLD = (250, 196, 40)

# Largest sizes in bytes of what goes on the disc.
BUDGETS = [
    (os.path.join("src", "setup", "setup.exe"), 500_000),
    (os.path.join("lang", "ortk_en.dll"), 250_000),
    (os.path.join("lang", "ortk_fr.dll"), 250_000),
    (os.path.join("resources", "screens", "splash.avi"), 700_000),
]


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def decoded(data):
    image = Image.open(io.BytesIO(data))
    image.load()
    return image


def compression(bmp):
    return struct.unpack_from("<I", bmp, 14 + 16)[0]


def same_picture(actual, expected, what):
    check(actual.size == expected.size, f"{what}: size {actual.size} != {expected.size}")
    check(actual.mode == expected.mode == "P", f"{what}: modes {actual.mode}, {expected.mode}")
    check(actual.getpalette() == expected.getpalette(), f"{what}: palettes differ")
    a, b = actual.tobytes(), expected.tobytes()
    if a != b:
        first = next(i for i in range(len(a)) if a[i] != b[i])
        width = actual.size[0]
        raise AssertionError(f"{what}: pixel ({first % width}, {first // width}) is "
                             f"{a[first]}, not {b[first]}")


def bitmaps_decode_to_the_uncompressed_pixels():
    for lang in LANGUAGES:
        for name in PICTURES:
            what = f"{lang}/{name}"
            with open(os.path.join(SCREENS, lang, name), "rb") as f:
                carried = f.read()
            with open(os.path.join(SCREENS, lang, "uncompressed", name), "rb") as f:
                plain = f.read()
            same_picture(decoded(carried), decoded(plain), what)
            # compressed wherever that is smaller, and then never larger than before
            check(compression(carried) == BI_RLE8 or carried == plain, f"{what}: not RLE8")
            check(len(carried) <= len(plain), f"{what}: {len(carried)} > {len(plain)} bytes")


def avi_frames(path):
    """(BITMAPINFOHEADER with palette, [frame data]) of a one-stream 8-bit AVI."""
    with open(path, "rb") as f:
        data = f.read()
    check(data[:4] == b"RIFF" and data[8:12] == b"AVI ", f"{path}: not an AVI")
    header, frames = None, []

    def walk(start, end):
        nonlocal header
        while start + 8 <= end:
            fourcc, size = data[start:start + 4], struct.unpack_from("<I", data, start + 4)[0]
            body = start + 8
            if fourcc == b"LIST":
                walk(body + 4, body + size)
            elif fourcc == b"strf":
                header = data[body:body + size]
            elif fourcc == b"00db":
                frames.append(data[body:body + size])
            start = body + size + (size & 1)

    walk(12, len(data))
    check(header is not None and frames, f"{path}: no format or no frames")
    return header, frames


def frame_picture(header, frame):
    """One clip frame as a bitmap file, the way the control hands it to the system."""
    info = bytearray(header)
    struct.pack_into("<I", info, 20, len(frame))  # biSizeImage of this frame
    body = bytes(info) + frame
    return decoded(b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, 14 + len(info)) + body)


def clip_frames_decode_to_the_uncompressed_pixels():
    clip = os.path.join(SCREENS, "splash.avi")
    header, frames = avi_frames(clip)
    plain_header, plain_frames = avi_frames(os.path.join(SCREENS, "splash.uncompressed.avi"))
    check(struct.unpack_from("<I", header, 16)[0] == BI_RLE8, "clip frames not RLE8")
    check(len(frames) == len(plain_frames), f"{len(frames)} frames, {len(plain_frames)} expected")
    largest = struct.unpack_from("<I", header, 20)[0]
    for number, (frame, plain) in enumerate(zip(frames, plain_frames)):
        check(len(frame) <= largest, f"frame {number}: larger than the clip's buffer size")
        same_picture(frame_picture(header, frame), frame_picture(plain_header, plain),
                     f"frame {number}")


def clip_starts_without_a_gold_mark():
    # Before the name fades in, only the growing mark at the left holds gold: nothing gold
    # right of it (a stray dot stood where the rule under the name later grows).
    header, frames = avi_frames(os.path.join(SCREENS, "splash.avi"))
    for number in range(3):
        image = frame_picture(header, frames[number]).convert("RGB")
        width, height = image.size
        pixels = image.load()
        golden = [(x, y) for y in range(height) for x in range(int(width * 0.36), width)
                  if sum(abs(a - b) for a, b in zip(pixels[x, y], GOLD)) < 120]
        check(not golden, f"frame {number}: gold pixels at {golden[:5]}")


def is_32bit_program(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<H", data, pe + 4)[0] == 0x14C  # IMAGE_FILE_MACHINE_I386


def files_within_their_budgets():
    # The budgets are the 32-bit product's; a 64-bit test build measures the product beside it.
    product = BUILD
    if not is_32bit_program(os.path.join(product, BUDGETS[0][0])):
        product = os.path.join(os.path.dirname(BUILD), "win32")
    for path, budget in BUDGETS:
        size = os.path.getsize(os.path.join(product, path))
        check(size <= budget, f"{path}: {size} bytes, budget {budget}")


def main():
    results = winetest.Results("ArtworkTest")
    for case in (bitmaps_decode_to_the_uncompressed_pixels,
                 clip_frames_decode_to_the_uncompressed_pixels,
                 clip_starts_without_a_gold_mark,
                 files_within_their_budgets):
        with results.case(case.__name__):
            case()
    results.write(winetest.results_path_from_args(sys.argv))
    return 1 if results.failed() else 0


if __name__ == "__main__":
    sys.exit(main())
