#!/usr/bin/env python3
"""Draws the program's icons as PNG files (no image library needed).

Run from this folder: python3 make-icons.py
"""
import math
import struct
import zlib

SS = 4  # samples per pixel and axis


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(size)] for _ in range(size)]

    def fill(self, inside, colour):
        r, g, b, a = colour
        n = self.size
        for y in range(n):
            for x in range(n):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            hits += 1
                if not hits:
                    continue
                cov = a * hits / (SS * SS)
                pr, pg, pb, pa = self.px[y][x]
                oa = cov + pa * (1 - cov)
                if oa == 0:
                    continue
                mix = lambda c, p: (c * cov + p * pa * (1 - cov)) / oa
                self.px[y][x] = (mix(r, pr), mix(g, pg), mix(b, pb), oa)

    def png(self, path):
        raw = b""
        for row in self.px:
            raw += b"\0" + b"".join(
                bytes((round(r), round(g), round(b), round(a * 255))) for r, g, b, a in row)
        def chunk(tag, data):
            return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
        head = struct.pack(">IIBBBBB", self.size, self.size, 8, 6, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def rect(x0, y0, x1, y1, radius=0.0):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        if radius <= 0:
            return True
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def poly(points):
    def inside(x, y):
        c = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                c = not c
        return c
    return inside


def ring(cx, cy, r0, r1, a0=0.0, a1=360.0):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if not (r0 <= d <= r1):
            return False
        ang = math.degrees(math.atan2(-(y - cy), x - cx)) % 360
        return a0 <= ang <= a1 if a0 <= a1 else (ang >= a0 or ang <= a1)
    return inside


def circle(cx, cy, r):
    return ring(cx, cy, 0, r)


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


BLUE = (38, 99, 186, 1.0)
DARK = (60, 64, 72, 1.0)
RED = (206, 58, 52, 1.0)
GREEN = (46, 140, 76, 1.0)
WHITE = (255, 255, 255, 1.0)
GREY = (150, 156, 166, 1.0)
PALE = (226, 230, 236, 1.0)
YELLOW = (238, 186, 62, 1.0)
YELLOW_DARK = (196, 142, 34, 1.0)


def calendar(c, s, dot=None):
    k = s / 16.0
    c.fill(rect(1.5 * k, 2.5 * k, 14.5 * k, 14.5 * k, 1.5 * k), DARK)
    c.fill(rect(2.5 * k, 3.5 * k, 13.5 * k, 13.5 * k, 0.8 * k), WHITE)
    c.fill(rect(2.5 * k, 3.5 * k, 13.5 * k, 6.2 * k), RED)
    for col in range(4):
        for row in range(2):
            x = 3.6 * k + col * 2.5 * k
            y = 7.6 * k + row * 2.7 * k
            c.fill(rect(x, y, x + 1.6 * k, y + 1.6 * k), GREY)
    c.fill(union(rect(4.3 * k, 1.0 * k, 5.5 * k, 4.6 * k, 0.5 * k), rect(10.5 * k, 1.0 * k, 11.7 * k, 4.6 * k, 0.5 * k)), DARK)
    if dot:
        c.fill(circle(dot[0] * k, dot[1] * k, 2.1 * k), BLUE)


def program(s=32):
    c = Canvas(s)
    calendar(c, s)
    k = s / 16.0
    c.fill(rect(10.1 * k, 10.1 * k, 12.0 * k, 12.0 * k), RED)
    return c


def arrow(direction):
    c = Canvas(16)
    if direction < 0:
        shape = union(poly([(2.5, 8), (8.5, 2.5), (8.5, 13.5)]), rect(8, 6, 13.5, 10, 0.6))
    else:
        shape = union(poly([(13.5, 8), (7.5, 2.5), (7.5, 13.5)]), rect(2.5, 6, 8, 10, 0.6))
    c.fill(shape, BLUE)
    return c


def today():
    c = Canvas(16)
    c.fill(rect(1.5, 2.5, 14.5, 14.5, 1.5), DARK)
    c.fill(rect(2.5, 3.5, 13.5, 13.5, 0.8), WHITE)
    c.fill(rect(2.5, 3.5, 13.5, 6.2), RED)
    c.fill(circle(8, 10, 2.3), BLUE)
    c.fill(union(rect(4.3, 1.0, 5.5, 4.6, 0.5), rect(10.5, 1.0, 11.7, 4.6, 0.5)), DARK)
    return c


def refresh():
    c = Canvas(16)
    c.fill(ring(8, 8.5, 3.6, 5.6, 110, 20), GREEN)
    # head at the arc's upper right end, pointing clockwise
    c.fill(poly([(10.2, 1.6), (15.2, 6.0), (9.4, 7.6)]), GREEN)
    return c


def printer():
    c = Canvas(16)
    c.fill(rect(4, 1.5, 12, 6.5), PALE)
    c.fill(minus(rect(3.5, 1.0, 12.5, 7.0), rect(4.5, 2.0, 11.5, 7.0)), DARK)
    c.fill(rect(1.5, 6, 14.5, 12, 1.4), DARK)
    c.fill(rect(2.6, 7.1, 13.4, 10.9, 0.6), GREY)
    c.fill(circle(12, 8.4, 0.8), GREEN)
    c.fill(rect(4, 9.5, 12, 15), WHITE)
    c.fill(minus(rect(3.5, 9.0, 12.5, 15.2), rect(4.5, 9.5, 11.5, 14.4)), DARK)
    c.fill(rect(5.5, 11, 10.5, 11.8), GREY)
    c.fill(rect(5.5, 12.6, 9.0, 13.4), GREY)
    return c


def folder():
    c = Canvas(16)
    c.fill(union(rect(1, 3, 7, 6, 1.0), rect(1, 4.5, 15, 14, 1.0)), YELLOW_DARK)
    c.fill(poly([(3.2, 7), (15.6, 7), (13.6, 14), (1.0, 14)]), YELLOW)
    return c


def document(kind, s=32):
    """A page with a folded corner and a mark of what the file holds: the
    group's members, a month's schedule or the personal memos."""
    c = Canvas(s)
    k = s / 16.0
    page = poly([(2.5 * k, 0.8 * k), (10.2 * k, 0.8 * k), (13.5 * k, 4.1 * k), (13.5 * k, 15.2 * k), (2.5 * k, 15.2 * k)])
    c.fill(page, DARK)
    inner = poly([(3.4 * k, 1.7 * k), (9.8 * k, 1.7 * k), (12.6 * k, 4.5 * k), (12.6 * k, 14.3 * k), (3.4 * k, 14.3 * k)])
    c.fill(inner, WHITE)
    c.fill(poly([(9.8 * k, 1.2 * k), (13.0 * k, 4.4 * k), (9.8 * k, 4.4 * k)]), GREY)
    if kind == "group":
        for i, colour in enumerate((BLUE, GREEN, RED)):
            x = 5.3 * k + i * 2.7 * k
            c.fill(circle(x, 8.2 * k, 1.1 * k), colour)
            c.fill(rect(x - 1.2 * k, 10.0 * k, x + 1.2 * k, 12.8 * k, 0.9 * k), colour)
    elif kind == "schedule":
        c.fill(rect(4.4 * k, 5.4 * k, 11.6 * k, 7.4 * k), RED)
        for col in range(3):
            for row in range(2):
                x = 4.6 * k + col * 2.5 * k
                y = 8.4 * k + row * 2.6 * k
                c.fill(rect(x, y, x + 1.8 * k, y + 1.8 * k), GREY)
    else:
        c.fill(rect(4.4 * k, 5.2 * k, 11.6 * k, 13.2 * k, 0.6 * k), YELLOW)
        for row in range(3):
            y = 6.8 * k + row * 2.0 * k
            c.fill(rect(5.4 * k, y, 10.6 * k, y + 0.7 * k), YELLOW_DARK)
    return c


if __name__ == "__main__":
    program(32).png("program.png")
    arrow(-1).png("prev.png")
    arrow(1).png("next.png")
    today().png("today.png")
    refresh().png("refresh.png")
    printer().png("print.png")
    folder().png("open.png")
