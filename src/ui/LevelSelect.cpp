#include "ui/LevelSelect.h"

#include "scenes/SceneManager.h"
#include "ui/MenuParts.h"

namespace {

constexpr float kLabelY = 200.0f;
constexpr float kPictureSide = 256.0f;
constexpr float kLabelText = 30.0f;

struct LevelEntry {
  const char* name;
  float x;
  const char* picture;
  int sceneId;
};

constexpr LevelEntry kLevels[] = {
    {"alley", -350.0f, "levelselect_alley.png", scene_id::kLevel1},
    {"villa", 0.0f, "levelselect_villa.png", scene_id::kLevel2},
    {"market", 350.0f, "levelselect_market.png", scene_id::kLevel3},
};

GameObject* MakeLabel(float x, float y, float width, const char* text, float size) {
  GameObject* label = MakeButton(x, y, width, 50.0f, menu_color::kBlack, text, size);
  UseLightFontFor(label);
  return label;
}

GameObject* MakeLevelPicture(const LevelEntry& level) {
  const int id = level.sceneId;
  GameObject* picture = MakePicture(level.x, 0.0f, kPictureSide, kPictureSide, level.picture);
  if (UIHandler* handler = HandlerOf(picture)) handler->onClick = [id](UIHandler*) { RequestSceneById(id); };
  return picture;
}

}  // namespace

void BuildLevelSelect() {
  // As wide as its twelve letters of 40, and a little more.
  MakeLabel(0.0f, 300.0f, 520.0f, "level select", 40.0f);
  GameObject* pictures[3] = {};
  for (size_t i = 0; i < 3; ++i) {
    MakeLabel(kLevels[i].x, kLabelY, 200.0f, kLevels[i].name, kLabelText);
    pictures[i] = MakeLevelPicture(kLevels[i]);
  }
  GameObject* back = MakeButton(0.0f, -300.0f, 150.0f, 50.0f, menu_color::kSalmon, "back", 20.0f,
                                [](UIHandler*) { RequestSceneById(scene_id::kMainMenu); });
  for (GameObject* picture : pictures) RegisterForNavigation(picture);
  RegisterForNavigation(back);
  RegisterAsBack(back);
}
