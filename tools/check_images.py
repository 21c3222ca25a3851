#!/usr/bin/python3
"""Proves the images in Assets/ are exactly what the generators make.

    /usr/bin/python3 tools/check_images.py [--keep]

Regenerates every image into a temporary folder and compares it byte for
byte with Assets/.  Exits 0 when all match, 1 when any file differs or is
missing.  Also checks the size budget (no file over 2 MB, all under 16 MB).
"""

import argparse
import filecmp
import os
import shutil
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import gen_images  # noqa: E402

MAX_FILE = 2 * 1024 * 1024
MAX_TOTAL = 16 * 1024 * 1024


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--keep", action="store_true", help="keep the temporary folder")
    ap.add_argument("--assets", default=gen_images.DEFAULT_OUT)
    a = ap.parse_args()

    tmp = tempfile.mkdtemp(prefix="quillmarch_images_")
    try:
        names = gen_images.generate(tmp, verbose=False)
        bad = []
        total = 0
        for n in sorted(names):
            mine = os.path.join(a.assets, n)
            fresh = os.path.join(tmp, n)
            if not os.path.exists(mine):
                bad.append("%s: missing from %s" % (n, a.assets))
                continue
            size = os.path.getsize(mine)
            total += size
            if size > MAX_FILE:
                bad.append("%s: %d bytes is over the 2 MB budget" % (n, size))
            if not filecmp.cmp(mine, fresh, shallow=False):
                bad.append("%s: differs from a fresh build" % n)
        if total > MAX_TOTAL:
            bad.append("total %d bytes is over the 16 MB budget" % total)
        for line in bad:
            print("FAIL", line)
        print("%d images checked, %d bytes in total: %s" %
              (len(names), total, "all identical" if not bad else "%d problem(s)" % len(bad)))
        return 1 if bad else 0
    finally:
        if a.keep:
            print("fresh build kept in", tmp)
        else:
            shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
