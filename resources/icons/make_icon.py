#!/usr/bin/env python3
"""Draws the component's icon, icons/zenfolio.ico: a white "Z" on a rounded
blue square at 16, 24, 32 and 48 pixels, 32-bit colour with alpha, each image a
bottom-up device-independent bitmap with its AND mask, as .ico files hold them.
Run it from anywhere; it writes zenfolio.ico next to itself."""

import os
import struct

SIZES = (16, 24, 32, 48)
SAMPLES = 4  # per axis, for smooth edges
BACKGROUND = (0x1F, 0x6F, 0xB5)  # r, g, b
FOREGROUND = (0xFF, 0xFF, 0xFF)


def inside_square(x, y):
    """Rounded square filling the unit cell, corner radius 0.2."""
    r = 0.2
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_z(x, y):
    """A "Z": top bar, bottom bar and the diagonal between their ends."""
    left, right, top, bottom, bar = 0.25, 0.75, 0.24, 0.76, 0.12
    if left <= x <= right and top <= y <= top + bar:
        return True
    if left <= x <= right and bottom - bar <= y <= bottom:
        return True
    if top + bar <= y <= bottom - bar:
        t = (y - (top + bar)) / ((bottom - bar) - (top + bar))
        centre = right - 0.07 - t * (right - left - 0.14)
        return abs(x - centre) <= 0.085
    return False


def pixel(size, px, py):
    """Colour and alpha of one pixel (top-down coordinates), supersampled."""
    square = z = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = (px + (sx + 0.5) / SAMPLES) / size
            y = (py + (sy + 0.5) / SAMPLES) / size
            if inside_square(x, y):
                square += 1
                if inside_z(x, y):
                    z += 1
    total = SAMPLES * SAMPLES
    alpha = round(255 * square / total)
    if square == 0:
        return (0, 0, 0, 0)
    mix = z / square
    rgb = tuple(round(b + (f - b) * mix) for b, f in zip(BACKGROUND, FOREGROUND))
    return rgb + (alpha,)


def bitmap(size):
    pixels = [[pixel(size, x, y) for x in range(size)] for y in range(size)]
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def icon():
    images = [bitmap(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return out


if __name__ == "__main__":
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "zenfolio.ico")
    with open(target, "wb") as f:
        f.write(icon())
