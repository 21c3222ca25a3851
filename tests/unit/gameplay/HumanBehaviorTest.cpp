#include <gtest/gtest.h>

#include <vector>

#include "GuardScene.h"
#include "audio/AudioSystem.h"
#include "core/KeyCodes.h"
#include "graphics/ParticleEmitter.h"
#include "support/TestSupport.h"
#include "unit/audio/AudioTestHelpers.h"

namespace guard_test {
namespace {

using human_state::kFullAlert;
using human_state::kGiveUp;
using human_state::kGrace;
using human_state::kHalfAlert;
using human_state::kIdle;
using human_state::kPatrol;
using human_state::kStun;

// ---- the aggro meter ---------------------------------------------------------------------------

class Watching : public GuardScene {};

TEST_F(Watching, TheMeterFillsInAboutFourAndAQuarterSecondsFarOffAndASixthOfASecondAtAHundred) {
  struct Row {
    float playerX, seconds, tolerance;
  };
  for (const Row& r : {Row{1500, 4.25f, 0.05f}, Row{1100, 0.17f, 0.015f}}) {
    SCOPED_TRACE(r.playerX);
    HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000), Player(r.playerX, 1000)});
    Settle();
    ASSERT_EQ(guard->currentState, kIdle);
    EXPECT_NEAR(SecondsUntil(guard, kGrace, 6.0f), r.seconds, r.tolerance);
    EXPECT_FLOAT_EQ(guard->aggro, 1.0f);
    DestroySceneList();
  }
}

// Just beyond the farthest radius, or behind the guard, the player is never noticed; nor in full
// view over a vent or under cover.
TEST_F(Watching, APlayerBeyondTheFarthestRadiusBehindTheGuardOrInAVentOrUnderCoverIsNeverNoticed) {
  // The second guard stands 101 units from the player, facing away.
  Start({Guard("Enemy_2", 1000, 1000), Guard("Enemy_3", 1400, 1000, 180.0f), Player(1501, 1000)});
  Frames(300);
  EXPECT_EQ(GuardNamed("Enemy_2")->currentState, kIdle);
  EXPECT_EQ(GuardNamed("Enemy_2")->aggro, 0.0f);
  EXPECT_EQ(GuardNamed("Enemy_3")->currentState, kIdle);
  DestroySceneList();
  for (bool vent : {true, false}) {
    SCOPED_TRACE(vent ? "vent" : "cover");
    HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000), Player(1200, 1000)});
    (vent ? GetCollisionFlags().playerOverVent : GetCollisionFlags().playerUnderCover) = true;
    Frames(300);
    EXPECT_EQ(guard->currentState, kIdle);
    EXPECT_EQ(guard->aggro, 0.0f);
    GetCollisionFlags() = CollisionFlags{};
    EXPECT_GT(SecondsUntil(guard, kGrace, 1.0f), 0.0f);
    DestroySceneList();
  }
}

TEST_F(Watching, ProximityIsNoticedThroughAWallUnlessThePlayerHides) {
  HumanBehavior* guard =
      Start({Guard("Enemy_2", 1000, 1000, 180.0f), Wall("Wall_3", 1040, 1000, 10, 200), Player(1068, 1000)});
  GetCollisionFlags().playerUnderCover = true;
  Frames(100);
  EXPECT_EQ(guard->currentState, kIdle);
  GetCollisionFlags() = CollisionFlags{};
  Frames(2);
  EXPECT_EQ(guard->currentState, kGrace);
  EXPECT_FLOAT_EQ(guard->aggro, 1.0f);
}

TEST_F(Watching, AFullMeterThroughGlassSendsAPatrolToSearchRoundItNotToGrace) {
  // A one-node patrol on the guard's own spot: the guard stands there facing +x.
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000, 0.0f, "Node_3"), Node("Node_3", 1000, 1000),
                                Glass("Glass_4", 1150, 1000, 10, 200), Player(1300, 1000)});
  Frames(2);
  ASSERT_EQ(guard->currentState, kPatrol);
  bool graced = false;
  for (int n = 0; n < 300 && guard->currentState != kHalfAlert; ++n) {
    Frames(1);
    graced = graced || guard->currentState == kGrace;
  }
  EXPECT_FALSE(graced);
  ASSERT_EQ(guard->currentState, kHalfAlert);
  ASSERT_NE(guard->searchNode, nullptr);
  // The planned way leads round the pane to where the player stood.
  PathNode* last = guard->searchNode;
  bool detoured = false;
  while (last->GetNext() != nullptr) {
    last = last->GetNext();
    detoured = detoured || std::abs(Y(last) - 1000.0f) > 100.0f;
  }
  EXPECT_TRUE(detoured);
  EXPECT_NEAR(X(last), 1300.0f, 13.0f);
}

