// The records a level file holds: one ObjectRecord per object (with its filters, emitters and
// light), and the tile records that are written but never read back. The level reader fills them;
// the archetype factory builds objects from them when a scene starts; the editor rebuilds them from
// live objects before saving.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class EscapeDirection : int32_t { Up = 0, Down = 1, Left = 2, Right = 3 };

struct FilterRecord {
  uint32_t kind = 0;  // 1 saturation ("BW"), 2 colour ("RGBA"), 0 none
  float saturation = 0.0f;
  float color[4] = {0.0f, 0.0f, 0.0f, 1.0f};
};

struct EmitterRecord {
  uint32_t shape = 0;  // 0 circle, 1 line
  std::string texture;
  float duration = 0.0f;
  bool loop = false;
  bool active = false;
  float emissionRate = 0.0f;
  int32_t particlesPerEmission = 0;
  float lifeMin = 0.0f, lifeMax = 0.0f;
  float velocityMin = 0.0f, velocityMax = 0.0f;
  float accelerationMin = 0.0f, accelerationMax = 0.0f;
  float rotationMin = 0.0f, rotationMax = 0.0f;
  float directionMin = 0.0f, directionMax = 0.0f;
  float scaleMin = 0.0f, scaleMax = 0.0f;
  int32_t maxParticles = 0;
  bool slowToZero = false;
  float deceleration = 0.0f;
};

struct TileRecord {
  int32_t texture = 0;
  float u = 0.0f, v = 0.0f;
  bool collision = false;
};

struct ObjectRecord {
  std::string id;             // the object's name, e.g. "Wall_12"
  int32_t type = -1;          // ObjectType value; -1 until the "Type" key is read
  float translationX = 0.0f, translationY = 0.0f;
  float scaleX = 0.0f, scaleY = 0.0f;
  float rotation = 0.0f;
  std::string texture;        // empty: the flat colour is used
  float color[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  std::string text;           // a Text object's string
  std::string nextId;         // Node: next node; Enemy: first node; Text: the labelled object
  std::vector<FilterRecord> filters;
  std::vector<EmitterRecord> emitters;
  bool fixedToScreen = false;
  bool hasLight = false;
  float lightIntensity = 0.0f;
  float lightColor[3] = {0.0f, 0.0f, 0.0f};
  float lightFallOffStart = 0.0f;
  float lightFallOffEnd = 0.0f;
  EscapeDirection escapeDirection = EscapeDirection::Up;
  // A UI object's own label: the text its button shows ("Label", "Label_Size", "Label_Alignment").
  // Written only for UI objects that have one, so a file without labels reads and writes as before.
  bool hasLabel = false;
  std::string label;
  float labelSize = 0.0f;        // glyph size; 0 lets the text fit the button's width
  uint32_t labelAlignment = 1;   // 0 left, 1 centred, 2 right
  // Whether a UI object's button calls back when pressed ("Button_Active"); written only for a UI
  // object whose button does not.
  bool buttonActive = true;
};
