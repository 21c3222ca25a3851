#include "ui/LevelSelect.h"

#include "gameplay/Hud.h"
#include "gameplay/PlayerRecords.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "ui/Watch.h"
#include "widgets/MenuParts.h"

namespace {

constexpr float kLabelY = 200.0f;
constexpr float kPictureSide = 256.0f;
constexpr float kLabelText = 30.0f;
constexpr float kBestY = -152.0f;
constexpr float kBestText = 20.0f;
constexpr float kWatchY = -205.0f;
constexpr float kMessageY = -252.0f;
constexpr float kMessageText = 16.0f;
constexpr float kMessageWidth = 1000.0f;

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

struct LevelSelectState {
  MenuGroup buttons;    // what the keys and the pad reach
  ObjectHandle message;  // the line that says why a replay was refused
};

LevelSelectState& State() {
  static LevelSelectState state;
  return state;
}

GameObject* MakeLabel(float x, float y, float width, const std::string& text, float size, float height = 50.0f) {
  GameObject* label = MakeButton(x, y, width, height, menu_color::kBlack, text, size);
  UseLightFontFor(label);
  return label;
}

GameObject* MakeLevelPicture(const LevelEntry& level) {
  const int id = level.sceneId;
  GameObject* picture = MakePicture(level.x, 0.0f, kPictureSide, kPictureSide, level.picture);
  if (UIHandler* handler = HandlerOf(picture)) handler->onClick = [id](UIHandler*) { RequestSceneById(id); };
  return picture;
}

// "Best: S 1:45", or that the level has not been won yet.
std::string BestLine(int sceneId) {
  const Level* level = FindSceneById(sceneId);
  const PlayerRecords& records = Records();
  auto found = level != nullptr ? records.find(LevelRecordName(*level)) : records.end();
  if (found == records.end()) return SwapCase("No record yet");
  std::string rank = found->second.rank;
  for (char& c : rank) c = static_cast<char>(c - 'a' + 'A');
  return SwapCase("Best: " + rank + "  " + FormatTime(found->second.total));
}

// The line under the levels that says why a replay was refused (made when first needed).
void ShowMessage(const std::string& sentence) {
  if (sentence.empty()) return;
  const std::string text = SwapCase(sentence);
  const float glyph = FittingGlyph(text, kMessageText, kMessageWidth);
  if (GameObject* line = State().message) {
    SetButtonLabel(line, text, glyph, 1);
    return;
  }
  GameObject* line = MakeLabel(0.0f, kMessageY, kMessageWidth, text, glyph, 30.0f);
  State().message = line;
}

// Watching takes the keys and the pad from the level select: its buttons stop reacting, so a
// replay's first frame cannot press one of them.
void Watch(int sceneId) {
  std::string refusal;
  if (!WatchLevel(sceneId, &refusal)) {
    ShowMessage(refusal);
    return;
  }
  for (GameObject* button : State().buttons.Live()) {
    if (UIHandler* handler = HandlerOf(button)) handler->active = false;
  }
}

GameObject* MakeWatchButton(const LevelEntry& level) {
  const int id = level.sceneId;
  return MakeButton(level.x, kWatchY, 150.0f, 40.0f, menu_color::kWhite, SwapCase("Watch"), kBestText,
                    [id](UIHandler*) { Watch(id); });
}

}  // namespace

void BuildLevelSelect() {
  LevelSelectState& s = State();
  s.buttons.Clear();
  // As wide as its twelve letters of 40, and a little more.
  MakeLabel(0.0f, 300.0f, 520.0f, "level select", 40.0f);
  GameObject* pictures[3] = {};
  GameObject* watches[3] = {};
  for (size_t i = 0; i < 3; ++i) {
    MakeLabel(kLevels[i].x, kLabelY, 200.0f, kLevels[i].name, kLabelText);
    pictures[i] = MakeLevelPicture(kLevels[i]);
    const std::string best = BestLine(kLevels[i].sceneId);
    MakeLabel(kLevels[i].x, kBestY, 300.0f, best, FittingGlyph(best, kBestText, 290.0f), 32.0f);
    watches[i] = MakeWatchButton(kLevels[i]);
  }
  GameObject* back = MakeButton(0.0f, -300.0f, 150.0f, 50.0f, menu_color::kSalmon, "back", 20.0f,
                                [](UIHandler*) { RequestSceneById(scene_id::kMainMenu); });
  s.message = ObjectHandle();
  // Each level's picture, then its "watch", then "back".
  for (size_t i = 0; i < 3; ++i) {
    RegisterForNavigation(pictures[i]);
    RegisterForNavigation(watches[i]);
    s.buttons.Add(pictures[i]);
    s.buttons.Add(watches[i]);
  }
  RegisterForNavigation(back);
  RegisterAsBack(back);
  s.buttons.Add(back);
  // A records file that could not be read is said once more here, where the records would show.
  ShowMessage(RecordsProblem());
}
