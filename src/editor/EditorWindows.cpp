#include "editor/EditorWindows.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/FrameClock.h"
#include "editor/Autosave.h"
#include "editor/CoverageView.h"
#include "editor/EditorFiles.h"
#include "editor/EditorModel.h"
#include "editor/EditorSession.h"
#include "editor/EditorState.h"
#include "editor/EditorTools.h"
#include "editor/EditorTuning.h"
#include "editor/FileExplorer.h"
#include "editor/LevelSaver.h"
#include "editor/Prove.h"
#include "editor/RecordBuilder.h"
#include "editor/UnsavedPrompt.h"
#include "graphics/ScreenToWorld.h"
#include "imgui.h"
#include "imgui_stdlib.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace {

constexpr float kTopBarWidth = 200.0f;
constexpr float kTopBarHeight = 50.0f;
constexpr float kPanelWidth = 300.0f;
constexpr float kPanelHeight = 400.0f;
constexpr float kDialogWidth = 250.0f;
constexpr float kDialogHeight = 150.0f;
constexpr size_t kBufferLength = 255;

struct PlaceChoice {
  const char* label;
  int type;
};
// The Tool Options radio buttons, in two columns.
constexpr PlaceChoice kLeftChoices[] = {
    {"player", 1}, {"food", 2}, {"enemy", 3}, {"wall", 7}, {"glass", 6},
    {"Collection", 8}, {"vent", 4}, {"cover", 5}, {"patrol node", 15},
};
constexpr PlaceChoice kRightChoices[] = {
    {"escape barrier", 12}, {"escape zone", 13}, {"Light", 18}, {"UI", 16}, {"Text", 10}, {"Kill Zone", 11},
};
constexpr size_t kLeftCount = sizeof(kLeftChoices) / sizeof(kLeftChoices[0]);
constexpr size_t kRightCount = sizeof(kRightChoices) / sizeof(kRightChoices[0]);

void Limit(std::string* text) {
  if (text->size() > kBufferLength) text->resize(kBufferLength);
}

// The side panels share the height below the top bar; on a short window they shrink to fit.
float PanelHeight(float clientHeight) {
  return std::max(120.0f, std::min(kPanelHeight, (clientHeight - kTopBarHeight) / 2.0f));
}

void DrawTopBar() {
  EditorState& s = Editor();
  ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
  // As wide as the level's name and file need; as high as its two rows.
  ImGui::SetNextWindowSizeConstraints(ImVec2(s.stopped ? kTopBarWidth + 60.0f : kTopBarWidth, kTopBarHeight),
                                      ImVec2(FLT_MAX, kTopBarHeight));
  ImGui::Begin("TopBar", nullptr,
               ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_AlwaysAutoResize);
  ImGui::Text("FPS: %i", Clock().fps.framesPerSecond);
  // The level and the file a Save writes, so the designer always knows what is being edited.
  ImGui::SameLine();
  ImGui::TextUnformatted(EditedLevelLabel().c_str());
  const Level* level = EditedLevel();
  s.shownFile = level != nullptr ? SaveFileOf(*level) : std::string();
  if (LevelEdited()) {
    ImGui::SameLine();
    ImGui::TextUnformatted("* unsaved");
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("The level has changes its file does not hold");
  }
  size_t others = 0;
  for (const Level* edited : EditedLevels()) others += edited != level ? 1 : 0;
  if (others > 0) {
    ImGui::SameLine();
    ImGui::TextDisabled("(+%zu other level%s unsaved)", others, others == 1 ? "" : "s");
  }
  if (s.stopped) {
    if (ImGui::Button("Save")) {
      // A failure opens the error box under the button.
      s.errorPosition[0] = ImGui::GetIO().MousePos.x;
      s.errorPosition[1] = ImGui::GetIO().MousePos.y + 20.0f;
      PressSave();
    }
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("Writes the level to the file named above");
    ImGui::SameLine();
    if (ImGui::Button("Load")) PressLoad();
    ImGui::SameLine();
    ImGui::Button("Options");  // has no effect
    ImGui::SameLine();
    if (ImGui::Button("Run")) RunLevel();
    ImGui::SameLine();
    if (ImGui::Button("Save As")) PressSaveAs();
    ImGui::SameLine();
    if (ImGui::Button("Prove")) StartProve();
    if (ImGui::IsItemHovered()) ImGui::SetTooltip("Has the solver try to win the level as it stands");
  } else if (ImGui::Button("Stop")) {
    StopLevel();
  }
  ImGui::End();
}

