"""Bitmap font sheets.

Layout: 16 x 6 square cells of CELL px.  Cell n holds the character with
code n + 32, except that letters are stored with their case swapped (the
cell for 'a' shows "A", the cell for 'A' shows "a"), so the string
"rESUME gAME" reads "Resume Game" on screen.  Cell 95 (code 127) is blank.

Every glyph sits on one shared baseline, is centred horizontally on its
ink box, and keeps a clear margin from the cell edges so that glyph quads
drawn side by side never bleed into each other.
"""

import numpy as np
from PIL import Image, ImageDraw, ImageFont

from .common import SS, FONT_BOLD, INK, dilate

CELL = 64
COLS, ROWS = 16, 6
FONT_PX = 60          # DejaVu Sans Bold: capitals are ~0.729 em -> ~44 px (68 %)
OUTLINE_PX = 2.0      # thin contrasting outline
MARGIN_PX = 2.0       # transparent gap kept to every cell edge

LIGHT = dict(top=(255, 252, 242), bottom=(236, 224, 198), line=INK)
DARK = dict(top=(20, 17, 26), bottom=(44, 36, 52), line=(242, 234, 216))


def cell_char(n):
    code = n + 32
    if code >= 127:
        return None
    ch = chr(code)
    if ch.isalpha():
        ch = ch.swapcase()
    return None if ch == " " else ch


def _glyph_masks(ch, size_px, baseline_px):
    """Fill and outline masks (float, supersampled CELL*SS square)."""
    S = CELL * SS
    ow = int(round(OUTLINE_PX * SS))
    lim = MARGIN_PX * SS
    font = ImageFont.truetype(FONT_BOLD, int(round(size_px * SS)))
    big = Image.new("L", (S * 3, S), 0)
    ImageDraw.Draw(big).text((S, baseline_px * SS), ch, font=font, fill=255, anchor="ls")
    bbox = big.getbbox()
    if bbox is None:
        return None
    x0, y0, x1, y1 = bbox
    fill = np.asarray(big, np.float32)[:, x0:x1] / 255.0
    # squeeze glyphs that are too wide for the cell (W, M, m, @, % ...)
    max_w = S - 2 * (lim + ow)
    w = x1 - x0
    if w > max_w:
        im = Image.fromarray((fill * 255).astype(np.uint8), "L")
        im = im.resize((int(max_w), S), Image.LANCZOS)
        fill = np.asarray(im, np.float32) / 255.0
        w = fill.shape[1]
    # centre the ink box horizontally
    cell = np.zeros((S, S), np.float32)
    left = int(round((S - w) / 2.0))
    cell[:, left:left + w] = fill
    return cell, ow, lim


def _fits(cell, ow, lim):
    S = CELL * SS
    rows = np.nonzero(cell.max(axis=1) > 0.02)[0]
    top, bot = rows[0] - ow, rows[-1] + 1 + ow
    return top >= lim and bot <= S - lim, top, bot


def render_glyph(ch, baseline_px):
    """Returns (fill, outline) float masks at supersampled size, or None.
    Glyphs taller than the safe band shrink slightly; glyphs that poke out
    of it (high marks, deep brackets) are nudged back inside."""
    S = CELL * SS
    size = float(FONT_PX)
    while True:
        res = _glyph_masks(ch, size, baseline_px)
        if res is None:
            return None
        cell, ow, lim = res
        ok, top, bot = _fits(cell, ow, lim)
        if bot - top <= S - 2 * lim or size <= 20:
            break
        size -= 0.5
    shift = 0
    if top < lim:
        shift = int(np.ceil(lim - top))
    elif bot > S - lim:
        shift = -int(np.ceil(bot - (S - lim)))
    if shift:
        cell = np.roll(cell, shift, axis=0)
    outer = dilate(cell, ow)
    return cell, outer


def font_sheet(style):
    S = CELL * SS
    # one baseline for all glyphs: centre the capital+descender band
    cap = 0.729 * FONT_PX
    desc = 0.21 * FONT_PX
    baseline = CELL / 2.0 + (cap - desc) / 2.0
    sheet = Image.new("RGBA", (COLS * CELL, ROWS * CELL), (0, 0, 0, 0))
    top = np.asarray(style["top"], np.float32)
    bottom = np.asarray(style["bottom"], np.float32)
    # fill colour follows the cap band so every letter shades alike
    t = np.clip((np.arange(S, dtype=np.float32) / SS - (baseline - cap)) / cap, 0, 1)
    fill_col = top[None, :] * (1 - t[:, None]) + bottom[None, :] * t[:, None]
    line = np.asarray(style["line"], np.float32)
    for n in range(COLS * ROWS):
        ch = cell_char(n)
        if ch is None:
            continue
        res = render_glyph(ch, baseline)
        if res is None:
            continue
        fill, outer = res
        r, c = divmod(n, COLS)
        a = outer
        rgb = fill[..., None] * fill_col[:, None, :] + (outer - fill)[..., None] * line
        safe = np.where(a > 1e-6, a, 1.0)
        rgb = rgb / safe[..., None]
        blk = np.zeros((S, S, 4), np.float32)
        blk[..., :3] = rgb
        blk[..., 3] = a * 255.0
        # shrink each cell on its own so nothing bleeds into a neighbour,
        # then keep the outermost pixel ring fully clear
        im = Image.fromarray(np.clip(blk + 0.5, 0, 255).astype(np.uint8), "RGBA")
        im = np.asarray(im.resize((CELL, CELL), Image.LANCZOS)).copy()
        im[0, :, 3] = im[-1, :, 3] = im[:, 0, 3] = im[:, -1, 3] = 0
        im[im[..., 3] == 0] = 0
        sheet.paste(Image.fromarray(im, "RGBA"), (c * CELL, r * CELL))
    return sheet


IMAGES = {
    "FontSheet.png": lambda: font_sheet(LIGHT),
    "FontSheet_Black.png": lambda: font_sheet(DARK),
}
