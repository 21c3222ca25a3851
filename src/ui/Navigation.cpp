#include "ui/Navigation.h"

#include <algorithm>
#include <deque>

#include "app/EditorLink.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "graphics/Model.h"
#include "objects/Factory.h"
#include "objects/GameObject.h"
#include "objects/Transform.h"
#include "ui/UIHandler.h"

namespace {

// The highlight's dark gold, (184, 134, 11) / 255, and how much larger than its button it is.
constexpr float kHighlightColor[4] = {0.7216f, 0.5255f, 0.0431f, 1.0f};
constexpr float kHighlightGrowth = 1.2f;
// The highlight sits this far behind its button (a larger z is farther from the camera).
constexpr float kHighlightDepthStep = 1.0f;

struct NavigationState {
  std::vector<UIHandler*> list;
  UIHandler* selection = nullptr;
  std::deque<std::vector<UIHandler*>> saved;  // used as a stack: the back is the top
  GameObject* highlight = nullptr;
  bool framePressTaken = false;
};

NavigationState& State() {
  static NavigationState state;
  return state;
}

bool PadWentDown(PadButton button) {
  const PadState& pad = Input().pads[0];
  const bool held = (pad.state.buttons & pad.masks[button]) != 0;
  return held && !pad.flags[button];
}

// Moves the selection (and its flag) without hover calls: used when lists change under it.
void Select(UIHandler* handler) {
  NavigationState& s = State();
  if (s.selection != nullptr) s.selection->selected = false;
  s.selection = handler;
  if (handler != nullptr) handler->selected = true;
}

// One navigation step by `step` (+1 next, -1 previous), wrapping around.
void Step(int step) {
  NavigationState& s = State();
  const auto n = static_cast<long>(s.list.size());
  auto it = std::find(s.list.begin(), s.list.end(), s.selection);
  const long index = it == s.list.end() ? 0 : static_cast<long>(it - s.list.begin());
  UIHandler* from = s.selection;
  UIHandler* to = s.list[static_cast<size_t>(((index + step) % n + n) % n)];
  if (from != nullptr) {
    from->selected = false;
    if (from->onHover) from->onHover(from, false);
  }
  s.selection = to;
  to->selected = true;
  if (to->onHover) to->onHover(to, true);
  MoveHighlight();
}

UIHandler* HighlightHandler() { return HandlerOf(State().highlight); }

}  // namespace

const std::vector<UIHandler*>& NavigationList() { return State().list; }
UIHandler* SelectedButton() { return State().selection; }
size_t SavedListCount() { return State().saved.size(); }
GameObject* Highlight() { return State().highlight; }

void RegisterUIButton(UIHandler* handler) {
  if (handler == nullptr) return;
  NavigationState& s = State();
  s.list.push_back(handler);
  if (s.list.size() == 1) {
    Select(handler);
    // A highlight left showing would frame a button that a new menu has just hidden.
    if (s.highlight != nullptr && s.highlight->visible) MoveHighlight();
  }
}

void SelectUIButton(UIHandler* handler) {
  NavigationState& s = State();
  if (handler == nullptr || std::find(s.list.begin(), s.list.end(), handler) == s.list.end()) return;
  Select(handler);
  if (s.highlight != nullptr && s.highlight->visible) MoveHighlight();
}

void ClearUIButtons() {
  Select(nullptr);
  State().list.clear();
}

void PushUIButtons() {
  NavigationState& s = State();
  s.saved.push_back(s.list);
  ClearUIButtons();
}

void PopUIButtons() {
  NavigationState& s = State();
  if (s.saved.empty()) return;
  s.list = std::move(s.saved.back());
  s.saved.pop_back();
  Select(s.list.empty() ? nullptr : s.list.front());
  HideHighlight();
}

void ForgetAllUIButtons() {
  NavigationState& s = State();
  ClearUIButtons();
  s.saved.clear();
  s.highlight = nullptr;
}

void ForgetUIHandler(UIHandler* handler) {
  NavigationState& s = State();
  if (handler == nullptr) return;
  if (handler->owner != nullptr && handler->owner == s.highlight) s.highlight = nullptr;
  for (auto& saved : s.saved) saved.erase(std::remove(saved.begin(), saved.end(), handler), saved.end());
  auto it = std::find(s.list.begin(), s.list.end(), handler);
  if (it == s.list.end()) return;
  const size_t index = static_cast<size_t>(it - s.list.begin());
  s.list.erase(it);
  if (s.selection != handler) return;
  s.selection = nullptr;
  if (!s.list.empty()) Select(s.list[index % s.list.size()]);
}

bool TakeFramePress() {
  if (State().framePressTaken) return false;
  State().framePressTaken = true;
  return true;
}

void NavigateButtons() {
  NavigationState& s = State();
  s.framePressTaken = false;
  if (s.list.empty() || s.selection == nullptr || !s.selection->active || EditorHalted()) return;
  if (KeyTriggered(vk::Down) || KeyTriggered(vk::Right) || PadWentDown(PadDpadDown) || PadWentDown(PadDpadRight)) {
    Step(+1);
  }
  if (KeyTriggered(vk::Up) || KeyTriggered(vk::Left) || PadWentDown(PadDpadUp) || PadWentDown(PadDpadLeft)) {
    Step(-1);
  }
}

GameObject* CreateHighlight() {
  GameObject* highlight = CreateUI(0.0f, 0.0f, 1.0f, 1.0f);
  State().highlight = highlight;
  if (highlight == nullptr) return nullptr;
  if (auto* model = highlight->GetComponentAs<Model>(SlotOf(ComponentType::Model))) {
    model->SetColor(kHighlightColor[0], kHighlightColor[1], kHighlightColor[2], kHighlightColor[3]);
  }
  highlight->visible = false;
  return highlight;
}

void MoveHighlight() {
  NavigationState& s = State();
  UIHandler* frame = HighlightHandler();
  if (frame == nullptr || s.selection == nullptr || s.selection->owner == nullptr) return;
  const Transform* button = s.selection->owner->GetTransform();
  Transform* t = s.highlight->GetTransform();
  if (button == nullptr || t == nullptr) return;
  for (int i = 0; i < 3; ++i) frame->screenPosition[i] = s.selection->screenPosition[i];
  frame->screenPosition[2] += kHighlightDepthStep;
  for (int i = 0; i < 3; ++i) t->position[i] = frame->screenPosition[i];
  frame->fixedToScreen = true;
  s.highlight->visible = true;
  t->scale[0] = button->scale[0] * kHighlightGrowth;
  t->scale[1] = button->scale[1] * kHighlightGrowth;
}

void HideHighlight() {
  if (State().highlight != nullptr) State().highlight->visible = false;
}
