#!/usr/bin/env python3
"""Small BMP helpers for the Windows test script (standard library only).

  bmp-tools.py gradient OUT.bmp WIDTH HEIGHT   a 24-bit test image
  bmp-tools.py png IN.bmp OUT.png              a 24-bit BMP as a PNG
"""
import os
import struct
import sys
import zlib


def write_atomically(path, data):
    temp = path + ".tmp"
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, path)


def gradient(path, width, height):
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            row += bytes(((x + y) % 256, (2 * y) % 256, (3 * x) % 256))  # blue, green, red
        rows.append(bytes(row) + bytes(stride - 3 * width))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    write_atomically(path, header + info + pixels)


def to_png(src, dst):
    with open(src, "rb") as f:
        d = f.read()
    if len(d) < 54 or d[:2] != b"BM":
        sys.exit(f"{src}: not a BMP file")
    offset = struct.unpack_from("<I", d, 10)[0]
    width, height = struct.unpack_from("<ii", d, 18)
    bits = struct.unpack_from("<H", d, 28)[0]
    if bits != 24 or width <= 0 or height == 0:
        sys.exit(f"{src}: only 24-bit images are converted")
    top_down = height < 0
    height = abs(height)
    stride = (width * 3 + 3) // 4 * 4
    if offset + stride * height > len(d):
        sys.exit(f"{src}: truncated")
    raw = bytearray()
    for y in range(height):
        at = offset + (y if top_down else height - 1 - y) * stride
        row = d[at:at + 3 * width]
        raw.append(0)
        for x in range(width):
            raw += bytes((row[3 * x + 2], row[3 * x + 1], row[3 * x]))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    write_atomically(dst, png)


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "gradient":
        gradient(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
    elif len(sys.argv) == 4 and sys.argv[1] == "png":
        to_png(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
