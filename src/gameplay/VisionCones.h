// The guards' vision cones drawn on the floor: for every guard, the region its sight test can reach
// (its cone of the detection angle around its facing, out to the maximum detection radius), cut
// short by walls the way its sight line is, seen through glass; a thin ring at the proximity radius,
// inside which a guard notices the player without seeing them. The tint tells the guard's mood.
// Drawn in the object pass over the backgrounds and under every other object, through the colour
// mesh; nothing is built on the null device (headless runs). The options can switch them off.
#pragma once

#include <cstdint>
#include <vector>

class GameObject;
class HumanBehavior;

// What the player reads from a guard's tint.
enum class GuardMood { Calm, Noticing, Searching, Chasing };

// Calm: standing or patrolling with an empty meter (or stunned); noticing: the meter is filling (on
// duty or walking back) or the guard is in its grace phase; searching: the search of the last seen
// place; chasing: the chase.
GuardMood MoodOf(const HumanBehavior& human);
// The cone's RGBA for a mood (the arrows use the same colour, opaque).
const float* MoodColour(GuardMood mood);

// The switches of the stealth aids, kept in the settings file.
struct StealthViewOptions {
  bool visionCones = true;
  bool spotterArrows = true;
};
StealthViewOptions& StealthView();

// The rim of a guard's cone seen from (x, y) facing `rotation` degrees: `rays` + 1 points (x, y
// pairs) from one edge of the cone to the other, each where the sight line in that direction first
// meets a wall, or at `radius`. Glass and everything else let the line through.
void ConeRim(float x, float y, float rotation, int32_t openingDegrees, float radius, int rays, std::vector<float>& rim);

// Whether a cone of `reach` around (x, y) can show in a straight camera's view centred on (cameraX,
// cameraY) with those half extents on the floor. Cones that cannot are not built.
bool ConeMayShow(float x, float y, float reach, float cameraX, float cameraY, float halfWidth, float halfHeight);

// The object pass's floor marks: every guard's cone that can show (when switched on).
void DrawVisionCones();
// Frees the cones' device buffers (before the device goes).
void ReleaseVisionCones();
