"""Full-screen pictures: splashes, menu backdrops, level-select vignettes,
escape overlays, the sound credit and the credits logo."""

import functools
import math

import numpy as np
from PIL import Image

from . import characters, level
from .common import (SS, Canvas, INK, NIGHT, STONE, WOOD, TEAL, NAVY, RED, GOLD, GREEN, SKIN,
                     GLASS, CREAM, PAPER, WHITE, FONT_BOLD, FONT_REG, FONT_SERIF_BOLD,
                     FONT_COND_BOLD, mix, scale, rng, fractal_noise, upsample_noise, grid_coords,
                     gradient_v, vignette, ellipse, circle, poly, polys, rect, rrect, stroke,
                     rotated_ellipse, star_poly, text_shape, custom, paste, cone, multiply, tint,
                     Shape)

W, H = 1280, 720


# ---------------------------------------------------------------------------
# Shared sprites (built once per run)
# ---------------------------------------------------------------------------
@functools.lru_cache(maxsize=None)
def sprite(name):
    table = {
        "enemy": characters.enemy,
        "food": characters.food,
        "star": characters.star,
        "exclaim": characters.exclaim,
        "question": characters.question_mark,
        "cover": level.cover,
        "vent": level.vent,
        "lightbulb": level.lightbulb,
        "patrol": level.patrol_point,
        "killzone": level.killzone,
        "collection": level.collection,
        "floor_alley": level.floor_alley,
        "floor_villa": level.floor_villa,
        "floor_market": level.floor_market,
        "background": level.background,
        "wall": level.wall,
    }
    if name == "player_stand":
        return characters.player_sheet().crop((7 * characters.PW, 0, 8 * characters.PW,
                                               characters.PH))
    if name == "player_walk":
        return characters.player_sheet().crop((2 * characters.PW, 0, 3 * characters.PW,
                                               characters.PH))
    return table[name]()


def tiled(c, img, tile_px, alpha=1.0, ox=0.0, oy=0.0):
    """Cover a canvas with a texture drawn tile_px final px wide."""
    t = img.convert("RGBA").resize((int(tile_px * SS), int(tile_px * SS)), Image.LANCZOS)
    if alpha < 1.0:
        a = np.asarray(t, np.uint8).copy()
        a[..., 3] = (a[..., 3] * alpha).astype(np.uint8)
        t = Image.fromarray(a, "RGBA")
    x0 = int(ox * SS) % t.width - t.width
    y0 = int(oy * SS) % t.height - t.height
    for y in range(y0, c.img.height, t.height):
        for x in range(x0, c.img.width, t.width):
            sx0, sy0 = max(0, -x), max(0, -y)
            c.img.alpha_composite(t.crop((sx0, sy0, t.width, t.height)), dest=(x + sx0, y + sy0))


def stars(c, w, h, seed, n, top=0.0, bottom=0.7, bright=1.0):
    r = rng(seed)
    for k in range(n):
        x, y = r.uniform(0, w), r.uniform(top * h, bottom * h)
        rad = r.uniform(0.5, 1.5) * (w / 1280.0) ** 0.5
        a = r.uniform(0.4, 1.0) * bright
        col = mix(CREAM, GLASS[2], r.uniform(0, 1))
        c.fill(circle(x, y, rad), col, alpha=a)
        if rad > 1.3:
            c.fill(circle(x, y, rad * 3.0).blurred(rad * 1.5), col, alpha=0.35 * a)
            c.fill(star_poly(x, y, rad * 4.0, rad * 0.4, 4), col, alpha=0.6 * a)


def moon(c, x, y, r, glow=1.0):
    c.glow(circle(x, y, r * 1.3), mix(CREAM, GLASS[1], 0.5), r * 0.6, 0.5 * glow)
    c.glow(circle(x, y, r * 2.2), NIGHT[3], r * 1.0, 0.5 * glow)
    disc = circle(x, y, r)

    def shade(xx, yy):
        d = np.clip(((xx - x) + (yy - y)) / (2.5 * r) + 0.5, 0, 1)[..., None]
        return np.asarray(CREAM, np.float32) * (1 - d * 0.25)

    c.paint(disc, shade, outline=None, ow=0)
    for (dx, dy, cr) in ((-0.3, -0.2, 0.22), (0.25, 0.15, 0.16), (-0.05, 0.45, 0.12),
                         (0.4, -0.35, 0.1)):
        c.fill(circle(x + dx * r, y + dy * r, cr * r), mix(CREAM, STONE[3], 0.45), alpha=0.6)


def building_row(w, base_y, seed, hmin, hmax, wmin, wmax, chimney=0.5):
    """Silhouettes of a row of houses (side view).  Returns (shape, windows)."""
    r = rng(seed)
    shapes = []
    windows = []
    x = -r.uniform(0, wmax)
    while x < w + 20:
        bw = r.uniform(wmin, wmax)
        bh = r.uniform(hmin, hmax)
        top = base_y - bh
        kind = r.randint(3)
        if kind == 0:        # pitched roof
            ph = r.uniform(0.25, 0.45) * bw
            pts = [(x, base_y + 5), (x, top), (x + bw / 2, top - ph), (x + bw, top), (x + bw, base_y + 5)]
        elif kind == 1:      # flat roof with parapet
            pts = [(x, base_y + 5), (x, top), (x + bw, top), (x + bw, base_y + 5)]
        else:                # steep gable offset
            ph = r.uniform(0.4, 0.7) * bw
            pts = [(x, base_y + 5), (x, top), (x + bw * 0.3, top - ph), (x + bw, top - ph * 0.2),
                   (x + bw, base_y + 5)]
        shapes.append(pts)
        if r.rand() < chimney:
            cx = x + r.uniform(0.15, 0.75) * bw
            ch = r.uniform(18, 40) * (bw / 100.0)
            cw = max(8.0, bw * 0.09)
            shapes.append([(cx, top + 10), (cx, top - ch - (ph if kind == 0 else 0) * 0.5),
                           (cx + cw, top - ch - (ph if kind == 0 else 0) * 0.5), (cx + cw, top + 10)])
        # windows
        cols = max(1, int(bw / 34))
        rows = max(1, int((bh - 20) / 40))
        for j in range(rows):
            for i in range(cols):
                if r.rand() < 0.5:
                    wx = x + (i + 0.5) * bw / cols
                    wy = top + 24 + j * 40
                    windows.append((wx, wy, r.rand()))
        x += bw + r.uniform(-6, 10)
    return polys(shapes), windows


