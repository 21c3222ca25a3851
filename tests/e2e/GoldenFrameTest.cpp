// Golden pictures of whole scenes: the game runs a scene offscreen with a fixed seed and fixed frame
// times and takes a screenshot; the picture must match the one kept in tests/golden/ (taken when the
// renderer drew every sprite, glyph and particle with its own draw call), so changes to how the
// renderer groups its draws cannot change what the player sees. The scenes cover the splash
// screens, the menus' text, the levels' lights, filters and particles.
//
// Tolerance: each colour channel may differ by kChannelTolerance (the filters and lights may be
// worked out in a different order of float operations), and no more than kLoosePixels per mille of
// the pixels may differ by more (none of them by more than kLooseTolerance).
//
// QM_UPDATE_GOLDENS=1 writes the pictures instead of comparing (only when the picture is meant to
// change).
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/ImageDecoder.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

constexpr int kChannelTolerance = 2;
constexpr int kLooseTolerance = 24;
constexpr double kLoosePixels = 1.0;  // per mille

const std::vector<std::string> kOffscreen = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"};

struct Shot {
  const char* name;
  int scene;
  int frame;
};

std::string GoldenPath(const std::string& name) { return SourceDir() + "/tests/golden/" + name + ".png"; }

struct Difference {
  int largest = 0;
  long loose = 0;  // pixels past kChannelTolerance
  long pixels = 0;
};

Difference Compare(const platform::Image& a, const platform::Image& b) {
  Difference d;
  d.pixels = static_cast<long>(a.width) * a.height;
  for (size_t i = 0; i + 3 < a.rgba.size(); i += 4) {
    int worst = 0;
    for (size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(a.rgba[i + c]) - int(b.rgba[i + c])));
    d.largest = std::max(d.largest, worst);
    if (worst > kChannelTolerance) ++d.loose;
  }
  return d;
}

void CheckScene(const Shot& shot) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "00");
  std::string file = dir.File("shot.png");
  RunResult r = RunGame({"--windowed", "--size", "640x360", "--fixed-dt", "0.016", "--no-dialogs", "--seed", "11",
                         "--scene", std::to_string(shot.scene), "--frames", std::to_string(shot.frame),
                         "--screenshot", std::to_string(shot.frame) + ":" + file, "--data", data},
                        kOffscreen);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(FileExists(file)) << r.err;
  std::optional<platform::Image> got = platform::DecodeImageFile(file);
  ASSERT_TRUE(got.has_value());

  const char* update = std::getenv("QM_UPDATE_GOLDENS");
  if (update != nullptr && std::string(update) == "1") {
    ASSERT_TRUE(platform::WritePng(GoldenPath(shot.name), got->width, got->height, got->rgba));
    return;
  }
  std::optional<platform::Image> want = platform::DecodeImageFile(GoldenPath(shot.name));
  ASSERT_TRUE(want.has_value()) << "no golden picture " << GoldenPath(shot.name);
  ASSERT_EQ(got->width, want->width);
  ASSERT_EQ(got->height, want->height);
  Difference d = Compare(*got, *want);
  EXPECT_LE(d.largest, kLooseTolerance) << shot.name;
  EXPECT_LE(static_cast<double>(d.loose) * 1000.0 / static_cast<double>(d.pixels), kLoosePixels)
      << shot.name << ": " << d.loose << " pixels differ by more than " << kChannelTolerance;
}

class GoldenFrameTest : public ::testing::TestWithParam<Shot> {};

}  // namespace

TEST_P(GoldenFrameTest, TheSceneLooksAsItDidBefore) { CheckScene(GetParam()); }

// Frames: far enough in for the fade-in to end, guards to walk and emitters to have spawned.
INSTANTIATE_TEST_SUITE_P(Scenes, GoldenFrameTest,
                         ::testing::Values(Shot{"splash", 1, 100}, Shot{"main_menu", 4, 240}, Shot{"level1", 6, 150},
                                           Shot{"level2", 7, 150}, Shot{"level3", 8, 150}, Shot{"game_over", 9, 240},
                                           Shot{"credits", 11, 240}),
                         [](const ::testing::TestParamInfo<Shot>& info) { return std::string(info.param.name); });
