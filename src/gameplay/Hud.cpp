#include "gameplay/Hud.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gameplay/ScreenLabel.h"
#include "objects/GameObject.h"
#include "objects/ObjectHandle.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

constexpr float kTimerX = 0.0f, kTimerY = 320.0f, kTimerWidth = 200.0f, kTimerHeight = 50.0f;
constexpr float kTimerGlyph = 50.0f;
constexpr float kCounterX = -400.0f, kCounterY = -350.0f, kCounterWidth = 600.0f, kCounterHeight = 50.0f;
constexpr float kCounterGlyph = 30.0f;
constexpr uint32_t kCentred = 1;

struct HudState {
  // Handles: the editor may delete either display object, and a new object may take its address.
  ObjectHandle timer;
  ObjectHandle counter;
  int32_t displayedFood = 0;
  std::string timerText;  // what the timer shows, so an unchanged second is not laid out again
};

HudState& State() {
  static HudState state;
  return state;
}

}  // namespace

std::string FormatTime(float seconds) {
  // Whole seconds, cut toward zero; a time too large for the counter shows the largest it can hold.
  int64_t whole = 0;
  if (std::isfinite(seconds) && seconds > 0.0f) whole = static_cast<int64_t>(std::min(seconds, 1.0e12f));
  const int64_t minutes = whole / 60;
  const int64_t rest = whole % 60;
  return std::to_string(minutes) + ":" + (rest < 10 ? "0" : "") + std::to_string(rest);
}

void CreateHud() {
  HudState& hud = State();
  const Level* scene = CurrentScene();
  hud.displayedFood = scene != nullptr ? scene->foodCollected : 0;
  hud.timerText.clear();
  hud.timer = CreateScreenLabel(kTimerX, kTimerY, kTimerWidth, kTimerHeight, "", kTimerGlyph, kCentred);
  UpdateTimerHud(scene != nullptr ? scene->time : 0.0f);
  hud.counter = CreateScreenLabel(kCounterX, kCounterY, kCounterWidth, kCounterHeight, "", kCounterGlyph, kCentred);
}

void UpdateTimerHud(float seconds) {
  HudState& hud = State();
  GameObject* timer = hud.timer.Get();
  if (timer == nullptr) return;
  std::string text = FormatTime(seconds);
  if (text == hud.timerText) return;
  SetScreenLabel(timer, text, kTimerGlyph, kCentred);
  hud.timerText = std::move(text);
}

void UpdateFoodHud(uint32_t goal) {
  HudState& hud = State();
  GameObject* counter = hud.counter.Get();
  if (counter == nullptr) return;
  SetScreenLabel(counter, "fOOD cOLLECTED:" + std::to_string(hud.displayedFood) + "/" + std::to_string(goal),
                 kCounterGlyph, kCentred);
}

void ToggleHud() {
  HudState& hud = State();
  GameObject* timer = hud.timer.Get();
  GameObject* counter = hud.counter.Get();
  if (timer != nullptr) timer->visible = !timer->visible;
  if (counter != nullptr) counter->visible = !counter->visible;
}

void SetHudFoodCount(int32_t count) { State().displayedFood = count; }
int32_t HudFoodCount() { return State().displayedFood; }

void ResetHud() {
  HudState& hud = State();
  hud.timer = ObjectHandle();
  hud.counter = ObjectHandle();
  hud.timerText.clear();
}
