#include "graphics/Model.h"

#include <cmath>
#include <utility>

#include "graphics/Camera.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/SpriteBatch.h"
#include "graphics/Texture.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Transform.h"

namespace {

ModelSettings gModelSettings;

constexpr double kRadiansPerDegree = 0.01745329251;
// A font or tile sheet is 16 columns by 6 rows.
constexpr int kSheetColumns = 16;
constexpr float kCellWidth = 0.0625f;
constexpr float kCellHeight = 0.16666667f;
constexpr uint32_t kQuadIndices[6] = {0, 1, 2, 3, 4, 5};

// Draw order of the six vertices: two clockwise triangles (as seen by the camera looking along +z).
enum Corner { kBottomLeft = 0, kTopLeft = 1, kTopRight = 2, kBottomRight = 3 };
constexpr Corner kVertexCorners[6] = {kBottomLeft, kTopLeft, kTopRight, kTopRight, kBottomRight, kBottomLeft};

}  // namespace

ModelSettings& GetModelSettings() { return gModelSettings; }

ModelMesh::ModelMesh(Model* owner) : model(owner) {}

ModelMesh::~ModelMesh() { ReleaseBuffers(); }

bool ModelMesh::CreateBuffers(platform::VertexLayout vertexLayout) {
  ReleaseBuffers();
  platform::GpuDevice& gpu = Gpu();
  layout = vertexLayout;
  // The first contents are the unit quad; the draw replaces them before anything is drawn.
  float x[4] = {-1.0f, -1.0f, 1.0f, 1.0f};
  float y[4] = {-1.0f, 1.0f, 1.0f, -1.0f};
  if (layout == platform::VertexLayout::Texture) {
    std::array<TextureVertex, 6> quad{};
    for (int i = 0; i < 6; ++i) quad[i] = {{x[kVertexCorners[i]], y[kVertexCorners[i]], 0.0f}, {0.0f, 0.0f}, 0, {0, 0, 0, 0}};
    vertexBuffer = gpu.CreateVertexBuffer(layout, quad.data(), sizeof(quad));
  } else {
    std::array<ColorVertex, 6> quad{};
    for (int i = 0; i < 6; ++i) {
      quad[i] = {{x[kVertexCorners[i]], y[kVertexCorners[i]], 0.0f}, {color[0], color[1], color[2], color[3]}};
    }
    vertexBuffer = gpu.CreateVertexBuffer(layout, quad.data(), sizeof(quad));
  }
  indexBuffer = gpu.CreateIndexBuffer(kQuadIndices, 6);
  if (!vertexBuffer || !indexBuffer) {
    ReleaseBuffers();
    return false;
  }
  buffersCreated = true;
  return true;
}

void ModelMesh::ReleaseBuffers() {
  platform::GpuDevice& gpu = Gpu();
  gpu.DestroyBuffer(indexBuffer);
  gpu.DestroyBuffer(vertexBuffer);
  buffersCreated = false;
}

Model::Model(std::string textureName, bool collisionOutline)
    : Component(ComponentType::Model),
      textureName_(std::move(textureName)),
      mesh_(std::make_unique<ModelMesh>(this)),
      collisionOutline_(collisionOutline) {}

Model::~Model() = default;

void Model::SetTextureName(std::string name) {
  if (collisionOutline_) return;
  textureName_ = std::move(name);
}

void Model::SetColor(float r, float g, float b, float a) {
  if (!mesh_) return;
  mesh_->color[0] = r;
  mesh_->color[1] = g;
  mesh_->color[2] = b;
  mesh_->color[3] = a;
}

