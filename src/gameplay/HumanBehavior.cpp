#include "gameplay/HumanBehavior.h"

#include <cmath>

#include "audio/AudioSystem.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "gameplay/AStar.h"
#include "gameplay/BehaviorStates.h"
#include "gameplay/GameplayHooks.h"
#include "graphics/Camera.h"
#include "graphics/ParticleEmitter.h"
#include "math/Vector.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"
#include "scenes/HumanTuning.h"
#include "scenes/Level.h"
#include "scenes/PathGrid.h"
#include "scenes/PathNode.h"
#include "scenes/SceneManager.h"

namespace {

struct HumanModuleState {
  HumanSharedState shared;
};

HumanModuleState& Module() {
  static HumanModuleState state;
  return state;
}

// A node counts as reached inside this squared distance.
constexpr float kReachedSquared = 200.0f;
constexpr float kFootstepInterval = 0.25f;
constexpr float kChaseFootstepInterval = 0.15f;
// Chase footsteps sound a little farther off than the guard itself.
constexpr float kChaseFootstepDistance = 20.0f;
// Below this speed on both axes a guard counts as standing.
constexpr float kMoving = 0.1f;

Kinematics* KinematicsOf(const GameObject* object) {
  return object != nullptr ? object->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics)) : nullptr;
}

CircleCollision* CircleOf(const GameObject* object) {
  return object != nullptr ? object->GetComponentAs<CircleCollision>(SlotOf(ComponentType::Collision)) : nullptr;
}

bool Moving(const Kinematics* k) {
  return k != nullptr && (std::fabs(k->velocity[0]) >= kMoving || std::fabs(k->velocity[1]) >= kMoving);
}

bool PlayerHidden() {
  const CollisionFlags& flags = GetCollisionFlags();
  return flags.playerOverVent || flags.playerUnderCover;
}

void PlayAt(GameObject* object, const char* sound, float extraDistance = 0.0f) {
  PlayEventAt(sound, DistanceToCamera(*object) + extraDistance, AngleFromCamera(*object));
}

// Points every emitter of that name along the guard's feet and starts it.
void StartFootprints(GameObject* object, const char* emitter, float rotation) {
  for (ParticleEmitter* e : FindEmitters(object, emitter)) {
    e->rotationMin = rotation - 90.0f;
    e->rotationMax = rotation - 90.0f;
    e->Start();
  }
}

void IgnoreContact(GameObject*, GameObject*) {}

void ChaseMusic(bool on) {
  HumanSharedState& shared = Module().shared;
  if (shared.chaseMusic == on) return;
  shared.chaseMusic = on;
  SetChaseMusic(on);
}


float SquaredLength(float x, float y) { return x * x + y * y; }

}  // namespace

// ---- what the guard knows about the player this update ---------------------------------------

struct HumanBehavior::View {
  GameObject* self = nullptr;
  Transform* at = nullptr;
  Kinematics* kinematics = nullptr;
  GameObject* player = nullptr;
  float playerPosition[3] = {0.0f, 0.0f, 0.0f};
  bool playerStill = true;  // both velocity components exactly 0
  float d[2] = {0.0f, 0.0f};  // player minus guard
  float distanceSquared = 0.0f;
};

HumanBehavior::View HumanBehavior::Look() const {
  View view;
  view.self = owner;
  view.at = owner != nullptr ? owner->GetTransform() : nullptr;
  view.kinematics = KinematicsOf(owner);
  view.player = ScenePlayer();
  if (view.player == nullptr || view.at == nullptr) {
    view.player = nullptr;
    return view;
  }
  // The player is where its Kinematics says it stood at the start of its own move.
  if (const Kinematics* k = KinematicsOf(view.player)) {
    for (int i = 0; i < 3; ++i) view.playerPosition[i] = k->lastPosition[i];
    view.playerStill = k->velocity[0] == 0.0f && k->velocity[1] == 0.0f;
  } else if (const Transform* p = view.player->GetTransform()) {
    for (int i = 0; i < 3; ++i) view.playerPosition[i] = p->position[i];
  }
  view.d[0] = view.playerPosition[0] - view.at->position[0];
  view.d[1] = view.playerPosition[1] - view.at->position[1];
  view.distanceSquared = SquaredLength(view.d[0], view.d[1]);
  return view;
}

