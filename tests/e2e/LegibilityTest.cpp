// Every text on every screen can be read, at every window size the game is played at: its letters
// stand out from the pixels around them by a contrast of at least 4.5:1 (the WCAG AA figure for
// text), and it lies wholly inside the window and inside the plate it labels.
//
// Per window size the game runs offscreen through one input script that visits the splash screen,
// the main menu with its quit dialog, options and controls (waiting for a key too), the level
// select, a level with its display, the pause menu with its options, controls, quit and leave
// dialogs, and the credits; three short runs add the end scene, the game-over and the win screens,
// and one the level select with records and a refused replay, and a replay watched and paused.
// At each stop the game writes a screenshot and a dump of where each text lies (--dump-texts), and
// the check reads them together:
//
// - Letter pixels are those the font sheet's letter fill covers wholly (letters drawn smaller than
//   their outline's width have no such pixels and fail as too thin). Their colour is the median of
//   those pixels on the screenshot.
// - The pixels around them are those within a third of a glyph's height of the text (inside its
//   plate) that no ink of the sheet touches, and the pixels the letters' outline covers wholly: an
//   outline thick enough to see counts as what the letters stand on.
// - The text's contrast is the ratio of the letters' relative luminance to the surroundings', taken
//   at the tenth percentile of the surrounding pixels (nine in ten of them contrast at least that
//   much), so stars and highlights behind see-through plates count, a single bright pixel does not.
// - A text pinned to the screen must lie inside the window; a scrolling credits line may cross the
//   bottom edge it enters by and, once the column has risen, the top edge it leaves by. Every glyph must lie inside its plate (the box of the object it
//   labels, drawn or not).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/ImageDecoder.h"
#include "support/ScreenPicture.h"
#include "support/ScriptedGame.h"

using namespace testing_support;

namespace {

constexpr double kLeastContrast = 4.5;
constexpr double kAroundShare = 0.10;    // the percentile of the surroundings the contrast is taken at
constexpr float kAroundReach = 1.0f / 3.0f;  // how far around the text counts, in glyph heights
constexpr float kPlaceTolerance = 1.5f;  // pixels
constexpr float kSolid = 0.9f;           // a pixel this much covered is the sheet's colour
constexpr float kBare = 0.02f;           // a pixel this little covered shows what lies behind
constexpr int kSubSamples = 4;           // per pixel side when a glyph cell is laid over the pixels
constexpr int kFadeFrames = 46;          // a scene's fade-in (1 s at 0.025 s a frame) and a little

// ---- the font sheets -----------------------------------------------------------------------------

// A sheet's texels as letter fill and outline: the light sheet's letters are light with a dark
// outline, the dark sheet's the other way round.
struct FontSheet {
  int width = 0, height = 0;
  std::vector<float> fill, outline;  // per texel, 0..1

  bool Load(const std::string& path, bool lightLetters) {
    std::optional<platform::Image> image = platform::DecodeImageFile(path);
    if (!image) return false;
    width = image->width;
    height = image->height;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    fill.assign(n, 0.0f);
    outline.assign(n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* p = &image->rgba[i * 4];
      const float alpha = static_cast<float>(p[3]) / 255.0f;
      const float luma = 0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2];
      const bool lightTexel = luma >= 128.0f;
      (lightTexel == lightLetters ? fill : outline)[i] = alpha;
    }
    return true;
  }
  int CellSide() const { return width / 16; }
};

// How much of a pixel a glyph's letter fill and outline cover.
struct Coverage {
  float fill = 0.0f, outline = 0.0f;
};

// ---- colour --------------------------------------------------------------------------------------

double Linear(int channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const ScreenPicture& picture, int x, int y) {
  const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)) * 3;
  return 0.2126 * Linear(picture.rgb[i]) + 0.7152 * Linear(picture.rgb[i + 1]) + 0.0722 * Linear(picture.rgb[i + 2]);
}

double Contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

// ---- one text ------------------------------------------------------------------------------------

bool Inside(const PixelBox& inner, const PixelBox& outer, float tolerance) {
  return inner.x0 >= outer.x0 - tolerance && inner.y0 >= outer.y0 - tolerance && inner.x1 <= outer.x1 + tolerance &&
         inner.y1 <= outer.y1 + tolerance;
}

