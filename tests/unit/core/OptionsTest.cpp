#include "core/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(std::vector<const char*> args, RunOptions* options, std::string* error) {
  args.insert(args.begin(), "quillmarch");
  return ParseRunOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(OptionsTest, ParsesEveryOptionAndScreenshotsAndDumpsRepeat) {
  RunOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--size", "800x600", "--frames", "60", "--fixed-dt", "0.02", "--scene", "6", "--headless",
                     "--screenshot", "10:a.png", "--screenshot", "20:b.png", "--seed", "42", "--data", "/tmp/x",
                     "--no-dialogs", "--input", "walk.qinput", "--record", "out.qinput", "--state-log", "s.log",
                     "--dump-objects", "1:a.json", "--dump-objects", "60:dir/b:c.json"},
                    &o, &error))
      << error;
  EXPECT_EQ((std::vector<bool>{o.windowed, o.headless, o.noDialogs}), (std::vector<bool>{true, true, true}));
  EXPECT_EQ((std::vector<int>{o.width, o.height, o.frames, o.sceneId.value_or(-1)}),
            (std::vector<int>{800, 600, 60, 6}));
  EXPECT_FLOAT_EQ(o.fixedDt, 0.02f);
  ASSERT_EQ(o.screenshots.size(), 2u);
  EXPECT_EQ(o.screenshots[1].frame, 20);
  EXPECT_EQ(o.screenshots[1].file, "b.png");
  EXPECT_EQ(*o.seed, 42u);
  EXPECT_EQ((std::vector<std::string>{o.dataDir, o.inputScript, o.recordScript, o.stateLog}),
            (std::vector<std::string>{"/tmp/x", "walk.qinput", "out.qinput", "s.log"}));
  ASSERT_EQ(o.dumps.size(), 2u);
  EXPECT_EQ(o.dumps[0].frame, 1);
  EXPECT_EQ(o.dumps[1].frame, 60);
  EXPECT_EQ(o.dumps[1].file, "dir/b:c.json");  // only the first colon splits
}

TEST(OptionsTest, MalformedValuesAreRefusedWithAReason) {
  struct Case {
    std::vector<const char*> args;
    bool reasonNamesTheOption;
  };
  const std::vector<Case> bad = {
      {{"--frames"}, false}, {{"--frames", "-3"}, false}, {{"--frames", "ten"}, false}, {{"--size", "800"}, false},
      {{"--size", "0x600"}, false}, {{"--fixed-dt", "-1"}, false}, {{"--fixed-dt", "nan"}, false},
      {{"--screenshot", "shot.png"}, false}, {{"--screenshot", "5:"}, false}, {{"--seed", "x"}, false},
      {{"--bogus"}, false}, {{"--input"}, true}, {{"--input", ""}, true}, {{"--record", ""}, true},
      {{"--state-log"}, true}, {{"--dump-objects", "0:a.json"}, true}, {{"--dump-objects", "x:a.json"}, true},
      {{"--dump-objects", "5:"}, true}, {{"--dump-objects", "a.json"}, true}};
  for (const Case& c : bad) {
    RunOptions options;
    std::string error;
    EXPECT_FALSE(Parse(c.args, &options, &error)) << c.args[0];
    EXPECT_FALSE(error.empty()) << c.args[0];
    if (c.reasonNamesTheOption) {
      EXPECT_NE(error.find(c.args[0]), std::string::npos) << error;
    }
  }
}

}  // namespace
