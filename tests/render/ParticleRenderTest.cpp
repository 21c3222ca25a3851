#include "RenderFixture.h"

#include <vector>

#include "core/FrameClock.h"
#include "core/Random.h"
#include "graphics/ParticleEmitter.h"
#include "objects/Transform.h"

using namespace render_test;

namespace {

class ParticleRenderTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    if (IsSkipped()) return;
    // A white spark; particles carry object kind 0 and are lit, and the fixture's full ambient
    // leaves white white.
    WriteBytes(dir_.File("spark.tga"), MakeTga(4, 4, [](int, int) { return Rgba{255, 255, 255, 255}; }));
    ASSERT_NE(TextureManager::Load(dir_.File("spark.tga")), nullptr);
    Clock().timer.lastFrameMs = 0.0f;  // particles stay where they spawn unless a test moves time
  }
  void TearDown() override {
    SetPaused(false);
    Clock().timer.lastFrameMs = 0.0f;
    RenderTest::TearDown();
  }
  static bool Lit(Rgba p) { return p.r > 128 && p.g > 128 && p.b > 128; }
  static bool Dark(Rgba p) { return p.r < 16 && p.g < 16 && p.b < 16; }
};

}  // namespace

TEST_F(ParticleRenderTest, TenPerBurstWithCapacityFourShowsTheFourItSpawned) {
  // A pane turned a quarter: its shatter line runs along y = 0 from x = 400 to x = -400.
  auto* pane = new GameObject("Glass_1", 0.0f, 0.0f, 0.0f, 10.0f, 800.0f, ObjectType::Glass);
  pane->GetTransform()->rotation = 90.0f;
  auto* e = new lineEmitter();
  e->name = "shatter";
  e->textureName = "spark.tga";
  e->particlesPerEmission = 10;
  e->maxParticles = 4;
  // Narrow but open ranges: every particle draws seven random values (position, speed, braking,
  // direction, scale, rotation, life) and hardly moves.
  e->velocityMin = 0.0f, e->velocityMax = 0.001f;
  e->accelerationMin = 0.0f, e->accelerationMax = 0.001f;
  e->directionMin = 0.0f, e->directionMax = 1.0f;
  e->scaleMin = 20.0f, e->scaleMax = 20.001f;
  e->rotationMin = 0.0f, e->rotationMax = 0.001f;
  e->lifeMin = 100.0f, e->lifeMax = 101.0f;
  pane->AddComponent(e);
  AddObject(pane);

  SeedRandom(4242);
  std::vector<float> spawnX;
  for (int k = 0; k < 10; ++k) {
    const float t = static_cast<float>(GameRand()) / 32767.0f;
    spawnX.push_back(400.0f - 800.0f * t);
    for (int skip = 0; skip < 6; ++skip) GameRand();
  }
  SeedRandom(4242);

  StartEmitters(pane, "shatter");
  RenderObjects();  // the burst comes after this frame's draw
  ASSERT_EQ(e->particles.size(), 4u);
  RenderObjects();

  // A burst spawns no more than the capacity: the first four of the ten draws, the rest never.
  for (int k = 0; k < 4; ++k) {
    EXPECT_TRUE(Lit(AtWorld(spawnX[static_cast<size_t>(k)], 0.0f))) << "spawn " << k << " at x " << spawnX[k];
  }
  for (int k = 4; k < 10; ++k) {
    bool underSurvivor = false;
    for (int s = 0; s < 4; ++s) {
      underSurvivor |= std::fabs(spawnX[static_cast<size_t>(k)] - spawnX[static_cast<size_t>(s)]) < 15.0f;
    }
    if (underSurvivor) continue;
    EXPECT_TRUE(Dark(AtWorld(spawnX[static_cast<size_t>(k)], 0.0f))) << "unspawned draw " << k << " at x " << spawnX[k];
  }
  // The unused slots of the buffer are degenerate quads at the origin: nothing shows there.
  bool survivorAtOrigin = false;
  for (int s = 0; s < 4; ++s) survivorAtOrigin |= std::fabs(spawnX[static_cast<size_t>(s)]) < 15.0f;
  if (!survivorAtOrigin) {
    EXPECT_TRUE(Dark(AtWorld(0.0f, 0.0f)));
  }
}

TEST_F(ParticleRenderTest, PausedGameStillDrawsItsParticlesWhereTheyStopped) {
  auto* owner = new GameObject("Enemy_1", -200.0f, 100.0f, 0.0f, 60.0f, 30.0f, ObjectType::Enemy);
  auto* e = new circleEmitter(0.0f);
  e->name = "stun";
  e->textureName = "spark.tga";
  e->particlesPerEmission = 1;
  e->maxParticles = 20;
  e->velocityMin = e->velocityMax = 400.0f;  // to the right, fast
  e->scaleMin = e->scaleMax = 30.0f;
  e->lifeMin = e->lifeMax = 10.0f;
  owner->AddComponent(e);
  AddObject(owner);

  Clock().timer.lastFrameMs = 25.0f;
  StartEmitters(owner, "stun");
  RenderObjects();  // spawned at the owner
  RenderObjects();  // moved 400 x 0.025 = 10 units right and drawn
  ASSERT_EQ(e->particles.size(), 1u);
  const float x = e->particles.front()->transform.position[0];
  EXPECT_NEAR(x, -190.0f, 0.01f);

  SetPaused(true);
  for (int frame = 0; frame < 3; ++frame) {
    RenderObjects();
    EXPECT_EQ(e->particles.front()->transform.position[0], x);
    EXPECT_TRUE(Lit(AtWorld(x, 100.0f))) << "paused frame " << frame;
    EXPECT_TRUE(Dark(AtWorld(x + 40.0f, 100.0f))) << "paused frame " << frame;
  }
}