bool Blank(char c) { return c == ' '; }

PixelBox Around(const DumpedText& text) {
  PixelBox box{1e9f, 1e9f, -1e9f, -1e9f};
  for (const PixelBox& g : text.glyphs) {
    box.x0 = std::min(box.x0, g.x0);
    box.y0 = std::min(box.y0, g.y0);
    box.x1 = std::max(box.x1, g.x1);
    box.y1 = std::max(box.y1, g.y1);
  }
  return box;
}

struct Verdict {
  std::string text;
  bool skipped = false;  // a scrolling line wholly off the screen
  double contrast = 0.0;
  std::vector<std::string> faults;
};

// The pixels of a rectangle of the picture, with what one text's glyphs cover of each.
class CoverageGrid {
 public:
  CoverageGrid(const PixelBox& box, int pictureWidth, int pictureHeight) {
    x0_ = std::clamp(static_cast<int>(std::floor(box.x0)), 0, pictureWidth);
    y0_ = std::clamp(static_cast<int>(std::floor(box.y0)), 0, pictureHeight);
    x1_ = std::clamp(static_cast<int>(std::ceil(box.x1)), 0, pictureWidth);
    y1_ = std::clamp(static_cast<int>(std::ceil(box.y1)), 0, pictureHeight);
    cells_.resize(static_cast<size_t>(Width()) * static_cast<size_t>(Height()));
    others_.assign(cells_.size(), false);
  }
  int Width() const { return std::max(x1_ - x0_, 0); }
  int Height() const { return std::max(y1_ - y0_, 0); }
  int Left() const { return x0_; }
  int Top() const { return y0_; }
  Coverage& At(int x, int y) { return cells_[Index(x, y)]; }
  bool Other(int x, int y) const { return others_[Index(x, y)]; }

  // Adds one glyph: each pixel is sampled kSubSamples x kSubSamples times over the sheet's cell.
  void AddGlyph(const PixelBox& glyph, const FontSheet& sheet, int cell) {
    const int side = sheet.CellSide();
    const int cellX = (cell % 16) * side, cellY = (cell / 16) * side;
    const float w = glyph.x1 - glyph.x0, h = glyph.y1 - glyph.y0;
    if (w <= 0.0f || h <= 0.0f) return;
    for (int y = std::max(y0_, static_cast<int>(std::floor(glyph.y0))); y < std::min(y1_, static_cast<int>(std::ceil(glyph.y1))); ++y) {
      for (int x = std::max(x0_, static_cast<int>(std::floor(glyph.x0))); x < std::min(x1_, static_cast<int>(std::ceil(glyph.x1))); ++x) {
        Coverage& c = At(x, y);
        for (int sy = 0; sy < kSubSamples; ++sy) {
          for (int sx = 0; sx < kSubSamples; ++sx) {
            const float px = static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / kSubSamples;
            const float py = static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / kSubSamples;
            const float u = (px - glyph.x0) / w, v = (py - glyph.y0) / h;
            if (u < 0.0f || u >= 1.0f || v < 0.0f || v >= 1.0f) continue;
            const size_t texel = static_cast<size_t>(cellY + static_cast<int>(v * side)) * static_cast<size_t>(sheet.width) +
                                 static_cast<size_t>(cellX + static_cast<int>(u * side));
            c.fill += sheet.fill[texel] / (kSubSamples * kSubSamples);
            c.outline += sheet.outline[texel] / (kSubSamples * kSubSamples);
          }
        }
      }
    }
  }

  // Pixels another text's glyphs stand on are no one's surroundings.
  void MarkOther(const PixelBox& glyph) {
    for (int y = std::max(y0_, static_cast<int>(std::floor(glyph.y0))); y < std::min(y1_, static_cast<int>(std::ceil(glyph.y1))); ++y) {
      for (int x = std::max(x0_, static_cast<int>(std::floor(glyph.x0))); x < std::min(x1_, static_cast<int>(std::ceil(glyph.x1))); ++x) {
        others_[Index(x, y)] = true;
      }
    }
  }

 private:
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y - y0_) * static_cast<size_t>(Width()) + static_cast<size_t>(x - x0_);
  }
  int x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
  std::vector<Coverage> cells_;
  std::vector<bool> others_;
};

