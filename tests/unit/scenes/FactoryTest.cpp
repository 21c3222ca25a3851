#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "audio/Sound.h"
#include "graphics/Animation.h"
#include "graphics/Filter.h"
#include "graphics/Model.h"
#include "graphics/ParticleEmitter.h"
#include "graphics/Text.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/LevelRecords.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"
#include "scenes/HumanTuning.h"
#include "scenes/PathNode.h"
#include "support/LogCapture.h"

namespace {

using testing_support::LogCapture;

std::string Num(float v) {
  std::ostringstream out;
  out << v;
  return out.str();
}

Model* ModelOf(GameObject* o) { return o->GetComponentAs<Model>(SlotOf(ComponentType::Model)); }
Collision* ShapeOf(GameObject* o) { return o->GetComponentAs<Collision>(SlotOf(ComponentType::Collision)); }
// Position x, y, z, scale x, y and rotation.
std::vector<float> Placement(GameObject* o) {
  const Transform* t = o->GetTransform();
  return {t->position[0], t->position[1], t->position[2], t->scale[0], t->scale[1], t->rotation};
}

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
    Reset();
    journal.clear();
  }
  void TearDown() override { Reset(); }
  static void Reset() {
    ClearObjects();
    ObjectCounter() = -1;
    GetFactoryHooks() = FactoryHooks{};
    GetFactoryFaults() = FactoryFaults{};
  }
};

struct ArchetypeCase {
  std::function<GameObject*()> create;
  const char* name;  // with the counter at 7
  ObjectType type;
};

std::vector<ArchetypeCase> Archetypes() {
  return {
      {[] { return CreatePlayer(1, 2); }, "Player_7", ObjectType::Player},
      {[] { return CreateFood(1, 2); }, "Food_7", ObjectType::Food},
      {[] { return CreateEnemy(1, 2); }, "Enemy_7", ObjectType::Enemy},
      {[] { return CreateWall(1, 2); }, "Wall_7", ObjectType::Wall},
      {[] { return CreateVent(1, 2); }, "Vent_7", ObjectType::Vent},
      {[] { return CreateCover(1, 2); }, "Cover_7", ObjectType::Cover},
      {[] { return CreateGlass(1, 2); }, "Glass_7", ObjectType::Glass},
      {[] { return CreateCollection(1, 2); }, "Collection_7", ObjectType::Collection},
      {[] { return CreateBackground(1, 2); }, "background_7", ObjectType::Background},
      {[] { return CreateKillzone(1, 2, 30, 40); }, "Killzone_7", ObjectType::KillZone},
      {[] { return CreateEscapeBarrier(1, 2); }, "Escapebarrier_7", ObjectType::EscapeBarrier},
      {[] { return CreateEscapeZone(1, 2); }, "Escapezone_7", ObjectType::EscapeZone},
      {[] { return CreateNode(1, 2); }, "Node_7", ObjectType::Plain},
      {[] { return CreateUI(1, 2, 30, 40); }, "UI_7", ObjectType::UI},
      {[] { return CreateTransition(1, 2); }, "Transition_7", ObjectType::Transition},
      {[] { return CreateLight(1, 2); }, "Light_7", ObjectType::Light},
  };
}

}  // namespace

// ---- archetypes -------------------------------------------------------------------------------

// A failed object or shape warns and builds nothing (a light has nothing that can fail; a
// background and the transition have no shape to fail).
TEST_F(FactoryTest, EveryArchetypeIsPlacedNamedAndListedOrWarnsAndBuildsNothingWhenAPartFails) {
  for (const ArchetypeCase& c : Archetypes()) {
    SCOPED_TRACE(c.name);
    ClearObjects();
    ObjectCounter() = 7;
    GameObject* o = c.create();
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->name, c.name);
    EXPECT_EQ(o->type, c.type);
    EXPECT_EQ(o->GetTransform()->position[0], 1.0f);
    EXPECT_EQ(o->GetTransform()->position[1], 2.0f);
    ASSERT_EQ(Objects().size(), 1u) << "the archetype adds its object to the list";
    EXPECT_EQ(Objects()[0], o);
    EXPECT_EQ(ObjectCounter(), c.type == ObjectType::UI ? 8 : 7) << "only UI numbers itself";
    if (Collision* shape = ShapeOf(o)) {
      EXPECT_FALSE(shape->disabled);
    }
    // Layering the draw order rides on: background behind, UI and transition in front.
    const float depth = o->GetTransform()->position[2];
    if (c.type == ObjectType::Background) {
      EXPECT_GT(depth, 0.0f);
    } else if (c.type == ObjectType::UI || c.type == ObjectType::Transition) {
      EXPECT_LT(depth, 0.0f);
    } else {
      EXPECT_EQ(depth, 0.0f);
    }
    if (c.type == ObjectType::Light) continue;

    ClearObjects();
    GetFactoryFaults().object = true;
    LogCapture log;
    EXPECT_EQ(c.create(), nullptr);
    EXPECT_EQ(log.Take().rfind("-WARNING- ", 0), 0u);
    EXPECT_TRUE(Objects().empty());
    GetFactoryFaults() = FactoryFaults{};
    GetFactoryFaults().collision = true;
    GameObject* shapeless = c.create();
    const std::string logged = log.Take();
    if (c.type == ObjectType::Background || c.type == ObjectType::Transition) {
      EXPECT_NE(shapeless, nullptr) << "no shape to fail";
    } else {
      EXPECT_EQ(shapeless, nullptr);
      EXPECT_EQ(logged.rfind("-WARNING- ", 0), 0u);
      EXPECT_TRUE(Objects().empty());
    }
    GetFactoryFaults() = FactoryFaults{};
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
  EXPECT_FLOAT_EQ(coverFilter->GetColor().w(), 1.0f) << "unshaded until something is under it";

  auto* animation = player->GetComponentAs<Animation>(SlotOf(ComponentType::Animation));
  ASSERT_NE(animation, nullptr);
  ASSERT_EQ(animation->clips.count("walk"), 1u);
  const AnimationClip& walk = animation->clips.at("walk");
  EXPECT_FALSE(walk.playing) << "the behaviour starts it";
  EXPECT_EQ(animation->currentClip, &walk) << "the standing pose shows from the start";
}

