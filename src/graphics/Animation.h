// Sprite-sheet animation (slot 7). Keeps named clips, steps the current clip's frame on a timer and
// computes the texture coordinates of the current frame, which the owner's Model reads when it
// rebuilds its quad. The timer step runs in both Draw (with the frame clock's time) and Update (with
// the dt it is given), so a playing clip's timer runs down twice per frame.
// Invariants: currentClip is null or points into clips; clips are never erased, so it stays valid.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "graphics/Model.h"
#include "objects/Component.h"

struct AnimationClip {
  uint32_t rows = 1;          // rows of frames in the sheet
  uint32_t columns = 1;       // frames per row
  uint32_t frame = 0;         // current frame, row by row from 0 (game code may write it)
  uint32_t frameCount = 1;    // frames in the clip
  float timer = 0.0f;         // seconds left until the next frame
  float frameDuration = 0.0f; // seconds each frame is shown
  bool playing = false;
  bool loop = false;          // after the last frame start over; otherwise stop on the last frame
  bool frameChanged = false;  // the frame advanced in the latest timer step
  // u of the four corners, then v of the four corners; corner order bottom-right, top-right,
  // top-left, bottom-left.
  float uv[8] = {};
};

class Animation final : public Component, public SpriteFrameSource {
 public:
  Animation();

  // Inserts a clip under `name`; an existing clip of that name stays as it is.
  void AddAnimation(const std::string& name, const AnimationClip& clip);
  // Makes the named clip current and starts it from frame 0. An unknown name changes nothing.
  void SetAnimation(const std::string& name);

  void Update(float dt) override;
  // Runs the timer step with FrameTime() (0 while paused).
  void Draw() override;

  // SpriteFrameSource: the corner u and v of the current clip's frame; false without a clip.
  bool CurrentFrameUV(float u[4], float v[4]) const override;

  std::map<std::string, AnimationClip> clips;
  AnimationClip* currentClip = nullptr;
};

// Texture coordinates of frame `frame` of a rows x columns sheet (u of the four corners, then v).
// The range ends at the frame's own cell and the sampler wraps, so frame f shows the cell before it:
// frame 0 of a one-row sheet shows its last cell.
void ComputeFrameUV(uint32_t rows, uint32_t columns, uint32_t frame, float uv[8]);
