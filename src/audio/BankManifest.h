// A bank manifest: the small line-based text file that lists a bank's buses and events, with each
// event's bus, sound files, loop flag, volume, pitch variation, positioning and parameter-driven
// layers. The format is described in Assets/Music/README.md. The parser is plain C++ with no
// platform dependency; it accepts exactly that grammar and rejects everything else with a reason,
// so a bad or hostile file can only fail to load, never crash the game.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Limits that keep a manifest small enough to trust.
inline constexpr size_t kMaxManifestBytes = 1 << 20;
inline constexpr size_t kMaxManifestLine = 1024;
inline constexpr size_t kMaxBankEvents = 4096;
inline constexpr size_t kMaxBankBuses = 256;
inline constexpr size_t kMaxEventSounds = 64;
inline constexpr size_t kMaxEventLayers = 4;

// A second sound that plays in step with the event's sound, its gain following a parameter (0..1).
struct BankLayer {
  std::string parameter;     // "parameter:/Chase"
  std::string file;          // relative to the manifest's folder
  float fadeSeconds = 0.0f;  // time for the gain to travel from 0 to 1
};

struct BankEvent {
  std::string path;                 // "event:/SFX/Player/PlayerThrow"
  std::string bus;                  // "bus:/SFX"; empty: straight to the output
  std::vector<std::string> sounds;  // relative to the manifest's folder; one is picked per instance
  bool loop = false;
  float volume = 1.0f;              // linear gain, 0..1
  float pitch = 0.0f;               // random variation in semitones either way, 0..12
  bool positioned = false;          // has the distance and direction parameters
  std::vector<BankLayer> layers;
  int line = 0;                     // line of its "event" key, for messages
};

struct BankManifest {
  std::vector<std::string> buses;
  std::vector<BankEvent> events;
};

// Parses manifest text. On failure returns false, leaves *out empty and sets *error to
// "line N: reason" (or a reason without a line for whole-file problems).
bool ParseBankManifest(std::string_view text, BankManifest* out, std::string* error);

enum class BankReadStatus { Ok, FileNotFound, FileBad };

// Reads and parses the manifest file at `path`. A file that cannot be opened is FileNotFound; one
// that is too large or does not parse is FileBad, and the reason is logged at ERROR level.
BankReadStatus ReadBankManifest(const std::string& path, BankManifest* out);

// The prefixes every path of each kind carries.
bool IsEventPath(std::string_view path);
bool IsBusPath(std::string_view path);
bool IsParameterPath(std::string_view path);