// What the behaviours take for granted: their sounds and emitters, the enemy's fresh tuning, a node
// that is a path.
TEST_F(FactoryTest, SoundsTuningPathNodesAndEmittersTheBehavioursRelyOn) {
  auto soundsOf = [](GameObject* o) { return o->FindComponent<Sound>()->sounds; };
  EXPECT_EQ(soundsOf(CreatePlayer(0, 0)).count("footsteps_p"), 1u);
  EXPECT_EQ(soundsOf(CreateGlass(0, 0)).count("shatter"), 1u);
  HumanTuningValues().max_aggro = 9.0f;
  HumanTuningValues().stun_max_time = 0.5f;
  EXPECT_EQ(soundsOf(CreateEnemy(0, 0)).at("catch_e"), "event:/SFX/Enemey/EnemyCatch");
  EXPECT_EQ(HumanTuningValues().max_aggro, HumanTuning{}.max_aggro) << "the enemy puts the tuning back";
  EXPECT_EQ(HumanTuningValues().stun_max_time, HumanTuning{}.stun_max_time);

  auto* node = dynamic_cast<PathNode*>(CreateNode(5, 6));
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->head, node);
  EXPECT_EQ(node->next, nullptr);
  EXPECT_EQ(node->previous, nullptr);

  // The emitters they look for by name, each able to burst within its capacity.
  std::map<std::string, GameObject*> owners = {{"footstep", CreatePlayer(0, 0)}, {"crumbs", CreateFood(0, 0)},
                                               {"stun", CreateEnemy(0, 0)}, {"shatter", CreateGlass(0, 0)}};
  for (auto& [name, object] : owners) {
    EXPECT_EQ(FindEmitters(object, name).size(), 1u) << name;
    for (ParticleEmitter* e : object->FindComponents<ParticleEmitter>()) {
      EXPECT_LE(e->particlesPerEmission, e->maxParticles) << e->name;
      EXPECT_TRUE(e->particles.empty());
    }
  }
  EXPECT_NE(dynamic_cast<lineEmitter*>(FindEmitters(owners["shatter"], "shatter")[0]), nullptr);
}

TEST_F(FactoryTest, TextArchetypeBuildsGlyphsOnTheTextLayer) {
  ObjectCounter() = 2;
  GameObject* text = CreateText(10, 20, 8, "ab");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->name, "Text_2");
  EXPECT_EQ(ObjectCounter(), 3);
  EXPECT_EQ(text->type, ObjectType::Text);
  EXPECT_EQ(Placement(text), (std::vector<float>{10, 20, -11, 8, 8, 0}));
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

TEST_F(FactoryTest, CreateObjectCountsThenBuilds) {
  const char* names[] = {"Player_0", "Food_1",     "Enemy_2",          "Vent_3",         "Cover_4",
                         "Glass_5",  "Wall_6",     "Collection_7",     "background_8",   "Killzone_9",
                         "Escapebarrier_10", "Escapezone_11", "Node_12", "Transition_13", "Light_14"};
  const int types[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15, 17, 18};
  for (int i = 0; i < 15; ++i) {
    GameObject* o = CreateObject(types[i], 3, 4);
    ASSERT_NE(o, nullptr) << types[i];
    EXPECT_EQ(o->name, names[i]);
  }
  EXPECT_EQ(ModelOf(FindObject("Vent_3"))->GetTextureName(), "vent.png") << "the editor picture";
  // A kill zone placed in the editor is 50 x 50.
  EXPECT_EQ(Placement(FindObject("Killzone_9")), (std::vector<float>{3, 4, 0, 50, 50, 0}));

  // A UI object numbers itself after the dispatcher's step: both add 1.
  ObjectCounter() = 20;
  GameObject* ui = CreateObject(16, 0, 0);
  EXPECT_EQ(ui->name, "UI_21");
  EXPECT_EQ(Placement(ui)[3], 80.0f);
  EXPECT_EQ(Placement(ui)[4], 50.0f);
  EXPECT_EQ(ObjectCounter(), 22);
}

