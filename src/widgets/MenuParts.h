// The pieces every menu screen is made of: buttons, panels and text lines (UI objects with a flat
// colour, a handler and a label), the screen's named colours, and groups of objects that a menu
// shows or hides at once. Coordinates are screen units, (0, 0) at the centre, y up; sizes are
// width x height.
#pragma once

#include <string>
#include <vector>

#include "objects/ObjectHandle.h"
#include "widgets/UIHandler.h"

class GameObject;

struct MenuColor {
  float r, g, b, a;
};

namespace menu_color {
inline constexpr MenuColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr MenuColor kBlack = {0.0f, 0.0f, 0.0f, 1.0f};
inline constexpr MenuColor kSalmon = {0.9137f, 0.5882f, 0.4784f, 1.0f};   // (233, 150, 122)
// The dialogs' crimson, green and red, deep enough for light letters to read on them (crimson
// (220, 20, 60), green (0, 128, 0) and red (255, 0, 0) leave dark or light letters below 4.5:1).
inline constexpr MenuColor kDeepCrimson = {0.5882f, 0.0549f, 0.1608f, 1.0f};  // (150, 14, 41)
inline constexpr MenuColor kDeepGreen = {0.0f, 0.3922f, 0.0f, 1.0f};          // (0, 100, 0)
inline constexpr MenuColor kDeepRed = {0.698f, 0.0f, 0.0f, 1.0f};             // (178, 0, 0)
// Black see-through: shades, backdrops and the label routine's panels.
constexpr MenuColor Shade(float alpha) { return {0.0f, 0.0f, 0.0f, alpha}; }
}  // namespace menu_color

// A UI object at (x, y), width x height, with its quad in `color`; null when it could not be built.
GameObject* MakePanel(float x, float y, float width, float height, MenuColor color);
// A UI object at (x, y) showing the picture `texture` (a name the scene has loaded).
GameObject* MakePicture(float x, float y, float width, float height, const char* texture);
// A panel labelled `text` (glyph size `size`, centred, dark font) that runs `onClick` when pressed.
GameObject* MakeButton(float x, float y, float width, float height, MenuColor color, const std::string& text,
                       float size, UIHandler::ClickCallback onClick = {});
// The same, keeping the UI archetype's own quad colour.
GameObject* MakeButton(float x, float y, float width, float height, const std::string& text, float size,
                       UIHandler::ClickCallback onClick = {});
// The label routine: a centred line at (0, y) as wide as its characters times `size` and 100 high,
// on a black quad of alpha 0.6.
GameObject* MakeTextLine(float y, const std::string& text, float size);

// The text with upper and lower case swapped: the font sheets hold each letter in the other case,
// so "Back" must be stored as "bACK" to show as "Back".
std::string SwapCase(std::string text);

// The glyph size that keeps `text` inside a plate `width` wide: `size`, or smaller for a long text.
float FittingGlyph(const std::string& text, float size, float width);
// Paints the object's quad.
void SetPanelColor(GameObject* object, MenuColor color);
// Puts the object at depth z (a larger z is drawn behind), keeping it pinned there.
void SetDepth(GameObject* object, float z);
// Switches the object's label to the light font sheet.
void UseLightFontFor(GameObject* object);
// True while the object is in the object list. Menus keep their objects as handles, which turn into
// null once the object has gone, so a freed object's address is never taken for a live one.
bool IsLive(const GameObject* object);
// Registers the object's handler for navigation; nothing when the object is gone.
void RegisterForNavigation(GameObject* object);
// Makes the object's button the one Escape and pad B press while the current list is up.
void RegisterAsBack(GameObject* object);

// The objects of one menu, shown or hidden together. Objects that have left the object list since
// they were added are skipped (even when a new object now lives at the same address), so a group
// never reaches a destroyed object or one that is not its own.
class MenuGroup {
 public:
  void Add(GameObject* object);
  // Visible and active (true) or hidden and inert (false).
  void SetShown(bool shown) const;
  void Show() const { SetShown(true); }
  void Hide() const { SetShown(false); }
  // The members still in the object list, in the order they were added.
  std::vector<GameObject*> Live() const;
  // Forgets every member (their scene is going).
  void Clear() { objects_.clear(); }
  bool Empty() const { return objects_.empty(); }

 private:
  std::vector<ObjectHandle> objects_;
};
