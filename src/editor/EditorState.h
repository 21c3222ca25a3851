// The level editor's state and what every part of the editor works on: the tools' and dialogs'
// state, the edited level's undo history and the commands run through it, the selection, the error
// box, and the records taken again from the live objects. The state is one per process and stays
// valid across scene changes (objects are named, not held); what belongs to one level (its history,
// its saved state) is that level's session (EditorSession). The editor model (EditorModel) owns the
// parts that work on this state and resets them together.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/EditorCommands.h"

class GameObject;
struct Level;

// The path grid's cell: the default snapping grid.
constexpr float kDefaultGridSize = 13.0f;
// How far Ctrl+D places the copy from the original, right and down.
constexpr float kDuplicateOffset = 26.0f;

enum class EditorTool : int { Select = 0, PlaceObject = 1, DeleteObject = 2 };

struct EditorState {
  bool stopped = true;
  EditorTool tool = EditorTool::Select;
  int placeType = 1;
  std::vector<std::string> selection;  // object names; the first is shown in Object Properties
  std::vector<std::array<float, 2>> dragOffsets;
  std::vector<std::string> pendingNodes;
  bool placingNodes = false;
  bool circularPath = false;
  std::string pathBuffer;       // at most 255 characters
  std::string attributeBuffer;  // at most 255 characters
  bool saveDialogOpen = false;  // the "Save As" dialog
  bool replaceAsked = false;    // Save As named another existing file: the warning is open
  bool loadInProgress = false;
  bool attributeSaveOpen = false;
  bool attributeLoadOpen = false;
  bool errorBoxOpen = false;
  bool saveFailed = false;
  bool attributeSaveFailed = false;
  bool attributeLoadFailed = false;
  std::string saveFailure;  // why the level was not written, shown under the failure line
  std::string errorMessage;
  float errorPosition[2] = {0.0f, 0.0f};
  // The tools' memory of the left button.
  bool leftWasDown = false;
  bool pressTaken = false;  // the press happened over the world and belongs to a tool
  float pressX = 0.0f, pressY = 0.0f;
  // The object whose picture is being picked in the file explorer (empty: no pick wanted).
  std::string texturePickFor;
  // The "Load Attributes" dialog's "Browse": the explorer is open to pick an attribute file.
  bool attributePickOpen = false;
  // The enemy whose patrol list is shown; its path is read again when another enemy is shown.
  std::string shownEnemy;
  // Snapping of placed and dragged objects to a grid (the path grid's cell by default).
  bool snap = false;
  float gridSize = kDefaultGridSize;
  bool dragUnsnapped = false;  // Shift was held during this drag
  // A drag that began on empty space draws a band; what it covers at release is selected.
  bool banding = false;
  float band[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // the press point and the cursor (x0, y0, x1, y1)
  // The Project Manager's filter over the object list.
  std::string objectFilter;
  bool restoreOffered = false;  // the shown level has a newer backup; the offer is open
  // The file the top bar names, as last drawn (what a Save writes to).
  std::string shownFile;
  // The level the last pass showed: another one means the scene changed.
  const Level* shownLevel = nullptr;
};

EditorState& Editor();
// The edited level's undo history (each level has its own; see EditorSession).
CommandHistory& EditorHistory();
// Back to a fresh state (stopped, Select tool, nothing selected, the history kept while there is no
// level emptied); the editor model resets the other parts with it.
void ResetEditorState();
// Runs a command through the history; false when it could not be applied.
bool RunEditorCommand(std::unique_ptr<EditorCommand> command);
// Where RunEditorCommand asks what the command comes from (the interface's active widget), so that a
// widget's whole edit is one step and the next widget's edit another. Null: the source never changes.
void SetEditSourceReader(uint64_t (*reader)());
// Ctrl+Z and Ctrl+Y: one step of the history back or forward; the selection and the patrol list
// drop what no longer exists. False when there was nothing to take back or do again.
bool UndoEdit();
bool RedoEdit();
// True when the edited level has changes that its file (or its attribute files) do not hold.
bool LevelEdited();
// `value` rounded to the nearest multiple of `grid` (a grid of 0 or less leaves it alone).
float SnapToGrid(float value, float grid);

// ---- selection ------------------------------------------------------------------------------------

void ClearSelection();
// Adds an object to the selection (without Ctrl the selection is cleared first).
void SelectObject(const std::string& name, bool add);
bool IsSelected(const std::string& name);
// The first selected object that is still alive, or null.
GameObject* FirstSelected();

// ---- error box and records ------------------------------------------------------------------------

void ShowErrorBox(const std::string& message, float x, float y);
// The records of the level's objects taken again from the live objects (what a save and a backup
// write). Records without a live object stay.
void SyncRecordsFromObjects(Level& level);
