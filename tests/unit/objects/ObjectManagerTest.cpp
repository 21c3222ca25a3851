#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/EditorLink.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace {

// A component that records the calls it gets into a shared journal.
class Probe final : public Component {
 public:
  Probe(ComponentType type, std::string tag, std::vector<std::string>* journal)
      : Component(type), tag_(std::move(tag)), journal_(journal) {}
  void Draw() override { journal_->push_back(tag_ + ".draw"); }
  void Update(float) override {
    journal_->push_back(tag_ + ".update");
    if (onUpdate) onUpdate();
  }
  bool IsCollisionOutline() const override { return outline; }
  std::function<void()> onUpdate;
  bool outline = false;

 private:
  std::string tag_;
  std::vector<std::string>* journal_;
};

GameObject* Make(const std::string& name, ObjectType type = ObjectType::Plain) {
  auto* o = new GameObject(name, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, type);
  AddObject(o);
  return o;
}

class ObjectManagerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ClearObjects();
    GetObjectPassHooks() = ObjectPassHooks{};
    GetEditorLink() = EditorLink{};
  }
  std::vector<std::string> journal;
};

}  // namespace

TEST_F(ObjectManagerTest, ComponentsLandInTheirSlotsOrAreAppended) {
  GameObject o("Thing_1", 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, ObjectType::Player);
  ASSERT_EQ(o.components.size(), kComponentSlots);
  ASSERT_NE(o.GetTransform(), nullptr) << "every object has a Transform in slot 0";
  EXPECT_EQ(o.GetTransform()->position[2], 3.0f);
  EXPECT_EQ(o.GetTransform()->scale[1], 5.0f);

  auto* behaviour = new Probe(ComponentType::Behavior, "b1", &journal);
  auto* second = new Probe(ComponentType::Behavior, "b2", &journal);
  auto* sound = new Probe(ComponentType::Sound, "s", &journal);
  auto* outline = new Probe(ComponentType::Model, "outline", &journal);
  outline->outline = true;
  o.AddComponent(behaviour);
  o.AddComponent(second);
  o.AddComponent(sound);
  o.AddComponent(outline);
  EXPECT_EQ(o.GetComponent(1), behaviour);
  EXPECT_EQ(o.GetComponent(11), second) << "a second behaviour is appended";
  EXPECT_EQ(o.GetComponent(12), sound) << "a sound always lands after the fixed slots";
  EXPECT_EQ(o.GetComponent(13), outline) << "an outline model is appended even with slot 5 empty";
  EXPECT_EQ(o.GetComponent(5), nullptr);
  EXPECT_EQ(o.GetComponent(99), nullptr);
  EXPECT_EQ(behaviour->owner, &o);
  o.RemoveComponent(1);
  EXPECT_EQ(o.GetComponent(1), nullptr);
  o.RemoveComponent(99);  // out of range: nothing
  EXPECT_EQ(o.FindComponent<Transform>(), o.GetTransform());
}

TEST_F(ObjectManagerTest, FindObjectExactOrByPrefixInListOrder) {
  Make("Wall_1");
  GameObject* food3 = Make("Food_3");
  Make("Food_4");
  GameObject* exact = Make("Food");
  EXPECT_EQ(FindObject("Food", true), food3) << "prefix and exact are tried per object in list order";
  EXPECT_EQ(FindObject("Food", false), exact);
  EXPECT_EQ(FindObject("Player", true), nullptr);
  EXPECT_EQ(FindObject("Wall_1"), Objects()[0]);
}

TEST_F(ObjectManagerTest, DrawThenUpdateInListAndSlotOrderAndNewObjectsRunThisFrame) {
  GameObject* a = Make("A_1");
  a->AddComponent(new Probe(ComponentType::Model, "a.model", &journal));
  auto* aBehaviour = new Probe(ComponentType::Behavior, "a.behaviour", &journal);
  a->AddComponent(aBehaviour);
  aBehaviour->onUpdate = [&] {
    if (Objects().size() == 1) {
      GameObject* b = Make("B_1");
      b->AddComponent(new Probe(ComponentType::Model, "b.model", &journal));
    }
  };
  UpdateObjects(0.025f);
  std::vector<std::string> expected = {"a.behaviour.draw", "a.behaviour.update", "a.model.draw", "a.model.update",
                                       "b.model.draw", "b.model.update"};
  EXPECT_EQ(journal, expected);
}

