// The sprite batch: every quad the game draws (models, text glyphs, particles) goes through here.
// Consecutive quads that share the program, the texture, the matrices and the lights are sent as
// one draw call from a per-frame vertex stream; the owner's colour filters travel with each quad
// as an index into a small table of composed filters, and the object kind rides along as before.
// The picture is the one separate draws would give: quads keep their order inside a draw call, so
// depth testing, the equal-depth rule and blending see them exactly as before. A quad may also join
// an earlier draw of its state when nothing queued after that draw shares a pixel with it (quads
// apart on the screen cannot tell the order they were drawn in). Each textured quad carries the
// lights that cannot reach it, and each draw goes to the cheapest program variant that draws its
// quads exactly (without the filter step, without the light loop, without mipmaps, with the
// nearest texel where each pixel centre sits on a texel centre). A draw whose every pixel comes
// out opaque goes without blending, which could not change it.
//
// The batch holds the whole frame (as far as its streams can take it) and sends it at
// FinishSpriteFrame(), which the graphics frame calls after the object pass and the scenes, or at
// FlushSprites() before anything else draws or reads the back buffer; code that draws through the
// GPU device directly must flush first. Seeing every quad of the frame, the batch leaves out quads
// that a later opaque quad covers completely, and at the frame's end sends draws that the depth
// test cannot change without it (see Occlusion.h). Both give the same picture to the last bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/SpriteFrameStats.h"

class GameObject;
class Texture;
struct TextureVertex;
struct ColorVertex;

// Creates the streams and the shared quad index buffer on the current device. False when the
// device cannot make them (the batch then draws nothing).
bool InitializeSpriteBatch();
void ShutdownSpriteBatch();

// Queues one textured quad: corners bottom-left, top-left, top-right, bottom-right, each with the
// owner's object kind. `owner`'s Filter components tint it (null: no filters); the current
// matrices and lights apply. A null texture samples transparent black.
void DrawTexturedQuad(const TextureVertex corners[4], const Texture* texture, const GameObject* owner);
// Queues one flat-coloured quad (same corner order) with the current matrices.
void DrawColoredQuad(const ColorVertex corners[4]);
// Sends every queued quad. Draws that follow may test against the depth the quads left.
void FlushSprites();
// Sends every queued quad as the frame's last: nothing drawn after it reads the depth buffer
// before the next clear (the graphics frame calls it once the object pass and the scenes are
// done). Draws whose pixels always pass the depth test and whose depth writes no later quad of the
// frame tests against then go without the test.
void FinishSpriteFrame();

const SpriteFrameStats& GetSpriteFrameStats();
void ResetSpriteFrameStats();

// The lights of a light block (as TextureShader::FillLightBlock writes it) that cannot reach any
// pixel of a quad under the world matrix `world` (16 floats, column by column): bit i % 32 of
// out[i / 32] for light i. True when some light of the block reaches the quad.
bool UnreachedLights(const TextureVertex corners[4], const uint8_t world[64], const std::vector<uint8_t>& block,
                     uint32_t out[4]);