def draw_town(c, w, h, seed, sky_glow, far_col, mid_col, lit, rim, window_rate):
    far, far_win = building_row(w, h * 0.86, seed, 120, 230, 70, 140, 0.4)
    c.fill(far, far_col)
    for (x, y, t) in far_win:
        if t < window_rate * 0.5:
            c.fill(rect(x - 3, y - 4, x + 3, y + 4), mix(lit, far_col, 0.45))
    mid, mid_win = building_row(w, h * 0.95, seed + 7, 90, 200, 90, 170, 0.6)
    c.fill(mid, mid_col)
    c.fill(mid - mid.moved(2.0, 2.0), rim, alpha=0.5)
    for (x, y, t) in mid_win:
        if t < window_rate:
            c.glow(rect(x - 5, y - 7, x + 5, y + 7), lit, 5.0, 0.35)
            c.paint(rect(x - 5, y - 7, x + 5, y + 7), lit, outline=mix(mid_col, INK, 0.5), ow=1.5)
            c.fill(rect(x - 5, y - 0.6, x + 5, y + 0.6) | rect(x - 0.6, y - 7, x + 0.6, y + 7),
                   mix(lit, mid_col, 0.6))


def thief_silhouette(c, x, y, s, col, rim, sitting=False):
    """Side view of our hooded thief with a sack, facing right, feet/seat at (x, y)."""
    def P(dx, dy):
        return (x + dx * s, y + dy * s)

    if sitting:
        fig = (stroke([P(0, -6), P(4, -40)], 18 * s) |              # torso
               stroke([P(0, -6), P(24, -24)], 12 * s) |             # thigh, knee up
               stroke([P(24, -24), P(31, -2)], 9 * s) |             # shin
               ellipse(*P(35, -2), 8 * s, 4 * s) |                  # foot
               stroke([P(6, -34), P(20, -22), P(26, -26)], 7 * s) |  # arm round the knee
               circle(*P(9, -53), 9.5 * s) |                         # head
               poly([P(2, -63), P(-12, -46), P(4, -46)]) |           # hood point
               ellipse(*P(-26, -14), 17 * s, 15 * s) |               # sack
               ellipse(*P(-19, -30), 5 * s, 6 * s))
    else:
        fig = (stroke([P(-2, -32), P(-8, -16), P(-18, 0)], 9 * s) |  # back leg
               stroke([P(2, -32), P(14, -18), P(18, 0)], 9 * s) |   # front leg, bent
               ellipse(*P(-16, 0), 7 * s, 3.5 * s) | ellipse(*P(22, 0), 7 * s, 3.5 * s) |
               stroke([P(0, -32), P(10, -60)], 20 * s) |             # torso leaning in
               stroke([P(12, -56), P(28, -48), P(34, -54)], 7 * s) |  # arm, tiptoe balance
               circle(*P(19, -71), 9.5 * s) |                        # head
               poly([P(12, -81), P(-2, -66), P(12, -64)]) |          # hood point
               ellipse(*P(-10, -66), 15 * s, 17 * s) |               # sack on the back
               ellipse(*P(2, -78), 5 * s, 6 * s))
    c.fill(fig, col)
    c.fill(fig - fig.moved(1.2 * s, 1.2 * s), rim, alpha=0.85)


