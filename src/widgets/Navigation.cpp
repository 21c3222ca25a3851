#include "widgets/Navigation.h"

#include <algorithm>
#include <deque>

#include "core/EditorLink.h"
#include "core/Input.h"
#include "core/KeyBindings.h"
#include "core/KeyCodes.h"
#include "graphics/Model.h"
#include "objects/GameObject.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"
#include "scenes/SceneManager.h"
#include "widgets/UIHandler.h"

namespace {

// The highlight's dark gold, (184, 134, 11) / 255, and how much larger than its button it is.
constexpr float kHighlightColor[4] = {0.7216f, 0.5255f, 0.0431f, 1.0f};
constexpr float kHighlightGrowth = 1.2f;
// The highlight sits this far behind its button (a larger z is farther from the camera).
constexpr float kHighlightDepthStep = 1.0f;

// A list put aside by a dialog or overlay, with what it had selected and its way back.
struct SavedList {
  std::vector<UIHandler*> list;
  UIHandler* selection = nullptr;
  UIHandler* back = nullptr;
};

struct NavigationState {
  std::vector<UIHandler*> list;
  UIHandler* selection = nullptr;
  UIHandler* back = nullptr;  // pressed by Escape and pad B
  std::deque<SavedList> saved;  // used as a stack: the back is the top
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

bool Contains(const std::vector<UIHandler*>& list, const UIHandler* handler) {
  return handler != nullptr && std::find(list.begin(), list.end(), handler) != list.end();
}

// Escape or pad B, new in this pass: one step back.
bool BackWentDown() { return KeyTriggered(vk::Escape) || PadWentDown(PadB); }

// Start presses the selection where it is not the pause button.
bool StartConfirms() { return PadWentDown(PadStart) && !CurrentSceneIsLevel(); }

void PressBack() {
  UIHandler* back = State().back;
  if (back == nullptr || !back->active || !back->onClick) return;
  // Escape is also the pause key by default, which acts when it comes up: the step back has used
  // this press, so its release must not pause (or resume) the game as well.
  if (KeyTriggered(vk::Escape)) SilenceUntilReleased(vk::Escape);
  back->onClick(back);
}

void PressSelection() {
  UIHandler* selection = State().selection;
  if (selection != nullptr && selection->onClick) selection->onClick(selection);
}

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
    RefreshHighlight();
  }
}

void SelectUIButton(UIHandler* handler) {
  NavigationState& s = State();
  if (!Contains(s.list, handler)) return;
  Select(handler);
  RefreshHighlight();
}

void SetBackButton(UIHandler* handler) { State().back = handler; }
UIHandler* BackButton() { return State().back; }

void ClearUIButtons() {
  Select(nullptr);
  State().list.clear();
  State().back = nullptr;
}

void PushUIButtons() {
  NavigationState& s = State();
  s.saved.push_back({s.list, s.selection, s.back});
  ClearUIButtons();
}

void PopUIButtons() {
  NavigationState& s = State();
  if (s.saved.empty()) return;
  SavedList top = std::move(s.saved.back());
  s.saved.pop_back();
  s.list = std::move(top.list);
  s.back = top.back;
  // The button that opened the dialog or overlay takes the focus again.
  if (Contains(s.list, top.selection)) {
    Select(top.selection);
  } else {
    Select(s.list.empty() ? nullptr : s.list.front());
  }
  RefreshHighlight();
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
  if (s.back == handler) s.back = nullptr;
  for (SavedList& saved : s.saved) {
    auto gone = std::find(saved.list.begin(), saved.list.end(), handler);
    if (gone != saved.list.end()) {
      const size_t index = static_cast<size_t>(gone - saved.list.begin());
      saved.list.erase(gone);
      // A saved selection that goes passes to the next button, as the current one does.
      if (saved.selection == handler) saved.selection = saved.list.empty() ? nullptr : saved.list[index % saved.list.size()];
    }
    if (saved.back == handler) saved.back = nullptr;
  }
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
  // A button pressed earlier in this frame (Enter, A, a click) has had this frame's press.
  const bool pressTaken = s.framePressTaken;
  const bool menuUp = !s.list.empty() && s.selection != nullptr && s.selection->active && !EditorHalted();
  if (menuUp && !pressTaken && BackWentDown()) {
    PressBack();
  } else if (menuUp && !pressTaken && StartConfirms()) {
    PressSelection();
  } else if (menuUp) {
    if (KeyTriggered(vk::Down) || KeyTriggered(vk::Right) || PadWentDown(PadDpadDown) || PadWentDown(PadDpadRight)) {
      Step(+1);
    }
    if (KeyTriggered(vk::Up) || KeyTriggered(vk::Left) || PadWentDown(PadDpadUp) || PadWentDown(PadDpadLeft)) {
      Step(-1);
    }
  }
  RefreshHighlight();
  s.framePressTaken = false;
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
  for (int i = 0; i < 2; ++i) frame->anchor[i] = s.selection->anchor[i];
  // Where the button stands now; the frame's own pin keeps it there from the next update on.
  for (int i = 0; i < 2; ++i) t->position[i] = button->position[i];
  t->position[2] = frame->screenPosition[2];
  frame->fixedToScreen = true;
  s.highlight->visible = true;
  t->scale[0] = button->scale[0] * kHighlightGrowth;
  t->scale[1] = button->scale[1] * kHighlightGrowth;
}

void HideHighlight() {
  if (State().highlight != nullptr) State().highlight->visible = false;
}

void RefreshHighlight() {
  const NavigationState& s = State();
  const UIHandler* selection = s.selection;
  const bool shown = selection != nullptr && selection->active && selection->owner != nullptr && selection->owner->visible;
  if (shown) {
    MoveHighlight();
  } else {
    HideHighlight();
  }
}
