// The two-character configuration file "./Config.lullwick". The first byte switches the log file,
// the second the in-game editor: each flag is the byte's value minus '0', so '0' is off and any other
// byte is on. A missing file leaves both reads at NUL, which turns both flags on (-48).
#pragma once

#include <cstdint>
#include <string>

struct ConfigFlags {
  int32_t logToFile = 0;
  int32_t editorEnabled = 0;
};

// Reads the flags from the file at path. A failed open or a short file is not reported: a byte that
// cannot be read repeats the last byte read (NUL before the first).
ConfigFlags ReadConfig(const std::string& path);

inline constexpr const char* kConfigPath = "./Config.lullwick";