TEST_F(FactoryTest, PlacedTextObjectIsAnInertBlackPanelLabelledText) {
  GetFactoryHooks().setButtonLabel = NoteLabel;
  GetFactoryHooks().makeButtonInert = [](GameObject* o) { Note("inert", o); };
  GameObject* o = CreateObject(10, 5, 6);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->name, "UI_0");
  EXPECT_EQ(o->type, ObjectType::UI);
  EXPECT_EQ(Placement(o), (std::vector<float>{5, 6, -10, 300, 50, 0}));
  const float* colour = ModelOf(o)->GetMesh()->color;
  EXPECT_EQ((std::vector<float>{colour[0], colour[3]}), (std::vector<float>{0, 1}));
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
    const std::vector<float> placed = Placement(o);
    EXPECT_EQ((std::vector<float>{placed[0], placed[1], placed[3], placed[4], placed[5]}),
              (std::vector<float>{100, 200, 60, 80, 90}));
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

TEST_F(FactoryTest, RecordWithoutTextureTakesItsColourAndUnnamedRecordsKeepTheArchetypesName) {
  Model* m = ModelOf(CreateObjectFromRecord(Record(5, "Cover_3")));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->GetTextureName(), "cover.png") << "the archetype's texture stays";
  EXPECT_FLOAT_EQ(m->GetMesh()->color[0], 0.25f);
  EXPECT_FLOAT_EQ(m->GetMesh()->color[3], 0.8f);

  // Kill zones and buttons are built at their recorded size.
  ObjectCounter() = -1;
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

  // The counter follows the last record, not the largest number.
  CreateObjectFromRecord(Record(7, "Wall_3"));
  CreateObjectFromRecord(Record(7, "Wall_10"));
  CreateObjectFromRecord(Record(2, "Food_4"));
  EXPECT_EQ(ObjectCounter(), 4);
  EXPECT_EQ(CreateObject(7, 0, 0)->name, "Wall_5");
}

// A level whose last record is a button leaves the counter at that button's number; the buttons and
// labels made next (the heads-up display, built when a run starts again after Stop) must not repeat
// a name a listed object holds.
TEST_F(FactoryTest, ButtonsAndLabelsMadeAfterAButtonRecordStepPastNamesInUse) {
  GameObject* recorded = CreateObjectFromRecord(Record(16, "UI_7"));
  ASSERT_NE(recorded, nullptr);
  ASSERT_EQ(recorded->name, "UI_7");
  GameObject* button = CreateUI(0, 0, 10, 10);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->name, "UI_8");
  EXPECT_EQ(ObjectCounter(), 9);
  CreateObjectFromRecord(Record(16, "UI_3"));
  CreateObjectFromRecord(Record(7, "Text_4"));
  GameObject* label = CreateText(0, 0, 10, "x");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->name, "Text_5");
  EXPECT_EQ(CreateUI(0, 0, 10, 10)->name, "UI_6");
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
  // Five characters of 12 wide; the record's turn does not apply.
  EXPECT_EQ(Placement(o), (std::vector<float>{100, 200, -10, 60, 50, 0}));
  EXPECT_EQ(journal, (std::vector<std::string>{"label UI_1 text 10 1", "label UI_1 hello 12 1"}));
}

TEST_F(FactoryTest, TypesWithoutArchetypeBuildNothingByNumberOrRecord) {
  for (int type : {-1, 0, 14, 19, 1000}) {
    const int before = ObjectCounter();
    EXPECT_EQ(CreateObject(type, 0, 0), nullptr) << type;
    EXPECT_EQ(ObjectCounter(), before + 1) << "the counter moves even for nothing";
    RecordStatus status = RecordStatus::Built;
    EXPECT_EQ(CreateObjectFromRecord(Record(type, "Odd_1"), &status), nullptr);
    EXPECT_EQ(status, RecordStatus::UnknownType);
  }
  EXPECT_TRUE(Objects().empty());
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
  // Trailing characters are ignored; only the part after the first _ counts.
  const std::tuple<const char*, NameNumber, int32_t> rows[] = {
      {"Wall_12", NameNumber::Ok, 12},           {"Wall_12abc", NameNumber::Ok, 12},
      {"guard0_node1", NameNumber::Invalid, -1}, {"Wall_-3", NameNumber::Ok, -3},
      {"Wall_2147483647", NameNumber::Ok, 2147483647}, {"Wall_2147483648", NameNumber::OutOfRange, -1},
      {"12", NameNumber::Invalid, -1},
  };
  for (const auto& [name, result, number] : rows) {
    int32_t n = -1;
    EXPECT_EQ(ParseNameNumber(name, &n), result) << name;
    if (result == NameNumber::Ok) {
      EXPECT_EQ(n, number) << name;
    }
  }
}

// ---- failures ---------------------------------------------------------------------------------

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
