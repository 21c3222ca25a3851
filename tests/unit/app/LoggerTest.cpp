#include <gtest/gtest.h>

#include "app/Logger.h"
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

TEST_F(LoggerTest, LevelAndCategoryTagsAreSpelledAsTheFileExpects) {
  std::string path = dir.File("output.log");
  AddLogFile(path);
  Log("FrameTime 0.020000", LogLevel::Info);
  Log("Could not find texture", LogLevel::Warning);
  Log("Malformed", LogLevel::Error);
  Log("Food Collected", LogLevel::Debug);
  LogCategoryMessage("COULD NOT INITIALIZE VERTEX BUFFER FOR PARTICLE EMITTER", LogCategory::Graphics);
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
