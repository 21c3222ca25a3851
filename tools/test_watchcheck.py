#!/usr/bin/python3
"""The soak's checks (tools/watchcheck.py) on crafted watch logs: each kind of breakage is found,
and the sound runs around it are not flagged."""

import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import watchcheck  # noqa: E402

DT = 0.02
MENU, LEVEL, END = 4, 5, 8


def line(frame, scene, time, paused=0, shown=0, screen="00000000000000aa", states=None):
    states = states or {}
    items = "".join(f" {name}={state}" for name, state in states.items())
    return f"{frame} {scene} {time:.4f} {paused} {shown} {screen} {len(states)}{items}\n"


def level_run(frames, start=1, scene=LEVEL, t0=0.0, clock=True, **kw):
    """`frames` lines of a level whose clock runs (or stands still), from frame `start`."""
    out = []
    for i in range(frames):
        t = t0 + (i * DT if clock else 0.0)
        out.append(line(start + i, scene, t, **kw))
    return "".join(out)


def everything(text):
    """Every frame of the log, as frames in which input was sent."""
    return {entry.frame for entry in watchcheck.read_watch_log(text)}


class FrozenTest(unittest.TestCase):
    def test_a_clock_standing_still_for_five_seconds_with_nothing_shown_is_a_soft_lock(self):
        log = level_run(100) + level_run(260, start=101, t0=99 * DT, clock=False, paused=1)
        found = watchcheck.find_frozen(watchcheck.read_watch_log(log), DT)
        self.assertEqual(len(found), 1)
        first, last, scene = found[0]
        self.assertEqual((first, last, scene), (101, 360, LEVEL))

    def test_a_pause_menu_or_a_short_stop_is_not(self):
        paused_with_menu = level_run(100) + level_run(400, start=101, t0=99 * DT, clock=False, paused=1, shown=1)
        short = level_run(100) + level_run(240, start=101, t0=99 * DT, clock=False, paused=1) + \
            level_run(100, start=341, t0=100 * DT)
        for log in (paused_with_menu, short):
            self.assertEqual(watchcheck.find_frozen(watchcheck.read_watch_log(log), DT), [])

    def test_a_scene_change_breaks_the_stretch(self):
        log = level_run(200, clock=False) + level_run(200, start=201, scene=END, clock=False)
        self.assertEqual(watchcheck.find_frozen(watchcheck.read_watch_log(log), DT), [])


class StuckTest(unittest.TestCase):
    def test_a_screen_no_input_moves_for_thirty_seconds_is_a_soft_lock(self):
        log = level_run(1600, scene=END)
        lines = watchcheck.read_watch_log(log)
        found = watchcheck.find_stuck(lines, set(range(100, 110)), DT)
        self.assertEqual(found, [(2, 1600, END)])

    def test_a_screen_that_changes_a_level_or_a_screen_left_alone_is_not(self):
        changing = "".join(line(f, MENU, f * DT, screen=f"{f // 1000:016x}") for f in range(1, 2500))
        level = level_run(2000, scene=LEVEL)
        alone = level_run(2000, scene=END)
        self.assertEqual(watchcheck.find_stuck(watchcheck.read_watch_log(changing), set(range(1, 2500)), DT), [])
        self.assertEqual(watchcheck.find_stuck(watchcheck.read_watch_log(level), set(range(1, 2000)), DT), [])
        self.assertEqual(watchcheck.find_stuck(watchcheck.read_watch_log(alone), set(), DT), [])


