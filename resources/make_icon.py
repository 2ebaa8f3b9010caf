#!/usr/bin/env python3
"""Draws the About icon, a closed cardboard package with a strip of tape,
and writes it as resources/vantrel.ico: two 32 x 32 images, 8 bits per pixel
with a 256-colour palette and 24 bits per pixel, with one shared transparency
mask. Run it again after changing the picture, and commit both files."""

import os
import struct

SIZE = 32
# The three visible faces of the box, as polygons in pixel coordinates.
TOP = [(16, 3), (29, 9.5), (16, 16), (3, 9.5)]
LEFT = [(3, 9.5), (16, 16), (16, 29.5), (3, 23)]
RIGHT = [(16, 16), (29, 9.5), (29, 23), (16, 29.5)]
FACE_COLOURS = {"top": (232, 190, 122), "left": (196, 140, 72), "right": (160, 106, 48),
                "tape": (236, 226, 200), "label": (250, 250, 246), "ink": (64, 64, 92),
                "edge": (92, 58, 24)}


def inside(polygon, x, y):
    hit = False
    for (x1, y1), (x2, y2) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def part_at(x, y):
    """Names what the pixel's centre shows, or None where the icon is transparent."""
    cx, cy = x + 0.5, y + 0.5
    if inside(TOP, cx, cy):
        # The tape runs across the top, parallel to its left edge.
        return "tape" if abs(cy - 9.5 - 0.5 * (cx - 16)) < 1.5 else "top"
    if inside(RIGHT, cx, cy):
        return "tape" if abs(cx - 22.5) < 1.5 else "right"
    if inside(LEFT, cx, cy):
        # A shipping label on the left face, with two lines of writing.
        u, v = cx - 3, cy - 9.5 - 0.5 * (cx - 3)
        if 2 <= u <= 11 and 4 <= v <= 10:
            return "ink" if int(v) in (6, 8) and 3 <= u <= 10 else "label"
        return "left"
    return None


def picture():
    parts = [[part_at(x, y) for x in range(SIZE)] for y in range(SIZE)]
    image = [[None] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            part = parts[y][x]
            if part is None:
                continue
            neighbours = [parts[y + dy][x + dx] if 0 <= y + dy < SIZE and 0 <= x + dx < SIZE else None
                          for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
            outline = any(n is None for n in neighbours) or (part in ("top", "left", "right") and any(
                n in ("top", "left", "right") and n != part for n in neighbours))
            image[y][x] = "edge" if outline else part
    return image


def shade(part, x, y):
    """The full-colour image: the faces darken gently away from the light."""
    r, g, b = FACE_COLOURS[part]
    if part in ("top", "left", "right", "tape"):
        k = 1.08 - 0.012 * (x + y) / 2
        r, g, b = (min(255, int(c * k)) for c in (r, g, b))
    return r, g, b


def bitmap_header(bits, pixel_bytes):
    # The height counts the colour image and the mask together.
    return struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, bits, 0, pixel_bytes + SIZE * 4, 0, 0, 0, 0)


def mask_rows(image):
    rows = b""
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (image[y][x] is None)
        rows += struct.pack(">I", bits)
    return rows


def image_8bpp(image):
    names = sorted(FACE_COLOURS)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in (FACE_COLOURS[n] for n in names))
    # Entry 0 is black, shown under the mask where the icon is transparent.
    palette = (bytes(4) + palette).ljust(256 * 4, b"\0")
    pixels = b"".join(bytes(0 if image[y][x] is None else 1 + names.index(image[y][x])
                            for x in range(SIZE)) for y in reversed(range(SIZE)))
    return bitmap_header(8, len(pixels)) + palette + pixels + mask_rows(image)


def image_24bpp(image):
    pixels = b""
    for y in reversed(range(SIZE)):
        for x in range(SIZE):
            r, g, b = (0, 0, 0) if image[y][x] is None else shade(image[y][x], x, y)
            pixels += bytes((b, g, r))
    return bitmap_header(24, len(pixels)) + pixels + mask_rows(image)


def main():
    image = picture()
    images = [(image_8bpp(image), 0, 8), (image_24bpp(image), 0, 24)]
    assert [len(data) for data, _, _ in images] == [2216, 3240]
    offset = 6 + 16 * len(images)
    icon = struct.pack("<HHH", 0, 1, len(images))
    for data, colours, bits in images:
        icon += struct.pack("<BBBBHHII", SIZE, SIZE, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    icon += b"".join(data for data, _, _ in images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "vantrel.ico")
    with open(path, "wb") as f:
        f.write(icon)


if __name__ == "__main__":
    main()