// `risen`: the credits' column has scrolled up since the screen opened, so its lines may be leaving
// by the top edge.
Verdict Judge(const ScreenPicture& picture, const TextDump& dump, size_t index, const FontSheet sheets[2], bool risen) {
  const DumpedText& text = dump.texts[index];
  Verdict verdict;
  verdict.text = text.text;
  const PixelBox window{0.0f, 0.0f, static_cast<float>(picture.width), static_cast<float>(picture.height)};
  if (text.glyphs.empty()) {
    verdict.faults.push_back("dumped without glyphs");
    return verdict;
  }
  const PixelBox whole = Around(text);
  const bool offScreen = whole.x1 <= 0.0f || whole.y1 <= 0.0f || whole.x0 >= window.x1 || whole.y0 >= window.y1;
  if (text.scrolls && offScreen) {
    verdict.skipped = true;
    return verdict;
  }

  // The places.
  for (size_t i = 0; i < text.glyphs.size(); ++i) {
    if (i < text.text.size() && Blank(text.text[i])) continue;
    PixelBox limit = window;
    if (text.scrolls) limit.y1 = 1e9f;  // it enters by the bottom edge
    if (text.scrolls && risen) limit.y0 = -1e9f;
    if (!Inside(text.glyphs[i], limit, kPlaceTolerance)) {
      verdict.faults.push_back("leaves the window");
      break;
    }
  }
  for (size_t i = 0; i < text.glyphs.size() && text.hasPlate; ++i) {
    if (i < text.text.size() && Blank(text.text[i])) continue;
    if (!Inside(text.glyphs[i], text.plate, kPlaceTolerance)) {
      verdict.faults.push_back("leaves its plate");
      break;
    }
  }

  // The pixels: the text and a margin around it, within its plate.
  const float glyphHeight = text.glyphs.front().y1 - text.glyphs.front().y0;
  PixelBox area{whole.x0 - glyphHeight * kAroundReach, whole.y0 - glyphHeight * kAroundReach,
                whole.x1 + glyphHeight * kAroundReach, whole.y1 + glyphHeight * kAroundReach};
  if (text.hasPlate) {
    area = {std::max(area.x0, text.plate.x0), std::max(area.y0, text.plate.y0), std::min(area.x1, text.plate.x1),
            std::min(area.y1, text.plate.y1)};
  }
  CoverageGrid grid(area, picture.width, picture.height);
  const FontSheet& sheet = sheets[text.lightFont ? 1 : 0];
  for (size_t i = 0; i < text.glyphs.size() && i < text.text.size(); ++i) {
    const int cell = static_cast<unsigned char>(text.text[i]) - 32;
    if (cell >= 0 && cell < 96) grid.AddGlyph(text.glyphs[i], sheet, cell);
  }
  for (size_t other = 0; other < dump.texts.size(); ++other) {
    if (other == index) continue;
    for (const PixelBox& glyph : dump.texts[other].glyphs) grid.MarkOther(glyph);
  }
  std::vector<double> letters, around;
  for (int y = grid.Top(); y < grid.Top() + grid.Height(); ++y) {
    for (int x = grid.Left(); x < grid.Left() + grid.Width(); ++x) {
      const Coverage& c = grid.At(x, y);
      if (c.fill >= kSolid) {
        letters.push_back(Luminance(picture, x, y));
      } else if (c.outline >= kSolid || (c.fill + c.outline <= kBare && !grid.Other(x, y))) {
        around.push_back(Luminance(picture, x, y));
      }
    }
  }
  if (letters.size() < 3) {
    verdict.faults.push_back("letters too thin to stand out (" + std::to_string(letters.size()) + " solid pixels)");
    return verdict;
  }
  if (around.size() < 10) {
    verdict.faults.push_back("no room around the letters");
    return verdict;
  }
  std::nth_element(letters.begin(), letters.begin() + static_cast<std::ptrdiff_t>(letters.size() / 2), letters.end());
  const double letter = letters[letters.size() / 2];
  std::vector<double> contrasts;
  contrasts.reserve(around.size());
  for (double l : around) contrasts.push_back(Contrast(letter, l));
  const auto at = static_cast<std::ptrdiff_t>(static_cast<double>(contrasts.size()) * kAroundShare);
  std::nth_element(contrasts.begin(), contrasts.begin() + at, contrasts.end());
  verdict.contrast = contrasts[static_cast<size_t>(at)];
  if (verdict.contrast < kLeastContrast) {
    char line[96];
    std::snprintf(line, sizeof(line), "contrast %.2f:1", verdict.contrast);
    verdict.faults.emplace_back(line);
  }
  return verdict;
}

