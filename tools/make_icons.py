#!/usr/bin/env python3
"""Draws Orvalin's icons and writes them as Windows .ico files into res/.

Standard library only. Every shape is described by a signed distance function in unit
coordinates (0..1 across the icon). Pixels well inside or outside a shape are filled or
skipped directly; pixels on an edge are supersampled on a fine grid and averaged, which gives
anti-aliased edges at every size. Small sizes use slightly thicker strokes and simplified
detail so that they stay legible.

Entries up to 64 px are stored as 32-bit BGRA DIBs with an AND mask; 256 px entries are
stored PNG-compressed, as Windows Vista and later expect.

Usage: python3 tools/make_icons.py [output-directory]   (default: res/ next to tools/)
"""

import math
import os
import struct
import sys
import zlib

SUPERSAMPLE = 8  # samples per pixel edge on anti-aliased edges


# ---------------------------------------------------------------------------------------------
# Signed distance functions (negative inside). All take unit coordinates.

def circle(cx, cy, r):
    def f(x, y):
        return math.hypot(x - cx, y - cy) - r
    return f


def rounded_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def f(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return f


def polygon(points, r=0.0):
    """A simple polygon; r > 0 rounds it outwards (corners become arcs)."""
    pts = list(points)
    n = len(pts)

    def f(x, y):
        d = float('inf')
        inside = False
        for i in range(n):
            ax, ay = pts[i]
            bx, by = pts[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            d = min(d, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return (-d if inside else d) - r
    return f


def inset_polygon(points, r):
    """A convex polygon shrunk by r and then grown back with round corners: same outline,
    corners rounded with radius r."""
    pts = list(points)
    n = len(pts)
    # Signed area tells the winding; inward normals follow from it.
    area = sum(pts[i][0] * pts[(i + 1) % n][1] - pts[(i + 1) % n][0] * pts[i][1] for i in range(n))
    sign = 1.0 if area > 0 else -1.0
    lines = []
    for i in range(n):
        ax, ay = pts[i]
        bx, by = pts[(i + 1) % n]
        ex, ey = bx - ax, by - ay
        ln = math.hypot(ex, ey)
        nx, ny = -ey / ln * sign, ex / ln * sign  # inward normal
        lines.append((ax + nx * r, ay + ny * r, ex, ey))
    inner = []
    for i in range(n):
        ax, ay, ex, ey = lines[i - 1]
        bx, by, fx, fy = lines[i]
        den = ex * fy - ey * fx
        t = ((bx - ax) * fy - (by - ay) * fx) / den
        inner.append((ax + ex * t, ay + ey * t))
    return polygon(inner, r)


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def intersect(*fs):
    return lambda x, y: max(f(x, y) for f in fs)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def grow(f, d):
    return lambda x, y: f(x, y) - d


def transformed(f, angle_deg, cx, cy):
    """f rotated by angle_deg about (cx, cy)."""
    a = math.radians(angle_deg)
    ca, sa = math.cos(a), math.sin(a)

    def g(x, y):
        dx, dy = x - cx, y - cy
        return f(cx + dx * ca + dy * sa, cy - dx * sa + dy * ca)
    return g


# ---------------------------------------------------------------------------------------------
# Paints: functions from unit coordinates to straight (r, g, b, a) in 0..1.

def hex_rgb(h, a=1.0):
    h = h.lstrip('#')
    return (int(h[0:2], 16) / 255, int(h[2:4], 16) / 255, int(h[4:6], 16) / 255, a)


def solid(h, a=1.0):
    c = hex_rgb(h, a)
    return lambda x, y: c


def linear(x0, y0, c0, x1, y1, c1):
    a, b = hex_rgb(c0) if isinstance(c0, str) else c0, hex_rgb(c1) if isinstance(c1, str) else c1
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy

    def p(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / ll))
        return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))
    return p


def radial(cx, cy, r, c0, c1):
    a, b = hex_rgb(c0) if isinstance(c0, str) else c0, hex_rgb(c1) if isinstance(c1, str) else c1

    def p(x, y):
        t = min(1.0, math.hypot(x - cx, y - cy) / r)
        return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))
    return p


# ---------------------------------------------------------------------------------------------
# Canvas with premultiplied RGBA floats.

