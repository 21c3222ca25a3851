// SDL scancodes to the virtual-key codes of the input tables.
#include <SDL.h>

#include <array>

#include "core/KeyCodes.h"
#include "platform/Platform.h"

namespace platform {
namespace {

std::array<int, SDL_NUM_SCANCODES> BuildTable() {
  std::array<int, SDL_NUM_SCANCODES> t{};
  for (int i = 0; i < 26; ++i) t[SDL_SCANCODE_A + i] = vk::A + i;
  for (int i = 0; i < 9; ++i) t[SDL_SCANCODE_1 + i] = vk::Num0 + 1 + i;
  t[SDL_SCANCODE_0] = vk::Num0;
  for (int i = 0; i < 12; ++i) t[SDL_SCANCODE_F1 + i] = vk::F1 + i;
  for (int i = 0; i < 9; ++i) t[SDL_SCANCODE_KP_1 + i] = vk::Numpad0 + 1 + i;
  t[SDL_SCANCODE_KP_0] = vk::Numpad0;
  t[SDL_SCANCODE_RETURN] = vk::Return;
  t[SDL_SCANCODE_KP_ENTER] = vk::Return;
  t[SDL_SCANCODE_ESCAPE] = vk::Escape;
  t[SDL_SCANCODE_BACKSPACE] = vk::Back;
  t[SDL_SCANCODE_TAB] = vk::Tab;
  t[SDL_SCANCODE_SPACE] = vk::Space;
  t[SDL_SCANCODE_MINUS] = vk::OemMinus;
  t[SDL_SCANCODE_EQUALS] = vk::OemPlus;
  t[SDL_SCANCODE_LEFTBRACKET] = vk::Oem4;
  t[SDL_SCANCODE_RIGHTBRACKET] = vk::Oem6;
  t[SDL_SCANCODE_BACKSLASH] = vk::Oem5;
  t[SDL_SCANCODE_SEMICOLON] = vk::Oem1;
  t[SDL_SCANCODE_APOSTROPHE] = vk::Oem7;
  t[SDL_SCANCODE_GRAVE] = vk::Oem3;
  t[SDL_SCANCODE_COMMA] = vk::OemComma;
  t[SDL_SCANCODE_PERIOD] = vk::OemPeriod;
  t[SDL_SCANCODE_SLASH] = vk::Oem2;
  t[SDL_SCANCODE_CAPSLOCK] = vk::Capital;
  t[SDL_SCANCODE_PAUSE] = vk::Pause;
  t[SDL_SCANCODE_INSERT] = vk::Insert;
  t[SDL_SCANCODE_HOME] = vk::Home;
  t[SDL_SCANCODE_PAGEUP] = vk::Prior;
  t[SDL_SCANCODE_DELETE] = vk::Delete;
  t[SDL_SCANCODE_END] = vk::End;
  t[SDL_SCANCODE_PAGEDOWN] = vk::Next;
  t[SDL_SCANCODE_RIGHT] = vk::Right;
  t[SDL_SCANCODE_LEFT] = vk::Left;
  t[SDL_SCANCODE_DOWN] = vk::Down;
  t[SDL_SCANCODE_UP] = vk::Up;
  t[SDL_SCANCODE_KP_DIVIDE] = vk::Divide;
  t[SDL_SCANCODE_KP_MULTIPLY] = vk::Multiply;
  t[SDL_SCANCODE_KP_MINUS] = vk::Subtract;
  t[SDL_SCANCODE_KP_PLUS] = vk::Add;
  t[SDL_SCANCODE_KP_PERIOD] = vk::Decimal;
  t[SDL_SCANCODE_LCTRL] = vk::LControl;
  t[SDL_SCANCODE_RCTRL] = vk::RControl;
  t[SDL_SCANCODE_LSHIFT] = vk::LShift;
  t[SDL_SCANCODE_RSHIFT] = vk::RShift;
  t[SDL_SCANCODE_LALT] = vk::LMenu;
  t[SDL_SCANCODE_RALT] = vk::RMenu;
  return t;
}

}  // namespace

int ScancodeToVirtualKey(int scancode) {
  static const std::array<int, SDL_NUM_SCANCODES> table = BuildTable();
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
  return table[scancode];
}

}  // namespace platform
