#include "audio/BankManifest.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <set>

#include "core/DecimalNumber.h"
#include "core/Logger.h"

namespace {

constexpr std::string_view kHeaderWord = "quillbank";
constexpr std::string_view kVersion = "1";
constexpr size_t kMaxPathLength = 255;
constexpr std::string_view kDistanceParameter = "parameter:/NoAutoDistance";
constexpr std::string_view kDirectionParameter = "parameter:/NoAutoDirection";

std::string LineError(int line, const std::string& reason) { return "line " + std::to_string(line) + ": " + reason; }

std::string Quote(std::string_view s) {
  // Built by appending: GCC 12 misreads `"\"" + std::string(s)` as an overlapping copy (-Wrestrict).
  std::string quoted;
  quoted.reserve(s.size() + 2);
  quoted.append(1, '"').append(s).append(1, '"');
  return quoted;
}

// Splits at spaces and tabs. Every token is printable ASCII by the time this runs.
std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> tokens;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

bool HasPrefixAndName(std::string_view path, std::string_view prefix) {
  return path.size() > prefix.size() && path.size() <= kMaxPathLength && path.substr(0, prefix.size()) == prefix;
}

// A file name relative to the manifest's folder that cannot climb out of it.
bool IsSafeRelativeFile(std::string_view file) {
  if (file.empty() || file.size() > kMaxPathLength || file.front() == '/') return false;
  if (file.find('\\') != std::string_view::npos || file.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= file.size()) {
    size_t end = file.find('/', start);
    if (end == std::string_view::npos) end = file.size();
    std::string_view part = file.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

bool ParseNumber(std::string_view token, float min, float max, float* value) {
  float v = 0.0f;
  if (!ParseDecimal(token, &v) || !std::isfinite(v)) return false;
  if (v < min || v > max) return false;
  *value = v;
  return true;
}

bool ParseYesNo(std::string_view token, bool* value) {
  if (token == "yes") *value = true;
  else if (token == "no") *value = false;
  else return false;
  return true;
}

class Parser {
 public:
  bool Run(std::string_view text, BankManifest* out, std::string* error);

 private:
  bool Fail(const std::string& reason) {
    error_ = LineError(line_, reason);
    return false;
  }
  bool TopLevel(const std::vector<std::string_view>& t);
  bool InEvent(const std::vector<std::string_view>& t);
  bool CloseEvent();
  bool Once(std::string_view key) {
    if (!seen_.insert(std::string(key)).second) return Fail(Quote(key) + " given twice in one event");
    return true;
  }

  BankManifest manifest_;
  std::string error_;
  int line_ = 0;
  bool headerSeen_ = false;
  bool inEvent_ = false;
  BankEvent event_;
  std::set<std::string> seen_;         // single-valued keys of the open event
  std::set<std::string> eventPaths_;
  std::set<std::string> busPaths_;
};

bool Parser::TopLevel(const std::vector<std::string_view>& t) {
  if (t[0] == "bus") {
    if (t.size() != 2) return Fail("\"bus\" takes one bus path");
    if (!IsBusPath(t[1])) return Fail(Quote(t[1]) + " is not a bus path (bus:/...)");
    if (!busPaths_.insert(std::string(t[1])).second) return Fail("bus " + Quote(t[1]) + " declared twice");
    if (manifest_.buses.size() >= kMaxBankBuses) return Fail("too many buses");
    manifest_.buses.emplace_back(t[1]);
    return true;
  }
  if (t[0] == "event") {
    if (t.size() != 2) return Fail("\"event\" takes one event path");
    if (!IsEventPath(t[1])) return Fail(Quote(t[1]) + " is not an event path (event:/...)");
    if (!eventPaths_.insert(std::string(t[1])).second) return Fail("event " + Quote(t[1]) + " declared twice");
    if (manifest_.events.size() >= kMaxBankEvents) return Fail("too many events");
    inEvent_ = true;
    event_ = BankEvent{};
    event_.path = std::string(t[1]);
    event_.line = line_;
    seen_.clear();
    return true;
  }
  if (t[0] == "end") return Fail("\"end\" without an open event");
  return Fail("unknown key " + Quote(t[0]) + " outside an event");
}

bool Parser::InEvent(const std::vector<std::string_view>& t) {
  std::string_view key = t[0];
  if (key == "end") {
    if (t.size() != 1) return Fail("\"end\" takes no value");
    return CloseEvent();
  }
  if (key == "event") return Fail("event " + Quote(event_.path) + " has no \"end\" before the next event");
  if (key == "layer") {
    if (t.size() != 4) return Fail("\"layer\" takes a parameter path, a file and a fade time");
    if (!IsParameterPath(t[1])) return Fail(Quote(t[1]) + " is not a parameter path (parameter:/...)");
    if (!IsSafeRelativeFile(t[2])) return Fail(Quote(t[2]) + " is not a file inside the bank's folder");
    BankLayer layer;
    if (!ParseNumber(t[3], 0.0f, 60.0f, &layer.fadeSeconds)) return Fail("fade time must be 0 to 60 seconds");
    for (const BankLayer& other : event_.layers) {
      if (other.parameter == t[1]) return Fail("parameter " + Quote(t[1]) + " drives two layers");
    }
    if (event_.layers.size() >= kMaxEventLayers) return Fail("too many layers");
    layer.parameter = std::string(t[1]);
    layer.file = std::string(t[2]);
    event_.layers.push_back(std::move(layer));
    return true;
  }
  if (key == "sound") {
    if (t.size() != 2) return Fail("\"sound\" takes one file");
    if (!IsSafeRelativeFile(t[1])) return Fail(Quote(t[1]) + " is not a file inside the bank's folder");
    if (event_.sounds.size() >= kMaxEventSounds) return Fail("too many sounds");
    event_.sounds.emplace_back(t[1]);
    return true;
  }
  if (key != "bus" && key != "loop" && key != "volume" && key != "pitch" && key != "positioned") {
    return Fail("unknown key " + Quote(key) + " in event " + Quote(event_.path));
  }
  if (t.size() != 2) return Fail(Quote(key) + " takes one value");
  if (!Once(key)) return false;
  std::string_view v = t[1];
  if (key == "bus") {
    if (!IsBusPath(v)) return Fail(Quote(v) + " is not a bus path (bus:/...)");
    event_.bus = std::string(v);
  } else if (key == "loop") {
    if (!ParseYesNo(v, &event_.loop)) return Fail("\"loop\" is yes or no");
  } else if (key == "positioned") {
    if (!ParseYesNo(v, &event_.positioned)) return Fail("\"positioned\" is yes or no");
  } else if (key == "volume") {
    if (!ParseNumber(v, 0.0f, 1.0f, &event_.volume)) return Fail("\"volume\" is a number from 0 to 1");
  } else {
    if (!ParseNumber(v, 0.0f, 12.0f, &event_.pitch)) return Fail("\"pitch\" is a number of semitones from 0 to 12");
  }
  return true;
}

bool Parser::CloseEvent() {
  if (event_.sounds.empty()) return Fail("event " + Quote(event_.path) + " has no sound");
  if (event_.positioned) {
    for (const BankLayer& layer : event_.layers) {
      if (layer.parameter == kDistanceParameter || layer.parameter == kDirectionParameter) {
        return Fail("parameter " + Quote(layer.parameter) + " is already the event's position");
      }
    }
  }
  manifest_.events.push_back(std::move(event_));
  event_ = BankEvent{};
  inEvent_ = false;
  return true;
}

bool Parser::Run(std::string_view text, BankManifest* out, std::string* error) {
  *out = BankManifest{};
  if (text.size() > kMaxManifestBytes) {
    *error = "larger than " + std::to_string(kMaxManifestBytes) + " bytes";
    return false;
  }
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxManifestLine) {
      *error = LineError(line_, "longer than " + std::to_string(kMaxManifestLine) + " characters");
      return false;
    }
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) continue;
    // Comment lines may hold any text; everything else is printable ASCII.
    if (line[first] == '#') continue;
    for (char c : line) {
      unsigned char u = static_cast<unsigned char>(c);
      if ((u < 0x20 && c != '\t') || u > 0x7E) {
        *error = LineError(line_, "a character that is not printable ASCII outside a comment");
        return false;
      }
    }
    std::vector<std::string_view> t = Tokens(line);
    bool ok;
    if (!headerSeen_) {
      if (t[0] != kHeaderWord) {
        ok = Fail("the first line must be \"quillbank 1\"");
      } else if (t.size() != 2 || t[1] != kVersion) {
        ok = Fail("unsupported manifest version (this game reads \"quillbank 1\")");
      } else {
        headerSeen_ = ok = true;
      }
    } else {
      ok = inEvent_ ? InEvent(t) : TopLevel(t);
    }
    if (!ok) {
      *error = error_;
      return false;
    }
  }
  if (!headerSeen_) {
    *error = "empty: the first line must be \"quillbank 1\"";
    return false;
  }
  if (inEvent_) {
    *error = LineError(event_.line, "event " + Quote(event_.path) + " has no \"end\"");
    return false;
  }
  *out = std::move(manifest_);
  return true;
}

}  // namespace

bool IsEventPath(std::string_view path) { return HasPrefixAndName(path, "event:/"); }
bool IsBusPath(std::string_view path) { return HasPrefixAndName(path, "bus:/"); }
bool IsParameterPath(std::string_view path) { return HasPrefixAndName(path, "parameter:/"); }

bool ParseBankManifest(std::string_view text, BankManifest* out, std::string* error) {
  Parser parser;
  std::string reason;
  bool ok = parser.Run(text, out, &reason);
  if (error != nullptr) *error = ok ? std::string() : reason;
  return ok;
}

BankReadStatus ReadBankManifest(const std::string& path, BankManifest* out) {
  *out = BankManifest{};
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Log("Sound bank not found: " + path, LogLevel::Warning);
    return BankReadStatus::FileNotFound;
  }
  // Read one byte past the limit so an oversized file is noticed without reading all of it.
  std::string text(kMaxManifestBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  std::string reason;
  if (!ParseBankManifest(text, out, &reason)) {
    Log("Malformed sound bank: " + path + ": " + reason, LogLevel::Error);
    return BankReadStatus::FileBad;
  }
  return BankReadStatus::Ok;
}
