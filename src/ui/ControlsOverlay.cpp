#include "ui/ControlsOverlay.h"

#include "ui/ButtonActions.h"
#include "ui/MainMenu.h"
#include "ui/MenuParts.h"
#include "ui/Navigation.h"

namespace {

constexpr float kBackdropDepth = -8.0f;

struct ControlsState {
  MenuGroup overlay;  // the labels, "back", the backdrop
  GameObject* back = nullptr;
};

ControlsState& State() {
  static ControlsState state;
  return state;
}

struct Line {
  const char* text;
  float y;
  float size;
};

constexpr Line kLines[] = {
    {"how to play", 300.0f, 50.0f},
    {"wasd - move", 150.0f, 40.0f},
    {"rmb - pick up", 50.0f, 40.0f},
    {"lmb - throw", -50.0f, 40.0f},
    {"mouse - aim", -150.0f, 40.0f},
};

void Back(UIHandler*) {
  PlayBackSound();
  HideControlsOverlay();
  // Two pops, as the overlay has always done; the second finds nothing saved in every menu that
  // opens the overlay, and a pop with nothing saved changes nothing.
  PopUIButtons();
  PopUIButtons();
  ShowUnderlyingMenu();
}

}  // namespace

void BuildControlsOverlay() {
  using namespace menu_color;
  ControlsState& s = State();
  s = ControlsState{};
  for (const Line& line : kLines) s.overlay.Add(MakeTextLine(line.y, line.text, line.size));
  s.back = MakeButton(0.0f, -300.0f, 150.0f, 50.0f, kSalmon, "back", 20.0f, Back);
  s.overlay.Add(s.back);
  GameObject* backdrop = MakePanel(0.0f, 0.0f, 640.0f, 1080.0f, Shade(0.6f));
  SetDepth(backdrop, kBackdropDepth);
  s.overlay.Add(backdrop);
  s.overlay.Hide();
}

void ShowControlsOverlay() {
  ControlsState& s = State();
  PushUIButtons();
  s.overlay.Show();
  RegisterForNavigation(s.back);
}

void HideControlsOverlay() { State().overlay.Hide(); }

void ForgetControlsOverlay() { State() = ControlsState{}; }