// ---- the tour ------------------------------------------------------------------------------------

struct Stop {
  std::string screen;
  int frame;
  bool risen = false;  // the credits' column has scrolled up since the screen opened
};

// The main run: from the studio's splash screen through the menus and a level to the credits, on
// the keyboard. The selection starts on "play game"; Escape steps back out of every overlay.
ScriptWriter MainTour(std::vector<Stop>* stops) {
  ScriptWriter tour;
  auto stop = [&](const std::string& screen, int settle) {
    tour.Hold(settle);
    stops->push_back({screen, tour.Frame()});
  };
  stop("splash", kFadeFrames);
  tour.Tap("ENTER");  // skips to the menu: a fade at double speed, then the menu's fade-in
  stop("main menu", 22 + kFadeFrames);
  tour.Tap("UP");  // "quit game"
  tour.Tap("ENTER");
  stop("quit dialog", 2);
  tour.Tap("ESCAPE");
  tour.Tap("UP");  // "credits"
  tour.Tap("UP");  // "options"
  tour.Tap("ENTER");
  stop("options", 2);
  tour.Tap("ESCAPE");
  tour.Tap("UP");  // "controls"
  tour.Tap("ENTER");
  stop("controls", 2);
  tour.Tap("ENTER");  // "move up": waits for a key
  stop("controls, waiting for a key", 2);
  tour.Tap("ESCAPE");  // cancels the wait
  tour.Hold(2);
  tour.Tap("ESCAPE");
  tour.Tap("UP");  // "levels"
  tour.Tap("ENTER");
  stop("level select", kFadeFrames);
  tour.Tap("ENTER");  // the alley
  stop("level with its display", kFadeFrames);
  tour.Tap("ESCAPE");  // pauses as it comes up
  stop("pause menu", 2);
  tour.Tap("DOWN");
  tour.Tap("ENTER");
  stop("pause options", 2);
  tour.Tap("ESCAPE");
  tour.Tap("DOWN");
  tour.Tap("DOWN");  // "cONTROLS"
  tour.Tap("ENTER");
  stop("pause controls", 2);
  tour.Tap("ESCAPE");
  tour.Tap("DOWN");  // "quit game"
  tour.Tap("ENTER");
  stop("pause quit dialog", 2);
  tour.Tap("ESCAPE");
  tour.Tap("UP");
  tour.Tap("UP");  // "cREDITS"
  tour.Tap("ENTER");
  stop("leave-level dialog", 2);
  tour.Tap("ENTER");  // "yes"
  stop("credits", kFadeFrames);
  return tour;
}

struct WindowSize {
  int width, height;
};

class LegibilityTest : public ::testing::TestWithParam<WindowSize> {
 protected:
  void SetUp() override {
    const std::string assets = SourceDir() + "/Assets/";
    ASSERT_TRUE(sheets_[0].Load(assets + "FontSheet_Black.png", false));
    ASSERT_TRUE(sheets_[1].Load(assets + "FontSheet.png", true));
  }

  // Runs the script from `scene` with a screenshot and a text dump at every stop, and judges them.
  void Visit(int scene, const std::string& script, const std::vector<Stop>& stops) {
    const WindowSize size = GetParam();
    ScriptedGame::Options options = ScriptedGame::From(scene, stops.back().frame);
    options.extraArgs = {"--size", std::to_string(size.width) + "x" + std::to_string(size.height)};
    for (const Stop& stop : stops) {
      options.textDumpAfter.push_back(stop.frame);
      options.shotAfter.push_back(stop.frame);
    }
    ScriptRun run = game_.Run(script, options);
    ASSERT_TRUE(run.Ok()) << run.Problems();
    for (const Stop& stop : stops) Check(stop, run.Shot(stop.frame), run.textDumps.at(stop.frame));
  }

