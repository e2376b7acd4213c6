#!/usr/bin/env python3
"""Draw the Brindora Pro icon (a landscape photo print) and write it as a .ico.

Usage: python3 resources/icon/make_icon.py <output.ico>

Only the standard library is used so the icon can be redrawn on any build
machine. Edit ICON / SIZE_TWEAKS below to change the artwork.
"""
import math
import struct
import sys
import zlib

# --- The artwork. Coordinates live in a unit square, (0, 0) is top-left. ---
ICON = {
    "print_box": (0.05, 0.13, 0.93, 0.83),  # outer edge of the photo print
    "corner": 0.06,            # corner radius of the print
    "outline": 0.012,          # grey rim, keeps the white print visible on white
    "border": 0.055,           # white margin between print edge and picture
    "rim": "#8C939C",
    "paper": "#FCFCFA",
    "shadow": "#000000",
    "shadow_offset": (0.02, 0.03),
    "shadow_blur": 0.05,
    "shadow_opacity": 0.40,
    "sky_top": "#2A74D0",
    "sky_bottom": "#BFE4FB",
    "sun": "#FFD23F",
    "sun_centre": (0.68, 0.35),
    "sun_radius": 0.08,
    "sun_glow": 0.07,          # width of the soft halo; 0 turns it off
    # Back to front; everything is clipped to the picture. "min_size" hides
    # detail that would only turn into noise on small icons.
    "hills": [
        {"poly": [(0.0, 0.80), (0.36, 0.36), (0.74, 0.84), (0.0, 0.95)],
         "top": "#5575A8", "bottom": "#2D4673"},
        {"poly": [(0.36, 0.36), (0.455, 0.476), (0.42, 0.46), (0.385, 0.49),
                  (0.35, 0.455), (0.31, 0.485), (0.273, 0.462)],
         "top": "#FFFFFF", "bottom": "#DCE6F0", "min_size": 48},
        {"circle": (0.70, 2.00, 1.42), "top": "#7CCB52", "bottom": "#2F7D32"},
    ],
}

# Small icons need bigger, pixel-aligned features rather than a scaled copy.
SIZE_TWEAKS = {
    16: {"print_box": (0.0, 2 / 16, 1.0, 14 / 16), "corner": 0.09,
         "outline": 1 / 16, "border": 2 / 16, "shadow_opacity": 0, "sun_glow": 0,
         "sun_centre": (10.5 / 16, 6.5 / 16), "sun_radius": 0.1},
    32: {"print_box": (1 / 32, 4 / 32, 30 / 32, 27 / 32), "corner": 0.07,
         "outline": 1 / 32, "border": 3 / 32, "shadow_offset": (1 / 32, 1 / 32),
         "sun_glow": 0, "sun_radius": 0.09},
    48: {"outline": 1 / 48, "border": 3 / 48},
}

SIZES = (16, 32, 48, 256)
SUPERSAMPLE = 4  # samples per pixel along each axis


