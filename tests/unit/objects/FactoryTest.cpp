#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "audio/Sound.h"
#include "gameplay/HumanTuning.h"
#include "gameplay/PathNode.h"
#include "graphics/Filter.h"
#include "graphics/Model.h"
#include "graphics/ParticleEmitter.h"
#include "graphics/Text.h"
#include "objects/Animation.h"
#include "objects/Collision.h"
#include "objects/Factory.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/LevelRecords.h"
#include "support/LogCapture.h"

namespace {

using testing_support::LogCapture;

std::string Num(float v) {
  std::ostringstream out;
  out << v;
  return out.str();
}

// One word per component, "-" for an empty slot: enough to see slots and appended order at once.
std::string Describe(Component* c) {
  if (c == nullptr) return "-";
  if (dynamic_cast<Transform*>(c)) return "Transform";
  if (auto* m = dynamic_cast<Model*>(c)) {
    return (m->IsCollisionOutline() ? "Outline " : "Model ") + m->GetTextureName();
  }
  if (dynamic_cast<Kinematics*>(c)) return "Kinematics";
  if (auto* circle = dynamic_cast<CircleCollision*>(c)) return "Circle " + Num(circle->radius);
  if (dynamic_cast<BoxCollision*>(c)) return "Box";
  if (dynamic_cast<Filter*>(c)) return "Filter";
  if (dynamic_cast<Animation*>(c)) return "Animation";
  if (dynamic_cast<Sound*>(c)) return "Sound";
  if (auto* e = dynamic_cast<circleEmitter*>(c)) return "circleEmitter " + e->name;
  if (auto* e = dynamic_cast<lineEmitter*>(c)) return "lineEmitter " + e->name;
  if (dynamic_cast<Text*>(c)) return "Text";
  return "?";
}

std::vector<std::string> DescribeAll(GameObject* o) {
  std::vector<std::string> out;
  for (auto& c : o->components) out.push_back(Describe(c.get()));
  return out;
}

Kinematics* KinOf(GameObject* o) { return o->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics)); }
Model* ModelOf(GameObject* o) { return o->GetComponentAs<Model>(SlotOf(ComponentType::Model)); }
Collision* ShapeOf(GameObject* o) { return o->GetComponentAs<Collision>(SlotOf(ComponentType::Collision)); }

// Hook journal, shared by the hook functions below.
std::vector<std::string> journal;
void Note(const std::string& what, GameObject* o) { journal.push_back(what + " " + o->name); }
void FoodRule(GameObject*, GameObject*) {}
void NoteLabel(GameObject* o, const std::string& text, float size, uint32_t alignment) {
  journal.push_back("label " + o->name + " " + text + " " + Num(size) + " " + std::to_string(alignment));
}

class FactoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearObjects();
    ObjectCounter() = -1;
    GetFactoryHooks() = FactoryHooks{};
    GetFactoryFaults() = FactoryFaults{};
    journal.clear();
  }
  void TearDown() override {
    ClearObjects();
    ObjectCounter() = -1;
    GetFactoryHooks() = FactoryHooks{};
    GetFactoryFaults() = FactoryFaults{};
  }
};

struct ArchetypeCase {
  const char* label;
  std::function<GameObject*()> create;
  const char* name;  // with the counter at 7
  ObjectType type;
  float scaleX, scaleY, depth;
  std::vector<std::string> components;
  const char* created;  // the DEBUG line, or null
  float maxSpeed = 0, deceleration = 0;  // for archetypes with kinematics
};

