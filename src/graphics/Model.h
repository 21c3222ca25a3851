// Model (component kind 5): makes its owner visible as one quad placed, sized and turned by the
// owner's Transform (slot 0), textured through the texture program or flat-coloured through the
// colour program. Reads the owner's Transform (slot 0), Animation (slot 7, for the corner texture
// coordinates) and, for a collision outline, the owner's CircleCollision (its radius sizes the
// quad). Its draw rebuilds the six vertices on the processor every frame and queues the quad in the
// sprite batch, which sends runs of quads that share a texture as one draw. The buffers and the
// texture are looked up on the first draw of a visible owner. A collision-outline model is always appended after the fixed slots and draws only while
// hideCollisionOutlines is off.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/ColorShader.h"
#include "graphics/TextureShader.h"
#include "objects/Component.h"
#include "platform/GpuDevice.h"

class Model;
class Texture;

// Whatever sits in an object's animation slot and can say which part of the sheet to show. The
// Animation component implements it: CurrentFrameUV writes the current clip's four corner u and v
// (corner order bottom-right, top-right, top-left, bottom-left) and returns false without a clip.
class SpriteFrameSource {
 public:
  virtual ~SpriteFrameSource() = default;
  virtual bool CurrentFrameUV(float u[4], float v[4]) const = 0;
};

struct ModelSettings {
  // Collision outlines are hidden at start; the scene update flips this on Ctrl+L+B.
  bool hideCollisionOutlines = true;
};
ModelSettings& GetModelSettings();

// The default colour of an untextured model: a half-transparent magenta.
inline constexpr float kDefaultModelColor[4] = {1.0f, 0.0117647f, 0.8352941f, 0.5f};

// The GPU side of a model: its two buffers, its texture (not owned) and its colour.
class ModelMesh {
 public:
  explicit ModelMesh(Model* owner);
  ~ModelMesh();
  ModelMesh(const ModelMesh&) = delete;
  ModelMesh& operator=(const ModelMesh&) = delete;

  // Creates the vertex buffer (6 vertices in `layout`, first holding the unit quad) and the index
  // buffer 0..5. On failure both stay empty and buffersCreated stays false.
  bool CreateBuffers(platform::VertexLayout layout);
  void ReleaseBuffers();

  bool buffersCreated = false;
  platform::VertexLayout layout = platform::VertexLayout::Color;
  platform::GpuBuffer vertexBuffer;
  platform::GpuBuffer indexBuffer;
  int32_t vertexCount = 6;
  int32_t indexCount = 6;
  Texture* texture = nullptr;  // owned by the texture store; may be null
  float color[4] = {kDefaultModelColor[0], kDefaultModelColor[1], kDefaultModelColor[2], kDefaultModelColor[3]};
  Model* model;
  // The last vertices built, in draw order: bottom-left, top-left, top-right, top-right,
  // bottom-right, bottom-left. Only the array of the model's current format is meaningful.
  std::array<TextureVertex, 6> textureVertices{};
  std::array<ColorVertex, 6> colorVertices{};
};

class Model final : public Component {
 public:
  explicit Model(std::string textureName, bool collisionOutline = false);
  ~Model() override;

  void Update(float) override {}
  // Draws the quad (see the header comment); nothing for a hidden owner or a hidden outline.
  void Draw() override;
  bool IsCollisionOutline() const override { return collisionOutline_; }

  const std::string& GetTextureName() const { return textureName_; }
  // Ignored for a collision outline. Does not reset `initialized` or the mesh's texture: a caller
  // that changes the picture of a model already drawn sets mesh->texture itself.
  void SetTextureName(std::string name);
  void SetColor(float r, float g, float b, float a);

  // Rebuilds the six vertices into the mesh from the owner's Transform (textured vertices when the
  // texture name is not empty). False, with the old vertices kept, when there is no Transform.
  bool BuildVertices();

  ModelMesh* GetMesh() { return mesh_.get(); }
  const ModelMesh* GetMesh() const { return mesh_.get(); }

  bool initialized = false;
  float offsetX = 0.0f;
  float offsetY = 0.0f;
  int32_t tile = -1;  // -1: the whole texture; else a cell of a 16 x 6 sheet, row by row

 private:
  std::string textureName_;
  std::unique_ptr<ModelMesh> mesh_;
  bool collisionOutline_;
};
