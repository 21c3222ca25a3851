#include "gameplay/GuardCoverage.h"

#include <algorithm>
#include <cmath>

#include "gameplay/Behavior.h"
#include "gameplay/HumanBehavior.h"
#include "gameplay/Sight.h"
#include "math/Vector.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/ObjectType.h"
#include "objects/Transform.h"
#include "scenes/HumanTuning.h"
#include "scenes/PathNode.h"
#include "scenes/SceneManager.h"

namespace {

constexpr float kPoseStep = 25.0f;   // world units a guard walks between two looks
constexpr size_t kMostNodes = 1000;  // a chain longer than this is cut (a damaged level)

// Appends poses every `step` units from a to b, facing from a to b.
void Walk(float ax, float ay, float bx, float by, float step, std::vector<GuardPose>* out) {
  const float dx = bx - ax, dy = by - ay;
  const float length = std::hypot(dx, dy);
  if (length <= 0.0f) return;
  const float facing = DirectionAngle(dx, dy);
  const int steps = std::max(1, static_cast<int>(length / step));
  for (int i = 0; i < steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    out->push_back(GuardPose{ax + dx * t, ay + dy * t, facing});
  }
}

bool PositionOf(const GameObject* o, float* x, float* y) {
  const Transform* t = o != nullptr ? o->GetTransform() : nullptr;
  if (t == nullptr) return false;
  *x = t->position[0];
  *y = t->position[1];
  return true;
}

}  // namespace

std::vector<GuardPose> PatrolRound(const GameObject* guard, float step) {
  std::vector<GuardPose> poses;
  const Transform* at = guard != nullptr ? guard->GetTransform() : nullptr;
  if (at == nullptr) return poses;
  const auto* human = dynamic_cast<const HumanBehavior*>(BehaviorOf(guard));
  std::vector<const PathNode*> chain;
  for (const PathNode* n = human != nullptr ? human->patrolPath : nullptr; n != nullptr && chain.size() < kMostNodes;
       n = n->GetNext()) {
    if (!chain.empty() && n == chain.front()) break;  // round a loop once
    chain.push_back(n);
  }
  const bool loop = !chain.empty() && chain.back()->GetNext() == chain.front();
  if (chain.size() < 2) {
    poses.push_back(GuardPose{at->position[0], at->position[1], at->rotation});
    return poses;
  }
  std::vector<std::pair<float, float>> points;
  for (const PathNode* n : chain) {
    float x = 0.0f, y = 0.0f;
    if (PositionOf(n, &x, &y)) points.emplace_back(x, y);
  }
  // An open path is walked there and back; a loop back to its first node.
  std::vector<std::pair<float, float>> round = points;
  if (loop) {
    round.push_back(points.front());
  } else {
    for (size_t i = points.size() - 1; i-- > 0;) round.push_back(points[i]);
  }
  for (size_t i = 0; i + 1 < round.size(); ++i) {
    Walk(round[i].first, round[i].second, round[i + 1].first, round[i + 1].second, step, &poses);
  }
  if (poses.empty()) poses.push_back(GuardPose{at->position[0], at->position[1], at->rotation});
  return poses;
}

CoverageMap ComputeGuardCoverage(float cell) {
  CoverageMap map;
  GameObject* player = ScenePlayer();
  std::vector<GameObject*> guards;
  float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f};
  for (GameObject* o : Objects()) {
    if (o == nullptr) continue;
    if (o->type == ObjectType::Player && player == nullptr) player = o;
    if (o->type == ObjectType::Enemy) guards.push_back(o);
    if (o->type != ObjectType::Wall) continue;
    const Transform* t = o->GetTransform();
    if (t == nullptr) continue;
    const float reach = std::hypot(t->scale[0], t->scale[1]) / 2.0f;
    lo[0] = std::min(lo[0], t->position[0] - reach), hi[0] = std::max(hi[0], t->position[0] + reach);
    lo[1] = std::min(lo[1], t->position[1] - reach), hi[1] = std::max(hi[1], t->position[1] + reach);
  }
  Transform* playerAt = player != nullptr ? player->GetTransform() : nullptr;
  if (playerAt == nullptr || guards.empty() || !(cell > 0.0f)) return map;
  const HumanTuning& tuning = HumanTuningValues();
  const float reach = tuning.max_detection_radius;
  // The map covers the walls and every place a guard's eyes reach on its round.
  std::vector<std::vector<GuardPose>> rounds;
  for (const GameObject* guard : guards) {
    rounds.push_back(PatrolRound(guard, kPoseStep));
    for (const GuardPose& pose : rounds.back()) {
      lo[0] = std::min(lo[0], pose.x - reach), hi[0] = std::max(hi[0], pose.x + reach);
      lo[1] = std::min(lo[1], pose.y - reach), hi[1] = std::max(hi[1], pose.y + reach);
    }
  }
  if (lo[0] > hi[0]) return map;
  map.cell = cell;
  map.originX = lo[0], map.originY = lo[1];
  map.columns = std::min(2000, static_cast<int>(std::ceil((hi[0] - lo[0]) / cell)));
  map.rows = std::min(2000, static_cast<int>(std::ceil((hi[1] - lo[1]) / cell)));
  map.seen.assign(static_cast<size_t>(map.columns * map.rows), 0.0f);

  const float playerKept[2] = {playerAt->position[0], playerAt->position[1]};
  std::vector<float> counts(map.seen.size());
  for (size_t g = 0; g < guards.size(); ++g) {
    GameObject* guard = guards[g];
    Transform* at = guard->GetTransform();
    const std::vector<GuardPose>& round = rounds[g];
    if (at == nullptr || round.empty()) continue;
    const GuardPose kept{at->position[0], at->position[1], at->rotation};
    std::fill(counts.begin(), counts.end(), 0.0f);
    for (const GuardPose& pose : round) {
      at->position[0] = pose.x, at->position[1] = pose.y, at->rotation = pose.rotation;
      // Only the cells within reach of this pose can be seen from it.
      const int c0 = std::max(0, static_cast<int>((pose.x - reach - map.originX) / cell));
      const int c1 = std::min(map.columns - 1, static_cast<int>((pose.x + reach - map.originX) / cell));
      const int r0 = std::max(0, static_cast<int>((pose.y - reach - map.originY) / cell));
      const int r1 = std::min(map.rows - 1, static_cast<int>((pose.y + reach - map.originY) / cell));
      for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
          const float x = map.originX + (static_cast<float>(c) + 0.5f) * cell;
          const float y = map.originY + (static_cast<float>(r) + 0.5f) * cell;
          const float d = std::hypot(x - pose.x, y - pose.y);
          if (d > reach) continue;
          playerAt->position[0] = x, playerAt->position[1] = y;
          // Close by, a guard notices without looking; further off, its sight test decides.
          const bool seen = d < tuning.min_detection_radius ||
                            LookForPlayer(guard, player, x, y, tuning.detection_angle).seen;
          if (seen) counts[static_cast<size_t>(r * map.columns + c)] += 1.0f;
        }
      }
    }
    at->position[0] = kept.x, at->position[1] = kept.y, at->rotation = kept.rotation;
    const float poses = static_cast<float>(round.size());
    for (size_t i = 0; i < counts.size(); ++i) map.seen[i] = std::max(map.seen[i], counts[i] / poses);
  }
  playerAt->position[0] = playerKept[0], playerAt->position[1] = playerKept[1];
  return map;
}