// Marks made during the pass, before or after the marking object, are taken at its end too; a
// button takes its label with it; of two namesakes only the marked one goes.
TEST_F(ObjectManagerTest, RemovalPassTakesMarksOfThisFrameLabelsWithButtonsAndNamesakesByIdentity) {
  GameObject* a = Make("A_1");
  GameObject* b = Make("B_1");
  GameObject* c = Make("C_1");
  GameObject* d = Make("D_1");
  Make("E_1");
  b->destroy = true;
  auto* probe = new Probe(ComponentType::Behavior, "c", &journal);
  probe->onUpdate = [&] { a->destroy = c->destroy = d->destroy = true; };
  c->AddComponent(probe);
  UpdateObjects(0.0f);
  ASSERT_EQ(Objects().size(), 1u);
  EXPECT_EQ(Objects()[0]->name, "E_1");
  // Unmarked objects and null are left alone.
  EXPECT_FALSE(DestroyIfMarked(nullptr));
  EXPECT_FALSE(DestroyIfMarked(Objects()[0]));
  EXPECT_EQ(Objects().size(), 1u);

  ClearObjects();
  GameObject* button = Make("UI_1", ObjectType::UI);
  GameObject* label = Make("Text_2", ObjectType::Text);
  Make("Other_3");
  static GameObject* sLabel = nullptr;
  sLabel = label;
  GetObjectPassHooks().linkedLabel = [](GameObject* o) { return o->name == "UI_1" ? sLabel : nullptr; };
  button->destroy = true;
  UpdateObjects(0.0f);
  ASSERT_EQ(Objects().size(), 1u);
  EXPECT_EQ(Objects()[0]->name, "Other_3");

  // A level file may give two records one name; the removal pass must take out the marked one.
  GetObjectPassHooks() = ObjectPassHooks{};
  for (int marked = 0; marked < 2; ++marked) {
    ClearObjects();
    GameObject* twins[2] = {Make("Food_1"), Make("Food_1")};
    twins[marked]->destroy = true;
    UpdateObjects(0.0f);
    ASSERT_EQ(Objects().size(), 1u) << marked;
    EXPECT_EQ(Objects()[0], twins[1 - marked]) << marked;
  }
}

TEST_F(ObjectManagerTest, RemoveObjectFallsBackToTheTransitionOverlayWhichRunsAfterTheList) {
  SetTransitionOverlay(new GameObject("Transition_0", 0, 0, -20, 5000, 3000, ObjectType::Transition));
  Make("A_1");
  RemoveObject("Transition_0");
  EXPECT_EQ(TransitionOverlay(), nullptr);
  EXPECT_EQ(Objects().size(), 1u);
  GameObject* a = Objects()[0];
  RemoveObject("A_1");  // taken out of the list, not deleted
  EXPECT_TRUE(Objects().empty());
  delete a;

  // By identity, the overlay slot is emptied without deleting the overlay.
  auto* overlay = new GameObject("Transition_0", 0, 0, -20, 5000, 3000, ObjectType::Transition);
  SetTransitionOverlay(overlay);
  RemoveObject(overlay);
  EXPECT_EQ(TransitionOverlay(), nullptr);

  // Set again, it is updated after the list and survives clearing the list.
  Make("A_1")->AddComponent(new Probe(ComponentType::Model, "list", &journal));
  overlay->AddComponent(new Probe(ComponentType::Model, "overlay", &journal));
  SetTransitionOverlay(overlay);
  UpdateObjects(0.0f);
  std::vector<std::string> expected = {"list.draw", "list.update", "overlay.draw", "overlay.update"};
  EXPECT_EQ(journal, expected);
  ClearObjects();
  EXPECT_EQ(TransitionOverlay(), overlay);
  SetTransitionOverlay(nullptr);
}

