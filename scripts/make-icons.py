#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files into res/.

The icons are committed; run this again only to change the drawing.
  Vantry.ico   - the program icon, 32-bit with alpha, in the sizes the title bar,
                 the notification area, the task switcher and the about dialog ask
                 for at 100 to 200 % display scaling
  Generic.ico  - the fallback icon for a program without one, 16 colours, in the
                 small icon's sizes at 100 to 250 % and 48x48
Each drawing is made on a 16x16 grid and drawn anew at every size, so no size
is a blurred copy of another.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, "..", "res")


def bmp_entry_32(size, pixel):
    """A 32-bit ICO image: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b""
    mask_rows = b""
    stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        bits = 0
        row_mask = bytearray(stride)
        for x in range(size):
            r, g, b, a = pixel(x, y, size)
            rows += bytes((b, g, r, a))
            if a == 0:
                row_mask[x // 8] |= 0x80 >> (x % 8)
        mask_rows += bytes(row_mask)
    return header + rows + mask_rows


def program_pixel(x, y, n):
    """A blue rounded tile carrying a white list with a green 'running' mark."""
    s = n / 16.0
    fx, fy = (x + 0.5) / s, (y + 0.5) / s
    # rounded tile 0.5..15.5 with corner radius 3
    r = 3.0
    cx = min(max(fx, 0.5 + r), 15.5 - r)
    cy = min(max(fy, 0.5 + r), 15.5 - r)
    if (fx - cx) ** 2 + (fy - cy) ** 2 > r * r or not (0.5 <= fx <= 15.5 and 0.5 <= fy <= 15.5):
        return (0, 0, 0, 0)
    # green dot at the top right
    if (fx - 11.5) ** 2 + (fy - 4.5) ** 2 <= 2.3 ** 2:
        return (60, 200, 90, 255)
    # three list lines
    for top in (7.0, 9.5, 12.0):
        if top <= fy < top + 1.4 and 3.0 <= fx < (13.0 if top > 7 else 8.5):
            return (255, 255, 255, 255)
    # bullet of the first line
    if 3.0 <= fx < 4.4 and 3.8 <= fy < 5.2:
        return (255, 255, 255, 255)
    shade = int(40 * fy / 16)
    return (30 + shade, 90 + shade, 190 + shade // 2, 255)


PROGRAM_SIZES = (16, 20, 24, 32, 40, 48, 64, 72, 96)
GENERIC_SIZES = (16, 20, 24, 32, 40, 48)


def generic_16_colour(n):
    """A plain application window: grey frame, blue title bar, white client."""
    # The standard 16-colour palette.
    palette = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
               (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
               (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
    s = n / 16.0
    def index(px, py):
        # The pixel's place on the 16x16 grid of the drawing.
        x, y = int((px + 0.5) / s), int((py + 0.5) / s)
        if not (1 <= x <= 14 and 2 <= y <= 13):
            return None
        if x in (1, 14) or y in (2, 13):
            return 8           # frame
        if y in (3, 4):
            return 4           # title bar
        return 15              # client
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    xor_stride = ((n * 4 + 31) // 32) * 4
    and_stride = ((n + 31) // 32) * 4
    xor = b""
    andm = b""
    for y in reversed(range(n)):
        row = bytearray(xor_stride)
        m = bytearray(and_stride)
        for x in range(n):
            i = index(x, y)
            if i is None:
                m[x // 8] |= 0x80 >> (x % 8)
                i = 0
            row[x // 2] |= (i << 4) if x % 2 == 0 else i
        xor += bytes(row)
        andm += bytes(m)
    return header + pal + xor + andm, 16


def write_ico(path, images):
    """images: list of (size, data, colour_count, bpp)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data, colours, bpp in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
        body += data
    with open(path, "wb") as f:
        f.write(out + body)


def main():
    os.makedirs(RES, exist_ok=True)
    write_ico(os.path.join(RES, "Vantry.ico"),
              [(n, bmp_entry_32(n, program_pixel), 0, 32) for n in PROGRAM_SIZES])
    images = []
    for n in GENERIC_SIZES:
        data, colours = generic_16_colour(n)
        images.append((n, data, colours, 4))
    write_ico(os.path.join(RES, "Generic.ico"), images)


if __name__ == "__main__":
    main()
