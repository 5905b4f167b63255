#!/usr/bin/python3
"""Converts a 32-bit top-down BMP (as skin_screens writes it) into an RGB PNG; standard library only."""
import struct
import sys
import zlib


def convert(source, target):
    data = open(source, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 32:
        raise SystemExit(f"{source}: {bits} bits per pixel, expected 32")
    top_down = height < 0
    height = abs(height)
    rows = []
    for y in range(height):
        row_index = y if top_down else height - 1 - y
        start = offset + row_index * width * 4
        row = bytearray(b"\x00")  # filter: none
        for x in range(width):
            b, g, r, _ = data[start + x * 4: start + x * 4 + 4]
            row += bytes((r, g, b))
        rows.append(bytes(row))

    def chunk(kind, payload):
        return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
    png += chunk(b"IEND", b"")
    with open(target, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    convert(sys.argv[1], sys.argv[2])
