#include "gameplay/Hud.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gameplay/ScreenLabel.h"
#include "objects/GameObject.h"
#include "objects/ObjectHandle.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "widgets/UIHandler.h"

namespace {

// Both stand on dark plates: the floor under them runs from dark stone to lit tiles, and letters
// of one colour read on only part of it. The timer's plate takes "10:00" as well as "0:00".
constexpr float kTimerX = 0.0f, kTimerY = 320.0f, kTimerWidth = 270.0f, kTimerHeight = 62.0f;
constexpr float kTimerGlyph = 50.0f;
constexpr float kCounterY = -350.0f, kCounterWidth = 640.0f, kCounterHeight = 50.0f;
constexpr float kCounterGlyph = 30.0f;
// The counter keeps this far from the left edge of the view, whatever the window's shape (on a
// 16:9 screen that puts its centre at about x = -400).
constexpr float kCounterMargin = 36.0f;
constexpr float kPlateOpacity = 0.6f;
constexpr uint32_t kCentred = 1;

struct HudState {
  // Handles: the editor may delete either display object, and a new object may take its address.
  ObjectHandle timer;
  ObjectHandle counter;
  int32_t displayedFood = 0;
  std::string timerText;  // what the timer shows, so an unchanged second is not laid out again
  bool shown = true;           // Ctrl+H
  bool underMenu = false;      // the pause menu is up
};

HudState& State() {
  static HudState state;
  return state;
}

// The counter's place, counted from the left edge of the view.
void PinCounter(GameObject* counter) {
  UIHandler* handler = HandlerOf(counter);
  if (handler == nullptr) return;
  handler->screenPosition[0] = kCounterMargin + kCounterWidth * 0.5f;
  handler->screenPosition[1] = kCounterY;
  handler->anchor[0] = -1.0f;
}

void ShowAsChosen() {
  HudState& hud = State();
  const bool visible = hud.shown && !hud.underMenu;
  if (GameObject* timer = hud.timer.Get()) timer->visible = visible;
  if (GameObject* counter = hud.counter.Get()) counter->visible = visible;
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
  hud.shown = true;
  hud.underMenu = false;
  hud.timer = CreateScreenLabel(kTimerX, kTimerY, kTimerWidth, kTimerHeight, "", kTimerGlyph, kCentred);
  SetScreenPlate(hud.timer, kPlateOpacity);
  UseLightLabelFont(hud.timer);
  UpdateTimerHud(scene != nullptr ? scene->time : 0.0f);
  hud.counter = CreateScreenLabel(0.0f, kCounterY, kCounterWidth, kCounterHeight, "", kCounterGlyph, kCentred);
  SetScreenPlate(hud.counter, kPlateOpacity);
  UseLightLabelFont(hud.counter);
  PinCounter(hud.counter);
  // The goal shows from the start, so the player knows how much food the level wants.
  UpdateFoodHud(scene != nullptr ? scene->foodGoal : 0);
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
  hud.shown = !hud.shown;
  ShowAsChosen();
}

void HideHudUnderMenu(bool hidden) {
  State().underMenu = hidden;
  ShowAsChosen();
}

void SetHudFoodCount(int32_t count) { State().displayedFood = count; }
int32_t HudFoodCount() { return State().displayedFood; }

void ResetHud() {
  HudState& hud = State();
  hud.timer = ObjectHandle();
  hud.counter = ObjectHandle();
  hud.timerText.clear();
}
