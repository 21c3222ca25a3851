// The file explorer driven by an input script on the real window (offscreen driver): a level saved
// during the session is listed when Load opens again, even in a folder the explorer had read before.
#include <gtest/gtest.h>

#include <string>

#include "support/ScriptedGame.h"
#include "support/TestSupport.h"

using testing_support::MakeEditableDataDir;
using testing_support::ReadFile;
using testing_support::SourceDir;
using testing_support::TempDir;

namespace {

TEST(EditorExplorerTest, ALevelSavedInTheSessionIsListedByTheNextLoadAndLoads) {
  TempDir editing;
  const std::string data = MakeEditableDataDir(editing, "01");
  const std::string dump = editing.File("end.json");
  testing_support::RunResult run = testing_support::RunGame(
      {"--data", data, "--windowed", "--size", "1280x720", "--scene", "0", "--input",
       SourceDir() + "/tests/e2e/scripts/editor_explorer_fresh.qinput", "--frames", "110", "--fixed-dt", "0.02",
       "--dump-objects", "109:" + dump},
      {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  testing_support::ObjectDump objects;
  std::string error;
  ASSERT_TRUE(testing_support::ParseObjectDump(ReadFile(dump), &objects, &error)) << error;
  // The saved level, one wall, is what the pick loaded (not a level listed after it, as before).
  EXPECT_NE(objects.Find("Wall_0"), nullptr);
  EXPECT_EQ(objects.CountType("Wall"), 1);
  EXPECT_LT(objects.objects.size(), 5u);
}

}  // namespace
