#!/usr/bin/env python3
"""Draws the Quenlath application icon and writes it as a multi-image .ico.

The artwork is an optical disc with a small blue drive-letter tag ("E:") in the
lower right. Everything is drawn procedurally, so the icon can be regenerated
and changed here instead of in a paint program:

    python3 scripts/make-icon.py [output]     (default: src/res/Morvessa.ico)
    python3 scripts/make-icon.py --verify [file]   checks an icon's structure

Images, in directory order: 16x16 at 4, 8 and 32 bits per pixel, then 32x32 and
48x48 at 8 and 32 bits per pixel, then 24x24 and 64x64 at 32 bits per pixel, the
sizes Windows asks for at 150 % and 200 % display scaling. Each is a BMP-format
image (BITMAPINFOHEADER, colour bitmap, 1-bit AND mask), except the 64x64 one, which
is stored as PNG to keep the file small; each 4 and 8-bit image carries a palette
made from its own colours by median cut, black first.
"""

import math
import os
import struct
import sys
import zlib

SUPERSAMPLING = 6  # samples per pixel along each axis for anti-aliased edges

# Colours as (r, g, b) in 0..255.
RIM = (96, 102, 114)
HUB_EDGE = (140, 146, 156)
HUB = (214, 218, 224)
HOLE_EDGE = (110, 116, 126)
TAG_FILL = (30, 92, 200)
TAG_EDGE = (16, 50, 118)
GLYPH = (255, 255, 255)

def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def hue(h):
    """A saturated colour for hue h in [0, 1)."""
    h = (h % 1.0) * 6.0
    x = 1.0 - abs(h % 2.0 - 1.0)
    r, g, b = [(1, x, 0), (x, 1, 0), (0, 1, x), (0, x, 1), (x, 0, 1), (1, 0, x)][int(h)]
    return (r * 255, g * 255, b * 255)