// While the game is paused every update gets a frame time of 0, so a meter at 0 stays at 0: the
// alert of a guard that has just caught sight of the player sounds once, when play goes on.
class WatchingAloud : public GuardScene {
 protected:
  void SetUp() override {
    audio_test::StartOnSilentOutput();
    // Loading the scene list registers the music a level start plays; this level is built by hand.
    RegisterEvent("event:/Music/MenuMusic", "menu");
    RegisterEvent("event:/Music/LevelOneMusic", "levelone");
    GuardScene::SetUp();
  }
  void TearDown() override {
    GuardScene::TearDown();
    ShutdownAudio();
  }
  static size_t Alerts() { return audio_test::InstancesOf("halfalert_e").size(); }
  void PausedFrames(int n) {
    for (int i = 0; i < n; ++i) {
      UpdateObjects(0.0f);
      CopyPreviousInput();
    }
  }
};

TEST_F(WatchingAloud, AGuardWhoseMeterIsEmptyAlertsOnceWhenPlayGoesOnNotEveryPausedFrame) {
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000), Player(1300, 1000)});
  PausedFrames(40);
  ASSERT_EQ(guard->currentState, kIdle);
  EXPECT_EQ(guard->aggro, 0.0f);
  EXPECT_EQ(Alerts(), 0u);
  Frames(1);
  EXPECT_EQ(Alerts(), 1u);
  EXPECT_GT(guard->aggro, 0.0f);
  PausedFrames(20);
  Frames(5);
  EXPECT_EQ(Alerts(), 1u);
}

// ---- patrols -----------------------------------------------------------------------------------

class Patrolling : public GuardScene {
 protected:
  // The nodes the guard heads for, each time it picks a new one, over `seconds`.
  std::vector<std::string> Route(HumanBehavior* guard, float seconds) {
    std::vector<std::string> route;
    for (int n = 0; n * kDt < seconds; ++n) {
      Frames(1);
      if (guard->currentNode != nullptr && (route.empty() || route.back() != guard->currentNode->name)) {
        route.push_back(guard->currentNode->name);
      }
    }
    return route;
  }
};

// A one-node path keeps the guard at its node.
TEST_F(Patrolling, AOneNodePathKeepsTheGuardThereATwoNodeOneIsWalkedBackAndForthACircularOneRound) {
  HumanBehavior* still =
      Start({Guard("Enemy_2", 1000, 1000, 0.0f, "Node_3"), Node("Node_3", 1100, 1000), Player(3000, 3000)});
  Frames(300);
  EXPECT_EQ(still->currentState, kPatrol);
  EXPECT_NEAR(X(Object("Enemy_2")), 1100.0f, 20.0f);
  EXPECT_NEAR(Y(Object("Enemy_2")), 1000.0f, 20.0f);
  EXPECT_EQ(still->currentNode, still->patrolPath);

  DestroySceneList();
  Start({Guard("Enemy_2", 1000, 1000, 0.0f, "Node_3"), Node("Node_3", 1000, 1000, "Node_4"),
         Node("Node_4", 1200, 1000), Player(3000, 3000)});
  std::vector<std::string> route = Route(GuardNamed("Enemy_2"), 8.0f);
  ASSERT_GE(route.size(), 5u);
  for (size_t i = 0; i < route.size(); ++i) EXPECT_EQ(route[i], i % 2 == 0 ? "Node_3" : "Node_4") << i;
  EXPECT_GT(X(Object("Enemy_2")), 980.0f);
  EXPECT_LT(X(Object("Enemy_2")), 1220.0f);

  DestroySceneList();
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000, 0.0f, "Node_3"), Node("Node_3", 1000, 1000, "Node_4"),
                                Node("Node_4", 1200, 1000, "Node_5"), Node("Node_5", 1100, 1150, "Node_3"),
                                Player(3000, 3000)});
  route = Route(guard, 10.0f);
  ASSERT_GE(route.size(), 6u);
  const char* loop[] = {"Node_3", "Node_4", "Node_5"};
  for (size_t i = 0; i < route.size(); ++i) EXPECT_EQ(route[i], loop[i % 3]) << i;
  EXPECT_FALSE(guard->walkingBackward);
}