  void Check(const Stop& stop, const ScreenPicture& picture, const TextDump& dump) {
    ASSERT_EQ(picture.width, dump.width) << stop.screen;
    ASSERT_EQ(picture.height, dump.height) << stop.screen;
    ASSERT_FALSE(dump.texts.empty()) << stop.screen << ": no text at all";
    double least = 1e9;
    int judged = 0;
    for (size_t i = 0; i < dump.texts.size(); ++i) {
      const Verdict verdict = Judge(picture, dump, i, sheets_, stop.risen);
      if (verdict.skipped) continue;
      ++judged;
      if (verdict.contrast > 0.0) least = std::min(least, verdict.contrast);
      for (const std::string& fault : verdict.faults) {
        ADD_FAILURE() << GetParam().width << "x" << GetParam().height << ", " << stop.screen << ": \""
                      << verdict.text << "\" " << fault;
      }
    }
    std::printf("%dx%d %-32s %2d texts, least contrast %.2f:1\n", GetParam().width, GetParam().height,
                stop.screen.c_str(), judged, least);
    std::fflush(stdout);  // before the next run's process starts with a copy of the buffer
  }

  FontSheet sheets_[2];
  ScriptedGame game_;
};

TEST_P(LegibilityTest, EveryTextOnEveryScreenReads) {
  std::vector<Stop> stops;
  const ScriptWriter tour = MainTour(&stops);
  Visit(3, tour.Text(), stops);  // from the studio's splash screen
  // The screens at the end of a level, each from its own start.
  Visit(5, "qinput 1\n", {{"end scene", kFadeFrames}});
  Visit(9, "qinput 1\n", {{"game over", kFadeFrames}});
  Visit(10, "qinput 1\n", {{"win", kFadeFrames}});
}

// The level select with the player's records, a refused replay's reason, and a replay watched and
// paused (its banner and its keys over the level).
TEST_P(LegibilityTest, RecordsAndReplaysRead) {
  WriteFile(game_.UserFile("Records.lullwick"), "qrecords 1\nlevel1 105.5 s\nlevel3 1234.5 c\n");
  // A best run of level 1 played on another level file: watching it is refused.
  WriteFile(game_.UserFile("Runs/best-level1.qinput"),
                             "qinput 1\n# run level1 scene 6\n# level-hash 0000000000000000\n10\n");
  std::vector<Stop> stops;
  ScriptWriter tour;
  tour.Hold(kFadeFrames);
  stops.push_back({"level select with records", tour.Frame()});
  tour.Tap("DOWN");  // the alley's "watch"
  tour.Tap("ENTER");
  tour.Hold(2);
  stops.push_back({"level select, a replay refused", tour.Frame()});
  tour.Tap("DOWN");
  tour.Tap("DOWN");  // the villa's "watch": the shipped run
  tour.Tap("ENTER");
  tour.Hold(kFadeFrames + 20);
  stops.push_back({"replay", tour.Frame()});
  tour.Tap("P");
  tour.Hold(2);
  stops.push_back({"replay paused", tour.Frame()});
  Visit(12, tour.Text(), stops);
}

// The credits' column scrolls up at 50 units a second: its lower lines (the legal lines in the
// smallest letters, the licence notices) come on screen only after half a minute. They are read
// once, at the size whose pixels are the fewest per world unit (720 rows for the view's 828 units).
class CreditsLegibilityTest : public LegibilityTest {};

TEST_P(CreditsLegibilityTest, TheWholeCreditsColumnReads) {
  std::vector<Stop> stops;
  ScriptWriter tour;
  for (int frame : {kFadeFrames, 400, 700, 1000, 1150, 1300, 1450}) {
    tour.Hold(frame - tour.Frame());
    stops.push_back({"credits after " + std::to_string(frame) + " frames", tour.Frame(), frame > kFadeFrames});
  }
  Visit(11, tour.Text(), stops);
}

INSTANTIATE_TEST_SUITE_P(FewestPixels, CreditsLegibilityTest, ::testing::Values(WindowSize{1280, 720}),
                         [](const ::testing::TestParamInfo<WindowSize>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

INSTANTIATE_TEST_SUITE_P(Sizes, LegibilityTest,
                         ::testing::Values(WindowSize{1280, 720}, WindowSize{1920, 1080}, WindowSize{2560, 1440},
                                           WindowSize{3840, 2160}, WindowSize{1024, 768}, WindowSize{2560, 1080}),
                         [](const ::testing::TestParamInfo<WindowSize>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

}  // namespace
