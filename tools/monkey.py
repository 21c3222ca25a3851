#!/usr/bin/python3
"""Writes a seeded random input script (.qinput) that plays the whole game: splash screens, menus,
levels, pause, overlays, developer level keys, pad and mouse, and the editor when asked.

    tools/monkey.py --seed 7 --frames 100000 > monkey.qinput
    tools/monkey.py --seed 7 --frames 5000 --editor -o monkey.qinput

The same seed and options always give the same bytes. The monkey is biased towards playing: it
skips the splash screens, reaches a level through the menus or the developer keys (Ctrl+L+1/2/3)
and spends most of its frames walking, picking up and throwing, with pauses, menu visits and
trips back to the menus in between.

It never asks the game to stop: F8 is never pressed, the mouse never clicks where the quit
dialog's "yes" sits, and the arrow keys and the pad's d-pad (which move a menu's selection, and
so could reach "yes") are pressed only a few steps at a time, always followed by Enter on a menu
that a click has just opened fresh. A click on the dialog's "no" closes a dialog that opened
anyway. Window pixels assume the 1280x720 window of a headless run, where one world unit of the
menus is one pixel with the origin at the window's centre.
"""

import argparse
import random
import sys

WIDTH, HEIGHT = 1280, 720


def ui_pixel(x, y):
    """The window pixel over a menu point (menus are pinned to the screen, origin at the centre)."""
    return int(WIDTH / 2 + x), int(HEIGHT / 2 - y)


# Menu buttons by their menu coordinates (their centres).
MAIN_MENU = {"play": (0, 200), "levels": (0, 100), "controls": (0, 0), "options": (0, -100), "credits": (0, -200)}
LEVEL_PICTURES = [(-350, 0), (0, 0), (350, 0)]
LEVEL_SELECT_BACK = (0, -300)
PAUSE_MENU = {"resume": (0, 100), "options": (0, 25), "credits": (0, -50), "controls": (0, -125)}
QUIT_NO = (150, -100)
# The quit dialog's "yes" (-150, -100, 50 wide) with a wide margin: no click ever lands in here.
QUIT_YES_BOX = (-200, -150, -100, -50)  # x0, y0, x1, y1 in menu units

# The editor's own windows at 1280x720 (see tests/e2e/scripts/editor_session.qinput).
EDITOR_RUN = (175, 35)
EDITOR_STOP = (24, 35)
EDITOR_SAVE = (26, 35)
EDITOR_SAVE_AS = (227, 35)
SAVE_AS_DIALOG_SAVE = (540, 362)  # the Save As dialog's own "Save", under the name it offers
EDITOR_TOOLS = [(18, 110), (18, 422), (18, 445), (18, 468), (18, 491), (18, 537), (160, 445)]

MOVE_KEYS = ["W", "A", "S", "D"]
# Keys a player may lean on that do nothing harmful; F8 (leave at once) is never among them.
SPARE_KEYS = ["SPACE", "SHIFT", "TAB", "H", "E", "Q", "F", "1", "2", "3", "F1", "F11", "BACKSPACE", "R"]
PAD_BUTTONS = ["PAD_A", "PAD_B", "PAD_X", "PAD_Y", "PAD_LB", "PAD_RB", "PAD_BACK", "PAD_LTHUMB", "PAD_RTHUMB"]


def in_quit_yes_box(px, py):
    x, y = px - WIDTH / 2, HEIGHT / 2 - py
    x0, y0, x1, y1 = QUIT_YES_BOX
    return x0 <= x <= x1 and y0 <= y <= y1


# The editor's "Prove" (top bar, right of "Save As"): a scripted session waits for the solver's
# verdict, which can take minutes, so the monkey never clicks there.
PROVE_BOX = (255, 20, 320, 50)


def in_prove_box(px, py):
    x0, y0, x1, y1 = PROVE_BOX
    return x0 <= px <= x1 and y0 <= py <= y1


class Script:
    def __init__(self, frames):
        self.budget = frames
        self.frames = 0
        self.lines = []

    def full(self):
        return self.frames >= self.budget

    def add(self, count, *tokens):
        count = min(count, self.budget - self.frames)
        if count <= 0:
            return
        self.lines.append(" ".join([str(count)] + [t for t in tokens if t]))
        self.frames += count

    def comment(self, text):
        self.lines.append("# " + text)

    def raw(self, line):
        self.lines.append(line)

    def text(self):
        return "qinput 1\n" + "\n".join(self.lines) + "\n"


