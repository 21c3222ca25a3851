"""Shared palette, drawing helpers and deterministic output for Quillmarch art.

Everything is drawn at SS x the final size on a `Canvas` and shrunk with
LANCZOS at the end, so edges come out smooth.  Coordinates passed to the
helpers are always in *final* pixels (floats are fine); the helpers scale
them up internally.

Art direction (see tools/README.md):
  * limited palette below, nothing else;
  * every sprite part gets a dark ink outline (INK), ~2.5 px at final size;
  * light comes from the top-left: parts are lighter towards the top-left,
    darker towards the bottom-right, and sprites cast a soft ink shadow
    towards the bottom-right.
"""

import math
import os
import struct

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

SS = 4  # supersampling factor

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
FONT_REG = os.path.join(FONT_DIR, "DejaVuSans.ttf")
FONT_SERIF_BOLD = os.path.join(FONT_DIR, "DejaVuSerif-Bold.ttf")
FONT_COND_BOLD = os.path.join(FONT_DIR, "DejaVuSansCondensed-Bold.ttf")

# --------------------------------------------------------------------------
# Palette.  Ramps run dark -> light.
# --------------------------------------------------------------------------
INK = (30, 24, 40)            # universal outline / shadow colour
NIGHT = [(13, 15, 28), (22, 27, 50), (36, 44, 78), (58, 70, 114), (94, 108, 156)]
STONE = [(54, 54, 66), (82, 82, 96), (114, 112, 124), (152, 148, 154), (194, 188, 184)]
WOOD = [(76, 44, 34), (110, 68, 44), (148, 96, 58), (188, 132, 80), (222, 174, 112)]
TEAL = [(24, 52, 62), (38, 84, 92), (60, 122, 120), (98, 162, 148)]
NAVY = [(28, 36, 70), (44, 58, 106), (68, 88, 148), (108, 130, 188)]
RED = [(90, 26, 34), (148, 42, 46), (204, 70, 60), (238, 122, 92)]
GOLD = [(146, 98, 40), (204, 148, 58), (240, 196, 92), (255, 234, 156)]
GREEN = [(42, 70, 48), (68, 108, 62), (108, 150, 80), (160, 190, 104)]
SKIN = [(158, 104, 78), (204, 148, 112), (236, 190, 150)]
GLASS = [(110, 170, 204), (164, 210, 234), (222, 242, 252)]
CREAM = (246, 236, 212)
PAPER = (226, 212, 184)
WHITE = (255, 255, 255)

OUTLINE = 2.5   # default outline width in final pixels


