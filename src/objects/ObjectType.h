// Object kinds. The kind decides collision filtering and special handling; level files and the editor
// name them with the words of TypeName / TypeFromName.
#pragma once

#include <cstdint>
#include <string>

enum class ObjectType : uint32_t {
  Plain = 0,  // patrol nodes and temporary objects
  Player = 1,
  Food = 2,
  Enemy = 3,
  Vent = 4,
  Cover = 5,
  Glass = 6,
  Wall = 7,
  Collection = 8,
  Background = 9,
  Text = 10,
  KillZone = 11,
  EscapeBarrier = 12,
  EscapeZone = 13,
  Node = 15,
  UI = 16,
  Transition = 17,
  Light = 18,
};

// "Player", "Kill_zone", ... ; "invalid" for a value with no name (0, 14, 17 and anything else).
std::string TypeName(int32_t type);
// The value of a type word; 0 when the word is not known.
int32_t TypeFromName(const std::string& name);
// True when the word is one of the known type words.
bool IsTypeName(const std::string& name);
