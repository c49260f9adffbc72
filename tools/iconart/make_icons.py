#!/usr/bin/env python3
"""Draws the program's icon art and writes the .ico files under resources/.

Usage: make_icons.py [OUTPUT_DIR]   (default: resources/ of this checkout)

Standard library only, and deterministic: the same script always writes the
same bytes, so the committed files can be regenerated and compared.

Shapes are signed distance functions in pixel units; each pixel's coverage
comes from the distance (analytic anti-aliasing) on a supersampled canvas,
which is then box-filtered down. Colours are composited premultiplied.
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------
# Colours and small maths


def rgb(hex_text, alpha=1.0):
    v = int(hex_text.lstrip("#"), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0, alpha)


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


# ---------------------------------------------------------------------------
# Signed distance functions (negative inside), all in canvas pixels


def sd_round_box(cx, cy, hw, hh, r):
    def f(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        ox = qx if qx > 0.0 else 0.0
        oy = qy if qy > 0.0 else 0.0
        inner = qx if qx > qy else qy
        return math.sqrt(ox * ox + oy * oy) + (inner if inner < 0.0 else 0.0) - r

    return f


def sd_circle(cx, cy, r):
    def f(x, y):
        dx = x - cx
        dy = y - cy
        return math.sqrt(dx * dx + dy * dy) - r

    return f


def sd_polygon(points):
    n = len(points)

    def f(x, y):
        vx, vy = points[0]
        d = (x - vx) ** 2 + (y - vy) ** 2
        s = 1.0
        j = n - 1
        for i in range(n):
            ix, iy = points[i]
            jx, jy = points[j]
            ex, ey = jx - ix, jy - iy
            wx, wy = x - ix, y - iy
            den = ex * ex + ey * ey
            t = clamp01((wx * ex + wy * ey) / den) if den else 0.0
            bx, by = wx - ex * t, wy - ey * t
            dd = bx * bx + by * by
            if dd < d:
                d = dd
            c1 = y >= iy
            c2 = y < jy
            c3 = ex * wy > ey * wx
            if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
                s = -s
            j = i
        return s * math.sqrt(d)

    return f


def sd_segment(ax, ay, bx, by, half_width):
    """A capsule: the segment a-b thickened to a round-capped stroke."""
    ex, ey = bx - ax, by - ay
    den = ex * ex + ey * ey

    def f(x, y):
        wx, wy = x - ax, y - ay
        t = clamp01((wx * ex + wy * ey) / den) if den else 0.0
        dx, dy = wx - ex * t, wy - ey * t
        return math.sqrt(dx * dx + dy * dy) - half_width

    return f


def sd_union(*fs):
    def f(x, y):
        return min(g(x, y) for g in fs)

    return f


def sd_intersect(a, b):
    def f(x, y):
        return max(a(x, y), b(x, y))

    return f


def sd_ring(a, width):
    """A band of the given width centred on the outline of a."""
    half = width / 2.0

    def f(x, y):
        return abs(a(x, y)) - half

    return f


# ---------------------------------------------------------------------------
# Paints: colour at a point


def solid(color):
    return lambda x, y: color


def linear(x0, y0, x1, y1, stops):
    dx, dy = x1 - x0, y1 - y0
    den = dx * dx + dy * dy

    def f(x, y):
        t = clamp01(((x - x0) * dx + (y - y0) * dy) / den)
        for k in range(1, len(stops)):
            t1, c1 = stops[k]
            if t <= t1 or k == len(stops) - 1:
                t0, c0 = stops[k - 1]
                u = 0.0 if t1 == t0 else clamp01((t - t0) / (t1 - t0))
                return mix(c0, c1, u)
        return stops[-1][1]

    return f


# ---------------------------------------------------------------------------
# Canvas


class Canvas:
    """Premultiplied RGBA floats, size x size pixels."""

    def __init__(self, size):
        self.size = size
        self.px = [0.0] * (size * size * 4)

    def fill(self, sdf, paint, bbox=None, soft=0.0, opacity=1.0):
        """Composites paint over the canvas where sdf is inside.

        soft is the half width of the edge ramp in pixels; 0 gives a crisp,
        one-pixel anti-aliased edge, larger values a blurred (shadow) edge.
        """
        n = self.size
        if bbox is None:
            bbox = (0, 0, n, n)
        pad = soft + 1.0
        x0 = max(0, int(math.floor(bbox[0] - pad)))
        y0 = max(0, int(math.floor(bbox[1] - pad)))
        x1 = min(n, int(math.ceil(bbox[2] + pad)))
        y1 = min(n, int(math.ceil(bbox[3] + pad)))
        px = self.px
        for j in range(y0, y1):
            y = j + 0.5
            base = (j * n + x0) * 4
            for i in range(x0, x1):
                x = i + 0.5
                d = sdf(x, y)
                if soft > 0.0:
                    cov = 1.0 - smoothstep(-soft, soft, d)
                else:
                    cov = 0.5 - d
                    cov = 0.0 if cov < 0.0 else 1.0 if cov > 1.0 else cov
                if cov > 0.0:
                    r, g, b, a = paint(x, y)
                    a *= cov * opacity
                    inv = 1.0 - a
                    px[base] = r * a + px[base] * inv
                    px[base + 1] = g * a + px[base + 1] * inv
                    px[base + 2] = b * a + px[base + 2] * inv
                    px[base + 3] = a + px[base + 3] * inv
                base += 4

    def downsample(self, factor):
        """Box filter to size / factor; returns straight (not premultiplied) RGBA bytes."""
        n = self.size
        m = n // factor
        out = bytearray(m * m * 4)
        px = self.px
        area = float(factor * factor)
        for j in range(m):
            for i in range(m):
                r = g = b = a = 0.0
                for v in range(j * factor, (j + 1) * factor):
                    k = (v * n + i * factor) * 4
                    for _ in range(factor):
                        r += px[k]
                        g += px[k + 1]
                        b += px[k + 2]
                        a += px[k + 3]
                        k += 4
                a /= area
                o = (j * m + i) * 4
                if a > 0.0:
                    s = 1.0 / (a * area)
                    out[o] = int(round(clamp01(r * s) * 255))
                    out[o + 1] = int(round(clamp01(g * s) * 255))
                    out[o + 2] = int(round(clamp01(b * s) * 255))
                    out[o + 3] = int(round(clamp01(a) * 255))
                    if out[o + 3] == 0:
                        out[o] = out[o + 1] = out[o + 2] = 0
        return bytes(out)


# ---------------------------------------------------------------------------
# The program icon

TILE_TOP = rgb("#4C8DFF")
TILE_MID = rgb("#4F5BEA")
TILE_BOTTOM = rgb("#5B2FC9")
SHADOW = rgb("#0B1033")
PANEL_TOP = rgb("#FFFFFF")
PANEL_BOTTOM = rgb("#E6ECFA")
TITLE_BAR = rgb("#D5DEF5")
BADGE_TOP = rgb("#3BE0A0")
BADGE_BOTTOM = rgb("#0A9F6E")
WHITE = rgb("#FFFFFF")
# The four icons inside the program: (top colour, bottom colour).
ICON_COLOURS = [
    (rgb("#FF8A7A"), rgb("#F2435C")),
    (rgb("#FFD45C"), rgb("#FF9F1C")),
    (rgb("#5EEAD4"), rgb("#0EA5A4")),
    (rgb("#C4B5FD"), rgb("#8B5CF6")),
]


def draw_tile(c, u):
    """The rounded gradient tile that carries everything; u(x) maps design units to pixels."""
    left, top, right, bottom = u(0.0625), u(0.0625), u(0.9375), u(0.9375)
    radius = u(0.2)
    cx, cy, hw, hh = (left + right) / 2, (top + bottom) / 2, (right - left) / 2, (bottom - top) / 2
    bbox = (left, top, right, bottom)
    # Soft contact shadow under the tile.
    c.fill(sd_round_box(cx, cy + u(0.018), hw, hh, radius), solid(SHADOW),
           (left, top, right, bottom + u(0.05)), soft=u(0.025), opacity=0.35)
    tile = sd_round_box(cx, cy, hw, hh, radius)
    c.fill(tile, linear(left, top, right * 0.7, bottom,
                        [(0.0, TILE_TOP), (0.55, TILE_MID), (1.0, TILE_BOTTOM)]), bbox)
    # Sheen over the upper half, clipped to the tile.
    sheen = sd_intersect(tile, sd_circle(cx - u(0.1), top - u(0.55), u(1.0)))
    c.fill(sheen, linear(0, top, 0, cy, [(0.0, rgb("#FFFFFF", 0.22)), (1.0, rgb("#FFFFFF", 0.04))]),
           bbox)
    # A thin light rim along the top edge makes the tile read as raised.
    rim = sd_intersect(sd_ring(sd_round_box(cx, cy, hw - u(0.006), hh - u(0.006), radius), u(0.008)),
                       tile)
    c.fill(rim, linear(0, top, 0, bottom, [(0.0, rgb("#FFFFFF", 0.55)), (0.5, rgb("#FFFFFF", 0.0)),
                                           (1.0, rgb("#000000", 0.15))]), bbox)


def draw_icon_square(c, x, y, w, colours, radius, gloss=True):
    top, bottom = colours
    box = sd_round_box(x + w / 2, y + w / 2, w / 2, w / 2, radius)
    c.fill(box, linear(x, y, x + w * 0.3, y + w, [(0.0, top), (1.0, bottom)]), (x, y, x + w, y + w))
    if gloss:
        shine = sd_intersect(box, sd_circle(x + w * 0.25, y - w * 0.55, w * 1.0))
        c.fill(shine, solid(rgb("#FFFFFF", 0.22)), (x, y, x + w, y + w))


def draw_badge(c, cx, cy, r, ring):
    """The green 'extract' badge: an arrow dropping into a tray."""
    c.fill(sd_circle(cx, cy + r * 0.08, r + ring), solid(SHADOW),
           (cx - r - ring, cy - r - ring, cx + r + ring, cy + r * 1.3 + ring),
           soft=r * 0.12, opacity=0.45)
    c.fill(sd_circle(cx, cy, r + ring), solid(WHITE), (cx - r - ring, cy - r - ring,
                                                        cx + r + ring, cy + r + ring))
    c.fill(sd_circle(cx, cy, r), linear(cx, cy - r, cx, cy + r, [(0.0, BADGE_TOP),
                                                                  (1.0, BADGE_BOTTOM)]),
           (cx - r, cy - r, cx + r, cy + r))
    c.fill(sd_intersect(sd_circle(cx, cy, r), sd_circle(cx, cy - r * 1.05, r * 1.15)),
           solid(rgb("#FFFFFF", 0.18)), (cx - r, cy - r, cx + r, cy + r))
    # Arrow: shaft and head pointing down, then the open tray under it.
    sw = r * 0.13  # half stroke width
    top = cy - r * 0.55
    tip = cy + r * 0.22
    head = r * 0.36
    arrow = sd_union(
        sd_segment(cx, top, cx, tip - sw * 0.5, sw),
        sd_segment(cx - head, tip - head, cx, tip, sw),
        sd_segment(cx + head, tip - head, cx, tip, sw),
    )
    ty = cy + r * 0.5
    tw = r * 0.52
    tray = sd_union(
        sd_segment(cx - tw, cy + r * 0.22, cx - tw, ty, sw),
        sd_segment(cx - tw, ty, cx + tw, ty, sw),
        sd_segment(cx + tw, ty, cx + tw, cy + r * 0.22, sw),
    )
    c.fill(sd_union(arrow, tray), solid(WHITE), (cx - r, cy - r, cx + r, cy + r))


def render_detailed(size, factor):
    """32 px and up: tile, program window with a 2 x 2 grid of icons, extract badge."""
    s = size * factor
    c = Canvas(s)
    snap = size <= 64  # keep the edges of small renderings on whole pixels

    def u(v):
        return v * s

    def g(v):
        return round(v * size) * factor if snap else v * s

    draw_tile(c, u)
    # The program window the icons come from.
    px0, py0, px1, py1 = g(0.17), g(0.165), g(0.72), g(0.715)
    pr = u(0.06)
    panel = sd_round_box((px0 + px1) / 2, (py0 + py1) / 2, (px1 - px0) / 2, (py1 - py0) / 2, pr)
    c.fill(sd_round_box((px0 + px1) / 2, (py0 + py1) / 2 + u(0.02), (px1 - px0) / 2,
                        (py1 - py0) / 2, pr), solid(SHADOW), (px0, py0, px1, py1 + u(0.04)),
           soft=u(0.03), opacity=0.35)
    c.fill(panel, linear(0, py0, 0, py1, [(0.0, PANEL_TOP), (1.0, PANEL_BOTTOM)]),
           (px0, py0, px1, py1))
    bar_bottom = py0 + g(0.085)
    bar = sd_intersect(panel, sd_round_box((px0 + px1) / 2, (py0 + bar_bottom) / 2, (px1 - px0),
                                           (bar_bottom - py0) / 2, 0))
    c.fill(bar, solid(TITLE_BAR), (px0, py0, px1, bar_bottom))
    if size >= 64:
        for k in range(3):
            dot = sd_circle(px1 - u(0.05) - k * u(0.045), (py0 + bar_bottom) / 2, u(0.014))
            c.fill(dot, solid(rgb("#8E9CC4")), (px0, py0, px1, bar_bottom))
    # A 2 x 2 grid of icons inside the window.
    w = g(0.165)
    gap = g(0.05)
    gx = (px0 + px1) / 2 - w - gap / 2
    gy = (bar_bottom + py1) / 2 - w - gap / 2
    if snap:
        gx = round(gx / factor) * factor
        gy = round(gy / factor) * factor
    for k, colours in enumerate(ICON_COLOURS):
        x = gx + (k % 2) * (w + gap)
        y = gy + (k // 2) * (w + gap)
        draw_icon_square(c, x, y, w, colours, u(0.04))
    draw_badge(c, u(0.705), u(0.705), u(0.175), u(0.028))
    return c.downsample(factor)


# Pixel layouts of the small renderings, in target pixels: tile inset and corner
# radius, icon square size, first square position and gap, badge centre and
# radius, arrow shaft width, shaft top, first head row and head width.
SMALL_LAYOUTS = {
    16: dict(inset=0, radius=3, square=4, start=2, gap=1, badge=11.5, r=4.5, shaft=1,
             shaft_top=8, head_top=11, head=5),
    20: dict(inset=1, radius=4, square=5, start=3, gap=1, badge=14.5, r=5.0, shaft=1,
             shaft_top=11, head_top=14, head=5),
    24: dict(inset=1, radius=5, square=6, start=3, gap=1, badge=17.0, r=5.5, shaft=2,
             shaft_top=13, head_top=17, head=6),
}


def render_simple(size, factor):
    """Below 32 px: the tile, three icons and the badge with a pixel-drawn arrow."""
    L = SMALL_LAYOUTS[size]
    s = size * factor
    c = Canvas(s)
    p = float(factor)  # one target pixel in canvas units
    left, right = L["inset"] * p, s - L["inset"] * p
    cx = cy = s / 2
    hw = (right - left) / 2
    tile = sd_round_box(cx, cy, hw, hw, L["radius"] * p)
    c.fill(tile, linear(left, left, right * 0.7, right,
                        [(0.0, TILE_TOP), (0.55, TILE_MID), (1.0, TILE_BOTTOM)]))
    c.fill(sd_intersect(tile, sd_circle(cx, left - s * 0.55, s)), solid(rgb("#FFFFFF", 0.15)))
    w, start, gap = L["square"], L["start"], L["gap"]
    for k, colours in enumerate(ICON_COLOURS[:3]):
        x = (start + (k % 2) * (w + gap)) * p
        y = (start + (k // 2) * (w + gap)) * p
        draw_icon_square(c, x, y, w * p, colours, p * 0.8, gloss=False)
    bc, r, ring = L["badge"] * p, L["r"] * p, p
    c.fill(sd_circle(bc, bc, r + ring), solid(WHITE))
    c.fill(sd_circle(bc, bc, r), linear(bc, bc - r, bc, bc + r, [(0.0, BADGE_TOP),
                                                                  (1.0, BADGE_BOTTOM)]))
    # The arrow as whole-pixel rectangles: a crisp staircase head beats an
    # anti-aliased diagonal at this size.
    shaft = L["shaft"]
    ax = L["badge"] - shaft / 2.0

    def rect(x0, y0, x1, y1):
        c.fill(sd_round_box((x0 + x1) / 2 * p, (y0 + y1) / 2 * p, (x1 - x0) / 2 * p,
                            (y1 - y0) / 2 * p, 0), solid(WHITE))

    rect(ax, L["shaft_top"], ax + shaft, L["head_top"])
    width = L["head"]
    row = L["head_top"]
    while width > 0:
        x0 = L["badge"] - width / 2.0
        rect(x0, row, x0 + width, row + 1)
        width -= 2
        row += 1
    return c.downsample(factor)


def render_app_icon(size):
    if size < 32:
        return render_simple(size, 8)
    factor = 4 if size <= 64 else 3 if size <= 128 else 2
    return render_detailed(size, factor)


# ---------------------------------------------------------------------------
# The "save" menu picture: a floppy disk


def render_save(size):
    factor = 8
    s = size * factor
    p = float(factor)
    c = Canvas(s)
    k = size / 16.0

    def q(v):
        """A length of v pixels at 16 px, scaled and snapped to whole pixels."""
        return round(v * k) * p

    left = top = q(1)
    right = bottom = s - q(1)
    notch = q(3)
    # Dark outline, then the blue body one pixel inside it; the cut corner
    # at the top right makes the outline read as a diskette.
    outline = sd_polygon([(left, top), (right - notch, top), (right, top + notch), (right, bottom),
                          (left, bottom)])
    c.fill(outline, solid(rgb("#1E3A8A")))
    inner = sd_polygon([(left + p, top + p), (right - notch - p * 0.4, top + p),
                        (right - p, top + notch + p * 0.4), (right - p, bottom - p),
                        (left + p, bottom - p)])
    c.fill(inner, linear(0, top, 0, bottom, [(0.0, rgb("#4F8DF7")), (1.0, rgb("#2757D6"))]))
    # Metal shutter with its window at the top.
    sx0, sx1 = q(4), q(11)
    sy0, sy1 = top + p, q(6)
    c.fill(sd_round_box((sx0 + sx1) / 2, (sy0 + sy1) / 2, (sx1 - sx0) / 2, (sy1 - sy0) / 2, p * 0.3),
           linear(0, sy0, 0, sy1, [(0.0, rgb("#F1F5F9")), (1.0, rgb("#C4CCD8"))]))
    wx0, wx1 = q(8), q(10)
    wy0, wy1 = sy0 + q(1), sy1 - p
    c.fill(sd_round_box((wx0 + wx1) / 2, (wy0 + wy1) / 2, (wx1 - wx0) / 2, (wy1 - wy0) / 2, 0),
           solid(rgb("#334155")))
    # White label at the bottom with two writing lines.
    lx0, lx1 = q(3), s - q(3)
    ly0, ly1 = q(8), bottom - p
    c.fill(sd_round_box((lx0 + lx1) / 2, (ly0 + ly1) / 2, (lx1 - lx0) / 2, (ly1 - ly0) / 2, p * 0.4),
           solid(rgb("#FAFCFF")))
    if size >= 20:
        for line in (q(10), q(12)):  # one whole pixel row each
            c.fill(sd_round_box(s / 2, line + p / 2, (lx1 - lx0) / 2 - q(1.5), p * 0.5, 0),
                   solid(rgb("#B7C3DA")))
    return c.downsample(factor)


# ---------------------------------------------------------------------------
# File formats


def png_bytes(size, rgba):
    """An RGBA PNG, each row filtered with the filter that minimises the absolute byte sum."""
    stride = size * 4
    raw = bytearray()
    prev = bytes(stride)
    for j in range(size):
        row = rgba[j * stride:(j + 1) * stride]
        candidates = []
        for ftype in range(5):
            out = bytearray(stride)
            for i in range(stride):
                a = row[i - 4] if i >= 4 else 0
                b = prev[i]
                c = prev[i - 4] if i >= 4 else 0
                if ftype == 0:
                    pred = 0
                elif ftype == 1:
                    pred = a
                elif ftype == 2:
                    pred = b
                elif ftype == 3:
                    pred = (a + b) >> 1
                else:
                    pp = a + b - c
                    pa, pb, pc = abs(pp - a), abs(pp - b), abs(pp - c)
                    pred = a if pa <= pb and pa <= pc else b if pb <= pc else c
                out[i] = (row[i] - pred) & 0xFF
            score = sum(v if v < 128 else 256 - v for v in out)
            candidates.append((score, ftype, out))
        score, ftype, out = min(candidates, key=lambda t: (t[0], t[1]))
        raw.append(ftype)
        raw += out
        prev = row

    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data +
                struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


def dib_bytes(size, rgba):
    """A 32-bit DIB as stored in an .ico: header, bottom-up BGRA rows, then the AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, size * size * 4, 0, 0, 0, 0)
    pixels = bytearray()
    for j in range(size - 1, -1, -1):
        for i in range(size):
            o = (j * size + i) * 4
            r, g, b, a = rgba[o], rgba[o + 1], rgba[o + 2], rgba[o + 3]
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for j in range(size - 1, -1, -1):
        row = bytearray(mask_stride)
        for i in range(size):
            if rgba[(j * size + i) * 4 + 3] == 0:
                row[i >> 3] |= 0x80 >> (i & 7)
        mask += row
    return header + bytes(pixels) + bytes(mask)


def ico_bytes(images):
    """images: list of (size, payload, is_png). Sizes of 256 and above are stored as 0."""
    count = len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    for size, payload, _ in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(payload), offset)
        offset += len(payload)
    for _, payload, _ in images:
        out += payload
    return bytes(out)


APP_PNG_SIZES = [768, 512, 256]
APP_BMP_SIZES = [128, 96, 80, 72, 64, 60, 48, 40, 32, 24, 20, 16]
SAVE_SIZES = [16, 20, 24, 32]


def write_file(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)
    print(f"{path}: {len(data)} bytes")


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "resources")
    out_dir = os.path.normpath(out_dir)
    os.makedirs(out_dir, exist_ok=True)

    images = []
    for size in APP_PNG_SIZES:
        images.append((size, png_bytes(size, render_app_icon(size)), True))
    for size in APP_BMP_SIZES:
        images.append((size, dib_bytes(size, render_app_icon(size)), False))
    write_file(os.path.join(out_dir, "Zandrel.ico"), ico_bytes(images))

    save = [(size, dib_bytes(size, render_save(size)), False) for size in SAVE_SIZES]
    write_file(os.path.join(out_dir, "menu_save.ico"), ico_bytes(save))


if __name__ == "__main__":
    main(sys.argv)
