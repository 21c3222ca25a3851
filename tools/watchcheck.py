#!/usr/bin/python3
"""What a player would call broken, found in a run's watch log (the game's --watch-log) and its
standard output. Used by tools/soak.py; tools/test_watchcheck.py proves each check on crafted logs.

A watch log line is
    frame scene-index time paused shown screen n name=state ...
(README, "--watch-log"). The checks:

  - soft-lock, frozen: the scene clock stands still for `frozen_seconds` (5 s) of frames in one
    scene while nothing the player can act on is shown (no menu, dialog or overlay: `shown` is 0);
  - soft-lock, stuck: a screen that is not a level stays the same (same scene, same screen hash) for
    `stuck_seconds` (30 s) of frames although the monkey sent input in them;
  - flicker: an object's behaviour state alternates between two values (a b a b ...) for
    `flicker_frames` (10) frames or more;
  - audio errors: any "Audio Error!" line.

Seconds are counted in frames of the run's fixed frame time.
"""

import re
import sys

LEVEL_SCENES = {5, 6, 7}
AUDIO_ERROR = re.compile(r"Audio Error!")


class WatchLine:
    __slots__ = ("frame", "scene", "time", "paused", "shown", "screen", "states")

    def __init__(self, text):
        parts = text.split()
        if len(parts) < 7:
            raise ValueError(f"short watch log line: {text!r}")
        self.frame = int(parts[0])
        self.scene = int(parts[1])
        self.time = float(parts[2])
        self.paused = parts[3] == "1"
        self.shown = parts[4] == "1"
        self.screen = parts[5]
        count = int(parts[6])
        if len(parts) != 7 + count:
            raise ValueError(f"watch log line {self.frame} names {len(parts) - 7} objects, not {count}")
        self.states = {}
        for item in parts[7:]:
            name, _, state = item.rpartition("=")
            self.states[name] = int(state)


def read_watch_log(text):
    return [WatchLine(line) for line in text.splitlines() if line.strip()]


def frames_of(seconds, dt):
    return max(1, int(round(seconds / dt)))


def find_frozen(lines, dt, seconds=5.0):
    """Stretches where the scene clock stood still with nothing shown: [(first frame, last frame, scene)]."""
    limit = frames_of(seconds, dt)
    found = []
    start = None
    for prev, line in zip(lines, lines[1:]):
        still = line.scene == prev.scene and line.time == prev.time and not line.shown
        if still:
            if start is None:
                start = line.frame
            if line.frame - start + 1 == limit:
                found.append([start, line.frame, line.scene])
            elif found and found[-1][0] == start:
                found[-1][1] = line.frame
        else:
            start = None
    return [tuple(f) for f in found]


def find_stuck(lines, input_frames, dt, seconds=30.0):
    """Stretches where a non-level screen did not change although input was sent:
    [(first frame, last frame, scene)]. input_frames: the set of frames in which the monkey held or
    placed anything."""
    limit = frames_of(seconds, dt)
    found = []
    start = None
    sent = False
    for prev, line in zip(lines, lines[1:]):
        same = line.scene == prev.scene and line.screen == prev.screen and line.scene not in LEVEL_SCENES
        if not same:
            start, sent = None, False
            continue
        if start is None:
            start = line.frame
        sent = sent or line.frame in input_frames
        if line.frame - start + 1 >= limit and sent:
            if found and found[-1][0] == start:
                found[-1][1] = line.frame
            else:
                found.append([start, line.frame, line.scene])
    return [tuple(f) for f in found]


def find_flickers(lines, frames=10):
    """Objects whose state alternated between two values for `frames` frames or more:
    [(name, first frame, last frame, a, b)]. An object is followed while its scene runs; a scene
    change or restart (its clock going back) starts afresh."""
    found = []
    history = {}  # name -> (state two frames back, state one frame back, run length, run start)
    prev = None
    for line in lines:
        if prev is not None and (line.scene != prev.scene or line.time < prev.time):
            history = {}
        fresh = {}
        for name, state in line.states.items():
            older, last, run, first = history.get(name, (None, None, 1, line.frame))
            if last is None:
                fresh[name] = (None, state, 1, line.frame)
                continue
            if state != last and older is not None and state == older and run >= 2:
                run += 1
            elif state != last:
                run, first = 2, line.frame - 1
            else:
                run, first = 1, line.frame
            if run == frames:
                found.append([name, first, line.frame, min(state, last), max(state, last)])
            elif run > frames and found and found[-1][0] == name and found[-1][1] == first:
                found[-1][2] = line.frame
            fresh[name] = (last, state, run, first)
        history = fresh
        prev = line
    return [tuple(f) for f in found]


def find_audio_errors(text):
    return [line.strip() for line in text.splitlines() if AUDIO_ERROR.search(line)]


def check(watch_text, stdout_text, input_frames, dt):
    """Every finding as a list of problem texts (empty when the run is sound), and counts."""
    lines = read_watch_log(watch_text)
    frozen = find_frozen(lines, dt)
    stuck = find_stuck(lines, input_frames, dt)
    flickers = find_flickers(lines)
    audio = find_audio_errors(stdout_text)
    problems = []
    for first, last, scene in frozen:
        problems.append(f"soft-lock: scene {scene}'s clock stood still with nothing shown, frames {first}-{last}")
    for first, last, scene in stuck:
        problems.append(f"soft-lock: screen {scene} did not change for any input, frames {first}-{last}")
    for name, first, last, a, b in flickers:
        problems.append(f"flicker: {name} alternated between states {a} and {b}, frames {first}-{last}")
    if audio:
        problems.append(f"{len(audio)} \"Audio Error!\" lines, first: {audio[0]}")
    counts = {"frozen": len(frozen), "stuck": len(stuck), "flickers": len(flickers), "audio errors": len(audio)}
    return problems, counts


def main():
    import argparse
    parser = argparse.ArgumentParser(description="Checks a watch log for soft-locks and flickers.")
    parser.add_argument("watch_log")
    parser.add_argument("--stdout", help="the run's standard output, for Audio Error lines")
    parser.add_argument("--dt", type=float, default=0.02)
    args = parser.parse_args()
    with open(args.watch_log, encoding="ascii") as f:
        watch = f.read()
    out = ""
    if args.stdout:
        with open(args.stdout, encoding="utf-8", errors="replace") as f:
            out = f.read()
    # Without the script every frame counts as one with input.
    frames = {line.frame for line in read_watch_log(watch)}
    problems, _ = check(watch, out, frames, args.dt)
    for p in problems:
        print("FAIL: " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
