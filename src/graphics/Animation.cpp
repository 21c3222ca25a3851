#include "graphics/Animation.h"

#include <algorithm>

#include "core/FrameClock.h"

namespace {

// One timer step of a clip: clears frameChanged, runs the timer down, advances when it runs out.
void StepClip(AnimationClip& clip, float dt) {
  clip.frameChanged = false;
  if (!clip.playing) return;
  clip.timer -= dt;
  if (clip.timer > 0.0f) return;

  clip.frame += 1;
  if (clip.frame >= clip.frameCount) {
    if (clip.loop) {
      clip.frame = 0;
    } else {
      clip.playing = false;
      // A clip without frames has no last frame to rest on; it rests on frame 0.
      clip.frame = clip.frameCount > 0 ? clip.frameCount - 1 : 0;
    }
  }
  clip.frameChanged = true;
  if (clip.playing) {
    ComputeFrameUV(clip.rows, clip.columns, clip.frame, clip.uv);
    clip.timer += clip.frameDuration;  // the overshoot carries over to the next frame
  } else {
    clip.timer = 0.0f;  // the uv keeps showing the last frame
  }
}

}  // namespace

void ComputeFrameUV(uint32_t rows, uint32_t columns, uint32_t frame, float uv[8]) {
  // A sheet described with no rows or columns would divide by zero; it is read as one cell.
  rows = std::max(rows, 1u);
  columns = std::max(columns, 1u);
  float du = 1.0f / static_cast<float>(columns);
  float dv = 1.0f / static_cast<float>(rows);
  uint32_t c = frame % columns;
  uint32_t r = frame / columns;
  float ur = static_cast<float>(c) * du;
  float vb = static_cast<float>(r) * dv;
  uv[0] = ur;
  uv[1] = ur;
  uv[2] = ur - du;
  uv[3] = ur - du;
  uv[4] = vb;
  uv[5] = vb - dv;
  uv[6] = vb - dv;
  uv[7] = vb;
}

Animation::Animation() : Component(ComponentType::Animation) {}

void Animation::AddAnimation(const std::string& name, const AnimationClip& clip) {
  clips.emplace(name, clip);  // keeps an existing clip of that name
}

void Animation::SetAnimation(const std::string& name) {
  auto it = clips.find(name);
  if (it == clips.end()) return;
  AnimationClip& clip = it->second;
  currentClip = &clip;
  clip.timer = clip.frameDuration;
  clip.frame = 0;
  clip.playing = true;
  clip.frameChanged = false;
  ComputeFrameUV(clip.rows, clip.columns, 0, clip.uv);
}

void Animation::Update(float dt) {
  if (currentClip != nullptr) StepClip(*currentClip, dt);
}

void Animation::Draw() {
  if (currentClip != nullptr) StepClip(*currentClip, FrameTime());
}

bool Animation::CurrentFrameUV(float u[4], float v[4]) const {
  if (currentClip == nullptr) return false;
  std::copy(currentClip->uv, currentClip->uv + 4, u);
  std::copy(currentClip->uv + 4, currentClip->uv + 8, v);
  return true;
}
