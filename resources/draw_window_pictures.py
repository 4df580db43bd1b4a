#!/usr/bin/env python3
"""Draws the window's pictures as PNG files next to this script (standard library only):

BITMAP0.png  290 x 290, 32 bits per pixel: a red circular sign with a white cross (the error view)
ASMA16.png, ASMA32.png  16 x 16 and 32 x 32: a chip (the window's and the taskbar's icon)

Run it again only to change the pictures; the files it writes are committed and built in.
"""

import math
import pathlib
import struct
import zlib

HERE = pathlib.Path(__file__).resolve().parent


def write_png(path, width, height, rows):
    """rows: one bytes object per row, RGBA, 4 bytes per pixel."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rows)  # filter type 0 on every row
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8 bits, RGBA
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                     chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def error_sign(size=290, samples=4):
    centre = size / 2
    outer = size / 2 - 2
    rim = outer - 10
    half_bar = size * 0.075     # half the width of each stroke of the cross
    arm = outer * 0.52          # how far the cross reaches from the centre
    red, dark_red, white = (214, 24, 24), (150, 10, 10), (255, 255, 255)
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            totals = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    px = x + (sx + 0.5) / samples - centre
                    py = y + (sy + 0.5) / samples - centre
                    distance = math.hypot(px, py)
                    if distance > outer:
                        continue
                    covered += 1
                    # Strokes along the two diagonals, cut off at `arm` from the centre.
                    along1, across1 = (px + py) / math.sqrt(2), (px - py) / math.sqrt(2)
                    in_cross = ((abs(across1) <= half_bar and abs(along1) <= arm) or
                                (abs(along1) <= half_bar and abs(across1) <= arm))
                    colour = white if in_cross else (dark_red if distance > rim else red)
                    for i in range(3):
                        totals[i] += colour[i]
            if covered == 0:
                row += bytes((0, 0, 0, 0))
                continue
            alpha = round(255 * covered / (samples * samples))
            row += bytes(round(t / covered) for t in totals) + bytes((alpha,))
        rows.append(bytes(row))
    return rows


def chip(size):
    """A dark chip body with silver pins on its left and right sides and a notch mark."""
    scale = size / 16
    body = (int(3 * scale), int(2 * scale), int(13 * scale), int(14 * scale))  # x0, y0, x1, y1
    pins = max(1, int(scale))
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            colour = None
            x0, y0, x1, y1 = body
            if x0 <= x < x1 and y0 <= y < y1:
                colour = (40, 40, 48)
                if x in (x0, x1 - 1) or y in (y0, y1 - 1):
                    colour = (90, 90, 100)
                mark = int(1.5 * scale)
                if x0 + mark <= x < x0 + 2 * mark and y0 + mark <= y < y0 + 2 * mark:
                    colour = (200, 200, 200)
            elif (x < x0 and x >= x0 - int(2 * scale)) or (x >= x1 and x < x1 + int(2 * scale)):
                period = int(3 * scale)
                offset = (y - y0 - int(scale)) % period
                if y0 + int(scale) <= y < y1 - int(scale) and offset < pins * (2 if size > 16 else 1):
                    colour = (192, 192, 200)
            row += bytes(colour + (255,)) if colour else bytes((0, 0, 0, 0))
        rows.append(bytes(row))
    return rows


def main():
    write_png(HERE / "BITMAP0.png", 290, 290, error_sign())
    for size in (16, 32):
        write_png(HERE / f"ASMA{size}.png", size, size, chip(size))


if __name__ == "__main__":
    main()