std::vector<ArchetypeCase> Archetypes() {
  const std::string o = "-";
  return {
      {"Player", [] { return CreatePlayer(1, 2); }, "Player_7", ObjectType::Player, 43, 116, 0,
       {"Transform", o, "Kinematics", o, o, "Model player.png", "Circle 20", "Animation", o, o,
        "circleEmitter footstep", "Outline hitCircle.png", "Sound", "circleEmitter dust", "circleEmitter notice",
        "circleEmitter escape", "circleEmitter death"},
       "Player object created", 50, 0},
      {"Food", [] { return CreateFood(1, 2); }, "Food_7", ObjectType::Food, 20, 20, 0,
       {"Transform", o, "Kinematics", o, o, "Model food.png", "Circle 20", o, o, o, "circleEmitter crumbs",
        "Outline hitCircle.png", "Sound", "circleEmitter collision", "circleEmitter collection"},
       "Food Object Created", 1000, 1000},
      {"Enemy", [] { return CreateEnemy(1, 2); }, "Enemy_7", ObjectType::Enemy, 60, 30, 0,
       {"Transform", o, "Kinematics", o, o, "Model enemy.png", "Circle 30", o, o, o, "circleEmitter footstep",
        "Outline hitCircle.png", "Sound", "circleEmitter madfoot", "circleEmitter notice", "circleEmitter chase",
        "circleEmitter stun"},
       "Enemy object created", 4, 0},
      {"Wall", [] { return CreateWall(1, 2); }, "Wall_7", ObjectType::Wall, 100, 100, 0,
       {"Transform", o, "Kinematics", o, o, o, "Box", o, o, o, o, "Outline wall.png"}, "Wall object created", 20, 0},
      {"Vent", [] { return CreateVent(1, 2); }, "Vent_7", ObjectType::Vent, 50, 50, 0,
       {"Transform", o, o, o, o, "Model vent.png", "Box", o, o, "Filter", o}, "Vent created"},
      {"Cover", [] { return CreateCover(1, 2); }, "Cover_7", ObjectType::Cover, 100, 200, 0,
       {"Transform", o, o, o, o, "Model cover.png", "Box", o, o, "Filter", o}, "Cover created"},
      {"Glass", [] { return CreateGlass(1, 2); }, "Glass_7", ObjectType::Glass, 25, 100, 0,
       {"Transform", o, o, o, o, "Model glass.png", "Box", o, o, o, "lineEmitter shatter", "Sound"},
       "Glass created"},
      {"Collection", [] { return CreateCollection(1, 2); }, "Collection_7", ObjectType::Collection, 200, 150, 0,
       {"Transform", o, o, o, o, "Model collection.png", "Box", o, o, o, o}, "Collection Zone Created"},
      {"Background", [] { return CreateBackground(1, 2); }, "background_7", ObjectType::Background, 1, 2, 1.5f,
       {"Transform", o, o, o, o, "Model download.tga", o, o, o, o, o}, "Background object created"},
      {"Killzone", [] { return CreateKillzone(1, 2, 30, 40); }, "Killzone_7", ObjectType::KillZone, 30, 40, 0,
       {"Transform", o, o, o, o, "Model killzone.png", "Box", o, o, o, o}, "Killzone object created"},
      {"Escapebarrier", [] { return CreateEscapeBarrier(1, 2); }, "Escapebarrier_7", ObjectType::EscapeBarrier, 50,
       100, 0, {"Transform", o, o, o, o, "Model vent.png", "Box", o, o, o, o}, "Escape barrier created"},
      {"Escapezone", [] { return CreateEscapeZone(1, 2); }, "Escapezone_7", ObjectType::EscapeZone, 50, 50, 0,
       {"Transform", o, o, o, o, o, "Box", o, o, o, o, "Outline vent.png"}, "Escape zone object created"},
      {"Node", [] { return CreateNode(1, 2); }, "Node_7", ObjectType::Plain, 20, 20, 0,
       {"Transform", o, "Kinematics", o, o, o, "Circle 25", o, o, o, o, "Outline patrolPoint.png"}, nullptr},
      {"UI", [] { return CreateUI(1, 2, 30, 40); }, "UI_7", ObjectType::UI, 30, 40, -10,
       {"Transform", o, o, o, o, "Model ", "Box", o, o, o, o}, nullptr},
      {"Transition", [] { return CreateTransition(1, 2); }, "Transition_7", ObjectType::Transition, 5000, 3000, -20,
       {"Transform", o, o, o, o, "Model ", o, o, o, o, o}, "Transition object created"},
      {"Light", [] { return CreateLight(1, 2); }, "Light_7", ObjectType::Light, 50, 50, 0,
       {"Transform", o, o, o, o, o, "Circle 30", o, o, o, o, "Outline lightbulb.png"}, nullptr},
  };
}

}  // namespace

// ---- archetypes -------------------------------------------------------------------------------

TEST_F(FactoryTest, EveryArchetypeHasItsScaleDepthAndComponents) {
  for (const ArchetypeCase& c : Archetypes()) {
    SCOPED_TRACE(c.label);
    ClearObjects();
    ObjectCounter() = 7;
    LogCapture log;
    GameObject* o = c.create();
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->name, c.name);
    EXPECT_EQ(o->type, c.type);
    EXPECT_EQ(o->GetTransform()->position[0], 1.0f);
    EXPECT_EQ(o->GetTransform()->position[1], 2.0f);
    EXPECT_EQ(o->GetTransform()->position[2], c.depth);
    EXPECT_EQ(o->GetTransform()->rotation, 0.0f);
    EXPECT_EQ(o->GetTransform()->scale[0], c.scaleX);
    EXPECT_EQ(o->GetTransform()->scale[1], c.scaleY);
    EXPECT_EQ(DescribeAll(o), c.components);
    ASSERT_EQ(Objects().size(), 1u) << "the archetype adds its object to the list";
    EXPECT_EQ(Objects()[0], o);
    const bool countsItself = c.type == ObjectType::UI;
    EXPECT_EQ(ObjectCounter(), countsItself ? 8 : 7);
    if (Model* m = ModelOf(o)) {
      for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(m->GetMesh()->color[i], kDefaultModelColor[i]);
    }
    if (Collision* shape = ShapeOf(o)) {
      EXPECT_FALSE(shape->disabled);
    }
    if (Kinematics* k = KinOf(o)) {
      EXPECT_EQ(k->maxSpeed, c.maxSpeed);
      EXPECT_EQ(k->deceleration, c.deceleration);
      EXPECT_EQ(k->acceleration, 0.0f);
      EXPECT_EQ(k->GetVelocity()[0], 0.0f);
    }
    EXPECT_EQ(log.Take(), c.created != nullptr ? "-DEBUG- " + std::string(c.created) + "\n" : std::string());
  }
}