TEST_F(Patrolling, ADestroyedNodeUnderTheGuardHandsItOnAndALastOneLeavesItStanding) {
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000, 0.0f, "Node_3"), Node("Node_3", 1000, 1000, "Node_4"),
                                Node("Node_4", 1200, 1000), Player(3000, 3000)});
  Frames(5);
  ASSERT_EQ(guard->currentNode->name, "Node_4");
  Object("Node_4")->destroy = true;
  Frames(1);
  EXPECT_EQ(Object("Node_4"), nullptr);
  ASSERT_NE(guard->currentNode, nullptr);
  EXPECT_EQ(guard->currentNode->name, "Node_3");

  Object("Node_3")->destroy = true;
  Frames(3);
  EXPECT_EQ(guard->patrolPath, nullptr);
  EXPECT_EQ(guard->currentNode, nullptr);
  EXPECT_EQ(guard->currentState, kIdle);
}

TEST_F(Patrolling, WithoutAPlayerGuardsStandIdleAndLookForNobody) {
  Start({Guard("Enemy_2", 1000, 1000, 0.0f, "Node_3"), Node("Node_3", 1000, 1000, "Node_4"),
         Node("Node_4", 1200, 1000), Guard("Enemy_5", 1500, 1500)});
  const uint64_t rays = RaysCast();
  Frames(100);
  EXPECT_EQ(GuardNamed("Enemy_2")->currentState, kIdle);
  EXPECT_EQ(GuardNamed("Enemy_5")->currentState, kIdle);
  EXPECT_EQ(RaysCast(), rays);
}

// ---- the chase ---------------------------------------------------------------------------------

class Chasing : public GuardScene {
 protected:
  void Chase(HumanBehavior* guard) {
    guard->nextState = kFullAlert;
    Frames(1);
    ASSERT_EQ(guard->currentState, kFullAlert);
  }
};

TEST_F(Chasing, CoverDoesNotEndAChaseButAVentDoes) {
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000), Player(1400, 1000)});
  Settle();
  Chase(guard);
  GetCollisionFlags().playerUnderCover = true;
  Frames(20);
  EXPECT_EQ(guard->currentState, kFullAlert);
  GetCollisionFlags().playerOverVent = true;
  Frames(2);
  EXPECT_EQ(guard->currentState, kHalfAlert);
  EXPECT_NE(guard->searchNode, nullptr);
}

// An idle guard that sees the player through glass searches without a path. Through glass a search
// never turns into a chase, which would drop at once on the same sighting: the guard follows its way
// round the pane (or stands and searches) instead of switching state on every frame. A stunned guard
// that wakes to see the player only through glass searches too, and a chase that sees it only
// through glass turns into a search round the pane.
TEST_F(Chasing, ASightingThroughGlassNeverTurnsASearchOrAStunIntoAChaseAndAChaseSearchesRoundThePane) {
  HumanBehavior* guard =
      Start({Guard("Enemy_2", 1000, 1000), Glass("Glass_4", 1150, 1000, 10, 200), Player(1300, 1000)});
  ASSERT_GT(SecondsUntil(guard, kHalfAlert, 3.0f), 0.0f);
  EXPECT_EQ(guard->searchNode, nullptr);
  for (int n = 0; n < 100; ++n) {
    Frames(1);
    ASSERT_NE(guard->currentState, kFullAlert) << "frame " << n;
  }
  EXPECT_FALSE(HumanShared().chaseMusic);

  guard->nextState = kStun;
  Frames(1);
  ASSERT_EQ(guard->currentState, kStun);
  EXPECT_GT(SecondsUntil(guard, kHalfAlert, 2.5f), 1.9f);
  EXPECT_FALSE(HumanShared().chaseMusic);

  guard->nextState = kFullAlert;
  Frames(2);
  EXPECT_EQ(guard->currentState, kHalfAlert);
  ASSERT_NE(guard->searchNode, nullptr);
  EXPECT_TRUE(HumanShared().chaseMusic);  // still counted while it searches
}