// ---- construction and the patrol path ----------------------------------------------------------

HumanBehavior::HumanBehavior(float x, float y, float z) : spawnPosition{x, y, z} {}

HumanBehavior::~HumanBehavior() {
  ReplaceSearchPath(nullptr);
  StopCountingAsChaser();
  ReleaseAggroBar(bar);
}

void HumanBehavior::SetPatrolPath(PathNode* firstNode) {
  patrolPath = firstNode;
  currentNode = firstNode;
}

void HumanBehavior::LeaveNode(const PathNode* dying) {
  if (dying == nullptr) return;
  auto neighbour = [dying](bool backward) {
    PathNode* ahead = backward ? dying->previous : dying->next;
    PathNode* behind = backward ? dying->next : dying->previous;
    if (ahead != nullptr && ahead != dying) return ahead;
    if (behind != nullptr && behind != dying) return behind;
    return static_cast<PathNode*>(nullptr);
  };
  if (currentNode == dying) currentNode = neighbour(walkingBackward);
  if (patrolPath == dying) patrolPath = neighbour(false);
  if (patrolPath == nullptr) currentNode = nullptr;
  if (currentNode == nullptr) currentNode = patrolPath;
}

// ---- the state machine -------------------------------------------------------------------------

void HumanBehavior::OnEnter() {
  const HumanTuning& tuning = HumanTuningValues();
  switch (currentState) {
    case human_state::kInit:
      if (Collision* shape = CircleOf(owner)) shape->onCollision = IgnoreContact;
      if (const Transform* at = owner->GetTransform()) spawnRotation = at->rotation;
      nextState = human_state::kPatrol;
      break;
    case human_state::kIdle:
      SetSpeeds(0.0f, 0.0f);
      // Only a guard whose player vanished mid-chase comes here still counted.
      StopCountingAsChaser();
      break;
    case human_state::kGrace:
      SetSpeeds(tuning.grace_max_velocity, tuning.grace_acceleration);
      passesVents = false;
      StartEmitters(ScenePlayer(), "notice");
      graceTimer = tuning.grace_max_time;
      break;
    case human_state::kPatrol:
      passesVents = true;
      if (patrolPath == nullptr) {
        nextState = human_state::kIdle;
      } else {
        SetSpeeds(tuning.patrol_max_velocity, tuning.patrol_acceleration);
      }
      break;
    case human_state::kHalfAlert:
      SetSpeeds(tuning.chase_max_velocity, tuning.chase_aceleration);
      passesVents = true;
      PlayEvent("halfalert_e");
      StartEmitters(owner, "notice");
      break;
    case human_state::kStun:
      SetSpeeds(0.0f, 0.0f);
      passesVents = true;
      for (ParticleEmitter* e : FindEmitters(owner, "stun")) {
        e->duration = tuning.stun_max_time;
        e->Start();
      }
      stunTimer = tuning.stun_max_time;
      break;
    case human_state::kFullAlert:
      PlayEvent("fullalert_e");
      if (!countedAsChaser) {
        ++Module().shared.chaserCount;
        countedAsChaser = true;
      }
      ChaseMusic(true);
      StartEmitters(owner, "chase");
      SetSpeeds(tuning.chase_max_velocity, tuning.chase_aceleration);
      passesVents = false;
      break;
    case human_state::kGiveUp:
      StopCountingAsChaser();
      passesVents = true;
      PlayEvent("giveup_e");
      break;
    default:
      break;
  }
}

void HumanBehavior::OnUpdate(float dt) {
  const View view = Look();
  if (view.at == nullptr) return;
  Preamble(view, dt);
  // Without a player there is nobody to watch for: the guard stands where it is.
  if (view.player == nullptr) {
    if (currentState != human_state::kInit && currentState != human_state::kIdle) nextState = human_state::kIdle;
    return;
  }
  switch (currentState) {
    case human_state::kIdle: Idle(view, dt); break;
    case human_state::kGrace: Grace(view, dt); break;
    case human_state::kPatrol: Patrol(view, dt); break;
    case human_state::kHalfAlert: HalfAlert(view, dt); break;
    case human_state::kStun: Stun(view, dt); break;
    case human_state::kFullAlert: Chase(view, dt); break;
    case human_state::kGiveUp: GiveUp(view, dt); break;
    default: break;
  }
}