TEST_F(FactoryTest, ContactHandlersFiltersAndTheWalkClip) {
  GetFactoryHooks().foodRule = FoodRule;
  GameObject* wall = CreateWall(0, 0);
  GameObject* food = CreateFood(0, 0);
  GameObject* vent = CreateVent(0, 0);
  GameObject* cover = CreateCover(0, 0);
  GameObject* player = CreatePlayer(0, 0);
  EXPECT_EQ(ShapeOf(wall)->onCollision, &WallCollisionHandler);
  EXPECT_EQ(ShapeOf(food)->onCollision, &FoodRule);
  EXPECT_EQ(ShapeOf(player)->onCollision, nullptr) << "the player behaviour installs its own";
  EXPECT_EQ(ShapeOf(vent)->onCollision, nullptr);

  auto* ventFilter = vent->GetComponentAs<Filter>(SlotOf(ComponentType::Filter));
  auto* coverFilter = cover->GetComponentAs<Filter>(SlotOf(ComponentType::Filter));
  ASSERT_NE(ventFilter, nullptr);
  ASSERT_NE(coverFilter, nullptr);
  EXPECT_EQ(ventFilter->GetType(), FilterType::Color);
  EXPECT_EQ(ventFilter->GetSaturation(), 0.0f);
  EXPECT_FLOAT_EQ(ventFilter->GetColor().w(), 0.5f);
  EXPECT_FLOAT_EQ(ventFilter->GetColor().x(), 0.0f);
  EXPECT_EQ(coverFilter->GetType(), FilterType::Color);
  EXPECT_FLOAT_EQ(coverFilter->GetColor().w(), 1.0f);

  auto* animation = player->GetComponentAs<Animation>(SlotOf(ComponentType::Animation));
  ASSERT_NE(animation, nullptr);
  ASSERT_EQ(animation->clips.count("walk"), 1u);
  const AnimationClip& walk = animation->clips.at("walk");
  EXPECT_EQ(walk.rows, 1u);
  EXPECT_EQ(walk.columns, 8u);
  EXPECT_EQ(walk.frameCount, 8u);
  EXPECT_FLOAT_EQ(walk.frameDuration, 0.1f);
  EXPECT_TRUE(walk.loop);
  EXPECT_FALSE(walk.playing) << "the behaviour starts it";
  EXPECT_EQ(animation->currentClip, &animation->clips.at("walk")) << "the standing pose shows from the start";
  EXPECT_EQ(walk.frame, 0u);
}

TEST_F(FactoryTest, SoundEventsPerArchetype) {
  using Table = std::map<std::string, std::string>;
  auto soundsOf = [](GameObject* o) {
    Sound* s = o->FindComponent<Sound>();
    return s != nullptr ? s->sounds : Table{};
  };
  EXPECT_EQ(soundsOf(CreatePlayer(0, 0)), (Table{{"windup", "event:/SFX/Player/PlayerWindup"},
                                                {"throw", "event:/SFX/Player/PlayerThrow"},
                                                {"footsteps_p", "event:/SFX/Player/PlayerFootsteps"},
                                                {"footsteps_p_vent", "event:/SFX/Player/PlayerFootstepsVent"},
                                                {"footsteps_p_wood", "event:/SFX/Player/PlayerFootstepsWood"},
                                                {"dropfood", "event:/SFX/Food/FoodDrop"},
                                                {"grabfood", "event:/SFX/Food/FoodGrab"},
                                                {"pause", "event:/SFX/Menu/Pause"},
                                                {"nopause", "event:/SFX/Menu/PauseEnd"}}));
  EXPECT_EQ(soundsOf(CreateFood(0, 0)), (Table{{"collision_f", "event:/SFX/Food/FoodCollision"},
                                              {"collect", "event:/SFX/Food/FoodCollect"}}));
  EXPECT_EQ(soundsOf(CreateEnemy(0, 0)), (Table{{"catch_e", "event:/SFX/Enemey/EnemyCatch"},
                                               {"footstep_e", "event:/SFX/Enemey/EnemyFootsteps"},
                                               {"footstepchase_e", "event:/SFX/Enemey/EnemyFootstepsChase"},
                                               {"fullalert_e", "event:/SFX/Enemey/EnemyFullAlert"},
                                               {"giveup_e", "event:/SFX/Enemey/EnemyGiveUp"},
                                               {"halfalert_e", "event:/SFX/Enemey/EnemyHalfAlert"},
                                               {"enemyhit_e", "event:/SFX/Enemey/EnemyHit"}}));
  EXPECT_EQ(soundsOf(CreateGlass(0, 0)), (Table{{"shatter", "event:/SFX/GlassShatter"}}));
}

TEST_F(FactoryTest, EnemyPutsTheHumanTuningBackToItsDefaults) {
  HumanTuningValues().max_aggro = 9.0f;
  HumanTuningValues().stun_max_time = 0.5f;
  CreateEnemy(0, 0);
  EXPECT_EQ(HumanTuningValues().max_aggro, HumanTuning{}.max_aggro);
  EXPECT_EQ(HumanTuningValues().stun_max_time, HumanTuning{}.stun_max_time);
}

