"""Level pieces: floors, walls, vents, cover, glass, zones and markers."""

import math

import numpy as np
from PIL import Image

from .common import (SS, Canvas, INK, NIGHT, STONE, WOOD, TEAL, NAVY, RED, GOLD, GREEN,
                     GLASS, CREAM, PAPER, WHITE, mix, scale, rng, value_noise, fractal_noise,
                     ellipse, circle, poly, rect, rrect, stroke, rotated_ellipse, star_poly,
                     grid_coords, upsample_noise)


# ---------------------------------------------------------------------------
# Texture helpers (numpy, whole supersampled image at once, tileable)
# ---------------------------------------------------------------------------
def _tile_noise(w, h, cells, seed, amp):
    """Tileable noise at supersampled size, centred on 0."""
    n = value_noise(w * SS, h * SS, cells, seed, tile=True)
    return (n - 0.5) * 2.0 * amp


def _bevel(u, v, tw, th, width, strength):
    """Light from the top-left on a raised tile: returns a multiplier."""
    k = np.ones_like(u)
    top = np.clip(1.0 - v / width, 0, 1)
    left = np.clip(1.0 - u / width, 0, 1)
    bottom = np.clip(1.0 - (th - v) / width, 0, 1)
    right = np.clip(1.0 - (tw - u) / width, 0, 1)
    k += strength * np.maximum(top, left) - strength * np.maximum(bottom, right) * 1.3
    return k


