#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "core/FrameClock.h"
#include "graphics/Animation.h"

namespace {

// The player's walk clip: one row of eight frames, 0.1 s each, looping.
AnimationClip WalkClip() {
  AnimationClip clip;
  clip.rows = 1;
  clip.columns = 8;
  clip.frameCount = 8;
  clip.frameDuration = 0.1f;
  clip.loop = true;
  return clip;
}

class AnimationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPaused(false);
    Clock().timer.lastFrameMs = 25.0f;  // FrameTime() = 0.025 s
  }
  void TearDown() override {
    SetPaused(false);
    Clock().timer.lastFrameMs = 0.0f;
  }
  // One object pass: the object manager draws, then updates every component.
  void RunFrame(float dt = 0.025f) {
    anim.Draw();
    anim.Update(dt);
  }
  // Adds the clip under that name and plays it.
  AnimationClip* Play(const std::string& name, const AnimationClip& clip = WalkClip()) {
    anim.AddAnimation(name, clip);
    anim.SetAnimation(name);
    return anim.currentClip;
  }
  Animation anim;
};

TEST_F(AnimationTest, AdvancesEverySecondFrameBecauseDrawAndUpdateBothCountDown) {
  AnimationClip* clip = Play("walk");
  ASSERT_NE(clip, nullptr);
  int advances = 0;
  int lastAdvance = 0;
  for (int frame = 1; frame <= 32; ++frame) {
    const uint32_t before = clip->frame;
    RunFrame();
    if (clip->frame == before) continue;
    ++advances;
    EXPECT_EQ(clip->frame, (before + 1) % 8) << "frame " << frame;
    if (lastAdvance > 0) {
      EXPECT_EQ(frame - lastAdvance, 2) << "frame " << frame;
    }
    lastAdvance = frame;
  }
  // 32 frames of 0.025 s, counted twice, make 1.6 s of a 0.1 s clip (float rounding may cost the
  // very first step a frame).
  EXPECT_GE(advances, 15);
  EXPECT_LE(advances, 16);
}

TEST_F(AnimationTest, NonLoopingClipStopsOnItsLastFrameAndAnEmptyOneOnFrameZero) {
  AnimationClip clip = WalkClip();
  clip.loop = false;
  clip.frameCount = 3;
  AnimationClip* c = Play("once", clip);
  for (int i = 0; i < 3; ++i) anim.Update(0.1f);
  EXPECT_EQ(c->frame, 2u);
  EXPECT_FALSE(c->playing);
  EXPECT_EQ(c->timer, 0.0f);
  EXPECT_TRUE(c->frameChanged);  // the step that stopped it still changed the frame
  float lastUV[8];
  std::copy(c->uv, c->uv + 8, lastUV);

  anim.Update(0.1f);
  EXPECT_FALSE(c->frameChanged);
  anim.Update(0.1f);
  EXPECT_FALSE(c->frameChanged);
  EXPECT_EQ(c->frame, 2u);
  EXPECT_EQ(c->timer, 0.0f);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(c->uv[i], lastUV[i]);

  // A clip without frames rests on frame 0 instead of wrapping around.
  clip.frameCount = 0;
  c = Play("empty", clip);
  anim.Update(0.1f);
  EXPECT_EQ(c->frame, 0u);
  EXPECT_FALSE(c->playing);
}

TEST_F(AnimationTest, SetAnimationRestartsTheCurrentClip) {
  Play("walk");
  for (int i = 0; i < 7; ++i) RunFrame();
  ASSERT_EQ(anim.currentClip->frame, 3u);
  anim.SetAnimation("walk");  // back to the start
  AnimationClip* c = anim.currentClip;
  EXPECT_EQ(c->frame, 0u);
  EXPECT_TRUE(c->playing);
  EXPECT_FALSE(c->frameChanged);
  EXPECT_FLOAT_EQ(c->timer, 0.1f);
  float frame0[8];
  ComputeFrameUV(1, 8, 0, frame0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(c->uv[i], frame0[i]);

  AnimationClip other = WalkClip();
  other.frameCount = 2;
  anim.AddAnimation("walk", other);  // the existing clip stays
  EXPECT_EQ(anim.clips.at("walk").frameCount, 8u);
  anim.SetAnimation("run");  // unknown: the current clip stays
  EXPECT_EQ(anim.currentClip, c);
}

TEST_F(AnimationTest, OvershootCarriesOnAndAWrittenFrameIsNotRecomputedButWrapsOnTheNextAdvance) {
  AnimationClip* c = Play("walk");
  anim.Update(0.13f);  // 0.03 s past the first frame's end
  EXPECT_EQ(c->frame, 1u);
  EXPECT_NEAR(c->timer, 0.07f, 1e-6f);
  anim.SetAnimation("walk");  // back to the start
  float before[8];
  std::copy(c->uv, c->uv + 8, before);
  c->frame = 8;  // the player's standing pose
  float u[4], v[4];
  ASSERT_TRUE(anim.CurrentFrameUV(u, v));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(u[i], before[i]);
    EXPECT_EQ(v[i], before[4 + i]);
  }

  anim.Update(0.1f);  // 8 becomes 9, which wraps to 0
  EXPECT_EQ(c->frame, 0u);
  EXPECT_TRUE(c->frameChanged);
}

TEST(AnimationUVTest, FrameZeroOfAOneRowSheetShowsTheLastCellAndEmptySheetsStayFinite) {
  float uv[8];
  ComputeFrameUV(1, 8, 0, uv);
  // Corners bottom-right, top-right, top-left, bottom-left: u runs from -1/8 to 0, which the
  // wrapping sampler reads as 7/8 to 1, the last cell; v spans the whole row.
  const float u[4] = {0.0f, 0.0f, -0.125f, -0.125f};
  const float v[4] = {0.0f, -1.0f, -1.0f, 0.0f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(uv[i], u[i]) << "u of corner " << i;
    EXPECT_FLOAT_EQ(uv[4 + i], v[i]) << "v of corner " << i;
  }
  // Empty sheet dimensions do not divide by zero.
  ComputeFrameUV(0, 0, 3, uv);
  for (float f : uv) EXPECT_TRUE(std::isfinite(f));
  EXPECT_FLOAT_EQ(uv[0], 0.0f);
  EXPECT_FLOAT_EQ(uv[2], -1.0f);
}

}  // namespace
