#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "GraphicsTestHelpers.h"
#include "HeadlessGraphics.h"
#include "core/FrameClock.h"
#include "core/Random.h"
#include "graphics/ParticleEmitter.h"
#include "objects/GameObject.h"
#include "objects/Transform.h"

using graphics_test::HeadlessGraphics;
using graphics_test::LogCapture;

namespace {

class ParticleEmitterTest : public HeadlessGraphics {
 protected:
  void SetUp() override {
    HeadlessGraphics::SetUp();
    SeedRandom(1234);
    SetFrameSeconds(0.025f);
  }
  void TearDown() override {
    objects_.clear();
    SetPaused(false);
    Clock().timer.lastFrameMs = 0.0f;
    HeadlessGraphics::TearDown();
  }
  void SetFrameSeconds(float seconds) { Clock().timer.lastFrameMs = seconds * 1000.0f; }

  GameObject* Make(float x, float y, float sx = 20.0f, float sy = 20.0f) {
    objects_.push_back(std::make_unique<GameObject>("Thing_", x, y, 0.0f, sx, sy, ObjectType::Food));
    return objects_.back().get();
  }
  // A switched-off circle emitter whose ranges are all a single value and whose particles live long.
  circleEmitter* AddCircle(GameObject* o, const std::string& name = "test", float radius = 10.0f) {
    auto* e = new circleEmitter(radius);
    e->name = name;
    e->textureName = "star.png";
    e->particlesPerEmission = 1;
    e->lifeMin = e->lifeMax = 10.0f;
    e->scaleMin = e->scaleMax = 4.0f;
    e->maxParticles = 50;
    o->AddComponent(e);
    return e;
  }
  // One object pass for the emitter (its Draw is the whole frame's work), then the frame's flush.
  void Frames(ParticleEmitter* e, int n) {
    for (int i = 0; i < n; ++i) {
      e->Draw();
      FlushSprites();
    }
  }

