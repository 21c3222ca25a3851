// The game as a player's machine runs it: the command line's own answers (--help, --version), exit
// codes that tell a failed start from a finished run, and the player's files in the per-user folder
// (settings, the log, a personal Config.lullwick), never in the data folder, which an installed game
// cannot write. The installed layout itself is tests/install's.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/ScriptedGame.h"
#include "support/TestSupport.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// From a level: pause, "options", down twice to "mute music", press it.
constexpr const char* kMuteMusicScript =
    "qinput 1\n"
    "50\n"
    "1 ESCAPE\n4\n"
    "1 DOWN\n1\n"
    "1 ENTER\n1\n"
    "1 DOWN\n1\n1 DOWN\n1\n"
    "1 ENTER\n"
    "20\n";

ScriptedGame::Options MuteOptions(const std::string& config) {
  ScriptedGame::Options options = ScriptedGame::From(6, 90);
  options.config = config;
  return options;
}

}  // namespace

TEST(CommandLineTest, HelpPrintsTheUsageAndVersionTheVersionBothExitingZero) {
  RunResult help = RunGame({"--help"});
  EXPECT_EQ(help.exitCode, 0) << help.err;
  EXPECT_EQ(help.out.rfind("usage: quillmarch", 0), 0u) << help.out;
  EXPECT_NE(help.out.find("--data DIR"), std::string::npos);
  EXPECT_TRUE(help.err.empty()) << help.err;

  RunResult version = RunGame({"--version", "--frames", "5"});
  EXPECT_EQ(version.exitCode, 0) << version.err;
  EXPECT_TRUE(std::regex_match(version.out, std::regex("quillmarch [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
}

// The start-up rules once ended every run with 0, so a script could not tell a game that never
// started from one that played.
TEST(CommandLineTest, AStartWithoutDataExitsNonZeroWithItsReasonOnStandardError) {
  TempDir empty;
  RunResult r = RunGame({"--headless", "--frames", "5", "--data", empty.path()});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("Missing Shader File"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("quillmarch: the game could not start"), std::string::npos) << r.err;
  EXPECT_TRUE(NoSanitizerReport(r)) << r.err;
}

TEST(PlayerFilesTest, OptionsChangedInTheGameAreKeptInThePlayersFolderAndReadOnTheNextRun) {
  ScriptedGame game;
  ScriptRun muted = game.Run(kMuteMusicScript, MuteOptions("10"));
  ASSERT_TRUE(muted.Ok()) << muted.Problems();
  EXPECT_FALSE(FileExists(game.File("Settings.lullwick"))) << "the data folder is not the player's";
  EXPECT_FALSE(FileExists(game.File("output.log")));
  const std::string settings = ReadFile(game.UserFile("Settings.lullwick"));
  EXPECT_NE(settings.find("mute_music = true"), std::string::npos) << settings;

  // The next run reads them back from there.
  ScriptRun next = game.Run("qinput 1\n5\n", MuteOptions("10"));
  ASSERT_TRUE(next.Ok()) << next.Problems();
  const std::string log = ReadFile(game.UserFile("output.log"));
  EXPECT_NE(log.find("FrameTime"), std::string::npos);
  EXPECT_EQ(log.find("No settings file"), std::string::npos) << log;
}

TEST(PlayerFilesTest, APersonalConfigInThePlayersFolderIsReadBeforeTheShippedOne) {
  TempDir dir;
  const std::string data = MakeDataDir(dir, "00");
  WriteFile(UserFile(data, "Config.lullwick"), "10");
  RunResult r = RunGame({"--headless", "--frames", "3", "--fixed-dt", "0.02", "--data", data});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(CountLines(ReadFile(UserFile(data, "output.log")), "-INFO- FrameTime 0.020000"), 3);
}

// A settings file that cannot be replaced (here a folder stands at its name, which stops even an
// administrator) is told on standard error, not only in the log.
TEST(PlayerFilesTest, SettingsThatCannotBeSavedAreToldOnStandardError) {
  ScriptedGame game;
  fs::create_directories(game.UserFile("Settings.lullwick"));
  ScriptRun run = game.Run(kMuteMusicScript, MuteOptions("00"));
  ASSERT_TRUE(run.Ok()) << run.Problems();
  EXPECT_NE(run.process.err.find("quillmarch: Could not save the settings to " + game.UserFile("Settings.lullwick")),
            std::string::npos)
      << run.process.err;
}

// Relative paths on the command line are the starting folder's, like the other file options.
TEST(PlayerFilesTest, ARelativeScreenshotPathIsTakenFromTheStartingFolder) {
  if (NoGlAllowed()) GTEST_SKIP() << "needs an OpenGL window";
  TempDir dir;
  TempDir start;
  const std::string data = MakeDataDir(dir, "00");
  fs::create_directories(start.File("shots"));
  RunResult r = RunGame({"--windowed", "--size", "320x180", "--frames", "3", "--no-dialogs", "--data", data, "--screenshot",
               "2:shots/two.png"},
              {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"}, 300, start.path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(FileExists(start.File("shots/two.png"))) << r.err;
  EXPECT_FALSE(FileExists(dir.File("shots/two.png")));
}
