// Keyboard and pad navigation through the buttons of the current menu: one navigation list (the
// buttons the arrows and the d-pad reach), its selection, a stack of saved lists (a dialog pushes
// the list and takes over the keys, then pops it to give them back), and the highlight, a UI object
// that frames the selected button. One set for the whole program.
// Invariants: the selected flag is set on exactly the selection of the current list and on no
// other handler; the lists hold only live handlers (a handler leaves them when it is destroyed).
#pragma once

#include <cstddef>
#include <vector>

class GameObject;
class UIHandler;

// Appends a handler; when it is the only one it becomes the selection (and the highlight, when
// shown, moves onto it).
void RegisterUIButton(UIHandler* handler);
// Makes a handler of the navigation list the selection and frames it when the highlight is shown;
// a handler outside the list changes nothing.
void SelectUIButton(UIHandler* handler);
// Empties the navigation list; nothing is selected.
void ClearUIButtons();
// Saves the navigation list on top of the saved lists and empties it.
void PushUIButtons();
// With a saved list: it becomes the navigation list again with its first button selected, and the
// highlight is hidden. With none, nothing changes.
void PopUIButtons();
// Forgets the navigation list and every saved list (their buttons go with the scene).
void ForgetAllUIButtons();

// The focus step of the object pass: Down/Right (or pad 0's d-pad down/right) selects the next
// button, Up/Left the previous one, each wrapping around; each new press moves once. Only while the
// list is not empty, its selection is active and the editor does not halt the game. Also ends the
// frame's press (see TakeFramePress).
void NavigateButtons();

// The highlight of the current scene: a hidden 1 x 1 UI object at (0, 0) in a dark gold.
GameObject* CreateHighlight();
// Frames the selection: the highlight goes to the selected button's screen position (one unit
// behind it), 1.2 times its size, pinned to the screen and visible.
void MoveHighlight();
void HideHighlight();
// The highlight object, or null when there is none (or it was destroyed).
GameObject* Highlight();

// A button press may happen once per frame. The first caller in a frame gets true; later callers
// get false until the focus step ends the frame.
bool TakeFramePress();

// Read access for menus and tests.
const std::vector<UIHandler*>& NavigationList();
UIHandler* SelectedButton();
size_t SavedListCount();

// Called by UIHandler's destructor: the handler leaves the navigation list and the saved lists (a
// selection that leaves passes to the next button), and stops being the highlight.
void ForgetUIHandler(UIHandler* handler);