void DrawTools(float height) {
  EditorState& s = Editor();
  ImGui::SetNextWindowPos(ImVec2(0.0f, kTopBarHeight));
  ImGui::SetNextWindowSize(ImVec2(kPanelWidth, height));
  ImGui::Begin("Tools", nullptr, ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse);
  if (ImGui::RadioButton("Select", s.tool == EditorTool::Select)) s.tool = EditorTool::Select;
  if (ImGui::RadioButton("PlaceObject", s.tool == EditorTool::PlaceObject)) s.tool = EditorTool::PlaceObject;
  if (ImGui::RadioButton("DeleteObject", s.tool == EditorTool::DeleteObject)) s.tool = EditorTool::DeleteObject;
  ImGui::Separator();
  ImGui::TextDisabled("Undo: %zu   Redo: %zu", EditorHistory().UndoCount(), EditorHistory().RedoCount());
  ImGui::Checkbox("Snap to grid", &s.snap);
  if (ImGui::IsItemHovered()) ImGui::SetTooltip("Hold Shift while dragging to place freely");
  ImGui::SetNextItemWidth(100.0f);
  if (ImGui::InputFloat("Grid size", &s.gridSize, 1.0f, 13.0f, "%.0f") && !(s.gridSize >= 1.0f)) s.gridSize = 1.0f;
  ImGui::Checkbox("Guard coverage", &GuardCoverageShown());
  if (ImGui::IsItemHovered()) ImGui::SetTooltip("Shows where the guards' cones reach over one round of their patrols");
  ImGui::End();
}

void DrawToolOptions(float height) {
  EditorState& s = Editor();
  ImGui::SetNextWindowPos(ImVec2(0.0f, kTopBarHeight + height));
  ImGui::SetNextWindowSize(ImVec2(kPanelWidth, height));
  ImGui::Begin("Tool Options", nullptr, ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse);
  if (s.tool == EditorTool::PlaceObject) {
    for (size_t row = 0; row < kLeftCount; ++row) {
      if (ImGui::RadioButton(kLeftChoices[row].label, s.placeType == kLeftChoices[row].type)) {
        s.placeType = kLeftChoices[row].type;
      }
      if (row >= kRightCount) continue;
      ImGui::SameLine(kPanelWidth / 2.0f);
      if (ImGui::RadioButton(kRightChoices[row].label, s.placeType == kRightChoices[row].type)) {
        s.placeType = kRightChoices[row].type;
      }
    }
  } else {
    ImGui::TextWrapped(s.tool == EditorTool::Select ? "Click to select, Ctrl-click to add, drag to move."
                                                    : "Click an object to delete it.");
  }
  ImGui::End();
}

void DrawProjectManager(float width, float height) {
  ImGui::SetNextWindowPos(ImVec2(width - kPanelWidth, kTopBarHeight));
  ImGui::SetNextWindowSize(ImVec2(kPanelWidth, height));
  ImGui::Begin("Project Manager", nullptr, ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse);
  ImGui::PushItemWidth(-120.0f);  // room for the labels
  ImGui::TextUnformatted("Objects");
  ImGui::SameLine();
  ImGui::SetNextItemWidth(-FLT_MIN);
  ImGui::InputTextWithHint("##ObjectFilter", "filter", &Editor().objectFilter);
  if (ImGui::BeginListBox("##Objects", ImVec2(-FLT_MIN, std::max(60.0f, height - 230.0f)))) {
    for (GameObject* o : ListedObjects(Editor().objectFilter)) {
      if (ImGui::Selectable(o->name.c_str(), IsSelected(o->name))) SelectObject(o->name, ImGui::GetIO().KeyCtrl);
    }
    ImGui::EndListBox();
  }
  const LevelValues before = ReadLevelValues();
  LevelValues v = before;
  bool changed = false;
  changed |= ImGui::InputInt("Food Goal", &v.foodGoal, 1, 100);
  changed |= ImGui::InputInt("Lives", &v.lives, 1, 100);
  changed |= ImGui::InputInt("S Rank", &v.sRank, 1, 100);
  changed |= ImGui::InputInt("A Rank", &v.aRank, 1, 100);
  changed |= ImGui::InputInt("C Rank", &v.bRank, 1, 100);
  changed |= ImGui::ColorEdit3("Ambient Color", v.ambient);
  changed |= ImGui::InputFloat("Ambient Inensity", &v.ambient[3]);
  if (changed && !(v == before) && !AnyDialogOpen()) RunEditorCommand(SetLevelValuesCommand(before, v));
  ImGui::PopItemWidth();
  ImGui::End();
}

