#!/usr/bin/env python3
"""Draws the program's icons (program, tool bar, menus) as .ico files.

The images are simple pixel drawings made here; run this script again after
changing one, and commit the .ico files it writes to resources/.
"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")

# A 3x5 pixel font for the quick-button numbers.
DIGITS = {
    "1": ["010", "110", "010", "010", "111"],
    "2": ["111", "001", "111", "100", "111"],
    "3": ["111", "001", "011", "001", "111"],
    "4": ["101", "101", "111", "001", "001"],
    "5": ["111", "100", "111", "001", "111"],
}


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[None] * size for _ in range(size)]  # (r, g, b) or None

    def set(self, x, y, color):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = color

    def rect(self, x0, y0, x1, y1, fill, border=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                self.set(x, y, border if (edge and border) else fill)

    def disc(self, cx, cy, r, fill, border=None):
        for y in range(self.size):
            for x in range(self.size):
                d = (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2
                if d <= r * r:
                    self.set(x, y, border if (border and d > (r - 1.2) ** 2) else fill)

    def line(self, x0, y0, x1, y1, color):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.set(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), color)

    def text(self, x, y, digit, color, scale=1):
        for row, bits in enumerate(DIGITS[digit]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            self.set(x + col * scale + dx, y + row * scale + dy, color)


BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
NAVY = (0, 0, 128)
BLUE = (40, 90, 200)
LIGHT = (150, 190, 240)
GREEN = (0, 160, 0)
LIME = (0, 255, 0)
YELLOW = (250, 210, 60)
BROWN = (150, 110, 20)
RED = (200, 30, 30)
GREY = (128, 128, 128)
SILVER = (200, 200, 200)


def program(size):
    c = Canvas(size)
    s = size / 16
    c.rect(int(1 * s), int(1 * s), int(12 * s), int(9 * s), LIGHT, NAVY)       # screen
    c.rect(int(5 * s), int(10 * s), int(8 * s), int(11 * s), GREY)            # stand
    c.rect(int(3 * s), int(12 * s), int(10 * s), int(12 * s) + int(s) - 1, GREY)
    c.line(int(12 * s), int(6 * s), int(15 * s), int(6 * s), GREEN)           # cable
    c.line(int(15 * s), int(6 * s), int(15 * s), int(15 * s), GREEN)
    c.disc(6.5 * s, 5 * s, 2.5 * s, LIME, GREEN)                               # "current state" dot
    return c


def folder(_):
    c = Canvas(16)
    c.rect(1, 3, 6, 5, YELLOW, BROWN)
    c.rect(1, 5, 14, 13, YELLOW, BROWN)
    return c


def floppy(_):
    c = Canvas(16)
    c.rect(1, 1, 14, 14, BLUE, NAVY)
    c.rect(4, 1, 11, 6, WHITE, NAVY)
    c.rect(8, 2, 9, 5, NAVY)
    c.rect(3, 9, 12, 14, SILVER, NAVY)
    return c


def door(_):
    c = Canvas(16)
    c.rect(3, 1, 11, 14, BROWN, BLACK)
    c.set(9, 8, YELLOW)
    c.line(10, 4, 14, 8, RED)
    c.line(14, 8, 10, 12, RED)
    return c


def info(_):
    c = Canvas(16)
    c.disc(8, 8, 7, BLUE, NAVY)
    c.rect(7, 3, 8, 4, WHITE)
    c.rect(7, 6, 8, 12, WHITE)
    return c


def restore(_):
    c = Canvas(16)
    c.rect(1, 2, 14, 13, WHITE, NAVY)
    c.rect(1, 2, 14, 4, NAVY)
    c.rect(3, 7, 12, 11, LIGHT)
    return c


def quick(digit):
    def draw(_):
        c = Canvas(16)
        c.rect(1, 1, 14, 14, LIME, GREEN)
        c.text(6, 5, digit, NAVY)
        c.line(2, 13, 5, 10, GREEN)
        return c
    return draw


def encode_image(canvas):
    n = canvas.size
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in reversed(range(n)):
        for x in range(n):
            p = canvas.px[y][x]
            xor += bytes((p[2], p[1], p[0], 255)) if p else bytes(4)
    row_bytes = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(n)):
        row = bytearray(row_bytes)
        for x in range(n):
            if canvas.px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(xor) + bytes(mask)


def write_icon(name, draw, sizes=(16,)):
    images = [(s, encode_image(draw(s))) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in images:
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(os.path.join(OUT, name + ".ico"), "wb") as f:
        f.write(out)


def main():
    write_icon("tamarko", program, (16, 32))
    write_icon("open", folder)
    write_icon("save", floppy)
    write_icon("exit", door)
    write_icon("about", info)
    write_icon("restore", restore)
    for d in "12345":
        write_icon("quick" + d, quick(d))


if __name__ == "__main__":
    main()
