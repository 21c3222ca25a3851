// UIHandler (component kind 3): what makes a UI object a button. It keeps its owner pinned to the
// screen while the camera moves, presses the button when the left mouse button goes down inside the
// owner's collision box, and, while the button is the navigation selection, when Enter or pad 0's A
// goes down. Every menu button, label and panel carries one; the menus set its callbacks.
// Reads the owner's Transform (slot 0) and collision shape (slot 6); writes the owner's position.
// Invariants: the handler owns neither its owner nor its label; while the editor halts the game no
// callback runs; at most one button is pressed per frame (a press that opens a menu cannot press the
// new menu's selection in the same frame). The navigation list never holds a destroyed handler.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "objects/Component.h"

class GameObject;
class Text;

class UIHandler final : public Component {
 public:
  using ClickCallback = std::function<void(UIHandler*)>;
  using UpdateCallback = std::function<void(UIHandler*, float)>;
  using HoverCallback = std::function<void(UIHandler*, bool)>;

  UIHandler();
  // Leaves the navigation lists and unlinks every label that still follows the owner.
  ~UIHandler() override;

  // onUpdate, then the mouse press, then the key and pad press, then the screen pin. dt in seconds.
  void Update(float dt) override;
  void Draw() override {}
  // Takes the owner's current position as the screen position.
  void OnAttach() override;

  // The label object made for this button (AddButtonText), looked up in the object list so that a
  // label destroyed on its own is never reached; null when there is none.
  GameObject* TextObject() const;
  // The label's Text component, or null.
  Text* TextComponent() const;

  // Shown and reacting (true) or hidden and inert (false): the owner's visible flag and `active`.
  void SetShown(bool shown);

  ClickCallback onClick;
  UpdateCallback onUpdate;
  HoverCallback onHover;
  bool active = true;    // clicks and hovers call back only while set
  bool selected = false;  // the navigation selection is on this handler
  float screenPosition[3] = {0.0f, 0.0f, 0.0f};  // relative to the camera
  // Where on the screen the screen position counts from, in halves of the view's width and height:
  // (0, 0) the centre, (1, 0) the middle of the right edge, (-1, -1) the bottom left corner. A
  // button kept near an edge stays there whatever the window's size and shape.
  float anchor[2] = {0.0f, 0.0f};
  bool fixedToScreen = true;
};

// The handler in an object's slot 3 (or appended), or null (also for a null object).
UIHandler* HandlerOf(const GameObject* object);

// Makes the handler's label: a text object at the owner's position with an empty text in the dark
// font, linked to the owner, added to the object list. Returns its Text (the caller sets the text,
// size and alignment), or null when the text object could not be built.
Text* AddButtonText(UIHandler* handler);
// Gives `object` a label when it has none, then sets its text, glyph size (0 keeps the size) and
// alignment (0 left, 1 centred, 2 right) and lays it out. Works for objects without a handler too.
// Returns the Text, or null.
Text* SetButtonLabel(GameObject* object, const std::string& text, float glyphSize, uint32_t alignment);

// The label object that follows `object`, found by walking the object list; null when none.
GameObject* FindLinkedLabel(const GameObject* object);
// Every label that follows `object` stops following it (their link becomes null).
void UnlinkLabels(const GameObject* object);
// The object pass's label rule: the label that must go with a destroyed object. Other labels that
// still follow it are marked for destruction and unlinked, so none is left pointing at it.
GameObject* LabelToDestroyWith(GameObject* object);

// True when the object's handler pins it to the screen; an object without a handler counts as
// pinned (its label never fades).
bool IsFixedToScreen(GameObject* object);