TEST_F(FactoryTest, NodeIsAPathNodeOfPlainType) {
  GameObject* node = CreateNode(5, 6);
  auto* asNode = dynamic_cast<PathNode*>(node);
  ASSERT_NE(asNode, nullptr);
  EXPECT_EQ(asNode->head, asNode);
  EXPECT_EQ(asNode->next, nullptr);
  EXPECT_EQ(asNode->previous, nullptr);
}

TEST_F(FactoryTest, TextArchetypeBuildsGlyphsOnTheTextLayer) {
  ObjectCounter() = 2;
  GameObject* text = CreateText(10, 20, 8, "ab");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->name, "Text_2");
  EXPECT_EQ(ObjectCounter(), 3);
  EXPECT_EQ(text->type, ObjectType::Text);
  EXPECT_EQ(text->GetTransform()->position[2], -11.0f);
  EXPECT_EQ(text->GetTransform()->scale[0], 8.0f);
  auto* component = text->FindComponent<Text>();
  ASSERT_NE(component, nullptr);
  EXPECT_EQ(component->text, "ab");
  EXPECT_EQ(component->glyphSize, 8.0f);
  std::vector<Model*> glyphs = text->FindComponents<Model>();
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_EQ(glyphs[0]->GetTextureName(), kLightFontSheet);
  EXPECT_EQ(glyphs[1]->offsetX, 8.0f);
  EXPECT_EQ(Objects().size(), 1u);
}

// ---- emitters ---------------------------------------------------------------------------------

namespace {

// The emitter table as the designers wrote it, one row per emitter.
struct EmitterRow {
  const char* owner;
  const char* name;
  const char* texture;
  bool line;
  float radius;
  bool active;
  float duration;
  bool loop;
  float rate;
  int perBurst;
  float lifeMin, lifeMax, speedMin, speedMax, dirMin, dirMax, rotMin, rotMax, scaleMin, scaleMax;
  int max;
  bool slow;
  float decel, z;
};

const EmitterRow kEmitterTable[] = {
    {"Player", "footstep", "footstep2.png", false, 20, false, 0, false, 0, 1, 10, 10, 0, 0, 0, 0, 0, 360, 20, 20, 50, false, 0.97f, 0.5f},
    {"Player", "dust", "dust.png", false, 20, false, 0, false, 0, 5, 1, 2, 50, 100, 0, 0, 0, 360, 5, 10, 50, false, 0.97f, 0.5f},
    {"Player", "escape", "star.png", false, 20, false, 0, false, 0, 20, 2, 2, 100, 100, 45, 135, 0, 360, 10, 10, 20, false, 0.97f, -1},
    {"Player", "notice", "exclaim.png", false, 20, false, 0, false, 0, 1, 1, 1, 50, 50, 90, 90, 0, 0, 30, 30, 20, false, 0.97f, -1},
    {"Player", "death", "dust.png", false, 20, false, 0, false, 0, 20, 2, 2, 100, 100, 0, 360, 0, 360, 10, 10, 20, false, 0.97f, -1},
    {"Food", "crumbs", "food.png", false, 20, true, 10, true, 3, 1, 5, 5, 0.01f, 0.02f, 0, 360, 0, 360, 5, 10, 4, true, 0.99f, 0.5f},
    {"Food", "collision", "food.png", false, 20, false, 0, false, 0, 10, 10, 20, 20, 40, 0, 360, 0, 360, 5, 10, 100, true, 0.99f, 0.5f},
    {"Food", "collection", "star.png", false, 20, false, 2, false, 3, 10, 1, 2, 100, 150, 0, 360, 0, 360, 5, 10, 20, false, 0.99f, -0.5f},
    {"Enemy", "footstep", "footstep.png", false, 20, false, 0, false, 0, 1, 10, 10, 0, 0, 0, 0, 0, 360, 20, 20, 50, false, 0.97f, 0.3f},
    {"Enemy", "madfoot", "madfoot.png", false, 20, false, 0, false, 0, 1, 10, 10, 0, 0, 0, 0, 0, 360, 20, 20, 50, false, 0.97f, 0.3f},
    {"Enemy", "notice", "questionMark.png", false, 20, false, 0, false, 0, 1, 1, 1, 50, 50, 90, 90, 0, 0, 30, 30, 20, false, 0.97f, -1},
    {"Enemy", "chase", "exclaim.png", false, 20, false, 0, false, 0, 1, 1, 1, 50, 50, 90, 90, 0, 0, 30, 30, 20, false, 0.97f, -1},
    {"Enemy", "stun", "star.png", false, 20, false, 0, true, 0.5f, 2, 1, 1, 20, 25, 80, 100, 0, 0, 30, 30, 20, false, 0.97f, -1},
    {"Glass", "shatter", "glass2.png", true, 0, false, 0, false, 0, 100, 20, 20, 500, 800, 0, 0, 0, 360, 5, 25, 100, true, 0.97f, 0.3f},
};

}  // namespace