class Layout:
    """Geometry of one icon size, in pixels. The tag and its glyph are laid on
    whole pixels so that they stay crisp at 16x16."""

    def __init__(self, size):
        self.size = size
        k = max(1, size // 16)          # stroke width of the glyph
        self.k = k
        # The disc sits up-left to leave room for the tag. Centring it on a pixel
        # corner keeps its outline symmetric, without one-pixel bumps at the top
        # and sides once the 4 and 8-bit images cut the edge at half coverage.
        self.cx = self.cy = float(round(size * 0.45))
        self.radius = self.cx - 0.05
        self.hub = self.radius * 0.36
        self.hole = self.radius * 0.14
        # Tag: glyph "E:" of 5k x 5k pixels, k of padding, one pixel of edge.
        side = 7 * k + 1
        self.tag = (size - side, size - side, size, size)
        self.tag_corner = 1.5 * k
        gx, gy = size - side + 1 + k, size - side + 1 + k
        self.glyph = [
            (gx, gy, gx + k, gy + 5 * k),                   # E: stem
            (gx, gy, gx + 3 * k, gy + k),                   # top arm
            (gx, gy + 2 * k, gx + 3 * k, gy + 3 * k),       # middle arm (full length at 16)
            (gx, gy + 4 * k, gx + 3 * k, gy + 5 * k),       # bottom arm
            (gx + 4 * k, gy + k, gx + 5 * k, gy + 2 * k),   # colon, upper dot
            (gx + 4 * k, gy + 3 * k, gx + 5 * k, gy + 4 * k),  # colon, lower dot
        ]
        if k > 1:  # a shorter middle arm reads better once there is room for it
            self.glyph[2] = (gx, gy + 2 * k, gx + 2 * k + k // 2, gy + 3 * k)


def in_rect(x, y, r):
    return r[0] <= x < r[2] and r[1] <= y < r[3]


def in_rounded(x, y, r, corner):
    if not in_rect(x, y, r):
        return False
    dx = max(r[0] + corner - x, 0, x - (r[2] - corner))
    dy = max(r[1] + corner - y, 0, y - (r[3] - corner))
    return dx * dx + dy * dy <= corner * corner


def sample(lay, x, y):
    """Colour and opacity (r, g, b, a) at the point (x, y), a in {0, 1}."""
    # Tag on top of everything.
    if in_rounded(x, y, lay.tag, lay.tag_corner):
        for r in lay.glyph:
            if in_rect(x, y, r):
                return GLYPH + (1.0,)
        inner = (lay.tag[0] + 1, lay.tag[1] + 1, lay.tag[2], lay.tag[3])
        if in_rounded(x, y, inner, max(lay.tag_corner - 1, 0.5)):
            # Slightly lighter towards the top for a little depth.
            t = (y - lay.tag[1]) / (lay.tag[3] - lay.tag[1])
            return mix((70, 130, 230), TAG_FILL, min(1.0, t * 1.4)) + (1.0,)
        return TAG_EDGE + (1.0,)

    dx, dy = x - lay.cx, y - lay.cy
    d = math.hypot(dx, dy)
    if d > lay.radius or d < lay.hole:
        return (0, 0, 0, 0.0)
    edge = max(1.0, lay.size / 32)
    if d > lay.radius - edge:
        return RIM + (1.0,)
    if d < lay.hole + edge * 0.8:
        return HOLE_EDGE + (1.0,)
    if d < lay.hub:
        if d > lay.hub - edge * 0.8:
            return HUB_EDGE + (1.0,)
        return HUB + (1.0,)

    # Data area: silver, lit from the top left, with an iridescent sheen that
    # changes with the angle and peaks across the middle of the band.
    angle = math.atan2(dy, dx)
    light = 0.5 + 0.5 * math.cos(angle + math.pi * 0.75)          # 1 towards the top left
    base = mix((168, 174, 186), (246, 248, 252), light)
    band = (d - lay.hub) / (lay.radius - lay.hub)
    strength = 0.34 * math.sin(math.pi * band) ** 2
    sheen = hue(angle / (2 * math.pi) * 2 + 0.08)
    glare = max(0.0, math.cos(2 * (angle + math.pi * 0.75))) ** 6  # bright streak
    c = mix(base, sheen, strength)
    c = mix(c, (255, 255, 255), 0.6 * glare * math.sin(math.pi * band))
    return c + (1.0,)


def render(size):
    """Rows of (r, g, b, a) with straight (not premultiplied) 8-bit channels, top row first."""
    lay = Layout(size)
    n = SUPERSAMPLING
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = sample(lay, px + (sx + 0.5) / n, py + (sy + 0.5) / n)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / (n * n)
            if a <= 0.0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(min(255, int(round(acc[i] / acc[3]))) for i in range(3))
                           + (int(round(a * 255)),))
        rows.append(row)
    return rows


def median_cut(colours, count):
    """Reduce a list of (r, g, b) to at most count representative colours."""
    boxes = [list(colours)]
    while len(boxes) < count:
        # Split the box with the widest channel range.
        best, best_range, best_ch = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c in box]
                rng = max(vals) - min(vals)
                if rng > best_range:
                    best, best_range, best_ch = i, rng, ch
        if best is None or best_range <= 0:
            break
        box = sorted(boxes.pop(best), key=lambda c: c[best_ch])
        mid = len(box) // 2
        boxes += [box[:mid], box[mid:]]
    return [tuple(int(round(sum(c[ch] for c in box) / len(box))) for ch in range(3))
            for box in boxes if box]


def nearest(palette, c, cache):
    if c not in cache:
        cache[c] = min(range(len(palette)),
                       key=lambda i: sum((palette[i][ch] - c[ch]) ** 2 for ch in range(3)))
    return cache[c]


def opaque(pixel):
    """Whether a pixel stays visible in an image without alpha (4 and 8 bits)."""
    return pixel[3] >= 128


def and_mask(rows, visible):
    """The 1-bit AND mask, bottom row first: 1 where the background shows through."""
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, p in enumerate(row):
            if not visible(p):
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def bitmap_header(size, bpp, image_bytes):
    # The height counts the colour bitmap and the AND mask together; palettes
    # are always full (2^bpp entries), which a colour count of 0 says.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                       image_bytes, 0, 0, 0, 0)


