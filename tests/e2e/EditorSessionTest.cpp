// The level editor driven by an input script on the real window (offscreen driver): a designer
// builds a small level by clicking (a wall, a food, a player, the two zones and a guard with a
// two-node patrol path), saves it under a new name, the level tool finds nothing wrong with the
// file, and the game plays it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "scenes/Level.h"
#include "support/TestSupport.h"

using testing_support::BinaryDir;
using testing_support::ReadFile;
using testing_support::RunGame;
using testing_support::SourceDir;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kOffscreen = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"};

// A data folder whose level files are its own (a save must not write into the build folder); every
// other asset is linked from the build.
std::string MakeEditableDataDir(const TempDir& dir, const std::string& config) {
  const fs::path build = BinaryDir();
  fs::create_directory_symlink(build / "Shaders", dir.File("Shaders"));
  fs::create_directories(dir.File("Assets/Levels"));
  for (const auto& entry : fs::directory_iterator(build / "Assets")) {
    if (entry.path().filename() == "Levels") continue;
    fs::create_symlink(entry.path(), fs::path(dir.File("Assets")) / entry.path().filename());
  }
  fs::copy(build / "Assets/Levels", dir.File("Assets/Levels"), fs::copy_options::recursive);
  WriteFile(dir.File("Config.lullwick"), config);
  return dir.path();
}

const ObjectRecord* Find(const Level& level, const std::string& id) {
  for (const ObjectRecord& r : level.objects) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

// The x and y of an object in a --dump-objects file.
bool DumpedPosition(const std::string& dump, const std::string& name, float* x, float* y, std::string* state) {
  std::smatch m;
  std::regex object("\\{\"name\": \"" + name + "\"[^}]*\"x\": ([-0-9.e]+), \"y\": ([-0-9.e]+)[^}]*\"state\": (\\w+)");
  if (!std::regex_search(dump, m, object)) return false;
  *x = std::stof(m[1].str());
  *y = std::stof(m[2].str());
  *state = m[3].str();
  return true;
}

TEST(EditorSessionTest, AGuardWithAPatrolPathPlacedByClickingIsSavedCheckedAndPlayed) {
  TempDir editing;
  const std::string data = MakeEditableDataDir(editing, "01");
  const std::string script = SourceDir() + "/tests/e2e/scripts/editor_session.qinput";
  testing_support::RunResult run =
      RunGame({"--data", data, "--windowed", "--size", "1280x720", "--scene", "0", "--input", script, "--frames",
               "160", "--fixed-dt", "0.02"},
              kOffscreen);
  ASSERT_EQ(run.exitCode, 0) << run.err;

  // The file holds what was placed, with the path linked in click order.
  const std::string saved = editing.File("Assets/Levels/guardtest.json");
  ASSERT_TRUE(fs::exists(saved)) << run.err;
  std::unique_ptr<Level> level = LoadLevelFromText(ReadFile(saved), saved);
  ASSERT_NE(level, nullptr);
  ASSERT_EQ(level->objects.size(), 8u);
  const ObjectRecord* wall = Find(*level, "Wall_0");
  const ObjectRecord* guard = Find(*level, "Enemy_5");
  const ObjectRecord* first = Find(*level, "Node_6");
  const ObjectRecord* second = Find(*level, "Node_7");
  ASSERT_TRUE(wall && guard && first && second && Find(*level, "Food_1") && Find(*level, "Player_2") &&
              Find(*level, "Collection_3") && Find(*level, "Escapezone_4"));
  EXPECT_NEAR(wall->translationX, -300.0f, 2.0f);
  EXPECT_NEAR(guard->translationY, 150.0f, 2.0f);
  EXPECT_EQ(guard->nextId, "Node_6");
  EXPECT_EQ(first->nextId, "Node_7");
  EXPECT_EQ(second->nextId, "");
  EXPECT_NEAR(second->translationX, 200.0f, 2.0f);

  // The level tool reads it as the game does and finds nothing wrong.
  const std::string tool = BinaryDir() + "/quillmarch-level";
  EXPECT_EQ(std::system(("\"" + tool + "\" check \"" + saved + "\" > /dev/null").c_str()), 0);

  // Played as level 1, the guard sets off along its path.
  TempDir playing;
  const std::string playData = MakeEditableDataDir(playing, "00");
  fs::copy_file(saved, playing.File("Assets/Levels/level1.json"), fs::copy_options::overwrite_existing);
  run = RunGame({"--headless", "--data", playData, "--scene", "6", "--fixed-dt", "0.02", "--frames", "200",
                 "--dump-objects", "2:" + playing.File("start.json"), "--dump-objects",
                 "50:" + playing.File("end.json"), "--dump-objects", "100:" + playing.File("first.json"),
                 "--dump-objects", "200:" + playing.File("second.json")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  std::string state;
  ASSERT_TRUE(DumpedPosition(ReadFile(playing.File("start.json")), "Enemy_5", &x0, &y0, &state));
  if (state == "null") GTEST_SKIP() << "this build has no guard behaviour to walk the path";
  ASSERT_TRUE(DumpedPosition(ReadFile(playing.File("end.json")), "Enemy_5", &x1, &y1, &state));
  // A second in, the guard is on its way to the first node, left of its start and further up.
  EXPECT_LT(x1, x0 - 20.0f);
  EXPECT_GT(y1, y0 + 20.0f);
  // Two seconds in it has come to the first node's line, four seconds in it walks on towards the
  // second node at the other end of the path.
  ASSERT_TRUE(DumpedPosition(ReadFile(playing.File("first.json")), "Enemy_5", &x1, &y1, &state));
  EXPECT_LT(x1, -120.0f);
  EXPECT_NEAR(y1, 300.0f, 20.0f);
  ASSERT_TRUE(DumpedPosition(ReadFile(playing.File("second.json")), "Enemy_5", &x1, &y1, &state));
  EXPECT_GT(x1, 120.0f);
  EXPECT_NEAR(y1, 300.0f, 20.0f);
}

}  // namespace
