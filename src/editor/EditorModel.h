// The level editor without its windows: the tools, the selection, the patrol-path tool, the save,
// load and attribute flows, Run and Stop. The windows draw this state and call these functions;
// tests drive them directly. Every change to the level goes through the command history.
// The state is one per process and stays valid across scene changes (objects are named, not held);
// what belongs to one level (its history, its saved state) is that level's session (EditorSession).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "editor/EditorCommands.h"
#include "scenes/HumanTuning.h"
#include "scenes/PlayerTuning.h"

class GameObject;
struct Level;

// The path grid's cell: the default snapping grid.
constexpr float kDefaultGridSize = 13.0f;
// How far Ctrl+D places the copy from the original, right and down.
constexpr float kDuplicateOffset = 26.0f;

enum class EditorTool : int { Select = 0, PlaceObject = 1, DeleteObject = 2 };

// One pass of the mouse and keys as the tools see them.
struct PointerInput {
  float worldX = 0.0f, worldY = 0.0f;    // the world point under the cursor
  float cameraX = 0.0f, cameraY = 0.0f;  // the camera, for objects placed relative to it
  bool leftDown = false;                 // the left button is held
  bool ctrl = false;
  bool shift = false;                    // held: this drag does not snap to the grid
  bool deletePressed = false;            // the Delete key went down in this pass
  bool overInterface = false;            // the editor's windows have the mouse
  bool keyboardTaken = false;            // a text field has the keyboard
};

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
// Back to a fresh editor (stopped, Select tool, nothing selected, no level's history).
void ResetEditor();
// The start of the editor's pass, before its windows: a level shown for the first time starts with
// nothing selected, the tuning the level's edits left is put back (a start of the level reads its
// attribute files again), and a scene change asked for while stopped with unsaved edits waits for
// the designer's answer.
void BeginEditorPass();
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
// True while a dialog, the load flow or the error box is open: the tools and Object Properties
// then leave the level alone.
bool AnyDialogOpen();

// ---- selection and tools --------------------------------------------------------------------------
// Select: a press on an object selects it (Ctrl adds) and a drag moves the selection; a press on
// empty space clears the selection (unless Ctrl is held) and a drag from there draws a band that
// selects, at release, every object it covers.

// The first selectable object whose collision shape contains the point, or null.
GameObject* ObjectUnder(float x, float y);
void ClearSelection();
// Adds an object to the selection (without Ctrl the selection is cleared first).
void SelectObject(const std::string& name, bool add);
bool IsSelected(const std::string& name);
// The objects the Project Manager lists: every visible object of the list whose name holds `filter`
// (any case), in list order.
std::vector<GameObject*> ListedObjects(const std::string& filter);
// The selectable objects whose outline lies wholly inside the rectangle between the two corners.
std::vector<GameObject*> ObjectsInside(float x0, float y0, float x1, float y1);
// The first selected object that is still alive, or null.
GameObject* FirstSelected();
// One pass of the mouse tools and the Delete key.
void RunTools(const PointerInput& input);

// ---- patrol-path tool -------------------------------------------------------------------------------

// True when the enemy's record names a first node that exists.
bool EnemyHasPath(const std::string& enemy);
// Called while an enemy's panel is shown: an enemy shown for the first time fills the pending
// list from its path (following the links until they end or come back to the first node).
void ShowEnemyPath(const std::string& enemy);
void StartNewPatrolNodes();    // "Create new patrol path nodes"
void SelectExistingNodes();    // "Select existing nodes"
void AddSelectedNodesToEnemy();  // a node's "Add selected nodes to an existing enemy"
// "Set patrol path": links the pending nodes for the enemy and stops collecting.
bool SetPatrolPath(const std::string& enemy);
// Swaps pending entry `index` with its neighbour one step up (-1) or down (+1); never past the ends.
void MovePathEntry(size_t index, int step);
// "Recalculate path": links the listed nodes again in list order.
bool RecalculatePath(const std::string& enemy);

// ---- run and stop -----------------------------------------------------------------------------------

