#include "core/EditorLink.h"

namespace {
bool replayHalted = false;
}  // namespace

EditorLink& GetEditorLink() {
  static EditorLink link;
  return link;
}

bool EditorHalted() { return (GetEditorLink().enabled && GetEditorLink().stopped) || replayHalted; }

void SetReplayHalt(bool halted) { replayHalted = halted; }
