#include "app/Config.h"

#include <fstream>

ConfigFlags ReadConfig(const std::string& path) {
  ConfigFlags flags;
  std::ifstream file(path, std::ios::in | std::ios::binary);
  // One character variable for both reads: a failed read leaves it as it was.
  char c = 0;
  file.get(c);
  flags.logToFile = static_cast<int32_t>(c) - 48;
  file.get(c);
  flags.editorEnabled = static_cast<int32_t>(c) - 48;
  return flags;
}
