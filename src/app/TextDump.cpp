#include "app/TextDump.h"

#include <glm/vec4.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/FileSync.h"
#include "core/Options.h"
#include "graphics/Camera.h"
#include "graphics/Model.h"
#include "graphics/Text.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "platform/Platform.h"

namespace {

struct PixelBox {
  float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
};

std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.2f", std::isfinite(value) ? static_cast<double>(value) : 0.0);
  return text;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string BoxJson(const PixelBox& box) {
  // Appended piece by piece: GCC 12 warns about "[" + a temporary inside the standard library.
  std::string json = "[";
  json += Number(box.x0);
  json += ", ";
  json += Number(box.y0);
  json += ", ";
  json += Number(box.x1);
  json += ", ";
  json += Number(box.y1);
  json += "]";
  return json;
}

// The pixels a world rectangle centred on (x, y) at depth z covers, through the view and projection
// of the frame last drawn.
PixelBox Project(float x, float y, float z, float width, float height, int pictureWidth, int pictureHeight) {
  const glm::mat4 toClip = ProjectionMatrix() * ViewMatrix() * WorldMatrix();
  PixelBox box{1e9f, 1e9f, -1e9f, -1e9f};
  for (float dx : {-0.5f, 0.5f}) {
    for (float dy : {-0.5f, 0.5f}) {
      const glm::vec4 clip = toClip * glm::vec4(x + dx * width, y + dy * height, z, 1.0f);
      if (clip.w <= 0.0f) return {};
      const float px = (clip.x / clip.w + 1.0f) * 0.5f * static_cast<float>(pictureWidth);
      const float py = (1.0f - clip.y / clip.w) * 0.5f * static_cast<float>(pictureHeight);
      box.x0 = std::min(box.x0, px);
      box.x1 = std::max(box.x1, px);
      box.y0 = std::min(box.y0, py);
      box.y1 = std::max(box.y1, py);
    }
  }
  return box;
}

std::string PlateJson(GameObject* plate, int width, int height) {
  const Transform* t = plate != nullptr ? plate->GetTransform() : nullptr;
  if (t == nullptr) return "null";
  const Model* model = plate->GetComponentAs<Model>(SlotOf(ComponentType::Model));
  const float alpha = model != nullptr && plate->visible ? model->GetMesh()->color[3] : 0.0f;
  const bool picture = model != nullptr && !model->GetTextureName().empty();
  const PixelBox box = Project(t->position[0], t->position[1], t->position[2], t->scale[0], t->scale[1], width, height);
  return "{\"box\": " + BoxJson(box) + ", \"alpha\": " + Number(alpha) + ", \"picture\": " + (picture ? "true" : "false") +
         "}";
}

// One text object as JSON, or empty when it shows nothing.
std::string TextJson(GameObject* object, const Text& text, int width, int height) {
  const Transform* t = object->GetTransform();
  if (!object->visible || t == nullptr) return {};
  std::vector<const Model*> glyphs;
  for (const auto& component : object->GetComponents()) {
    const auto* model = dynamic_cast<const Model*>(component.get());
    if (model != nullptr && !model->IsCollisionOutline() && model->tile >= 0) glyphs.push_back(model);
  }
  if (glyphs.empty()) return {};
  const bool light = glyphs.front()->GetTextureName() == kLightFontSheet;
  std::string boxes;
  for (const Model* glyph : glyphs) {
    const PixelBox box = Project(t->position[0] + glyph->offsetX, t->position[1] + glyph->offsetY, t->position[2],
                                 t->scale[0], t->scale[1], width, height);
    boxes += (boxes.empty() ? "" : ", ") + BoxJson(box);
  }
  const bool scrolls = text.linkedObject != nullptr && GetTextHooks().isFixedToScreen != nullptr &&
                       !GetTextHooks().isFixedToScreen(text.linkedObject);
  return "{\"text\": " + Quoted(text.text.substr(0, glyphs.size())) + ", \"font\": \"" + (light ? "light" : "dark") +
         "\", \"scrolls\": " + (scrolls ? "true" : "false") + ", \"glyphs\": [" + boxes +
         "], \"plate\": " + PlateJson(text.linkedObject, width, height) + "}";
}

}  // namespace

std::string TextDumpJson(int frame, int width, int height) {
  std::string texts;
  for (GameObject* object : Objects()) {
    const Text* text = object->GetComponentAs<Text>(SlotOf(ComponentType::Text));
    if (text == nullptr) continue;
    const std::string entry = TextJson(object, *text, width, height);
    if (entry.empty()) continue;
    texts += (texts.empty() ? "\n  " : ",\n  ") + entry;
  }
  return "{\"frame\": " + std::to_string(frame) + ", \"width\": " + std::to_string(width) +
         ", \"height\": " + std::to_string(height) + ", \"texts\": [" + texts + "]}\n";
}

void WriteTextDumps(const std::vector<DumpRequest>& requests, int frame) {
  for (const DumpRequest& request : requests) {
    if (request.frame != frame) continue;
    // Pixels of the picture: the drawable, which a high-DPI window makes larger than the window.
    int width = 0, height = 0;
    platform::GetPlatform().GetDrawableSize(&width, &height);
    std::string error;
    if (!files::ReplaceFileContents(request.file, TextDumpJson(frame, width, height), &error)) {
      std::fprintf(stderr, "quillmarch: could not write the text dump %s: %s\n", request.file.c_str(), error.c_str());
    }
  }
}
