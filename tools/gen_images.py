#!/usr/bin/python3
"""Writes every Quillmarch image into Assets/ (or --out DIR).

    /usr/bin/python3 tools/gen_images.py               # all images -> Assets/
    /usr/bin/python3 tools/gen_images.py --out /tmp/x  # somewhere else
    /usr/bin/python3 tools/gen_images.py --only player.png enemy.png

Output is byte-identical from run to run: all randomness is seeded and PNGs
are written without metadata at a fixed compression level.
"""

import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from art import characters, fonts, icons, level, level_sets, screens  # noqa: E402
from art.common import save_png, save_tga  # noqa: E402

MODULES = [fonts, characters, level, level_sets, screens, icons]
DEFAULT_OUT = os.path.normpath(os.path.join(HERE, "..", "Assets"))


def generate(out_dir, only=None, verbose=True):
    os.makedirs(out_dir, exist_ok=True)
    written = []

    def out(name, img, seconds=0.0):
        path = os.path.join(out_dir, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if name.lower().endswith(".tga"):
            save_tga(img, path)
        else:
            save_png(img, path)
        written.append(name)
        if verbose:
            print("  %-28s %5d x %-5d %8d bytes  %5.1fs" % (
                name, img.width, img.height, os.path.getsize(path), seconds))

    for mod in MODULES:
        for name, make in mod.IMAGES.items():
            if only and name not in only:
                continue
            t0 = time.time()
            img = make()
            out(name, img, time.time() - t0)
    return written


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", default=DEFAULT_OUT, help="output folder (default: Assets/)")
    ap.add_argument("--only", nargs="*", help="only write these file names")
    ap.add_argument("-q", "--quiet", action="store_true")
    a = ap.parse_args()
    if a.only:
        known = {n for m in MODULES for n in m.IMAGES}
        unknown = sorted(set(a.only) - known)
        if unknown:
            ap.error("no generator for: %s" % ", ".join(unknown))
    names = generate(a.out, set(a.only) if a.only else None, not a.quiet)
    if not a.quiet:
        print("%d images written to %s" % (len(names), a.out))


if __name__ == "__main__":
    main()