class Canvas:
    def __init__(self, n):
        self.n = n
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(n * n)]

    def fill(self, sdf, paint, opacity=1.0):
        n = self.n
        half = 0.7072 / n  # half a pixel diagonal
        s = SUPERSAMPLE
        offs = [(i + 0.5) / s - 0.5 for i in range(s)]
        for py in range(n):
            for px in range(n):
                cx, cy = (px + 0.5) / n, (py + 0.5) / n
                d = sdf(cx, cy)
                if d > half:
                    continue
                if d < -half:
                    cov = 1.0
                else:
                    hits = 0
                    for oy in offs:
                        sy = cy + oy / n
                        for ox in offs:
                            if sdf(cx + ox / n, sy) <= 0:
                                hits += 1
                    cov = hits / (s * s)
                    if cov == 0:
                        continue
                self._over(px, py, paint(cx, cy), cov * opacity)

    def soft(self, sdf, colour, opacity, blur):
        """A soft-edged fill (for shadows): full opacity inside, fading out over `blur`."""
        n = self.n
        for py in range(n):
            for px in range(n):
                cx, cy = (px + 0.5) / n, (py + 0.5) / n
                d = sdf(cx, cy)
                if d >= blur:
                    continue
                t = max(0.0, min(1.0, 1.0 - d / blur)) if d > 0 else 1.0
                t = t * t * (3 - 2 * t)
                self._over(px, py, colour, t * opacity)

    def _over(self, px, py, c, cov):
        a = c[3] * cov
        if a <= 0:
            return
        p = self.px[py * self.n + px]
        k = 1.0 - a
        p[0] = c[0] * a + p[0] * k
        p[1] = c[1] * a + p[1] * k
        p[2] = c[2] * a + p[2] * k
        p[3] = a + p[3] * k

    def rgba_rows(self):
        """Straight-alpha 8-bit RGBA rows, top row first."""
        rows = []
        n = self.n
        for y in range(n):
            row = bytearray()
            for x in range(n):
                r, g, b, a = self.px[y * n + x]
                if a <= 1e-6:
                    row += b'\0\0\0\0'
                    continue
                row += bytes((
                    min(255, int(round(r / a * 255))),
                    min(255, int(round(g / a * 255))),
                    min(255, int(round(b / a * 255))),
                    min(255, int(round(a * 255))),
                ))
            rows.append(row)
        return rows


# ---------------------------------------------------------------------------------------------
# Pictures. Each takes the pixel size and returns a Canvas.

def stroke_width(n, unit, min_px):
    """A stroke width in unit coordinates: `unit` of the icon but at least `min_px` pixels."""
    return max(unit, min_px / n)


def snap(v, n, centre=False):
    """v moved onto the pixel grid: onto a pixel boundary, or onto a pixel centre."""
    if centre:
        return (math.floor(v * n) + 0.5) / n
    return round(v * n) / n


def snap_circle(cx, cy, r, n):
    """A circle whose whole-pixel diameter sits symmetrically on the pixel grid."""
    d = max(1, round(2 * r * n))
    odd = d % 2 == 1
    return snap(cx, n, odd), snap(cy, n, odd), d / 2 / n


def draw_record(n):
    """A red button: a filled circle with a darker rim and a soft highlight."""
    c = Canvas(n)
    cx, cy, r = snap_circle(0.5, 0.5, 0.40 if n >= 24 else 0.43, n)
    c.fill(circle(cx, cy, r), solid('#8E1A1F'))
    edge = stroke_width(n, 0.045, 1.0)
    c.fill(circle(cx, cy, r - edge), radial(cx - 0.10, cy - 0.16, 0.62, '#FF6B6B', '#D12F35'))
    if n >= 20:
        hl = intersect(circle(cx, cy, r - edge * 1.6), circle(cx, cy - 0.34, 0.34))
        c.fill(hl, linear(0, 0.12, (1, 1, 1, 0.38), 0, 0.46, (1, 1, 1, 0.0)))
    return c


