#!/usr/bin/python3
"""Generates the thirteen scene files of the game under Assets/Levels/.

Every scene of the scene list is one level file: the splash screens, the main menu, the three
levels, the end scene, the game-over and win screens and the credits. The scenes are described
below as data and written in exactly the layout the game's own level writer produces (tabs, key
order, number form), so loading a file and saving it again in the editor leaves it unchanged.

    /usr/bin/python3 tools/gen_levels.py [--out DIR]

Running it again gives the same bytes.
"""

import argparse
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# ----------------------------------------------------------------------------------------------
# The level writer's layout
# ----------------------------------------------------------------------------------------------

# Object type words and the name prefixes the archetype factory gives each kind.
PREFIX = {
    "Player": "Player_", "Food": "Food_", "Enemy": "Enemy_", "Vent": "Vent_", "Cover": "Cover_",
    "Glass": "Glass_", "Wall": "Wall_", "Collection": "Collection_", "Background": "background_",
    "Text": "Text_", "Kill_zone": "Killzone_", "Escapebarrier": "Escapebarrier_",
    "Escapezone": "Escapezone_", "Node": "Node_", "UI": "UI_", "Light": "Light_",
}
DIRECTIONS = ("UP", "DOWN", "LEFT", "RIGHT")


def num(value):
    """A float in the stream's default form: six significant digits, shortest of fixed and
    exponent notation (0.5, 100, 1e+06)."""
    return "%g" % float(value)


def flag(value):
    return "true" if value else "false"


def pair(key, value):
    return '"%s":"%s"' % (key, value)


def comma_break(n):
    return ",\n" + "\t" * n


def line_break(n):
    return "\n" + "\t" * n


def emitter_block(e):
    pairs = [
        ("Type", {0: "Circle", 1: "Line"}.get(e["shape"], "invalid")),
        ("Duration", num(e["duration"])),
        ("Loop", flag(e["loop"])),
        ("Active", flag(e["active"])),
        ("Emmition_Rate", num(e["rate"])),
        ("Particles_Per_Emition", str(int(e["per_burst"]))),
        ("Life_Time_Min", num(e["life"][0])), ("Life_Time_Max", num(e["life"][1])),
        ("Velocity_Min", num(e["velocity"][0])), ("Velocity_Max", num(e["velocity"][1])),
        ("Acceleration_Min", num(e["acceleration"][0])), ("Acceleration_Max", num(e["acceleration"][1])),
        ("Rotation_Min", num(e["rotation"][0])), ("Rotation_Max", num(e["rotation"][1])),
        ("Direction_Min", num(e["direction"][0])), ("Direction_Max", num(e["direction"][1])),
        ("Scale_Min", num(e["scale"][0])), ("Scale_Max", num(e["scale"][1])),
        ("Max_Particles", str(int(e["max"]))),
        ("Slow_To_Zero", "1" if e["slow_to_zero"] else "0"),
        ("Deceleration", num(e["deceleration"])),
        ("Texture", e["texture"]),
    ]
    return "{" + line_break(5) + "".join(pair(k, v) + comma_break(5) for k, v in pairs)


def filter_block(f):
    kind = f["kind"]
    out = "{" + line_break(6) + pair("Filter_Type", {1: "BW", 2: "RGBA"}.get(kind, "")) + comma_break(6)
    if kind == 1:
        out += pair("Saturation", num(f["saturation"])) + line_break(5)
    elif kind == 2:
        r, g, b, a = f["color"]
        out += (pair("R", num(r)) + comma_break(6) + pair("G", num(g)) + comma_break(6)
                + pair("B", num(b)) + comma_break(6) + pair("A", num(a)) + line_break(5))
    return out


