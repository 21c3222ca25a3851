#!/usr/bin/python3
"""Renders sample lines with the font sheets the way the game does: every
character is a square quad cut from the 16 x 6 sheet, laid side by side.

    /usr/bin/python3 tools/font_preview.py [out.png]   (default /tmp/font_preview.png)

Strings are written the way game code writes them (case swapped), so
"rESUME gAME" must read "Resume Game" and "quillmarch" must read "QUILLMARCH".
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.normpath(os.path.join(HERE, "..", "Assets"))
LABEL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

SAMPLES = ["rESUME gAME", "quillmarch", "sCORE: 1250 (x2)!", "tHE qUICK bROWN fOX?",
           "lEVEL 3 - mARKET", "\"wHERE'S MY PIE?\" #42 @ $9.99 ~ 100%"]
BACKDROPS = [(18, 20, 36), (96, 100, 112), (214, 204, 182), (150, 98, 58)]


def cells(sheet):
    cw = sheet.width // 16
    ch = sheet.height // 6
    return cw, ch


def draw_string(canvas, sheet, text, x, y, size):
    cw, ch = cells(sheet)
    for i, c in enumerate(text):
        n = ord(c) - 32
        if n < 0 or n >= 96:
            continue
        col, row = n % 16, n // 16
        glyph = sheet.crop((col * cw, row * ch, (col + 1) * cw, (row + 1) * ch))
        glyph = glyph.resize((size, size), Image.LANCZOS)
        canvas.alpha_composite(glyph, (int(x + i * size), int(y)))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "/tmp/font_preview.png"
    sheets = [("FontSheet.png", Image.open(os.path.join(ASSETS, "FontSheet.png")).convert("RGBA")),
              ("FontSheet_Black.png",
               Image.open(os.path.join(ASSETS, "FontSheet_Black.png")).convert("RGBA"))]
    sizes = [40, 24]
    label = ImageFont.truetype(LABEL_FONT, 14)
    width = max(40 * 38, 2 * (1024 * 3 // 4) + 32)
    row_h = sum(s + 8 for s in sizes) + 22
    height = len(sheets) * len(BACKDROPS) * row_h + 420
    img = Image.new("RGBA", (width, height), (60, 60, 60, 255))
    d = ImageDraw.Draw(img)
    y = 0
    for name, sheet in sheets:
        for bg in BACKDROPS:
            d.rectangle([0, y, width, y + row_h - 1], fill=bg + (255,))
            txt = (255, 255, 255) if sum(bg) < 380 else (0, 0, 0)
            d.text((6, y + 3), "%s on %s" % (name, bg), font=label, fill=txt)
            yy = y + 20
            for s in sizes:
                x = 8
                for sample in SAMPLES[:2] if s == 40 else SAMPLES[2:]:
                    draw_string(img, sheet, sample, x, yy, s)
                    x += (len(sample) + 1) * s
                yy += s + 8
            y += row_h
    # both sheets, shrunk to 3/4, with the cell grid drawn over them
    for i, (name, sheet) in enumerate(sheets):
        small = sheet.resize((sheet.width * 3 // 4, sheet.height * 3 // 4), Image.LANCZOS)
        x0 = 8 + i * (small.width + 16)
        y0 = y + 8
        bg = (40, 44, 60) if i == 0 else (214, 204, 182)
        d.rectangle([x0, y0, x0 + small.width, y0 + small.height], fill=bg + (255,))
        step = small.width / 16.0
        for c in range(17):
            d.line([x0 + c * step, y0, x0 + c * step, y0 + small.height], fill=(255, 0, 255, 255))
        for r in range(7):
            d.line([x0, y0 + r * step, x0 + small.width, y0 + r * step], fill=(255, 0, 255, 255))
        img.alpha_composite(small, (x0, y0))
    img.convert("RGB").save(out)
    print("wrote", out)


if __name__ == "__main__":
    main()
