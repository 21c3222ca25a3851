// The behaviour of every enemy (object type Enemy): a guard stands at its post or walks its patrol
// path, watches for the player in a vision cone, fills an aggro meter while it sees the player, and
// escalates through a grace phase to a chase; it searches the place where it last saw the player,
// gives up and walks back, can be stunned by thrown food, and catches the player on contact.
// Reads and writes its own Transform (slot 0) and Kinematics (slot 2), installs an empty contact
// handler on its collision shape (slot 6), starts its named particle emitters and plays its sounds
// by name. Reads the player through ScenePlayer() and the player's behaviour only through
// BehaviorOf and the player_state numbers. States are the human_state numbers.
// Owns its search path (a chain of search nodes, released when replaced or when the guard goes);
// patrol nodes belong to the object list and are only pointed at.
#pragma once

#include <cstdint>

#include "gameplay/AggroBar.h"
#include "gameplay/Behavior.h"
#include "gameplay/Sight.h"

class GameObject;
class PathNode;

class HumanBehavior final : public Behavior {
 public:
  // A guard that was created at (x, y, z).
  HumanBehavior(float x, float y, float z);
  ~HumanBehavior() override;

  // The patrol path starting at `firstNode` (a patrol node of the object list; null: no path).
  void SetPatrolPath(PathNode* firstNode);
  // Moves the guard's patrol pointers off a patrol node that is about to be deleted: on to its
  // neighbour in the walking direction, or to nothing when it was alone.
  void LeaveNode(const PathNode* dying);

  PathNode* patrolPath = nullptr;   // first node of the patrol path, not owned
  PathNode* currentNode = nullptr;  // the patrol node walked to, not owned
  PathNode* searchNode = nullptr;   // current node of the owned search path; null without one
  bool walkingBackward = false;
  float aggro = 0.0f;
  float graceTimer = 0.0f;
  float stunTimer = 0.0f;
  float footstepTimer = 0.0f;
  bool passesVents = false;  // while set, vents do not push the guard out
  float spawnPosition[3];
  float spawnRotation = 0.0f;
  float lastSeenPosition[3] = {0.0f, 0.0f, 0.0f};
  bool countedAsChaser = false;
  bool homeUnplanned = false;  // no way back could be planned: the guard gives up walking straight home
  AggroBar bar;

 protected:
  void OnEnter() override;
  void OnUpdate(float dt) override;

 private:
  struct View;
  View Look() const;
  void Preamble(const View& view, float dt);
  void Idle(const View& view, float dt);
  void Grace(const View& view, float dt);
  void Patrol(const View& view, float dt);
  void HalfAlert(const View& view, float dt);
  void Stun(const View& view, float dt);
  void Chase(const View& view, float dt);
  void GiveUp(const View& view, float dt);

  Sighting SightTest(const View& view);
  void Watch(const View& view, const Sighting& sighting, float dt);
  bool WithinCatch(const View& view) const;
  // Replaces the search route with one to (x, y); false (and no route) when none was found.
  bool PlanTo(float x, float y);
  void PlanToLastSeen();
  void PlanWayBack();
  // Where the guard belongs: its patrol node, or without a path where it was created.
  void Home(float* xy) const;
  void AdvanceSearch();
  void AdvancePatrol();
  void ReplaceSearchPath(PathNode* path);
  void StopCountingAsChaser();
  void SetSpeeds(float maxVelocity, float acceleration);
  void Steer(float x, float y);
  void Face(float x, float y);
};

// The guard's behaviour in an object's slot 1, or null.
HumanBehavior* HumanOf(const GameObject* object);

// The state every guard shares: how many guards count as chasing, whether the chase music is on,
// and the one chase-footstep timer (seconds).
struct HumanSharedState {
  uint32_t chaserCount = 0;
  bool chaseMusic = false;
  float chaseFootstepTimer = 0.0f;
};
HumanSharedState& HumanShared();
void ResetHumanShared();