def object_block(o, last):
    """One object. The last object of the list is laid out slightly differently by the writer."""
    kind = o["type"]
    out = "{" + line_break(4)
    for key, value in (("ID", o["id"]), ("Type", kind), ("TranslationX", num(o["x"])),
                       ("TranslationY", num(o["y"])), ("ScaleX", num(o["sx"])),
                       ("ScaleY", num(o["sy"])), ("Rotation", num(o.get("rotation", 0)))):
        out += pair(key, value) + comma_break(4)
    texture = o.get("texture", "")
    if texture == "":
        for key, value in zip(("RColor", "GColor", "BColor", "AColor"), o.get("color", (0, 0, 0, 1))):
            out += pair(key, num(value)) + comma_break(4)
    else:
        out += pair("TextureiD", texture) + comma_break(4)

    emitters = ""
    if o.get("emitters"):
        emitters = '"ParticleEmmitters":[' + line_break(4)
        blocks = [emitter_block(e) for e in o["emitters"]]
        emitters += "".join(b + "}," + line_break(4) for b in blocks[:-1])
        emitters += blocks[-1] + "}]," + line_break(4)
    direction = ""
    if kind == "Escapezone":
        d = o.get("direction", 0)
        direction = pair("Escape_Direction", DIRECTIONS[d] if 0 <= d <= 3 else "") + comma_break(5)
    fixed = pair("Fixed_To_Screen", flag(o.get("fixed", False)))

    if last:
        out += emitters + direction + fixed + comma_break(3)
        if kind == "Text":
            out += "\t" + pair("Text", o.get("text", "")) + line_break(3)
        if kind in ("Node", "Enemy", "Text"):
            out += "\t" + pair("NextID", o.get("next", "")) + line_break(3)
    else:
        out += fixed + comma_break(3) + emitters + direction
        if kind == "Text":
            out += pair("Text", o.get("text", "")) + comma_break(3)
        if kind in ("Node", "Enemy", "Text"):
            out += pair("NextID", o.get("next", "")) + comma_break(3)

    if o.get("filters"):
        blocks = [filter_block(f) for f in o["filters"]]
        out += '"Filters": [' + line_break(5)
        out += "".join(b + "}," + line_break(5) for b in blocks[:-1])
        out += blocks[-1] + "}" + line_break(4) + "]," + line_break(4)
    light = o.get("light")
    if light is not None:
        out += '"Light":{' + line_break(5)
        for key in ("Intensity", "R", "G", "B", "FallOffStart"):
            out += pair(key, num(light[key])) + comma_break(5)
        out += pair("FallOffEnd", num(light["FallOffEnd"])) + line_break(4)
        out += "}" + (line_break(3) if last else line_break(4))
    out += ("}" + line_break(2)) if last else ("}," + line_break(3))
    return out


def level_text(level):
    out = "{" + line_break(1) + '"Level"' + ":{" + line_break(2)
    for key, value in (("Food_Goal", str(int(level.get("food_goal", 0)))),
                       ("S_Rank", num(level.get("ranks", (0, 0, 0))[0])),
                       ("A_Rank", num(level.get("ranks", (0, 0, 0))[1])),
                       ("B_Rank", num(level.get("ranks", (0, 0, 0))[2])),
                       ("Lives", str(int(level.get("lives", 0))))):
        out += pair(key, value) + comma_break(2)
    for key, value in zip(("AmbientR", "AmbientG", "AmbientB", "AmbientI"),
                          level.get("ambient", (0, 0, 0, 1))):
        out += pair(key, num(value)) + comma_break(2)
    out += '"Textures":[' + ", ".join('"%s"' % t for t in level.get("textures", [])) + "],"
    out += line_break(2) + '"Attributes": [' + ",".join('"%s"' % a for a in level.get("attributes", [])) + "],"
    out += line_break(2) + '"Objects": [' + line_break(3)
    objects = level.get("objects", [])
    for i, o in enumerate(objects):
        out += object_block(o, i == len(objects) - 1)
    out += "]," + line_break(2) + '"Tiles":[' + line_break(3)
    out += "]" + line_break(1) + "}" + "\n" + "}"
    return out


# ----------------------------------------------------------------------------------------------
# Building object lists
# ----------------------------------------------------------------------------------------------

