#include "app/EditorLink.h"

EditorLink& GetEditorLink() {
  static EditorLink link;
  return link;
}

bool EditorHalted() { return GetEditorLink().enabled && GetEditorLink().stopped; }
