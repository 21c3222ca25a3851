#include "ui/ControlsOverlay.h"

#include <cctype>
#include <string>
#include <vector>

#include "app/KeyBindings.h"

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

// The name of a key as the overlay writes it, in the menus' lower case.
std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Keys(const KeyBindingTable& table, Action action) { return Lower(ActionBindingText(table, action)); }

// "wasd - move" for the shipped keys; other movement keys are listed with blanks between them.
std::string MoveLine(const KeyBindingTable& table) {
  const Action order[] = {Action::MoveUp, Action::MoveLeft, Action::MoveDown, Action::MoveRight};
  std::string joined, spaced;
  bool single = true;
  for (Action action : order) {
    const std::string keys = Keys(table, action);
    single = single && keys.size() == 1;
    joined += keys;
    spaced += (spaced.empty() ? "" : " ") + keys;
  }
  return (single ? joined : spaced) + " - move";
}

// The lines under the title, from the bindings in use when the overlay is built.
std::vector<std::string> ControlLines() {
  const KeyBindingTable& table = KeyBindings();
  return {MoveLine(table),
          Keys(table, Action::PickUpDrop) + " - pick up",
          Keys(table, Action::Throw) + " - throw",
          "mouse - aim",
          Keys(table, Action::Pause) + " - pause",
          Keys(table, Action::Retry) + " - retry"};
}

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
  s.overlay.Add(MakeTextLine(300.0f, "how to play", 50.0f));
  float y = 190.0f;
  for (const std::string& line : ControlLines()) {
    s.overlay.Add(MakeTextLine(y, line, 34.0f));
    y -= 75.0f;
  }
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
