#!/usr/bin/python3
"""Monkey soak: plays a tools/monkey.py script through the built game twice, side by side, and
checks the runs.

    tools/soak.py --game build/debug-asan/quillmarch --frames 5000            # the short soak
    nice tools/soak.py --game build/debug-asan/quillmarch --frames 100000     # the long one

Each run is headless with --fixed-dt 0.02, the log file on, in a data folder of its own under
--work (the build's Assets and Shaders linked in; copied when the editor is on, since it can save
levels). The soak fails when
  - the game exits non-zero or before the last frame (the monkey never quits on purpose),
  - standard error carries a sanitizer report (AddressSanitizer, LeakSanitizer, "runtime error:"),
  - the log has an ERROR line that is not expected (EXPECTED_ERRORS below, plus --expect),
  - no level was played (the monkey is meant to reach and play levels),
  - the replay of the same script writes a state log that differs from the first run's,
  - with more than --rss-from frames, resident memory grew by 2% or more from frame --rss-from to
    the end. VmRSS is read from /proc/<pid>/status twice a second; the frame reached is the length
    of the state log so far (written in blocks, so it lags by a few hundred frames). When the memory is
checked, AddressSanitizer's quarantine is set to 16 MB unless ASAN_OPTIONS names one.
The numbers are printed at the end.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import monkey  # noqa: E402

# ERROR lines a soak may write without failing. The shipped game writes none: every level, bank
# and attribute file reads cleanly, and the editor's Run, Stop, tools and placing log none either.
# Keep this list short and say why an entry is here.
EXPECTED_ERRORS = []

SANITIZER = re.compile(r"ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|SUMMARY: \w+Sanitizer")
# The state log names a scene by its place in the game's scene list.
SCENE_NAMES = ["empty", "splash1", "splash2", "splash3", "menu", "level1", "level2", "level3", "end",
               "gameover", "youwin", "credits", "levelselect"]
LEVELS = {"level1", "level2", "level3"}


def scene_name(index):
    return SCENE_NAMES[index] if 0 <= index < len(SCENE_NAMES) else str(index)


def make_data_dir(path, build_dir, config, copy_assets):
    os.makedirs(path, exist_ok=True)
    for name in ("Assets", "Shaders"):
        src, dst = os.path.join(build_dir, name), os.path.join(path, name)
        if os.path.lexists(dst):
            continue
        if copy_assets:
            shutil.copytree(src, dst)
        else:
            os.symlink(src, dst)
    with open(os.path.join(path, "Config.lullwick"), "w", encoding="ascii") as f:
        f.write(config)


def rss_kb(pid):
    try:
        with open(f"/proc/{pid}/status", encoding="ascii") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def count_lines(path):
    try:
        with open(path, "rb") as f:
            return f.read().count(b"\n")
    except OSError:
        return 0


def start_game(args, data, script, state_log):
    cmd = [args.game, "--headless", "--fixed-dt", "0.02", "--frames", str(args.frames), "--seed", str(args.seed),
           "--data", data, "--input", script, "--state-log", state_log]
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", SDL_VIDEODRIVER=os.environ.get("SDL_VIDEODRIVER", "offscreen"))
    # SDL and Mesa keep a few allocations for the life of the process (tests/lsan.supp names them).
    env.setdefault("LSAN_OPTIONS", "suppressions=" + os.path.join(HERE, "..", "tests", "lsan.supp"))
    if args.frames > args.rss_from and "quarantine_size_mb" not in env.get("ASAN_OPTIONS", ""):
        # AddressSanitizer keeps freed blocks in a quarantine (256 MB by default) to catch late uses;
        # while it fills, resident memory climbs whatever the game does. A smaller one fills in the
        # first few thousand frames and still catches a use soon after a free.
        env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS", ""), "quarantine_size_mb=16"]))
    err = open(state_log + ".stderr", "wb")
    return subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=err, env=env), err


def run_games(args, runs):
    """Runs the game once per (data, script, state log) side by side, sampling the first one's
    memory; returns per run (exit code, stderr text, seconds) and [(frame, rss_kb, seconds)]."""
    start = time.monotonic()
    procs = [start_game(args, *run) for run in runs]
    ended = [None] * len(procs)
    samples = []
    while None in ended:
        for i, (proc, _) in enumerate(procs):
            if ended[i] is None and proc.poll() is not None:
                ended[i] = time.monotonic() - start
        if ended[0] is None:
            kb = rss_kb(procs[0][0].pid)
            if kb is not None:
                samples.append((count_lines(runs[0][2]), kb, time.monotonic() - start))
        time.sleep(0.5)
    results = []
    for (proc, err), (_, _, state_log), seconds in zip(procs, runs, ended):
        err.close()
        with open(state_log + ".stderr", encoding="utf-8", errors="replace") as f:
            results.append((proc.returncode, f.read(), seconds))
    return results, samples


def scene_frames(state_log):
    frames = {}
    with open(state_log, encoding="ascii") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2:
                frames[int(parts[1])] = frames.get(int(parts[1]), 0) + 1
    return frames


def check_run(label, args, data, code, err, state_log, expected, problems):
    if code != 0:
        problems.append(f"{label}: exit code {code}")
    reports = [line for line in err.splitlines() if SANITIZER.search(line)]
    if reports:
        problems.append(f"{label}: sanitizer report: {reports[0]} (see {state_log}.stderr)")
    frames = count_lines(state_log)
    if frames != args.frames:
        problems.append(f"{label}: state log has {frames} frames, not {args.frames}")
    log_path = os.path.join(data, "output.log")
    unexpected = []
    if os.path.exists(log_path):
        with open(log_path, encoding="utf-8", errors="replace") as f:
            for line in f:
                if "-ERROR-" in line and not any(re.search(e, line) for e in expected):
                    unexpected.append(line.strip())
    else:
        problems.append(f"{label}: no output.log written")
    if unexpected:
        problems.append(f"{label}: {len(unexpected)} unexpected ERROR lines, first: {unexpected[0]}")
    return len(unexpected)


def main():
    parser = argparse.ArgumentParser(description="Monkey soak of the built game.")
    parser.add_argument("--game", required=True, help="the quillmarch executable (its folder holds Assets)")
    parser.add_argument("--frames", type=int, default=5000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--editor", action="store_true", help="editor on (config 11) and driven by the monkey")
    parser.add_argument("--rss-from", type=int, default=20000, help="frame from which memory must stay flat")
    parser.add_argument("--max-growth", type=float, default=2.0, help="percent")
    parser.add_argument("--expect", action="append", default=[], help="regex of an ERROR line that may appear")
    parser.add_argument("--work", help="folder for the runs (default: a new temporary folder, removed on success)")
    args = parser.parse_args()

    work = args.work or tempfile.mkdtemp(prefix="quillmarch-soak-")
    os.makedirs(work, exist_ok=True)
    build_dir = os.path.dirname(os.path.abspath(args.game))
    script = os.path.join(work, "monkey.qinput")
    with open(script, "w", encoding="ascii") as f:
        f.write(monkey.Monkey(args.seed, args.frames, args.editor).play())
    expected = EXPECTED_ERRORS + args.expect
    config = "11" if args.editor else "10"

    problems = []
    runs = []
    for label in ("run", "replay"):
        data = os.path.join(work, label)
        make_data_dir(data, build_dir, config, copy_assets=args.editor)
        runs.append((data, script, os.path.join(work, f"{label}.state")))
    # The replay runs beside the first run: the same script from a fresh data folder.
    outcomes, samples = run_games(args, runs)
    results = {}
    for label, (data, _, state_log), (code, err, seconds) in zip(("run", "replay"), runs, outcomes):
        errors = check_run(label, args, data, code, err, state_log, expected, problems)
        results[label] = (seconds, errors)
    logs = [runs[0][2], runs[1][2]]

    with open(logs[0], "rb") as a, open(logs[1], "rb") as b:
        first, second = a.read(), b.read()
    if first != second:
        la, lb = first.splitlines(), second.splitlines()
        at = next((i for i, (x, y) in enumerate(zip(la, lb)) if x != y), min(len(la), len(lb)))
        problems.append(f"replay: state logs differ from frame {at + 1}")

    scenes = scene_frames(logs[0]) if os.path.exists(logs[0]) else {}
    level_frames = sum(n for index, n in scenes.items() if scene_name(index) in LEVELS)
    if level_frames == 0:
        problems.append("no level was played")

    seconds, errors = results["run"]
    with open(os.path.join(work, "rss.txt"), "w", encoding="ascii") as f:
        f.write("".join(f"{frame} {kb} {t:.1f}\n" for frame, kb, t in samples))
    print(f"soak: seed {args.seed}, {args.frames} frames, editor {'on' if args.editor else 'off'}, work {work}")
    print(f"  run {seconds:.1f} s, replay {results['replay'][0]:.1f} s; frames per scene: "
          + ", ".join(f"{scene_name(k)} {v}" for k, v in sorted(scenes.items())))
    print(f"  expected ERROR patterns: {expected or 'none'}; unexpected ERROR lines: {errors}")
    if samples:
        peak = max(kb for _, kb, _ in samples)
        print(f"  VmRSS: first {samples[0][1]} kB, peak {peak} kB, last {samples[-1][1]} kB "
              f"at frame ~{samples[-1][0]}, {len(samples)} samples")
    if args.frames > args.rss_from and samples:
        after = [s for s in samples if s[0] >= args.rss_from]
        if len(after) < 2:
            problems.append(f"too few memory samples after frame {args.rss_from}")
        else:
            base, end = after[0], after[-1]
            growth = 100.0 * (end[1] - base[1]) / base[1]
            print(f"  VmRSS frame ~{base[0]}: {base[1]} kB -> frame ~{end[0]}: {end[1]} kB, growth {growth:+.2f}%")
            if growth >= args.max_growth:
                problems.append(f"resident memory grew {growth:.2f}% after frame {args.rss_from}")
    print(f"  replay state log {'identical' if first == second else 'DIFFERENT'}")
    for p in problems:
        print("FAIL: " + p)
    if problems:
        print(f"the runs are kept in {work}; reproduce with tools/monkey.py --seed {args.seed} "
              f"--frames {args.frames}{' --editor' if args.editor else ''}")
        return 1
    if not args.work:
        shutil.rmtree(work)
    print("soak passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