// A new search that finds nothing (here: the player was last seen below the path grid) leaves the
// guard without a route, not on the half-walked route of an earlier search that leads elsewhere.
TEST_F(Chasing, ASearchThatFindsNothingDropsTheHalfWalkedOldRoute) {
  // The path grid grows to hold the level's player: the player steps off it after the level start.
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000), Player(-50, 150)});
  Settle();
  GameObject* player = ThePlayer();
  player->GetTransform()->position[1] = -150.0f;
  testing_support::KinematicsOf(player)->lastPosition[1] = -150.0f;
  guard->aggro = HumanTuningValues().max_aggro;
  Chase(guard);  // the player is out of the guard's cone: a search for where it was last seen
  Frames(40);
  ASSERT_EQ(guard->currentState, kHalfAlert);
  ASSERT_NE(guard->searchNode, nullptr) << "the first search should have found a route";
  // Walking that route the guard now faces the player, far off and outside the grid.
  guard->nextState = kFullAlert;
  Frames(2);
  ASSERT_EQ(guard->currentState, kHalfAlert);
  EXPECT_FLOAT_EQ(guard->lastSeenPosition[1], -150.0f);
  EXPECT_EQ(guard->searchNode, nullptr);
}

// The ray to the player passes just below a block's corner, so the player is in view, but the
// guard's body catches the block's bottom edge on the way. It slides along the edge and past the
// corner to the player, whether the block comes before or after it in the object list.
TEST_F(Chasing, AChaserSlidesPastAWallCornerThatClipsItsBodyToThePlayerInView) {
  for (bool wallFirst : {false, true}) {
    SCOPED_TRACE(wallFirst ? "wall listed first" : "guard listed first");
    std::vector<ObjectRecord> records = {Guard("Enemy_2", 1000, 1000), Player(1400, 1000)};
    records.insert(wallFirst ? records.begin() : records.end(), Wall("Wall_4", 1200, 1050, 100, 60));
    HumanBehavior* guard = Start(records);
    Settle();
    Chase(guard);
    int frames = 0;
    for (; frames < 300 && !CurrentScene()->gameOver; ++frames) {
      Frames(1);
      ASSERT_EQ(guard->currentState, kFullAlert) << "the player stays in view; frame " << frames;
    }
    EXPECT_TRUE(CurrentScene()->gameOver) << "stuck at x " << X(Object("Enemy_2"));
    DestroySceneList();
  }
}

TEST_F(Chasing, AChaserReachesAndCatchesTheStandingPlayer) {
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000), Player(1300, 1000)});
  Settle();
  Chase(guard);
  for (int n = 0; n < 300 && !CurrentScene()->gameOver; ++n) Frames(1);
  EXPECT_TRUE(CurrentScene()->gameOver);
  EXPECT_EQ(BehaviorOf(ThePlayer())->nextState, player_state::kDeath);
  // Caught at the catch radius from touching, not on top of the player.
  const float gap = X(ThePlayer()) - X(Object("Enemy_2")) - 30.0f - 20.0f;
  EXPECT_LE(gap, 20.0f);
  EXPECT_GT(gap, 10.0f);
}

TEST_F(Chasing, TheInvulnerabilitySwitchPreventsTheCatch) {
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000), Player(1060, 1000)});
  SceneState().invulnerable = true;
  Settle();  // proximity: grace
  Chase(guard);
  Frames(50);
  EXPECT_FALSE(CurrentScene()->gameOver);
  EXPECT_NE(BehaviorOf(ThePlayer())->nextState, player_state::kDeath);
  EXPECT_EQ(KinematicsOf(Object("Enemy_2"))->velocity[0], 0.0f);
}

TEST_F(Chasing, TwoChasersKeepTheChaseMusicOnUntilBothHaveGivenUp) {
  Start({Guard("Enemy_2", 1000, 1000), Guard("Enemy_3", 1000, 1300), Player(3000, 3000)});
  HumanBehavior* first = GuardNamed("Enemy_2");
  HumanBehavior* second = GuardNamed("Enemy_3");
  Settle();
  Chase(first);
  Chase(second);
  EXPECT_EQ(HumanShared().chaserCount, 2u);
  EXPECT_TRUE(HumanShared().chaseMusic);
  Frames(2);  // out of range: both search, and still count
  EXPECT_EQ(first->currentState, kHalfAlert);
  EXPECT_TRUE(HumanShared().chaseMusic);

  first->nextState = kGiveUp;
  Frames(1);
  EXPECT_EQ(HumanShared().chaserCount, 1u);
  EXPECT_TRUE(HumanShared().chaseMusic);
  second->nextState = kGiveUp;
  Frames(1);
  EXPECT_EQ(HumanShared().chaserCount, 0u);
  EXPECT_FALSE(HumanShared().chaseMusic);
}