class Scene:
    """Collects object records in order and names them as the factory numbers objects: each
    record's number is its place in the list, so objects placed later in the editor continue the
    numbering."""

    def __init__(self):
        self.objects = []
        self.names = {}

    def add(self, kind, x, y, sx, sy, key=None, **fields):
        record = {"type": kind, "x": x, "y": y, "sx": sx, "sy": sy}
        record.update(fields)
        record["id"] = PREFIX[kind] + str(len(self.objects))
        if key is not None:
            self.names[key] = record["id"]
        self.objects.append(record)
        return record

    def link(self):
        """Turns symbolic "next" keys into object names."""
        for o in self.objects:
            if o.get("next"):
                o["next"] = self.names[o["next"]]
        return self.objects


# The camera sits at z = -1000 with a 45 degree vertical field of view, so at the backgrounds'
# depth it sees about 830 world units high and, at 16:9, about 1475 wide.
SCREEN_W, SCREEN_H = 1480, 832

FONTS = ["FontSheet.png", "FontSheet_Black.png"]


def picture_scene(texture, extra_textures=()):
    """A full-screen picture: one background centred on the camera's start position."""
    s = Scene()
    s.add("Background", 0, 0, SCREEN_W, SCREEN_H, texture=texture)
    # Full white ambient light at full intensity shows the picture exactly as drawn.
    return {"ambient": (1, 1, 1, 1), "textures": [texture] + list(extra_textures), "objects": s.link()}


# ----------------------------------------------------------------------------------------------
# The three levels
# ----------------------------------------------------------------------------------------------

LEVEL_TEXTURES = [
    "player.png", "hitCircle.png", "food.png", "enemy.png", "wall.png", "vent.png", "cover.png",
    "collection.png", "patrolPoint.png", "lightbulb.png", "footstep.png", "footstep2.png",
    "dust.png", "exclaim.png", "madfoot.png", "questionMark.png", "star.png",
] + FONTS

WALL = 50  # wall thickness


def crumbs_emitter():
    """A slow sparkle over the collection zone that shows where food goes."""
    return {"shape": 0, "texture": "star.png", "duration": 1, "loop": True, "active": True,
            "rate": 0.4, "per_burst": 2, "life": (0.8, 1.6), "velocity": (10, 30),
            "acceleration": (0, 0), "rotation": (0, 360), "direction": (0, 360), "scale": (8, 16),
            "max": 24, "slow_to_zero": True, "deceleration": 0.97}


def room_walls(width, height, exit_y, exit_size):
    """The four walls around the rectangle (0, 0)-(width, height) as (x, y, width, height), with a
    gap in the right-hand wall centred at exit_y for the escape barrier."""
    half = WALL / 2
    below = exit_y - exit_size / 2
    above = height - (exit_y + exit_size / 2)
    return [(width / 2, height + half, width + 2 * WALL, WALL),
            (width / 2, -half, width + 2 * WALL, WALL),
            (-half, height / 2, WALL, height),
            (width + half, below / 2, WALL, below),
            (width + half, height - above / 2, WALL, above)]


FLOOR_TILE = 512  # the floor pictures are tileable squares of 512 pixels, drawn one unit a pixel


