"""Characters, food and the small effect icons (prints, dust, alerts)."""

import math

from .common import (Canvas, INK, NAVY, TEAL, WOOD, GOLD, RED, SKIN, STONE, CREAM,
                     PAPER, GLASS, WHITE, mix, scale, ellipse, circle, poly, rect,
                     rrect, stroke, rotated_ellipse, star_poly, text_shape, FONT_BOLD)

# ---------------------------------------------------------------------------
# Player: hooded thief with a sack on the back, seen from above, facing up.
# ---------------------------------------------------------------------------
PW, PH = 86, 232
FRAMES = 8           # cells 0..6 walk, cell 7 standing
BURLAP = [(132, 96, 58), (176, 134, 82), (214, 176, 118)]
TROUSERS = (50, 44, 66)
GLOVE = (64, 46, 50)
SHOE = WOOD[0]


def _player_frame(i):
    c = Canvas(PW, PH)
    cx, cy = 43.0, 118.0
    standing = i == FRAMES - 1
    if standing:
        s, lift_l, lift_r = 0.0, 0.0, 0.0
    else:
        p = 2.0 * math.pi * i / (FRAMES - 1)
        s = math.sin(p)
        lift_l = max(0.0, math.cos(p))      # left foot swinging forward
        lift_r = max(0.0, -math.cos(p))
    stride = 44.0
    sway = 1.5 * s

    # legs and shoes ------------------------------------------------------
    feet = []
    for side, sgn, lift in ((-1, 1.0, lift_l), (1, -1.0, lift_r)):
        hip = (cx + side * 10.0 + sway, cy + 6.0)
        if standing:
            foot = (cx + side * 11.0, cy - 8.0)
        else:
            foot = (cx + side * 12.5, cy + 4.0 - sgn * stride * s)
        feet.append((side, hip, foot, lift))
    # draw the foot further back first (so the forward one overlaps)
    for side, hip, foot, lift in sorted(feet, key=lambda f: -f[2][1]):
        k = 1.0 + 0.14 * lift
        if not standing:
            c.paint(stroke([hip, foot], 15.0 * k), TROUSERS, shade=0.12)
        fx, fy = foot
        shoe = ellipse(fx, fy - 3.0, 8.0 * k, 13.0 * k)
        c.paint(shoe, scale(SHOE, 1.0 + 0.25 * lift), shade=0.25)
        c.fill(ellipse(fx - 2.0 * k, fy - 9.0 * k, 3.0 * k, 3.5 * k),
               scale(SHOE, 1.6), alpha=0.6)

    # arms (swing opposite to the legs) --------------------------------------
    for side, sgn in ((-1, -1.0), (1, 1.0)):
        sh = (cx + side * 27.0 + sway * 0.6, cy - 4.0)
        if standing:
            hand = (cx + side * 31.0, cy + 12.0)
        else:
            hand = (cx + side * 31.5, cy + 4.0 + sgn * 24.0 * s)
        c.paint(stroke([sh, ((sh[0] + hand[0]) / 2 + side * 1.5, (sh[1] + hand[1]) / 2), hand],
                       13.0), TEAL[1], shade=0.15)
        c.paint(circle(hand[0], hand[1], 6.8), GLOVE, shade=0.25)

    # cloak over the shoulders, with a short cape trailing behind ------------
    ox = cx + sway
    cloak = ellipse(ox, cy, 30.0, 19.0) | ellipse(ox, cy + 13.0, 24.0, 17.0)
    c.paint(cloak, TEAL[2], shade=0.22)
    # cloak folds
    for fx in (-14.0, 0.0, 14.0):
        c.fill(stroke([(ox + fx * 0.8, cy + 10.0), (ox + fx, cy + 26.0)], 2.0), TEAL[1],
               alpha=0.7)

    # sack slung over the right shoulder ----------------------------------------
    bob = 1.2 * abs(s)
    sx, sy = ox + 9.0, cy + 27.0 + bob
    # strap across the back to the left shoulder
    c.paint(stroke([(sx - 4.0, sy - 15.0), (ox - 22.0, cy - 4.0)], 4.0), WOOD[1], ow=1.5)
    sack = ellipse(sx, sy, 16.0, 17.0) | ellipse(sx - 3.0, sy - 13.0, 7.0, 6.5)
    c.paint(sack, BURLAP[1], shade=0.25)
    # patch and stitches
    c.paint(rrect(sx + 1.0, sy + 1.0, sx + 10.0, sy + 9.0, 2.0), BURLAP[2], ow=1.5, shade=0.1)
    for k in range(3):
        c.fill(stroke([(sx - 10.0 + 4 * k, sy + 9.0 - 1.5 * k), (sx - 7.5 + 4 * k, sy + 12.0 - 1.5 * k)],
                      1.3), BURLAP[0])
    c.fill(stroke([(sx - 9.0, sy - 9.0), (sx - 5.0, sy - 13.0)], 2.0), BURLAP[2], alpha=0.8)
    c.paint(circle(sx - 4.0, sy - 17.0, 4.0), WOOD[2], ow=1.8)

    # hood and head ---------------------------------------------------------
    hx, hy = ox, cy - 8.0
    hood = ellipse(hx, hy, 17.5, 18.5) | poly([(hx - 10.0, hy + 10.0), (hx + 10.0, hy + 10.0),
                                              (hx + 1.0, hy + 27.0)])
    c.paint(hood, TEAL[1], shade=0.3)
    c.fill(stroke([(hx, hy - 8.0), (hx + 0.5, hy + 22.0)], 1.6), TEAL[0], alpha=0.8)
    # the face peeks out of the front of the hood
    face = ellipse(hx, hy - 15.0, 12.0, 7.0)
    c.paint(face, SKIN[1], ow=2.0, shade=0.2)
    c.fill(ellipse(hx, hy - 19.0, 2.6, 2.0), SKIN[2], alpha=0.9)        # nose tip
    # shadow the hood throws on the forehead
    c.fill(ellipse(hx, hy - 10.0, 12.5, 5.0) & face, TEAL[0], alpha=0.6)
    # the hood's rim folds around the face
    c.paint(stroke([(hx - 13.0, hy - 10.0), (hx - 7.0, hy - 13.5), (hx, hy - 14.5), (hx + 7.0, hy - 13.5),
                    (hx + 13.0, hy - 10.0)], 4.0), TEAL[1], ow=1.6)
    # hood rim highlight (light from top-left)
    c.fill(stroke([(hx - 14.0, hy - 2.0), (hx - 11.0, hy - 10.0), (hx - 6.0, hy - 13.0)], 2.0),
           TEAL[3], alpha=0.8)

    c.drop_shadow(2.5, 3.5, 2.5, 0.35)
    return c.result()