def draw_play(n):
    """A green triangle pointing right, corners slightly rounded."""
    c = Canvas(n)
    x0, y0, x1, y1 = (0.19, 0.10, 0.90, 0.90) if n < 24 else (0.22, 0.12, 0.88, 0.88)
    x0, y0, y1 = snap(x0, n), snap(y0, n), snap(y1, n)
    pts = [(x0, y0), (x1, (y0 + y1) / 2), (x0, y1)]
    outer = inset_polygon(pts, 0.06 if n >= 24 else 0.04)
    c.fill(outer, solid('#13632F'))
    edge = stroke_width(n, 0.045, 1.0)
    inner = grow(outer, -edge)
    c.fill(inner, linear(0.3, 0.1, '#5BDB83', 0.6, 0.9, '#20A04B'))
    if n >= 20:
        hl = intersect(grow(outer, -edge * 1.6), lambda x, y: y - 0.46)
        c.fill(hl, linear(0, 0.15, (1, 1, 1, 0.30), 0, 0.48, (1, 1, 1, 0.0)))
    return c


def draw_stop(n):
    """A dark, softly rounded square."""
    c = Canvas(n)
    m = snap(0.14 if n >= 24 else 0.125, n)
    rad = 0.14 if n >= 24 else 0.16
    outer = rounded_rect(m, m, 1 - m, 1 - m, rad)
    c.fill(outer, solid('#1B1F25'))
    edge = stroke_width(n, 0.045, 1.0)
    c.fill(grow(outer, -edge), linear(0.5, m, '#5A626E', 0.5, 1 - m, '#2F353D'))
    if n >= 20:
        hl = intersect(grow(outer, -edge * 1.6), lambda x, y: y - 0.45)
        c.fill(hl, linear(0, m, (1, 1, 1, 0.22), 0, 0.46, (1, 1, 1, 0.0)))
    return c


def draw_hotkey(n):
    """A keyboard key seen from slightly in front, with a pencil over its lower right corner."""
    c = Canvas(n)
    small = n < 24
    px = 1.0 / n
    edge = stroke_width(n, 0.04, 1.0)
    # Pencil, lying diagonally over the lower right corner with its tip towards the key's centre.
    cx, cy = (0.66, 0.64) if small else (0.67, 0.65)
    length = 0.80 if small else 0.70
    width = 0.26 if small else 0.21
    tail, tip = cx - length / 2, cx + length / 2
    cone = width * (0.95 if small else 1.0)
    hw = width / 2

    def place(f):  # pencil frame (tail at -x, tip at +x) turned so the tip points down-left
        return transformed(f, 135.0, cx, cy)

    outline = stroke_width(n, 0.035, 1.0)
    body = rounded_rect(tail, cy - hw, tip - cone + 0.01, cy + hw, min(0.035, hw * 0.4))
    point = inset_polygon([(tip - cone, cy - hw), (tip, cy), (tip - cone, cy + hw)], 0.01)
    whole = union(body, point)
    clearance = place(grow(whole, outline))  # the key leaves a clear gap around the pencil

    # Keycap: dark outline, grey walls (thicker in front) and a white top face.
    kx0, ky0, kx1, ky1 = (0.0, 0.04, 0.82, 0.86) if small else (0.03, 0.06, 0.81, 0.84)
    kx0, ky0, kx1, ky1 = (snap(v, n) for v in (kx0, ky0, kx1, ky1))
    base = subtract(rounded_rect(kx0, ky0, kx1, ky1, 0.17), clearance)
    c.fill(base, solid('#353D49'))
    c.fill(grow(base, -edge), linear(0, ky0, '#A3ADBB', 0, ky1, '#5F6A7B'))
    side = edge + (px if small else snap(0.05, n))
    top = edge + (0 if small else px)
    front = edge + (2 * px if small else snap(0.11, n))
    face = subtract(rounded_rect(kx0 + side, ky0 + top, kx1 - side, ky1 - front, 0.10), clearance)
    c.fill(face, linear(0, ky0, '#FFFFFF', 0, ky1 - front, '#DCE2EA'))

    # The pencil itself: eraser, metal band, yellow shaft, bare wood and graphite tip.
    c.fill(place(whole), solid('#4A2F0C'))
    inner = grow(whole, -outline)
    eraser_end = tail + (0.12 if small else 0.11)
    ferrule_end = eraser_end + (0.07 if small else 0.06)
    shaft = intersect(inner, lambda x, y: x - (tip - cone))
    c.fill(place(intersect(shaft, lambda x, y: x - eraser_end)), solid('#F27D91'))
    c.fill(place(intersect(shaft, lambda x, y: max(eraser_end - x, x - ferrule_end))),
           linear(0, cy - hw, '#F2F4F7', 0, cy + hw, '#97A1AE'))
    wood_shaft = intersect(shaft, lambda x, y: ferrule_end - x)
    c.fill(place(wood_shaft), solid('#F0A91C'))
    c.fill(place(intersect(wood_shaft, lambda x, y: y - cy)), solid('#FFCB45'))
    cone_in = intersect(inner, lambda x, y: (tip - cone) - x)
    c.fill(place(cone_in), solid('#F3D6A8'))
    lead = intersect(whole, lambda x, y: (tip - cone * 0.40) - x)
    c.fill(place(lead), solid('#262A30'))
    return c