void HumanBehavior::Preamble(const View& view, float dt) {
  // 1. The developer's kill: Ctrl + I held, L pressed.
  if (view.player != nullptr && KeyDown(vk::Control) && KeyDown('I') && KeyTriggered('L')) {
    if (Behavior* player = BehaviorOf(view.player)) player->nextState = player_state::kDeath;
    SetGameOver(CurrentScene());
  }
  // 2. The aggro bar.
  const bool chasing = currentState == human_state::kFullAlert || nextState == human_state::kFullAlert;
  UpdateAggroBar(bar, view.at->position[0], view.at->position[1], aggro, chasing);
  // 3. Walking footsteps (the chase has its own).
  if (currentState == human_state::kFullAlert || !Moving(view.kinematics)) {
    footstepTimer = kFootstepInterval;
  } else if (footstepTimer > 0.0f) {
    footstepTimer -= dt;
  } else {
    PlayAt(owner, "footstep_e");
    footstepTimer = kFootstepInterval;
    StartFootprints(owner, "footstep", view.at->rotation);
  }
}

void HumanBehavior::Idle(const View& view, float dt) {
  const HumanTuning& tuning = HumanTuningValues();
  // Noticed by proximity, walls or not.
  if (view.distanceSquared <= tuning.min_detection_radius * tuning.min_detection_radius && !PlayerHidden()) {
    aggro = tuning.max_aggro;
    nextState = human_state::kGrace;
    return;
  }
  Watch(view, SightTest(view), dt);
}

void HumanBehavior::Grace(const View& view, float dt) {
  const HumanTuning& tuning = HumanTuningValues();
  Face(view.d[0], view.d[1]);
  const Sighting sighting = SightTest(view);
  if (sighting.seen || view.distanceSquared < kReachedSquared) {
    graceTimer -= dt * tuning.grace_timer_scale;
    if (graceTimer > 0.0f) {
      Steer(view.d[0] * tuning.grace_acceleration, view.d[1] * tuning.grace_acceleration);
      return;
    }
    if (!sighting.throughGlass) {
      nextState = human_state::kFullAlert;
      return;
    }
  }
  PlanToLastSeen();
  nextState = human_state::kHalfAlert;
}

void HumanBehavior::Patrol(const View& view, float dt) {
  const HumanTuning& tuning = HumanTuningValues();
  if (patrolPath == nullptr || currentNode == nullptr) {
    nextState = human_state::kIdle;
    return;
  }
  const Transform* node = currentNode->GetTransform();
  const float n[2] = {node->position[0] - view.at->position[0], node->position[1] - view.at->position[1]};
  Face(n[0], n[1]);
  if (view.distanceSquared <= tuning.min_detection_radius * tuning.min_detection_radius && !PlayerHidden()) {
    aggro = tuning.max_aggro;
    nextState = human_state::kGrace;
    return;
  }
  Watch(view, SightTest(view), dt);
  if (SquaredLength(n[0], n[1]) <= kReachedSquared) AdvancePatrol();
  Steer(n[0], n[1]);
}

void HumanBehavior::HalfAlert(const View& view, float dt) {
  const HumanTuning& tuning = HumanTuningValues();
  const Sighting sighting = SightTest(view);
  float s[2] = {0.0f, 0.0f};
  if (searchNode != nullptr) {
    const Transform* node = searchNode->GetTransform();
    s[0] = node->position[0] - view.at->position[0];
    s[1] = node->position[1] - view.at->position[1];
  }
  if (SquaredLength(s[0], s[1]) > kReachedSquared) {
    Steer(s[0], s[1]);
    Face(s[0], s[1]);
  } else if (searchNode == nullptr) {
    // At the last seen place with nothing more to search: stand and calm down, then head back.
    if (view.kinematics != nullptr) {
      view.kinematics->SetDirection(0.0f, 0.0f);
      view.kinematics->SetVelocity(0.0f, 0.0f);
    }
    if (aggro <= tuning.return_agro) {
      PlanWayBack();
      nextState = human_state::kGiveUp;
    }
    aggro -= tuning.agro_recovery_rate * dt;
  } else {
    AdvanceSearch();
  }
  // Seen only through glass the chase would drop again at once (and this search take it up on the
  // next frame): the guard keeps to its way round the pane, or stands and searches.
  const float far = tuning.max_detection_radius;
  if (sighting.seen && !sighting.throughGlass && !PlayerHidden() && view.distanceSquared <= far * far) {
    aggro = tuning.max_aggro;
    nextState = human_state::kFullAlert;
  }
}

