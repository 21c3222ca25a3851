// The editor's tools over the level: Select, Place and Delete with the mouse and the Delete key, the
// picks by point and by band, the Project Manager's list, the patrol-path tool, and the emitter
// test. They work on the editor's state (EditorState) and change the level only through commands.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class GameObject;

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

// ---- selection and tools --------------------------------------------------------------------------
// Select: a press on an object selects it (Ctrl adds) and a drag moves the selection; a press on
// empty space clears the selection (unless Ctrl is held) and a drag from there draws a band that
// selects, at release, every object it covers.

// The first selectable object whose collision shape contains the point, or null.
GameObject* ObjectUnder(float x, float y);
// The objects the Project Manager lists: every visible object of the list whose name holds `filter`
// (any case), in list order.
std::vector<GameObject*> ListedObjects(const std::string& filter);
// The selectable objects whose outline lies wholly inside the rectangle between the two corners.
std::vector<GameObject*> ObjectsInside(float x0, float y0, float x1, float y1);
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

// ---- emitters -----------------------------------------------------------------------------------

// "Emmit Test": starts emitter `index` (component order) of the live object, or switches a running
// looping one off. A test is not an edit: the level keeps the emitter as it was.
void TestEmitter(const std::string& object, size_t index);
