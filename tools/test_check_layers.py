#!/usr/bin/python3
"""The layer check (tools/check_layers.py) on small crafted source trees: an include that reaches up,
one across a floor, a loop across folders and a stale exception are each found; a tree that keeps to
its floors passes."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers  # noqa: E402


class LayerCheckTest(unittest.TestCase):
    def tree(self, files):
        root = tempfile.mkdtemp()
        for path, includes in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                f.write("#pragma once\n" + "".join(f'#include "{inc}"\n' for inc in includes))
        return root

    def test_faults_are_found(self):
        cases = [
            ("reaches up", {"core/Log.h": ["graphics/Model.h"], "graphics/Model.h": []},
             "core/Log.h: includes graphics/Model.h, from a folder above its own"),
            ("beside on one floor", {"math/Vec.h": ["core/Log.h"], "core/Log.h": []},
             "math/Vec.h: includes core/Log.h, from a folder beside its own"),
            ("unknown folder", {"extras/Thing.cpp": ["core/Log.h"], "core/Log.h": []},
             "extras/Thing.cpp: the folder extras/ has no floor"),
            # The header includes down, its source includes back up through a listed exception: a
            # loop of units across two folders even though every include is allowed by itself.
            ("loop", {"objects/Body.h": [], "objects/Body.cpp": ["objects/Body.h", "graphics/Sprite.h"],
                      "graphics/Sprite.h": ["objects/Body.h"], "graphics/Sprite.cpp": []},
             "include loop across folders: graphics/Sprite -> objects/Body"),
        ]
        for name, files, fault in cases:
            with self.subTest(name):
                faults = check_layers.check(self.tree(files))
                self.assertTrue(any(f.startswith(fault) for f in faults), faults)

    def test_loop_within_one_folder_is_left_to_the_folder(self):
        files = {"ui/A.h": ["ui/B.h"], "ui/B.h": ["ui/A.h"], "core/Log.h": []}
        self.assertEqual(check_layers.check(self.tree(files)), [])

    def test_kept_floors_and_library_headers_pass(self):
        files = {"core/Log.h": [], "objects/Body.h": ["core/Log.h", "math/Vec.h"], "math/Vec.h": [],
                 "app/Main.cpp": ["objects/Body.h", "imgui/imgui.h", "SDL2/SDL.h"]}
        self.assertEqual(check_layers.check(self.tree(files)), [])

    def test_exceptions_are_allowed_and_stale_ones_reported(self):
        files = {"objects/Body.cpp": ["graphics/Sprite.h"], "graphics/Sprite.h": []}
        saved = dict(check_layers.EXCEPTIONS)
        try:
            check_layers.EXCEPTIONS.clear()
            check_layers.EXCEPTIONS[("objects/Body.cpp", "graphics/Sprite.h")] = "a test hook"
            check_layers.EXCEPTIONS[("objects/Gone.cpp", "graphics/Sprite.h")] = "no longer there"
            self.assertEqual(check_layers.check(self.tree(files)),
                             ["exception no longer needed: objects/Gone.cpp -> graphics/Sprite.h"])
        finally:
            check_layers.EXCEPTIONS.clear()
            check_layers.EXCEPTIONS.update(saved)


if __name__ == "__main__":
    unittest.main()
