#include "gameplay/ScreenLabel.h"

#include "graphics/Model.h"
#include "objects/GameObject.h"
#include "scenes/Factory.h"
#include "widgets/MenuParts.h"

namespace {

void Tint(GameObject* object, float r, float g, float b, float a) {
  if (auto* model = object->GetComponentAs<Model>(SlotOf(ComponentType::Model))) model->SetColor(r, g, b, a);
}

}  // namespace

void SetScreenLabel(GameObject* label, const std::string& text, float size, uint32_t alignment) {
  if (label == nullptr) return;
  if (GetFactoryHooks().setButtonLabel != nullptr) GetFactoryHooks().setButtonLabel(label, text, size, alignment);
}

GameObject* CreateScreenLabel(float x, float y, float width, float height, const std::string& text, float size,
                              uint32_t alignment) {
  GameObject* label = CreateUI(x, y, width, height);
  if (label == nullptr) return nullptr;
  Tint(label, 0.0f, 0.0f, 0.0f, 0.0f);
  if (GetFactoryHooks().makeButtonInert != nullptr) GetFactoryHooks().makeButtonInert(label);
  SetScreenLabel(label, text, size, alignment);
  return label;
}

GameObject* CreateScreenPlate(float x, float y, float width, float height, float opacity) {
  GameObject* plate = CreateUI(x, y, width, height);
  if (plate != nullptr) Tint(plate, 0.0f, 0.0f, 0.0f, opacity);
  return plate;
}

void SetScreenPlate(GameObject* object, float opacity) {
  if (object != nullptr) Tint(object, 0.0f, 0.0f, 0.0f, opacity);
}

void UseLightLabelFont(GameObject* label) { UseLightFontFor(label); }

GameObject* CreateScreenButton(float x, float y, float width, float height, const std::string& text, float size,
                               uint32_t alignment, const std::string& action, bool white) {
  GameObject* button = CreateUI(x, y, width, height);
  if (button == nullptr) return nullptr;
  const float shade = white ? 1.0f : 0.0f;
  Tint(button, shade, shade, shade, shade);
  SetScreenLabel(button, text, size, alignment);
  if (GetFactoryHooks().setButtonAction != nullptr) GetFactoryHooks().setButtonAction(button, action);
  return button;
}