void HumanBehavior::Stun(const View& view, float dt) {
  const HumanTuning& tuning = HumanTuningValues();
  if (stunTimer <= 0.0f) {
    stunTimer = tuning.stun_max_time;
    const Sighting sighting = SightTest(view);
    // As for a search: a chase on a sighting through glass would end on its first frame.
    if (sighting.seen && !sighting.throughGlass && !PlayerHidden()) {
      aggro = tuning.max_aggro;
      nextState = human_state::kFullAlert;
    } else if (previousState == human_state::kIdle || previousState == human_state::kPatrol) {
      nextState = previousState;
    } else {
      PlanToLastSeen();
      nextState = human_state::kHalfAlert;
    }
    StopEmitters(owner, "stun");
  }
  if (previousState == human_state::kGrace || previousState == human_state::kFullAlert) Face(view.d[0], view.d[1]);
  stunTimer -= dt;
}

void HumanBehavior::Chase(const View& view, float dt) {
  const HumanTuning& tuning = HumanTuningValues();
  // 1. Chase footsteps, on the timer all guards share.
  float& timer = Module().shared.chaseFootstepTimer;
  if (Moving(view.kinematics)) {
    timer -= dt;
    if (timer <= 0.0f) {
      PlayAt(owner, "footstepchase_e", kChaseFootstepDistance);
      timer = kChaseFootstepInterval;
      StartFootprints(owner, "madfoot", view.at->rotation);
    }
  } else {
    timer = kChaseFootstepInterval;
  }
  // 2. The catch.
  if (WithinCatch(view)) {
    if (view.kinematics != nullptr) {
      view.kinematics->SetVelocity(0.0f, 0.0f);
      view.kinematics->SetDirection(0.0f, 0.0f);
    }
    // Once the player has touched the escape zone the level is won: a guard that reaches it on its
    // way out stops beside it and catches no one.
    const Level* scene = CurrentScene();
    const bool escaping = scene != nullptr && scene->exitStarted;
    if (!SceneState().invulnerable && !escaping) {
      if (Behavior* player = BehaviorOf(view.player)) player->nextState = player_state::kDeath;
      SetGameOver(CurrentScene());
    }
    return;
  }
  // 3. Lost: out of range, out of sight, into a vent or behind glass. Cover alone does not end it.
  const Sighting sighting = SightTest(view);
  const float far = tuning.max_detection_radius;
  if (view.distanceSquared >= far * far || !sighting.seen || GetCollisionFlags().playerOverVent ||
      sighting.throughGlass) {
    PlanToLastSeen();
    nextState = human_state::kHalfAlert;
    return;
  }
  // 4. After the player.
  Steer(view.d[0], view.d[1]);
  Face(view.d[0], view.d[1]);
}

void HumanBehavior::GiveUp(const View& view, float dt) {
  const HumanTuning& tuning = HumanTuningValues();
  float s[2] = {0.0f, 0.0f};
  if (searchNode != nullptr) {
    const Transform* node = searchNode->GetTransform();
    s[0] = node->position[0] - view.at->position[0];
    s[1] = node->position[1] - view.at->position[1];
  } else if (homeUnplanned) {
    // No way home could be planned (a post off the path grid, say): straight back.
    float home[2];
    Home(home);
    s[0] = home[0] - view.at->position[0];
    s[1] = home[1] - view.at->position[1];
  }
  const Sighting sighting = SightTest(view);
  Watch(view, sighting, dt);
  if (aggro <= tuning.return_agro && !sighting.seen) aggro = tuning.return_agro;
  if (SquaredLength(s[0], s[1]) > kReachedSquared) {
    Steer(s[0], s[1]);
    Face(s[0], s[1]);
  } else if (searchNode != nullptr) {
    AdvanceSearch();
  } else if (patrolPath != nullptr) {
    homeUnplanned = false;
    nextState = human_state::kPatrol;
  } else {
    homeUnplanned = false;
    view.at->rotation = spawnRotation;
    nextState = human_state::kIdle;
  }
}

