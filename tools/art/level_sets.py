"""Wall sets of the three levels: each level tops its walls with its own material.

The pictures are 128 x 128 and tileable; a level lays them as 50-unit squares along each wall.
"""

import numpy as np

from .common import (SS, Canvas, INK, NIGHT, STONE, WOOD, RED, GOLD, GREEN, CREAM, PAPER, mix,
                     rng, value_noise, fractal_noise, ellipse, stroke, grid_coords, upsample_noise)
from .level import _grid_floor, _to_img, _wrap_offsets


def wall_alley():
    """Soot-dark brick in running bond, cold and damp, with moss in the joints."""
    w = h = 128
    cols = [mix(RED[0], NIGHT[2], 0.45), mix(RED[0], STONE[0], 0.5), mix(WOOD[0], NIGHT[2], 0.4),
            mix(RED[1], NIGHT[2], 0.6)]
    col, _ = _grid_floor(w, h, 42.6667, 21.3333, cols, seed=71, grout=mix(INK, NIGHT[1], 0.3),
                         grout_w=3.0, bevel_w=3.5, bevel=0.3, offset_rows=0.5, noise=0.1,
                         jitter=0.1)
    n = upsample_noise(fractal_noise(w, h, 72, octaves=((4, 0.5), (16, 0.5))), w, h)
    col *= (0.8 + 0.35 * n)[..., None]
    img = Canvas(w, h)
    img.image_fill(col)
    r = rng(73)
    for _ in range(4):
        x, y = r.uniform(0, w), r.uniform(0, h)
        for dx, dy in _wrap_offsets((x - 20, y - 8, x + 20, y + 8), w, h):
            img.fill(ellipse(x + dx, y + dy, r.uniform(8, 18), 4.0).blurred(2.0), GREEN[0],
                     alpha=0.6)
    return img.result(opaque=True)


def wall_villa():
    """Warm limestone coping: long cream blocks with a terracotta inlay line."""
    w = h = 128
    cols = [mix(CREAM, STONE[3], 0.35), mix(PAPER, STONE[3], 0.3), mix(CREAM, WOOD[3], 0.25),
            mix(PAPER, GOLD[3], 0.2)]
    col, (i, j, u, v) = _grid_floor(w, h, 64, 64, cols, seed=81, grout=mix(WOOD[1], INK, 0.35),
                                    grout_w=2.5, bevel_w=6.0, bevel=0.22, offset_rows=0.5,
                                    noise=0.05, jitter=0.05)
    # a terracotta band across the middle of every block
    band = np.clip(1.0 - np.abs(v - 32.0) / 5.0, 0, 1)[..., None]
    col = col * (1 - 0.75 * band) + np.asarray(mix(RED[2], WOOD[2], 0.5), np.float32) * 0.75 * band
    grain = value_noise(w * SS, h * SS, (32, 8), 82, tile=True)
    col *= (0.94 + 0.1 * grain)[..., None]
    return _to_img(col, w, h)


def wall_market():
    """Stacked crates and timber: planks with dark iron corner bands."""
    w = h = 128
    cols = [WOOD[2], mix(WOOD[2], WOOD[1], 0.5), mix(WOOD[3], WOOD[2], 0.5),
            mix(WOOD[2], GOLD[1], 0.25)]
    col, (i, j, u, v) = _grid_floor(w, h, 64, 16, cols, seed=91, grout=mix(WOOD[0], INK, 0.5),
                                    grout_w=2.5, bevel_w=2.5, bevel=0.25, offset_rows=0.0,
                                    noise=0.06, jitter=0.1)
    grain = value_noise(w * SS, h * SS, (4, 64), 92, tile=True).T
    col *= (0.9 + 0.18 * grain)[..., None]
    img = Canvas(w, h)
    img.image_fill(col)
    # iron bands at the crate edges, with rivets
    for x in (0.0, 64.0, 128.0):
        for dx, dy in _wrap_offsets((x - 5, -1, x + 5, h + 1), w, h):
            img.fill(stroke([(x + dx, -2), (x + dx, h + 2)], 7.0, round_caps=False),
                     mix(STONE[0], INK, 0.3), alpha=0.9)
            for y in (8.0, 40.0, 72.0, 104.0):
                img.fill(ellipse(x + dx, y, 2.0), STONE[3], alpha=0.9)
    return img.result(opaque=True)


IMAGES = {
    "wall_alley.png": wall_alley,
    "wall_villa.png": wall_villa,
    "wall_market.png": wall_market,
}