def draw_app(n):
    """A computer mouse in deep blue and teal with a red record dot and a green play badge."""
    c = Canvas(n)
    tiny = n <= 20
    small = n <= 24
    crisp = n <= 48  # sizes where features are lined up with pixels
    # Badges first, so the mouse can leave a clear gap around them.
    if tiny:
        pcx, pcy, pr = 0.70, 0.70, 0.28
        rcx, rcy, rr = 0.80, 0.20, 0.18
    else:
        pcx, pcy, pr = 0.71, 0.71, 0.255
        rcx, rcy, rr = 0.82, 0.17, 0.145
    if crisp:
        pcx, pcy, pr = snap_circle(pcx, pcy, pr, n)
        rcx, rcy, rr = snap_circle(rcx, rcy, rr, n)
    gap = stroke_width(n, 0.04, 1.0)
    cut = union(circle(pcx, pcy, pr + gap), circle(rcx, rcy, rr + gap))
    edge = stroke_width(n, 0.03, 1.0)

    # Mouse body, with a clear gap cut around the badges.
    if tiny:
        bx0, by0, bx1, by1, br = 0.06, 0.02, 0.64, 0.98, 0.27
    elif small:
        bx0, by0, bx1, by1, br = 0.08, 0.03, 0.64, 0.97, 0.26
    else:
        bx0, by0, bx1, by1, br = 0.10, 0.04, 0.64, 0.95, 0.25
    if crisp:
        bx0, by0, bx1, by1 = (snap(v, n) for v in (bx0, by0, bx1, by1))
        # Even width when a 2 px wheel marks the middle, odd width for a 1 px split line.
        want_odd = not tiny
        if (round((bx1 - bx0) * n) % 2 == 1) != want_odd:
            bx1 += 1.0 / n
    mx = (bx0 + bx1) / 2
    body = subtract(rounded_rect(bx0, by0, bx1, by1, br), cut)
    if n >= 48:
        shadow = rounded_rect(bx0 + 0.005, by0 + 0.02, bx1 + 0.005, by1 + 0.015, br)
        c.soft(subtract(shadow, cut), hex_rgb('#000000'), 0.22, 0.03)
    c.fill(body, solid('#0B2350'))
    inner = grow(body, -edge)
    c.fill(inner, linear(bx0, by0, '#30C6CB', bx1 * 0.9, by1, '#1746A2'))
    if n >= 32:  # sheen on the left flank
        sheen = intersect(grow(body, -edge * 2.2),
                          rounded_rect(bx0 - 0.2, by0 - 0.2, mx - 0.05, by1 + 0.2, 0.01))
        c.fill(sheen, linear(bx0, 0, (1, 1, 1, 0.22), mx - 0.05, 0, (1, 1, 1, 0.0)))
    # Buttons: a seam across and a split line down the middle of the front.
    seam_y = 0.40 if not tiny else 0.42
    lw = stroke_width(n, 0.022, 1.0)
    if crisp and lw * n < 1.5:
        lw = 1.0 / n
        seam_y = snap(seam_y, n, centre=True)
    line_col = solid('#0B2350', 0.85)
    c.fill(intersect(inner, rounded_rect(bx0 - 0.1, seam_y - lw / 2, bx1 + 0.1, seam_y + lw / 2, 0)),
           line_col)
    wheel_top = by0 + (0.12 if tiny else 0.11)
    wheel_bottom = seam_y - (0.06 if tiny else 0.07)
    if crisp:
        wheel_top, wheel_bottom = snap(wheel_top, n), snap(wheel_bottom, n)
    if tiny:
        # At the smallest sizes the wheel alone stands for the split line.
        c.fill(rounded_rect(mx - 1.0 / n, wheel_top, mx + 1.0 / n, wheel_bottom, 0.5 / n),
               solid('#E8FBFF'))
    else:
        c.fill(intersect(inner, rounded_rect(mx - lw / 2, by0 - 0.1, mx + lw / 2, seam_y, 0)),
               line_col)
        ww = max(0.085, 2.6 / n)
        if crisp:
            ww = (2 * round((ww * n - 1) / 2) + 1) / n  # odd, centred on the split line
        wheel = rounded_rect(mx - ww / 2, wheel_top, mx + ww / 2, wheel_bottom, ww / 2)
        c.fill(grow(wheel, lw), solid('#0B2350'))
        c.fill(wheel, linear(0, wheel_top, '#FFFFFF', 0, wheel_bottom, '#BFEFF5'))
    # Play badge at the bottom right.
    c.fill(circle(pcx, pcy, pr), solid('#0F5E2C'))
    c.fill(circle(pcx, pcy, pr - edge), linear(pcx, pcy - pr, '#5EDB86', pcx, pcy + pr, '#1E9447'))
    ts = pr * (0.56 if not tiny else 0.64)
    left = pcx - ts * 0.42
    if crisp:
        left = snap(left, n)
    tri = [(left, pcy - ts * 0.80), (pcx + ts * 0.85, pcy), (left, pcy + ts * 0.80)]
    c.fill(inset_polygon(tri, 0.02 if n >= 32 else 0.0), solid('#FFFFFF'))
    # Record dot at the top right.
    c.fill(circle(rcx, rcy, rr), solid('#8E1A1F'))
    c.fill(circle(rcx, rcy, rr - edge),
           radial(rcx - rr * 0.3, rcy - rr * 0.35, rr * 1.5, '#FF6B6B', '#D22F35'))
    return c


