// Keyboard and pad navigation through the buttons of the current menu: one navigation list (the
// buttons the arrows and the d-pad reach), its selection, its back button (what Escape and pad B
// press: "back", "no", "rESUME gAME" ...), a stack of saved lists (a dialog pushes the list and
// takes over the keys, then pops it to give them back, selection and all), and the highlight, a UI
// object that frames the selected button whenever a menu is up. One set for the whole program.
// Invariants: the selected flag is set on exactly the selection of the current list and on no
// other handler; the lists hold only live handlers (a handler leaves them when it is destroyed);
// the highlight shows exactly while the selection is shown and reacting.
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
// The button Escape and pad B press while the current list is up (a menu's way back one step);
// null: those keys do nothing there. A handler outside the list may serve. Push and pop keep it
// with its list.
void SetBackButton(UIHandler* handler);
UIHandler* BackButton();
// Saves the navigation list (with its selection and back button) on top of the saved lists and
// empties it.
void PushUIButtons();
// With a saved list: it becomes the navigation list again with the button that was selected when
// it was saved (the one that opened the dialog or overlay), framed by the highlight. With none,
// nothing changes.
void PopUIButtons();
// Forgets the navigation list and every saved list (their buttons go with the scene).
void ForgetAllUIButtons();

// The focus step of the object pass: Down/Right (or pad 0's d-pad down/right) selects the next
// button, Up/Left the previous one, each wrapping around; each new press moves once. Escape or pad
// B going down presses the back button; outside the levels, where Start is not the pause button,
// Start presses the selection as A does. Only while the list is not empty, its selection is active
// and the editor does not halt the game. Then the highlight is put on the selection (or hidden when
// no menu is up), and the frame's press ends (see TakeFramePress).
void NavigateButtons();

// The highlight of the current scene: a hidden 1 x 1 UI object at (0, 0) in a dark gold.
GameObject* CreateHighlight();
// Frames the selection: the highlight goes to the selected button's screen position (one unit
// behind it), 1.2 times its size, pinned to the screen and visible.
void MoveHighlight();
void HideHighlight();
// The highlight as the menus stand: on the selection while it is shown and reacting, hidden when
// no menu is up (a hidden pause menu, an empty list).
void RefreshHighlight();
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
