#include "app/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(std::vector<const char*> args, RunOptions* options, std::string* error) {
  args.insert(args.begin(), "quillmarch");
  return ParseRunOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(OptionsTest, ScriptOptionsTakeTheirFilesAndDumpsRepeat) {
  RunOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--input", "walk.qinput", "--record", "out.qinput", "--state-log", "s.log", "--dump-objects",
                     "1:a.json", "--dump-objects", "60:dir/b:c.json"},
                    &options, &error))
      << error;
  EXPECT_EQ(options.inputScript, "walk.qinput");
  EXPECT_EQ(options.recordScript, "out.qinput");
  EXPECT_EQ(options.stateLog, "s.log");
  ASSERT_EQ(options.dumps.size(), 2u);
  EXPECT_EQ(options.dumps[0].frame, 1);
  EXPECT_EQ(options.dumps[1].frame, 60);
  EXPECT_EQ(options.dumps[1].file, "dir/b:c.json");  // only the first colon splits
}

TEST(OptionsTest, MalformedScriptOptionsAreRefusedWithAReason) {
  const std::vector<std::vector<const char*>> bad = {
      {"--input"}, {"--input", ""}, {"--record", ""}, {"--state-log"}, {"--dump-objects", "0:a.json"},
      {"--dump-objects", "x:a.json"}, {"--dump-objects", "5:"}, {"--dump-objects", "a.json"}};
  for (const std::vector<const char*>& args : bad) {
    RunOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, &options, &error)) << args[0];
    EXPECT_NE(error.find(args[0]), std::string::npos) << error;
  }
}

}  // namespace