bool Model::BuildVertices() {
  const Transform* t = owner != nullptr ? owner->GetTransform() : nullptr;
  if (t == nullptr) return false;
  const float px = t->position[0];
  const float py = t->position[1];
  const float pz = t->position[2];
  float width = t->scale[0];
  float height = t->scale[1];
  if (collisionOutline_) {
    if (const auto* circle = owner->GetComponentAs<CircleCollision>(SlotOf(ComponentType::Collision))) {
      width = height = circle->radius * 2.0f;
    }
  }

  const float centreX = px + offsetX;
  const float centreY = py + offsetY;
  const float hw = width * 0.5f;
  const float hh = height * 0.5f;
  const float left = centreX - hw, right = centreX + hw, bottom = centreY - hh, top = centreY + hh;
  float cornerX[4] = {left, left, right, right};
  float cornerY[4] = {bottom, top, top, bottom};

  // Turn every corner about the owner's position (not about the quad's centre), in double precision.
  const double angle = static_cast<double>(t->rotation) * kRadiansPerDegree;
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  for (int i = 0; i < 4; ++i) {
    double dx = static_cast<double>(cornerX[i]) - px;
    double dy = static_cast<double>(cornerY[i]) - py;
    cornerX[i] = static_cast<float>(dx * c - dy * s + px);
    cornerY[i] = static_cast<float>(dy * c + dx * s + py);
  }

  ModelMesh& mesh = *mesh_;
  if (textureName_.empty()) {
    for (int i = 0; i < 6; ++i) {
      Corner k = kVertexCorners[i];
      mesh.colorVertices[i] = {{cornerX[k], cornerY[k], pz}, {mesh.color[0], mesh.color[1], mesh.color[2], mesh.color[3]}};
    }
    return true;
  }

  float u[4];
  float v[4];
  // Animation corners come bottom-right, top-right, top-left, bottom-left.
  float animU[4];
  float animV[4];
  const auto* frames = dynamic_cast<const SpriteFrameSource*>(owner->GetComponent(SlotOf(ComponentType::Animation)));
  if (frames != nullptr && frames->CurrentFrameUV(animU, animV)) {
    u[kBottomRight] = animU[0], v[kBottomRight] = animV[0];
    u[kTopRight] = animU[1], v[kTopRight] = animV[1];
    u[kTopLeft] = animU[2], v[kTopLeft] = animV[2];
    u[kBottomLeft] = animU[3], v[kBottomLeft] = animV[3];
  } else if (tile == -1) {
    u[kBottomLeft] = 0.0f, v[kBottomLeft] = 1.0f;
    u[kTopLeft] = 0.0f, v[kTopLeft] = 0.0f;
    u[kTopRight] = 1.0f, v[kTopRight] = 0.0f;
    u[kBottomRight] = 1.0f, v[kBottomRight] = 1.0f;
  } else {
    const int column = tile % kSheetColumns;
    const int row = tile / kSheetColumns;
    const float leftU = static_cast<float>(column) * kCellWidth;
    const float topV = static_cast<float>(row) * kCellHeight;
    u[kBottomLeft] = leftU, v[kBottomLeft] = topV + kCellHeight;
    u[kTopLeft] = leftU, v[kTopLeft] = topV;
    u[kTopRight] = leftU + kCellWidth, v[kTopRight] = topV;
    u[kBottomRight] = leftU + kCellWidth, v[kBottomRight] = topV + kCellHeight;
  }
  const auto kind = static_cast<uint32_t>(owner->type);
  for (int i = 0; i < 6; ++i) {
    Corner k = kVertexCorners[i];
    mesh.textureVertices[i] = {{cornerX[k], cornerY[k], pz}, {u[k], v[k]}, kind, {0, 0, 0, 0}};
  }
  return true;
}

void Model::Draw() {
  if (collisionOutline_ && gModelSettings.hideCollisionOutlines) return;
  if (owner == nullptr || !owner->visible) return;
  ModelMesh& mesh = *mesh_;
  const bool textured = !textureName_.empty();
  const platform::VertexLayout layout = textured ? platform::VertexLayout::Texture : platform::VertexLayout::Color;

  if (!initialized) {
    if (!mesh.buffersCreated) mesh.CreateBuffers(layout);
    if (textured && mesh.buffersCreated) mesh.texture = TextureManager::Find(textureName_);
    initialized = true;
  }
  // A texture name set or cleared after the buffers were made changes the vertex format; the
  // buffer is made again in the new format rather than written past its end or misread.
  if (mesh.buffersCreated && mesh.layout != layout) mesh.CreateBuffers(layout);
  if (!mesh.buffersCreated) return;

  // A model without a Transform keeps its last vertices.
  BuildVertices();
  if (textured) {
    if (GetTextureShader() == nullptr) return;
    const TextureVertex corners[4] = {mesh.textureVertices[0], mesh.textureVertices[1], mesh.textureVertices[2],
                                      mesh.textureVertices[4]};
    DrawTexturedQuad(corners, mesh.texture, owner);
  } else if (GetColorShader() != nullptr) {
    const ColorVertex corners[4] = {mesh.colorVertices[0], mesh.colorVertices[1], mesh.colorVertices[2],
                                    mesh.colorVertices[4]};
    DrawColoredQuad(corners);
  }
}
