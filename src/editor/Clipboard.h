// Copy, paste and duplicate of the editor's selection. A copy keeps the records of the selected
// objects as they are at that moment (components, light, emitters, filters, links); a paste builds
// new objects from them, named from the object counter, as one undoable command. Links between
// copied objects (a guard's first node, a node's successor, a text's labelled object) are carried
// over to the new names; links to objects that were not copied are dropped, so a pasted path never
// runs into the original one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/EditorCommands.h"

// Builds copies of `records` moved by (dx, dy) under fresh names. Undo removes them; redo builds
// them again with the same names.
class PasteObjectsCommand final : public EditorCommand {
 public:
  PasteObjectsCommand(std::vector<ObjectRecord> records, float dx, float dy)
      : records_(std::move(records)), dx_(dx), dy_(dy) {}
  bool Do() override;
  void Undo() override;
  std::string Label() const override { return "Paste"; }
  // The names of the pasted objects, in the order they were copied (after the first Do).
  std::vector<std::string> PastedNames() const;

 private:
  void Rename();
  std::vector<ObjectRecord> records_;
  float dx_, dy_;
  bool named_ = false;
  std::vector<std::string> pictures_;  // what the level's texture list gained
};

// Ctrl+C: the selected objects go to the clipboard (the previous contents are replaced). False when
// nothing is selected.
bool CopySelection();
// Ctrl+V: the clipboard's objects are built again so that the first copied object stands at (x, y);
// the new objects become the selection. False when the clipboard is empty.
bool PasteAt(float x, float y);
// Ctrl+D: the selection is copied and pasted beside itself, `offset` units right and down.
bool DuplicateSelection(float offset);
size_t ClipboardSize();
void ClearClipboard();
