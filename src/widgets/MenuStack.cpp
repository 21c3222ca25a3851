#include "widgets/MenuStack.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

namespace {

struct MenuStackModule {
  std::array<MenuCalls, static_cast<size_t>(MenuId::Count)> menus{};
  std::vector<MenuId> stack;
};

MenuStackModule& Module() {
  static MenuStackModule module;
  return module;
}

const MenuCalls& Calls(MenuId id) {
  static const MenuCalls kNone{};
  const auto index = static_cast<size_t>(id);
  return index < Module().menus.size() ? Module().menus[index] : kNone;
}

void Run(void (*step)()) {
  if (step != nullptr) step();
}

}  // namespace

void RegisterMenu(MenuId id, const MenuCalls& calls) {
  const auto index = static_cast<size_t>(id);
  if (index < Module().menus.size()) Module().menus[index] = calls;
}

void ForgetRegisteredMenus() { Module().menus.fill(MenuCalls{}); }

void BuildMenu(MenuId id) { Run(Calls(id).build); }

bool MenuBuilt(MenuId id) {
  const MenuCalls& calls = Calls(id);
  return calls.built != nullptr && calls.built();
}

void OpenMenu(MenuId id) { Run(Calls(id).open); }
void CloseMenu(MenuId id) { Run(Calls(id).close); }

void StartMenuStack(MenuId base) { Module().stack.assign(1, base); }

void PushMenu(MenuId id) {
  std::vector<MenuId>& stack = Module().stack;
  if (!stack.empty()) {
    if (stack.back() == id) return;
    Run(Calls(stack.back()).hide);
  }
  stack.push_back(id);
}

void PopMenu(MenuId id) {
  std::vector<MenuId>& stack = Module().stack;
  const auto at = std::find(stack.rbegin(), stack.rend(), id);
  if (at != stack.rend()) stack.erase(std::next(at).base());
  ShowTopMenu();
}

void ShowTopMenu() {
  const std::vector<MenuId>& stack = Module().stack;
  if (!stack.empty()) Run(Calls(stack.back()).show);
}

void ClearMenuStack() { Module().stack.clear(); }

const std::vector<MenuId>& MenuStack() { return Module().stack; }
