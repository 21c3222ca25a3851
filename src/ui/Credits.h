// The credits: the team and its roles, what the game is built with and the libraries' notices, and
// the game's logo, in a column that scrolls up (the camera moves down 50 units a second) and goes
// back to the main menu by itself once the camera passes y = -2000, or at once with "back".
// Built by the scene start of the credits scene.
#pragma once

#include <string>
#include <vector>

void BuildCredits();

// One line of the column as it is placed (text as shown, before the font's case swap).
struct CreditsLine {
  std::string text;
  float y;
  float size;
};
// The whole column, top to bottom (the title first); the last licence notice sits at y = -2050.
std::vector<CreditsLine> CreditsColumn();

inline constexpr float kCreditsScrollSpeed = 50.0f;  // units per second
inline constexpr float kCreditsEnd = -2000.0f;       // camera y past which the menu returns
