#include "ui/Credits.h"

#include <cctype>

#include "graphics/Camera.h"
#include "scenes/SceneManager.h"
#include "ui/ButtonActions.h"
#include "widgets/MenuParts.h"

namespace {

// ---- the content --------------------------------------------------------------------------------
// Written as it should read; the font sheets show each letter in the opposite case of its code, so
// the lines are case-swapped when they are made.

constexpr const char* kTeam[] = {
    "LEAD - engine, scenes and build",
    "GRAPHICS - renderer and shaders",
    "INPUT - keys, pads and scripts",
    "PLAYER - the thief and the camera",
    "GUARDS - sight, chase and search",
    "RULES - levels, score and HUD",
    "MENUS - buttons, menus, settings",
    "EDITOR - the level editor",
    "HARDENING - builds and checks",
};

struct Section {
  const char* heading;
  std::vector<const char*> names;
};

const std::vector<Section>& Sections() {
  static const std::vector<Section> sections = {
      {"ART", {"Pictures drawn by our generators", "Font sheets in DejaVu Sans Bold"}},
      {"SOUND", {"Sounds from sox, eSpeak NG, oggenc", "Our event layer over SDL_mixer"}},
      {"BUILT WITH", {"SDL2, SDL2_image and SDL2_mixer", "OpenGL 3.3, libepoxy and Mesa", "GLM", "Dear ImGui"}},
      {"TESTED WITH", {"GoogleTest and Google Benchmark", "Clang sanitizers and libFuzzer"}},
  };
  return sections;
}

constexpr const char* kLegal[] = {
    "Quillmarch (C) 2026 the Quillmarch team",
    "Code, pictures, sounds and levels are the team's own work",
    "The libraries below keep their own licences",
};

// A notice is its library's licence, then the holder of its copyright.
constexpr const char* kNotices[] = {
    "SDL2 and SDL2_image - zlib licence",
    "(C) 1997-2023 Sam Lantinga",
    "SDL2_mixer - zlib licence",
    "(C) 1997-2022 Sam Lantinga",
    "libepoxy - MIT licence",
    "(C) 2013-2014 Intel Corporation",
    "GLM - MIT licence",
    "(C) 2005-2015 G-Truc Creation",
    "Dear ImGui - MIT licence",
    "(C) 2014-2021 Omar Cornut",
    "Mesa - MIT licence",
    "(C) the Mesa authors",
    "DejaVu fonts - Bitstream Vera licence",
    "(C) 2003 Bitstream, Inc.",
    "DejaVu changes are in the public domain",
};

// ---- the layout ---------------------------------------------------------------------------------

// The title stands low enough to be whole when the fade-in ends (the column has risen 50 units by
// then).
constexpr float kTitleY = 300.0f;
constexpr float kTitleWidth = 200.0f;
constexpr float kTitleHeight = 50.0f;
constexpr float kTeamTop = 150.0f;
constexpr float kTeamStep = 50.0f;
constexpr float kTeamSize = 20.0f;
constexpr float kHeadingSize = 30.0f;
constexpr float kNameSize = 20.0f;
constexpr float kSectionGap = 90.0f;   // from the last line above to a heading
constexpr float kHeadingStep = 60.0f;  // from a heading to its first name
constexpr float kNameStep = 40.0f;
constexpr float kLegalSize = 10.0f;
constexpr float kLegalStep = 25.0f;
constexpr float kNoticeSize = 15.0f;
constexpr float kNoticeStep = 30.0f;
constexpr float kLastNoticeY = -2050.0f;
constexpr float kLegalGap = 60.0f;  // from the last legal line to the first notice
constexpr float kLogoY = -2100.0f;
constexpr float kLogoWidth = 192.0f;
constexpr float kLogoHeight = 64.0f;
constexpr const char* kLogo = "credits_logo.png";
constexpr float kBackdropDepth = -8.0f;
// The column is at most this wide, so "back" fits beside it on a 4:3 screen (the narrowest shape
// the game is played at) and no line ever scrolls under it.
constexpr float kBackdropWidth = 740.0f;
// "back" keeps this far from the right edge of the screen, at 0.65 of the way down to the bottom.
constexpr float kBackWidth = 150.0f;
constexpr float kBackHeight = 50.0f;
constexpr float kBackMargin = 40.0f;
constexpr float kBackDown = 0.65f;
constexpr float kLineAlpha = 0.6f;
constexpr float kLinePanelHeight = 1.5f;  // times the text size

void NotFixed(GameObject* object) {
  if (UIHandler* handler = HandlerOf(object)) handler->fixedToScreen = false;
}

// The title's per-frame work: the camera runs down the column, and past its end the menu returns.
void Scroll(UIHandler*, float dt) {
  Camera& camera = MainCamera();
  camera.position[1] -= kCreditsScrollSpeed * dt;
  if (camera.position[1] < kCreditsEnd) RequestSceneById(scene_id::kMainMenu);
}

}  // namespace