# ---------------------------------------------------------------------------
# Backdrops (opaque, darkish)
# ---------------------------------------------------------------------------
def menu_backdrop():
    c = Canvas(W, H)
    c.image_fill(gradient_v(W, H, [(0.0, NIGHT[0]), (0.55, NIGHT[1]), (0.8, mix(NIGHT[2], RED[0], 0.35)),
                                   (1.0, NIGHT[2])]))
    stars(c, W, H, 101, 170, 0.0, 0.65)
    moon(c, 1000, 300, 78)
    # drifting clouds
    for (x, y, rx, ry) in ((260, 200, 170, 14), (140, 232, 120, 11), (1060, 250, 150, 12),
                           (930, 352, 120, 9)):
        c.fill(ellipse(x, y, rx, ry).blurred(6.0), NIGHT[3], alpha=0.45)
    draw_town(c, W, H, 7, None, mix(NIGHT[2], NIGHT[1], 0.4), NIGHT[1], GOLD[2],
              mix(NIGHT[4], GLASS[1], 0.2), 0.4)
    # foreground roof
    ridge = [(-10, 618), (380, 598), (760, 606), (1290, 590)]
    roof = poly(ridge + [(1290, 730), (-10, 730)])
    c.fill(roof, NIGHT[0])
    # tile courses
    for k in range(1, 6):
        off = k * 22.0
        pts = [(x, y + off + 4 * math.sin(x / 37.0 + k)) for x, y in
               [(p, np.interp(p, [q[0] for q in ridge], [q[1] for q in ridge])) for p in range(-10, 1300, 20)]]
        c.fill(stroke(pts, 2.0), mix(NIGHT[1], NIGHT[0], 0.3), alpha=0.9)
    c.fill(stroke(ridge, 3.0), mix(NIGHT[4], GLASS[1], 0.2), alpha=0.6)
    # chimney with smoke
    cx = 300
    c.fill(rect(cx, 520, cx + 54, 606), NIGHT[0])
    c.fill(rect(cx - 6, 512, cx + 60, 526), NIGHT[0])
    c.fill(rect(cx - 6, 512, cx + 60, 514.5) | rect(cx - 6, 512, cx - 3.5, 526), NIGHT[3], alpha=0.7)
    r = rng(103)
    for k in range(7):
        sx = cx + 26 + k * 16 + r.uniform(-6, 6)
        sy = 490 - k * 38
        c.fill(circle(sx, sy, 16 + 6 * k).blurred(8 + 2 * k), STONE[2], alpha=0.16 - 0.015 * k)
    # string of lanterns from the chimney to the right edge
    pts = []
    for k in range(41):
        t = k / 40.0
        x = cx + 60 + t * (1290 - cx - 60)
        y = 516 - t * 40 + 38 * math.sin(math.pi * t)
        pts.append((x, y))
    c.fill(stroke(pts, 1.6), INK)
    for k in range(3, 40, 3):
        x, y = pts[k]
        col = [GOLD[2], RED[3], GLASS[1]][(k // 3) % 3]
        c.glow(circle(x, y + 6, 4), col, 6.0, 0.7)
        c.paint(circle(x, y + 6, 4.5), col, outline=INK, ow=1.5)
    # a pole holding the far end of the lantern string
    c.fill(rect(1262, 470, 1270, 600), NIGHT[0])
    # a tall gable in front of the moon, the thief sneaking over its peak
    rimc = mix(NIGHT[4], GLASS[1], 0.3)
    gable = poly([(880, 612), (880, 505), (1000, 432), (1120, 505), (1120, 612)])
    c.fill(gable, NIGHT[0])
    c.fill(gable - gable.moved(2.0, 2.0), rimc, alpha=0.6)
    c.glow(circle(1000, 515, 18), GOLD[2], 8.0, 0.4)
    c.paint(circle(1000, 515, 17), GOLD[2], outline=mix(NIGHT[0], INK, 0.5), ow=3.0)
    c.fill(rect(998.5, 498, 1001.5, 532) | rect(983, 513.5, 1017, 516.5), mix(GOLD[1], NIGHT[0], 0.4))
    thief_silhouette(c, 996, 434, 1.35, NIGHT[0], rimc)
    multiply(c, vignette(W, H, 0.55, 2.0))
    return c.result(opaque=True)


def endscene_backdrop():
    c = Canvas(W, H)
    c.image_fill(gradient_v(W, H, [(0.0, NIGHT[1]), (0.45, mix(NIGHT[3], RED[0], 0.35)),
                                   (0.8, mix(RED[1], GOLD[1], 0.35)), (1.0, mix(GOLD[1], RED[1], 0.4))]))
    stars(c, W, H, 201, 90, 0.0, 0.4, bright=0.7)
    moon(c, 1080, 130, 40, glow=0.6)
    # the sun about to rise
    c.glow(ellipse(640, 700, 420, 120), GOLD[3], 60.0, 0.5)
    draw_town(c, W, H * 1.08, 19, None, mix(NIGHT[3], RED[1], 0.35), mix(NIGHT[1], RED[0], 0.2), GOLD[2],
              mix(GOLD[2], RED[3], 0.5), 0.15)
    # foreground roof ridge with the thief and the haul
    ridge = [(-10, 665), (460, 640), (1290, 672)]
    roof = poly(ridge + [(1290, 730), (-10, 730)])
    c.fill(roof, mix(NIGHT[0], RED[0], 0.2))
    c.fill(stroke(ridge, 3.0), GOLD[2], alpha=0.5)
    rim = mix(GOLD[3], RED[3], 0.3)
    thief_silhouette(c, 440, 642, 2.2, mix(NIGHT[0], RED[0], 0.2), rim, sitting=True)
    # the haul: a loaf, a drumstick and apples in silhouette
    col = mix(NIGHT[0], RED[0], 0.2)
    haul = (rotated_ellipse(560, 622, 40, 17, -8) | rotated_ellipse(628, 612, 22, 16, -40) |
            stroke([(618, 622), (604, 636)], 7) | circle(600, 640, 5) | circle(606, 642, 5) |
            circle(660, 628, 12) | circle(684, 632, 11))
    c.fill(haul, col)
    c.fill(haul - haul.moved(1.5, 1.5), rim, alpha=0.8)
    multiply(c, 0.85)
    multiply(c, vignette(W, H, 0.5, 2.0))
    return c.result(opaque=True)


def _floor_base(c, tex, tile, dark):
    tiled(c, sprite(tex), tile)
    multiply(c, dark)


def gameover_backdrop():
    c = Canvas(W, H)
    _floor_base(c, "background", 160, 0.55)
    cx, cy = 640, 380
    guards = [(180, 130), (1110, 150), (1130, 610), (160, 600)]
    cones = Canvas(W, H)
    for (gx, gy) in guards:
        ang = math.degrees(math.atan2(cy - gy, cx - gx))
        cones.fill(cone(gx, gy, ang, 640, 40).blurred(4.0), mix(GOLD[3], RED[3], 0.5), alpha=0.22)
    c.overlay(cones)
    # a pool of light on the caught thief
    c.glow(circle(cx, cy, 90), mix(GOLD[3], CREAM, 0.5), 30.0, 0.35)
    for k, (fx, fy, a) in enumerate(((cx - 70, cy + 60, 30), (cx + 80, cy + 40, -60), (cx + 40, cy + 95, 120))):
        paste(c, sprite("food"), fx, fy, 44, 44, angle=a)
    paste(c, sprite("player_stand"), cx, cy, 86, 232, angle=15)
    for (gx, gy) in guards:
        ang = math.degrees(math.atan2(cy - gy, cx - gx))
        paste(c, sprite("enemy"), gx, gy, 250, 125, angle=-ang)
        paste(c, sprite("exclaim"), gx + 12, gy - 78, 60, 60)
    tint(c, RED[0], 0.25)
    multiply(c, 0.8)
    multiply(c, vignette(W, H, 0.7, 1.6))
    return c.result(opaque=True)


def _loaf(c, x, y, s, ang):
    c.paint(rotated_ellipse(x, y, 34 * s, 18 * s, ang), WOOD[3], ow=2.5, shade=0.3)
    a = math.radians(ang)
    for k in (-1, 0, 1):
        px, py = x + math.cos(a) * 14 * s * k, y + math.sin(a) * 14 * s * k
        c.fill(rotated_ellipse(px, py, 3 * s, 10 * s, ang + 25), WOOD[4], alpha=0.9)


def _cake(c, x, y, r):
    c.paint(circle(x, y, r + 8), mix(CREAM, STONE[3], 0.3), ow=2.5, shade=0.2)
    c.paint(circle(x, y, r), mix(CREAM, RED[3], 0.35), ow=2.5, shade=0.25)
    c.fill(circle(x, y, r * 0.75) - circle(x, y, r * 0.62), CREAM, alpha=0.9)
    for k in range(8):
        a = 2 * math.pi * k / 8
        c.paint(circle(x + math.cos(a) * r * 0.82, y + math.sin(a) * r * 0.82, r * 0.1), RED[2], ow=1.5)
    c.paint(circle(x, y, r * 0.18), RED[2], ow=1.8, shade=0.3)


def youwin_backdrop():
    c = Canvas(W, H)
    _floor_base(c, "floor_villa", 200, 0.5)
    # a long table seen from above
    table = rrect(140, 150, 1140, 570, 26)

    def planks(xx, yy):
        pk = np.floor((yy - 150) / 42.0)
        tone = 0.9 + 0.1 * np.sin(pk * 1.7) + 0.05 * np.sin(xx / 90.0 + pk * 3.1)
        base = np.asarray(WOOD[2], np.float32) * tone[..., None]
        seam = np.clip(1.0 - np.abs(np.mod(yy - 150, 42.0) - 21.0) / 1.0, 0, 1)
        seam = np.clip(1.0 - np.minimum(np.mod(yy - 150, 42.0), 42.0 - np.mod(yy - 150, 42.0)) / 1.2, 0, 1)
        return base * (1 - 0.45 * seam[..., None])

    c.fill(table.moved(8, 12).blurred(10), INK, alpha=0.5)
    c.paint(table, planks, ow=3.0, shade=0.15)
    c.paint(rrect(200, 300, 1080, 420, 10), mix(CREAM, GOLD[3], 0.3), ow=2.5, shade=0.15)
    for x in range(230, 1080, 70):
        c.fill(rect(x, 300, x + 28, 420) & rrect(200, 300, 1080, 420, 10), mix(RED[2], CREAM, 0.25),
               alpha=0.35)
    # plates with food
    r = rng(301)
    spots = [(260, 220), (420, 215), (580, 225), (740, 212), (900, 222), (1050, 218),
             (270, 500), (430, 505), (600, 498), (760, 508), (920, 500), (1060, 503)]
    for k, (x, y) in enumerate(spots):
        c.paint(circle(x, y, 40), mix(CREAM, STONE[4], 0.3), ow=2.5, shade=0.25)
        c.fill(circle(x, y, 30) - circle(x, y, 28.5), STONE[3], alpha=0.8)
        kind = k % 4
        if kind == 0:
            paste(c, sprite("food"), x + 2, y, 56, 56, angle=r.uniform(-40, 40))
        elif kind == 1:
            _loaf(c, x, y, 0.9, r.uniform(-30, 30))
        elif kind == 2:
            for (dx, dy, col) in ((-10, -8, RED[2]), (10, -6, GOLD[2]), (0, 10, GREEN[2])):
                c.paint(circle(x + dx, y + dy, 12), col, ow=2.0, shade=0.3)
                c.fill(circle(x + dx - 4, y + dy - 4, 3.5), WHITE, alpha=0.5)
        else:
            paste(c, sprite("food"), x - 8, y - 4, 46, 46, angle=r.uniform(100, 160))
            paste(c, sprite("food"), x + 10, y + 6, 46, 46, angle=r.uniform(-60, -10))
    _cake(c, 640, 360, 52)
    for x in (380, 900):
        c.glow(circle(x, 360, 34), GOLD[3], 22.0, 0.8)
        c.paint(circle(x, 360, 16), STONE[3], ow=2.0, shade=0.3)
        c.paint(circle(x, 360, 8), CREAM, ow=1.8)
        c.fill(circle(x, 359, 3), GOLD[3])
    # sparkles
    for k in range(14):
        x, y = r.uniform(60, 1220), r.uniform(40, 680)
        s = r.uniform(22, 48)
        paste(c, sprite("star"), x, y, s, s, alpha=0.85)
    multiply(c, 0.62)
    multiply(c, vignette(W, H, 0.6, 1.8))
    return c.result(opaque=True)


def credits_backdrop():
    c = Canvas(W, H)
    c.image_fill(gradient_v(W, H, [(0.0, NIGHT[1]), (1.0, mix(NIGHT[1], NIGHT[0], 0.6))]))
    grid = Canvas(W, H)

    def lines(d, P):
        for x in range(0, W + 1, 40):
            d.line([P(x, 0), P(x, H)], fill=255, width=SS)
        for y in range(0, H + 1, 40):
            d.line([P(0, y), P(W, y)], fill=255, width=SS)

    grid.fill(custom((0, 0, W, H), lines), NIGHT[3], alpha=0.35)

    def major(d, P):
        for x in range(0, W + 1, 200):
            d.line([P(x, 0), P(x, H)], fill=255, width=2 * SS)
        for y in range(0, H + 1, 200):
            d.line([P(0, y), P(W, y)], fill=255, width=2 * SS)

    grid.fill(custom((0, 0, W, H), major), NIGHT[3], alpha=0.45)
    c.overlay(grid)
    # floor plan of a house
    wallc = mix(NIGHT[4], GLASS[1], 0.3)
    plan = [[(80, 80), (560, 80), (560, 300)], [(560, 380), (560, 640), (80, 640), (80, 80)],
            [(80, 360), (300, 360)], [(380, 360), (560, 360)], [(300, 80), (300, 250)],
            [(720, 120), (1200, 120), (1200, 600), (720, 600), (720, 420)], [(720, 320), (720, 120)],
            [(960, 120), (960, 300)], [(960, 380), (960, 600)], [(720, 360), (880, 360)]]
    for pts in plan:
        c.fill(stroke(pts, 7.0), wallc, alpha=0.45)
    # patrol routes (dotted) and waypoints
    route = [(180, 180), (460, 180), (460, 520), (180, 520), (180, 180)]
    route2 = [(820, 220), (1100, 220), (1100, 500), (820, 500)]
    for rt in (route, route2):
        for a, b in zip(rt[:-1], rt[1:]):
            n = int(math.hypot(b[0] - a[0], b[1] - a[1]) / 18)
            for k in range(n):
                t = k / float(n)
                c.fill(circle(a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, 2.6), RED[3], alpha=0.45)
        for p in rt:
            c.fill(circle(p[0], p[1], 10) - circle(p[0], p[1], 6), RED[3], alpha=0.5)
    # a vision cone sketch and the thief's dashed path
    cn = cone(460, 180, 150, 180, 50)
    c.fill(cn, GOLD[3], alpha=0.06)
    c.fill(cn - cn.shrink(2.0), GOLD[3], alpha=0.3)
    path = [(60, 700), (140, 600), (260, 560), (340, 420), (620, 340), (760, 380), (880, 300),
            (1000, 330), (1214, 212)]
    for a, b in zip(path[:-1], path[1:]):
        n = int(math.hypot(b[0] - a[0], b[1] - a[1]) / 22)
        for k in range(n):
            t0 = k / float(n)
            t1 = (k + 0.5) / float(n)
            c.fill(stroke([(a[0] + (b[0] - a[0]) * t0, a[1] + (b[1] - a[1]) * t0),
                           (a[0] + (b[0] - a[0]) * t1, a[1] + (b[1] - a[1]) * t1)], 3.0), TEAL[3], alpha=0.5)
    paste(c, sprite("food"), 1236, 196, 40, 40, alpha=0.6)
    multiply(c, vignette(W, H, 0.55, 2.0))
    return c.result(opaque=True)


# ---------------------------------------------------------------------------
# Splashes
# ---------------------------------------------------------------------------
def _splash_bg(c, inner, outer):
    xx, yy = grid_coords(W, H)
    d = np.clip(np.hypot((xx - W / 2) / W, (yy - H * 0.45) / H) * 1.6, 0, 1)[..., None]
    col = np.asarray(inner, np.float32) * (1 - d) + np.asarray(outer, np.float32) * d
    n = upsample_noise(fractal_noise(W // 4, H // 4, 901, octaves=((8, 0.5), (32, 0.5)), tile=False), W, H)
    col *= (0.96 + 0.08 * n)[..., None]
    c.image_fill(col)


def _shield(x, y, w, h):
    """A heater shield: flat top, pointed bottom."""
    top = rrect(x - w / 2, y - h / 2, x + w / 2, y + h * 0.05, w * 0.06)
    depth = h * 0.52                      # from the shoulder line to the tip
    R = (depth * depth + w * w / 4.0) / w
    left = circle(x + w / 2 - R, y - h * 0.02, R)
    right = circle(x - w / 2 + R, y - h * 0.02, R)
    low = (left & right) & rect(x - w / 2, y, x + w / 2, y + h / 2)
    return top | low


def _feather(cx, cy, length, width, angle):
    """A quill feather as a Shape plus its shaft polyline."""
    a = math.radians(angle)
    ca, sa = math.cos(a), math.sin(a)

    def T(u, v):
        return (cx + u * ca - v * sa, cy + u * sa + v * ca)

    pts = []
    n = 30
    for k in range(n + 1):
        t = k / n
        u = -length / 2 + length * t
        v = -width / 2 * math.sin(math.pi * min(1.0, t * 1.15)) ** 0.8
        pts.append(T(u, v))
    for k in range(n, -1, -1):
        t = k / n
        u = -length / 2 + length * t
        v = width / 2 * math.sin(math.pi * min(1.0, t * 1.1)) ** 0.9
        pts.append(T(u, v))
    notches = []
    for t, side in ((0.35, -1), (0.6, 1), (0.72, -1)):
        u = -length / 2 + length * t
        notches.append([T(u - 4, 0), T(u + 10, side * width * 0.6), T(u + 2, side * width * 0.6)])
    shape = poly(pts) - polys(notches)
    shaft = [T(-length / 2 - length * 0.12, 0), T(length / 2 * 0.9, 0)]
    return shape, shaft


def splash_corvan():
    c = Canvas(W, H)
    _splash_bg(c, NIGHT[2], NIGHT[0])
    cx, cy = 640, 250
    c.glow(circle(cx, cy, 150), NIGHT[4], 60.0, 0.35)
    sh = _shield(cx, cy, 220, 270)
    c.paint(sh.grow(8.0), GOLD[1], ow=3.0, shade=0.3)
    c.paint(sh, NAVY[1], ow=3.0, shade=0.25)
    # chevron band across the shield
    band = poly([(cx - 120, cy + 30), (cx, cy - 40), (cx + 120, cy + 30), (cx + 120, cy + 62), (cx, cy - 8),
                 (cx - 120, cy + 62)]) & sh.shrink(2.0)
    c.fill(band, NAVY[2])
    # the quill (a raven feather) and three stars
    fe, shaft = _feather(cx, cy + 8, 210, 52, -62)
    c.paint(fe, mix(NIGHT[1], INK, 0.3), outline=CREAM, ow=3.0)
    c.fill(stroke(shaft, 3.5), CREAM)
    for (sx, sy) in ((cx - 62, cy - 80), (cx + 62, cy - 80), (cx, cy + 92)):
        c.paint(star_poly(sx, sy, 14, 6, 5), GOLD[2], ow=2.0, shade=0.2)
    # word mark
    t = text_shape("CORVAN", cx, 470, 92, FONT_SERIF_BOLD, anchor="mm", spacing=18)
    c.fill(t.moved(3, 4).blurred(3), INK, alpha=0.6)
    c.paint(t, lambda xx, yy: np.asarray(CREAM, np.float32) * (1.0 - 0.12 * np.clip((yy - 430) / 80.0, 0, 1))[..., None],
            outline=INK, ow=2.5, outer=True)
    c.fill(rect(cx - 330, 536, cx - 70, 538.5), GOLD[2], alpha=0.9)
    c.fill(rect(cx + 70, 536, cx + 330, 538.5), GOLD[2], alpha=0.9)
    c.paint(star_poly(cx, 537, 9, 3.5, 4), GOLD[2], ow=0, outline=None)
    sub = text_shape("Corvan Institute of Interactive Arts", cx, 580, 30, FONT_REG, anchor="mm", spacing=1.5)
    c.fill(sub, GOLD[3])
    multiply(c, vignette(W, H, 0.45, 2.0))
    return c.result(opaque=True)


def splash_madewith():
    c = Canvas(W, H)
    _splash_bg(c, mix(NIGHT[2], TEAL[0], 0.3), NIGHT[0])
    cx = 640
    head = text_shape("made with", cx, 150, 46, FONT_REG, anchor="mm", spacing=4)
    c.fill(head, CREAM)
    c.fill(rect(cx - 230, 196, cx + 230, 198), GOLD[2], alpha=0.8)
    badges = [("SDL2", TEAL[2]), ("OpenGL", NAVY[2]), ("Dear ImGui", RED[2]),
              ("SDL_mixer", GOLD[1]), ("GLM", GREEN[2])]
    rows = [badges[:3], badges[3:]]
    y = 300
    for row in rows:
        widths = []
        for name, _col in row:
            t = text_shape(name, 0, 0, 46, FONT_BOLD, anchor="mm")
            widths.append((t.box[2] - t.box[0]) / SS + 70)
        total = sum(widths) + 36 * (len(row) - 1)
        x = cx - total / 2
        for (name, col), bw in zip(row, widths):
            box = rrect(x, y - 48, x + bw, y + 48, 22)
            c.fill(box.moved(4, 6).blurred(5), INK, alpha=0.6)
            c.paint(box, mix(NIGHT[1], col, 0.25), outline=col, ow=4.0, shade=0.2)
            c.fill(rrect(x + 8, y - 40, x + bw - 8, y - 34, 3), WHITE, alpha=0.08)
            t = text_shape(name, x + bw / 2, y, 46, FONT_BOLD, anchor="mm")
            c.paint(t, CREAM, outline=INK, ow=2.0, outer=True)
            x += bw + 36
        y += 140
    foot = text_shape("thank you to everyone who builds and shares these libraries", cx, 630, 24, FONT_REG,
                      anchor="mm", spacing=1)
    c.fill(foot, mix(CREAM, NIGHT[4], 0.45))
    multiply(c, vignette(W, H, 0.45, 2.0))
    return c.result(opaque=True)


def splash_lullwick():
    """Studio emblem: a sleepy candle under a crescent moon.  The game writes
    the studio name under it (around 75-90 % of the height), so that band is
    kept calm."""
    c = Canvas(W, H)
    _splash_bg(c, mix(NIGHT[2], RED[0], 0.25), NIGHT[0])
    cx, cy, R = 640, 300, 165
    c.glow(circle(cx, cy, R), mix(GOLD[2], NIGHT[3], 0.6), 50.0, 0.5)
    c.paint(circle(cx, cy, R + 12), GOLD[1], ow=3.5, shade=0.3)
    disc = circle(cx, cy, R)

    def sky(xx, yy):
        t = np.clip((yy - (cy - R)) / (2 * R), 0, 1)[..., None]
        return np.asarray(NIGHT[1], np.float32) * (1 - t) + np.asarray(mix(NIGHT[3], RED[1], 0.3), np.float32) * t

    c.paint(disc, sky, ow=3.0)
    inner = Canvas(W, H)
    stars(inner, W, H, 401, 260, 0.0, 1.0)
    inner.clip_to(circle(cx, cy, R - 6))
    c.overlay(inner)
    # crescent moon
    moon_s = circle(cx - 58, cy - 62, 52) - circle(cx - 34, cy - 78, 46)
    c.glow(moon_s, CREAM, 10.0, 0.6)
    c.paint(moon_s, CREAM, ow=2.5, shade=0.15)
    # candle in a dish
    c.paint(ellipse(cx + 10, cy + 118, 78, 22), GOLD[1], ow=3.0, shade=0.3)
    c.fill(ellipse(cx + 10, cy + 113, 62, 14), GOLD[2], alpha=0.9)
    c.paint(circle(cx + 96, cy + 104, 17) - circle(cx + 96, cy + 104, 9), GOLD[1], ow=2.5, shade=0.3)
    candle = rrect(cx - 14, cy - 6, cx + 34, cy + 116, 6)
    c.paint(candle, CREAM, ow=3.0, shade=0.25)
    c.fill(stroke([(cx + 24, cy - 4), (cx + 25, cy + 26)], 7.0) | circle(cx + 25, cy + 30, 5.0),
           mix(CREAM, GOLD[3], 0.25))
    c.fill(stroke([(cx + 10, cy - 6), (cx + 10, cy - 22)], 3.0), INK)
    flame = poly([(cx + 10, cy - 86), (cx + 24, cy - 44), (cx + 20, cy - 24), (cx + 10, cy - 18),
                  (cx, cy - 24), (cx - 4, cy - 44)])
    flame = flame | circle(cx + 10, cy - 36, 14)
    c.glow(flame, GOLD[3], 16.0, 0.9)
    c.paint(flame, GOLD[2], outline=RED[2], ow=2.5)
    c.fill(circle(cx + 10, cy - 34, 7) | poly([(cx + 10, cy - 58), (cx + 16, cy - 36), (cx + 4, cy - 36)]),
           CREAM)
    # little "z z" drifting from the flame: the candle is dozing
    for (zx, zy, zs) in ((cx + 56, cy - 86, 34), (cx + 92, cy - 124, 24)):
        z = text_shape("z", zx, zy, zs, FONT_BOLD, anchor="mm")
        c.fill(z, GLASS[2], alpha=0.85)
    multiply(c, vignette(W, H, 0.45, 2.0))
    return c.result(opaque=True)


# ---------------------------------------------------------------------------
# Sound credit
# ---------------------------------------------------------------------------
def sound_credit():
    c = Canvas(384, 128)
    # speaker with sound waves
    spk = poly([(14, 52), (30, 52), (50, 34), (50, 94), (30, 76), (14, 76)])
    c.fill(spk, WHITE)
    for k, r in enumerate((16, 28, 40)):
        arc = circle(50, 64, r + 3) - circle(50, 64, r - 2)
        arc = arc & poly([(50, 64), (50 + 60, 64 - 60), (50 + 60, 64 + 60)])
        c.fill(arc, WHITE, alpha=1.0 - 0.2 * k)
    t1 = text_shape("sound by", 112, 40, 28, FONT_REG, anchor="lm", spacing=1)
    c.fill(t1, WHITE)
    size = 54.0
    while True:
        t2 = text_shape("SDL_mixer", 110, 86, size, FONT_BOLD, anchor="lm")
        if t2.box[2] / SS <= 374 or size < 20:
            break
        size -= 1.0
    c.fill(t2, WHITE)
    return c.result()


# ---------------------------------------------------------------------------
# The game's own logo, closing the credits: a quill dipped in gold ink beside
# the word mark, white on transparent like the sound credit, 384 x 128 for a
# 192 x 64 quad.
# ---------------------------------------------------------------------------
def credits_logo():
    c = Canvas(384, 128)
    # the quill: a long leaf-shaped vane leaning right, its shaft and a gold nib
    vane = poly([(20, 118), (30, 84), (52, 44), (84, 12), (96, 8), (88, 30), (66, 70), (40, 104)])
    c.glow(vane, GOLD[3], 6.0, 0.35)
    c.fill(vane, WHITE)
    barbs = stroke([(26, 112), (90, 14)], 2.5) | stroke([(46, 76), (62, 64)], 1.6) | \
        stroke([(58, 56), (74, 46)], 1.6) | stroke([(38, 92), (52, 84)], 1.6)
    c.fill(barbs, NIGHT[1], alpha=0.55)
    c.fill(poly([(14, 126), (20, 112), (28, 116)]), GOLD[3])
    # a dotted gold line marching off the nib: the thief's path
    for k in range(5):
        c.fill(circle(40 + k * 12, 122, 2.2), GOLD[2 + (k % 2)], alpha=1.0 - 0.12 * k)
    size = 56.0
    while True:
        word = text_shape("QUILLMARCH", 112, 62, size, FONT_BOLD, anchor="lm", spacing=1)
        if word.box[2] / SS <= 376 or size < 20:
            break
        size -= 1.0
    c.fill(word, WHITE)
    tag = text_shape("a night-time stealth caper", 114, 102, 16, FONT_REG, anchor="lm", spacing=1)
    c.fill(tag, GOLD[3])
    return c.result()


# ---------------------------------------------------------------------------
# Escape overlays: mostly transparent, white chevrons and a glowing band
# leading to the exit edge.  The game tints them red and pulses the alpha.
# ---------------------------------------------------------------------------
def _escape_up(w, h):
    c = Canvas(w, h)
    # glow along the exit edge
    xx, yy = grid_coords(w, h)
    edge = np.clip(1.0 - yy / (h * 0.22), 0, 1) ** 1.6
    band = Shape(edge.astype(np.float32), 0, 0)
    c.fill(band, WHITE, alpha=0.75)
    # a soft road running from the middle to the exit
    road = rrect(w * 0.32, -20, w * 0.68, h * 0.9, w * 0.18).blurred(w * 0.04)
    c.fill(road, WHITE, alpha=0.22)
    # chevrons, brighter towards the exit
    hh = min(w * 0.26, h * 0.19)          # height of one chevron
    n = max(2, min(4, int((h * 0.72 - hh * 1.1) / (hh * 1.3)) + 1))
    cw = hh / 0.42                        # its width
    th = hh * 0.3                         # stroke thickness
    for k in range(n):
        y = h * 0.2 + hh * 0.45 + k * hh * 1.3
        pts = [(w / 2 - cw / 2, y + hh * 0.55), (w / 2, y - hh * 0.45), (w / 2 + cw / 2, y + hh * 0.55),
               (w / 2 + cw / 2, y + hh * 0.55 + th), (w / 2, y - hh * 0.45 + th * 1.15),
               (w / 2 - cw / 2, y + hh * 0.55 + th)]
        ch = poly(pts)
        a = 0.95 - 0.17 * k
        c.glow(ch, WHITE, th * 0.6, 0.5 * a)
        c.paint(ch, WHITE, outline=(180, 180, 186), ow=max(2.0, th * 0.12), alpha=a)
    # the exit line itself
    c.fill(rect(0, 0, w, max(4.0, h * 0.012)), WHITE, alpha=0.95)
    return c


def escape(w, h, towards):
    if towards == "up":
        return _escape_up(w, h).result()
    if towards == "right":
        im = _escape_up(h, w).result()
        return im.transpose(Image.ROTATE_270)
    if towards == "left":
        im = _escape_up(h, w).result()
        return im.transpose(Image.ROTATE_90)
    raise ValueError(towards)


def _fit(lw, lh, long_side=512):
    k = long_side / float(max(lw, lh))
    return int(round(lw * k)), int(round(lh * k))


# ---------------------------------------------------------------------------
# Level-select vignettes (256 x 256)
# ---------------------------------------------------------------------------
def _frame(c, s=256):
    border = rect(0, 0, s, s) - rrect(7, 7, s - 7, s - 7, 10)
    c.fill(border, NIGHT[0])
    c.fill(rrect(7, 7, s - 7, s - 7, 10) - rrect(10, 10, s - 10, s - 10, 8), GOLD[1], alpha=0.9)
    multiply(c, vignette(s, s, 0.35, 2.5))


def _vision(c, x, y, ang, length=90, spread=50):
    c.fill(cone(x, y, ang, length, spread).blurred(2.0), GOLD[3], alpha=0.28)


def levelselect_alley():
    s = 256
    c = Canvas(s, s)
    tiled(c, sprite("floor_alley"), 128)
    # roofs on both sides of the alley
    for x0, x1 in ((0, 62), (194, 256)):
        roof = rect(x0, 0, x1, s)

        def tiles(xx, yy, x0=x0):
            row = np.floor(yy / 10.0)
            t = 0.85 + 0.15 * ((np.floor((xx + row * 7) / 14.0) % 2))
            return np.asarray(mix(RED[1], NIGHT[2], 0.55), np.float32) * t[..., None]

        c.paint(roof, tiles, ow=2.5, shade=0.2)
    c.fill(rect(62, 0, 72, s), INK, alpha=0.35)
    c.fill(rect(194, 0, 200, s), WHITE, alpha=0.06)
    # street lamp pool
    c.glow(circle(128, 70, 40), GOLD[3], 20.0, 0.35)
    c.paint(circle(128, 70, 7), STONE[2], ow=2.0)
    c.fill(circle(128, 70, 3.5), GOLD[3])
    # bins and crates
    for (x, y) in ((88, 180), (88, 206)):
        c.paint(circle(x, y, 12), STONE[2], ow=2.0, shade=0.3)
        c.fill(rect(x - 10, y - 1, x + 10, y + 1) & circle(x, y, 10), STONE[1])
    for (x, y, z) in ((168, 190, 30), (160, 222, 24)):
        c.paint(rrect(x - z / 2, y - z / 2, x + z / 2, y + z / 2, 2), WOOD[3], ow=2.0, shade=0.25)
        c.fill(stroke([(x - z / 2 + 4, y - z / 2 + 4), (x + z / 2 - 4, y + z / 2 - 4)], 3.0), WOOD[1])
    paste(c, sprite("food"), 112, 214, 22, 22, angle=20)
    paste(c, sprite("player_walk"), 142, 232, 16, 43, angle=-10)
    _vision(c, 128, 124, 90 + 35, 100, 48)
    paste(c, sprite("enemy"), 128, 124, 60, 30, angle=-(90 + 35))
    paste(c, sprite("vent"), 100, 40, 24, 24)
    _frame(c)
    return c.result(opaque=True)


def levelselect_villa():
    s = 256
    c = Canvas(s, s)
    tiled(c, sprite("floor_villa"), 128)
    # walls around a room with a doorway
    wall_col = mix(STONE[3], CREAM, 0.3)
    for r_ in (rect(0, 0, s, 22), rect(0, 0, 22, s), rect(0, s - 22, 120, s), rect(160, s - 22, s, s),
               rect(s - 22, 0, s, s)):
        c.paint(r_, wall_col, ow=2.5, shade=0.25)
    # a rug
    rug = rrect(52, 70, 204, 200, 6)
    c.paint(rug, mix(RED[1], NAVY[1], 0.25), ow=2.5, shade=0.15)
    c.fill(rrect(60, 78, 196, 192, 4) - rrect(66, 84, 190, 186, 3), GOLD[2], alpha=0.8)
    c.fill(poly([(128, 100), (160, 135), (128, 170), (96, 135)]) - poly([(128, 110), (150, 135), (128, 160),
                                                                       (106, 135)]), GOLD[2], alpha=0.7)
    paste(c, sprite("cover"), 128, 135, 40, 80, angle=90)
    # plants in the corners
    for (x, y) in ((42, 42), (214, 42)):
        c.paint(circle(x, y, 15), WOOD[2], ow=2.0, shade=0.3)
        for k in range(6):
            a = 2 * math.pi * k / 6 + 0.3
            c.paint(rotated_ellipse(x + math.cos(a) * 9, y + math.sin(a) * 9, 10, 5, math.degrees(a)),
                    GREEN[2], ow=1.6, shade=0.3)
    c.glow(circle(128, 40, 14), GOLD[3], 14.0, 0.45)
    paste(c, sprite("lightbulb"), 128, 40, 22, 22)
    _vision(c, 210, 212, 200, 100, 50)
    paste(c, sprite("enemy"), 210, 212, 60, 30, angle=-200)
    paste(c, sprite("food"), 96, 104, 22, 22, angle=-15)
    _frame(c)
    return c.result(opaque=True)


def levelselect_market():
    s = 256
    c = Canvas(s, s)
    tiled(c, sprite("floor_market"), 128)
    # stalls with striped awnings
    stalls = [((24, 24, 112, 84), RED[2]), ((144, 24, 232, 84), GREEN[2]), ((24, 160, 112, 220), GOLD[1])]
    for (x0, y0, x1, y1), col in stalls:
        aw = rrect(x0, y0, x1, y1, 4)

        def stripes(xx, yy, x0=x0, col=col):
            t = (np.floor((xx - x0) / 11.0) % 2)[..., None]
            return np.asarray(col, np.float32) * (1 - t) + np.asarray(CREAM, np.float32) * t

        c.fill(aw.moved(4, 6).blurred(3), INK, alpha=0.45)
        c.paint(aw, stripes, ow=2.5, shade=0.25)
        c.fill(stroke([((x0 + x1) / 2, y0 + 2), ((x0 + x1) / 2, y1 - 2)], 2.0), INK, alpha=0.3)
        # scalloped front edge
        for k in range(int((x1 - x0) / 11)):
            c.paint(circle(x0 + 5.5 + k * 11, y1, 5.5) & rect(x0, y1, x1, y1 + 6), col if k % 2 == 0 else CREAM,
                    ow=1.5)
    # crates of produce
    r = rng(501)
    for (x, y, col) in ((168, 170, RED[2]), (206, 170, GOLD[2]), (168, 208, GREEN[2]), (206, 208, RED[3])):
        c.paint(rrect(x - 17, y - 17, x + 17, y + 17, 2), WOOD[3], ow=2.0, shade=0.25)
        for k in range(5):
            fx, fy = x + r.uniform(-8, 8), y + r.uniform(-8, 8)
            c.paint(circle(fx, fy, 5.0), col, ow=1.4, shade=0.3)
    paste(c, sprite("food"), 128, 128, 24, 24, angle=-30)
    _vision(c, 60, 126, 0, 95, 46)
    paste(c, sprite("enemy"), 60, 126, 60, 30, angle=0)
    paste(c, sprite("player_walk"), 138, 232, 16, 43, angle=20)
    _frame(c)
    return c.result(opaque=True)


IMAGES = {
    "level_1_escape.png": lambda: escape(*_fit(2100, 4100), towards="up"),
    "level_2_escape.png": lambda: escape(*_fit(2700, 3300), towards="right"),
    "level_3_escape.png": lambda: escape(*_fit(3800, 3200), towards="left"),
    "levelselect_alley.png": levelselect_alley,
    "levelselect_villa.png": levelselect_villa,
    "levelselect_market.png": levelselect_market,
    "FMODLogoWhite.png": sound_credit,
    "credits_logo.png": credits_logo,
    "splash_corvan.png": splash_corvan,
    "splash_madewith.png": splash_madewith,
    "splash_lullwick.png": splash_lullwick,
    "menu_backdrop.png": menu_backdrop,
    "endscene_backdrop.png": endscene_backdrop,
    "gameover_backdrop.png": gameover_backdrop,
    "youwin_backdrop.png": youwin_backdrop,
    "credits_backdrop.png": credits_backdrop,
}
