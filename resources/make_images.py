#!/usr/bin/python3
"""Draws the application icon (stowlet.ico) and the About box picture (about.jpg).

Deterministic: the same script gives the same bytes. Needs Debian's python3-pil; the
generated files are committed, so building never runs this.
"""
import io
import math
import os
import struct

from PIL import Image, ImageDraw, ImageFilter

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 24, 32, 48)


def draw_mark(size):
    """A box with a lid and an arrow going in: a program stowed away."""
    s = size * 8  # draw large, then scale down for smooth edges
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    pad = s // 16
    body = (pad, s * 7 // 16, s - pad, s - pad)
    d.rounded_rectangle(body, radius=s // 10, fill=(38, 92, 160, 255), outline=(16, 40, 80, 255), width=s // 24)
    d.rectangle((pad + s // 8, body[1] + s // 8, s - pad - s // 8, body[1] + s // 8 + s // 16), fill=(200, 220, 245, 255))
    cx = s // 2
    shaft = s // 9
    d.rectangle((cx - shaft // 2, pad, cx + shaft // 2, s * 9 // 16), fill=(245, 170, 40, 255))
    d.polygon([(cx - s // 5, s * 7 // 16), (cx + s // 5, s * 7 // 16), (cx, s * 11 // 16)], fill=(245, 170, 40, 255))
    return img.resize((size, size), Image.LANCZOS)


def bmp_entry(img, bpp):
    """One ICO image in BMP form (header, palette, XOR bits, AND mask)."""
    w, h = img.size
    px = img.load()
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0, 0, 0, 0, 0, 0)
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if px[x, y][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    if bpp == 32:
        bits = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                bits += bytes((b, g, r, a))
        return header + bits + mask
    # 8 bits per pixel: an adaptive palette of the opaque colours
    rgb = Image.new("RGB", img.size, (0, 0, 0))
    rgb.paste(img, mask=img.split()[3])
    pal_img = rgb.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = pal_img.getpalette()[: 256 * 3]
    palette += [0] * (256 * 3 - len(palette))
    pal = bytearray()
    for i in range(256):
        r, g, b = palette[i * 3: i * 3 + 3]
        pal += bytes((b, g, r, 0))
    stride = (w + 3) // 4 * 4
    ppx = pal_img.load()
    bits = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            row[x] = ppx[x, y]
        bits += row
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    return header + pal + bits + mask


def write_icon(path):
    images = []
    for bpp in (8, 32):
        for size in SIZES:
            images.append((size, bpp, bmp_entry(draw_mark(size), bpp)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_picture(path):
    """400 x 400: a calm gradient with the mark, the picture of the About box."""
    size = 400
    img = Image.new("RGB", (size, size))
    px = img.load()
    for y in range(size):
        for x in range(size):
            t = (x + y) / (2 * size)
            wave = 0.5 + 0.5 * math.sin((x - y) / 37.0)
            px[x, y] = (int(24 + 40 * t), int(60 + 90 * t + 20 * wave), int(120 + 110 * t))
    img = img.filter(ImageFilter.SMOOTH)
    mark = draw_mark(240)
    img.paste(mark, (80, 70), mark)
    buf = io.BytesIO()
    # Baseline with optimised Huffman tables and 4:2:0 chroma: about half the bytes of
    # 4:4:4 with standard tables, and no visible difference on this smooth picture.
    img.save(buf, "JPEG", quality=85, progressive=False, optimize=True, dpi=(96, 96), subsampling=2)
    with open(path, "wb") as f:
        f.write(buf.getvalue())


if __name__ == "__main__":
    write_icon(os.path.join(HERE, "stowlet.ico"))
    write_picture(os.path.join(HERE, "about.jpg"))
