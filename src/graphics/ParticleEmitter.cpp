#include "graphics/ParticleEmitter.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/FrameClock.h"
#include "core/Logger.h"
#include "core/Random.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/SpriteBatch.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"
#include "objects/LevelRecords.h"

namespace {

constexpr double kQuadDegreesToRadians = 0.01745329251;
constexpr float kDirectionDegreesToRadians = 0.0174533f;
constexpr double kLineDegreesToRadians = 0.0174533;
constexpr float kTwoPi = 2.0f * 3.14159f;
constexpr int kVerticesPerParticle = 6;

float UnitRand() { return static_cast<float>(GameRand()) / static_cast<float>(kRandMax); }

void OwnerPosition(const GameObject* owner, float* x, float* y) {
  const Transform* t = owner != nullptr ? owner->GetTransform() : nullptr;
  *x = t != nullptr ? t->position[0] : 0.0f;
  *y = t != nullptr ? t->position[1] : 0.0f;
}

}  // namespace

// ---- Particle ---------------------------------------------------------------

Particle::Particle(ParticleEmitter* owner) : transform(0.0f, 0.0f, 0.0f, 0.0f, 0.0f), emitter(owner) {}

bool Particle::Update(float dt) {
  if (life <= 0.0f) return false;
  life -= dt;
  if (emitter->slowToZero) {
    // Once per frame whatever dt is: faster frame rates brake harder per second.
    velocity[0] *= emitter->deceleration;
    velocity[1] *= emitter->deceleration;
  } else {
    for (int axis = 0; axis < 2; ++axis) {
      const float next = velocity[axis] + dt * acceleration[axis];
      // Braking (an acceleration against the velocity) ends at rest, and the particle stays there:
      // going on past zero would turn it round and send it back where it came from.
      if (acceleration[axis] * velocity[axis] < 0.0f && next * velocity[axis] <= 0.0f) {
        velocity[axis] = 0.0f;
        acceleration[axis] = 0.0f;
      } else {
        velocity[axis] = next;
      }
    }
  }
  transform.position[0] += dt * velocity[0];
  transform.position[1] += dt * velocity[1];
  BuildVertices();
  return true;
}

void Particle::BuildVertices() {
  const float cx = transform.position[0];
  const float cy = transform.position[1];
  const float z = transform.position[2];
  const float hw = transform.scale[0] * 0.5f;
  const float hh = transform.scale[1] * 0.5f;
  const double angle = static_cast<double>(transform.rotation) * kQuadDegreesToRadians;
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  auto corner = [&](float x, float y, float u, float v) {
    double dx = x - cx;
    double dy = y - cy;
    TextureVertex out{};
    out.position[0] = static_cast<float>(dx * c - dy * s + cx);
    out.position[1] = static_cast<float>(dy * c + dx * s + cy);
    out.position[2] = z;
    out.texcoord[0] = u;
    out.texcoord[1] = v;
    out.kind = 0;
    return out;
  };
  const TextureVertex bottomLeft = corner(cx - hw, cy - hh, 0.0f, 1.0f);
  const TextureVertex topLeft = corner(cx - hw, cy + hh, 0.0f, 0.0f);
  const TextureVertex topRight = corner(cx + hw, cy + hh, 1.0f, 0.0f);
  const TextureVertex bottomRight = corner(cx + hw, cy - hh, 1.0f, 1.0f);
  vertices = {bottomLeft, topLeft, topRight, topRight, bottomRight, bottomLeft};
}

// ---- ParticleEmitter --------------------------------------------------------

ParticleEmitter::ParticleEmitter(EmitterShape emitterShape)
    : Component(ComponentType::ParticleEmitter), shape(emitterShape) {}

ParticleEmitter::~ParticleEmitter() {
  particles.clear();
  platform::GpuDevice& gpu = Gpu();
  gpu.DestroyBuffer(vertexBuffer);
  gpu.DestroyBuffer(indexBuffer);
}

int32_t ParticleEmitter::Capacity() const { return std::clamp(maxParticles, 0, kMaxEmitterCapacity); }

void ParticleEmitter::Start() {
  active = true;
  durationTimer = duration;
}

void ParticleEmitter::Draw() {
  const float dt = FrameTime();
  UpdateParticles(dt);
  if (buffersPending) Upload();
  if (vertexBuffer && indexBuffer && GetTextureShader() != nullptr) {
    // Newest first, as they sit in the queue; the sprite batch joins them into one draw.
    size_t drawn = 0;
    const size_t capacity = static_cast<size_t>(Capacity());
    for (const auto& p : particles) {
      if (drawn++ >= capacity) break;
      const TextureVertex corners[4] = {p->vertices[0], p->vertices[1], p->vertices[2], p->vertices[4]};
      DrawTexturedQuad(corners, texture, owner);
    }
  }
  if (active) RunTimers(dt);
}