TEST_F(FactoryTest, EmittersMatchTheEmitterTable) {
  std::map<std::string, GameObject*> owners = {{"Player", CreatePlayer(0, 0)}, {"Food", CreateFood(0, 0)},
                                               {"Enemy", CreateEnemy(0, 0)}, {"Glass", CreateGlass(0, 0)}};
  size_t rows = 0;
  for (const EmitterRow& row : kEmitterTable) {
    SCOPED_TRACE(std::string(row.owner) + " " + row.name);
    std::vector<ParticleEmitter*> found = FindEmitters(owners[row.owner], row.name);
    ASSERT_EQ(found.size(), 1u);
    ParticleEmitter* e = found[0];
    ++rows;
    if (row.line) {
      EXPECT_NE(dynamic_cast<lineEmitter*>(e), nullptr);
      EXPECT_EQ(e->shape, EmitterShape::Line);
    } else {
      auto* circle = dynamic_cast<circleEmitter*>(e);
      ASSERT_NE(circle, nullptr);
      EXPECT_EQ(e->shape, EmitterShape::Circle);
      EXPECT_EQ(circle->radius, row.radius);
    }
    EXPECT_EQ(e->textureName, row.texture);
    EXPECT_EQ(e->active, row.active);
    EXPECT_EQ(e->loop, row.loop);
    EXPECT_EQ(e->slowToZero, row.slow);
    EXPECT_EQ(e->durationTimer, row.duration) << "both timers start at the duration";
    EXPECT_EQ(e->emissionTimer, row.duration);
    // The numbers in the table's order, then the two accelerations, which no archetype sets.
    const std::vector<float> numbers = {e->duration, e->emissionRate, static_cast<float>(e->particlesPerEmission),
                                        e->lifeMin, e->lifeMax, e->velocityMin, e->velocityMax, e->directionMin,
                                        e->directionMax, e->rotationMin, e->rotationMax, e->scaleMin, e->scaleMax,
                                        static_cast<float>(e->maxParticles), e->deceleration, e->particleZ,
                                        e->accelerationMin, e->accelerationMax};
    EXPECT_EQ(numbers, (std::vector<float>{row.duration, row.rate, static_cast<float>(row.perBurst), row.lifeMin,
                                           row.lifeMax, row.speedMin, row.speedMax, row.dirMin, row.dirMax, row.rotMin,
                                           row.rotMax, row.scaleMin, row.scaleMax, static_cast<float>(row.max),
                                           row.decel, row.z, 0.0f, 0.0f}));
    EXPECT_TRUE(e->buffersPending);
    EXPECT_TRUE(e->particles.empty());
  }
  EXPECT_EQ(rows, 14u);
  for (auto& [owner, object] : owners) {
    size_t expected = 0;
    for (const EmitterRow& row : kEmitterTable) expected += std::string(row.owner) == owner;
    EXPECT_EQ(object->FindComponents<ParticleEmitter>().size(), expected) << owner << " has no other emitters";
  }
}

// ---- hooks ------------------------------------------------------------------------------------

TEST_F(FactoryTest, HooksAttachAtTheirPlaceInTheComponentOrder) {
  FactoryHooks& hooks = GetFactoryHooks();
  hooks.attachPlayerBehavior = [](GameObject* o) {
    // The behaviour comes after the shape and before the sounds.
    EXPECT_NE(o->FindComponent<CircleCollision>(), nullptr);
    EXPECT_EQ(o->FindComponent<Sound>(), nullptr);
    EXPECT_TRUE(Objects().empty()) << "not in the list before it is complete";
    Note("player", o);
  };
  hooks.attachHumanBehavior = [](GameObject* o) {
    EXPECT_EQ(o->FindComponent<Sound>(), nullptr);
    Note("human", o);
  };
  hooks.attachGlassBehavior = [](GameObject* o) {
    EXPECT_NE(o->FindComponent<BoxCollision>(), nullptr);
    EXPECT_EQ(o->FindComponent<ParticleEmitter>(), nullptr);
    Note("glass", o);
  };
  hooks.attachEscapeBarrierBehavior = [](GameObject* o) { Note("barrier", o); };
  hooks.attachEscapeZoneBehavior = [](GameObject* o) { Note("zone", o); };
  hooks.attachUIHandler = [](GameObject* o) {
    EXPECT_NE(o->FindComponent<BoxCollision>(), nullptr);
    Note("ui", o);
  };
  ObjectCounter() = 1;
  CreatePlayer(0, 0);
  CreateEnemy(0, 0);
  CreateGlass(0, 0);
  CreateEscapeBarrier(0, 0);
  CreateEscapeZone(0, 0);
  CreateUI(0, 0, 1, 1);
  CreateWall(0, 0);
  EXPECT_EQ(journal, (std::vector<std::string>{"player Player_1", "human Enemy_1", "glass Glass_1",
                                               "barrier Escapebarrier_1", "zone Escapezone_1", "ui UI_1"}));
}

// ---- CreateObject -----------------------------------------------------------------------------

