// The sprite batch's count of what its frame analysis found (see SpriteBatch.h, which reads and
// resets it).
#pragma once

#include <cstdint>

// What the frame analysis found, summed over frames since the last reset. Pixels are the areas
// of the quads' screen boxes, an estimate.
struct SpriteFrameStats {
  uint64_t frames = 0;            // FinishSpriteFrame calls
  uint64_t quads = 0;             // quads queued
  uint64_t hiddenQuads = 0;       // left out: later opaque quads cover them, or off the screen
  uint64_t offScreenQuads = 0;    // of those, the ones off the screen
  uint64_t draws = 0;             // draw calls sent
  uint64_t drawsWithoutDepth = 0;
  uint64_t drawsWithoutBlending = 0;  // every pixel opaque: blending cannot change them
  double pixels = 0;              // of every queued quad
  double hiddenPixels = 0;
  double pixelsWithoutDepth = 0;  // of quads drawn without the depth test
  double pixelsWithoutBlending = 0;
  // Lit draws by pixel stage: light slots filled per corner, or the loop over each quad's lights.
  uint64_t drawsLitBySlots = 0;
  uint64_t drawsLitByLoop = 0;
  // Draws that sample the nearest texel: every pixel centre falls on a texel centre.
  uint64_t drawsNearest = 0;
  double pixelsNearest = 0;
  uint64_t drawsUntinted = 0;  // unlit draws whose every quad's ambient tint is exactly 1
};