void DrawObjectPropertiesWindow(float width, float height) {
  ImGui::SetNextWindowPos(ImVec2(width - kPanelWidth, kTopBarHeight + height));
  ImGui::SetNextWindowSize(ImVec2(kPanelWidth, height));
  ImGui::Begin("Object Properties", nullptr, ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse);
  ImGui::Text("Selected Objects: %zu", Editor().selection.size());
  ImGui::PushItemWidth(-175.0f);  // room for the labels
  DrawObjectProperties();
  ImGui::PopItemWidth();
  ImGui::End();
}

// A frame around every selected object, drawn over the level and under the windows, so the
// designer sees what the tools and Object Properties act on.
void OutlineSelection(float width, float height) {
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  ImDrawList* draw = ImGui::GetBackgroundDrawList();
  const auto& selection = Editor().selection;
  for (size_t i = 0; i < selection.size(); ++i) {
    const GameObject* object = FindLiveObject(selection[i]);
    const Transform* t = object != nullptr ? object->GetTransform() : nullptr;
    if (t == nullptr) continue;
    const float radians = t->rotation * 3.14159265f / 180.0f;
    const float c = std::cos(radians), s = std::sin(radians);
    const float hx = t->scale[0] / 2.0f, hy = t->scale[1] / 2.0f;
    const float corners[4][2] = {{-hx, -hy}, {hx, -hy}, {hx, hy}, {-hx, hy}};
    ImVec2 points[4];
    for (int k = 0; k < 4; ++k) {
      const float x = t->position[0] + corners[k][0] * c - corners[k][1] * s;
      const float y = t->position[1] + corners[k][0] * s + corners[k][1] * c;
      int px = 0, py = 0;
      WorldToScreenIn(x, y, w, h, &px, &py);
      points[k] = ImVec2(static_cast<float>(px), static_cast<float>(py));
    }
    // The first selected object, the one Object Properties shows, stands out.
    const ImU32 colour = i == 0 ? IM_COL32(255, 200, 40, 255) : IM_COL32(120, 200, 255, 220);
    draw->AddQuad(points[0], points[1], points[2], points[3], colour, 2.0f);
  }
  // The band being dragged from empty space.
  const EditorState& s = Editor();
  if (!s.banding) return;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  WorldToScreenIn(s.band[0], s.band[1], w, h, &x0, &y0);
  WorldToScreenIn(s.band[2], s.band[3], w, h, &x1, &y1);
  const ImVec2 a(static_cast<float>(std::min(x0, x1)), static_cast<float>(std::min(y0, y1)));
  const ImVec2 b(static_cast<float>(std::max(x0, x1)), static_cast<float>(std::max(y0, y1)));
  draw->AddRectFilled(a, b, IM_COL32(120, 200, 255, 40));
  draw->AddRect(a, b, IM_COL32(120, 200, 255, 220), 0.0f, 0, 1.0f);
}

void CentreNextDialog(float width, float height) {
  ImGui::SetNextWindowPos(ImVec2(width / 2.0f, height / 2.0f), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(kDialogWidth, kDialogHeight), ImGuiCond_Appearing);
}

void DrawSaveDialog(float width, float height) {
  EditorState& s = Editor();
  if (!s.saveDialogOpen) return;
  CentreNextDialog(width, height);
  ImGui::Begin("Save As", &s.saveDialogOpen);
  ImGui::TextUnformatted("./Assets/Levels/");
  ImGui::SetNextItemWidth(-45.0f);
  if (ImGui::InputText("##SaveLocation", &s.pathBuffer)) {
    Limit(&s.pathBuffer);
    s.saveFailed = false;
    s.replaceAsked = false;
  }
  ImGui::SameLine();
  ImGui::TextUnformatted(".json");
  if (s.replaceAsked) {
    // Another level's file: it is replaced only when the designer says so.
    ImGui::TextWrapped("%s.json already exists. Replace it?", s.pathBuffer.c_str());
    if (ImGui::Button("Replace")) ConfirmReplace();
    ImGui::SameLine();
    if (ImGui::Button("Cancel")) CancelReplace();
  } else if (ImGui::Button("Save")) {
    SaveDialogSave();
  }
  if (s.saveFailed) {
    ImGui::TextWrapped("Failed to save File: %s", s.pathBuffer.c_str());
    if (!s.saveFailure.empty()) ImGui::TextWrapped("%s", s.saveFailure.c_str());
  }
  ImGui::End();
}

