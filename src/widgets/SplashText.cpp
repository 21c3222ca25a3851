#include "widgets/SplashText.h"

#include <string>

#include "graphics/Text.h"
#include "scenes/Factory.h"

namespace {

constexpr const char* kStudio = "lULLWICK gAMES";
constexpr float kStudioY = -130.0f;
constexpr float kStudioSize = 40.0f;

}  // namespace

void BuildSplashText() {
  // A free text object (it labels nothing), laid out centred on x = 0 by hand: the glyphs start
  // half the line's width to the left.
  const std::string text = kStudio;
  const float count = static_cast<float>(GlyphCount(text));
  const float firstX = -count * kStudioSize * 0.5f + kStudioSize * 0.5f;
  CreateText(firstX, kStudioY, kStudioSize, text);
}
