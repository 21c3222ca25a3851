#include "ui/OptionsOverlay.h"

#include <vector>

#include "audio/AudioSystem.h"
#include "gameplay/VisionCones.h"
#include "platform/Platform.h"
#include "ui/ButtonActions.h"
#include "ui/MainMenu.h"
#include "ui/MenuParts.h"
#include "ui/Navigation.h"
#include "ui/Settings.h"

namespace {

constexpr float kOptionWidth = 300.0f;
constexpr float kOptionHeight = 70.0f;
constexpr float kOptionText = 30.0f;
constexpr float kBackdropDepth = -6.0f;

struct OptionsState {
  // In this order: title, "fullscreen", "windowed", "mute music", "mute sfx", "vision cones",
  // "spotter arrows", "back", backdrop.
  MenuGroup overlay;
  ObjectHandle fullscreen;
  ObjectHandle windowed;
  ObjectHandle muteMusic;
  ObjectHandle muteSfx;
  ObjectHandle cones;
  ObjectHandle arrows;
};

OptionsState& State() {
  static OptionsState state;
  return state;
}

// The button of the mode in force is rose, the other spring.
void ColorDisplayButtons(bool fullscreen) {
  OptionsState& s = State();
  if (IsLive(s.fullscreen)) SetPanelColor(s.fullscreen, fullscreen ? menu_color::kRose : menu_color::kSpring);
  if (IsLive(s.windowed)) SetPanelColor(s.windowed, fullscreen ? menu_color::kSpring : menu_color::kRose);
}

// A muted bus shows spring, a sounding one rose.
void ColorMuteButton(GameObject* button, bool muted) {
  if (IsLive(button)) SetPanelColor(button, muted ? menu_color::kSpring : menu_color::kRose);
}

// A stealth aid that is shown is rose, a hidden one spring (like a sounding and a muted bus).
void ColorAidButton(GameObject* button, bool shown) {
  if (IsLive(button)) SetPanelColor(button, shown ? menu_color::kRose : menu_color::kSpring);
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
  ShowUnderlyingMenu();
}

}  // namespace

void ToggleDisplayMode() {
  PlayForwardSound();
  platform::Platform& plat = platform::GetPlatform();
  const bool fullscreen = !plat.IsFullscreen();
  plat.SetFullscreen(fullscreen);
  ColorDisplayButtons(fullscreen);
  RememberFullscreen(fullscreen);
}

void ToggleMusicMute() {
  const bool muted = ToggleMute(MusicBus());
  ColorMuteButton(State().muteMusic, muted);
  RememberMusicMute(muted);
}

void ToggleSfxMute() {
  const bool muted = ToggleMute(SfxBus());
  ColorMuteButton(State().muteSfx, muted);
  RememberSfxMute(muted);
}

void ToggleVisionCones() {
  PlayForwardSound();
  const bool shown = !StealthView().visionCones;
  RememberVisionCones(shown);
  ColorAidButton(State().cones, shown);
}

void ToggleSpotterArrows() {
  PlayForwardSound();
  const bool shown = !StealthView().spotterArrows;
  RememberSpotterArrows(shown);
  ColorAidButton(State().arrows, shown);
}

void BuildOptionsOverlay() {
  using namespace menu_color;
  OptionsState& s = State();
  s = OptionsState{};
  GameObject* title = MakeButton(0.0f, 300.0f, 300.0f, 100.0f, "options", 40.0f);
  UseLightFontFor(title);
  s.fullscreen = MakeButton(0.0f, 190.0f, kOptionWidth, kOptionHeight, "fullscreen", kOptionText,
                            [](UIHandler*) { ToggleDisplayMode(); });
  s.windowed = MakeButton(0.0f, 110.0f, kOptionWidth, kOptionHeight, "windowed", kOptionText,
                          [](UIHandler*) { ToggleDisplayMode(); });
  s.muteMusic = MakeButton(0.0f, 30.0f, kOptionWidth, kOptionHeight, kRose, "mute music", kOptionText,
                           [](UIHandler*) { ToggleMusicMute(); });
  s.muteSfx = MakeButton(0.0f, -50.0f, kOptionWidth, kOptionHeight, kRose, "mute sfx", kOptionText,
                         [](UIHandler*) { ToggleSfxMute(); });
  s.cones = MakeButton(0.0f, -130.0f, kOptionWidth, kOptionHeight, kRose, "vision cones", kOptionText,
                       [](UIHandler*) { ToggleVisionCones(); });
  s.arrows = MakeButton(0.0f, -210.0f, kOptionWidth, kOptionHeight, kRose, "spotter arrows", kOptionText,
                        [](UIHandler*) { ToggleSpotterArrows(); });
  GameObject* back = MakeButton(0.0f, -300.0f, 150.0f, 50.0f, kSalmon, "back", 20.0f, Back);
  GameObject* backdrop = MakePanel(0.0f, 0.0f, 480.0f, 1080.0f, Shade(0.6f));
  SetDepth(backdrop, kBackdropDepth);
  for (GameObject* o : {title, s.fullscreen.Get(), s.windowed.Get(), s.muteMusic.Get(), s.muteSfx.Get(), s.cones.Get(),
                        s.arrows.Get(), back, backdrop}) {
    s.overlay.Add(o);
  }

  ColorDisplayButtons(platform::GetPlatform().IsFullscreen());
  // A mute remembered from an earlier run shows from the start.
  if (CurrentSettings().muteMusic) ColorMuteButton(s.muteMusic, MusicBus().GetMute());
  if (CurrentSettings().muteSfx) ColorMuteButton(s.muteSfx, SfxBus().GetMute());
  ColorAidButton(s.cones, StealthView().visionCones);
  ColorAidButton(s.arrows, StealthView().spotterArrows);
  s.overlay.Hide();
}

void ShowOptionsOverlay() {
  OptionsState& s = State();
  PushUIButtons();
  s.overlay.Show();
  // Every object but the title (first) and the backdrop (last) takes part in navigation.
  const std::vector<GameObject*> live = s.overlay.Live();
  for (size_t i = 1; i + 1 < live.size(); ++i) RegisterForNavigation(live[i]);
}

void HideOptionsOverlay() { State().overlay.Hide(); }

void ForgetOptionsOverlay() { State() = OptionsState{}; }