void DrawUnsavedPrompt(float width, float height) {
  if (!UnsavedPromptOpen()) return;
  ImGui::SetNextWindowPos(ImVec2(width / 2.0f, height / 2.0f), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(360.0f, 0.0f), ImGuiCond_Appearing);
  ImGui::Begin("Unsaved Changes", nullptr, ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_AlwaysAutoResize);
  ImGui::TextUnformatted(UnsavedPromptText().c_str());
  if (ImGui::Button("Save")) AnswerSave();
  ImGui::SameLine();
  if (ImGui::Button("Discard")) AnswerDiscard();
  ImGui::SameLine();
  if (ImGui::Button("Cancel")) AnswerCancel();
  if (!UnsavedPromptFailure().empty()) ImGui::TextWrapped("%s", UnsavedPromptFailure().c_str());
  ImGui::End();
}

void DrawAttributeDialog(float width, float height, const char* title, bool* open, const char* field,
                         const char* button, bool failed, bool (*press)(), bool saving) {
  if (!*open) return;
  EditorState& s = Editor();
  CentreNextDialog(width, height);
  ImGui::Begin(title, open);
  ImGui::TextUnformatted("./Assets/Attributes/");
  ImGui::SetNextItemWidth(-45.0f);
  if (ImGui::InputText(field, &s.attributeBuffer)) Limit(&s.attributeBuffer);
  ImGui::SameLine();
  ImGui::TextUnformatted(".json");
  if (ImGui::Button(button)) press();
  if (!saving) {
    ImGui::SameLine();
    if (ImGui::Button("Browse")) StartAttributePick();
  }
  if (failed && saving) ImGui::TextWrapped("Failed to save Attributes: %s", s.attributeBuffer.c_str());
  if (failed && !saving) ImGui::TextWrapped("./Assets/Attributes/%s.json not found", s.attributeBuffer.c_str());
  ImGui::End();
}

void DrawRestoreOffer(float width, float height) {
  EditorState& s = Editor();
  if (!s.restoreOffered) return;
  CentreNextDialog(width, height);
  ImGui::Begin("Restore Backup", nullptr, ImGuiWindowFlags_NoCollapse);
  ImGui::TextWrapped("This level has a backup newer than its file. Restore it?");
  if (ImGui::Button("Restore")) {
    RestoreBackup();
    s.restoreOffered = false;
  }
  ImGui::SameLine();
  if (ImGui::Button("Keep File")) s.restoreOffered = false;
  ImGui::End();
}

void DrawErrorBox() {
  EditorState& s = Editor();
  if (!s.errorBoxOpen) return;
  ImGui::SetNextWindowPos(ImVec2(s.errorPosition[0], s.errorPosition[1]), ImGuiCond_Appearing);
  ImGui::Begin("Error Box", &s.errorBoxOpen, ImGuiWindowFlags_AlwaysAutoResize);
  ImGui::TextUnformatted(s.errorMessage.c_str());
  ImGui::End();
}

void RunLoadFlow(float width, float height) {
  EditorState& s = Editor();
  if (!s.loadInProgress) return;
  ImGui::SetNextWindowPos(ImVec2(width / 2.0f, height / 2.0f), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(420.0f, 320.0f), ImGuiCond_Appearing);
  if (!DrawFileExplorer()) s.loadInProgress = false;  // closing the explorer gives up the load
  if (ExplorerPicked()) {
    // The error box opens under the explorer's "Ok", where the user is looking.
    s.errorPosition[0] = ImGui::GetIO().MousePos.x;
    s.errorPosition[1] = ImGui::GetIO().MousePos.y + 20.0f;
    LoadPicked(PickedPath());
  }
}

