// The Object Properties window's contents: the transform, the panel of the object's kind (chosen
// by the type word before the first "_" of its name), then its light, emitters and filters. Each
// edit becomes a command from the values before the edit to the values after it.
#include <algorithm>
#include <map>
#include <string>

#include "editor/EditorFiles.h"
#include "editor/EditorModel.h"
#include "editor/EditorState.h"
#include "editor/EditorTools.h"
#include "editor/EditorTuning.h"
#include "editor/EditorWindows.h"
#include "editor/RecordBuilder.h"
#include "graphics/ParticleEmitter.h"
#include "imgui.h"
#include "imgui_stdlib.h"
#include "objects/GameObject.h"
#include "scenes/HumanTuning.h"
#include "scenes/PlayerTuning.h"

namespace {

// Scale and translation are shown in hundreds of units, as designers lay levels out.
constexpr float kShownScale = 100.0f;

struct PanelModule {
  std::map<std::string, std::string> soundFields;  // the six sound slots' text fields
};

PanelModule& Module() {
  static PanelModule module;
  return module;
}

std::string TypeWord(const GameObject& object) { return object.name.substr(0, object.name.find('_')); }

bool Editable() { return !AnyDialogOpen(); }

void Tooltip(const char* text) {
  if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", text);
}

void TransformSection(const GameObject& object) {
  const TransformValues before = ReadTransform(object);
  TransformValues v = before;
  float scale[2] = {v.scale[0] / kShownScale, v.scale[1] / kShownScale};
  float position[2] = {v.position[0] / kShownScale, v.position[1] / kShownScale};
  ImGui::TextUnformatted("Transform");
  Tooltip("Scale and translation will be scaled up by 100");
  bool changed = ImGui::InputFloat2("Scale", scale);
  ImGui::TextUnformatted("Rotation");
  changed |= ImGui::SliderFloat("##Rotation1", &v.rotation, -180.0f, 180.0f);
  changed |= ImGui::InputFloat("##Rotation2", &v.rotation, 0.1f, 1.0f);
  changed |= ImGui::InputFloat2("Translation", position);
  if (!changed || !Editable()) return;
  v.scale[0] = scale[0] * kShownScale;
  v.scale[1] = scale[1] * kShownScale;
  v.position[0] = position[0] * kShownScale;
  v.position[1] = position[1] * kShownScale;
  if (!(v == before)) RunEditorCommand(SetTransformCommand(object.name, before, v));
}

void AttributeButtons() {
  EditorState& s = Editor();
  if (ImGui::Button("Save Attributes")) {
    s.attributeSaveOpen = true;
    s.attributeSaveFailed = false;
  }
  ImGui::SameLine();
  if (ImGui::Button("Load Attributes")) {
    s.attributeLoadOpen = true;
    s.attributeLoadFailed = false;
  }
}

void PlayerPanel(GameObject& object) {
  const PlayerTuning before = PlayerTuningValues();
  PlayerTuning t = before;
  bool changed = false;
  changed |= ImGui::InputFloat("Acceleration", &t.accel);
  changed |= ImGui::InputFloat("Deceleration", &t.decel);
  changed |= ImGui::InputFloat("Max Velocity", &t.maxVelocity);
  changed |= ImGui::InputFloat("Holding Acceleration", &t.accel_holding);
  changed |= ImGui::InputFloat("Max Holding Velocity", &t.maxVelocity_holding);
  changed |= ImGui::InputFloat("Throw Velocity Fraction", &t.throwMovementRatio);
  changed |= ImGui::InputFloat("Vent Acceleration", &t.accel_vent);
  changed |= ImGui::InputFloat("Vent Max Velocity", &t.maxVelocity_vent);
  changed |= ImGui::InputFloat("Movement Penalty", &t.movementPenalty);
  Tooltip("Penalty is a percentage from 0.0 to 1.0");
  if (changed && Editable()) EditPlayerTuning(before, t);

  ImGui::Separator();
  ImGui::TextUnformatted("Sounds");
  for (const SoundSlot& slot : PlayerSoundSlots()) {
    std::string& field = Module().soundFields[slot.label];
    ImGui::SetNextItemWidth(130.0f);
    ImGui::InputText(slot.label, &field);
    if (field.size() > 255) field.resize(255);
    ImGui::SameLine();
    if (ImGui::Button((std::string("Load##") + slot.label).c_str())) ReloadSound(object, slot);
  }
  AttributeButtons();
}

void PatrolPathTool(const GameObject& enemy) {
  EditorState& s = Editor();
  ShowEnemyPath(enemy.name);
  if (!EnemyHasPath(enemy.name) && s.placingNodes && !s.pendingNodes.empty()) {
    ImGui::TextWrapped("Calculating paths based on recently added nodes");
    ImGui::Checkbox("Circular Path", &s.circularPath);
    if (ImGui::Button("Set patrol path")) SetPatrolPath(enemy.name);
    ImGui::TextUnformatted("Nodes that are going to be added to the path:");
    for (const std::string& name : s.pendingNodes) {
      GameObject* node = FindLiveObject(name);
      const TransformValues t = node != nullptr ? ReadTransform(*node) : TransformValues{};
      ImGui::Text("%s at (%.0f, %.0f)", name.c_str(), t.position[0], t.position[1]);
    }
  } else if (!EnemyHasPath(enemy.name) && !s.placingNodes) {
    ImGui::Checkbox("Circular Path", &s.circularPath);
    Tooltip("Check this to create a circular patrol path");
    if (ImGui::Button("Create new patrol path nodes")) StartNewPatrolNodes();
    Tooltip("Will allow you to place patrol point nodes");
    if (ImGui::Button("Select existing nodes")) SelectExistingNodes();
  } else if (!EnemyHasPath(enemy.name)) {
    ImGui::TextWrapped("Place or click patrol nodes; they are listed here.");
  } else {
    ImGui::TextWrapped("You can drag to re-order the nodes to change the patrol path");
    for (size_t i = 0; i < s.pendingNodes.size(); ++i) {
      ImGui::PushID(static_cast<int>(i));
      ImGui::Selectable(s.pendingNodes[i].c_str());
      // One swap per drag step: the entry follows the mouse up or down the list.
      if (ImGui::IsItemActive() && !ImGui::IsItemHovered()) {
        const float dy = ImGui::GetMouseDragDelta(0).y;
        MovePathEntry(i, dy < 0.0f ? -1 : +1);
        ImGui::ResetMouseDragDelta();
      }
      ImGui::PopID();
    }
    ImGui::Checkbox("Circular Path", &s.circularPath);
    if (ImGui::Button("Recalculate path")) RecalculatePath(enemy.name);
  }
  ImGui::Separator();
}

void EnemyPanel(const GameObject& enemy) {
  PatrolPathTool(enemy);
  const HumanTuning before = HumanTuningValues();
  HumanTuning t = before;
  float angle = static_cast<float>(t.detection_angle);
  bool changed = false;
  changed |= ImGui::InputFloat("Max Agro", &t.max_aggro);
  changed |= ImGui::InputFloat("Return Agro", &t.return_agro);
  changed |= ImGui::InputFloat("Detection Angle", &angle);
  changed |= ImGui::InputFloat("Catch Radius", &t.catch_radius);
  changed |= ImGui::InputFloat("Max Detection Radius", &t.max_detection_radius);
  changed |= ImGui::InputFloat("Min Detection Radius", &t.min_detection_radius);
  changed |= ImGui::InputFloat("Patrol Max Velocity", &t.patrol_max_velocity);
  changed |= ImGui::InputFloat("Patrol Acceleration", &t.patrol_acceleration);
  changed |= ImGui::InputFloat("Chase Acceleration", &t.chase_aceleration);
  changed |= ImGui::InputFloat("Chase Max Velocity", &t.chase_max_velocity);
  changed |= ImGui::InputFloat("Grace Acceleration", &t.grace_acceleration);
  changed |= ImGui::InputFloat("Grace Max Velocity", &t.grace_max_velocity);
  changed |= ImGui::InputFloat("Detection Run Speed Modifier", &t.detection_run_speed_mod);
  changed |= ImGui::InputFloat("Detection Idle Speed Modifier", &t.detection_idle_speed_mod);
  changed |= ImGui::InputFloat("Distance Modifier", &t.distance_mod);
  changed |= ImGui::InputFloat("Agro Recovery Rate", &t.agro_recovery_rate);
  changed |= ImGui::InputFloat("Grace Max Time", &t.grace_max_time);
  changed |= ImGui::InputFloat("Grace Timer Scale", &t.grace_timer_scale);
  changed |= ImGui::InputFloat("Stun Max Time", &t.stun_max_time);
  t.detection_angle = static_cast<int32_t>(angle);
  if (changed && Editable()) EditHumanTuning(before, t);
  AttributeButtons();
}

void TextPanel(const GameObject& object) {
  TextValues before;
  if (!ReadText(object, &before)) return;
  TextValues v = before;
  bool changed = ImGui::InputTextMultiline("Edit text", &v.text, ImVec2(-FLT_MIN, 60.0f));
  changed |= ImGui::InputFloat("Font size", &v.size);
  ImGui::TextUnformatted("Text Alignment");
  const char* names[] = {"Left", "Center", "Right"};
  for (uint32_t a = 0; a < 3; ++a) {
    if (a > 0) ImGui::SameLine();
    if (ImGui::RadioButton(names[a], v.alignment == a)) {
      v.alignment = a;
      changed = true;
    }
  }
  // The format has no escapes: a double quote could never be saved.
  v.text.erase(std::remove(v.text.begin(), v.text.end(), '"'), v.text.end());
  if (changed && Editable() && !(v == before)) RunEditorCommand(SetTextCommand(object.name, before, v));
}

// A button's handler: whether it calls back, and where it is pinned on the screen.
void UiHandlerSection(const GameObject& object) {
  UiHandlerValues before;
  if (!ReadUiHandler(object, &before)) return;
  UiHandlerValues v = before;
  bool changed = ImGui::Checkbox("Active", &v.active);
  Tooltip("Determines whether on click and hover callbacks are called");
  if (v.fixedToScreen) changed |= ImGui::InputFloat3("Screen Position", v.screenPosition);
  if (changed && Editable() && !(v == before)) RunEditorCommand(SetUiHandlerCommand(object.name, before, v));
}

// A button or panel: its handler, its picture or colour, then its label's text.
void UiPanel(const GameObject& object) {
  UiHandlerSection(object);
  ModelLookValues before;
  if (ReadModelLook(object, &before)) {
    if (!before.texture.empty()) {
      ImGui::Text("Texture: %s", before.texture.c_str());
      if (ImGui::Button("Change texture")) StartTexturePick(object.name);
      ImGui::SameLine();
      if (ImGui::Button("Remove texture")) RemoveTexture(object.name);
    } else {
      ModelLookValues v = before;
      if (ImGui::ColorEdit4("Color RGBA", v.color) && Editable() && !(v == before)) {
        RunEditorCommand(SetModelLookCommand(object.name, before, v));
      }
      if (ImGui::Button("Add texture")) StartTexturePick(object.name);
    }
  }
  TextValues label;
  if (ReadText(object, &label)) {
    TextPanel(object);
  } else if (ImGui::Button("Add Text Component") && Editable()) {
    RunEditorCommand(AddLabelCommand(object.name));
    EditorHistory().EndMerge();
  }
}

void EscapeZonePanel(const GameObject& zone) {
  const ObjectRecord* r = FindRecord(zone.name);
  const int before = r != nullptr ? static_cast<int>(r->escapeDirection) : 0;
  int current = before;
  const char* words[] = {"UP", "DOWN", "LEFT", "RIGHT"};
  if (ImGui::Combo("Escape Direction", &current, words, 4) && current != before && Editable()) {
    RunEditorCommand(SetEscapeDirectionCommand(zone.name, static_cast<EscapeDirection>(before),
                                               static_cast<EscapeDirection>(current)));
  }
}

void LightSection(const GameObject& object) {
  const LightValues before = ReadLight(object);
  LightValues v = before;
  if (!before.present) {
    if (ImGui::Button("Attach Light")) {
      v = LightValues{};
      v.present = true;
      RunEditorCommand(SetLightCommand(object.name, before, v));
      EditorHistory().EndMerge();
    }
    return;
  }
  bool changed = ImGui::InputFloat("Light Intensity", &v.intensity);
  changed |= ImGui::InputFloat("Fall Off Start", &v.fallOffStart);
  changed |= ImGui::InputFloat("Fall Off End", &v.fallOffEnd);
  changed |= ImGui::ColorEdit3("Color", v.color);
  if (changed && Editable() && !(v == before)) RunEditorCommand(SetLightCommand(object.name, before, v));
  if (ImGui::Button("Remove Light")) {
    v.present = false;
    EditorHistory().EndMerge();
    RunEditorCommand(SetLightCommand(object.name, before, v));
    EditorHistory().EndMerge();
  }
}

std::string Id(const char* label, size_t index) { return std::string(label) + std::to_string(index); }

// Where the emitter's current period stands; an edit changes the running emitter only.
void EmitterTimerField(const GameObject& object, size_t index) {
  float before = 0.0f;
  if (!ReadEmitterTimer(object, index, &before)) return;
  float timer = before;
  if (ImGui::InputFloat(Id("Emitter Duration Timer##", index).c_str(), &timer) && Editable() && timer != before) {
    RunEditorCommand(SetEmitterTimerCommand(object.name, index, before, timer));
  }
}

void EmitterSections(const GameObject& object) {
  const std::vector<EmitterRecord> emitters = ReadEmitters(object);
  for (size_t i = 0; i < emitters.size(); ++i) {
    const EmitterRecord& before = emitters[i];
    EmitterRecord v = before;
    ImGui::Separator();
    int shape = static_cast<int>(v.shape);
    const char* shapes[] = {"Circle", "Line"};
    bool changed = ImGui::Combo(Id("Type##", i).c_str(), &shape, shapes, 2);
    v.shape = static_cast<uint32_t>(shape);
    changed |= ImGui::InputFloat(Id("Emitter Duration##", i).c_str(), &v.duration);
    EmitterTimerField(object, i);
    changed |= ImGui::Checkbox(Id("Loop##", i).c_str(), &v.loop);
    changed |= ImGui::InputFloat(Id("Emmition Rate##", i).c_str(), &v.emissionRate);
    changed |= ImGui::InputInt(Id("Particles Per Emition##", i).c_str(), &v.particlesPerEmission);
    changed |= ImGui::InputFloat2(Id("Life Time Min/Max##", i).c_str(), &v.lifeMin);
    changed |= ImGui::InputFloat2(Id("Velocity Min/Max##", i).c_str(), &v.velocityMin);
    changed |= ImGui::InputFloat2(Id("Acceleration Min/Max##", i).c_str(), &v.accelerationMin);
    changed |= ImGui::InputFloat2(Id("Rotation Min/Max##", i).c_str(), &v.rotationMin);
    changed |= ImGui::InputFloat2(Id("Direction Min/Max##", i).c_str(), &v.directionMin);
    changed |= ImGui::InputFloat2(Id("Scale Min/Max##", i).c_str(), &v.scaleMin);
    changed |= ImGui::InputInt(Id("Max Particles##", i).c_str(), &v.maxParticles);
    changed |= ImGui::Checkbox(Id("Slow To Stop##", i).c_str(), &v.slowToZero);
    changed |= ImGui::InputFloat(Id("Deceleration Speed##", i).c_str(), &v.deceleration);
    if (ImGui::Button(Id("Emmit Test##", i).c_str())) TestEmitter(object.name, i);
    changed |= ImGui::Checkbox(Id("Is Active##", i).c_str(), &v.active);
    if (changed && Editable()) RunEditorCommand(SetEmitterCommand(object.name, i, before, v));
  }
}

void FilterSections(const GameObject& object) {
  const std::vector<FilterRecord> before = ReadFilters(object);
  std::vector<FilterRecord> v = before;
  bool changed = false;
  size_t removeAt = v.size();
  for (size_t i = 0; i < v.size(); ++i) {
    FilterRecord& f = v[i];
    ImGui::Separator();
    int kind = f.kind == 2 ? 1 : 0;
    const char* kinds[] = {"Saturation", "RGBA"};
    if (ImGui::Combo(Id("Type##", 100 + i).c_str(), &kind, kinds, 2)) {
      f.kind = kind == 1 ? 2u : 1u;
      changed = true;
    }
    if (f.kind == 1) {
      ImGui::TextUnformatted("Saturation");
      changed |= ImGui::InputFloat(Id("Saturation Percentage (0-1)##", i).c_str(), &f.saturation);
    } else {
      ImGui::TextUnformatted("RGBA Filter");
      bool tinted = f.color[0] != -1.0f;
      if (ImGui::Checkbox(Id("Color Filter##", i).c_str(), &tinted)) {
        f.color[0] = f.color[1] = f.color[2] = tinted ? 1.0f : -1.0f;
        changed = true;
      }
      if (tinted) changed |= ImGui::ColorEdit3(Id("Filter Color##", i).c_str(), f.color);
      changed |= ImGui::InputFloat(Id("Alpha##", i).c_str(), &f.color[3]);
    }
    if (ImGui::Button(Id("Delete Filter##", i).c_str())) removeAt = i;
  }
  if (removeAt < v.size()) {
    v.erase(v.begin() + static_cast<std::ptrdiff_t>(removeAt));
    changed = true;
  }
  ImGui::Separator();
  if (ImGui::Button("Add Filter")) {
    v.push_back({1, 1.0f, {0.0f, 0.0f, 0.0f, 1.0f}});
    changed = true;
  }
  if (changed && Editable()) {
    RunEditorCommand(SetFiltersCommand(object.name, before, v));
    if (v.size() != before.size()) EditorHistory().EndMerge();
  }
}

}  // namespace

void DrawObjectProperties() {
  GameObject* object = FirstSelected();
  if (object == nullptr) return;
  ImGui::TextUnformatted(object->name.c_str());
  TransformSection(*object);
  ImGui::Separator();
  const std::string word = TypeWord(*object);
  if (word == "Player") PlayerPanel(*object);
  if (word == "Enemy") EnemyPanel(*object);
  if (word == "Text") TextPanel(*object);
  if (word == "UI") UiPanel(*object);
  if (word == "Escapezone") EscapeZonePanel(*object);
  if (word == "Node" && ImGui::Button("Add selected nodes to an existing enemy")) AddSelectedNodesToEnemy();
  ImGui::Separator();
  LightSection(*object);
  EmitterSections(*object);
  FilterSections(*object);
}