def player_sheet():
    from PIL import Image
    sheet = Image.new("RGBA", (PW * FRAMES, PH), (0, 0, 0, 0))
    for i in range(FRAMES):
        sheet.paste(_player_frame(i), (i * PW, 0))
    return sheet


# ---------------------------------------------------------------------------
# Guard, seen from above, facing right (+x).
# ---------------------------------------------------------------------------
def enemy():
    W, H = 240, 120
    c = Canvas(W, H)
    cx, cy = 120.0, 60.0
    # left arm (top of the image), hand forward
    c.paint(stroke([(cx - 8.0, cy - 40.0), (cx + 8.0, cy - 45.0), (cx + 24.0, cy - 41.0)], 17.0),
            NAVY[1], shade=0.15)
    c.paint(circle(cx + 28.0, cy - 40.0, 7.5), SKIN[1], shade=0.25)
    # right arm holding a lantern-torch forward
    c.paint(stroke([(cx - 8.0, cy + 40.0), (cx + 12.0, cy + 43.0), (cx + 30.0, cy + 35.0)], 17.0),
            NAVY[1], shade=0.15)
    tx0, ty = cx + 30.0, cy + 33.0
    c.paint(rrect(tx0, ty - 6.0, tx0 + 40.0, ty + 6.0, 3.0), STONE[1], shade=0.35)
    c.paint(rrect(tx0 + 36.0, ty - 9.0, tx0 + 50.0, ty + 9.0, 3.0), STONE[3], shade=0.35)
    c.glow(ellipse(tx0 + 56.0, ty, 10.0, 12.0), GOLD[3], 6.0, 0.8)
    c.paint(ellipse(tx0 + 50.0, ty, 3.5, 8.0), GOLD[3], ow=1.5)
    c.paint(circle(cx + 33.0, cy + 34.0, 7.5), SKIN[1], shade=0.25)
    # torso / shoulders spanning the height
    torso = ellipse(cx - 6.0, cy, 25.0, 44.0)
    c.paint(torso, NAVY[2], shade=0.25)
    # collar and a strap across the chest
    c.fill(stroke([(cx - 20.0, cy - 30.0), (cx + 6.0, cy + 26.0)], 5.0) & torso, NAVY[0], alpha=0.9)
    # epaulettes
    for ey in (cy - 33.0, cy + 33.0):
        c.paint(ellipse(cx - 8.0, ey, 11.0, 7.5), GOLD[1], ow=2.0, shade=0.3)
        for k in range(4):
            c.fill(stroke([(cx - 16.0 + 5.0 * k, ey - 4.0), (cx - 16.0 + 5.0 * k, ey + 4.0)], 1.2),
                   GOLD[0], alpha=0.8)
    # little radio on the shoulder
    c.paint(rrect(cx - 30.0, cy - 26.0, cx - 20.0, cy - 12.0, 2.0), (48, 44, 56), ow=1.8)
    c.fill(stroke([(cx - 28.0, cy - 26.0), (cx - 36.0, cy - 38.0)], 1.6), INK)
    c.fill(circle(cx - 25.0, cy - 16.0, 1.5), RED[2])
    # head with peaked cap, visor pointing right
    for ey in (cy - 19.0, cy + 19.0):          # ears under the cap
        c.paint(ellipse(cx + 4.0, ey, 4.0, 4.5), SKIN[1], ow=1.8)
    crown = circle(cx + 1.0, cy, 18.5)
    visor = ellipse(cx + 17.0, cy, 16.0, 15.5) - ellipse(cx + 1.0, cy, 16.0, 19.5)
    c.paint(visor, (30, 32, 50), shade=0.3)
    c.fill(stroke([(cx + 26.0, cy - 9.0), (cx + 30.0, cy), (cx + 26.0, cy + 9.0)], 1.8),
           (96, 104, 140), alpha=0.9)
    c.paint(crown, NAVY[1], shade=0.35)
    c.fill(stroke([(cx - 11.0, cy - 6.0), (cx - 6.0, cy - 12.0), (cx + 1.0, cy - 14.0)], 2.5),
           NAVY[3], alpha=0.75)
    c.paint(circle(cx + 1.0, cy, 2.8), NAVY[2], ow=1.2)
    # badge on the front of the cap
    c.paint(star_poly(cx + 13.0, cy, 5.5, 2.6, 5, rot=0.0), GOLD[2], ow=1.2)
    c.drop_shadow(3.0, 4.0, 3.0, 0.35)
    return c.result()