def hex_rgb(colour):
    return tuple(int(colour[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


def rrect_distance(box, radius, x, y):
    """Signed distance to a rounded rectangle (negative inside)."""
    x0, y0, x1, y1 = box
    qx = abs(x - (x0 + x1) / 2) - (x1 - x0) / 2 + radius
    qy = abs(y - (y0 + y1) / 2) - (y1 - y0) / 2 + radius
    return (math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0)
            - radius)


def in_polygon(points, x, y):
    inside = False
    px, py = points[-1]
    for qx, qy in points:
        if (qy > y) != (py > y) and x < (px - qx) * (y - qy) / (py - qy) + qx:
            inside = not inside
        px, py = qx, qy
    return inside


class Layer:
    """One filled shape. 'soft' > 0 feathers the edge over that width."""

    def __init__(self, dist, bbox, top, bottom=None, opacity=1.0, soft=0.0,
                 clip=False):
        self.dist, self.clip, self.opacity, self.soft = dist, clip, opacity, soft
        grow = soft / 2
        self.bbox = (bbox[0] - grow, bbox[1] - grow, bbox[2] + grow,
                     bbox[3] + grow)
        self.top = hex_rgb(top)
        self.bottom = hex_rgb(bottom or top)
        self.y0, self.y1 = bbox[1], bbox[3]

    def colour(self, y):
        t = min(max((y - self.y0) / ((self.y1 - self.y0) or 1.0), 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(self.top, self.bottom))

    def coverage(self, x, y):
        d = self.dist(x, y)
        if self.soft:
            return min(max(0.5 - d / self.soft, 0.0), 1.0) * self.opacity
        return self.opacity if d <= 0 else 0.0


def build_layers(size):
    p = dict(ICON, **SIZE_TWEAKS.get(size, {}))
    box, r = p["print_box"], p["corner"]
    dx, dy = p["shadow_offset"]
    shadow_box = (box[0] + dx, box[1] + dy, box[2] + dx, box[3] + dy)
    o, b = p["outline"], p["border"]
    paper_box = (box[0] + o, box[1] + o, box[2] - o, box[3] - o)
    pic = (box[0] + b, box[1] + b, box[2] - b, box[3] - b)
    pic_r = max(r - b, 0.25 / size)
    layers = [
        Layer(lambda x, y: rrect_distance(shadow_box, r, x, y), shadow_box,
              p["shadow"], opacity=p["shadow_opacity"], soft=p["shadow_blur"]),
    ] if p["shadow_opacity"] else []
    layers += [
        Layer(lambda x, y: rrect_distance(box, r, x, y), box, p["rim"]),
        Layer(lambda x, y: rrect_distance(paper_box, r - o, x, y), paper_box,
              p["paper"]),
        Layer(lambda x, y: rrect_distance(pic, pic_r, x, y), pic,
              p["sky_top"], p["sky_bottom"]),
    ]
    (sx, sy), sr, glow = p["sun_centre"], p["sun_radius"], p["sun_glow"]
    if glow:
        gr = sr + glow / 2  # the feather is centred on the edge
        layers.append(Layer(lambda x, y: math.hypot(x - sx, y - sy) - gr,
                            (sx - gr, sy - gr, sx + gr, sy + gr), p["sun"],
                            opacity=0.45, soft=glow, clip=True))
    layers.append(Layer(lambda x, y: math.hypot(x - sx, y - sy) - sr,
                        (sx - sr, sy - sr, sx + sr, sy + sr), p["sun"],
                        clip=True))
    for hill in p["hills"]:
        if size < hill.get("min_size", 0):
            continue
        if "poly" in hill:
            pts = hill["poly"]
            dist = lambda x, y, pts=pts: -1.0 if in_polygon(pts, x, y) else 1.0
            xs, ys = [q[0] for q in pts], [q[1] for q in pts]
            bbox = (min(xs), min(ys), max(xs), max(ys))
        else:
            cx, cy, cr = hill["circle"]
            dist = lambda x, y, c=(cx, cy, cr): math.hypot(x - c[0], y - c[1]) - c[2]
            bbox = (cx - cr, cy - cr, cx + cr, cy + cr)
        # Shade across the visible part only, or the gradient falls off-picture.
        bbox = (bbox[0], max(bbox[1], pic[1]), bbox[2], min(bbox[3], pic[3]))
        layers.append(Layer(dist, bbox, hill["top"], hill["bottom"], clip=True))
    return layers, (lambda x, y: rrect_distance(pic, pic_r, x, y) <= 0)


def render(size):
    """Return rows (top first) of (r, g, b, a) bytes, straight alpha."""
    layers, in_picture = build_layers(size)
    n = SUPERSAMPLE
    offsets = [(i + 0.5) / n for i in range(n)]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied sum over the samples
            for oy in offsets:
                y = (py + oy) / size
                for ox in offsets:
                    x = (px + ox) / size
                    sample = (0.0, 0.0, 0.0, 0.0)  # premultiplied RGBA
                    for layer in layers:
                        x0, y0, x1, y1 = layer.bbox
                        if not (x0 <= x <= x1 and y0 <= y <= y1):
                            continue
                        if layer.clip and not in_picture(x, y):
                            continue
                        cov = layer.coverage(x, y)
                        if cov <= 0:
                            continue
                        paint = layer.colour(y) + (1.0,)
                        sample = tuple(s * (1.0 - cov) + c * cov
                                       for s, c in zip(sample, paint))
                    acc = [t + s for t, s in zip(acc, sample)]
            a = acc[3] / (n * n)
            if a <= 0:
                row.append((0, 0, 0, 0))
                continue
            rgb = [min(round(c / acc[3] * 255), 255) for c in acc[:3]]
            row.append((rgb[0], rgb[1], rgb[2], round(a * 255)))
        rows.append(row)
    return rows


def png_bytes(rows):
    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data
                + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib_bytes(rows):
    h, w = len(rows), len(rows[0])
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows)
                      for r, g, b, a in row)
    # The AND mask is ignored when alpha is present, but older renderers use
    # it as the silhouette, so mark mostly transparent pixels.
    stride = (w + 31) // 32 * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if px[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def ico_bytes(images):
    """images: list of (size, encoded image bytes)."""
    offset = 6 + 16 * len(images)
    directory, data = b"", b""
    for size, blob in images:
        dim = size if size < 256 else 0  # 0 means 256 in the directory
        directory += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32,
                                 len(blob), offset + len(data))
        data += blob
    return struct.pack("<HHH", 0, 1, len(images)) + directory + data


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_icon.py <output.ico>")
    images = []
    for size in SIZES:
        rows = render(size)
        # Vista+ reads PNG entries; keeping them for the big size only keeps
        # the small ones loadable by every API that handles icons.
        images.append((size, png_bytes(rows) if size >= 256 else dib_bytes(rows)))
    with open(argv[1], "wb") as f:
        f.write(ico_bytes(images))


if __name__ == "__main__":
    main(sys.argv)