namespace {
int gContacts = 0;
void CountContact(GameObject*, GameObject*) { ++gContacts; }
}  // namespace

TEST_F(ObjectManagerTest, TheEditorHaltSkipsPairTestsButDrawingGoesOn) {
  GameObject* a = Make("Player_1", ObjectType::Player);
  auto* shape = new CircleCollision(10.0f);
  shape->onCollision = &CountContact;
  a->AddComponent(shape);
  a->AddComponent(new Probe(ComponentType::Model, "a.model", &journal));
  GameObject* b = Make("Enemy_2", ObjectType::Enemy);
  b->AddComponent(new CircleCollision(10.0f));
  gContacts = 0;
  UpdateObjects(0.0f);
  EXPECT_EQ(gContacts, 1) << "two overlapping circles touch";

  GetEditorLink().enabled = true;
  GetEditorLink().stopped = true;
  UpdateObjects(0.0f);
  EXPECT_EQ(gContacts, 1) << "no pair is tested during the editor halt";
  EXPECT_EQ(journal.size(), 4u) << "drawing and updates go on";
}

TEST_F(ObjectManagerTest, ObjectTypeWords) {
  EXPECT_EQ(TypeName(1), "Player");
  EXPECT_EQ(TypeName(11), "Kill_zone");
  EXPECT_EQ(TypeName(12), "Escapebarrier");
  EXPECT_EQ(TypeName(18), "Light");
  EXPECT_EQ(TypeName(17), "invalid") << "the transition has no name";
  EXPECT_EQ(TypeName(0), "invalid");
  EXPECT_EQ(TypeName(14), "invalid");
  EXPECT_EQ(TypeFromName("Node"), 15);
  EXPECT_EQ(TypeFromName("Human"), 0);
  EXPECT_EQ(TypeFromName("player"), 0) << "words are case-sensitive";
}

// The floor marks (vision cones) go over every background and under everything else, even when
// the scene made an object of its own ahead of the level's backgrounds: marks drawn before the
// floor blend over the empty screen and then hide the floor by depth.
TEST_F(ObjectManagerTest, FloorMarksFollowTheLastBackground) {
  static std::vector<std::string>* sJournal = nullptr;
  sJournal = &journal;
  GetObjectPassHooks().drawFloorMarks = [] { sJournal->push_back("marks"); };
  const std::pair<const char*, ObjectType> objects[] = {{"UI_-1", ObjectType::UI},
                                                        {"background_0", ObjectType::Background},
                                                        {"background_1", ObjectType::Background},
                                                        {"Enemy_1", ObjectType::Enemy}};
  for (const auto& [name, type] : objects) Make(name, type)->AddComponent(new Probe(ComponentType::Model, name, &journal));
  UpdateObjects(0.0f);
  std::vector<std::string> expected = {"UI_-1.draw",        "UI_-1.update", "background_0.draw", "background_0.update",
                                       "background_1.draw", "background_1.update", "marks",      "Enemy_1.draw",
                                       "Enemy_1.update"};
  EXPECT_EQ(journal, expected);

  // Without backgrounds the marks come first; after the last object when everything is background.
  for (bool backgroundsOnly : {false, true}) {
    ClearObjects();
    journal.clear();
    Make("A_1", backgroundsOnly ? ObjectType::Background : ObjectType::Plain)
        ->AddComponent(new Probe(ComponentType::Model, "a", &journal));
    UpdateObjects(0.0f);
    std::vector<std::string> alone = backgroundsOnly ? std::vector<std::string>{"a.draw", "a.update", "marks"}
                                                     : std::vector<std::string>{"marks", "a.draw", "a.update"};
    EXPECT_EQ(journal, alone);
  }
}
