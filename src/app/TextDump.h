// The text dump of --dump-texts N:FILE: after frame N, a JSON file saying where every text on the
// screen lies in window pixels, for the legibility test that reads the screenshot of the same
// frame. Only visible texts with at least one glyph are listed.
//
//   {"frame": 45, "width": 1280, "height": 720,
//    "texts": [{"text": "pLAY gAME", "font": "dark", "scrolls": false,
//               "glyphs": [[x0, y0, x1, y1], ...],
//               "plate": {"box": [x0, y0, x1, y1], "alpha": 1, "picture": false}}, ...]}
//
// Boxes are in pixels of the picture, from its top-left corner, y down (x0 < x1, y0 < y1). One
// glyph box per character, spaces included, in text order. "plate" is the object the text labels
// (null for a free text): its box, its colour's opacity and whether it shows a picture.
// "scrolls" is true for a text whose plate moves with the world (the credits' column) rather
// than staying put on the screen. Positions use the view and projection the frame was drawn with.
#pragma once

#include <string>
#include <vector>

struct DumpRequest;

// The dump of the texts as they stand now, for a picture `width` x `height` pixels.
std::string TextDumpJson(int frame, int width, int height);
// Writes every requested text dump of this frame (atomically); failures go to standard error.
void WriteTextDumps(const std::vector<DumpRequest>& requests, int frame);
