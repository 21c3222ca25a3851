#!/usr/bin/python3
"""Lays every image of Assets/ (PNG and TGA) on one sheet, name and size
under each, transparent parts shown over a checkerboard.

    /usr/bin/python3 tools/contact_sheet.py [OUT.png] [--cell 220] [--cols 8]
                                            [--match SUBSTRING ...] [--dir Assets]

Default output: /tmp/contact_sheet.png (the sheet is a working aid, not an
asset: do not commit it).
"""

import argparse
import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.normpath(os.path.join(HERE, "..", "Assets"))
LABEL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def checker(w, h, n=8):
    im = Image.new("RGBA", (w, h), (150, 150, 150, 255))
    d = ImageDraw.Draw(im)
    for y in range(0, h, n):
        for x in range(0, w, n):
            if (x // n + y // n) % 2:
                d.rectangle([x, y, x + n - 1, y + n - 1], fill=(105, 105, 105, 255))
    return im


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out", nargs="?", default="/tmp/contact_sheet.png")
    ap.add_argument("--cell", type=int, default=220)
    ap.add_argument("--cols", type=int, default=8)
    ap.add_argument("--match", nargs="*", help="only files whose name contains one of these")
    ap.add_argument("--dir", default=ASSETS)
    a = ap.parse_args()

    names = sorted(n for n in os.listdir(a.dir)
                   if n.lower().endswith((".png", ".tga")) and os.path.isfile(os.path.join(a.dir, n)))
    if a.match:
        names = [n for n in names if any(m in n for m in a.match)]
    font = ImageFont.truetype(LABEL_FONT, 13)
    cell, lab = a.cell, 34
    cols = max(1, min(a.cols, len(names)))
    rows = (len(names) + cols - 1) // cols
    sheet = Image.new("RGBA", (cols * (cell + 10) + 10, rows * (cell + lab + 10) + 10),
                      (34, 34, 40, 255))
    d = ImageDraw.Draw(sheet)
    for i, n in enumerate(names):
        im = Image.open(os.path.join(a.dir, n))
        im.load()
        im = im.convert("RGBA")
        w, h = im.size
        k = min(cell / w, cell / h)
        tw, th = max(1, int(round(w * k))), max(1, int(round(h * k)))
        thumb = im.resize((tw, th), Image.LANCZOS)
        r, c = divmod(i, cols)
        x = 10 + c * (cell + 10)
        y = 10 + r * (cell + lab + 10)
        px, py = x + (cell - tw) // 2, y + (cell - th)
        sheet.alpha_composite(checker(tw, th), (px, py))
        sheet.alpha_composite(thumb, (px, py))
        ly = py + th + 3          # label right under the picture
        d.text((x + cell // 2, ly), n, font=font, fill=(235, 235, 235, 255), anchor="mt")
        kb = os.path.getsize(os.path.join(a.dir, n)) / 1024.0
        d.text((x + cell // 2, ly + 15), "%dx%d  %.0f KB" % (w, h, kb), font=font,
               fill=(170, 170, 180, 255), anchor="mt")
    sheet.convert("RGB").save(a.out)
    print("wrote %s (%d images)" % (a.out, len(names)))


if __name__ == "__main__":
    main()
