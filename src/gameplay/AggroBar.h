// The floating aggro bar over a human: a dark background and a fill that grows from its left edge
// with the human's aggro meter, drawn in a red that pulses towards white while the human chases.
// Both parts are inert UI objects of the object list; the bar remembers them by pointer and lets go
// of them (marks them for removal) when the human goes.
#pragma once

class GameObject;

struct AggroBar {
  GameObject* background = nullptr;  // made on the first update
  GameObject* fill = nullptr;
  float baseColour[3] = {0.93f, 0.2f, 0.2f};
  float colour[3] = {0.93f, 0.2f, 0.2f};  // drawn this frame
  bool fading = false;                     // direction of the chase pulse
  bool made = false;
};

// One update of the bar of a human at (x, y): made on the first call, then placed 28 units above
// the human, `aggro` (0..1) wide and opaque. While `chasing`, the colour steps one sixteenth of
// the way to white and back per update; otherwise it is the base colour.
void UpdateAggroBar(AggroBar& bar, float x, float y, float aggro, bool chasing);
// Marks both parts for removal if they are still in the object list; the bar forgets them.
void ReleaseAggroBar(AggroBar& bar);