void RunLevel();   // "Run"
void StopLevel();  // "Stop": the scene starts again from the level's records

// ---- files ------------------------------------------------------------------------------------------

// The records of the level's objects taken again from the live objects (what a save and a backup
// write). Records without a live object stay.
void SyncRecordsFromObjects(Level& level);
// Writes the edited level (records from the live objects) and the attribute files its tuning edits
// touched to the level's own file. False when the level has no file or it was not written; the
// reason is in Editor().saveFailure.
bool EditorSaveLevel();
// Writes the edited level to `path`, which becomes its file.
bool SaveLevelAs(const std::string& path);
// Reads the level at the path buffer. A scene of the same file takes the content in place (a level
// lives once in memory); any other file becomes a new scene. The scene is asked for next.
bool EditorLoadLevel();
// The level path a save-dialog text stands for: a bare name goes to "./Assets/Levels/" + name + ".json".
std::string LevelPathFor(const std::string& text);
// What the top bar shows of the edited level: "Level 1: ./Assets/Levels/level1.json".
std::string EditedLevelLabel();
// The top bar's "Save": writes the level to the file the top bar names; a failure opens the error
// box with the reason. A scene without a level file opens "Save As" instead.
void PressSave();
// The top bar's "Save As": the dialog opens with the level's name.
void PressSaveAs();
// The Save As dialog's "Save": a blank name, or one that would leave the levels folder, is refused
// with a message; another existing file is replaced only after the warning's "Replace".
bool SaveDialogSave();
// The warning's "Replace" and "Cancel".
bool ConfirmReplace();
void CancelReplace();
// The top bar's "Load": asks about unsaved edits first, then opens the file explorer.
void PressLoad();
// Opens the file explorer on the level files for a load (after any question about unsaved work).
void StartLoading();
// The explorer reported a pick: load it, or open the error box and keep the explorer.
bool LoadPicked(const std::string& path);
void ShowErrorBox(const std::string& message, float x, float y);
// "Change texture" / "Add texture": the explorer opens to pick a picture for the object's model.
void StartTexturePick(const std::string& object);
// The explorer reported a pick: the picture becomes a texture of the level and the model shows it.
// A pick outside "./Assets" (or no pick) opens the error box and keeps the explorer.
bool TexturePicked(const std::string& path);
// "Browse" in the "Load Attributes" dialog: the explorer opens on the attribute files.
void StartAttributePick();
// The explorer reported a pick: a file of "./Assets/Attributes/" fills the dialog's name field (its
// path below that folder, without ".json") and the explorer closes; any other pick is refused with
// a message and the explorer stays.
bool AttributePicked(const std::string& path);
// "Remove texture": the model shows its colour again.
void RemoveTexture(const std::string& object);

// ---- tuning and attribute files ---------------------------------------------------------------------

// The attribute section an object's name stands for: 1 player, 3 enemy, 0 none.
int TuningTypeOf(const GameObject& object);
bool SaveAttributesFlow();  // the "Save Attributes" dialog's button
// The "Load Attributes" dialog's button: reads the file, lists it last among the level's attribute
// files (once), and registers a selected player's six sounds again.
bool LoadAttributesFlow();
// An edit of the shared player or human tuning in Object Properties, as one undoable step that
// counts as an edit of the level (its attribute files).
void EditPlayerTuning(const PlayerTuning& before, const PlayerTuning& after);
void EditHumanTuning(const HumanTuning& before, const HumanTuning& after);
// The player's six sound slots (label, event, name suffix).
struct SoundSlot {
  const char* label;
  const char* event;
  const char* suffix;
};
const std::vector<SoundSlot>& PlayerSoundSlots();
// A slot's "Load": registers the slot's event again under the object's name and the suffix.
void ReloadSound(GameObject& object, const SoundSlot& slot);

// ---- emitters -----------------------------------------------------------------------------------

// "Emmit Test": starts emitter `index` (component order) of the live object, or switches a running
// looping one off. A test is not an edit: the level keeps the emitter as it was.
void TestEmitter(const std::string& object, size_t index);