def encode_indexed(rows, bpp):
    size = len(rows)
    entries = 1 << bpp
    # Every pixel counts once, so that large areas weigh more than rare shades.
    colours = sorted(p[:3] for row in rows for p in row if opaque(p))
    if len(set(colours)) > entries - 1:
        colours = median_cut(colours, entries - 1)
    # Index 0 is black: transparent pixels use it, so that the AND/XOR pair
    # leaves the background untouched.
    palette = [(0, 0, 0)] + sorted(set(c for c in colours if c != (0, 0, 0)))
    palette += [(0, 0, 0)] * (entries - len(palette))
    cache = {}
    stride = ((size * bpp + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(rows):
        indices = [nearest(palette, p[:3], cache) if opaque(p) else 0 for p in row]
        line = bytearray(stride)
        for x, i in enumerate(indices):
            if bpp == 8:
                line[x] = i
            else:
                line[x // 2] |= i << (4 if x % 2 == 0 else 0)
        xor += line
    mask = and_mask(rows, opaque)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return (bitmap_header(size, bpp, len(xor) + len(mask))
            + pal + bytes(xor) + mask)


def encode_argb(rows):
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += struct.pack("<BBBB", b, g, r, a)
    # Alpha decides on systems that read it; the mask serves those that do not.
    mask = and_mask(rows, lambda p: p[3] > 0)
    return bitmap_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def encode_png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


IMAGES = [(16, 4), (16, 8), (16, 32), (32, 8), (32, 32), (48, 8), (48, 32), (24, 32), (64, 32)]
PNG_SIZES = {64}


def build_ico():
    rendered = {}
    entries = []
    for size, bpp in IMAGES:
        if size not in rendered:
            rendered[size] = render(size)
        rows = rendered[size]
        if size in PNG_SIZES:
            data = encode_png(rows)
        else:
            data = encode_argb(rows) if bpp == 32 else encode_indexed(rows, bpp)
        entries.append((size, bpp, data))
    header = struct.pack("<HHH", 0, 1, len(entries))
    offset = len(header) + 16 * len(entries)
    directory = bytearray()
    blobs = bytearray()
    for size, bpp, data in entries:
        colour_count = 16 if bpp == 4 else 0
        directory += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bpp,
                                 len(data), offset + len(blobs))
        blobs += data
    return header + bytes(directory) + bytes(blobs)


def verify(data):
    """Problems found in an .ico file's structure, as a list of messages; empty if
    it holds exactly IMAGES, each a consistent BMP-format image."""
    problems = []
    if len(data) < 6:
        return ["shorter than the icon directory header"]
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        problems.append(f"not an icon file (reserved {reserved}, type {kind})")
    found = []
    expected_offset = 6 + 16 * count
    for i in range(count):
        if 6 + 16 * (i + 1) > len(data):
            return problems + [f"directory entry {i} is cut off"]
        w, h, colours, _, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        name = f"image {i} ({w}x{h}, {bpp} bpp)"
        found.append((w, bpp))
        if w != h or planes != 1 or colours != (16 if bpp == 4 else 0):
            problems.append(f"{name}: unexpected size, planes or colour count")
        if offset != expected_offset:
            problems.append(f"{name}: data at {offset}, expected right after the previous image at {expected_offset}")
            return problems
        if offset + size > len(data):
            problems.append(f"{name}: {size} bytes at {offset} run past the end of the file ({len(data)} bytes)")
            return problems
        expected_offset = offset + size
        if data[offset:offset + 8] == b"\x89PNG\r\n\x1a\n":
            if w not in PNG_SIZES or struct.unpack_from(">II", data, offset + 16) != (w, h):
                problems.append(f"{name}: unexpected PNG image")
            continue
        hsize, bw, bh, bplanes, bbpp, comp, image_bytes, _, _, used, _ = struct.unpack_from(
            "<IiiHHIIiiII", data, offset)
        palette = 4 * (used or (1 << bbpp)) if bbpp <= 8 else 0
        colour_bytes = ((bw * bbpp + 31) // 32) * 4 * bw
        mask_bytes = ((bw + 31) // 32) * 4 * bw
        if (hsize, bw, bh, bplanes, bbpp, comp) != (40, w, 2 * h, 1, bpp, 0):
            problems.append(f"{name}: bitmap header does not match the directory")
        elif size != hsize + palette + colour_bytes + mask_bytes:
            problems.append(f"{name}: {size} bytes, expected {hsize + palette + colour_bytes + mask_bytes}")
        elif image_bytes not in (0, colour_bytes + mask_bytes):
            problems.append(f"{name}: image size field {image_bytes}")
    if expected_offset != len(data):
        problems.append(f"{len(data) - expected_offset} stray bytes after the last image")
    if found != IMAGES:
        problems.append(f"images {found}, expected {IMAGES}")
    return problems


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    default = os.path.join(root, "src", "res", "Morvessa.ico")
    args = sys.argv[1:]
    if args[:1] == ["--verify"]:
        path = args[1] if len(args) > 1 else default
        with open(path, "rb") as f:
            problems = verify(f.read())
        for p in problems:
            print(f"{path}: {p}", file=sys.stderr)
        return 1 if problems else 0
    out = args[0] if args else default
    data = build_ico()
    problems = verify(data)
    if problems:
        raise SystemExit("\n".join(problems))
    with open(out, "wb") as f:
        f.write(data)
    print(f"{out}: {len(data)} bytes, {len(IMAGES)} images")
    return 0


if __name__ == "__main__":
    sys.exit(main())
