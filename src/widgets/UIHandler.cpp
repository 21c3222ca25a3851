#include "widgets/UIHandler.h"

#include "core/EditorLink.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "graphics/Camera.h"
#include "graphics/Model.h"
#include "graphics/Text.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"
#include "widgets/Navigation.h"

namespace {

bool PadAWentDown() {
  const PadState& pad = Input().pads[0];
  const bool held = (pad.state.buttons & pad.masks[PadA]) != 0;
  return held && !pad.flags[PadA];
}

Text* TextOf(GameObject* object) {
  return object != nullptr ? object->GetComponentAs<Text>(SlotOf(ComponentType::Text)) : nullptr;
}

bool MouseInside(const GameObject* owner) {
  auto* shape = owner->GetComponentAs<Collision>(SlotOf(ComponentType::Collision));
  return shape != nullptr && PointInShape(Input().mouse.worldX, Input().mouse.worldY, shape);
}

}  // namespace

UIHandler::UIHandler() : Component(ComponentType::UIHandler) {}

UIHandler::~UIHandler() {
  ForgetUIHandler(this);
  // The owner is going too (or only its handler is): no label may keep pointing at it. The owner's
  // components are being torn down, so only its address is used here.
  if (owner != nullptr) UnlinkLabels(owner);
}

void UIHandler::OnAttach() {
  const Transform* t = owner != nullptr ? owner->GetTransform() : nullptr;
  if (t == nullptr) return;
  for (int i = 0; i < 3; ++i) screenPosition[i] = t->position[i];
}

void UIHandler::Update(float dt) {
  const bool halted = EditorHalted();
  // 1. The button's own per-frame work.
  if (onUpdate && !halted) onUpdate(this, dt);
  // 2. The mouse: a new left press inside the box.
  if (LeftClicked() && active && onClick && !halted && owner != nullptr && MouseInside(owner) && TakeFramePress()) {
    onClick(this);
  }
  // 3. Enter or pad A on the selection.
  if (active && selected && onClick && !halted && (KeyTriggered(vk::Return) || PadAWentDown()) && TakeFramePress()) {
    onClick(this);
  }
  // 4. The screen pin.
  if (fixedToScreen && owner != nullptr) {
    if (Transform* t = owner->GetTransform()) {
      const Camera& camera = MainCamera();
      float halfWidth = 0.0f, halfHeight = 0.0f;
      if (anchor[0] != 0.0f || anchor[1] != 0.0f) ViewHalfExtents(t->position[2], &halfWidth, &halfHeight);
      t->position[0] = camera.position[0] + screenPosition[0] + anchor[0] * halfWidth;
      t->position[1] = camera.position[1] + screenPosition[1] + anchor[1] * halfHeight;
    }
  }
}

GameObject* UIHandler::TextObject() const { return FindLinkedLabel(owner); }

Text* UIHandler::TextComponent() const { return TextOf(TextObject()); }

void UIHandler::SetShown(bool shown) {
  active = shown;
  if (owner != nullptr) owner->visible = shown;
}

UIHandler* HandlerOf(const GameObject* object) {
  if (object == nullptr) return nullptr;
  if (auto* handler = object->GetComponentAs<UIHandler>(SlotOf(ComponentType::UIHandler))) return handler;
  return object->FindComponent<UIHandler>();
}

namespace {

// A text object at the object's position, in the dark font, linked to the object.
Text* MakeLabel(GameObject* object) {
  const Transform* t = object != nullptr ? object->GetTransform() : nullptr;
  if (t == nullptr) return nullptr;
  GameObject* label = CreateText(t->position[0], t->position[1], 0.0f, "");
  Text* text = TextOf(label);
  if (text == nullptr) return nullptr;
  // An empty text leaves no model; this placeholder makes the first glyph build take the dark sheet.
  label->AddComponent(new Model(kDarkFontSheet));
  text->linkedObject = object;
  return text;
}

}  // namespace

Text* AddButtonText(UIHandler* handler) {
  return handler != nullptr ? MakeLabel(handler->owner) : nullptr;
}

Text* SetButtonLabel(GameObject* object, const std::string& text, float glyphSize, uint32_t alignment) {
  if (object == nullptr) return nullptr;
  Text* label = TextOf(FindLinkedLabel(object));
  if (label == nullptr) label = MakeLabel(object);
  if (label == nullptr) return nullptr;
  label->SetText(text, glyphSize, alignment);
  return label;
}

// Labels are found from the list rather than remembered, so a label that was destroyed on its own
// is simply not found, and a remembered pointer can never outlive it.
GameObject* FindLinkedLabel(const GameObject* object) {
  if (object == nullptr) return nullptr;
  for (GameObject* candidate : Objects()) {
    Text* text = TextOf(candidate);
    if (text != nullptr && text->linkedObject == object && candidate != object) return candidate;
  }
  return nullptr;
}

void UnlinkLabels(const GameObject* object) {
  if (object == nullptr) return;
  for (GameObject* candidate : Objects()) {
    Text* text = TextOf(candidate);
    if (text != nullptr && text->linkedObject == object) text->linkedObject = nullptr;
  }
}

GameObject* LabelToDestroyWith(GameObject* object) {
  GameObject* first = nullptr;
  for (GameObject* candidate : Objects()) {
    Text* text = TextOf(candidate);
    if (text == nullptr || text->linkedObject != object || candidate == object) continue;
    if (first == nullptr) {
      first = candidate;
      continue;
    }
    // A second label of the same object goes in the removal pass; until then it follows nothing.
    text->linkedObject = nullptr;
    candidate->destroy = true;
  }
  return first;
}

bool IsFixedToScreen(GameObject* object) {
  const UIHandler* handler = HandlerOf(object);
  return handler == nullptr || handler->fixedToScreen;
}
