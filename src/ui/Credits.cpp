#include "ui/Credits.h"

#include <cctype>

#include "graphics/Camera.h"
#include "platform/Platform.h"
#include "scenes/SceneManager.h"
#include "ui/ButtonActions.h"
#include "ui/MenuParts.h"

namespace {

// ---- the content --------------------------------------------------------------------------------
// Written as it should read; the font sheets show each letter in the opposite case of its code, so
// the lines are case-swapped when they are made.

constexpr const char* kTeam[] = {
    "LEAD - the engine, the scenes and the build",
    "GRAPHICS - the renderer and its shaders",
    "INPUT - keys, pads and input scripts",
    "PLAYER - the thief and the camera",
    "GUARDS - sight, chase and search",
    "RULES - levels, score and the HUD",
    "MENUS - buttons, menus and settings",
    "EDITOR - the level editor",
    "HARDENING - builds, checks and reviews",
};

struct Section {
  const char* heading;
  std::vector<const char*> names;
};

const std::vector<Section>& Sections() {
  static const std::vector<Section> sections = {
      {"ART", {"Pictures drawn by our own generators", "Font sheets set in DejaVu Sans Bold"}},
      {"SOUND", {"Sounds made with sox, eSpeak NG and oggenc", "Mixed by our event layer over SDL_mixer"}},
      {"BUILT WITH",
       {"SDL2, SDL2_image and SDL2_mixer", "OpenGL 3.3 through libepoxy and Mesa", "GLM", "Dear ImGui"}},
      {"TESTED WITH", {"GoogleTest and Google Benchmark", "Clang sanitizers and libFuzzer"}},
  };
  return sections;
}

constexpr const char* kLegal[] = {
    "Quillmarch (C) 2026 the Quillmarch team",
    "Code, pictures, sounds and levels are the team's own work",
    "The libraries below keep their own licences",
};

constexpr const char* kNotices[] = {
    "SDL2, SDL2_image (C) 1997-2023 Sam Lantinga - zlib licence",
    "SDL2_mixer (C) 1997-2022 Sam Lantinga - zlib licence",
    "libepoxy (C) 2013-2014 Intel Corporation - MIT licence",
    "GLM (C) 2005-2015 G-Truc Creation - MIT licence",
    "Dear ImGui (C) 2014-2021 Omar Cornut - MIT licence",
    "Mesa (C) the Mesa authors - MIT licence",
    "DejaVu fonts (C) 2003 Bitstream, Inc. - Bitstream Vera licence",
    "DejaVu changes are in the public domain",
};

// ---- the layout ---------------------------------------------------------------------------------

constexpr float kTitleY = 350.0f;
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

  int width = 0;
  int height = 0;
  platform::GetPlatform().GetClientSize(&width, &height);
  const float backX = 0.6f * static_cast<float>(width) * 0.5f;
  const float backY = -0.65f * static_cast<float>(height) * 0.5f;
  GameObject* back = MakeButton(backX, backY, 150.0f, 50.0f, kSalmon, "back", 20.0f,
                                [](UIHandler*) { RequestSceneById(scene_id::kMainMenu); });
  // Registered so that a player on keys or a pad can leave at once too.
  RegisterForNavigation(back);
  SetDepth(MakePanel(0.0f, 0.0f, 960.0f, 1080.0f, Shade(0.6f)), kBackdropDepth);
  PlayForwardSound();
}
