#include <gtest/gtest.h>

#include "core/Logger.h"
#include "support/TestSupport.h"

using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearLogSinks();
    SetLogToFile(1);
  }
  void TearDown() override {
    CloseLogFiles();
    ClearLogSinks();
    SetLogToFile(0);
  }
  std::string Flushed(const std::string& path) {
    CloseLogFiles();
    return ReadFile(path);
  }
  TempDir dir;
};

}  // namespace

// A crash must not take the reason with it: warnings and errors reach the file as they are logged,
// before any close.
TEST_F(LoggerTest, LevelAndCategoryTagsAreSpelledAsTheFileExpectsAndWarningsAndErrorsReachItAtOnce) {
  std::string path = dir.File("output.log");
  AddLogFile(path);
  Log("FrameTime 0.020000", LogLevel::Info);
  Log("Could not find texture", LogLevel::Warning);
  EXPECT_EQ(ReadFile(path), "-INFO- FrameTime 0.020000\n-WARNING- Could not find texture\n");
  Log("Malformed", LogLevel::Error);
  EXPECT_NE(ReadFile(path).find("-ERROR- Malformed"), std::string::npos);
  Log("Food Collected", LogLevel::Debug);
  LogCategoryMessage("COULD NOT INITIALIZE VERTEX BUFFER FOR PARTICLE EMITTER", LogCategory::Graphics);
  EXPECT_NE(ReadFile(path).find("[GRAPHICS] COULD NOT"), std::string::npos);
  LogCategoryMessage("moved", LogCategory::ObjectManagement);
  LogCategoryMessage("boom", LogCategory::Crash);
  // An unknown level or category drops only the tag.
  Log("no level", static_cast<LogLevel>(7));
  Log("any level", LogLevel::Any);
  LogCategoryMessage("no category", static_cast<LogCategory>(42));
  EXPECT_EQ(Flushed(path),
            "-INFO- FrameTime 0.020000\n"
            "-WARNING- Could not find texture\n"
            "-ERROR- Malformed\n"
            "-DEBUG- Food Collected\n"
            "[GRAPHICS] COULD NOT INITIALIZE VERTEX BUFFER FOR PARTICLE EMITTER\n"
            "[OBJECTMANAGMENT] moved\n"
            "[CHRASH] boom\n"
            "no level\nany level\nno category\n");
}

TEST_F(LoggerTest, WithLoggingOffNothingIsWrittenAndNoFileIsTouched) {
  std::string path = dir.File("output.log");
  testing_support::WriteFile(path, "previous run\n");
  SetLogToFile(0);
  // The program only registers the file when the flag is on; a sink that exists still gets nothing.
  AddLogFile(dir.File("other.log"));
  Log("dropped", LogLevel::Info);
  EXPECT_EQ(Flushed(dir.File("other.log")), "");
  EXPECT_EQ(ReadFile(path), "previous run\n");
}

// A file that cannot be opened is silent and harmless to the others.
TEST_F(LoggerTest, EverySinkReceivesTheLineAndRegisteringAFileTwiceKeepsOneSinkAndTruncates) {
  AddLogFile(dir.File("missing-folder/output.log"));
  AddLogFile(dir.File("a.log"));
  Log("first", LogLevel::Info);
  AddLogFile(dir.File("b.log"));
  AddLogFile(dir.File("a.log"));
  Log("both", LogLevel::Warning);
  CloseLogFiles();
  EXPECT_EQ(ReadFile(dir.File("a.log")), "-WARNING- both\n");
  EXPECT_EQ(ReadFile(dir.File("b.log")), "-WARNING- both\n");
}

// Four lines a frame for hours would fill the disk: the file keeps its last part, whole lines
// only, and says that it was cut.
TEST_F(LoggerTest, ALongRunKeepsTheLogUnderItsLimitAndKeepsTheLastLines) {
  std::string path = dir.File("output.log");
  AddLogFile(path);
  const std::string filler(80, 'x');
  const int lines = 120000;  // about 11 MB, past the limit
  for (int i = 0; i < lines; ++i) Log("line " + std::to_string(i) + " " + filler, LogLevel::Info);
  Log("the last one", LogLevel::Error);
  const std::string text = ReadFile(path);
  EXPECT_LE(text.size(), size_t{8} << 20);
  EXPECT_GT(text.size(), size_t{1} << 20);
  const std::string last = "-ERROR- the last one\n";
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
  const std::string before = "-INFO- line " + std::to_string(lines - 1) + " " + filler + "\n";
  EXPECT_NE(text.find(before), std::string::npos);
  EXPECT_EQ(text.find("-INFO- line 0 "), std::string::npos);
  // The first line says what happened; every line after it is whole.
  const size_t firstEnd = text.find('\n');
  EXPECT_NE(text.substr(0, firstEnd).find("dropped"), std::string::npos) << text.substr(0, firstEnd);
  EXPECT_EQ(text.compare(firstEnd + 1, 12, "-INFO- line "), 0) << text.substr(firstEnd + 1, 40);
  // After a close and a new registration the limit still holds.
  CloseLogFiles();
  EXPECT_TRUE(ReadFile(path) == text);  // not EXPECT_EQ: a diff of megabytes takes minutes
}