std::vector<CreditsLine> CreditsColumn() {
  std::vector<CreditsLine> column;
  column.push_back({"CREDITS", kTitleY, 0.0f});
  float y = kTeamTop;
  for (const char* line : kTeam) {
    column.push_back({line, y, kTeamSize});
    y -= kTeamStep;
  }
  y += kTeamStep;
  for (const Section& section : Sections()) {
    y -= kSectionGap;
    column.push_back({section.heading, y, kHeadingSize});
    y -= kHeadingStep - kNameStep;
    for (const char* name : section.names) {
      y -= kNameStep;
      column.push_back({name, y, kNameSize});
    }
  }
  // The notices end at a fixed depth; the legal lines sit just above them.
  constexpr size_t kNoticeCount = sizeof(kNotices) / sizeof(kNotices[0]);
  constexpr size_t kLegalCount = sizeof(kLegal) / sizeof(kLegal[0]);
  const float firstNotice = kLastNoticeY + kNoticeStep * static_cast<float>(kNoticeCount - 1);
  float legal = firstNotice + kLegalGap + kLegalStep * static_cast<float>(kLegalCount - 1);
  for (const char* line : kLegal) {
    column.push_back({line, legal, kLegalSize});
    legal -= kLegalStep;
  }
  float notice = firstNotice;
  for (const char* line : kNotices) {
    column.push_back({line, notice, kNoticeSize});
    notice -= kNoticeStep;
  }
  return column;
}

void BuildCredits() {
  using namespace menu_color;
  const std::vector<CreditsLine> column = CreditsColumn();
  for (size_t i = 0; i < column.size(); ++i) {
    const CreditsLine& line = column[i];
    // The lines are labels as the controls overlay makes them, but only as high as their text (the
    // column is denser than the overlay's, and taller panels would cover the line above) and in
    // the light font, which reads better on the dark column.
    const float width = i == 0 ? kTitleWidth : static_cast<float>(line.text.size()) * line.size;
    const float height = i == 0 ? kTitleHeight : line.size * kLinePanelHeight;
    GameObject* object = MakeButton(0.0f, line.y, width, height, Shade(kLineAlpha), SwapCase(line.text), line.size);
    UseLightFontFor(object);
    NotFixed(object);
    if (i == 0) {
      if (UIHandler* handler = HandlerOf(object)) handler->onUpdate = Scroll;
    }
  }
  NotFixed(MakePicture(0.0f, kLogoY, kLogoWidth, kLogoHeight, kLogo));

  // "back" is placed in the view's own units from its right edge, not in pixels: the view shows
  // about 414 units above and below its centre at every window size.
  GameObject* back = MakeButton(0.0f, 0.0f, kBackWidth, kBackHeight, kSalmon, "back", 20.0f,
                                [](UIHandler*) { RequestSceneById(scene_id::kMainMenu); });
  if (UIHandler* handler = HandlerOf(back)) {
    handler->screenPosition[0] = -(kBackWidth * 0.5f + kBackMargin);
    handler->screenPosition[1] = 0.0f;
    handler->anchor[0] = 1.0f;
    handler->anchor[1] = -kBackDown;
  }
  // Registered so that a player on keys or a pad can leave at once too, Escape and B included.
  RegisterForNavigation(back);
  RegisterAsBack(back);
  SetDepth(MakePanel(0.0f, 0.0f, kBackdropWidth, 1080.0f, Shade(0.6f)), kBackdropDepth);
  PlayForwardSound();
}
