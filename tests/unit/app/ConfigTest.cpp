#include <gtest/gtest.h>

#include "app/Config.h"
#include "support/TestSupport.h"

using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

ConfigFlags ReadWith(const std::string& contents) {
  TempDir dir;
  WriteFile(dir.File("Config.lullwick"), contents);
  return ReadConfig(dir.File("Config.lullwick"));
}

}  // namespace

// Each flag is its byte minus '0': only the first two bytes count, a short file repeats the last
// byte read, and any byte but '0' turns its flag on.
TEST(ConfigTest, TheFirstTwoBytesAreTheLogAndTheEditorFlags) {
  struct Row {
    const char* contents;
    int log, editor;
  };
  const Row rows[] = {{"10", 1, 0}, {"0", 0, 0}, {"1", 1, 1}, {"1 0", 1, ' ' - '0'}, {"ab\n", 'a' - '0', 'b' - '0'}};
  for (const Row& r : rows) {
    ConfigFlags f = ReadWith(r.contents);
    EXPECT_EQ(f.logToFile, r.log) << r.contents;
    EXPECT_EQ(f.editorEnabled, r.editor) << r.contents;
  }
  // A missing file turns both flags on, as -48.
  TempDir dir;
  ConfigFlags f = ReadConfig(dir.File("nothing-here"));
  EXPECT_EQ(f.logToFile, -48);
  EXPECT_EQ(f.editorEnabled, -48);
}
