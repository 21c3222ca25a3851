#include <gtest/gtest.h>

#include <filesystem>

#include "app/Config.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

const std::vector<std::string> kOffscreen = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"};

// A data folder with its own copy of Shaders/ (so a test can break it) and the build's Assets/.
std::string DataDirWithOwnShaders(const TempDir& dir) {
  fs::copy(fs::path(BinaryDir()) / "Shaders", fs::path(dir.File("Shaders")),
           fs::copy_options::recursive);
  fs::create_directory_symlink(fs::path(BinaryDir()) / "Assets", fs::path(dir.File("Assets")));
  WriteFile(dir.File("Config.lullwick"), "00");
  return dir.path();
}

}  // namespace

// A missing shader file's message is GraphicsStartTest's (unit), for every file; here the program
// itself meets a broken one.
TEST(GraphicsStartupTest, BrokenShaderWritesTheCompilerMessageAndSaysWhere) {
  TempDir dir;
  std::string data = DataDirWithOwnShaders(dir);
  WriteFile(dir.File("Shaders/pcolor.glsl"), "#version 330 core\nvoid main() { this is not glsl; }\n");
  RunResult r = RunGame({"--windowed", "--frames", "5", "--no-dialogs", "--data", data}, kOffscreen);
  EXPECT_EQ(r.exitCode, 1) << "a start that failed is no success: " << r.err;
  EXPECT_NE(r.err.find("./Shaders/pcolor.glsl: Error compiling shader.  Check shader-error.txt for message.\n"
                       "Error: Could not initialize the color shader object.\n"),
            std::string::npos)
      << r.err;
  // The report is the player's file: in the per-user folder, not in the (maybe read-only) data folder.
  const std::string report = UserFile(data, "shader-error.txt");
  EXPECT_FALSE(FileExists(dir.File("shader-error.txt")));
  ASSERT_TRUE(FileExists(report)) << r.err;
  EXPECT_NE(r.err.find(report), std::string::npos) << "standard error says where the message is: " << r.err;
  std::string message = ReadFile(report);
  EXPECT_NE(message.find("2"), std::string::npos) << "the compiler's message names line 2: " << message;
  EXPECT_TRUE(NoSanitizerReport(r)) << r.err;
}

// How the shipped program starts: the configuration that comes with it, and a machine whose driver
// cannot give an OpenGL 3.3 core context (the window opens, the context does not).
TEST(StartupFailureTest, TheShippedConfigurationTurnsTheLogAndTheEditorOff) {
  const fs::path beside = fs::path(GameExe()).parent_path() / "Config.lullwick";
  ASSERT_TRUE(FileExists(beside.string())) << "a missing file would turn the log and the editor on for players";
  ConfigFlags flags = ReadConfig(beside.string());
  EXPECT_EQ(flags.logToFile, 0);
  EXPECT_EQ(flags.editorEnabled, 0);
}

TEST(StartupFailureTest, WithoutAnOpenGlContextTheGameSaysSoAndStops) {
  TempDir dir;
  std::string data = MakeDataDir(dir, "10");
  // Mesa then offers no 3.3 core context, while the window itself still opens.
  RunResult r = RunGame({"--windowed", "--frames", "5", "--no-dialogs", "--data", data, "--screenshot",
                         "2:" + dir.File("shot.png")},
                        {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy", "MESA_GL_VERSION_OVERRIDE=3.0"});
  EXPECT_EQ(r.exitCode, 1) << "a start that failed is no success: " << r.err;
  EXPECT_NE(r.err.find("Error: Could not initialize OpenGL.\n"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(dir.File("shot.png"))) << "no frame may run on a blank window";
  EXPECT_EQ(ReadFile(UserFile(dir.path(), "output.log")).find("FrameTime"), std::string::npos);
  EXPECT_TRUE(NoSanitizerReport(r)) << r.err;
}