def mix(a, b, t):
    """Linear blend of two colours (t=0 -> a, t=1 -> b)."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def scale(c, k):
    return tuple(max(0, min(255, int(round(v * k)))) for v in c[:3]) + tuple(c[3:])


# --------------------------------------------------------------------------
# Deterministic randomness and noise
# --------------------------------------------------------------------------
def rng(seed):
    """Legacy Mersenne-Twister generator: stable across numpy versions."""
    return np.random.RandomState(seed)


def value_noise(w, h, cells, seed, tile=True):
    """Smooth noise in [0,1] of size (h, w).  `cells` = grid resolution.
    With tile=True the result wraps seamlessly."""
    r = rng(seed)
    cx, cy = (cells, cells) if isinstance(cells, int) else cells
    g = r.rand(cy, cx).astype(np.float32)
    if tile:
        big = np.tile(g, (3, 3))
        im = Image.fromarray((big * 255).astype(np.uint8), "L")
        im = im.resize((3 * w, 3 * h), Image.BICUBIC)
        a = np.asarray(im, dtype=np.float32)[h:2 * h, w:2 * w] / 255.0
    else:
        im = Image.fromarray((g * 255).astype(np.uint8), "L")
        a = np.asarray(im.resize((w, h), Image.BICUBIC), dtype=np.float32) / 255.0
    return a


def fractal_noise(w, h, seed, octaves=((4, 0.5), (8, 0.3), (16, 0.2)), tile=True):
    out = np.zeros((h, w), np.float32)
    for i, (cells, amp) in enumerate(octaves):
        out += amp * value_noise(w, h, cells, seed * 31 + i, tile)
    return out / sum(a for _, a in octaves)


# --------------------------------------------------------------------------
# Morphology on float masks (0..1), numpy only
# --------------------------------------------------------------------------
def _shift(a, dx, dy, fill):
    h, w = a.shape
    out = np.full_like(a, fill)
    xs0, xs1 = max(0, -dx), min(w, w - dx)
    ys0, ys1 = max(0, -dy), min(h, h - dy)
    if xs0 < xs1 and ys0 < ys1:
        out[ys0 + dy:ys1 + dy, xs0 + dx:xs1 + dx] = a[ys0:ys1, xs0:xs1]
    return out


def dilate(a, r, fill=0.0):
    """Grey dilation of a 2-D array by a disc of radius r (pixels)."""
    r = int(round(r))
    if r <= 0:
        return a.copy()
    rows = [a]
    cur = a
    for k in range(1, r + 1):
        cur = np.maximum(cur, np.maximum(_shift(a, k, 0, fill), _shift(a, -k, 0, fill)))
        rows.append(cur)
    out = np.zeros_like(a)
    for dy in range(-r, r + 1):
        w = int(math.floor(math.sqrt(max(0.0, r * r - dy * dy)) + 0.25))
        out = np.maximum(out, _shift(rows[w], 0, dy, fill))
    return out


def erode(a, r):
    return 1.0 - dilate(1.0 - a, r, fill=1.0)


# --------------------------------------------------------------------------
# Shapes: a small L-mode mask plus its origin on the supersampled canvas
# --------------------------------------------------------------------------
class Shape:
    def __init__(self, mask, x0, y0):
        self.mask = mask   # float32 array 0..1
        self.x0 = x0
        self.y0 = y0

    @property
    def box(self):
        h, w = self.mask.shape
        return self.x0, self.y0, self.x0 + w, self.y0 + h

    def _combine(self, other, op):
        ax0, ay0, ax1, ay1 = self.box
        bx0, by0, bx1, by1 = other.box
        x0, y0, x1, y1 = min(ax0, bx0), min(ay0, by0), max(ax1, bx1), max(ay1, by1)
        a = np.zeros((y1 - y0, x1 - x0), np.float32)
        b = np.zeros_like(a)
        a[ay0 - y0:ay1 - y0, ax0 - x0:ax1 - x0] = self.mask
        b[by0 - y0:by1 - y0, bx0 - x0:bx1 - x0] = other.mask
        return Shape(op(a, b), x0, y0)

    def __or__(self, o):
        return self._combine(o, np.maximum)

    def __sub__(self, o):
        return self._combine(o, lambda a, b: np.clip(a - b, 0, 1))

    def __and__(self, o):
        return self._combine(o, np.minimum)

    def grow(self, px):
        r = int(round(px * SS))
        m = np.pad(self.mask, r + 1)
        return Shape(dilate(m, r), self.x0 - r - 1, self.y0 - r - 1)

    def shrink(self, px):
        return Shape(erode(self.mask, px * SS), self.x0, self.y0)

    def moved(self, dx, dy):
        return Shape(self.mask, self.x0 + int(round(dx * SS)), self.y0 + int(round(dy * SS)))

    def blurred(self, px):
        r = int(math.ceil(px * SS * 2.5)) + 1
        m = np.pad(self.mask, r)
        im = Image.fromarray((m * 255).astype(np.uint8), "L")
        im = im.filter(ImageFilter.GaussianBlur(px * SS))
        return Shape(np.asarray(im, np.float32) / 255.0, self.x0 - r, self.y0 - r)

    def scaled(self, k):
        return Shape(self.mask * k, self.x0, self.y0)


def _blank(box, pad=2):
    x0, y0, x1, y1 = box
    X0 = int(math.floor(min(x0, x1) * SS)) - pad
    Y0 = int(math.floor(min(y0, y1) * SS)) - pad
    X1 = int(math.ceil(max(x0, x1) * SS)) + pad
    Y1 = int(math.ceil(max(y0, y1) * SS)) + pad
    im = Image.new("L", (max(1, X1 - X0), max(1, Y1 - Y0)), 0)
    return im, ImageDraw.Draw(im), X0, Y0


def _done(im, X0, Y0):
    return Shape(np.asarray(im, np.float32) / 255.0, X0, Y0)


def ellipse(cx, cy, rx, ry=None):
    ry = rx if ry is None else ry
    im, d, X0, Y0 = _blank((cx - rx, cy - ry, cx + rx, cy + ry))
    d.ellipse([(cx - rx) * SS - X0, (cy - ry) * SS - Y0,
               (cx + rx) * SS - X0 - 1, (cy + ry) * SS - Y0 - 1], fill=255)
    return _done(im, X0, Y0)


circle = ellipse


def poly(pts):
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    im, d, X0, Y0 = _blank((min(xs), min(ys), max(xs), max(ys)))
    d.polygon([(x * SS - X0, y * SS - Y0) for x, y in pts], fill=255)
    return _done(im, X0, Y0)


def rect(x0, y0, x1, y1):
    return poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def rrect(x0, y0, x1, y1, r):
    im, d, X0, Y0 = _blank((x0, y0, x1, y1))
    d.rounded_rectangle([x0 * SS - X0, y0 * SS - Y0, x1 * SS - X0 - 1, y1 * SS - Y0 - 1],
                        radius=max(0, r * SS), fill=255)
    return _done(im, X0, Y0)


def stroke(pts, width, round_caps=True):
    """A thick polyline with round joints (and caps)."""
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    h = width / 2.0
    im, d, X0, Y0 = _blank((min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h))
    sp = [(x * SS - X0, y * SS - Y0) for x, y in pts]
    d.line(sp, fill=255, width=max(1, int(round(width * SS))), joint="curve")
    if round_caps:
        rr = width * SS / 2.0
        for x, y in (sp[0], sp[-1]):
            d.ellipse([x - rr, y - rr, x + rr, y + rr], fill=255)
    return _done(im, X0, Y0)


def rotated_ellipse(cx, cy, rx, ry, angle_deg, n=96):
    a = math.radians(angle_deg)
    ca, sa = math.cos(a), math.sin(a)
    pts = []
    for i in range(n):
        t = 2 * math.pi * i / n
        x, y = rx * math.cos(t), ry * math.sin(t)
        pts.append((cx + x * ca - y * sa, cy + x * sa + y * ca))
    return poly(pts)


def star_poly(cx, cy, r_out, r_in, n, rot=-90.0):
    pts = []
    for i in range(2 * n):
        r = r_out if i % 2 == 0 else r_in
        a = math.radians(rot + 180.0 * i / n)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return poly(pts)


def text_shape(s, x, y, size, font=FONT_BOLD, anchor="mm", spacing=0.0):
    """Text as a Shape.  (x, y) is the anchor point in final pixels.
    `spacing` adds extra letter spacing (final px) between characters."""
    f = ImageFont.truetype(font, int(round(size * SS)))
    if spacing == 0.0:
        l, t, r, b = f.getbbox(s, anchor=anchor)
        im, d, X0, Y0 = _blank((x + l / SS, y + t / SS, x + r / SS, y + b / SS), pad=4)
        d.text((x * SS - X0, y * SS - Y0), s, font=f, fill=255, anchor=anchor)
        return _done(im, X0, Y0)
    # manual spacing: lay characters out one by one on a common baseline
    adv = [f.getlength(ch) + spacing * SS for ch in s]
    total = sum(adv) - spacing * SS
    asc, desc = f.getmetrics()
    if anchor[0] == "m":
        left = x * SS - total / 2
    elif anchor[0] == "r":
        left = x * SS - total
    else:
        left = x * SS
    if anchor[1] == "m":
        cap = f.getbbox("H", anchor="ls")
        base = y * SS - (cap[1] + cap[3]) / 2
    elif anchor[1] == "s":
        base = y * SS
    else:
        base = y * SS + asc
    W = int(total + size * SS * 2)
    H = int((asc + desc) * 1.6 + 8)
    X0 = int(left - size * SS)
    Y0 = int(base - asc * 1.3)
    im = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(im)
    cx = left - X0
    for ch, a in zip(s, adv):
        d.text((cx, base - Y0), ch, font=f, fill=255, anchor="ls")
        cx += a
    return _done(im, X0, Y0)


# --------------------------------------------------------------------------
# Canvas
# --------------------------------------------------------------------------
def _as_rgba(c):
    if len(c) == 3:
        return (c[0], c[1], c[2], 255)
    return tuple(c)


class Canvas:
    """An RGBA image at SS x (w, h)."""

    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.img = Image.new("RGBA", (w * SS, h * SS), _as_rgba(bg))

    # -- low level ----------------------------------------------------------
    def _composite(self, rgb, alpha, X0, Y0):
        """rgb: (h,w,3) float 0..255, alpha: (h,w) float 0..1, placed at X0,Y0."""
        H, W = alpha.shape
        cx0, cy0 = max(0, X0), max(0, Y0)
        cx1, cy1 = min(self.img.width, X0 + W), min(self.img.height, Y0 + H)
        if cx0 >= cx1 or cy0 >= cy1:
            return
        rgb = rgb[cy0 - Y0:cy1 - Y0, cx0 - X0:cx1 - X0]
        alpha = alpha[cy0 - Y0:cy1 - Y0, cx0 - X0:cx1 - X0]
        patch = np.zeros(alpha.shape + (4,), np.uint8)
        patch[..., :3] = np.clip(rgb + 0.5, 0, 255).astype(np.uint8)
        patch[..., 3] = np.clip(alpha * 255 + 0.5, 0, 255).astype(np.uint8)
        self.img.alpha_composite(Image.fromarray(patch, "RGBA"), dest=(cx0, cy0))

    def _fill_array(self, fill, shape, shade, light_box=None):
        m = shape.mask
        H, W = m.shape
        if callable(fill):
            ys = (np.arange(H, dtype=np.float32) + shape.y0 + 0.5) / SS
            xs = (np.arange(W, dtype=np.float32) + shape.x0 + 0.5) / SS
            xx, yy = np.meshgrid(xs, ys)
            arr = np.asarray(fill(xx, yy), np.float32)
            if arr.ndim == 2:
                arr = np.repeat(arr[..., None], 3, axis=2)
            col = arr[..., :3]
        else:
            col = np.empty((H, W, 3), np.float32)
            col[...] = np.asarray(fill[:3], np.float32)
        if shade:
            # light from the top-left: brighter towards top-left of the part
            ys_, xs_ = np.nonzero(m > 0.5)
            if light_box is not None:
                bx0, by0, bx1, by1 = [v * SS for v in light_box]
                bx0 -= shape.x0; bx1 -= shape.x0; by0 -= shape.y0; by1 -= shape.y0
            elif len(xs_):
                bx0, bx1, by0, by1 = xs_.min(), xs_.max() + 1, ys_.min(), ys_.max() + 1
            else:
                bx0, bx1, by0, by1 = 0, W, 0, H
            gx = (np.arange(W, dtype=np.float32) - bx0) / max(1.0, bx1 - bx0)
            gy = (np.arange(H, dtype=np.float32) - by0) / max(1.0, by1 - by0)
            t = np.clip((gx[None, :] + gy[:, None]) * 0.5, 0, 1)
            k = 1.0 + shade * (1.0 - 2.0 * t)
            col = col * k[..., None]
        return col

    # -- painting -------------------------------------------------------------
    def paint(self, shape, fill, outline=INK, ow=OUTLINE, shade=0.0, alpha=1.0,
              outer=False, light_box=None):
        """Fill a shape, with an ink outline of width `ow` final px.
        outer=True puts the outline outside the shape (for text)."""
        if outline is not None and ow > 0 and outer:
            shape_out = shape.grow(ow)
            base = shape_out
        else:
            base = shape
        m = base.mask
        if outline is not None and ow > 0:
            if outer:
                inner = np.zeros_like(m)
                ax0, ay0, ax1, ay1 = shape.box
                inner[ay0 - base.y0:ay1 - base.y0, ax0 - base.x0:ax1 - base.x0] = shape.mask
            else:
                pad = int(ow * SS) + 2
                inner = erode(np.pad(m, pad), ow * SS)[pad:-pad, pad:-pad]
            col = self._fill_array(fill, base, shade, light_box)
            oc = np.asarray(outline[:3], np.float32)
            oa = outline[3] / 255.0 if len(outline) > 3 else 1.0
            # premultiplied mix of fill (inner) and outline (ring)
            fa = fill[3] / 255.0 if (not callable(fill) and len(fill) > 3) else 1.0
            ring = np.clip(m - inner, 0, 1) * oa
            inner = inner * fa
            a = inner + ring
            safe = np.where(a > 1e-6, a, 1.0)
            rgb = (col * inner[..., None] + oc * ring[..., None]) / safe[..., None]
        else:
            col = self._fill_array(fill, base, shade, light_box)
            a = m
            rgb = col
        if (outline is None or ow <= 0) and not callable(fill) and len(fill) > 3:
            a = a * (fill[3] / 255.0)
        self._composite(rgb, a * alpha, base.x0, base.y0)

    def fill(self, shape, color, alpha=1.0, shade=0.0, light_box=None):
        self.paint(shape, color, outline=None, ow=0, shade=shade, alpha=alpha,
                   light_box=light_box)

    def glow(self, shape, color, radius, strength=1.0):
        b = shape.blurred(radius)
        self.fill(Shape(np.clip(b.mask * strength, 0, 1), b.x0, b.y0), color)

    def whole(self):
        return Shape(np.ones((self.img.height, self.img.width), np.float32), 0, 0)

    def alpha_shape(self):
        a = np.asarray(self.img.getchannel("A"), np.float32) / 255.0
        return Shape(a, 0, 0)

    def drop_shadow(self, dx=2.0, dy=3.0, blur=2.0, opacity=0.35, color=INK):
        """Soft shadow towards the bottom-right, placed under what is drawn."""
        sh = self.alpha_shape().blurred(blur).moved(dx, dy)
        under = Canvas(self.w, self.h)
        under.fill(sh, color, alpha=opacity)
        under.img.alpha_composite(self.img)
        self.img = under.img

    def overlay(self, other, opacity=1.0):
        """Composite another canvas (same size) on top."""
        im = other.img
        if opacity < 1.0:
            a = np.asarray(im, np.uint8).copy()
            a[..., 3] = (a[..., 3].astype(np.float32) * opacity + 0.5).astype(np.uint8)
            im = Image.fromarray(a, "RGBA")
        self.img.alpha_composite(im)

    def image_fill(self, arr_rgb):
        """Replace the whole canvas with an opaque (H, W, 3) float/uint8 array
        given at supersampled size."""
        a = np.clip(np.asarray(arr_rgb, np.float32) + 0.5, 0, 255).astype(np.uint8)
        alpha = np.full(a.shape[:2] + (1,), 255, np.uint8)
        self.img = Image.fromarray(np.concatenate([a, alpha], axis=2), "RGBA")

    def clip_to(self, shape):
        """Multiply alpha by a shape mask."""
        full = np.zeros((self.img.height, self.img.width), np.float32)
        x0, y0, x1, y1 = shape.box
        cx0, cy0 = max(0, x0), max(0, y0)
        cx1, cy1 = min(self.img.width, x1), min(self.img.height, y1)
        full[cy0:cy1, cx0:cx1] = shape.mask[cy0 - y0:cy1 - y0, cx0 - x0:cx1 - x0]
        a = np.asarray(self.img, np.uint8).copy()
        a[..., 3] = (a[..., 3].astype(np.float32) * full + 0.5).astype(np.uint8)
        self.img = Image.fromarray(a, "RGBA")

    def result(self, w=None, h=None, opaque=False):
        w = self.w if w is None else w
        h = self.h if h is None else h
        im = self.img.resize((w, h), Image.LANCZOS)
        if opaque:
            im = im.convert("RGB")
        return im


def grid_coords(w, h):
    """Supersampled pixel-centre coordinates in final-pixel units."""
    ys = (np.arange(h * SS, dtype=np.float32) + 0.5) / SS
    xs = (np.arange(w * SS, dtype=np.float32) + 0.5) / SS
    return np.meshgrid(xs, ys)


def upsample_noise(n, w, h):
    """Resize a (h, w) noise array to supersampled size."""
    im = Image.fromarray(np.clip(n * 255, 0, 255).astype(np.uint8), "L")
    return np.asarray(im.resize((w * SS, h * SS), Image.BICUBIC), np.float32) / 255.0


def vignette(w, h, strength=0.5, power=2.0):
    xx, yy = grid_coords(w, h)
    dx = (xx / w - 0.5) * 2
    dy = (yy / h - 0.5) * 2
    d = np.sqrt(dx * dx + dy * dy) / math.sqrt(2)
    return 1.0 - strength * np.clip(d, 0, 1) ** power


def gradient_v(w, h, stops):
    """Vertical gradient at supersampled size.  stops: [(t, colour), ...]."""
    ys = (np.arange(h * SS, dtype=np.float32) + 0.5) / (h * SS)
    out = np.zeros((h * SS, 3), np.float32)
    ts = [s[0] for s in stops]
    for c in range(3):
        out[:, c] = np.interp(ys, ts, [s[1][c] for s in stops])
    return np.repeat(out[:, None, :], w * SS, axis=1)


# --------------------------------------------------------------------------
# Output
# --------------------------------------------------------------------------
def save_png(img, path):
    """Write a PNG with no metadata chunks at a fixed compression level."""
    clean = Image.frombytes(img.mode, img.size, img.tobytes())
    clean.save(path, format="PNG", compress_level=9, optimize=False)


def save_tga(img, path):
    """Write a 32-bit uncompressed true-colour TGA (type 2, BGRA, bottom-up)."""
    rgba = np.asarray(img.convert("RGBA"), np.uint8)
    h, w = rgba.shape[:2]
    header = struct.pack("<BBBHHBHHHHBB",
                         0,      # no image ID
                         0,      # no colour map
                         2,      # uncompressed true-colour
                         0, 0, 0,  # colour map fields (unused)
                         0, 0,   # x / y origin
                         w, h,
                         32,     # bits per pixel
                         8)      # 8 alpha bits, origin bottom-left
    bgra = rgba[::-1, :, [2, 1, 0, 3]]
    with open(path, "wb") as f:
        f.write(header)
        f.write(np.ascontiguousarray(bgra).tobytes())


def custom(box, fn):
    """A Shape drawn freely: fn(draw, P) where P(x, y) maps final px to the
    mask's supersampled pixel coordinates."""
    im, d, X0, Y0 = _blank(box)

    def P(x, y):
        return (x * SS - X0, y * SS - Y0)

    fn(d, P)
    return _done(im, X0, Y0)