// What the explorer lists, under its "Ok".
const char* ExplorerFilterText(ExplorerFilter filter) {
  switch (filter) {
    case ExplorerFilter::Levels: return "level files";
    case ExplorerFilter::Pictures: return "pictures";
    case ExplorerFilter::Attributes: return "attribute files";
    case ExplorerFilter::Everything: break;
  }
  return "all files";
}

void RunTexturePick(float width, float height) {
  EditorState& s = Editor();
  if (s.texturePickFor.empty()) return;
  ImGui::SetNextWindowPos(ImVec2(width / 2.0f, height / 2.0f), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(420.0f, 320.0f), ImGuiCond_Appearing);
  if (!DrawFileExplorer()) s.texturePickFor.clear();
  if (ExplorerPicked()) {
    s.errorPosition[0] = ImGui::GetIO().MousePos.x;
    s.errorPosition[1] = ImGui::GetIO().MousePos.y + 20.0f;
    TexturePicked(PickedPath());
  }
}

void RunAttributePick(float width, float height) {
  EditorState& s = Editor();
  if (!s.attributePickOpen) return;
  ImGui::SetNextWindowPos(ImVec2(width / 2.0f, height / 2.0f), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(420.0f, 320.0f), ImGuiCond_Appearing);
  if (!DrawFileExplorer()) s.attributePickOpen = false;
  if (ExplorerPicked()) AttributePicked(PickedPath());
}

}  // namespace

void DrawEditorWindows(float width, float height) {
  EditorState& s = Editor();
  const float panel = PanelHeight(height);
  DrawTopBar();
  if (s.stopped) {
    DrawGuardCoverage(width, height);
    OutlineSelection(width, height);
    DrawTools(panel);
    DrawToolOptions(panel);
    DrawProjectManager(width, panel);
    DrawObjectPropertiesWindow(width, panel);
    DrawProve(width, height);
  }
  DrawSaveDialog(width, height);
  DrawAttributeDialog(width, height, "Save Attributes", &s.attributeSaveOpen, "##AttSaveLocation", "Save Attributes",
                      s.attributeSaveFailed, SaveAttributesFlow, true);
  DrawAttributeDialog(width, height, "Load Attributes", &s.attributeLoadOpen, "##AttLoadLocation", "Load Attributes",
                      s.attributeLoadFailed, LoadAttributesFlow, false);
  RunLoadFlow(width, height);
  RunTexturePick(width, height);
  RunAttributePick(width, height);
  DrawRestoreOffer(width, height);
  DrawUnsavedPrompt(width, height);
  DrawErrorBox();
}

bool DrawFileExplorer() {
  bool open = true;
  ImGui::Begin("File Explorer", &open);
  BeginExplorerFrame();
  // The root is always one press away; the path bar names the folders below it. Every press, and
  // "Refresh", reads the folder again.
  if (ImGui::Button("Assets")) SetExplorerFolder(kExplorerRoot);
  const auto& buttons = ExplorerPathButtons();
  for (size_t i = buttons.size(); i-- > 0;) {
    ImGui::SameLine();
    ImGui::PushID(static_cast<int>(i));
    if (ImGui::Button(buttons[i].c_str())) PressExplorerPathButton(i);
    ImGui::PopID();
  }
  ImGui::SameLine();
  if (ImGui::Button("Refresh")) RefreshExplorer();
  const float listHeight = std::max(60.0f, ImGui::GetWindowHeight() - 140.0f);
  ImGui::BeginChild("##FileDialog_FileList", ImVec2(0.0f, listHeight), true);
  const auto& entries = ExplorerEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    ImGui::PushID(static_cast<int>(i));
    if (ImGui::Selectable(EntryName(entries[i]).c_str(), entries[i] == ExplorerPickedText())) ClickExplorerEntry(i);
    ImGui::PopID();
  }
  ImGui::EndChild();
  ImGui::Text("File Name(s) : %s", ExplorerPickedText().c_str());
  if (ImGui::Button("Ok")) PressExplorerOk();
  ImGui::SameLine();
  ImGui::TextDisabled("%s", ExplorerFilterText(ExplorerFilterInUse()));
  // A message goes under everything that can be clicked, so it never moves a row or the button the
  // user is aiming at.
  if (!ExplorerMessage().empty()) ImGui::TextWrapped("%s", ExplorerMessage().c_str());
  ImGui::End();
  return open;
}
