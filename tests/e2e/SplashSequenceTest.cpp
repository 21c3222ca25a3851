// The opening of the game as a player sees it: the three splash pictures, each for a few seconds,
// then the main menu. The real program runs on the offscreen driver with a fixed frame time and
// takes screenshots in the middle of each scene; each screenshot must look more like the picture
// that scene draws than like any of the others.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "support/TestSupport.h"

using testing_support::BinaryDir;
using testing_support::FileExists;
using testing_support::MakeDataDir;
using testing_support::RunGame;
using testing_support::TempDir;

namespace {

// An image reduced to the average colours of a grid of cells over its centre half (a quarter of
// the width and height in from each edge), which the full-screen pictures cover in every window
// shape we use.
struct Signature {
  static constexpr int kCols = 16;
  static constexpr int kRows = 9;
  std::vector<double> rgb;  // kCols * kRows * 3 averages, 0..255
};

bool LoadSignature(const std::string& path, Signature* out, std::string* error) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) {
    *error = "cannot decode " + path + ": " + IMG_GetError();
    return false;
  }
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) {
    *error = "cannot convert " + path;
    return false;
  }
  const int w = rgba->w;
  const int h = rgba->h;
  const int x0 = w / 4, y0 = h / 4, cw = w / 2, ch = h / 2;
  out->rgb.assign(Signature::kCols * Signature::kRows * 3, 0.0);
  std::vector<int> counts(Signature::kCols * Signature::kRows, 0);
  const auto* pixels = static_cast<const uint8_t*>(rgba->pixels);
  for (int y = y0; y < y0 + ch; ++y) {
    int row = (y - y0) * Signature::kRows / ch;
    for (int x = x0; x < x0 + cw; ++x) {
      int col = (x - x0) * Signature::kCols / cw;
      int cell = row * Signature::kCols + col;
      const uint8_t* p = pixels + y * rgba->pitch + x * 4;
      for (int c = 0; c < 3; ++c) out->rgb[static_cast<size_t>(cell * 3 + c)] += p[c];
      ++counts[static_cast<size_t>(cell)];
    }
  }
  for (size_t cell = 0; cell < counts.size(); ++cell) {
    for (int c = 0; c < 3; ++c) out->rgb[cell * 3 + static_cast<size_t>(c)] /= std::max(1, counts[cell]);
  }
  SDL_FreeSurface(rgba);
  return true;
}

// Mean distance between corresponding cell colours, leaving out the grid columns from `skipFirst`
// to `skipLast` (none when skipFirst is -1).
double Distance(const Signature& a, const Signature& b, int skipFirst = -1, int skipLast = -1) {
  double sum = 0.0;
  size_t counted = 0;
  const size_t cells = a.rgb.size() / 3;
  for (size_t i = 0; i < cells; ++i) {
    const int column = static_cast<int>(i) % Signature::kCols;
    if (column >= skipFirst && column <= skipLast) continue;
    double dr = a.rgb[i * 3] - b.rgb[i * 3];
    double dg = a.rgb[i * 3 + 1] - b.rgb[i * 3 + 1];
    double db = a.rgb[i * 3 + 2] - b.rgb[i * 3 + 2];
    sum += std::sqrt(dr * dr + dg * dg + db * db);
    ++counted;
  }
  return sum / static_cast<double>(counted);
}

struct Shot {
  int frame;
  const char* picture;  // the picture the scene on screen at that frame draws
  // Grid columns covered by what the scene draws over its picture (the menu's buttons and title,
  // 300 units wide around x = 0, in columns 4 to 11 of 16 at this window size); -1 for none.
  int coveredFirst = -1, coveredLast = -1;
};

TEST(SplashSequenceTest, ShowsTheThreeSplashPicturesThenTheMenu) {
  const Shot shots[] = {{100, "splash_corvan.png"},
                        {260, "splash_madewith.png"},
                        {420, "splash_lullwick.png"},
                        {560, "menu_backdrop.png", 4, 11}};

  std::vector<Signature> pictures;
  for (const Shot& shot : shots) {
    Signature s;
    std::string error;
    ASSERT_TRUE(LoadSignature(BinaryDir() + "/Assets/" + shot.picture, &s, &error)) << error;
    pictures.push_back(s);
  }

  TempDir dir;
  std::string data = MakeDataDir(dir, "00");
  // A small window keeps the software renderer quick; the pictures are compared coarsely anyway.
  std::vector<std::string> args = {"--windowed", "--size", "640x360", "--fixed-dt", "0.025", "--no-dialogs",
                                   "--frames", "561", "--data", data};
  for (const Shot& shot : shots) {
    args.push_back("--screenshot");
    args.push_back(std::to_string(shot.frame) + ":" + dir.File("shot" + std::to_string(shot.frame) + ".png"));
  }
  testing_support::RunResult run = RunGame(args, {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  for (size_t i = 0; i < std::size(shots); ++i) {
    const std::string file = dir.File("shot" + std::to_string(shots[i].frame) + ".png");
    ASSERT_TRUE(FileExists(file)) << "no screenshot after frame " << shots[i].frame << "\n" << run.err;
    Signature screen;
    std::string error;
    ASSERT_TRUE(LoadSignature(file, &screen, &error)) << error;
    const int first = shots[i].coveredFirst;
    const int last = shots[i].coveredLast;
    const double own = Distance(screen, pictures[i], first, last);
    for (size_t j = 0; j < pictures.size(); ++j) {
      if (j == i) continue;
      EXPECT_LT(own, Distance(screen, pictures[j], first, last))
          << "frame " << shots[i].frame << " looks more like " << shots[j].picture << " than "
          << shots[i].picture;
    }
    // And it is the picture itself, not merely the nearest of four: a dark or unlit screen is far.
    EXPECT_LT(own, 40.0) << "frame " << shots[i].frame << " against " << shots[i].picture;
  }
}

}  // namespace
