// Virtual-key codes: the numbers the input tables are indexed by. The platform layer translates its
// own key identifiers into these, so game code reads the numbers the game was designed with.
#pragma once

namespace vk {
inline constexpr int Back = 0x08;
inline constexpr int Tab = 0x09;
inline constexpr int Return = 0x0D;
inline constexpr int Shift = 0x10;
inline constexpr int Control = 0x11;
inline constexpr int Menu = 0x12;  // Alt
inline constexpr int Pause = 0x13;
inline constexpr int Capital = 0x14;
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int Prior = 0x21;
inline constexpr int Next = 0x22;
inline constexpr int End = 0x23;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Insert = 0x2D;
inline constexpr int Delete = 0x2E;
inline constexpr int Num0 = 0x30;  // '0'..'9' are 0x30..0x39
inline constexpr int A = 0x41;     // 'A'..'Z' are 0x41..0x5A
inline constexpr int Numpad0 = 0x60;
inline constexpr int Multiply = 0x6A;
inline constexpr int Add = 0x6B;
inline constexpr int Subtract = 0x6D;
inline constexpr int Decimal = 0x6E;
inline constexpr int Divide = 0x6F;
inline constexpr int F1 = 0x70;    // F1..F12 are 0x70..0x7B
inline constexpr int F8 = 0x77;
inline constexpr int F11 = 0x7A;
inline constexpr int LShift = 0xA0;
inline constexpr int RShift = 0xA1;
inline constexpr int LControl = 0xA2;
inline constexpr int RControl = 0xA3;
inline constexpr int LMenu = 0xA4;
inline constexpr int RMenu = 0xA5;
inline constexpr int Oem1 = 0xBA;       // ;
inline constexpr int OemPlus = 0xBB;
inline constexpr int OemComma = 0xBC;
inline constexpr int OemMinus = 0xBD;
inline constexpr int OemPeriod = 0xBE;
inline constexpr int Oem2 = 0xBF;       // /
inline constexpr int Oem3 = 0xC0;       // `
inline constexpr int Oem4 = 0xDB;       // [
inline constexpr int Oem5 = 0xDC;       // backslash
inline constexpr int Oem6 = 0xDD;       // ]
inline constexpr int Oem7 = 0xDE;       // '

constexpr int Letter(char c) { return A + (c - 'A'); }
constexpr int Digit(int d) { return Num0 + d; }
}  // namespace vk