// ---- sight and the aggro meter -----------------------------------------------------------------

Sighting HumanBehavior::SightTest(const View& view) {
  const Sighting sighting = LookForPlayer(owner, view.player, view.playerPosition[0], view.playerPosition[1],
                                          HumanTuningValues().detection_angle);
  if (sighting.seen) {
    lastSeenPosition[0] = view.playerPosition[0];
    lastSeenPosition[1] = view.playerPosition[1];
    lastSeenPosition[2] = 0.0f;
  }
  return sighting;
}

// The meter of a guard that is standing, patrolling or walking back: it fills while the player is
// in sight (faster the nearer), drains otherwise, and escalates once full.
void HumanBehavior::Watch(const View& view, const Sighting& sighting, float dt) {
  const HumanTuning& tuning = HumanTuningValues();
  const bool onDuty = currentState == human_state::kIdle || currentState == human_state::kPatrol;
  const float far = tuning.max_detection_radius;
  if (!sighting.seen || PlayerHidden() || (onDuty && view.distanceSquared > far * far)) {
    if (onDuty && aggro <= 0.0f) {
      aggro = 0.0f;
    } else {
      aggro -= dt * tuning.agro_recovery_rate;
    }
    return;
  }
  const float modifier = view.playerStill ? tuning.detection_idle_speed_mod : tuning.detection_run_speed_mod;
  const float near = tuning.min_detection_radius;
  const bool onTop = view.distanceSquared <= 0.0f;  // standing on the guard fills the meter at once
  const float gain = onTop ? tuning.max_aggro : (near * near / view.distanceSquared) * dt * modifier * tuning.distance_mod;
  // The alert waits for the meter to move: a paused frame (dt 0) leaves it at 0, and would
  // otherwise sound the alert again on every frame of the pause.
  if (onDuty && aggro == 0.0f && gain > 0.0f) {
    PlayAt(owner, "halfalert_e");
    StartEmitters(owner, "notice");
  }
  if (onTop) {
    aggro = tuning.max_aggro;
  } else {
    aggro += gain;
  }
  if (currentState == human_state::kGiveUp) {
    for (int i = 0; i < 3; ++i) lastSeenPosition[i] = view.playerPosition[i];
  }
  if (aggro < tuning.max_aggro) return;
  aggro = tuning.max_aggro;
  if (!sighting.throughGlass) {
    nextState = human_state::kGrace;
    return;
  }
  // Seen only through glass: go round to where the player stood.
  if (currentState != human_state::kIdle) PlanToLastSeen();
  nextState = human_state::kHalfAlert;
}

// The catch: the two bodies' shapes come within the catch radius of touching.
bool HumanBehavior::WithinCatch(const View& view) const {
  const Transform* player = view.player->GetTransform();
  if (player == nullptr) return false;
  const float dx = player->position[0] - view.at->position[0];
  const float dy = player->position[1] - view.at->position[1];
  float reach = HumanTuningValues().catch_radius;
  if (const CircleCollision* mine = CircleOf(owner)) reach += mine->radius;
  if (const CircleCollision* theirs = CircleOf(view.player)) reach += theirs->radius;
  return reach >= 0.0f && SquaredLength(dx, dy) <= reach * reach;
}

// ---- routes ------------------------------------------------------------------------------------

bool HumanBehavior::PlanTo(float x, float y) {
  const Transform* at = owner->GetTransform();
  const std::vector<GridCell> cells = FindPath(WorldToCell(at->position[0], at->position[1]), WorldToCell(x, y));
  // Nothing found leaves the guard without a route: an older one, half walked, leads elsewhere.
  ReplaceSearchPath(cells.empty() ? nullptr : BuildSearchPath(cells));
  return searchNode != nullptr;
}

void HumanBehavior::PlanToLastSeen() { PlanTo(lastSeenPosition[0], lastSeenPosition[1]); }

void HumanBehavior::PlanWayBack() {
  float home[2];
  Home(home);
  homeUnplanned = !PlanTo(home[0], home[1]);
}

