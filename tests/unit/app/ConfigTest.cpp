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

TEST(ConfigTest, OneAndZeroTurnTheLogOnAndTheEditorOff) {
  ConfigFlags f = ReadWith("10");
  EXPECT_EQ(f.logToFile, 1);
  EXPECT_EQ(f.editorEnabled, 0);
}

TEST(ConfigTest, MissingFileTurnsBothFlagsOnAsMinus48) {
  TempDir dir;
  ConfigFlags f = ReadConfig(dir.File("nothing-here"));
  EXPECT_EQ(f.logToFile, -48);
  EXPECT_EQ(f.editorEnabled, -48);
}

TEST(ConfigTest, ShortFileRepeatsTheLastByteRead) {
  EXPECT_EQ(ReadWith("0").logToFile, 0);
  EXPECT_EQ(ReadWith("0").editorEnabled, 0);
  EXPECT_EQ(ReadWith("1").logToFile, 1);
  EXPECT_EQ(ReadWith("1").editorEnabled, 1);
}

TEST(ConfigTest, OnlyTheFirstTwoBytesCountAndAnyOtherByteIsOn) {
  ConfigFlags spaced = ReadWith("1 0");
  EXPECT_EQ(spaced.logToFile, 1);
  EXPECT_EQ(spaced.editorEnabled, -16);  // the space
  ConfigFlags letters = ReadWith("ab\n");
  EXPECT_EQ(letters.logToFile, 'a' - '0');
  EXPECT_NE(letters.editorEnabled, 0);
}
