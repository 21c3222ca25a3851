// The opening of the game as a player sees it: the three splash pictures, each for a few seconds,
// then the main menu. The real program runs on the offscreen driver with a fixed frame time and
// takes screenshots in the middle of each scene; each screenshot is a whole PNG of the window's size
// and must look more like the picture that scene draws than like any of the others. The
// configuration "00" leaves the log file off.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "support/ScreenPicture.h"
#include "support/ScriptedGame.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// An image reduced to the mean colours of a grid of cells over its centre half (a quarter of
// the width and height in from each edge), which the full-screen pictures cover in every window
// shape we use.
struct Signature {
  static constexpr int kCols = 16;
  static constexpr int kRows = 9;
  std::vector<double> rgb;  // kCols * kRows * 3 averages, 0..255
};

bool LoadSignature(const std::string& path, Signature* out) {
  ScreenPicture picture;
  if (!LoadScreenPicture(path, &picture)) return false;
  out->rgb.clear();
  for (int row = 0; row < Signature::kRows; ++row) {
    for (int col = 0; col < Signature::kCols; ++col) {
      const Rgb c =
          picture.Mean(0.25 + 0.5 * col / Signature::kCols, 0.25 + 0.5 * row / Signature::kRows,
                       0.25 + 0.5 * (col + 1) / Signature::kCols, 0.25 + 0.5 * (row + 1) / Signature::kRows);
      out->rgb.insert(out->rgb.end(), {double(c.r), double(c.g), double(c.b)});
    }
  }
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
    ASSERT_TRUE(LoadSignature(BinaryDir() + "/Assets/" + shot.picture, &s)) << "cannot read " << shot.picture;
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
  RunResult run = RunGame(args, {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(NoSanitizerReport(run)) << run.err;
  EXPECT_FALSE(FileExists(UserFile(dir.path(), "output.log")));
  EXPECT_FALSE(FileExists(dir.File("output.log")));

  for (size_t i = 0; i < std::size(shots); ++i) {
    const std::string file = dir.File("shot" + std::to_string(shots[i].frame) + ".png");
    ASSERT_TRUE(FileExists(file)) << "no screenshot after frame " << shots[i].frame << "\n" << run.err;
    EXPECT_FALSE(FileExists(file + ".tmp"));
    EXPECT_EQ(ReadFile(file).substr(1, 3), "PNG");
    ScreenPicture picture;
    ASSERT_TRUE(LoadScreenPicture(file, &picture));
    EXPECT_EQ(picture.width, 640);
    EXPECT_EQ(picture.height, 360);
    Signature screen;
    ASSERT_TRUE(LoadSignature(file, &screen)) << "cannot read " << file;
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

// Skipping the first splash screen a quarter of a second in, while it still fades in from black:
// the picture goes on darkening from there to the menu, with no flash of the fully lit logo.
TEST(SplashSequenceTest, ASkipDuringTheFadeInDarkensWithoutAFlash) {
  constexpr int kSkipFrame = 10;
  constexpr int kLastShot = 30;
  ScriptedGame game;
  ScriptedGame::Options options;
  options.frames = kLastShot;
  options.shotAfter = FramesEvery(1, kLastShot);
  options.shotAfter.erase(options.shotAfter.begin());  // from frame 2
  ScriptRun run =
      game.Run("qinput 1\n" + std::to_string(kSkipFrame - 1) + "\n1 SPACE\n", options);
  ASSERT_TRUE(run.Ok()) << run.Problems();
  ASSERT_EQ(run.stateLog.size(), static_cast<size_t>(kLastShot));

  // Brightness of the middle of the screen, where the logo is, after each frame of the splash.
  std::vector<double> light(kLastShot + 1, -1.0);
  int menuFrame = 0;
  for (int frame = 2; frame <= kLastShot; ++frame) {
    if (run.stateLog[static_cast<size_t>(frame - 1)].sceneIndex != 1) {
      menuFrame = frame;
      break;
    }
    const Rgb c = run.Shot(frame).Mean(0.25, 0.25, 0.75, 0.75);
    light[static_cast<size_t>(frame)] = (c.r + c.g + c.b) / 3.0;
  }
  ASSERT_GT(menuFrame, kSkipFrame) << "the skip reached the menu";
  EXPECT_GT(light[kSkipFrame - 1], light[2] + 5.0) << "the splash was fading in before the skip";
  for (int frame = kSkipFrame; frame < menuFrame; ++frame) {
    EXPECT_LE(light[static_cast<size_t>(frame)], light[static_cast<size_t>(frame - 1)] + 1.0)
        << "the screen lit up " << frame - kSkipFrame << " frames after the skip";
  }
  // A quarter of the way back to black at the skip's double speed: a few frames, not a whole fade.
  EXPECT_LE(menuFrame - kSkipFrame, 8);
}

}  // namespace
