"""The game's icon: the roast the thief steals, on a night-blue tile lit by a lantern's pool of
gold, in the sizes a desktop asks for (Icons/quillmarch-N.png, N from 16 to 256). The installed
game puts them in the hicolor icon theme; the game sets the 64 px one as its window icon."""

from .characters import draw_roast
from .common import Canvas, GOLD, NIGHT, ellipse, rrect

SIZES = (16, 24, 32, 48, 64, 128, 256)
_MASTER = {}


def _master():
    """One 256 px drawing that every size is shrunk from."""
    if "icon" not in _MASTER:
        c = Canvas(256, 256)
        tile = rrect(10.0, 10.0, 246.0, 246.0, 46.0)
        c.paint(tile, NIGHT[2], ow=7.0, shade=0.35)
        light = Canvas(256, 256)
        light.glow(ellipse(122.0, 118.0, 78.0, 70.0), GOLD[2], 34.0, 0.55)
        light.clip_to(tile.shrink(7.0))
        c.overlay(light)
        k = 3.0
        roast = Canvas(256, 256)
        draw_roast(roast, k=k, ox=128.0 - 32.0 * k, oy=126.0 - 32.0 * k, ow=7.0)
        roast.drop_shadow(5.0, 6.0, 4.0, 0.45)
        c.overlay(roast)
        _MASTER["icon"] = c
    return _MASTER["icon"]


def _icon(size):
    return lambda: _master().result(size, size)


IMAGES = {"Icons/quillmarch-%d.png" % n: _icon(n) for n in SIZES}
