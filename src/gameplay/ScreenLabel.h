// Labels and buttons of the game's own screens (the heads-up display, the end scene, the game-over
// and win screens): UI objects of the archetype factory whose text, inertness and button action are
// given through the factory's UI hooks, which the on-screen button module fills. Without that module
// the objects still exist (so screens keep their layout and numbering) but show no text and do
// nothing when pressed.
#pragma once

#include <cstdint>
#include <string>

class GameObject;

// An inert UI object at (x, y) of width x height with a transparent quad and `text` in glyphs of
// `size` with `alignment` (0 left, 1 centred, 2 right). Null when the archetype failed.
GameObject* CreateScreenLabel(float x, float y, float width, float height, const std::string& text, float size,
                              uint32_t alignment);
// A plate for labels to stand on: a UI object with a black quad of the given opacity, no text.
GameObject* CreateScreenPlate(float x, float y, float width, float height, float opacity);
// Paints the object's quad black with the given opacity (0 leaves it see-through).
void SetScreenPlate(GameObject* object, float opacity);
// The label's text in the light font sheet, which reads on a dark plate.
void UseLightLabelFont(GameObject* label);
// A button at (x, y) of width x height labelled `text` that runs the named button action; its quad
// is white, or transparent when `white` is false.
GameObject* CreateScreenButton(float x, float y, float width, float height, const std::string& text, float size,
                               uint32_t alignment, const std::string& action, bool white);
// Replaces the label's text (same size and alignment rules as above). Nothing for null.
void SetScreenLabel(GameObject* label, const std::string& text, float size, uint32_t alignment);
