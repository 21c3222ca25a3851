#include "graphics/Text.h"

#include <cmath>
#include <utility>

#include "core/Logger.h"
#include "graphics/Model.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace {

TextHooks gTextHooks;

// Font sheet cell n shows character n + 32.
constexpr int kFirstGlyphCode = 32;
// Alpha of a level sign's panel while the player stands on it, and otherwise.
constexpr float kFadedAlpha = 0.1f;
constexpr float kOpaqueAlpha = 1.0f;

bool IsFixedToScreen(GameObject* linked) {
  return gTextHooks.isFixedToScreen == nullptr || gTextHooks.isFixedToScreen(linked);
}

// Deletes every Model of the object. The fixed slots just become empty; emptied appended entries
// are dropped, so relabelling a text many times does not grow its component list without end.
void DeleteModels(GameObject* object) {
  auto& components = object->components;
  for (auto& c : components) {
    if (dynamic_cast<Model*>(c.get()) != nullptr) c.reset();
  }
  size_t keep = kComponentSlots;
  for (size_t i = kComponentSlots; i < components.size(); ++i) {
    if (components[i]) components[keep++] = std::move(components[i]);
  }
  if (components.size() > keep) components.resize(keep);
}

}  // namespace

TextHooks& GetTextHooks() { return gTextHooks; }

size_t GlyphCount(const std::string& text) {
  size_t nul = text.find('\0');
  return nul == std::string::npos ? text.size() : nul;
}

void BuildGlyphs(float x, float y, float glyphWidth, float glyphHeight, const std::string& text,
                 GameObject* textObject) {
  if (textObject == nullptr) return;
  const Model* first = textObject->FindComponent<Model>();
  const char* font = first != nullptr && first->GetTextureName() == kDarkFontSheet ? kDarkFontSheet : kLightFontSheet;

  DeleteModels(textObject);
  const size_t count = GlyphCount(text);
  float offset = 0.0f;
  for (size_t i = 0; i < count; ++i) {
    auto* glyph = new Model(font);
    glyph->offsetX = offset;
    glyph->offsetY = 0.0f;
    glyph->tile = static_cast<int32_t>(static_cast<unsigned char>(text[i])) - kFirstGlyphCode;
    textObject->AddComponent(glyph);
    offset += glyphWidth;
  }
  Log("Text updated", LogLevel::Debug);

  if (Transform* t = textObject->GetTransform()) {
    t->position[0] = x;
    t->position[1] = y;
    t->scale[0] = glyphWidth;
    t->scale[1] = glyphHeight;
  }
}

void UseLightFont(GameObject* textObject) {
  if (textObject == nullptr) return;
  for (Model* m : textObject->FindComponents<Model>()) {
    if (m->IsCollisionOutline()) continue;
    m->SetTextureName(kLightFontSheet);
    if (ModelMesh* mesh = m->GetMesh()) mesh->texture = TextureManager::Find(kLightFontSheet);
  }
}

Text::Text() : Component(ComponentType::Text) {}

void Text::UseLightFont() { ::UseLightFont(owner); }

void Text::SetText(std::string newText, float newGlyphSize, uint32_t newAlignment) {
  text = std::move(newText);
  if (newGlyphSize != 0.0f) glyphSize = newGlyphSize;
  alignment = newAlignment;
  Layout();
}

void Text::DeriveGlyphSize(float linkedWidth, size_t characters) {
  // An empty text has no characters to share the width; its size waits for a real text.
  if (glyphSize == 0.0f && characters > 0) glyphSize = linkedWidth / static_cast<float>(characters);
}

float Text::FirstGlyphX(float linkedX, float linkedWidth, float characters) const {
  const float g = glyphSize;
  switch (static_cast<TextAlignment>(alignment)) {
    case TextAlignment::Left:
      return linkedX - linkedWidth * 0.5f + g * 0.5f;
    case TextAlignment::Centered:
      return linkedX - characters * g * 0.5f + g * 0.5f;
    case TextAlignment::Right:
      return (linkedX + linkedWidth * 0.5f) - (characters * g - g * 0.5f);
  }
  return linkedX;
}

void Text::Layout() {
  const size_t count = GlyphCount(text);
  const Transform* linked = linkedObject != nullptr ? linkedObject->GetTransform() : nullptr;
  if (linked == nullptr) {
    // Nothing to align with: rebuild the glyphs where the text object stands.
    const Transform* own = owner != nullptr ? owner->GetTransform() : nullptr;
    if (own != nullptr) BuildGlyphs(own->position[0], own->position[1], glyphSize, glyphSize, text, owner);
    return;
  }
  DeriveGlyphSize(linked->scale[0], count);
  const float x = FirstGlyphX(linked->position[0], linked->scale[0], static_cast<float>(count));
  BuildGlyphs(x, linked->position[1], glyphSize, glyphSize, text, owner);
}

void Text::Update(float) {
  if (owner == nullptr || linkedObject == nullptr) return;
  const Transform* linked = linkedObject->GetTransform();
  if (linked == nullptr) return;
  const float lx = linked->position[0];
  const float ly = linked->position[1];
  const float width = linked->scale[0];
  const float height = linked->scale[1];

  const size_t count = GlyphCount(text);
  DeriveGlyphSize(width, count);
  if (Transform* t = owner->GetTransform()) {
    t->position[0] = FirstGlyphX(lx, width, static_cast<float>(count));
    t->position[1] = ly;
    t->position[2] = linked->position[2];
  }

  if (!IsFixedToScreen(linkedObject)) {
    Model* panel = linkedObject->FindComponent<Model>();
    ModelMesh* mesh = panel != nullptr ? panel->GetMesh() : nullptr;
    if (mesh != nullptr) {
      float alpha = kOpaqueAlpha;
      GameObject* player = FindObject("Player", true);
      const Transform* p = player != nullptr ? player->GetTransform() : nullptr;
      // Across, half the width; up and down, the full height (so also just above or below the sign).
      if (p != nullptr && std::fabs(lx - p->position[0]) < width * 0.5f && std::fabs(ly - p->position[1]) < height) {
        alpha = kFadedAlpha;
      }
      panel->SetColor(mesh->color[0], mesh->color[1], mesh->color[2], alpha);
    }
  }

  owner->visible = linkedObject->visible;
}
