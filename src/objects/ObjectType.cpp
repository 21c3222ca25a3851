#include "objects/ObjectType.h"

#include <map>

namespace {

const std::map<std::string, int32_t>& NameToValue() {
  static const std::map<std::string, int32_t> table = {
      {"Player", 1},  {"Food", 2},       {"Enemy", 3},         {"Vent", 4},        {"Cover", 5},
      {"Glass", 6},   {"Wall", 7},       {"Collection", 8},    {"Background", 9},  {"Text", 10},
      {"Kill_zone", 11}, {"Escapebarrier", 12}, {"Escapezone", 13}, {"Node", 15},  {"UI", 16},
      {"Light", 18}};
  return table;
}

const std::map<int32_t, std::string>& ValueToName() {
  static const std::map<int32_t, std::string> table = [] {
    std::map<int32_t, std::string> t;
    for (const auto& [name, value] : NameToValue()) t[value] = name;
    return t;
  }();
  return table;
}

}  // namespace

std::string TypeName(int32_t type) {
  auto it = ValueToName().find(type);
  return it == ValueToName().end() ? "invalid" : it->second;
}

int32_t TypeFromName(const std::string& name) {
  auto it = NameToValue().find(name);
  return it == NameToValue().end() ? 0 : it->second;
}

bool IsTypeName(const std::string& name) { return NameToValue().count(name) != 0; }