void ParticleEmitter::UpdateParticles(float dt) {
  for (auto it = particles.begin(); it != particles.end();) {
    if ((*it)->Update(dt)) {
      ++it;
    } else {
      it = particles.erase(it);
    }
  }
}

void ParticleEmitter::Upload() {
  // The emitter's own buffers, made once: live particles first (newest first), then degenerate
  // quads. Drawing goes through the sprite batch.
  const size_t vertexCount = static_cast<size_t>(Capacity()) * kVerticesPerParticle;
  vertexArray_.assign(vertexCount, TextureVertex{});
  size_t slot = 0;
  for (const auto& p : particles) {
    if (slot + kVerticesPerParticle > vertexCount) break;
    std::copy(p->vertices.begin(), p->vertices.end(), vertexArray_.begin() + static_cast<ptrdiff_t>(slot));
    slot += kVerticesPerParticle;
  }
  const size_t bytes = vertexCount * sizeof(TextureVertex);
  platform::GpuDevice& gpu = Gpu();

  std::vector<uint32_t> indices(vertexCount);
  std::iota(indices.begin(), indices.end(), 0u);
  vertexBuffer = gpu.CreateVertexBuffer(platform::VertexLayout::Texture, vertexArray_.data(), bytes);
  if (!vertexBuffer) {
    LogCategoryMessage("COULD NOT INITIALIZE VERTEX BUFFER FOR PARTICLE EMITTER", LogCategory::Graphics);
  }
  indexBuffer = gpu.CreateIndexBuffer(indices.data(), indices.size());
  if (!indexBuffer) {
    LogCategoryMessage("COULD NOT INITIALIZE INDEX BUFFER FOR PARTICLE EMITTER", LogCategory::Graphics);
  }
  texture = TextureManager::Find(textureName);
  OnFirstDraw();
  buffersPending = false;
}

void ParticleEmitter::RunTimers(float dt) {
  if (durationTimer > 0.0f) {
    durationTimer -= dt;
  } else {
    durationTimer = duration;
    if (!loop) active = false;
  }
  // The burst check still runs in the frame that ended the period.
  if (emissionTimer > 0.0f) {
    emissionTimer -= dt;
  } else {
    // A burst never spawns more than the emitter can keep: the rest would be dropped at once, and a
    // level file's huge "Particles_Per_Emition" would stall the frame.
    const int32_t burst = std::min(particlesPerEmission, Capacity());
    for (int32_t i = 0; i < burst; ++i) Spawn();
    emissionTimer = emissionRate;
  }
}

void ParticleEmitter::Spawn() {
  const size_t capacity = static_cast<size_t>(Capacity());
  if (capacity == 0) return;  // nowhere to keep it

  auto p = std::make_unique<Particle>(this);
  float x = 0.0f;
  float y = 0.0f;
  SpawnPosition(&x, &y);
  p->transform.position[0] = x;
  p->transform.position[1] = y;
  p->transform.position[2] = particleZ;

  // The order of the random draws is part of the emitter's behaviour (a seeded run repeats).
  const float speed = RandomRange(velocityMin, velocityMax);
  const float braking = RandomRange(accelerationMin, accelerationMax);
  p->direction = RandomRange(directionMin, directionMax);
  const float scale = RandomRange(scaleMin, scaleMax);
  p->transform.scale[0] = scale;
  p->transform.scale[1] = scale;
  p->transform.rotation = RandomRange(rotationMin, rotationMax);
  p->life = RandomRange(lifeMin, lifeMax);

  const float radians = p->direction * kDirectionDegreesToRadians;
  p->velocity[0] = std::cos(radians) * speed;
  p->velocity[1] = std::sin(radians) * speed;
  p->acceleration[0] = -braking * p->velocity[0];
  p->acceleration[1] = -braking * p->velocity[1];

  while (particles.size() >= capacity) particles.pop_back();  // the oldest goes
  particles.push_front(std::move(p));
}

// ---- shapes -----------------------------------------------------------------

circleEmitter::circleEmitter(float emitterRadius) : ParticleEmitter(EmitterShape::Circle), radius(emitterRadius) {}

void circleEmitter::SpawnPosition(float* x, float* y) {
  const float theta = UnitRand() * kTwoPi;
  // The square root spreads the points evenly over the disc instead of bunching them at the centre.
  const float distance = std::sqrt(UnitRand()) * radius;
  float px = 0.0f;
  float py = 0.0f;
  OwnerPosition(owner, &px, &py);
  *x = px + std::cos(theta) * distance;
  *y = py + std::sin(theta) * distance;
}