def polys(list_of_pts):
    """Union of many polygons drawn into one mask (cheaper than | chains)."""
    xs = [p[0] for pts in list_of_pts for p in pts]
    ys = [p[1] for pts in list_of_pts for p in pts]

    def fn(d, P):
        for pts in list_of_pts:
            d.polygon([P(x, y) for x, y in pts], fill=255)

    return custom((min(xs), min(ys), max(xs), max(ys)), fn)


def paste(c, img, cx, cy, w=None, h=None, angle=0.0, alpha=1.0):
    """Composite a finished RGBA image onto a Canvas, centred at (cx, cy)
    final px, scaled to w x h final px and rotated `angle` degrees
    counter-clockwise."""
    w = img.width if w is None else w
    h = img.height if h is None else h
    im = img.convert("RGBA").resize((max(1, int(round(w * SS))), max(1, int(round(h * SS)))),
                                    Image.LANCZOS)
    if angle:
        im = im.rotate(angle, resample=Image.BICUBIC, expand=True)
    if alpha < 1.0:
        a = np.asarray(im, np.uint8).copy()
        a[..., 3] = (a[..., 3].astype(np.float32) * alpha + 0.5).astype(np.uint8)
        im = Image.fromarray(a, "RGBA")
    x0 = int(round(cx * SS - im.width / 2.0))
    y0 = int(round(cy * SS - im.height / 2.0))
    # clip to the canvas
    sx0, sy0 = max(0, -x0), max(0, -y0)
    sx1 = min(im.width, c.img.width - x0)
    sy1 = min(im.height, c.img.height - y0)
    if sx0 >= sx1 or sy0 >= sy1:
        return
    c.img.alpha_composite(im.crop((sx0, sy0, sx1, sy1)), dest=(x0 + sx0, y0 + sy0))


def cone(x, y, angle_deg, length, spread_deg, n=40):
    """A vision-cone wedge as a Shape (angle 0 = +x, degrees clockwise on screen)."""
    pts = [(x, y)]
    for k in range(n + 1):
        a = math.radians(angle_deg - spread_deg / 2.0 + spread_deg * k / n)
        pts.append((x + length * math.cos(a), y + length * math.sin(a)))
    return poly(pts)


def multiply(c, factor):
    """Multiply the RGB of a canvas by a scalar or a (H, W) supersampled array."""
    a = np.asarray(c.img, np.float32).copy()
    f = np.asarray(factor, np.float32)
    if f.ndim == 2:
        f = f[..., None]
    a[..., :3] *= f
    c.img = Image.fromarray(np.clip(a + 0.5, 0, 255).astype(np.uint8), "RGBA")


def tint(c, colour, amount):
    """Blend the RGB of a canvas towards a colour."""
    a = np.asarray(c.img, np.float32).copy()
    a[..., :3] = a[..., :3] * (1 - amount) + np.asarray(colour[:3], np.float32) * amount
    c.img = Image.fromarray(np.clip(a + 0.5, 0, 255).astype(np.uint8), "RGBA")
