#include "ui/OptionsOverlay.h"

#include <vector>

#include "audio/AudioSystem.h"
#include "gameplay/VisionCones.h"
#include "graphics/Text.h"
#include "objects/ObjectHandle.h"
#include "platform/Platform.h"
#include "ui/ButtonActions.h"
#include "ui/Settings.h"
#include "widgets/MenuParts.h"
#include "widgets/MenuStack.h"
#include "widgets/Navigation.h"

namespace {

// Each toggle is a white button like every other menu's, with a tag beside it that says whether
// the option is on; the tag, not the button's colour, carries the state.
constexpr float kRowWidth = 460.0f;  // button, gap (clear of the highlight round the button) and tag
constexpr float kOptionWidth = 340.0f;
constexpr float kOptionHeight = 60.0f;
constexpr float kOptionText = 22.0f;
constexpr float kTagWidth = 80.0f;
constexpr float kOptionX = -kRowWidth * 0.5f + kOptionWidth * 0.5f;
constexpr float kTagX = kRowWidth * 0.5f - kTagWidth * 0.5f;
constexpr float kTagShade = 0.85f;
constexpr float kBackdropWidth = 560.0f;
constexpr float kBackdropDepth = -6.0f;

enum Toggle { kFullscreen, kWindowed, kMuteMusic, kMuteSfx, kCones, kArrows, kToggleCount };

struct OptionsState {
  // In this order: title, the six toggle buttons, "back", the six tags, backdrop.
  MenuGroup overlay;
  // Handles: the editor may delete any of them, and a new object may take a freed one's address.
  ObjectHandle buttons[kToggleCount];
  ObjectHandle tags[kToggleCount];
  ObjectHandle back;
};

OptionsState& State() {
  static OptionsState state;
  return state;
}

// Whether each toggle is on now: the display mode, the buses and the stealth aids as they stand.
bool IsOn(Toggle toggle) {
  switch (toggle) {
    case kFullscreen: return platform::GetPlatform().IsFullscreen();
    case kWindowed: return !platform::GetPlatform().IsFullscreen();
    case kMuteMusic: return CurrentSettings().muteMusic && MusicBus().GetMute();
    case kMuteSfx: return CurrentSettings().muteSfx && SfxBus().GetMute();
    case kCones: return StealthView().visionCones;
    case kArrows: return StealthView().spotterArrows;
    case kToggleCount: break;
  }
  return false;
}

void ShowState(Toggle toggle, bool on) {
  GameObject* tag = State().tags[toggle];
  if (!IsLive(tag)) return;
  const char* text = on ? "on" : "off";
  const UIHandler* handler = HandlerOf(tag);
  const Text* label = handler != nullptr ? handler->TextComponent() : nullptr;
  // Laying a label out again rebuilds its glyphs; only a change is worth that.
  if (label != nullptr && label->text == text) return;
  SetButtonLabel(tag, text, kOptionText, 1);
  UseLightFontFor(tag);
}

// Every frame (the title's update): the tags follow the options however they changed (F11 changes
// the display mode while the overlay may be open).
void FollowOptions(UIHandler*, float) {
  ShowState(kFullscreen, IsOn(kFullscreen));
  ShowState(kWindowed, IsOn(kWindowed));
  ShowState(kCones, IsOn(kCones));
  ShowState(kArrows, IsOn(kArrows));
}

// Flips the bus's mute; returns the state the bus reports afterwards.
bool ToggleMute(AudioBus& bus) {
  PlayForwardSound();
  bus.SetMute(!bus.GetMute());
  return bus.GetMute();
}

void Back(UIHandler*) {
  PlayBackSound();
  HideOptionsOverlay();
  PopUIButtons();
  PopMenu(MenuId::OptionsOverlay);
}

struct ToggleRow {
  const char* text;
  float y;
  void (*toggle)();
};

constexpr ToggleRow kRows[kToggleCount] = {
    {"fullscreen", 190.0f, ToggleDisplayMode}, {"windowed", 110.0f, ToggleDisplayMode},
    {"mute music", 30.0f, ToggleMusicMute},    {"mute sfx", -50.0f, ToggleSfxMute},
    {"vision cones", -130.0f, ToggleVisionCones}, {"spotter arrows", -210.0f, ToggleSpotterArrows},
};

}  // namespace

void ToggleDisplayMode() {
  PlayForwardSound();
  ApplyFullscreen(!platform::GetPlatform().IsFullscreen());
  ShowState(kFullscreen, IsOn(kFullscreen));
  ShowState(kWindowed, IsOn(kWindowed));
}

void ToggleMusicMute() {
  const bool muted = ToggleMute(MusicBus());
  RememberMusicMute(muted);
  ShowState(kMuteMusic, muted);
}

void ToggleSfxMute() {
  const bool muted = ToggleMute(SfxBus());
  RememberSfxMute(muted);
  ShowState(kMuteSfx, muted);
}

void ToggleVisionCones() {
  PlayForwardSound();
  RememberVisionCones(!StealthView().visionCones);
  ShowState(kCones, IsOn(kCones));
}

void ToggleSpotterArrows() {
  PlayForwardSound();
  RememberSpotterArrows(!StealthView().spotterArrows);
  ShowState(kArrows, IsOn(kArrows));
}

void BuildOptionsOverlay() {
  using namespace menu_color;
  OptionsState& s = State();
  s = OptionsState{};
  GameObject* title = MakeButton(0.0f, 300.0f, 300.0f, 100.0f, Shade(kTagShade), "options", 40.0f);
  UseLightFontFor(title);
  if (UIHandler* handler = HandlerOf(title)) handler->onUpdate = FollowOptions;
  s.overlay.Add(title);
  for (int i = 0; i < kToggleCount; ++i) {
    const ToggleRow& row = kRows[i];
    s.buttons[i] = MakeButton(kOptionX, row.y, kOptionWidth, kOptionHeight, kWhite, row.text, kOptionText,
                              [toggle = row.toggle](UIHandler*) { toggle(); });
    s.overlay.Add(s.buttons[i]);
  }
  s.back = MakeButton(0.0f, -300.0f, 150.0f, 50.0f, kSalmon, "back", 20.0f, Back);
  s.overlay.Add(s.back);
  for (int i = 0; i < kToggleCount; ++i) {
    s.tags[i] = MakePanel(kTagX, kRows[i].y, kTagWidth, kOptionHeight, Shade(kTagShade));
    s.overlay.Add(s.tags[i]);
    // A mute shows as on only when it was remembered and the bus really is muted.
    ShowState(static_cast<Toggle>(i), IsOn(static_cast<Toggle>(i)));
  }
  GameObject* backdrop = MakePanel(0.0f, 0.0f, kBackdropWidth, 1080.0f, Shade(0.6f));
  SetDepth(backdrop, kBackdropDepth);
  s.overlay.Add(backdrop);
  s.overlay.Hide();
}

void ShowOptionsOverlay() {
  OptionsState& s = State();
  PushMenu(MenuId::OptionsOverlay);
  PushUIButtons();
  s.overlay.Show();
  for (GameObject* button : s.buttons) RegisterForNavigation(button);
  RegisterForNavigation(s.back);
  RegisterAsBack(s.back);
  // The tags are labels, not buttons: shown, they still react to nothing.
  for (GameObject* tag : s.tags) {
    if (UIHandler* handler = IsLive(tag) ? HandlerOf(tag) : nullptr) handler->active = false;
  }
}

void HideOptionsOverlay() { State().overlay.Hide(); }

void ForgetOptionsOverlay() { State() = OptionsState{}; }