TEST_F(FactoryTest, CreateObjectCountsThenBuildsWithTheEditorPicture) {
  struct Row {
    int type;
    const char* name;
    const char* texture;  // the slot-5 model's texture afterwards, null when there is none
  };
  const Row rows[] = {
      {1, "Player_0", "player.png"},       {2, "Food_1", "food.png"},
      {3, "Enemy_2", "enemy.png"},         {4, "Vent_3", "vent.png"},
      {5, "Cover_4", "cover.png"},         {6, "Glass_5", "glass.png"},
      {7, "Wall_6", nullptr},              {8, "Collection_7", "collection.png"},
      {9, "background_8", "background.png"}, {11, "Killzone_9", "killzone.png"},
      {12, "Escapebarrier_10", "vent.png"}, {13, "Escapezone_11", nullptr},
      {15, "Node_12", nullptr},            {17, "Transition_13", "transition.png"},
      {18, "Light_14", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.type);
    GameObject* o = CreateObject(row.type, 3, 4);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->name, row.name);
    Model* m = ModelOf(o);
    if (row.texture == nullptr) EXPECT_EQ(m, nullptr);
    else if (m != nullptr) EXPECT_EQ(m->GetTextureName(), row.texture);
    else ADD_FAILURE() << "no model";
  }
  // A kill zone placed in the editor is 50 x 50.
  GameObject* zone = FindObject("Killzone_9");
  EXPECT_EQ(zone->GetTransform()->scale[0], 50.0f);
  EXPECT_EQ(zone->GetTransform()->scale[1], 50.0f);

  // A UI object numbers itself after the dispatcher's step: both add 1.
  ObjectCounter() = 20;
  GameObject* ui = CreateObject(16, 0, 0);
  EXPECT_EQ(ui->name, "UI_21");
  EXPECT_EQ(ui->GetTransform()->scale[0], 80.0f);
  EXPECT_EQ(ui->GetTransform()->scale[1], 50.0f);
  EXPECT_EQ(ObjectCounter(), 22);
}

TEST_F(FactoryTest, CreateObjectRejectsTypesWithoutArchetype) {
  for (int type : {-1, 0, 14, 19, 1000}) {
    const int before = ObjectCounter();
    EXPECT_EQ(CreateObject(type, 0, 0), nullptr) << type;
    EXPECT_EQ(ObjectCounter(), before + 1) << "the counter moves even for nothing";
  }
  EXPECT_TRUE(Objects().empty());
}

TEST_F(FactoryTest, PlacedTextObjectIsAnInertBlackPanelLabelledText) {
  GetFactoryHooks().setButtonLabel = NoteLabel;
  GetFactoryHooks().makeButtonInert = [](GameObject* o) { Note("inert", o); };
  GameObject* o = CreateObject(10, 5, 6);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->name, "UI_0");
  EXPECT_EQ(o->type, ObjectType::UI);
  EXPECT_EQ(o->GetTransform()->scale[0], 300.0f);
  EXPECT_EQ(o->GetTransform()->scale[1], 50.0f);
  EXPECT_EQ(o->GetTransform()->position[2], -10.0f);
  const float* colour = ModelOf(o)->GetMesh()->color;
  EXPECT_EQ(colour[0], 0.0f);
  EXPECT_EQ(colour[3], 1.0f);
  EXPECT_EQ(journal, (std::vector<std::string>{"label UI_0 text 10 1", "inert UI_0"}));
}

// ---- CreateObjectFromRecord -------------------------------------------------------------------

namespace {
ObjectRecord Record(int type, const std::string& id) {
  ObjectRecord r;
  r.type = type;
  r.id = id;
  r.translationX = 100;
  r.translationY = 200;
  r.scaleX = 60;
  r.scaleY = 80;
  r.rotation = 90;
  r.color[0] = 0.25f;
  r.color[1] = 0.5f;
  r.color[2] = 0.75f;
  r.color[3] = 0.8f;
  return r;
}
}  // namespace

TEST_F(FactoryTest, RecordOfEveryTypeTakesPlacementNameAndNumber) {
  const int types[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15, 16, 17, 18};
  for (int type : types) {
    SCOPED_TRACE(type);
    ObjectRecord r = Record(type, "Thing_" + std::to_string(40 + type));
    r.texture = "custom.png";
    RecordStatus status = RecordStatus::Failed;
    GameObject* o = CreateObjectFromRecord(r, &status);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(status, RecordStatus::Built);
    EXPECT_EQ(o->name, r.id);
    EXPECT_EQ(ObjectCounter(), 40 + type);
    const Transform* t = o->GetTransform();
    EXPECT_EQ(t->position[0], 100.0f);
    EXPECT_EQ(t->position[1], 200.0f);
    EXPECT_EQ(t->rotation, 90.0f);
    EXPECT_EQ(t->scale[0], 60.0f);
    EXPECT_EQ(t->scale[1], 80.0f);
    if (Model* m = ModelOf(o)) {
      EXPECT_EQ(m->GetTextureName(), "custom.png");
    }
    if (auto* box = o->GetComponentAs<BoxCollision>(SlotOf(ComponentType::Collision))) {
      // Edges are rebuilt at once for the record's turn and size: V1 = (cx - hh, cy + hw).
      EXPECT_NEAR(box->edges[0].start.x(), 60.0f, 1e-3f);
      EXPECT_NEAR(box->edges[0].start.y(), 230.0f, 1e-3f);
    }
  }
}