void HumanBehavior::Home(float* xy) const {
  if (currentNode != nullptr) {
    const Transform* node = currentNode->GetTransform();
    xy[0] = node->position[0];
    xy[1] = node->position[1];
  } else {
    xy[0] = spawnPosition[0];
    xy[1] = spawnPosition[1];
  }
}

void HumanBehavior::ReplaceSearchPath(PathNode* path) {
  ReleaseSearchPath(searchNode);
  searchNode = path;
}

void HumanBehavior::AdvanceSearch() {
  PathNode* next = searchNode->GetNext();
  // Past the end of the path the whole chain is done with.
  if (next == nullptr) ReleaseSearchPath(searchNode);
  searchNode = next;
}

void HumanBehavior::AdvancePatrol() {
  PathNode* forward = currentNode->next;
  PathNode* backward = currentNode->previous;
  if (!walkingBackward) {
    if (forward != nullptr) {
      currentNode = forward;
    } else if (backward != nullptr) {
      currentNode = backward;
      walkingBackward = true;
    }
  } else {
    if (backward != nullptr) {
      currentNode = backward;
    } else if (forward != nullptr) {
      currentNode = forward;
      walkingBackward = false;
    }
  }
}

// ---- small steps -------------------------------------------------------------------------------

void HumanBehavior::StopCountingAsChaser() {
  if (!countedAsChaser) return;
  countedAsChaser = false;
  HumanSharedState& shared = Module().shared;
  if (shared.chaserCount > 0) --shared.chaserCount;
  if (shared.chaserCount == 0) ChaseMusic(false);
}

void HumanBehavior::SetSpeeds(float maxVelocity, float acceleration) {
  if (Kinematics* k = KinematicsOf(owner)) {
    k->maxSpeed = maxVelocity;
    k->acceleration = acceleration;
  }
}

void HumanBehavior::Steer(float x, float y) {
  if (Kinematics* k = KinematicsOf(owner)) k->SetDirection(x, y);
}

void HumanBehavior::Face(float x, float y) {
  if (Transform* at = owner->GetTransform()) at->rotation = DirectionAngle(x, y);
}

// ---- the shared state and the hooks ------------------------------------------------------------

HumanSharedState& HumanShared() { return Module().shared; }
void ResetHumanShared() { Module().shared = HumanSharedState{}; }

HumanBehavior* HumanOf(const GameObject* object) {
  return object != nullptr ? object->GetComponentAs<HumanBehavior>(SlotOf(ComponentType::Behavior)) : nullptr;
}

namespace {

void AttachHumanBehavior(GameObject* enemy) {
  const Transform* at = enemy->GetTransform();
  const float x = at != nullptr ? at->position[0] : 0.0f;
  const float y = at != nullptr ? at->position[1] : 0.0f;
  const float z = at != nullptr ? at->position[2] : 0.0f;
  enemy->AddComponent(new HumanBehavior(x, y, z));
}

bool PassesVents(GameObject* enemy) {
  const HumanBehavior* human = HumanOf(enemy);
  return human != nullptr && human->passesVents;
}

void SetPatrolPathOf(GameObject* enemy, PathNode* firstNode) {
  if (HumanBehavior* human = HumanOf(enemy)) human->SetPatrolPath(firstNode);
}

// Every guard that walks on a node moves off it before the node is deleted, whoever deletes it.
void MoveGuardsOffNode(PathNode* dying) {
  for (GameObject* object : Objects()) {
    if (HumanBehavior* human = HumanOf(object)) human->LeaveNode(dying);
  }
}

// The removal pass: a guard whose patrol node is marked moves on and the node goes instead.
bool RemoveGuardsNode(GameObject* object, bool* removed) {
  HumanBehavior* human = HumanOf(object);
  if (human == nullptr || human->currentNode == nullptr || !human->currentNode->destroy) return false;
  PathNode* node = human->currentNode;
  human->LeaveNode(node);
  *removed = DestroyIfMarked(node);
  return true;
}

}  // namespace

void InstallHumanHooks() {
  GetFactoryHooks().attachHumanBehavior = AttachHumanBehavior;
  GetCollisionBehaviorHooks().passesVents = PassesVents;
  GetSceneHooks().setPatrolPath = SetPatrolPathOf;
  GetObjectPassHooks().enemyPatrolRemoval = RemoveGuardsNode;
  SetPathNodeRemovalHook(MoveGuardsOffNode);
}