lineEmitter::lineEmitter() : ParticleEmitter(EmitterShape::Line) {}

void lineEmitter::OnFirstDraw() {
  const Transform* t = owner != nullptr ? owner->GetTransform() : nullptr;
  if (t == nullptr) return;
  length = t->scale[1];
  angle = t->rotation;
  // The owner's vertical centre line turned with the owner, fixed from now on.
  const double a = static_cast<double>(angle) * kLineDegreesToRadians;
  const double h = static_cast<double>(length) * 0.5;
  const double px = t->position[0];
  const double py = t->position[1];
  start[0] = static_cast<float>(px + h * std::sin(a));
  start[1] = static_cast<float>(py - h * std::cos(a));
  end[0] = static_cast<float>(px - h * std::sin(a));
  end[1] = static_cast<float>(py + h * std::cos(a));
}

void lineEmitter::SpawnPosition(float* x, float* y) {
  const float t = UnitRand();
  *x = (1.0f - t) * start[0] + t * end[0];
  *y = (1.0f - t) * start[1] + t * end[1];
}

// ---- helpers for behaviours, the factory and the editor ---------------------

std::vector<ParticleEmitter*> FindEmitters(GameObject* object, const std::string& emitterName) {
  std::vector<ParticleEmitter*> found;
  if (object == nullptr) return found;
  for (ParticleEmitter* e : object->FindComponents<ParticleEmitter>()) {
    if (e->name == emitterName) found.push_back(e);
  }
  return found;
}

void StartEmitters(GameObject* object, const std::string& emitterName) {
  for (ParticleEmitter* e : FindEmitters(object, emitterName)) e->Start();
}

void StopEmitters(GameObject* object, const std::string& emitterName) {
  for (ParticleEmitter* e : FindEmitters(object, emitterName)) e->active = false;
}

void ApplyEmitterRecord(const EmitterRecord& r, ParticleEmitter* e) {
  if (e == nullptr) return;
  e->textureName = r.texture;
  e->duration = r.duration;
  e->durationTimer = r.duration;
  e->loop = r.loop;
  e->active = r.active;
  e->emissionRate = r.emissionRate;
  e->emissionTimer = r.duration;
  e->particlesPerEmission = r.particlesPerEmission;
  e->lifeMin = r.lifeMin;
  e->lifeMax = r.lifeMax;
  e->velocityMin = r.velocityMin;
  e->velocityMax = r.velocityMax;
  e->accelerationMin = r.accelerationMin;
  e->accelerationMax = r.accelerationMax;
  e->rotationMin = r.rotationMin;
  e->rotationMax = r.rotationMax;
  e->directionMin = r.directionMin;
  e->directionMax = r.directionMax;
  e->scaleMin = r.scaleMin;
  e->scaleMax = r.scaleMax;
  e->maxParticles = r.maxParticles;
  e->slowToZero = r.slowToZero;
  e->deceleration = r.deceleration;
}

ParticleEmitter* CreateEmitterFromRecord(const EmitterRecord& record, float radius) {
  ParticleEmitter* e = nullptr;
  if (record.shape == static_cast<uint32_t>(EmitterShape::Line)) {
    e = new lineEmitter();
  } else {
    e = new circleEmitter(radius);
  }
  ApplyEmitterRecord(record, e);
  return e;
}

EmitterRecord MakeEmitterRecord(const ParticleEmitter& e) {
  EmitterRecord r;
  r.shape = static_cast<uint32_t>(e.shape);
  r.texture = e.textureName;
  r.duration = e.duration;
  r.loop = e.loop;
  r.active = e.active;
  r.emissionRate = e.emissionRate;
  r.particlesPerEmission = e.particlesPerEmission;
  r.lifeMin = e.lifeMin;
  r.lifeMax = e.lifeMax;
  r.velocityMin = e.velocityMin;
  r.velocityMax = e.velocityMax;
  r.accelerationMin = e.accelerationMin;
  r.accelerationMax = e.accelerationMax;
  r.rotationMin = e.rotationMin;
  r.rotationMax = e.rotationMax;
  r.directionMin = e.directionMin;
  r.directionMax = e.directionMax;
  r.scaleMin = e.scaleMin;
  r.scaleMax = e.scaleMax;
  r.maxParticles = e.maxParticles;
  r.slowToZero = e.slowToZero;
  r.deceleration = e.deceleration;
  return r;
}
