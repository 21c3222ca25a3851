#include "gameplay/Retry.h"

#include "core/Input.h"
#include "core/KeyBindings.h"
#include "gameplay/PlayerState.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "widgets/MenuStack.h"

namespace {

struct RetryState {
  int lastLevelId = 0;
};

RetryState& State() {
  static RetryState state;
  return state;
}

// The pad's flags hold the previous record's buttons, so a press is down now and not flagged.
bool PadBackPressed() {
  const PadState& pad = Input().pads[0];
  return (pad.state.buttons & kPadButtonMasks[PadBack]) != 0 && !pad.flags[PadBack];
}

bool RetryPressed() { return ActionPressed(Action::Retry) || PadBackPressed(); }

// A level restarted from its pause menu starts unpaused.
void LeavePause() {
  if (!PlayerShared().pauseToggle) return;
  PlayerShared().pauseToggle = false;
  CloseMenu(MenuId::PauseMenu);
}

}  // namespace

void HandleRetryInput() {
  const Level* scene = CurrentScene();
  if (scene == nullptr) return;
  const bool inLevel = CurrentSceneIsLevel();
  if (inLevel) State().lastLevelId = scene->sceneId;
  if (!RetryPressed()) return;
  if (inLevel) {
    LeavePause();
    RequestRestart();
  } else if (scene->sceneId == scene_id::kGameOver && State().lastLevelId != 0) {
    RequestSceneById(State().lastLevelId);
  }
}

int LastPlayedLevelId() { return State().lastLevelId; }