TEST_F(Chasing, AGuardThatGoesWhileChasingTakesItsSearchAndItsCountWithIt) {
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000), Wall("Wall_4", 1150, 1000, 20, 300), Player(1300, 1000)});
  Settle();
  Chase(guard);  // behind the wall: the chase turns into a search at once
  Frames(1);
  ASSERT_EQ(guard->currentState, kHalfAlert);
  ASSERT_NE(guard->searchNode, nullptr);
  Object("Enemy_2")->destroy = true;
  Frames(1);
  EXPECT_EQ(Object("Enemy_2"), nullptr);
  EXPECT_EQ(HumanShared().chaserCount, 0u);
  EXPECT_FALSE(HumanShared().chaseMusic);
  // The search chain went with it: LeakSanitizer reports it otherwise.
}

TEST_F(Chasing, TheDeveloperKillEndsTheGame) {
  Start({Guard("Enemy_2", 1000, 1000), Player(3000, 3000)});
  Settle();
  SetKey(vk::Control, true);
  SetKey('I', true);
  Frames(1);
  EXPECT_FALSE(CurrentScene()->gameOver);
  SetKey('L', true);
  Frames(1);
  EXPECT_TRUE(CurrentScene()->gameOver);
  EXPECT_EQ(BehaviorOf(ThePlayer())->nextState, player_state::kDeath);
}

// ---- the way back -------------------------------------------------------------------------------

class GivingUp : public GuardScene {
 protected:
  // Puts the guard at (x, y), calm, in a search that has nothing left to search: it plans its way
  // back and gives up.
  void LoseThePlayerAt(HumanBehavior* guard, float x, float y) {
    GameObject* body = Object("Enemy_2");
    body->GetTransform()->position[0] = x;
    body->GetTransform()->position[1] = y;
    KinematicsOf(body)->StartAtOwner();
    guard->aggro = 0.0f;
    guard->nextState = kHalfAlert;
    Frames(2);
    ASSERT_EQ(guard->currentState, kGiveUp);
  }
};

// A post outside the path grid (left of it) can be planned to from nowhere: the guard walks straight
// back, turns to face where it faced before and stands there again.
TEST_F(GivingUp, AGuardWhoseWayBackCannotBePlannedWalksStraightHome) {
  HumanBehavior* guard = Start({Guard("Enemy_2", -400, 1000, 90.0f), Player(3000, 3000)});
  Settle();
  LoseThePlayerAt(guard, -150, 1200);
  EXPECT_GT(SecondsUntil(guard, kIdle, 4.0f), 0.0f);
  EXPECT_NEAR(X(Object("Enemy_2")), -400.0f, 15.0f);
  EXPECT_NEAR(Y(Object("Enemy_2")), 1000.0f, 15.0f);
  EXPECT_FLOAT_EQ(Object("Enemy_2")->GetTransform()->rotation, 90.0f);
}

// ---- the stun ----------------------------------------------------------------------------------

class Stunned : public GuardScene {};

TEST_F(Stunned, AStunStopsTheGuardForItsTimeAndAnotherHitDoesNotProlongIt) {
  // The player stands well outside the guard's cone: a stun ends with the patrol going on.
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000, 0.0f, "Node_3"), Node("Node_3", 1000, 1000, "Node_4"),
                                Node("Node_4", 1400, 1000), Player(1000, 3000)});
  Frames(50);
  ASSERT_EQ(guard->currentState, kPatrol);
  guard->nextState = kStun;
  Frames(2);
  ASSERT_EQ(guard->currentState, kStun);
  GameObject* body = Object("Enemy_2");
  EXPECT_EQ(KinematicsOf(body)->velocity[0], 0.0f);
  const std::vector<ParticleEmitter*> stars = FindEmitters(body, "stun");
  ASSERT_FALSE(stars.empty());
  EXPECT_TRUE(stars.front()->active);
  const float x = X(body);

  Frames(100);
  EXPECT_FLOAT_EQ(X(body), x);
  guard->nextState = kStun;  // hit again while stunned
  const float rest = SecondsUntil(guard, kPatrol, 3.0f);
  EXPECT_NEAR(rest, 1.0f, 0.05f);
  EXPECT_FALSE(stars.front()->active);
}

TEST_F(Stunned, AStunnedChaserThatStillSeesThePlayerChasesOn) {
  HumanBehavior* guard = Start({Guard("Enemy_2", 1000, 1000), Player(1300, 1000)});
  Settle();
  guard->nextState = kFullAlert;
  Frames(1);
  guard->nextState = kStun;
  EXPECT_GT(SecondsUntil(guard, kFullAlert, 2.5f), 1.9f);
}

}  // namespace
}  // namespace guard_test
