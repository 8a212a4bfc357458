#!/usr/bin/env python3
"""Draws the two icon files in res/. Run by hand when the pictures change; the output is committed.

install.ico: 32x32 and 16x16, 16 colours each (4 bits per pixel).
uninstall.ico: 16x16, 256 colours (8 bits per pixel).
"""
import struct
import sys
from pathlib import Path

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def install_picture(size):
    """A box (the product) with a green arrow going into it; None is transparent."""
    s = size / 32.0
    px = [[None] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            bx, by = x / s, y / s
            if 4 <= bx < 28 and 14 <= by < 30:
                edge = bx < 5 or bx >= 27 or by < 15 or by >= 29
                px[y][x] = 0 if edge else (3 if by < 18 else 11)
            if 13 <= bx < 19 and 2 <= by < 12:
                px[y][x] = 2
            if 9 <= bx < 23 and 12 <= by < 20 and abs(bx - 16) < (20 - by) * 0.9:
                px[y][x] = 10 if abs(bx - 16) < (20 - by) * 0.9 - 1.2 else 2
    return px


def uninstall_picture(size, palette):
    """A grey box with a red cross over it."""
    px = [[None] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if 1 <= x < 15 and 6 <= y < 15:
                px[y][x] = 8 if (x in (1, 14) or y in (6, 14)) else 7
            if (abs(x - y) <= 1 or abs(x - (15 - y)) <= 1) and 1 <= y < 13 and 2 <= x < 14:
                px[y][x] = 9
    # Fill the rest of the 256-colour palette with a colour ramp so it is a true 8-bit image.
    return px


def bmp_image(px, bits, palette):
    size = len(px)
    colours = 1 << bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in palette)
    pal += b'\0' * (4 * colours - len(pal))
    row_bytes = ((size * bits + 31) // 32) * 4
    xor = b''
    for y in reversed(range(size)):
        row = 0
        bits_in = 0
        out = bytearray()
        for x in range(size):
            v = px[y][x] if px[y][x] is not None else 0
            row = (row << bits) | v
            bits_in += bits
            if bits_in == 8:
                out.append(row)
                row = bits_in = 0
        out += b'\0' * (row_bytes - len(out))
        xor += bytes(out)
    and_row = ((size + 31) // 32) * 4
    mask = b''
    for y in reversed(range(size)):
        bitsv = 0
        for x in range(size):
            bitsv = (bitsv << 1) | (1 if px[y][x] is None else 0)
        mask += bitsv.to_bytes(size // 8, 'big') + b'\0' * (and_row - size // 8)
    return header + pal + xor + mask


def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = b''
    for size, bits, blob in images:
        colours = (1 << bits) if bits < 8 else 0
        out += struct.pack('<BBBBHHII', size, size, colours, 0, 1, bits, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return out + blobs


def main():
    res = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / 'res')
    pal256 = VGA16 + [(i, i, 255 - i) for i in range(16, 256)]
    (res / 'install.ico').write_bytes(ico([
        (32, 4, bmp_image(install_picture(32), 4, VGA16)),
        (16, 4, bmp_image(install_picture(16), 4, VGA16)),
    ]))
    (res / 'uninstall.ico').write_bytes(ico([
        (16, 8, bmp_image(uninstall_picture(16, pal256), 8, pal256)),
    ]))


if __name__ == '__main__':
    main()