# ---------------------------------------------------------------------------
# Food: a roast chicken leg
# ---------------------------------------------------------------------------
ROAST = [(132, 62, 30), (190, 104, 48), (226, 150, 72), (250, 204, 128)]


def draw_roast(c, k=1.0, ox=0.0, oy=0.0, ow=2.5):
    """The roast on its bone as food.png shows it, drawn k times its 64 px size with its
    top-left corner at (ox, oy)."""
    def P(x, y):
        return (ox + x * k, oy + y * k)

    # bone
    c.paint(stroke([P(28.0, 36.0), P(14.0, 50.0)], 8.0 * k), CREAM, ow=ow, shade=0.2)
    c.paint(circle(*P(9.5, 49.0), 5.8 * k) | circle(*P(15.0, 54.5), 5.8 * k), CREAM, ow=ow, shade=0.25)
    # meat
    meat = rotated_ellipse(*P(36.0, 27.0), 22.0 * k, 16.0 * k, -45.0)
    c.paint(meat, ROAST[1], ow=ow, shade=0.3)
    c.fill(rotated_ellipse(*P(31.0, 22.0), 11.0 * k, 6.0 * k, -45.0), ROAST[2], alpha=0.9)
    c.fill(rotated_ellipse(*P(28.5, 19.5), 5.0 * k, 2.4 * k, -45.0), ROAST[3], alpha=0.9)
    for (x, y, r) in ((45.0, 28.0, 2.0), (40.0, 36.0, 1.6), (49.0, 20.0, 1.4), (36.0, 31.0, 1.2)):
        c.fill(circle(*P(x, y), r * k), ROAST[0], alpha=0.8)


def food():
    c = Canvas(64, 64)
    draw_roast(c)
    c.drop_shadow(1.5, 2.0, 1.5, 0.35)
    return c.result()


