// Copy, paste and duplicate of the editor's selection. A copy keeps the records of the selected
// objects as they are at that moment (components, light, emitters, filters, links); a paste builds
// new objects from them, named from the object counter, as one undoable command. Links between
// copied objects (a guard's first node, a node's successor, a text's labelled object) are carried
// over to the new names; links to objects that were not copied are dropped, so a pasted path never
// runs into the original one. A copy also keeps the pictures its objects show, as the level it came
// from lists them; a paste into a level that does not list a picture adds it to that level's list.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/EditorCommands.h"

struct Level;

// Builds copies of `records` moved by (dx, dy) under fresh names. Undo removes them; redo builds
// them again with the same names.
class PasteObjectsCommand final : public EditorCommand {
 public:
  // `pictures`: texture-list entries (paths below "./Assets/") of the pictures the records show.
  PasteObjectsCommand(std::vector<ObjectRecord> records, std::vector<std::string> pictures, float dx, float dy)
      : records_(std::move(records)), pictures_(std::move(pictures)), dx_(dx), dy_(dy) {}
  bool Do() override;
  void Undo() override;
  std::string Label() const override { return "Paste"; }
  // The names of the pasted objects, in the order they were copied (after the first Do).
  std::vector<std::string> PastedNames() const;

 private:
  void Rename();
  void AddPictures(Level& level);
  std::vector<ObjectRecord> records_;
  std::vector<std::string> pictures_;
  std::vector<std::string> addedPictures_;  // the entries this paste added to the level's list
  float dx_, dy_;
  bool named_ = false;
  // Pictures the built objects draw that the level still did not list (an archetype's own).
  std::vector<std::string> listedPictures_;
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