TEST_F(FactoryTest, RecordWithoutTextureTakesItsColour) {
  ObjectRecord r = Record(5, "Cover_3");
  GameObject* o = CreateObjectFromRecord(r);
  Model* m = ModelOf(o);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->GetTextureName(), "cover.png") << "the archetype's texture stays";
  EXPECT_FLOAT_EQ(m->GetMesh()->color[0], 0.25f);
  EXPECT_FLOAT_EQ(m->GetMesh()->color[3], 0.8f);
}

TEST_F(FactoryTest, KillzoneAndUIRecordsAreBuiltAtTheirRecordedSize) {
  ObjectRecord zone = Record(11, "");
  zone.rotation = 0;
  GameObject* z = CreateObjectFromRecord(zone);
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(z->name, "Killzone_0") << "an unnamed record keeps the archetype's name";
  auto* box = z->GetComponentAs<BoxCollision>(SlotOf(ComponentType::Collision));
  ASSERT_NE(box, nullptr);
  EXPECT_NEAR(box->edges[0].start.x(), 130.0f, 1e-3f);
  EXPECT_NEAR(box->edges[0].start.y(), 240.0f, 1e-3f);

  ObjectRecord ui = Record(16, "");
  GameObject* u = CreateObjectFromRecord(ui);
  EXPECT_EQ(u->name, "UI_1");
  EXPECT_EQ(ObjectCounter(), 2);
}

TEST_F(FactoryTest, TextRecordPlacesALabelledPanelAndKeepsNoName) {
  GetFactoryHooks().setButtonLabel = NoteLabel;
  ObjectRecord r = Record(10, "Text_9");
  r.text = "hello";
  r.scaleX = 12;
  RecordStatus status = RecordStatus::Failed;
  GameObject* o = CreateObjectFromRecord(r, &status);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(status, RecordStatus::Built);
  // Three steps of the counter: the record, the placement and the UI archetype's own.
  EXPECT_EQ(o->name, "UI_1");
  EXPECT_EQ(ObjectCounter(), 2);
  EXPECT_EQ(o->GetTransform()->scale[0], 60.0f) << "five characters of 12";
  EXPECT_EQ(o->GetTransform()->scale[1], 50.0f);
  EXPECT_EQ(o->GetTransform()->rotation, 0.0f) << "the record's turn does not apply";
  EXPECT_EQ(journal, (std::vector<std::string>{"label UI_1 text 10 1", "label UI_1 hello 12 1"}));
}

TEST_F(FactoryTest, UnknownRecordTypesBuildNothing) {
  for (int type : {-1, 0, 10 + 4, 19}) {
    RecordStatus status = RecordStatus::Built;
    EXPECT_EQ(CreateObjectFromRecord(Record(type, "Odd_1"), &status), nullptr);
    EXPECT_EQ(status, RecordStatus::UnknownType);
  }
  EXPECT_TRUE(Objects().empty());
}

TEST_F(FactoryTest, CounterFollowsTheLastRecordNotTheLargest) {
  CreateObjectFromRecord(Record(7, "Wall_3"));
  CreateObjectFromRecord(Record(7, "Wall_10"));
  CreateObjectFromRecord(Record(2, "Food_4"));
  EXPECT_EQ(ObjectCounter(), 4);
  GameObject* placed = CreateObject(7, 0, 0);
  EXPECT_EQ(placed->name, "Wall_5");
}