def _grid_floor(w, h, tw, th, colours, seed, grout, grout_w, bevel_w=4.0, bevel=0.18,
                offset_rows=0.0, noise=0.07, jitter=0.06, pick=None):
    """A floor of rectangular tiles.  colours: list of base colours picked per
    tile (or pick(i, j) -> colour).  offset_rows shifts every other row by
    that fraction of a tile (running bond).  Tileable when w % tw == h % th == 0."""
    xx, yy = grid_coords(w, h)
    j = np.floor(yy / th).astype(np.int32)
    xs = xx + (j % 2) * offset_rows * tw
    i = np.floor(xs / tw).astype(np.int32)
    u = xs - i * tw
    v = yy - j * th
    nx, ny = int(round(w / tw)), int(round(h / th))
    r = rng(seed)
    table = np.zeros((ny, nx, 3), np.float32)
    for jj in range(ny):
        for ii in range(nx):
            if pick is not None:
                base = pick(ii, jj)
            else:
                base = colours[r.randint(len(colours))]
            table[jj, ii] = np.asarray(base, np.float32) * (1.0 + r.uniform(-jitter, jitter))
    col = table[j % ny, i % nx]
    k = _bevel(u, v, tw, th, bevel_w, bevel)
    k = k + _tile_noise(w, h, max(2, w // 8), seed + 1, noise)
    col = col * k[..., None]
    g = np.minimum(np.minimum(u, tw - u), np.minimum(v, th - v))
    gmask = np.clip((grout_w / 2.0 - g) * SS * 0.5 + 0.5, 0, 1)[..., None]
    col = col * (1 - gmask) + np.asarray(grout, np.float32) * gmask
    return col, (i, j, u, v)


def _to_img(col, w, h):
    arr = np.clip(col + 0.5, 0, 255).astype(np.uint8)
    im = Image.fromarray(arr, "RGB").resize((w, h), Image.LANCZOS)
    return im


def _wrap_offsets(box, w, h):
    x0, y0, x1, y1 = box
    out = []
    for dx in (-w, 0, w):
        for dy in (-h, 0, h):
            if x1 + dx > 0 and x0 + dx < w and y1 + dy > 0 and y0 + dy < h:
                out.append((dx, dy))
    return out


# ---------------------------------------------------------------------------
# Floors
# ---------------------------------------------------------------------------
def background():
    """Generic floor: slate flagstones, 4 x 4, tileable."""
    w = h = 256
    col, _ = _grid_floor(w, h, 64, 64, [STONE[1], mix(STONE[1], NIGHT[3], 0.25),
                                        mix(STONE[1], STONE[2], 0.5), mix(STONE[1], WOOD[1], 0.15)],
                         seed=11, grout=mix(INK, STONE[0], 0.4), grout_w=3.0, bevel_w=4.0,
                         bevel=0.14, noise=0.06)
    n = upsample_noise(fractal_noise(w, h, 12), w, h)
    col *= (0.92 + 0.16 * n)[..., None]
    return _to_img(col, w, h)


def floor_alley():
    """Worn paving in running bond with cracks and puddles; 4 x 4, tileable."""
    w = h = 512
    cols = [mix(STONE[1], NIGHT[3], 0.35), mix(STONE[1], NIGHT[2], 0.2), STONE[1],
            mix(STONE[2], NIGHT[3], 0.4)]
    col, (i, j, u, v) = _grid_floor(w, h, 128, 128, cols, seed=21,
                                    grout=mix(INK, NIGHT[1], 0.5), grout_w=5.0,
                                    bevel_w=7.0, bevel=0.16, offset_rows=0.5, noise=0.05)
    # small cobbles pressed into every slab
    xx, yy = grid_coords(w, h)
    cu = np.mod(u, 32.0) - 16.0
    cv = np.mod(v + (np.floor(u / 32.0) % 2) * 16.0, 32.0) - 16.0
    d = np.sqrt(cu * cu + cv * cv)
    col *= (1.0 - 0.06 * np.clip((d - 11.0) / 3.0, 0, 1))[..., None]
    col *= (1.0 + 0.05 * np.clip((9.0 - np.hypot(cu + 4, cv + 4)) / 9.0, 0, 1))[..., None]
    # grime
    n = upsample_noise(fractal_noise(w, h, 22, octaves=((4, 0.6), (16, 0.4))), w, h)
    col *= (0.9 + 0.2 * n)[..., None]
    img = Canvas(w, h)
    img.image_fill(col)
    # puddles (wrapped) reflecting the night sky
    r = rng(23)
    for _ in range(3):
        px, py = r.uniform(0, w), r.uniform(0, h)
        rx, ry = r.uniform(40, 70), r.uniform(18, 30)
        ang = r.uniform(-30, 30)
        blobs = [(r.uniform(-0.5, 0.5) * rx, r.uniform(-0.4, 0.4) * ry, r.uniform(0.4, 0.7))
                 for _k in range(4)]
        for dx, dy in _wrap_offsets((px - rx * 1.6, py - rx * 1.6, px + rx * 1.6, py + rx * 1.6), w, h):
            pud = rotated_ellipse(px + dx, py + dy, rx, ry, ang)
            for bx, by, bk in blobs:
                pud = pud | rotated_ellipse(px + dx + bx, py + dy + by, rx * bk, ry * bk * 1.3, ang + 20)
            img.fill(pud.blurred(3.0), NIGHT[1], alpha=0.35)
            img.fill(stroke([(px + dx - rx * 0.5, py + dy - ry * 0.2),
                             (px + dx + rx * 0.2, py + dy - ry * 0.45)], 2.0).blurred(1.5),
                     NIGHT[4], alpha=0.3)
    # cracks
    for _ in range(6):
        x, y = r.uniform(0, w), r.uniform(0, h)
        pts = [(x, y)]
        a = r.uniform(0, 2 * math.pi)
        for _k in range(5):
            a += r.uniform(-0.7, 0.7)
            x += math.cos(a) * r.uniform(8, 16)
            y += math.sin(a) * r.uniform(8, 16)
            pts.append((x, y))
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        for dx, dy in _wrap_offsets((min(xs), min(ys), max(xs), max(ys)), w, h):
            img.fill(stroke([(p[0] + dx, p[1] + dy) for p in pts], 1.6), INK, alpha=0.55)
    # moss in a few joints
    for _ in range(5):
        x, y = r.randint(0, 4) * 128 + (r.randint(0, 2) * 64), r.randint(0, 4) * 128
        for dx, dy in _wrap_offsets((x - 30, y - 10, x + 30, y + 10), w, h):
            img.fill(ellipse(x + dx, y + dy, r.uniform(14, 28), 5.0).blurred(2.5), GREEN[1],
                     alpha=0.5)
    return img.result(opaque=True)


def floor_villa():
    """Basket-weave parquet: 4 x 4 blocks of four planks, tileable."""
    w = h = 512
    xx, yy = grid_coords(w, h)
    B = 128.0
    bi = np.floor(xx / B).astype(np.int32)
    bj = np.floor(yy / B).astype(np.int32)
    u = xx - bi * B
    v = yy - bj * B
    horizontal = ((bi + bj) % 2) == 0
    # plank coordinates: along (a) and across (b)
    a = np.where(horizontal, u, v)
    b = np.where(horizontal, v, u)
    P = B / 4.0
    pk = np.floor(b / P).astype(np.int32)
    pb = b - pk * P
    r = rng(31)
    shades = r.uniform(0.86, 1.12, size=(4, 4, 4)).astype(np.float32)
    tone = shades[bj % 4, bi % 4, pk % 4]
    base = np.asarray(WOOD[2], np.float32)
    warm = np.asarray(WOOD[3], np.float32)
    gsrc = value_noise(w * SS, h * SS, (6, 96), 33, tile=True)
    grain_h = gsrc
    grain_v = gsrc.T
    grain = np.where(horizontal, grain_h, grain_v)
    t = np.clip(0.35 + 0.5 * (grain - 0.5) * 2.0 + (tone - 1.0), 0, 1)
    col = base[None, None, :] * (1 - t[..., None]) + warm[None, None, :] * t[..., None]
    col *= tone[..., None]
    # fine streaks along the grain
    fine = value_noise(w * SS, h * SS, (12, 256), 34, tile=True)
    fine = np.where(horizontal, fine, fine.T)
    col *= (0.93 + 0.12 * fine)[..., None]
    # plank seams and block seams with a little bevel
    k = _bevel(a, pb, B, P, 2.5, 0.12)
    col *= k[..., None]
    seam = np.minimum(pb, P - pb)
    bseam = np.minimum(np.minimum(u, B - u), np.minimum(v, B - v))
    d = np.minimum(seam, bseam)
    sm = np.clip((1.2 - d) * SS * 0.5 + 0.5, 0, 1)[..., None]
    col = col * (1 - sm) + np.asarray(WOOD[0], np.float32) * 0.8 * sm
    # varnish sheen from the top-left
    sheen = value_noise(w * SS, h * SS, 3, 35, tile=True)
    col *= (0.95 + 0.1 * sheen)[..., None]
    return _to_img(col, w, h)


def floor_market():
    """Terracotta and cream tiles with small slate inserts; 4 x 4, tileable."""
    w = h = 512
    terra = mix(mix(RED[2], WOOD[3], 0.45), STONE[2], 0.35)
    cream = mix(PAPER, STONE[3], 0.55)

    def pick(i, j):
        return terra if (i + j) % 2 == 0 else cream

    col, (i, j, u, v) = _grid_floor(w, h, 128, 128, None, seed=41,
                                    grout=mix(STONE[1], INK, 0.3), grout_w=5.0, bevel_w=8.0,
                                    bevel=0.14, noise=0.05, jitter=0.05, pick=pick)
    n = upsample_noise(fractal_noise(w, h, 42, octaves=((6, 0.5), (24, 0.5))), w, h)
    col *= (0.9 + 0.2 * n)[..., None]
    # worn centre of each tile
    cu, cv = u - 64.0, v - 64.0
    wear = np.clip(1.0 - np.hypot(cu, cv) / 70.0, 0, 1)
    col *= (1.0 + 0.06 * wear)[..., None]
    img = Canvas(w, h)
    img.image_fill(col)
    # slate diamonds where four tiles meet (wrapped)
    for jj in range(5):
        for ii in range(5):
            x, y = ii * 128.0, jj * 128.0
            for dx, dy in _wrap_offsets((x - 16, y - 16, x + 16, y + 16), w, h):
                d = poly([(x + dx, y + dy - 15), (x + dx + 15, y + dy), (x + dx, y + dy + 15),
                          (x + dx - 15, y + dy)])
                img.paint(d, NAVY[1], outline=mix(INK, STONE[1], 0.3), ow=2.0, shade=0.25)
                img.fill(poly([(x + dx, y + dy - 8), (x + dx + 8, y + dy), (x + dx, y + dy + 8),
                               (x + dx - 8, y + dy)]), NAVY[2], alpha=0.8)
    return img.result(opaque=True)


def download_tga():
    """Night backdrop texture: dark cobbles, 512 x 512."""
    w = h = 512
    xx, yy = grid_coords(w, h)
    T = 32.0
    j = np.floor(yy / T).astype(np.int32)
    xs = xx + (j % 2) * T / 2
    i = np.floor(xs / T).astype(np.int32)
    u = xs - i * T - T / 2
    v = yy - j * T - T / 2
    r = rng(51)
    tone = r.uniform(0.8, 1.15, size=(16, 16)).astype(np.float32)
    t = tone[j % 16, i % 16]
    # rounded cobble: falloff towards the edges, lit from the top-left
    d = np.maximum(np.abs(u), np.abs(v)) * 0.6 + np.hypot(u, v) * 0.4
    body = np.clip((14.5 - d) / 2.0, 0, 1)
    light = np.clip(1.0 - (u + v + 14) / 40.0, 0, 1)
    base = np.asarray(mix(NIGHT[2], STONE[1], 0.45), np.float32)
    col = base[None, None, :] * (0.7 + 0.45 * light[..., None]) * t[..., None]
    col = col * body[..., None] + np.asarray(NIGHT[0], np.float32) * (1 - body[..., None])
    n = upsample_noise(fractal_noise(w, h, 52), w, h)
    col *= (0.85 + 0.3 * n)[..., None]
    return _to_img(col, w, h).convert("RGBA")


# ---------------------------------------------------------------------------
# Walls, vents, glass
# ---------------------------------------------------------------------------
def wall():
    """Top of a stone wall: running-bond blocks, tileable, 128 x 128."""
    w = h = 128
    cols = [STONE[1], mix(STONE[1], WOOD[1], 0.15), mix(STONE[1], NIGHT[3], 0.12),
            mix(STONE[1], STONE[2], 0.5)]
    col, _ = _grid_floor(w, h, 64, 32, cols, seed=61, grout=INK,
                         grout_w=3.0, bevel_w=4.5, bevel=0.3, offset_rows=0.5, noise=0.1,
                         jitter=0.08)
    n = upsample_noise(fractal_noise(w, h, 62, octaves=((8, 0.3), (32, 0.4), (64, 0.3))), w, h)
    col *= (0.85 + 0.3 * n)[..., None]
    grain = value_noise(w * SS, h * SS, 128, 63, tile=True)
    col *= (0.94 + 0.12 * grain)[..., None]
    return _to_img(col, w, h)


def vent():
    c = Canvas(128, 128)
    frame = rrect(4, 4, 124, 124, 12)
    c.paint(frame, STONE[2], ow=3.0, shade=0.25)
    c.paint(rrect(15, 15, 113, 113, 5), (26, 24, 36), ow=2.5)
    # louvres
    for k in range(7):
        y = 20 + k * 13.0
        c.paint(rrect(19, y, 109, y + 8.0, 2.5), STONE[3], ow=2.0, shade=0.3)
        c.fill(rect(22, y + 1.5, 106, y + 3.0), STONE[4], alpha=0.7)
    # screws
    for x, y in ((10, 10), (118, 10), (10, 118), (118, 118)):
        c.paint(circle(x, y, 4.5), STONE[4], ow=1.8, shade=0.3)
        c.fill(stroke([(x - 2.5, y + 2.5), (x + 2.5, y - 2.5)], 1.3), STONE[0])
    # top-left glint on the frame
    c.fill(stroke([(10, 30), (10, 18), (18, 10), (30, 10)], 2.0), STONE[4], alpha=0.6)
    c.drop_shadow(2.0, 3.0, 2.0, 0.35)
    return c.result()


def glass():
    """An intact pane seen from above: 25:100."""
    w, h = 64, 256
    c = Canvas(w, h)
    pane = rrect(8, 6, 56, 250, 4)
    c.paint(pane, GLASS[1] + (150,), outline=mix(GLASS[0], INK, 0.45), ow=2.5, shade=0.15)
    # reflections
    for y0, hgt, wid in ((30, 60, 10), (120, 30, 6), (170, 55, 9)):
        streak = poly([(14, y0 + hgt), (14 + wid, y0 + hgt - 14), (50, y0 + 8), (50, y0),
                       (50 - wid, y0 + 14 - 14)]) & pane.shrink(3.0)
        c.fill(streak, GLASS[2], alpha=0.55)
    c.fill(stroke([(13, 12), (13, 244)], 1.6), WHITE, alpha=0.6)
    # metal clips at both ends
    for y in (6, 238):
        c.paint(rrect(6, y, 58, y + 12, 3), STONE[2], ow=2.0, shade=0.3)
    return c.result()


def glass2():
    """A few glass shards."""
    c = Canvas(64, 64)
    shards = [
        [(14, 18), (34, 8), (28, 30)],
        [(36, 22), (56, 30), (44, 44), (34, 36)],
        [(12, 40), (26, 36), (24, 56)],
        [(40, 48), (50, 52), (42, 58)],
    ]
    for pts in shards:
        s = poly(pts)
        c.paint(s, GLASS[1] + (200,), outline=mix(GLASS[0], INK, 0.5), ow=1.8, shade=0.25)
        c.fill(stroke([pts[0], pts[1]], 1.3) & s, WHITE, alpha=0.8)
    c.drop_shadow(1.0, 1.5, 1.0, 0.3)
    return c.result()


# ---------------------------------------------------------------------------
# Cover: a table under a gingham cloth
# ---------------------------------------------------------------------------
def cover():
    w, h = 200, 400
    c = Canvas(w, h)
    red = mix(RED[2], RED[1], 0.3)

    def gingham(xx, yy):
        sx = (np.floor((xx - 10) / 22.0) % 2) == 0
        sy = (np.floor((yy - 10) / 22.0) % 2) == 0
        base = np.asarray(CREAM, np.float32)
        rr = np.asarray(red, np.float32)
        t = np.where(sx & sy, 0.85, np.where(sx | sy, 0.42, 0.0))[..., None]
        col = base * (1 - t) + rr * t
        return col

    cloth = rrect(8, 8, 192, 392, 18)
    # the cloth drapes over the edge: a darker rim
    c.paint(cloth, gingham, ow=3.0, shade=0.22)
    rim = cloth - rrect(20, 20, 180, 380, 10)
    c.fill(rim, INK, alpha=0.18)
    # soft folds near the corners
    for (x0, y0, x1, y1) in ((20, 60, 40, 20), (180, 340, 160, 380), (20, 350, 50, 380),
                             (150, 20, 180, 50)):
        c.fill(stroke([(x0, y0), (x1, y1)], 5.0).blurred(2.0), INK, alpha=0.2)
    # a runner down the middle with a candle and a bread basket
    c.paint(rrect(70, 40, 130, 360, 6), mix(CREAM, GOLD[3], 0.4), ow=2.0, shade=0.15)
    c.fill(rrect(76, 46, 124, 354, 4) - rrect(79, 49, 121, 351, 3), GOLD[1], alpha=0.6)
    for cy in (110, 290):                      # candles
        c.glow(circle(100, cy, 10), GOLD[3], 8.0, 0.6)
        c.paint(circle(100, cy, 12), STONE[3], ow=2.0, shade=0.3)
        c.paint(circle(100, cy, 6), CREAM, ow=1.8)
        c.fill(circle(100, cy - 1, 2.5), GOLD[3])
    # a fruit bowl in the middle
    c.paint(circle(100, 200, 27), mix(CREAM, STONE[3], 0.3), ow=2.5, shade=0.25)
    c.fill(circle(100, 200, 21), mix(CREAM, STONE[2], 0.5))
    for (fx, fy, fr, fc) in ((92, 192, 10, RED[2]), (110, 196, 9, GOLD[2]), (97, 211, 9, GREEN[2]),
                             (111, 211, 6, RED[1])):
        c.paint(circle(fx, fy, fr), fc, ow=1.8, shade=0.3)
        c.fill(circle(fx - fr * 0.35, fy - fr * 0.35, fr * 0.3), WHITE, alpha=0.5)
    c.drop_shadow(4.0, 6.0, 4.0, 0.4)
    return c.result()


# ---------------------------------------------------------------------------
# Zones and markers
# ---------------------------------------------------------------------------
def _hazard(xx, yy, a=GOLD[2], b=(40, 34, 44), period=16.0):
    t = (np.floor((xx + yy) / period) % 2)[..., None]
    return np.asarray(a, np.float32) * (1 - t) + np.asarray(b, np.float32) * t


def killzone():
    w = h = 128
    c = Canvas(w, h)
    border = rrect(2, 2, 126, 126, 10)
    c.paint(border, lambda x, y: _hazard(x, y), ow=2.5, shade=0.15)
    pit_box = (14, 14, 114, 114)
    pit = rrect(*pit_box, 6)

    def pit_fill(xx, yy):
        d = np.clip(np.hypot(xx - 64, yy - 64) / 70.0, 0, 1)[..., None]
        inner = np.asarray(mix(RED[0], INK, 0.35), np.float32)
        outer = np.asarray(INK, np.float32) * 0.7
        return inner * (1 - d) + outer * d

    c.paint(pit, pit_fill, ow=2.5)
    # inner shadow on the top-left lip
    c.fill(pit - pit.moved(5, 5), (8, 6, 12), alpha=0.7)
    # spikes: cones seen from above, lit from the top-left
    for j in range(4):
        for i in range(4):
            x = 27 + i * 25.0 + (4 if j % 2 else -4)
            y = 27 + j * 25.0
            c.paint(circle(x, y, 8.5), STONE[2], ow=1.8)
            c.fill(poly([(x - 8, y - 2), (x + 1, y + 1), (x - 2, y - 8)]) & circle(x, y, 8.0),
                   STONE[4], alpha=0.8)
            c.fill(poly([(x + 8, y + 2), (x + 1, y + 1), (x + 2, y + 8)]) & circle(x, y, 8.0),
                   STONE[0], alpha=0.9)
            c.fill(circle(x + 0.5, y + 0.5, 1.8), WHITE, alpha=0.9)
    return c.result()


def collection():
    """The drop-off zone: a pallet floor with a painted border, crates and sacks."""
    w, h = 400, 300
    c = Canvas(w, h)
    area = rrect(6, 6, 394, 294, 20)

    def planks(xx, yy):
        pk = np.floor(yy / 24.0)
        tone = 0.92 + 0.08 * np.sin(pk * 2.3) + 0.04 * np.sin(xx / 37.0 + pk)
        seam = np.clip(1.0 - np.abs(np.mod(yy, 24.0) - 0.0) / 1.2, 0, 1)
        seam = np.maximum(seam, np.clip(1.0 - np.abs(np.mod(yy, 24.0) - 24.0) / 1.2, 0, 1))
        base = np.asarray(WOOD[1], np.float32) * tone[..., None]
        return base * (1 - 0.45 * seam[..., None])

    c.paint(area, planks, ow=3.0, shade=0.15)
    c.fill(area, NIGHT[1], alpha=0.25)
    # painted dashed border
    inset = 20.0
    pts = []
    L = 2 * (w - 2 * inset) + 2 * (h - 2 * inset)
    dash, gap = 26.0, 14.0
    t = 8.0
    while t < L:
        a0, a1 = t, min(L, t + dash)
        seg = []
        for q in np.linspace(a0, a1, 8):
            seg.append(_perimeter_point(q, inset, w, h))
        c.fill(stroke(seg, 6.0), GOLD[2], alpha=0.9)
        t += dash + gap
    # corner brackets
    for (x, y, sx, sy) in ((inset, inset, 1, 1), (w - inset, inset, -1, 1), (inset, h - inset, 1, -1),
                           (w - inset, h - inset, -1, -1)):
        c.paint(stroke([(x, y + sy * 28), (x, y), (x + sx * 28, y)], 8.0), GOLD[2], ow=2.0)
    # painted sack emblem in the middle
    cx, cy = w / 2.0, h / 2.0 + 6
    emb = ellipse(cx, cy + 10, 46, 40) | poly([(cx - 18, cy - 26), (cx + 18, cy - 26), (cx + 8, cy - 10),
                                               (cx - 8, cy - 10)])
    c.fill(emb - emb.shrink(6.0), GOLD[2], alpha=0.45)
    c.fill(rect(cx - 22, cy - 24, cx + 22, cy - 17), GOLD[2], alpha=0.45)
    c.fill(poly([(cx - 14, cy + 2), (cx + 14, cy + 2), (cx, cy + 28)]), GOLD[2], alpha=0.45)
    # crates top-left, sacks bottom-right
    for (x, y, s) in ((34, 34, 50), (88, 40, 38)):
        box = rrect(x, y, x + s, y + s, 3)
        c.paint(box, WOOD[3], ow=2.5, shade=0.25)
        c.fill(rrect(x + 5, y + 5, x + s - 5, y + s - 5, 2) - rrect(x + 9, y + 9, x + s - 9, y + s - 9, 1),
               WOOD[1], alpha=0.8)
        c.fill(stroke([(x + 7, y + 7), (x + s - 7, y + s - 7)], 4.0), WOOD[1], alpha=0.8)
    sack = (132, 96, 58), (176, 134, 82), (214, 176, 118)
    for (x, y, r) in ((336, 238, 26), (300, 252, 20), (352, 200, 18)):
        c.paint(ellipse(x, y, r, r * 0.9) | ellipse(x - r * 0.2, y - r * 0.85, r * 0.4, r * 0.35),
                sack[1], ow=2.5, shade=0.3)
        c.paint(circle(x - r * 0.2, y - r * 0.7, r * 0.18), WOOD[2], ow=1.5)
        c.fill(stroke([(x - r * 0.5, y - r * 0.3), (x - r * 0.2, y - r * 0.55)], 2.0), sack[2], alpha=0.8)
    c.drop_shadow(3.0, 4.0, 3.0, 0.35)
    return c.result()


def _perimeter_point(q, inset, w, h):
    W, H = w - 2 * inset, h - 2 * inset
    if q < W:
        return (inset + q, inset)
    q -= W
    if q < H:
        return (w - inset, inset + q)
    q -= H
    if q < W:
        return (w - inset - q, h - inset)
    q -= W
    return (inset, h - inset - q)


def transition():
    im = Image.new("RGB", (64, 64), NIGHT[0])
    return im


def hit_circle():
    w = h = 128
    c = Canvas(w, h)
    ring = circle(64, 64, 64) - circle(64, 64, 61)
    c.fill(circle(64, 64, 61) - circle(64, 64, 59.5), INK, alpha=0.6)
    c.fill(ring, WHITE)
    return c.result()


def patrol_point():
    c = Canvas(64, 64)
    c.fill(circle(32, 32, 20).blurred(3.0), RED[2], alpha=0.35)
    ring = circle(32, 32, 19) - circle(32, 32, 12)
    c.paint(ring, RED[2], ow=2.0, shade=0.2)
    for a in range(4):
        ang = math.radians(a * 90)
        p0 = (32 + 21 * math.cos(ang), 32 + 21 * math.sin(ang))
        p1 = (32 + 29 * math.cos(ang), 32 + 29 * math.sin(ang))
        c.paint(stroke([p0, p1], 4.5), RED[2], ow=1.8)
    c.paint(circle(32, 32, 5.5), GOLD[2], ow=2.0, shade=0.2)
    return c.result()


def lightbulb():
    c = Canvas(64, 64)
    c.glow(circle(32, 32, 20), GOLD[3], 8.0, 0.9)
    for k in range(8):
        ang = math.radians(k * 45 + 22.5)
        p0 = (32 + 24 * math.cos(ang), 32 + 24 * math.sin(ang))
        p1 = (32 + 30 * math.cos(ang), 32 + 30 * math.sin(ang))
        c.fill(stroke([p0, p1], 3.0), GOLD[3], alpha=0.9)

    def glassfill(xx, yy):
        d = np.clip(np.hypot(xx - 27, yy - 27) / 24.0, 0, 1)[..., None]
        return np.asarray(WHITE, np.float32) * (1 - d) + np.asarray(GOLD[2], np.float32) * d

    c.paint(circle(32, 32, 17), glassfill, ow=2.2)
    # filament
    pts = [(24, 34), (27, 29), (30, 35), (33, 29), (36, 35), (39, 29), (40, 34)]
    c.fill(stroke(pts, 1.6), GOLD[0])
    c.fill(stroke([(24, 34), (27, 44)], 1.4), STONE[1])
    c.fill(stroke([(40, 34), (37, 44)], 1.4), STONE[1])
    # base seen through the glass
    c.paint(circle(32, 45, 5.0), STONE[3], ow=1.6, shade=0.3)
    c.fill(ellipse(25, 24, 4.5, 3.0), WHITE, alpha=0.9)
    return c.result()


IMAGES = {
    "background.png": background,
    "floor_alley.png": floor_alley,
    "floor_villa.png": floor_villa,
    "floor_market.png": floor_market,
    "download.tga": download_tga,
    "wall.png": wall,
    "vent.png": vent,
    "glass.png": glass,
    "glass2.png": glass2,
    "cover.png": cover,
    "killzone.png": killzone,
    "collection.png": collection,
    "transition.png": transition,
    "hitCircle.png": hit_circle,
    "patrolPoint.png": patrol_point,
    "lightbulb.png": lightbulb,
}
