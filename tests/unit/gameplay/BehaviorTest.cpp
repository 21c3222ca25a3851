#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/EditorLink.h"
#include "gameplay/Behavior.h"

namespace {

// Writes down every handler call; can chain on from OnEnter of one state to another.
class Recorder final : public Behavior {
 public:
  std::vector<std::string> calls;
  int chainFrom = -1;
  int chainTo = -1;

 protected:
  void OnEnter() override {
    calls.push_back("enter " + std::to_string(currentState));
    if (currentState == chainFrom) nextState = chainTo;
  }
  void OnUpdate(float) override { calls.push_back("update " + std::to_string(currentState)); }
  void OnExit() override { calls.push_back("exit " + std::to_string(currentState)); }
};

using Calls = std::vector<std::string>;

}  // namespace

// Requests keep the last value, and a request for the current state cancels the change.
TEST(BehaviorTest, FirstUpdateLeavesZeroEntersOneAndLaterRequestsKeepTheLastValueOrCancel) {
  Recorder b;
  b.Update(0.02f);
  EXPECT_EQ(b.calls, (Calls{"exit 0", "enter 1", "update 1"}));
  EXPECT_EQ(b.previousState, 0);
  EXPECT_EQ(b.currentState, 1);
  b.calls.clear();
  b.Update(0.02f);
  EXPECT_EQ(b.calls, (Calls{"update 1"})) << "no pending request, no change";
  b.calls.clear();
  b.nextState = 3;
  b.nextState = 4;
  b.Update(0.02f);
  EXPECT_EQ(b.calls, (Calls{"exit 1", "enter 4", "update 4"}));
  b.calls.clear();
  b.nextState = 5;
  b.nextState = 4;
  b.Update(0.02f);
  EXPECT_EQ(b.calls, (Calls{"update 4"}));
}

TEST(BehaviorTest, AStateEnteredFromOnEnterStillGetsOneUpdate) {
  Recorder b;
  b.chainFrom = 1;
  b.chainTo = 2;
  b.Update(0.02f);
  b.Update(0.02f);
  EXPECT_EQ(b.calls, (Calls{"exit 0", "enter 1", "update 1", "exit 1", "enter 2", "update 2"}));
  EXPECT_EQ(b.previousState, 1);
}

TEST(BehaviorTest, EditorHaltKeepsRequestsPendingUntilTheLevelRunsAgain) {
  Recorder b;
  b.Update(0.02f);
  b.calls.clear();
  GetEditorLink().enabled = true;
  GetEditorLink().stopped = true;
  b.nextState = 6;
  b.Update(0.02f);
  b.Update(0.02f);
  EXPECT_TRUE(b.calls.empty());
  EXPECT_EQ(b.currentState, 1);
  EXPECT_EQ(b.nextState, 6);
  // Stopped without the editor enabled is no halt.
  GetEditorLink().enabled = false;
  b.Update(0.02f);
  GetEditorLink() = EditorLink{};
  EXPECT_EQ(b.calls, (Calls{"exit 1", "enter 6", "update 6"}));
}