TEST_F(FactoryTest, MalformedNamesAreReportedAndBuildNothing) {
  struct Row {
    const char* id;
    RecordStatus status;
    const char* line;
  };
  const Row rows[] = {
      {"Wall_abc", RecordStatus::MalformedName, "-ERROR- invalid stoi argument\n"},
      {"Wall", RecordStatus::MalformedName, "-ERROR- invalid stoi argument\n"},
      {"Wall_", RecordStatus::MalformedName, "-ERROR- invalid stoi argument\n"},
      {"Wall_99999999999", RecordStatus::MalformedName, "-ERROR- stoi argument out of range\n"},
      {"Wall_-2147483649", RecordStatus::MalformedName, "-ERROR- stoi argument out of range\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    ObjectCounter() = 5;
    LogCapture log;
    RecordStatus status = RecordStatus::Built;
    EXPECT_EQ(CreateObjectFromRecord(Record(7, row.id), &status), nullptr);
    EXPECT_EQ(status, row.status);
    EXPECT_EQ(log.Take(), row.line);
    EXPECT_TRUE(Objects().empty());
    EXPECT_EQ(ObjectCounter(), 6);
  }
}

TEST_F(FactoryTest, NameNumbersAreReadTheWayTheGameAlwaysHas) {
  int32_t n = 0;
  EXPECT_EQ(ParseNameNumber("Wall_12", &n), NameNumber::Ok);
  EXPECT_EQ(n, 12);
  EXPECT_EQ(ParseNameNumber("Wall_12abc", &n), NameNumber::Ok) << "trailing characters are ignored";
  EXPECT_EQ(n, 12);
  EXPECT_EQ(ParseNameNumber("guard0_node1", &n), NameNumber::Invalid) << "only the part after the first _ counts";
  EXPECT_EQ(ParseNameNumber("Wall_-3", &n), NameNumber::Ok);
  EXPECT_EQ(n, -3);
  EXPECT_EQ(ParseNameNumber("Wall_2147483647", &n), NameNumber::Ok);
  EXPECT_EQ(n, 2147483647);
  EXPECT_EQ(ParseNameNumber("Wall_2147483648", &n), NameNumber::OutOfRange);
  EXPECT_EQ(ParseNameNumber("12", &n), NameNumber::Invalid);
}

// ---- failures ---------------------------------------------------------------------------------

TEST_F(FactoryTest, FailedObjectsAndShapesLogTheirLineAndBuildNothing) {
  struct Row {
    std::function<GameObject*()> create;
    const char* objectLine;
    bool hasShape;
    const char* shapeLine;  // null: a failed shape reports the object line
  };
  const Row rows[] = {
      {[] { return CreatePlayer(0, 0); }, "Player object failed to create", true, nullptr},
      {[] { return CreateFood(0, 0); }, "Food object failed to create", true, nullptr},
      {[] { return CreateEnemy(0, 0); }, "failed to create Human enemy", true, nullptr},
      {[] { return CreateWall(0, 0); }, "Wall object failed to create", true,
       "Wall object's collision failed to create"},
      {[] { return CreateVent(0, 0); }, "failed to create vent", true, "vent's collision model failed to create"},
      {[] { return CreateCover(0, 0); }, "failed to create Cover object", true, "Cover's collision failed to create"},
      {[] { return CreateGlass(0, 0); }, "failed to create glass", true, "Glass's collision failed to create"},
      {[] { return CreateCollection(0, 0); }, "failed to create collection zone", true,
       "Collection zone's collision failed to create"},
      {[] { return CreateBackground(0, 0); }, "Background object failed to create", false, nullptr},
      {[] { return CreateKillzone(0, 0, 1, 1); }, "Killzone object failed to create", true, nullptr},
      {[] { return CreateEscapeBarrier(0, 0); }, "failed to create escape barrier", true,
       "Escape barrier's collision failed to create"},
      {[] { return CreateEscapeZone(0, 0); }, "Escape zone object failed to create", true,
       "Escape zone's collision failed to create"},
      {[] { return CreateNode(0, 0); }, "Patrol node object creation failed", true, nullptr},
      {[] { return CreateUI(0, 0, 1, 1); }, "UI object creation failed", true,
       "UI object's collision failed to create"},
      {[] { return CreateTransition(0, 0); }, "Transition object failed to create", false, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.objectLine);
    ClearObjects();
    GetFactoryFaults() = FactoryFaults{};
    GetFactoryFaults().object = true;
    LogCapture log;
    EXPECT_EQ(row.create(), nullptr);
    EXPECT_EQ(log.Take(), "-WARNING- " + std::string(row.objectLine) + "\n");
    EXPECT_TRUE(Objects().empty());

    GetFactoryFaults() = FactoryFaults{};
    GetFactoryFaults().collision = true;
    GameObject* o = row.create();
    const std::string logged = log.Take();
    if (row.hasShape) {
      EXPECT_EQ(o, nullptr);
      EXPECT_EQ(logged, "-WARNING- " + std::string(row.shapeLine ? row.shapeLine : row.objectLine) + "\n");
      EXPECT_TRUE(Objects().empty());
    } else {
      EXPECT_NE(o, nullptr) << "no shape to fail";
    }
  }
  GetFactoryFaults() = FactoryFaults{};
}

TEST_F(FactoryTest, FailedSoundIsLoggedAndTheObjectStillBuilt) {
  struct Row {
    std::function<GameObject*()> create;
    const char* soundLine;
    const char* createdLine;
  };
  const Row rows[] = {
      {[] { return CreatePlayer(0, 0); }, "Player object's Sound failed to create", "Player object created"},
      {[] { return CreateFood(0, 0); }, "food object's Sound component failed to create", "Food Object Created"},
      {[] { return CreateEnemy(0, 0); }, "enemy's sound failed to create", "Enemy object created"},
      {[] { return CreateGlass(0, 0); }, "Glass object's Sound failed to create", "Glass created"},
  };
  GetFactoryFaults().sound = true;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.soundLine);
    ClearObjects();
    LogCapture log;
    GameObject* o = row.create();
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->FindComponent<Sound>(), nullptr);
    EXPECT_NE(o->FindComponent<ParticleEmitter>(), nullptr) << "the parts after the sound are still built";
    EXPECT_EQ(log.Take(), "-WARNING- " + std::string(row.soundLine) + "\n-DEBUG- " + row.createdLine + "\n");
  }
}