def floor_tiles(s, texture, width, height):
    """Covers the rectangle (-100, -100)-(width + 200, height + 100) with floor squares, so no black
    shows at the edges and the floor keeps its drawn scale."""
    left, bottom = -100, -100
    columns = -(-(width + 300) // FLOOR_TILE)
    rows = -(-(height + 200) // FLOOR_TILE)
    for j in range(rows):
        for i in range(columns):
            s.add("Background", left + FLOOR_TILE * (i + 0.5), bottom + FLOOR_TILE * (j + 0.5),
                  FLOOR_TILE, FLOOR_TILE, texture=texture)


def wall_pictures(s, walls):
    """Walls show only as collision outlines, so each one gets a row of brick squares drawn over the
    floor on the background layer (the later picture wins at equal depth)."""
    for (x, y, sx, sy) in walls:
        n = max(1, round(max(sx, sy) / WALL))
        for k in range(n):
            t = (k + 0.5) / n - 0.5
            px, py = (x + t * sx, y) if sx >= sy else (x, y + t * sy)
            s.add("Background", px, py, sx / n if sx >= sy else sx, sy if sx >= sy else sy / n,
                  texture="wall.png")


# A box is only tested against circles within 500 units of its centre or a corner, so a wall longer
# than about 1,900 units has a stretch in its middle that nothing collides with. Long walls are laid
# as several shorter pieces.
MAX_WALL_PIECE = 1800


def split_long_walls(walls):
    pieces = []
    for (x, y, sx, sy) in walls:
        length = max(sx, sy)
        n = max(1, -(-int(length) // MAX_WALL_PIECE))
        for k in range(n):
            t = (k + 0.5) / n - 0.5
            if sx >= sy:
                pieces.append((x + t * sx, y, sx / n, sy))
            else:
                pieces.append((x, y + t * sy, sx, sy / n))
    return pieces


def level(layout):
    width, height = layout["size"]
    walls = split_long_walls(room_walls(width, height, layout["exit_y"], 200) + layout["inner_walls"])
    s = Scene()
    floor_tiles(s, layout["floor"], width, height)
    wall_pictures(s, walls)
    for (x, y, sx, sy) in walls:
        s.add("Wall", x, y, sx, sy)
    for (x, y, sx, sy, rotation) in layout["covers"]:
        s.add("Cover", x, y, sx, sy, rotation=rotation, texture="cover.png",
              filters=[{"kind": 2, "color": (0, 0, 0, 1)}])
    for (x, y, rotation) in layout["vents"]:
        s.add("Vent", x, y, 50, 50, rotation=rotation, texture="vent.png",
              filters=[{"kind": 2, "color": (0, 0, 0, 0.5)}])
    cx, cy = layout["collection"]
    s.add("Collection", cx, cy, 200, 150, texture="collection.png", emitters=[crumbs_emitter()])
    for (x, y) in layout["food"]:
        s.add("Food", x, y, 20, 20, texture="food.png")
    s.add("Escapebarrier", width + WALL / 2, layout["exit_y"], WALL, 200, texture="vent.png")
    s.add("Escapezone", width + WALL + 50, layout["exit_y"], 100, 200, texture="vent.png",
          direction=DIRECTIONS.index("RIGHT"))
    for g, (start, patrol) in enumerate(layout["guards"]):
        names = ["guard%d_node%d" % (g, n) for n in range(len(patrol))]
        for n, (x, y) in enumerate(patrol):
            # The last node names no successor: the guard walks the path forth and back.
            following = names[n + 1] if n + 1 < len(patrol) else ""
            s.add("Node", x, y, 20, 20, key=names[n], texture="patrolPoint.png", next=following)
        s.add("Enemy", start[0], start[1], 60, 30, texture="enemy.png", next=names[0])
    lx, ly = layout["light"]
    s.add("Light", lx, ly, 50, 50, texture="lightbulb.png",
          light={"Intensity": 1.5, "R": 1, "G": 0.85, "B": 0.6, "FallOffStart": 150, "FallOffEnd": 600})
    px, py = layout["player"]
    s.add("Player", px, py, 43, 116, texture="player.png")
    objects = s.link()
    return {
        "food_goal": layout["goal"], "ranks": layout["ranks"], "lives": 3,
        # The player's and the guards' tuning, read from Assets/Attributes/ when the level starts
        # (written by `quillmarch-level attributes Assets/Attributes`).
        "attributes": ["player", "human"],
        "ambient": layout["ambient"],
        "textures": [layout["floor"]] + LEVEL_TEXTURES + [layout["signal"]],
        "objects": objects,
    }


LEVELS = {
    "level1.json": {
        "floor": "floor_alley.png", "signal": "level_1_escape.png",
        "size": (1800, 1200), "exit_y": 1000,
        "inner_walls": [(600, 350, 50, 700), (1200, 850, 50, 700)],
        "covers": [(900, 300, 100, 200, 0)],
        "vents": [],
        "collection": (250, 1000),
        "food": [(350, 200), (900, 1000), (1500, 250), (1600, 700)],
        "guards": [((900, 600), [(900, 600), (1500, 600)])],
        "light": (900, 600),
        "player": (200, 300),
        "goal": 3, "ranks": (60, 90, 120),
        "ambient": (0.8, 0.85, 1, 0.8),
    },
    "level2.json": {
        "floor": "floor_villa.png", "signal": "level_2_escape.png",
        "size": (2200, 1600), "exit_y": 1400,
        "inner_walls": [(700, 500, 50, 1000), (1500, 1100, 50, 1000), (1100, 800, 400, 50)],
        "covers": [(400, 1100, 100, 200, 90), (1850, 500, 100, 200, 0)],
        "vents": [(700, 1050, 0)],
        "collection": (300, 1400),
        "food": [(300, 300), (1100, 400), (1100, 1300), (1900, 250), (2000, 1000)],
        "guards": [((1100, 200), [(1100, 200), (1100, 600)]),
                   ((1800, 800), [(1800, 800), (2000, 1500)])],
        "light": (1100, 1000),
        "player": (200, 200),
        "goal": 4, "ranks": (90, 130, 180),
        "ambient": (1, 0.9, 0.8, 0.75),
    },
    "level3.json": {
        "floor": "floor_market.png", "signal": "level_3_escape.png",
        "size": (2600, 1800), "exit_y": 900,
        "inner_walls": [(650, 900, 50, 1200), (1300, 450, 50, 900), (1300, 1500, 50, 600),
                        (1950, 900, 50, 1200)],
        "covers": [(950, 300, 100, 200, 0), (1650, 1500, 100, 200, 90)],
        "vents": [(1300, 1050, 0)],
        "collection": (300, 1600),
        "food": [(300, 250), (950, 900), (1000, 1600), (1650, 300), (1650, 900), (2300, 300)],
        "guards": [((950, 600), [(950, 600), (950, 1300)]),
                   ((1650, 1200), [(1650, 1200), (1650, 600)]),
                   ((2300, 1500), [(2300, 1500), (2300, 1100)])],
        "light": (1650, 900),
        "player": (200, 900),
        "goal": 5, "ranks": (120, 180, 240),
        "ambient": (0.85, 0.85, 1, 0.7),
    },
}


# ----------------------------------------------------------------------------------------------
# The scene list
# ----------------------------------------------------------------------------------------------

def scenes():
    out = {"empty.json": {}}
    out["SplashCorvan.json"] = picture_scene("splash_corvan.png")
    out["SplashFMOD.json"] = picture_scene("splash_madewith.png")
    out["SplashLullwick.json"] = picture_scene("splash_lullwick.png", FONTS)
    out["main_menu.json"] = picture_scene("menu_backdrop.png", FONTS)
    for name, layout in LEVELS.items():
        out[name] = level(layout)
    out["EndScene.json"] = picture_scene("endscene_backdrop.png", FONTS)
    out["GameOver.json"] = picture_scene("gameover_backdrop.png", FONTS)
    out["YouWin.json"] = picture_scene("youwin_backdrop.png", FONTS)
    # The credits file also serves the level select, which shows the three level pictures; the
    # credits end on the game's logo.
    out["Credits.json"] = picture_scene(
        "credits_backdrop.png",
        FONTS + ["levelselect_alley.png", "levelselect_villa.png", "levelselect_market.png",
                 "credits_logo.png"])
    return out


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=str(ROOT / "Assets" / "Levels"))
    args = parser.parse_args(argv)
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    for name, level_data in scenes().items():
        (out / name).write_bytes(level_text(level_data).encode("utf-8"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