class FlickerTest(unittest.TestCase):
    def test_two_states_in_turn_for_ten_frames_is_a_flicker(self):
        log = "".join(line(f, LEVEL, f * DT, states={"Player_1": 2, "Enemy_2": 5 if f < 20 or f % 2 else 7})
                      for f in range(1, 60))
        found = watchcheck.find_flickers(watchcheck.read_watch_log(log))
        self.assertEqual(len(found), 1)
        name, first, last, a, b = found[0]
        self.assertEqual((name, a, b), ("Enemy_2", 5, 7))
        self.assertEqual(first, 19)
        self.assertEqual(last, 59)

    def test_nine_frames_of_it_or_a_chain_of_three_states_is_not(self):
        nine = [2, 2, 8, 2, 8, 2, 8, 2, 8, 2, 2, 2]  # nine frames alternate: 2 8 2 8 2 8 2 8 2
        chain = [2, 3, 4, 5, 6, 7, 2, 3, 4, 5, 6, 7, 2, 3]
        steady = [1, 2, 2, 2, 3, 3, 7, 2, 2]
        for states in (nine, chain, steady):
            log = "".join(line(f + 1, LEVEL, f * DT, states={"Player_1": s}) for f, s in enumerate(states))
            self.assertEqual(watchcheck.find_flickers(watchcheck.read_watch_log(log)), [], states)

    def test_ten_frames_are_enough(self):
        ten = [2, 8, 2, 8, 2, 8, 2, 8, 2, 8]
        log = "".join(line(f + 1, LEVEL, f * DT, states={"Player_1": s}) for f, s in enumerate(ten))
        self.assertEqual(watchcheck.find_flickers(watchcheck.read_watch_log(log)), [("Player_1", 1, 10, 2, 8)])

    def test_a_restart_starts_the_object_afresh(self):
        # Five frames before a restart and five after: never ten in one run of the scene.
        states = [2, 8, 2, 8, 2, 8, 2, 8, 2, 8]
        log = "".join(line(f + 1, LEVEL, (f % 5) * DT, states={"Player_1": s}) for f, s in enumerate(states))
        self.assertEqual(watchcheck.find_flickers(watchcheck.read_watch_log(log)), [])


class AudioErrorTest(unittest.TestCase):
    def test_any_audio_error_line_counts(self):
        self.assertEqual(watchcheck.find_audio_errors("frame\nAudio Error! 31\nok\n"), ["Audio Error! 31"])
        self.assertEqual(watchcheck.find_audio_errors("all well\n"), [])


class WholeCheckTest(unittest.TestCase):
    def test_a_sound_run_passes_and_each_fault_is_named(self):
        sound = level_run(400, states={"Player_1": 2})
        problems, counts = watchcheck.check(sound, "", everything(sound), DT)
        self.assertEqual(problems, [])
        self.assertEqual(counts, {"frozen": 0, "stuck": 0, "flickers": 0, "audio errors": 0})

        broken = level_run(300, clock=False) + \
            "".join(line(300 + f, LEVEL, f * DT, states={"Player_1": 2 + 6 * (f % 2)}) for f in range(1, 20))
        problems, counts = watchcheck.check(broken, "Audio Error! 4\n", everything(broken), DT)
        self.assertEqual(counts, {"frozen": 1, "stuck": 0, "flickers": 1, "audio errors": 1})
        self.assertTrue(any(p.startswith("soft-lock") for p in problems))
        self.assertTrue(any(p.startswith("flicker: Player_1") for p in problems))
        self.assertTrue(any("Audio Error!" in p for p in problems))

    def test_the_command_line_fails_on_a_broken_log(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "run.watch")
            with open(path, "w", encoding="ascii") as f:
                f.write(level_run(300, clock=False))
            tool = os.path.join(os.path.dirname(os.path.abspath(__file__)), "watchcheck.py")
            result = subprocess.run([sys.executable, tool, path], capture_output=True, text=True)
            self.assertEqual(result.returncode, 1)
            self.assertIn("soft-lock", result.stdout)

    def test_a_malformed_line_is_refused(self):
        with self.assertRaises(ValueError):
            watchcheck.read_watch_log("1 5 0.0 0 0 00000000000000aa 2 Player_1=2\n")


if __name__ == "__main__":
    unittest.main()
