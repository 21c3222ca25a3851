#!/usr/bin/python3
"""Screenshots of the three levels for review: each level at the player's start, a whole-level
overview, and one sheet with the three overviews side by side.

    /usr/bin/python3 tools/level_shots.py [--exe build/release/quillmarch] [--out /tmp/level_shots]
                                          [--only 1 2 3] [--jobs 2]

The game runs in an offscreen window at 1280 x 720 with a fixed frame time. The overview is
stitched from screenshots taken with the camera pinned (--camera X,Y) on a grid of points that
covers the level, then shrunk to 1280 x 720; the heads-up display is switched off (Ctrl+H) for
those. Pictures go to --out, they are not committed.
"""

import argparse
import math
import os
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent
sys.path.insert(0, str(HERE))

import gen_levels  # noqa: E402

WIDTH, HEIGHT = 1280, 720
# The camera sits 1000 units from the floor with a 45 degree vertical field of view.
VIEW_H = 2 * 1000 * math.tan(math.radians(22.5))
VIEW_W = VIEW_H * WIDTH / HEIGHT
PX = HEIGHT / VIEW_H  # pixels per world unit
SHOT_FRAME = 75       # after the level's one-second fade-in at 50 frames a second
MARGIN = 150          # floor drawn round the level's walls

LEVELS = {1: (6, "level1.json", "alley"), 2: (7, "level2.json", "villa"), 3: (8, "level3.json", "market")}
HUD_OFF = "qinput 1\ndt 0.02\n3\n1 CTRL H\n200\n"


def run_game(exe, scene, shot, camera=None, hud_off=False):
    with tempfile.TemporaryDirectory() as tmp:
        args = [str(exe), "--windowed", "--size", "%dx%d" % (WIDTH, HEIGHT), "--scene", str(scene),
                "--fixed-dt", "0.02", "--seed", "1", "--frames", str(SHOT_FRAME),
                "--screenshot", "%d:%s" % (SHOT_FRAME, shot), "--data", str(ROOT), "--no-dialogs"]
        if camera is not None:
            args += ["--camera", "%g,%g" % camera]
        if hud_off:
            script = Path(tmp) / "hud_off.qinput"
            script.write_text(HUD_OFF)
            args += ["--input", str(script)]
        env = dict(os.environ, SDL_VIDEODRIVER="offscreen", SDL_AUDIODRIVER="dummy")
        subprocess.run(args, env=env, cwd=tmp, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=True)
    return Image.open(shot).convert("RGB")


def overview(exe, number, work, jobs):
    scene, file_name, _ = LEVELS[number]
    width, height = gen_levels.LEVELS[file_name]["size"]
    x0, y0, x1, y1 = -MARGIN, -MARGIN, width + MARGIN, height + MARGIN
    columns = math.ceil((x1 - x0) / VIEW_W)
    rows = math.ceil((y1 - y0) / VIEW_H)
    canvas = Image.new("RGB", (round(columns * VIEW_W * PX), round(rows * VIEW_H * PX)))
    tasks = []
    for j in range(rows):
        for i in range(columns):
            centre = (x0 + (i + 0.5) * VIEW_W, y0 + (j + 0.5) * VIEW_H)
            tasks.append((i, j, centre, work / ("level%d_tile_%d_%d.png" % (number, i, j))))
    with ThreadPoolExecutor(jobs) as pool:
        shots = list(pool.map(lambda t: run_game(exe, scene, t[3], t[2], hud_off=True), tasks))
    for (i, j, _, _), shot in zip(tasks, shots):
        # World y grows upwards, picture rows downwards.
        canvas.paste(shot, (round(i * VIEW_W * PX), round((rows - 1 - j) * VIEW_H * PX)))
    # Crop to the level and its margin, then fit into one screen.
    level_px = (round((x1 - x0) * PX), round((y1 - y0) * PX))
    canvas = canvas.crop((0, canvas.height - level_px[1], level_px[0], canvas.height))
    k = min(WIDTH / canvas.width, HEIGHT / canvas.height)
    small = canvas.resize((round(canvas.width * k), round(canvas.height * k)), Image.LANCZOS)
    out = Image.new("RGB", (WIDTH, HEIGHT), (13, 15, 28))
    out.paste(small, ((WIDTH - small.width) // 2, (HEIGHT - small.height) // 2))
    return out


def sheet(overviews, names):
    """The three overviews side by side with their names."""
    cell_w, cell_h = WIDTH // 2, HEIGHT // 2
    out = Image.new("RGB", (cell_w * len(overviews) + 20 * (len(overviews) + 1), cell_h + 70),
                    (13, 15, 28))
    draw = ImageDraw.Draw(out)
    try:
        font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 24)
    except OSError:
        font = ImageFont.load_default()
    for k, (image, name) in enumerate(zip(overviews, names)):
        x = 20 + k * (cell_w + 20)
        out.paste(image.resize((cell_w, cell_h), Image.LANCZOS), (x, 50))
        draw.text((x, 14), name, fill=(246, 236, 212), font=font)
    return out


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", default=str(ROOT / "build" / "release" / "quillmarch"))
    parser.add_argument("--out", default="/tmp/level_shots")
    parser.add_argument("--only", type=int, nargs="*", default=[1, 2, 3])
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args(argv)
    out = Path(args.out)
    work = out / "tiles"
    work.mkdir(parents=True, exist_ok=True)
    overviews, names = [], []
    for number in args.only:
        scene, _, name = LEVELS[number]
        run_game(args.exe, scene, out / ("level%d_start.png" % number))
        image = overview(args.exe, number, work, args.jobs)
        image.save(out / ("level%d_overview.png" % number))
        overviews.append(image)
        names.append("%d. %s" % (number, name))
        print("level %d (%s): %s, %s" % (number, name, out / ("level%d_start.png" % number),
                                          out / ("level%d_overview.png" % number)))
    if len(overviews) > 1:
        sheet(overviews, names).save(out / "sheet.png")
        print("sheet: %s" % (out / "sheet.png"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