  std::vector<std::unique_ptr<GameObject>> objects_;
};

// ---- periods and bursts ------------------------------------------------------

TEST_F(ParticleEmitterTest, AZeroPeriodIsOneBurstAndALongerOneBurstsUntilItsTimerRunsOutThenLoopsOrStops) {
  circleEmitter* e = AddCircle(Make(0, 0));
  e->particlesPerEmission = 3;
  e->Start();
  Frames(e, 1);
  EXPECT_EQ(e->particles.size(), 3u);
  EXPECT_FALSE(e->active);
  Frames(e, 5);
  EXPECT_EQ(e->particles.size(), 3u);

  e->Start();  // setting it active again starts a new period
  Frames(e, 1);
  EXPECT_EQ(e->particles.size(), 6u);

  // A period keeps bursting until its timer runs out, then loops or stops.
  circleEmitter* once = AddCircle(Make(0, 0));
  once->duration = 0.05f;  // two 0.025 s frames, then the frame that notices the end
  once->Start();
  Frames(once, 6);
  EXPECT_EQ(once->particles.size(), 3u);  // rate 0: one burst in each of those three frames
  EXPECT_FALSE(once->active);

  circleEmitter* looping = AddCircle(Make(0, 0));
  looping->duration = 0.05f;
  looping->loop = true;
  looping->Start();
  Frames(looping, 6);
  EXPECT_TRUE(looping->active);
  EXPECT_EQ(looping->particles.size(), 6u);
}

TEST_F(ParticleEmitterTest, ABurstSpawnsNoMoreThanTheCapacityHoweverHugeNewestFirstWithinItsRanges) {
  GameObject* o = Make(100.0f, 50.0f);
  circleEmitter* e = AddCircle(o, "test", 20.0f);
  e->maxParticles = 4;
  e->particlesPerEmission = 10;
  e->velocityMin = 10.0f, e->velocityMax = 20.0f;
  e->accelerationMin = 0.5f, e->accelerationMax = 1.5f;
  e->directionMin = 0.0f, e->directionMax = 360.0f;
  e->scaleMin = 5.0f, e->scaleMax = 10.0f;
  e->rotationMin = 0.0f, e->rotationMax = 360.0f;
  e->lifeMin = 1.0f, e->lifeMax = 2.0f;
  e->Start();
  Frames(e, 1);
  ASSERT_EQ(e->particles.size(), 4u) << "the other six would be dropped at once, so they are never spawned";
  for (const auto& particle : e->particles) {
    const Particle& p = *particle;
    EXPECT_LE(std::hypot(p.transform.position[0] - 100.0f, p.transform.position[1] - 50.0f), 20.0f + 1e-3f);
    const float speed = std::hypot(p.velocity[0], p.velocity[1]);
    EXPECT_GE(speed, 10.0f - 1e-3f);
    EXPECT_LE(speed, 20.0f + 1e-3f);
    // The braking acts against the velocity.
    EXPECT_LE(p.acceleration[0] * p.velocity[0] + p.acceleration[1] * p.velocity[1], 0.0f);
    EXPECT_GE(p.transform.scale[0], 5.0f);
    EXPECT_LE(p.transform.scale[0], 10.0f);
    EXPECT_FLOAT_EQ(p.transform.scale[1], p.transform.scale[0]);
    EXPECT_GE(p.life, 1.0f);
    EXPECT_LE(p.life, 2.0f);
    EXPECT_FLOAT_EQ(p.transform.position[2], e->particleZ);
  }
  // One more a frame from here on: the newest stands at the front with the most life left.
  e->particlesPerEmission = 1;
  e->lifeMin = e->lifeMax = 2.0f;
  for (int frame = 0; frame < 3; ++frame) {
    e->Start();
    Frames(e, 1);
  }
  ASSERT_EQ(e->particles.size(), 4u);
  for (size_t k = 0; k < 2; ++k) EXPECT_GT(e->particles[k]->life, e->particles[k + 1]->life) << k;

  // A level file may hold any "Particles_Per_Emition"; spawning two billion particles one by one
  // (each dropping the oldest) would stall the game in a single frame.
  circleEmitter* huge = AddCircle(Make(0, 0));
  huge->maxParticles = 20;
  huge->particlesPerEmission = std::numeric_limits<int32_t>::max();
  for (int burst = 0; burst < 2; ++burst) {
    huge->Start();
    Frames(huge, 1);
    EXPECT_EQ(huge->particles.size(), 20u) << "burst " << burst;
  }
}

// ---- particle movement and death ----------------------------------------------

TEST_F(ParticleEmitterTest, SlowToZeroKeepsTheSameShareOfSpeedEachFrameAndOtherwiseTheBrakingActsPerSecond) {
  circleEmitter* e = AddCircle(Make(0, 0));
  e->slowToZero = true;
  e->deceleration = 0.97f;
  e->velocityMin = e->velocityMax = 100.0f;
  e->Spawn();
  Particle& p = *e->particles.front();
  const float vx = p.velocity[0];
  const float vy = p.velocity[1];
  Frames(e, 1);
  EXPECT_FLOAT_EQ(p.velocity[0], vx * 0.97f);
  EXPECT_FLOAT_EQ(p.velocity[1], vy * 0.97f);
  SetFrameSeconds(0.005f);  // a faster frame brakes just as much per frame
  Frames(e, 1);
  EXPECT_FLOAT_EQ(p.velocity[0], vx * 0.97f * 0.97f);
  EXPECT_FLOAT_EQ(p.velocity[1], vy * 0.97f * 0.97f);

  // Without slow to zero the braking acts per second.
  SetFrameSeconds(0.025f);
  circleEmitter* plain = AddCircle(Make(0, 0), "test", 0.0f);  // radius 0: spawns on the owner
  plain->velocityMin = plain->velocityMax = 100.0f;
  plain->accelerationMin = plain->accelerationMax = 2.0f;
  plain->deceleration = 0.5f;  // ignored while slow to zero is off
  plain->Spawn();
  Particle& q = *plain->particles.front();
  Frames(plain, 1);
  // velocity x: 100 + 0.025 * (-200) = 95; position: 0.025 * 95
  EXPECT_NEAR(q.velocity[0], 95.0f, 1e-3f);
  EXPECT_NEAR(q.transform.position[0], 2.375f, 1e-4f);
}

// Braking takes a particle down to rest and leaves it there; it never turns it round to fly back
// to where it came from. A negative braking value speeds it up instead, and that is left alone.
TEST_F(ParticleEmitterTest, BrakingStopsAParticleAndNeverSendsItBack) {
  GameObject* o = Make(0, 0);
  circleEmitter* e = AddCircle(o, "test", 0.0f);
  e->velocityMin = e->velocityMax = 100.0f;
  e->directionMin = e->directionMax = 30.0f;
  e->accelerationMin = e->accelerationMax = 2.0f;  // rest after half a second
  e->Spawn();
  Particle& p = *e->particles.front();
  float farthest = 0.0f;
  for (int frame = 0; frame < 120; ++frame) {  // three seconds
    Frames(e, 1);
    EXPECT_GE(p.velocity[0], 0.0f) << "frame " << frame;
    EXPECT_GE(p.velocity[1], 0.0f) << "frame " << frame;
    EXPECT_GE(p.transform.position[0], farthest - 1e-4f) << "the particle flew back at frame " << frame;
    farthest = std::max(farthest, p.transform.position[0]);
  }
  EXPECT_EQ(p.velocity[0], 0.0f);
  EXPECT_EQ(p.velocity[1], 0.0f);
  // At rest where braking from 100 at 200 per second ends: 100^2 / (2 x 200) = 25 units out.
  EXPECT_NEAR(std::hypot(p.transform.position[0], p.transform.position[1]), 25.0f, 1.5f);

  e->accelerationMin = e->accelerationMax = -1.0f;
  e->Spawn();
  Particle& faster = *e->particles.front();
  Frames(e, 4);
  EXPECT_GT(std::hypot(faster.velocity[0], faster.velocity[1]), 100.0f);
}

TEST_F(ParticleEmitterTest, ShortLivedParticleIsDrawnOnceThenRemovedOnTheNextUpdate) {
  circleEmitter* e = AddCircle(Make(0, 0));
  e->lifeMin = e->lifeMax = 0.01f;
  e->Start();
  Frames(e, 1);  // spawned after this frame's draw
  ASSERT_EQ(e->particles.size(), 1u);
  Frames(e, 1);  // updated (life now below 0) and drawn
  ASSERT_EQ(e->particles.size(), 1u);
  EXPECT_LT(e->particles.front()->life, 0.0f);
  const Particle& p = *e->particles.front();
  EXPECT_NEAR(p.vertices[2].position[0] - p.vertices[0].position[0], 4.0f, 1e-4f);  // the quad was built
  Frames(e, 1);
  EXPECT_TRUE(e->particles.empty());
}

TEST_F(ParticleEmitterTest, EqualBoundsGiveExactlyThatValueAndTheQuadIsASquareTurnedAboutItsCentre) {
  circleEmitter* e = AddCircle(Make(0, 0), "test", 0.0f);
  e->velocityMin = e->velocityMax = 30.0f;
  e->directionMin = e->directionMax = 90.0f;
  e->scaleMin = e->scaleMax = 4.0f;
  e->rotationMin = e->rotationMax = 90.0f;
  e->lifeMin = e->lifeMax = 1.5f;
  e->particleZ = 0.5f;
  e->Spawn();
  Particle& p = *e->particles.front();
  EXPECT_EQ(p.direction, 90.0f);
  EXPECT_EQ(p.transform.rotation, 90.0f);
  EXPECT_EQ(p.transform.scale[0], 4.0f);
  EXPECT_EQ(p.life, 1.5f);
  EXPECT_EQ(p.transform.position[2], 0.5f);
  EXPECT_NEAR(std::hypot(p.velocity[0], p.velocity[1]), 30.0f, 1e-4f);
  EXPECT_EQ(p.acceleration[0], 0.0f);
  p.transform.position[0] = 10.0f;
  p.transform.position[1] = 20.0f;
  p.BuildVertices();
  // Unturned bottom-left (8, 18) turned 90 degrees about (10, 20) lands at (12, 18).
  EXPECT_NEAR(p.vertices[0].position[0], 12.0f, 1e-4f);
  EXPECT_NEAR(p.vertices[0].position[1], 18.0f, 1e-4f);
  EXPECT_EQ(p.vertices[0].position[2], 0.5f);
  EXPECT_EQ(p.vertices[0].texcoord[0], 0.0f);
  EXPECT_EQ(p.vertices[0].texcoord[1], 1.0f);
  EXPECT_EQ(p.vertices[2].texcoord[0], 1.0f);  // top-right
  EXPECT_EQ(p.vertices[2].texcoord[1], 0.0f);
  for (const TextureVertex& v : p.vertices) EXPECT_EQ(v.kind, 0u);
}

// ---- drawing ----------------------------------------------------------------

TEST_F(ParticleEmitterTest, PausedGameFreezesParticlesButStillDrawsThem) {
  circleEmitter* e = AddCircle(Make(0, 0));
  e->velocityMin = e->velocityMax = 50.0f;
  e->Start();
  Frames(e, 2);
  Particle& p = *e->particles.front();
  const float x = p.transform.position[0];
  const float life = p.life;
  const uint64_t indices = Stats().indicesDrawn;
  SetPaused(true);
  Frames(e, 3);
  EXPECT_EQ(Stats().indicesDrawn, indices + 3 * 6 * e->particles.size());
  EXPECT_EQ(p.transform.position[0], x);
  EXPECT_EQ(p.life, life);
}

TEST_F(ParticleEmitterTest, EmittersSharingATextureDrawTheirLiveParticlesInOneDrawAFrame) {
  GameObject* o = Make(0, 0);
  AddCircle(o, "a")->maxParticles = 4;
  AddCircle(o, "b")->maxParticles = 20;
  AddCircle(o, "c")->maxParticles = 1;
  StartEmitters(o, "a");
  StartEmitters(o, "b");
  size_t live = 0;
  for (int frame = 0; frame < 3; ++frame) {
    for (ParticleEmitter* e : o->FindComponents<ParticleEmitter>()) e->Draw();
    live = 0;
    for (ParticleEmitter* e : o->FindComponents<ParticleEmitter>()) live += e->particles.size();
    FlushSprites();
  }
  ASSERT_GT(live, 0u);
  EXPECT_EQ(Stats().drawCalls, 2u);  // the first frame had no particles yet
  // Empty slots of an emitter's capacity are not drawn.
  EXPECT_LT(Stats().indicesDrawn, 3u * (4 + 20 + 1) * 6);
}

TEST_F(ParticleEmitterTest, FailedBuffersAreLoggedAndNothingIsDrawnOrCrashes) {
  LogCapture log;
  circleEmitter* e = AddCircle(Make(0, 0));
  e->maxParticles = 0;  // no room: both buffers would be empty
  e->Start();
  Frames(e, 2);
  EXPECT_EQ(log.Count("[GRAPHICS] COULD NOT INITIALIZE VERTEX BUFFER FOR PARTICLE EMITTER"), 1);
  EXPECT_EQ(log.Count("[GRAPHICS] COULD NOT INITIALIZE INDEX BUFFER FOR PARTICLE EMITTER"), 1);
  EXPECT_EQ(Stats().drawCalls, 0u);
  EXPECT_TRUE(e->particles.empty());
  e->maxParticles = -5;
  e->Spawn();
  EXPECT_EQ(e->Capacity(), 0);
}

// ---- line emitters ------------------------------------------------------------

TEST_F(ParticleEmitterTest, GlassShatterLineIsFixedAtTheFirstDraw) {
  GameObject* pane = Make(10.0f, 20.0f, 25.0f, 100.0f);
  pane->GetTransform()->rotation = 90.0f;
  auto* e = new lineEmitter();
  e->name = "shatter";
  e->particlesPerEmission = 100;
  e->maxParticles = 100;
  e->lifeMin = e->lifeMax = 20.0f;
  pane->AddComponent(e);
  Frames(e, 1);
  EXPECT_EQ(e->length, 100.0f);
  EXPECT_EQ(e->angle, 90.0f);
  // The vertical centre line turned a quarter: from (60, 20) to (-40, 20).
  EXPECT_NEAR(e->start[0], 60.0f, 1e-3f);
  EXPECT_NEAR(e->start[1], 20.0f, 1e-3f);
  EXPECT_NEAR(e->end[0], -40.0f, 1e-3f);
  EXPECT_NEAR(e->end[1], 20.0f, 1e-3f);

  pane->GetTransform()->position[0] = 500.0f;
  pane->GetTransform()->position[1] = 500.0f;
  pane->GetTransform()->rotation = 0.0f;
  StartEmitters(pane, "shatter");
  Frames(e, 2);
  EXPECT_NEAR(e->start[0], 60.0f, 1e-3f);
  EXPECT_NEAR(e->end[0], -40.0f, 1e-3f);
  ASSERT_EQ(e->particles.size(), 100u);
  for (const auto& p : e->particles) {
    EXPECT_GE(p->transform.position[0], -40.0f - 1e-3f);
    EXPECT_LE(p->transform.position[0], 60.0f + 1e-3f);
    EXPECT_NEAR(p->transform.position[1], 20.0f, 1e-3f);
  }
}

// ---- helpers used by behaviours, the factory and the editor ------------------

TEST_F(ParticleEmitterTest, StartAndStopReachEveryEmitterOfThatNameOnly) {
  GameObject* o = Make(0, 0);
  circleEmitter* a = AddCircle(o, "stun");
  circleEmitter* b = AddCircle(o, "stun");
  circleEmitter* other = AddCircle(o, "footstep");
  a->duration = b->duration = 2.0f;
  a->durationTimer = b->durationTimer = -1.0f;
  StartEmitters(o, "stun");
  EXPECT_TRUE(a->active);
  EXPECT_TRUE(b->active);
  EXPECT_EQ(a->durationTimer, 2.0f);
  EXPECT_FALSE(other->active);
  EXPECT_EQ(FindEmitters(o, "stun").size(), 2u);

  StopEmitters(o, "stun");
  EXPECT_FALSE(a->active);
  EXPECT_FALSE(b->active);
  StartEmitters(nullptr, "stun");  // nothing to do, nothing breaks
  EXPECT_TRUE(FindEmitters(nullptr, "stun").empty());
}

}  // namespace
