#!/usr/bin/python3
"""Makes the runs the game ships (Assets/Runs/levelN.qinput) from the solver's winning runs
(tests/solutions/levelN.qinput): the same script with the facts a kept run carries, the level and
its scene, and the hash of the level file it wins (64-bit FNV-1a of the file's bytes, as the game
computes it). The game refuses a shipped run whose level file has changed since, so rerun this
after a level or its solution changes:

    tools/make_shipped_runs.py
"""
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent


def level_hash(data: bytes) -> str:
    h = 14695981039346656037
    for b in data:
        h ^= b
        h = (h * 1099511628211) & 0xFFFFFFFFFFFFFFFF
    return "%016x" % h


def main() -> None:
    out_dir = ROOT / "Assets" / "Runs"
    out_dir.mkdir(exist_ok=True)
    for solution in sorted((ROOT / "tests" / "solutions").glob("level*.qinput")):
        text = solution.read_text()
        scene = re.search(r"# expect scene (\d+)", text)
        if not scene:
            raise SystemExit(f"{solution} names no scene")
        level = solution.stem
        digest = level_hash((ROOT / "Assets" / "Levels" / f"{level}.json").read_bytes())
        first, rest = text.split("\n", 1)
        facts = f"# run {level} scene {scene.group(1)}\n# level-hash {digest}\n"
        (out_dir / solution.name).write_text(f"{first}\n{facts}{rest}")


if __name__ == "__main__":
    main()
