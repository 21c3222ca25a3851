#include "widgets/MenuParts.h"

#include <cctype>
#include <unordered_set>

#include "graphics/Model.h"
#include "graphics/Text.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"
#include "widgets/Navigation.h"

namespace {

constexpr uint32_t kCentred = 1;
constexpr float kTextLineHeight = 100.0f;
constexpr float kTextLineAlpha = 0.6f;

}  // namespace

GameObject* MakePanel(float x, float y, float width, float height, MenuColor color) {
  GameObject* panel = CreateUI(x, y, width, height);
  SetPanelColor(panel, color);
  return panel;
}

GameObject* MakePicture(float x, float y, float width, float height, const char* texture) {
  GameObject* picture = CreateUI(x, y, width, height);
  auto* model = picture != nullptr ? picture->GetComponentAs<Model>(SlotOf(ComponentType::Model)) : nullptr;
  if (model != nullptr) model->SetTextureName(texture);
  return picture;
}

GameObject* MakeButton(float x, float y, float width, float height, const std::string& text, float size,
                       UIHandler::ClickCallback onClick) {
  GameObject* button = CreateUI(x, y, width, height);
  if (button == nullptr) return nullptr;
  SetButtonLabel(button, text, size, kCentred);
  if (UIHandler* handler = HandlerOf(button)) handler->onClick = std::move(onClick);
  return button;
}

GameObject* MakeButton(float x, float y, float width, float height, MenuColor color, const std::string& text,
                       float size, UIHandler::ClickCallback onClick) {
  GameObject* button = MakeButton(x, y, width, height, text, size, std::move(onClick));
  SetPanelColor(button, color);
  return button;
}

GameObject* MakeTextLine(float y, const std::string& text, float size) {
  const float width = static_cast<float>(GlyphCount(text)) * size;
  return MakeButton(0.0f, y, width, kTextLineHeight, menu_color::Shade(kTextLineAlpha), text, size);
}

std::string SwapCase(std::string text) {
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (std::islower(u)) c = static_cast<char>(std::toupper(u));
    else if (std::isupper(u)) c = static_cast<char>(std::tolower(u));
  }
  return text;
}

float FittingGlyph(const std::string& text, float size, float width) {
  const auto count = static_cast<float>(GlyphCount(text));
  return count * size > width ? width / count : size;
}

void SetPanelColor(GameObject* object, MenuColor color) {
  auto* model = object != nullptr ? object->GetComponentAs<Model>(SlotOf(ComponentType::Model)) : nullptr;
  if (model != nullptr) model->SetColor(color.r, color.g, color.b, color.a);
}

void SetDepth(GameObject* object, float z) {
  if (object == nullptr) return;
  if (Transform* t = object->GetTransform()) t->position[2] = z;
  if (UIHandler* handler = HandlerOf(object)) handler->screenPosition[2] = z;
}

void UseLightFontFor(GameObject* object) {
  if (UIHandler* handler = HandlerOf(object)) {
    if (Text* text = handler->TextComponent()) text->UseLightFont();
  }
}

bool IsLive(const GameObject* object) {
  if (object == nullptr) return false;
  for (const GameObject* o : Objects()) {
    if (o == object) return true;
  }
  return false;
}

void RegisterForNavigation(GameObject* object) {
  if (IsLive(object)) RegisterUIButton(HandlerOf(object));
}

void RegisterAsBack(GameObject* object) {
  if (IsLive(object)) SetBackButton(HandlerOf(object));
}

void MenuGroup::Add(GameObject* object) {
  if (object != nullptr) objects_.push_back(object);
}

std::vector<GameObject*> MenuGroup::Live() const {
  std::vector<GameObject*> live;
  for (const ObjectHandle& o : objects_) {
    if (GameObject* object = o.Get()) live.push_back(object);
  }
  return live;
}

void MenuGroup::SetShown(bool shown) const {
  for (GameObject* o : Live()) {
    if (UIHandler* handler = HandlerOf(o)) {
      handler->SetShown(shown);
    } else {
      o->visible = shown;
    }
  }
}