# ---------------------------------------------------------------------------------------------
# File formats.

def png_bytes(rows, n):
    raw = b''.join(b'\0' + bytes(r) for r in rows)

    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data
                + struct.pack('>I', zlib.crc32(tag + data) & 0xFFFFFFFF))
    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', n, n, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9))
            + chunk(b'IEND', b''))


def dib_bytes(rows, n):
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for r in reversed(rows):  # bottom-up
        for x in range(n):
            red, green, blue, alpha = r[x * 4:x * 4 + 4]
            xor += bytes((blue, green, red, alpha))
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for r in reversed(rows):
        line = bytearray(stride)
        for x in range(n):
            if r[x * 4 + 3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def write_ico(path, images):
    """images: list of (size, rows)."""
    entries = []
    blobs = []
    offset = 6 + 16 * len(images)
    for n, rows in images:
        blob = png_bytes(rows, n) if n >= 256 else dib_bytes(rows, n)
        dim = 0 if n >= 256 else n
        entries.append(struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(images)))
        for e in entries:
            f.write(e)
        for b in blobs:
            f.write(b)


ICONS = [
    ('orvalin.ico', draw_app, [16, 20, 24, 32, 40, 48, 64, 256]),
    ('record.ico', draw_record, [16, 20, 24, 32]),
    ('play.ico', draw_play, [16, 20, 24, 32]),
    ('stop.ico', draw_stop, [16, 20, 24, 32]),
    ('hotkey.ico', draw_hotkey, [16, 20, 24, 32]),
]


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res')
    os.makedirs(out, exist_ok=True)
    for name, draw, sizes in ICONS:
        images = [(n, draw(n).rgba_rows()) for n in sizes]
        path = os.path.join(out, name)
        write_ico(path, images)
        print(f'{os.path.normpath(path)}: {", ".join(str(n) for n in sizes)} px')


if __name__ == '__main__':
    main(sys.argv)
