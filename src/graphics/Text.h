// Text (component kind 4): a row of square glyph quads, one Model per character, each showing one
// cell of a font sheet ("FontSheet.png" light, "FontSheet_Black.png" dark; 16 x 6 cells, cell n is
// character n + 32 with letter case swapped). The component's owner is the text object itself: its
// Transform position is the centre of the first glyph and its scale the glyph size. The text is
// linked to the object it labels (a button or panel) and follows it every frame, copying its visible
// flag; labels that are not fixed to the screen fade their panel while the player stands on it.
// Writes the text object's Transform (slot 0) and Models; reads the linked object's Transform and
// Model. The glyph models draw themselves; Text::Draw does nothing.
#pragma once

#include <cstdint>
#include <string>

#include "objects/Component.h"

class GameObject;

inline constexpr const char* kLightFontSheet = "FontSheet.png";
inline constexpr const char* kDarkFontSheet = "FontSheet_Black.png";

enum class TextAlignment : uint32_t { Left = 0, Centered = 1, Right = 2 };

class Text final : public Component {
 public:
  Text();

  // Replaces the text; glyphSize 0 keeps the current size, any other value replaces it. Sets the
  // alignment (0 left, 1 centred, 2 right) and lays the text out again.
  void SetText(std::string newText, float newGlyphSize, uint32_t newAlignment);
  // Derives the glyph size when it is 0 (the linked object's width / characters), places the first
  // glyph by the alignment and rebuilds the glyph models. Without a linked object the glyphs are
  // rebuilt where the text object stands.
  void Layout();
  // Follows the linked object, fades a panel the player stands on, copies the visible flag.
  void Update(float dt) override;
  void Draw() override {}

  // Switches every glyph of the owner to the light font sheet.
  void UseLightFont();

  std::string text;
  uint32_t alignment = static_cast<uint32_t>(TextAlignment::Centered);
  float glyphSize = 0.0f;                // world units; 0: the next layout derives it
  GameObject* linkedObject = nullptr;    // not owned; the object the text labels

 private:
  // The first glyph's centre x for the current alignment (the linked object's x when unknown).
  float FirstGlyphX(float linkedX, float linkedWidth, float characters) const;
  // Derives the glyph size from the linked width when it is 0 and there are characters.
  void DeriveGlyphSize(float linkedWidth, size_t characters);
};

// Replaces every Model of `textObject` by one glyph model per character of `text` (up to the first
// NUL), glyph i offset by i x glyphWidth, in the dark sheet when the object's first model uses it
// and the light sheet otherwise; then places the object's Transform at (x, y), keeping its z, with
// scale (glyphWidth, glyphHeight). Logs "Text updated" at DEBUG. Nothing for a null object.
void BuildGlyphs(float x, float y, float glyphWidth, float glyphHeight, const std::string& text,
                 GameObject* textObject);
// Switches every model of `textObject` that is not a collision outline to "FontSheet.png" (name and
// texture).
void UseLightFont(GameObject* textObject);
// The number of glyphs a text makes: its characters up to the first NUL.
size_t GlyphCount(const std::string& text);

// Hooks filled in by the UI module, which owns the fixed-to-screen flag of its handlers.
struct TextHooks {
  // True when `linked` stays fixed on the screen (its label never fades). Unset: every label counts
  // as fixed, so nothing fades.
  bool (*isFixedToScreen)(GameObject* linked) = nullptr;
};
TextHooks& GetTextHooks();
