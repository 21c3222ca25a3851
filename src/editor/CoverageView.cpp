#include "editor/CoverageView.h"

#include <algorithm>
#include <cstdint>

#include "editor/EditorCommands.h"
#include "editor/EditorState.h"
#include "gameplay/GuardCoverage.h"
#include "graphics/ScreenToWorld.h"
#include "imgui.h"

namespace {

constexpr float kCoverageCell = 25.0f;  // world units per heat map cell

struct CoverageModule {
  bool shown = false;
  CoverageMap map;
  uint64_t revision = 0;        // the edit history's revision the map was made at
  const void* level = nullptr;  // and the level
  bool made = false;
};

CoverageModule& Module() {
  static CoverageModule module;
  return module;
}

}  // namespace

bool& GuardCoverageShown() { return Module().shown; }

void DrawCoverageMap(const CoverageMap& map, ImDrawList* draw, int width, int height) {
  for (int r = 0; r < map.rows; ++r) {
    for (int c = 0; c < map.columns; ++c) {
      const float seen = map.At(c, r);
      if (seen <= 0.0f) continue;
      const float x0 = map.originX + static_cast<float>(c) * map.cell, y0 = map.originY + static_cast<float>(r) * map.cell;
      int ax = 0, ay = 0, bx = 0, by = 0;
      WorldToScreenIn(x0, y0, width, height, &ax, &ay);
      WorldToScreenIn(x0 + map.cell, y0 + map.cell, width, height, &bx, &by);
      // From a pale orange glimpse to a deep red stare, always see-through enough to show the level.
      const int green = static_cast<int>(160.0f * (1.0f - seen));
      const int alpha = 70 + static_cast<int>(130.0f * seen);
      draw->AddRectFilled(ImVec2(static_cast<float>(std::min(ax, bx)), static_cast<float>(std::min(ay, by))),
                          ImVec2(static_cast<float>(std::max(ax, bx)), static_cast<float>(std::max(ay, by))),
                          IM_COL32(255, green, 0, alpha));
    }
  }
}

void DrawGuardCoverage(float width, float height) {
  CoverageModule& m = Module();
  if (!m.shown) {
    m.made = false;
    return;
  }
  const uint64_t revision = EditorHistory().Revision();
  const void* level = EditedLevel();
  if (!m.made || revision != m.revision || level != m.level) {
    m.map = ComputeGuardCoverage(kCoverageCell);
    m.revision = revision, m.level = level, m.made = true;
  }
  DrawCoverageMap(m.map, ImGui::GetBackgroundDrawList(), static_cast<int>(width), static_cast<int>(height));
}
