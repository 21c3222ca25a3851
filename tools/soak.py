#!/usr/bin/python3
"""Monkey soak: plays a tools/monkey.py script through the built game twice, side by side, and
checks the runs.

    tools/soak.py --game build/debug-asan/quillmarch --frames 5000            # the short soak
    nice tools/soak.py --game build/debug-asan/quillmarch --release-game build/release/quillmarch \
        --frames 100000 --seed 24                                                # the long one

Each run is headless with --fixed-dt 0.02, the log file on, in a data folder of its own under
--work (the build's Assets and Shaders linked in; copied when the editor is on, since it can save
levels), with the player's folder (the log, settings, backups) in user-data/ inside it. The soak
fails when
  - the game exits non-zero or before the last frame (the monkey never quits on purpose),
  - standard error carries a sanitizer report (AddressSanitizer, LeakSanitizer, "runtime error:"),
  - the log has an ERROR line that is not expected (EXPECTED_ERRORS below, plus --expect),
  - no level was played (the monkey is meant to reach and play levels),
  - the replay of the same script writes a state log that differs from the first run's,
  - with the editor on, a save broke the editor's promise (check_editor_writes below): every save
    wrote the file the top bar named, that file is the saved scene's own (or the one Save As gave
    it), it reads back as the records the editor wrote and still holds them at the end, and no
    file of the data folder was written but the named levels, their backups and their attribute
    files (and the game's own log and settings),
  - the run did what a player would call broken (tools/watchcheck.py, on the game's --watch-log and
    its standard output): a soft-lock (the scene clock standing still for 5 s of frames with no
    menu, dialog or overlay up, or a screen other than a level that no input moved for 30 s), a
    flicker (an object's behaviour state alternating between two values for 10 frames or more),
    or any "Audio Error!" line,
  - with more than --rss-from frames, resident memory grew by --max-growth (2%) or more from frame
    --rss-from to the end: the peak VmRSS over the first tenth of that stretch against the peak over
    its last tenth (single samples swing by megabytes as scenes load and unload). VmRSS is read from
    /proc/<pid>/status twice a second; the frame reached is the length of the state log so far
    (written in blocks, so it lags by a few hundred frames); samples taken once the state log is
    complete belong to the shut-down and are left out.

Whose memory is checked. Under AddressSanitizer resident memory is mostly the sanitizer's own:
freed blocks wait in a quarantine before reuse, every block carries red zones, the allocator keeps
a high-water mark per size class and hardly ever hands pages back, and the shadow memory follows
the heap. With the quarantine bounded (16 MB here unless ASAN_OPTIONS names one) the resident size
still creeps up for tens of thousands of frames as the mix of block sizes in the quarantine drifts
from scene to scene, while the blocks the game has in use do not grow (README, "Soak", has the
numbers): a 2% bound on it measures the sanitizer, not the game. So the long soak names
--release-game, an optimised build without sanitizers: it plays the same script beside the
sanitizer runs, its resident memory is the one checked, and its state log must equal theirs (a
replay must not depend on the build). The sanitizer run's memory is still printed. Without
--release-game the check applies to --game.
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
import watchcheck  # noqa: E402

# ERROR lines a soak may write without failing. The shipped game writes none: every level, bank
# and attribute file reads cleanly, and the editor's Run, Stop, tools and placing log none either.
# Keep this list short and say why an entry is here.
EXPECTED_ERRORS = []

# The frame time of every soak run (the script's own dt lines aside).
FRAME_TIME = 0.02

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


def user_data_home(data):
    """The XDG_DATA_HOME of a run on the data folder `data`: a folder of its own inside it."""
    return os.path.join(data, "user-data")


def start_game(args, game, data, script, state_log):
    cmd = [game, "--headless", "--fixed-dt", str(FRAME_TIME), "--frames", str(args.frames), "--seed", str(args.seed),
           "--data", data, "--input", script, "--state-log", state_log, "--watch-log", state_log + ".watch"]
    # The player's folder (log, settings, backups) is the run's own, never the real home's.
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", SDL_VIDEODRIVER=os.environ.get("SDL_VIDEODRIVER", "offscreen"),
               XDG_DATA_HOME=user_data_home(data))
    # SDL and Mesa keep a few allocations for the life of the process (tests/lsan.supp names them).
    env.setdefault("LSAN_OPTIONS", "suppressions=" + os.path.join(HERE, "..", "tests", "lsan.supp"))
    if args.frames > args.rss_from and "quarantine_size_mb" not in env.get("ASAN_OPTIONS", ""):
        # AddressSanitizer keeps freed blocks in a quarantine (256 MB by default) to catch late uses;
        # while it fills, resident memory climbs whatever the game does. A smaller one fills in the
        # first few thousand frames and still catches a use soon after a free. (The release build
        # ignores the variable.)
        env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS", ""), "quarantine_size_mb=16"]))
    err = open(state_log + ".stderr", "wb")
    # Standard output carries the audio layer's "Audio Error!" lines.
    with open(state_log + ".stdout", "wb") as out:
        return subprocess.Popen(cmd, stdout=out, stderr=err, env=env), err


def run_games(args, runs):
    """Runs the game once per (label, game, data, script, state log) side by side, sampling the
    memory of each; returns per run (exit code, stderr text, seconds, [(frame, rss_kb, seconds)])."""
    start = time.monotonic()
    procs = [start_game(args, *run[1:]) for run in runs]
    ended = [None] * len(procs)
    samples = [[] for _ in procs]
    while None in ended:
        for i, (proc, _) in enumerate(procs):
            if ended[i] is not None:
                continue
            if proc.poll() is not None:
                ended[i] = time.monotonic() - start
                continue
            kb = rss_kb(proc.pid)
            if kb is not None:
                samples[i].append((count_lines(runs[i][4]), kb, time.monotonic() - start))
        time.sleep(0.5)
    results = []
    for (proc, err), run, seconds, taken in zip(procs, runs, ended, samples):
        err.close()
        with open(run[4] + ".stderr", encoding="utf-8", errors="replace") as f:
            results.append((proc.returncode, f.read(), seconds, taken))
    return results


def memory_growth(samples, rss_from, frames):
    """(base kB, end kB, percent) from the peak of the first tenth of frames rss_from..frames to the
    peak of the last tenth, or None with too few samples. Samples from the shut-down are left out."""
    tenth = max(1, (frames - rss_from) // 10)
    playing = [s for s in samples if s[0] < frames]
    first = [kb for frame, kb, _ in playing if rss_from <= frame < rss_from + tenth]
    last = [kb for frame, kb, _ in playing if frame >= frames - tenth]
    if not first or not last:
        return None
    base, end = max(first), max(last)
    return base, end, 100.0 * (end - base) / base


def scene_frames(state_log):
    frames = {}
    with open(state_log, encoding="ascii") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2:
                frames[int(parts[1])] = frames.get(int(parts[1]), 0) + 1
    return frames


def input_frames(script_text):
    """The frames in which a script holds or places anything (its lines with tokens)."""
    frames, frame = set(), 0
    for raw in script_text.splitlines():
        line = raw.split("#", 1)[0].split()
        if not line or line[0] in ("qinput", "dt"):
            continue
        count = int(line[0])
        if len(line) > 1:
            frames.update(range(frame + 1, frame + count + 1))
        frame += count
    return frames


def check_play(label, state_log, sent, problems):
    """What a player would call broken (tools/watchcheck.py): soft-locks, flickers, Audio Error
    lines. Returns the counts."""
    try:
        with open(state_log + ".watch", encoding="ascii") as f:
            watch = f.read()
        with open(state_log + ".stdout", encoding="utf-8", errors="replace") as f:
            out = f.read()
    except OSError as e:
        problems.append(f"{label}: {e}")
        return {}
    found, counts = watchcheck.check(watch, out, sent, FRAME_TIME)
    problems.extend(f"{label}: {p}" for p in found)
    return counts


def check_run(label, args, data, code, err, state_log, expected, problems):
    if code != 0:
        problems.append(f"{label}: exit code {code}")
    reports = [line for line in err.splitlines() if SANITIZER.search(line)]
    if reports:
        problems.append(f"{label}: sanitizer report: {reports[0]} (see {state_log}.stderr)")
    frames = count_lines(state_log)
    if frames != args.frames:
        problems.append(f"{label}: state log has {frames} frames, not {args.frames}")
    log_path = os.path.join(user_data_home(data), "quillmarch", "output.log")
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


# The files the scene list reads, by scene index (the state log's numbering).
SCENE_FILES = ["empty.json", "SplashCorvan.json", "SplashFMOD.json", "SplashLullwick.json", "main_menu.json",
               "level1.json", "level2.json", "level3.json", "EndScene.json", "GameOver.json", "YouWin.json",
               "Credits.json", "Credits.json"]
EDITOR_SAVE = re.compile(r'Editor saved scene index (\d+) (to|as) "([^"]*)" \(the top bar named "([^"]*)"\): '
                         r'(\d+) records, read back the same, FNV-1a ([0-9a-f]{16})')
EDITOR_WRITE = re.compile(r'Editor wrote the (backup|attribute file) "([^"]*)" of "([^"]*)"')
# Files of the data folder the game itself writes, which the editor's promise is not about.
GAME_FILES = {"output.log", "Settings.lullwick"}


def fnv1a(data):
    h = 14695981039346656037
    for b in data:
        h = ((h ^ b) * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return f"{h:016x}"


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def files_under(root):
    found = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            found[os.path.relpath(path, root)] = path
    return found


def check_editor_writes(label, data, build_dir, started, problems):
    """The editor's promise about files, from its log lines and the data folder after the run.
    Returns (saves, other files the editor wrote)."""
    def real(path):
        return os.path.normpath(os.path.join(data, path))

    saves, writes = [], []
    try:
        with open(os.path.join(user_data_home(data), "quillmarch", "output.log"), encoding="utf-8",
                  errors="replace") as f:
            for line in f:
                if m := EDITOR_SAVE.search(line):
                    saves.append(m)
                elif m := EDITOR_WRITE.search(line):
                    writes.append(m)
    except OSError:
        return 0, 0
    scene_file = {i: real(os.path.join("Assets", "Levels", name)) for i, name in enumerate(SCENE_FILES)}
    last_hash, levels = {}, set()
    for m in saves:
        index, how, path, shown, hash_ = int(m.group(1)), m.group(2), real(m.group(3)), m.group(4), m.group(6)
        if how == "to" and path != real(shown):
            problems.append(f"{label}: a Save wrote {m.group(3)} while the top bar named {shown}")
        if how == "to" and index in scene_file and path != scene_file[index]:
            problems.append(f"{label}: scene {scene_name(index)} was saved over {m.group(3)}, not its own file")
        if how == "as":
            scene_file[index] = path
        last_hash[path] = hash_
        levels.add(path)
    # What each level file holds at the end is what the editor last wrote to it.
    for path, hash_ in last_hash.items():
        try:
            if fnv1a(read_bytes(path)) != hash_:
                problems.append(f"{label}: {os.path.relpath(path, data)} does not hold what the editor last saved")
        except OSError:
            problems.append(f"{label}: {os.path.relpath(path, data)} was saved and is gone")
    allowed = set(levels)
    for m in writes:
        path, level = real(m.group(2)), real(m.group(3))
        if m.group(1) == "backup" and path != os.path.splitext(level)[0] + ".autosave.json":
            problems.append(f"{label}: a backup of {m.group(3)} was written as {m.group(2)}")
        allowed.add(path)
    # Nothing else in the data folder changed: compare with the build's Assets.
    shipped = files_under(os.path.join(build_dir, "Assets"))
    present = files_under(os.path.join(data, "Assets"))
    for rel in shipped:
        if rel not in present:
            problems.append(f"{label}: Assets/{rel} was removed")
    for rel, path in present.items():
        same = rel in shipped and os.path.getmtime(path) < started and read_bytes(path) == read_bytes(shipped[rel])
        if not same and os.path.normpath(path) not in allowed:
            problems.append(f"{label}: Assets/{rel} was written, and the editor named no such file")
    for name in os.listdir(data):
        path = os.path.join(data, name)
        if os.path.isfile(path) and name not in GAME_FILES and name != "Config.lullwick" and \
                os.path.getmtime(path) >= started:
            problems.append(f"{label}: {name} was written in the data folder")
    return len(saves), len(writes)


def first_difference(a, b):
    la, lb = a.splitlines(), b.splitlines()
    return next((i for i, (x, y) in enumerate(zip(la, lb)) if x != y), min(len(la), len(lb))) + 1


def main():
    parser = argparse.ArgumentParser(description="Monkey soak of the built game.")
    parser.add_argument("--game", required=True, help="the quillmarch executable (its folder holds Assets)")
    parser.add_argument("--release-game", help="an optimised build without sanitizers: plays the same "
                        "script beside the others, and its resident memory is the one checked")
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
    script = os.path.join(work, "monkey.qinput")
    script_text = monkey.Monkey(args.seed, args.frames, args.editor).play()
    with open(script, "w", encoding="ascii") as f:
        f.write(script_text)
    sent = input_frames(script_text)
    expected = EXPECTED_ERRORS + args.expect
    config = "11" if args.editor else "10"

    problems = []
    # The replay runs beside the first run: the same script from a fresh data folder.
    games = [("run", args.game), ("replay", args.game)]
    if args.release_game:
        games.append(("release", args.release_game))
    runs = []
    for label, game in games:
        data = os.path.join(work, label)
        make_data_dir(data, os.path.dirname(os.path.abspath(game)), config, copy_assets=args.editor)
        runs.append((label, game, data, script, os.path.join(work, f"{label}.state")))
    started = time.time()
    outcomes = run_games(args, runs)
    results = {}
    editor_writes = {}
    play = {}
    for (label, game, data, _, state_log), (code, err, seconds, samples) in zip(runs, outcomes):
        errors = check_run(label, args, data, code, err, state_log, expected, problems)
        play[label] = check_play(label, state_log, sent, problems)
        results[label] = (seconds, errors, samples)
        if args.editor:
            build_dir = os.path.dirname(os.path.abspath(game))
            editor_writes[label] = check_editor_writes(label, data, build_dir, started, problems)
        with open(os.path.join(work, f"{label}.rss"), "w", encoding="ascii") as f:
            f.write("".join(f"{frame} {kb} {t:.1f}\n" for frame, kb, t in samples))

    logs = {}
    for label, _, _, _, state_log in runs:
        with open(state_log, "rb") as f:
            logs[label] = f.read()
    for label in logs:
        if label != "run" and logs[label] != logs["run"]:
            problems.append(f"{label}: state log differs from the first run's from frame "
                            f"{first_difference(logs['run'], logs[label])}")

    scenes = scene_frames(runs[0][4]) if os.path.exists(runs[0][4]) else {}
    level_frames = sum(n for index, n in scenes.items() if scene_name(index) in LEVELS)
    if level_frames == 0:
        problems.append("no level was played")

    print(f"soak: seed {args.seed}, {args.frames} frames, editor {'on' if args.editor else 'off'}, work {work}")
    print("  " + ", ".join(f"{label} {results[label][0]:.1f} s" for label in results) + "; frames per scene: "
          + ", ".join(f"{scene_name(k)} {v}" for k, v in sorted(scenes.items())))
    print(f"  expected ERROR patterns: {expected or 'none'}; unexpected ERROR lines: "
          + ", ".join(f"{label} {results[label][1]}" for label in results))
    print("  soft-locks (clock still with nothing shown; a screen no input moved), flickers, Audio Error lines: "
          + ", ".join(f"{label} {c.get('frozen', '?')}+{c.get('stuck', '?')}, {c.get('flickers', '?')}, "
                      f"{c.get('audio errors', '?')}" for label, c in play.items()))
    if editor_writes:
        print("  editor saves (and backups or attribute files) checked: "
              + ", ".join(f"{label} {saves} ({others})" for label, (saves, others) in editor_writes.items()))
    checked = "release" if args.release_game else "run"
    for label in ("run", "release"):
        if label not in results or not results[label][2]:
            continue
        samples = results[label][2]
        peak = max(kb for _, kb, _ in samples)
        line = (f"  VmRSS {label}: first {samples[0][1]} kB, peak {peak} kB, last {samples[-1][1]} kB "
                f"at frame ~{samples[-1][0]}, {len(samples)} samples")
        if args.frames > args.rss_from:
            growth = memory_growth(samples, args.rss_from, args.frames)
            if growth is None:
                if label == checked:
                    problems.append(f"{label}: too few memory samples after frame {args.rss_from}")
            else:
                base, end, percent = growth
                line += (f"; peak from frame {args.rss_from} {base} kB -> peak at the end {end} kB, "
                         f"{percent:+.2f}%{' (checked)' if label == checked else ''}")
                if label == checked and percent >= args.max_growth:
                    problems.append(f"{label}: resident memory grew {percent:.2f}% after frame {args.rss_from}")
        print(line)
    print("  state logs " + ", ".join(f"{label} {'identical' if logs[label] == logs['run'] else 'DIFFERENT'}"
                                      for label in logs if label != "run"))
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