# ---------------------------------------------------------------------------
# Prints (facing up), dust, sparkle and alert marks
# ---------------------------------------------------------------------------
def _boot_print(color, alpha, glow=None):
    c = Canvas(64, 64)
    sole = rotated_ellipse(32.0, 21.0, 12.5, 16.5, 0.0) | rect(22.0, 24.0, 42.0, 36.0)
    sole = sole & rect(0, 0, 64, 37.0)
    heel = rrect(23.0, 42.0, 41.0, 59.0, 6.0)
    shape = sole | heel
    # lugs: grooves across the sole and the heel
    for y in (10.0, 17.0, 24.0, 31.0):
        shape = shape - rect(18.0, y, 46.0, y + 2.2)
    shape = shape - rect(18.0, 49.5, 46.0, 51.5)
    if glow:
        c.glow(shape, glow, 3.0, 0.9)
    c.fill(shape, color, alpha=alpha)
    return c


def footstep():
    return _boot_print((46, 40, 54), 0.85).result()


def madfoot():
    c = _boot_print(RED[1], 0.95, glow=RED[2])
    return c.result()


def footstep2():
    c = Canvas(64, 64)
    toe = ellipse(32.0, 22.0, 10.5, 14.0)
    heel = ellipse(32.5, 47.0, 8.0, 10.0)
    waist = poly([(22.5, 26.0), (41.5, 26.0), (40.0, 44.0), (25.5, 44.0)])
    shape = (toe | heel | waist).blurred(1.0)
    c.fill(shape, (58, 70, 92), alpha=0.7)
    return c.result()


def dust():
    c = Canvas(64, 64)
    puffs = [(32, 34, 15, 0.55), (22, 38, 10, 0.5), (42, 38, 11, 0.5), (28, 26, 10, 0.45),
             (39, 27, 9, 0.45), (32, 44, 9, 0.35)]
    for x, y, r, a in puffs:
        c.fill(circle(x, y, r).blurred(3.5), PAPER, alpha=a)
    for x, y, r, a in puffs[:3]:
        c.fill(circle(x - r * 0.3, y - r * 0.35, r * 0.5).blurred(3.0), CREAM, alpha=a * 0.6)
    return c.result()


def star():
    c = Canvas(64, 64)
    c.glow(circle(32, 32, 10), GOLD[3], 7.0, 0.9)
    c.paint(star_poly(32, 32, 17.0, 5.0, 4, rot=45.0), GOLD[2], ow=0, outline=None)
    c.paint(star_poly(32, 32, 30.0, 5.5, 4, rot=-90.0), GOLD[3], ow=2.0, outline=GOLD[1])
    c.fill(star_poly(32, 32, 18.0, 3.0, 4, rot=-90.0), WHITE)
    c.fill(circle(32, 32, 5.0).blurred(1.5), WHITE)
    return c.result()


def _alert(mark, fill, ring):
    c = Canvas(64, 64)
    c.paint(mark.grow(4.0), ring, outline=INK, ow=1.8)
    c.paint(mark, fill, outline=None, ow=0, shade=0.25)
    return c


def exclaim():
    bar = poly([(25.0, 10.0), (39.0, 10.0), (35.0, 38.0), (29.0, 38.0)]) | circle(32.0, 10.5, 7.0)
    dot = circle(32.0, 52.0, 6.0)
    c = _alert(bar | dot, GOLD[2], RED[2])
    c.fill(stroke([(28.0, 9.0), (30.0, 28.0)], 2.5), GOLD[3], alpha=0.9)
    c.drop_shadow(1.5, 2.0, 1.2, 0.35)
    return c.result()


def question_mark():
    cx, cy, r = 32.0, 21.0, 11.5
    pts = []
    for k in range(25):
        a = math.radians(200.0 + 235.0 * k / 24.0)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    pts += [(cx + 1.0, cy + 13.0), (cx, cy + 19.0)]
    hook = stroke(pts, 9.0)
    dot = circle(32.0, 52.0, 6.0)
    c = _alert(hook | dot, CREAM, NAVY[2])
    c.drop_shadow(1.5, 2.0, 1.2, 0.35)
    return c.result()


IMAGES = {
    "player.png": player_sheet,
    "enemy.png": enemy,
    "food.png": food,
    "footstep.png": footstep,
    "footstep2.png": footstep2,
    "madfoot.png": madfoot,
    "dust.png": dust,
    "star.png": star,
    "exclaim.png": exclaim,
    "questionMark.png": question_mark,
}
