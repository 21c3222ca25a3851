#!/usr/bin/python3
"""Writes the side-by-side sprite benchmark's pictures into bench/sprites/ (or --out DIR).

    /usr/bin/python3 tools/gen_bench_sprites.py

bench/peer_sprites.sh draws every sprite at its picture's own size, as a 2-D game
does, so each row gets food.png resized once here to the size it is drawn at:
food_20x20.png (the small row) and food_43x116.png (the big, turned row). They
are benchmark data, not game art, so they live beside the benchmark and never
ship. Resized in premultiplied alpha (no dark fringes from transparent pixels),
Lanczos, and written like every other picture: no metadata, fixed compression.
"""

import argparse
import os
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from art.common import save_png  # noqa: E402

SOURCE = os.path.normpath(os.path.join(HERE, "..", "Assets", "food.png"))
DEFAULT_OUT = os.path.normpath(os.path.join(HERE, "..", "bench", "sprites"))
SIZES = [(20, 20), (43, 116)]


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", default=DEFAULT_OUT, help="output folder (default: bench/sprites/)")
    a = ap.parse_args()
    os.makedirs(a.out, exist_ok=True)
    source = Image.open(SOURCE).convert("RGBA").convert("RGBa")
    for w, h in SIZES:
        img = source.resize((w, h), Image.LANCZOS).convert("RGBA")
        path = os.path.join(a.out, "food_%dx%d.png" % (w, h))
        save_png(img, path)
        print("  %-20s %4d x %-4d %6d bytes" % (os.path.basename(path), w, h, os.path.getsize(path)))


if __name__ == "__main__":
    main()
