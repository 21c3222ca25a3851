#include "gameplay/KeptRuns.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/DecimalNumber.h"
#include "core/FileSync.h"
#include "core/Logger.h"
#include "platform/GameFolders.h"

namespace {

constexpr const char* kRunPrefix = "run-";
constexpr const char* kBestPrefix = "best-";
constexpr const char* kExtension = ".qinput";
constexpr int kNumberDigits = 6;
// A recorded run of an hour at 60 frames a second that changes every frame stays well below this.
constexpr size_t kMaxRunBytes = 64u << 20;

std::string ShortestText(float value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

bool ParseInt(const std::string& text, long long* out) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
  return ec == std::errc() && end == text.data() + text.size();
}

bool IsHexHash(const std::string& text) {
  return text.size() == 16 && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

// The number of a kept run's file name ("run-000042-level1.qinput" -> 42), or -1.
long long RunNumber(const std::string& fileName) {
  if (fileName.rfind(kRunPrefix, 0) != 0) return -1;
  const size_t start = std::char_traits<char>::length(kRunPrefix);
  const size_t dash = fileName.find('-', start);
  if (dash == std::string::npos) return -1;
  long long number = -1;
  return ParseInt(fileName.substr(start, dash - start), &number) ? number : -1;
}

std::string RunsFolder() {
  const std::string probe = UserFilePath(std::string(kRunsFolder) + "/.");
  if (probe.empty()) return {};
  return probe.substr(0, probe.size() - 1);
}

// One "# word value..." line of the header into the facts; other comments are left alone.
void ReadFact(const std::string& line, RunInfo* info, bool* named) {
  std::istringstream words(line.substr(1));
  std::string word;
  if (!(words >> word)) return;
  long long number = 0;
  std::string a, b, c, d;
  if (word == "run" && (words >> a >> b >> c) && b == "scene" && ParseInt(c, &number)) {
    info->level = a;
    info->sceneId = static_cast<int>(number);
    *named = true;
  } else if (word == "level-hash" && (words >> a) && IsHexHash(a)) {
    info->levelHash = a;
  } else if (word == "version" && (words >> a)) {
    info->version = a;
  } else if (word == "seed" && (words >> a) && ParseInt(a, &number) && number >= 0 && number <= 0xFFFFFFFFll) {
    info->seed = static_cast<uint32_t>(number);
    info->hasSeed = true;
  } else if (word == "result" && (words >> a)) {
    info->won = a == "won";
    if (info->won && (words >> b >> c) && ParseDecimal(b, &info->total)) info->rank = c;
  }
}

}  // namespace

std::string TextHash(const std::string& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string LevelFileHash(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in.is_open()) return {};
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return TextHash(bytes.str());
}

std::string RunFileText(const RunInfo& info, const InputScript& script) {
  std::string facts = "# run " + info.level + " scene " + std::to_string(info.sceneId) + "\n";
  if (!info.levelHash.empty()) facts += "# level-hash " + info.levelHash + "\n";
  if (!info.version.empty()) facts += "# version " + info.version + "\n";
  if (info.hasSeed) facts += "# seed " + std::to_string(info.seed) + "\n";
  facts += info.won ? "# result won " + ShortestText(info.total) + " " + info.rank + "\n" : "# result lost\n";
  std::string text = WriteInputScript(script);
  // The facts go right under the first line, "qinput 1".
  const size_t firstLineEnd = text.find('\n');
  text.insert(firstLineEnd == std::string::npos ? text.size() : firstLineEnd + 1, facts);
  return text;
}

bool ReadRunFile(const std::string& text, RunInfo* info, InputScript* script, std::string* why) {
  *info = RunInfo{};
  InputScriptError error;
  if (!ReadInputScript(text, script, &error)) {
    *why = "line " + std::to_string(error.line) + ": " + error.reason;
    return false;
  }
  bool named = false;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') ReadFact(line, info, &named);
  }
  if (!named) {
    *script = InputScript{};
    *why = "it does not say which level it is a run of";
    return false;
  }
  return true;
}

bool LoadRunFile(const std::string& path, RunInfo* info, InputScript* script, std::string* why) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in.is_open()) {
    *why = path + ": " + files::WhyUnreadable(path);
    return false;
  }
  std::string text;
  char chunk[1 << 16];
  while (text.size() <= kMaxRunBytes && in.read(chunk, sizeof(chunk)).gcount() > 0) {
    text.append(chunk, static_cast<size_t>(in.gcount()));
  }
  if (text.size() > kMaxRunBytes) {
    *why = path + ": it is larger than any run";
    return false;
  }
  std::string reason;
  if (!ReadRunFile(text, info, script, &reason)) {
    *why = path + ": " + reason;
    return false;
  }
  return true;
}

std::string ReplayRefusal(const RunInfo& run, const std::string& levelHash, const std::string& version) {
  if (run.levelHash.empty() || levelHash.empty() || run.levelHash != levelHash) {
    return "This replay was recorded on another version of the level; it cannot be played";
  }
  if (!run.version.empty() && run.version != version) {
    return "This replay was recorded by another version of the game; it cannot be played";
  }
  return {};
}

std::vector<std::string> KeptRunFiles() {
  std::vector<std::pair<long long, std::string>> found;
  const std::string folder = RunsFolder();
  std::error_code ec;
  if (folder.empty()) return {};
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder), ec)) {
    const std::string name = Utf8FromPath(entry.path().filename());
    const long long number = RunNumber(name);
    if (number >= 0 && entry.path().extension() == kExtension) found.emplace_back(number, Utf8FromPath(entry.path()));
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  for (auto& [number, path] : found) paths.push_back(std::move(path));
  return paths;
}

bool KeepRun(const RunInfo& info, const InputScript& script, bool best, std::string* why) {
  const std::string folder = RunsFolder();
  if (folder.empty()) {
    *why = "there is no per-user folder to keep runs in";
    return false;
  }
  const std::vector<std::string> kept = KeptRunFiles();
  long long next = 1;
  if (!kept.empty()) next = RunNumber(Utf8FromPath(PathFromUtf8(kept.back()).filename())) + 1;
  char number[32];
  std::snprintf(number, sizeof(number), "%0*lld", kNumberDigits, next);
  const std::string text = RunFileText(info, script);
  const std::string path = folder + kRunPrefix + number + "-" + info.level + kExtension;
  bool ok = files::ReplaceFileContents(path, text, why);
  if (ok) {
    // The oldest runs go once there are more than kKeptRuns (the new one counts).
    const size_t total = kept.size() + 1;
    for (size_t i = 0; i + kKeptRuns < total && i < kept.size(); ++i) {
      std::error_code ec;
      std::filesystem::remove(PathFromUtf8(kept[i]), ec);
      if (ec) Log("Could not remove the old run " + kept[i] + ": " + ec.message(), LogLevel::Warning);
    }
  }
  if (best) {
    std::string bestWhy;
    if (!files::ReplaceFileContents(folder + kBestPrefix + info.level + kExtension, text, &bestWhy)) {
      if (ok) *why = bestWhy;
      ok = false;
    }
  }
  return ok;
}

std::string BestRunPath(const std::string& level) {
  const std::string folder = RunsFolder();
  if (folder.empty() || level.empty()) return {};
  const std::string path = folder + kBestPrefix + level + kExtension;
  std::error_code ec;
  return std::filesystem::is_regular_file(PathFromUtf8(path), ec) ? path : std::string();
}

std::string ShippedRunPath(const std::string& level) { return "./Assets/Runs/" + level + kExtension; }