class Monkey:
    def __init__(self, seed, frames, editor):
        self.rng = random.Random(seed)
        self.s = Script(frames)
        self.editor = editor

    # ---- small gestures -----------------------------------------------------------------------

    def tap(self, *tokens, hold=1, after=None):
        self.s.add(hold, *tokens)
        self.s.add(after if after is not None else self.rng.randint(2, 8))

    def click_menu(self, point, after=None):
        px, py = ui_pixel(*point)
        # The cursor goes in place a frame before the press, as the game reads it after each frame.
        self.s.add(1, f"mouse={px},{py}")
        self.tap("LMB", hold=2, after=after)

    def random_pixel(self):
        while True:
            px, py = self.rng.randrange(WIDTH), self.rng.randrange(HEIGHT)
            if not in_quit_yes_box(px, py) and not in_prove_box(px, py):
                return px, py

    def idle(self, lo, hi):
        self.s.add(self.rng.randint(lo, hi))

    # ---- phases -------------------------------------------------------------------------------

    def wander(self):
        """Walk about: keys or the stick, aim with the mouse, pick up, drop and throw."""
        r = self.rng
        for _ in range(r.randint(2, 8)):
            roll = r.random()
            extra = []
            if r.random() < 0.3:
                px, py = self.random_pixel()
                extra.append(f"mouse={px},{py}")
            if roll < 0.55:
                keys = r.sample(MOVE_KEYS, r.choice([1, 1, 2, 2, 3]))
                if r.random() < 0.15:
                    keys.append(r.choice(SPARE_KEYS))
                self.s.add(r.randint(5, 90), *keys, *extra)
            elif roll < 0.7:
                x, y = round(r.uniform(-1, 1), 2), round(r.uniform(-1, 1), 2)
                aim = f"rstick={round(r.uniform(-1, 1), 2)},{round(r.uniform(-1, 1), 2)}" if r.random() < 0.4 else ""
                self.s.add(r.randint(5, 90), f"lstick={x},{y}", aim, *extra)
            elif roll < 0.8:
                # Pick up or put down, with the right button or the pad.
                self.tap(r.choice(["RMB", "RMB", "PAD_A", "PAD_LB", "lt=1"]), *extra, hold=r.randint(1, 3))
            elif roll < 0.9:
                # Wind up and throw: hold the left button (or the pad's trigger) and let go.
                px, py = self.random_pixel()
                self.s.add(1, f"mouse={px},{py}")
                if r.random() < 0.6:
                    self.tap("LMB", r.choice(MOVE_KEYS), hold=r.randint(3, 60))
                else:
                    self.tap(r.choice(["rt=1", "PAD_RB", "PAD_B"]), f"rstick={round(r.uniform(-1, 1), 2)},0.5",
                             hold=r.randint(3, 60))
            elif roll < 0.95:
                self.tap(r.choice(PAD_BUTTONS + SPARE_KEYS), hold=r.randint(1, 5))
            else:
                self.idle(5, 60)

    def pause(self):
        """Pause (Escape, P or Start: the release counts), look at the pause menu, resume."""
        r = self.rng
        key = r.choice(["ESCAPE", "P", "PAD_START"])
        self.tap(key, hold=r.randint(1, 4), after=r.randint(5, 40))
        roll = r.random()
        if roll < 0.35:
            self.tap(key, after=r.randint(3, 20))  # unpause the same way
        elif roll < 0.55:
            self.click_menu(PAUSE_MENU["resume"], after=r.randint(3, 20))
        elif roll < 0.8:
            # An overlay of the pause menu: options or controls, then Enter on its first button.
            self.click_menu(PAUSE_MENU[r.choice(["options", "controls"])], after=r.randint(5, 30))
            for _ in range(r.randint(0, 2)):
                self.tap("ENTER", after=r.randint(3, 15))
            self.tap(r.choice(["ESCAPE", "P"]), after=r.randint(3, 20))
        else:
            # Leave the level for the credits; the dialog's first button answers.
            self.click_menu(PAUSE_MENU["credits"], after=r.randint(5, 20))
            self.tap("ENTER", after=r.randint(20, 120))
            self.skip_screens()

    def menu_nav(self):
        """Move a fresh menu's selection a few steps with keys or the d-pad and press it."""
        r = self.rng
        # A click on "levels" opens the level select fresh (or throws, in a level).
        self.click_menu(MAIN_MENU["levels"], after=r.randint(40, 80))
        down, enter = r.choice([("DOWN", "ENTER"), ("RIGHT", "ENTER"), ("PAD_DOWN", "PAD_A"), ("PAD_RIGHT", "PAD_A")])
        for _ in range(r.randint(0, 2)):
            self.tap(down, after=r.randint(2, 6))
        self.tap(enter, after=r.randint(60, 120))

    def menus_to_level(self):
        """From the main menu to a level, by clicks."""
        r = self.rng
        roll = r.random()
        if roll < 0.4:
            self.click_menu(MAIN_MENU["play"], after=r.randint(60, 120))
        elif roll < 0.8:
            self.click_menu(MAIN_MENU["levels"], after=r.randint(30, 80))
            self.click_menu(r.choice(LEVEL_PICTURES), after=r.randint(60, 120))
        else:
            self.menu_nav()

    def menu_visit(self):
        """The main menu's overlays and screens that are not levels."""
        r = self.rng
        name = r.choice(["controls", "options", "credits", "levels"])
        self.click_menu(MAIN_MENU[name], after=r.randint(20, 60))
        if name == "options":
            for _ in range(r.randint(0, 3)):
                self.tap(r.choice(["ENTER", "DOWN"]), after=r.randint(3, 15))
        elif name == "levels":
            self.click_menu(LEVEL_SELECT_BACK, after=r.randint(20, 60))
        self.tap(r.choice(["ENTER", "ESCAPE", "PAD_B", "PAD_A"]), after=r.randint(20, 60))
        self.skip_screens()

    def developer_keys(self):
        """Ctrl+L+1/2/3 jumps to a level, now and then Ctrl+Y+N to the win screen, Ctrl+H the HUD."""
        r = self.rng
        roll = r.random()
        if roll < 0.75:
            digit = str(r.randint(1, 3))
            self.s.add(2, "CTRL", "L")
            self.tap("CTRL", "L", digit, hold=2, after=r.randint(40, 100))
        elif roll < 0.85:
            self.s.add(2, "CTRL", "Y")
            self.tap("CTRL", "Y", "N", hold=2, after=r.randint(40, 100))
            self.skip_screens()
        else:
            self.s.add(2, "CTRL")
            self.tap("CTRL", "H", hold=2)

    def skip_screens(self):
        """Splash, end, game-over and win screens give way to Enter, Space, a click or the pad."""
        r = self.rng
        for _ in range(r.randint(1, 3)):
            self.tap(r.choice(["ENTER", "SPACE", "PAD_A", "PAD_START", "LMB"]), after=r.randint(30, 90))

    def close_stray_dialog(self):
        """A quit dialog that opened anyway is answered "no" by a click."""
        self.click_menu(QUIT_NO, after=self.rng.randint(3, 10))

    def frame_time(self):
        """Frame times other than the run's: short frames, long ones (the game caps them) and zero."""
        self.s.raw(f"dt {self.rng.choice(['0.01', '0.016', '0.02', '0.033', '0.05', '0.25', '0'])}")
        self.idle(1, 30)
        self.s.raw("dt 0.02")

    def editor_step(self):
        """Stop the level, pick a tool, click into the world a few times, delete, save, run again."""
        r = self.rng
        # Stopped, the top bar's first button is "Save" where "Stop" sits while running: press Run
        # first (past the running bar's end, so a click there while running does nothing).
        self.editor_run()
        self.s.add(1, "mouse=%d,%d" % EDITOR_STOP)
        self.tap("LMB", hold=2, after=r.randint(3, 10))
        for _ in range(r.randint(1, 4)):
            self.s.add(1, "mouse=%d,%d" % r.choice(EDITOR_TOOLS))
            self.tap("LMB", hold=2, after=3)
            self.s.add(1, f"mouseworld={r.randint(-600, 600)},{r.randint(-400, 400)}")
            self.tap("LMB", hold=r.randint(1, 20), after=3)
            if r.random() < 0.3:
                self.tap("DELETE", after=3)
        # Save what was made (the top bar's file), now and then through Save As under the name the
        # dialog offers.
        roll = r.random()
        if roll < 0.5:
            self.editor_click(EDITOR_SAVE)
        elif roll < 0.7:
            self.editor_click(EDITOR_SAVE_AS)
            self.editor_click(SAVE_AS_DIALOG_SAVE)
        self.editor_run()

    def editor_click(self, pixel):
        self.s.add(1, "mouse=%d,%d" % pixel)
        self.tap("LMB", hold=2, after=self.rng.randint(3, 8))

    def editor_run(self):
        self.s.add(1, "mouse=%d,%d" % EDITOR_RUN)
        self.tap("LMB", hold=2, after=self.rng.randint(10, 30))

    # ---- the whole run ------------------------------------------------------------------------

    def play(self):
        s, r = self.s, self.rng
        s.comment("monkey soak: seeded random play")
        s.raw("dt 0.02")
        if self.editor:
            # The editor opens over a stopped game: Run first.
            s.add(10)
            self.editor_run()
        s.add(20)
        self.skip_screens()
        self.menus_to_level()
        phases = [
            (self.wander, 50), (self.pause, 10), (self.developer_keys, 8), (self.menus_to_level, 6),
            (self.menu_visit, 4), (self.menu_nav, 3), (self.skip_screens, 4), (self.close_stray_dialog, 3),
            (self.frame_time, 3),
        ]
        if self.editor:
            # Editing steps often enough that a soak saves many times (the editor's file promise).
            phases += [(self.editor_step, 12), (self.editor_run, 4)]
        actions = [p for p, _ in phases]
        weights = [w for _, w in phases]
        while not s.full():
            r.choices(actions, weights)[0]()
        return s.text()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--frames", type=int, default=5000)
    parser.add_argument("--editor", action="store_true", help="also drive the editor (config 01 or 11)")
    parser.add_argument("-o", "--output", help="write here instead of standard output")
    args = parser.parse_args()
    text = Monkey(args.seed, args.frames, args.editor).play()
    if args.output:
        with open(args.output, "w", encoding="ascii") as out:
            out.write(text)
    else:
        sys.stdout.write(text)


if __name__ == "__main__":
    main()
