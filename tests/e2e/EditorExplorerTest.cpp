// The file explorer driven by an input script on the real window (offscreen driver): a level saved
// during the session is listed when Load opens again, even in a folder the explorer had read before.
#include <gtest/gtest.h>

#include <string>

#include "support/ScriptedGame.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

TEST(EditorExplorerTest, ALevelSavedInTheSessionIsListedByTheNextLoadAndLoads) {
  EditorData editing;
  const std::string dump = editing.dir.File("end.json");
  RunResult run = editing.Run("editor_explorer_fresh.qinput", 110, 0, {"--dump-objects", "109:" + dump});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  ObjectDump objects;
  std::string error;
  ASSERT_TRUE(ParseObjectDump(ReadFile(dump), &objects, &error)) << error;
  // The saved level, one wall, is what the pick loaded (not a level listed after it, as before).
  EXPECT_NE(objects.Find("Wall_0"), nullptr);
  EXPECT_EQ(objects.CountType("Wall"), 1);
  EXPECT_LT(objects.objects.size(), 5u);
}

}  // namespace
