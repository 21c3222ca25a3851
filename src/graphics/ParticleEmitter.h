// Particle emitters (component kind 10): footsteps, dust, exclamation and question marks, stars,
// crumbs and glass shards. An emitter owns its particles, moves them on the processor and queues
// their quads in the sprite batch (one draw for the emitter, or fewer when neighbours share its
// texture) through the texture program, so its owner's filters and the scene's lights apply.
// `circleEmitter` spawns on a disc around the owner's position; `lineEmitter` along the owner's
// vertical centre line, taken once at the first draw (it does not follow the owner afterwards).
// Reads the owner's Transform (slot 0). Behaviours switch emitters on with StartEmitters.
// Invariants: the queue never holds more than maxParticles particles; front = newest.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "graphics/TextureShader.h"
#include "objects/Component.h"
#include "objects/Transform.h"
#include "platform/GpuDevice.h"

class GameObject;
class Texture;
class ParticleEmitter;
struct EmitterRecord;

enum class EmitterShape : uint32_t { Circle = 0, Line = 1 };

// One particle, owned by its emitter.
struct Particle {
  explicit Particle(ParticleEmitter* owner);

  // Ages and moves the particle by dt seconds and rebuilds its quad. Returns false (dead) when its
  // life had already run out before this update; the emitter then destroys it.
  bool Update(float dt);
  // Rebuilds the six vertices: a square of side scale centred on the position, turned about its
  // centre by the rotation, object kind 0.
  void BuildVertices();

  Transform transform;  // kind 0, no owner: position, rotation (degrees), scale x = scale y
  std::array<TextureVertex, 6> vertices{};
  ParticleEmitter* emitter;
  float life = 0.0f;  // seconds left
  float velocity[2] = {0.0f, 0.0f};
  float acceleration[2] = {0.0f, 0.0f};
  float direction = 0.0f;  // degrees
};

class ParticleEmitter : public Component {
 public:
  ~ParticleEmitter() override;

  void Update(float) override {}
  // The whole frame's work: update the particles and draw them (buffers and texture made on the
  // first draw), then run the period and burst timers. Uses FrameTime() as dt (0 while paused:
  // particles freeze but are still drawn). Ignores the owner's visible flag.
  void Draw() override;

  // Spawns one particle with the emitter's ranges (drops the oldest when the queue is full).
  void Spawn();
  // Makes the emitter active and restarts its emitting period.
  void Start();

  EmitterShape shape;
  std::deque<std::unique_ptr<Particle>> particles;  // front = newest
  std::string textureName;
  std::string name;  // lets behaviours pick an emitter ("footstep", "shatter" ...)
  bool active = false;
  bool buffersPending = true;
  float duration = 0.0f;  // seconds of one emitting period
  float durationTimer = 0.0f;
  bool loop = false;
  float emissionRate = 0.0f;  // seconds between two bursts
  float emissionTimer = 0.0f;
  int32_t particlesPerEmission = 0;
  float lifeMin = 0.0f, lifeMax = 0.0f;
  float velocityMin = 0.0f, velocityMax = 0.0f;
  float accelerationMin = 0.0f, accelerationMax = 0.0f;  // braking factor
  float rotationMin = 0.0f, rotationMax = 0.0f;          // degrees
  float directionMin = 0.0f, directionMax = 0.0f;        // degrees
  float scaleMin = 0.0f, scaleMax = 0.0f;
  int32_t maxParticles = 0;
  bool slowToZero = false;  // brake by `deceleration` per frame instead of by acceleration
  float deceleration = 0.0f;
  float particleZ = 0.0f;
  platform::GpuBuffer vertexBuffer;
  platform::GpuBuffer indexBuffer;
  Texture* texture = nullptr;  // owned by the texture store; null when missing

  // The capacity actually used for buffers and the queue: maxParticles, never below 0 and never
  // above kMaxEmitterCapacity (a level file can hold any number).
  int32_t Capacity() const;

 protected:
  explicit ParticleEmitter(EmitterShape emitterShape);
  // Where the next particle starts (draws its random values first, in order).
  virtual void SpawnPosition(float* x, float* y) = 0;
  // Called once, on the first draw, after the texture lookup.
  virtual void OnFirstDraw() {}

 private:
  void UpdateParticles(float dt);
  void Upload();
  void RunTimers(float dt);

  std::vector<TextureVertex> vertexArray_;
};

// A huge capacity from a level file would allocate gigabytes; beyond this the emitter clamps.
inline constexpr int32_t kMaxEmitterCapacity = 100000;

class circleEmitter final : public ParticleEmitter {
 public:
  explicit circleEmitter(float emitterRadius);
  float radius;

 protected:
  void SpawnPosition(float* x, float* y) override;
};

class lineEmitter final : public ParticleEmitter {
 public:
  lineEmitter();
  float length = 0.0f;  // owner's scale y at the first draw
  float angle = 0.0f;   // owner's rotation (degrees) at the first draw
  float start[2] = {0.0f, 0.0f};
  float end[2] = {0.0f, 0.0f};

 protected:
  void SpawnPosition(float* x, float* y) override;
  void OnFirstDraw() override;
};

// Every particle emitter of `object` named `name`, in component order (none for a null object).
std::vector<ParticleEmitter*> FindEmitters(GameObject* object, const std::string& name);
// Starts (active, period restarted) every emitter of `object` named `name`.
void StartEmitters(GameObject* object, const std::string& name);
// Switches off every emitter of `object` named `name`; its particles live on.
void StopEmitters(GameObject* object, const std::string& name);

// Copies every setting of a level record into an emitter (shape aside: the class decides it); both
// timers start at the duration. The record's own fields only; name and particle depth stay.
void ApplyEmitterRecord(const EmitterRecord& record, ParticleEmitter* emitter);
// A new emitter of the record's shape (circle of `radius`, or line) with the record's settings.
ParticleEmitter* CreateEmitterFromRecord(const EmitterRecord& record, float radius);
// The record that saves an emitter's settings.
EmitterRecord MakeEmitterRecord(const ParticleEmitter& emitter);
