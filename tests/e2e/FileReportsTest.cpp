// What a level designer sees when a file the game reads is damaged, cut short or missing: each is
// named with its file, its line and its key, on standard error when the shipped configuration has
// the log off, and in the log when it is on. The game still starts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {

void Replace(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = ReadFile(path);
  size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  WriteFile(path, text.replace(at, from.size(), to));
}

// The line of `text` on which `needle` starts.
int LineOf(const std::string& text, const std::string& needle) {
  size_t at = text.find(needle);
  int line = 1;
  for (size_t i = 0; i < at && i < text.size(); ++i) line += text[i] == '\n';
  return line;
}

struct DamagedData {
  TempDir dir;
  std::string data;
  std::string malformed;  // what the reports must say
  std::string cut;
  std::string missingAttribute;
  std::string missingLevel;

  explicit DamagedData(const std::string& config) : data(MakeEditableDataDir(dir, config)) {
    const std::string levels = data + "/Assets/Levels/";
    // A number a designer mistyped.
    const int livesLine = LineOf(ReadFile(levels + "level1.json"), "\"Lives\"");
    Replace(levels + "level1.json", "\"Lives\":\"3\"", "\"Lives\":\"three\"");
    malformed = "Malformed Level file: Assets/Levels/level1.json:" + std::to_string(livesLine) +
                ": \"Lives\" holds \"three\", which is not a whole number within range";
    // A copy that stopped half way.
    std::string level2 = ReadFile(levels + "level2.json");
    level2.resize(level2.size() / 2);
    WriteFile(levels + "level2.json", level2);
    cut = "Level file cut short: Assets/Levels/level2.json:" + std::to_string(LineOf(level2 + "\x01", "\x01"));
    // An attribute file the level names but nobody shipped.
    Replace(levels + "level3.json", "\"Attributes\": [", "\"Attributes\": [\"tuning_gone\",");
    missingAttribute = "Could not open the attribute file ./Assets/Attributes/tuning_gone.json: there is no such file";
    // A scene file that is not there at all.
    std::remove((levels + "YouWin.json").c_str());
    missingLevel = "Could not open the level file Assets/Levels/YouWin.json: there is no such file";
  }

  RunResult Run() { return RunGame({"--headless", "--frames", "3", "--fixed-dt", "0.02", "--scene", "8", "--data", data}); }
};

}  // namespace

TEST(FileReportsTest, WithTheLogOffDamagedAndMissingFilesAreNamedOnStandardError) {
  DamagedData d("00");
  RunResult r = d.Run();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  for (const std::string& report : {d.malformed, d.cut, d.missingAttribute, d.missingLevel}) {
    EXPECT_NE(r.err.find(report), std::string::npos) << report << "\n---- standard error:\n" << r.err;
  }
  EXPECT_NE(r.err.find("Assets/Levels/level3.json"), std::string::npos) << "the level that names the file";
  EXPECT_NE(r.err.find("Scene 6 starts empty: Assets/Levels/level1.json could not be read"), std::string::npos);
  EXPECT_FALSE(FileExists(UserFile(d.data, "output.log")));
}

TEST(FileReportsTest, WithTheLogOnTheSameReportsGoToTheLogOnly) {
  DamagedData d("10");
  RunResult r = d.Run();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string log = ReadFile(UserFile(d.data, "output.log"));
  for (const std::string& report : {d.malformed, d.cut, d.missingAttribute, d.missingLevel}) {
    EXPECT_NE(log.find(report), std::string::npos) << report;
    EXPECT_EQ(r.err.find(report), std::string::npos) << report;
  }
}

// The shipped files are whole: a run of every scene reports nothing.
TEST(FileReportsTest, TheShippedFilesReportNothing) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "00");
  for (const char* scene : {"6", "7", "8"}) {
    RunResult r = RunGame({"--headless", "--frames", "2", "--fixed-dt", "0.02", "--scene", scene, "--data", data});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("Level file"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("attribute"), std::string::npos) << r.err;
  }
}
