// The editor's "Guard coverage" toggle: a heat map over the level of where the guards' cones reach
// over one round of their patrols (gameplay/GuardCoverage), worked out again whenever the level
// changes, drawn under the windows: clear where no guard looks, deeper red the longer one does.
#pragma once

struct CoverageMap;
struct ImDrawList;

// Whether the heat map shows (the Tools window's checkbox writes it).
bool& GuardCoverageShown();
// Draws the map's seen cells into `draw` for a client area of width x height pixels under the
// current camera.
void DrawCoverageMap(const CoverageMap& map, ImDrawList* draw, int width, int height);
// The heat map of the edited level for this ImGui frame, when shown.
void DrawGuardCoverage(float width, float height);
