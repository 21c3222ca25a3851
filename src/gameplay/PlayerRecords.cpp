#include "gameplay/PlayerRecords.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/DecimalNumber.h"
#include "core/FileSync.h"
#include "core/Logger.h"
#include "platform/GameFolders.h"
#include "scenes/Level.h"
#include "widgets/WriteNotice.h"

namespace {

constexpr const char* kHeader = "qrecords 1";
// A level's name is a file name the game ships or a designer gives; anything longer is not one.
constexpr size_t kMaxNameLength = 64;
// A records file holds a line per level; a file this large is something else.
constexpr size_t kMaxRecordsBytes = 64 * 1024;
// No level takes longer than a day; a larger total is a damaged number.
constexpr float kMaxTotal = 86400.0f;

struct RecordsModule {
  bool loaded = false;
  bool damaged = false;  // the file on disk could not be read and has not been set aside yet
  PlayerRecords records;
  std::string problem;
};

RecordsModule& Module() {
  static RecordsModule module;
  return module;
}

bool NameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.';
}

bool ValidName(const std::string& name) {
  if (name.empty() || name.size() > kMaxNameLength || name[0] == '.') return false;
  for (char c : name) {
    if (!NameChar(c)) return false;
  }
  return true;
}

bool ValidRank(const std::string& rank) { return rank == "s" || rank == "a" || rank == "b" || rank == "c"; }

std::string ShortestText(float value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

bool Fail(int line, const std::string& reason, PlayerRecords* records, std::string* why) {
  records->clear();
  if (why != nullptr) *why = "line " + std::to_string(line) + ": " + reason;
  return false;
}

// The whole file, or false with the reason when it cannot be read or is too large to be records.
bool ReadWholeFile(const std::string& path, std::string* text, std::string* why) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in.is_open()) {
    *why = files::WhyUnreadable(path);
    return false;
  }
  char chunk[4096];
  while (text->size() <= kMaxRecordsBytes && in.read(chunk, sizeof(chunk)).gcount() > 0) {
    text->append(chunk, static_cast<size_t>(in.gcount()));
  }
  if (text->size() > kMaxRecordsBytes) {
    *why = "it is larger than a records file can be";
    return false;
  }
  return true;
}

void Load() {
  RecordsModule& m = Module();
  m = RecordsModule{};
  m.loaded = true;
  const std::string path = UserFilePath(kRecordsFile);
  if (path.empty()) return;
  std::error_code ec;
  if (!std::filesystem::exists(PathFromUtf8(path), ec)) return;
  std::string text, why;
  if (!ReadWholeFile(path, &text, &why) || !ReadPlayerRecords(text, &m.records, &why)) {
    m.records.clear();
    m.damaged = true;
    m.problem = "Your records could not be read; they start again";
    LogProblem("Damaged records file " + path + ": " + why + "; no records are shown", LogLevel::Warning);
  }
}

// A damaged records file is moved aside before the first new best replaces it.
void SetDamagedFileAside(const std::string& path) {
  RecordsModule& m = Module();
  if (!m.damaged) return;
  m.damaged = false;
  const std::string aside = UserFilePath(kDamagedRecordsFile);
  std::error_code ec;
  if (!aside.empty()) std::filesystem::rename(PathFromUtf8(path), PathFromUtf8(aside), ec);
  if (ec) LogProblem("Could not keep the damaged records file as " + aside + ": " + ec.message(), LogLevel::Warning);
}

}  // namespace

bool ReadPlayerRecords(const std::string& text, PlayerRecords* records, std::string* why) {
  records->clear();
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  bool headerSeen = false;
  PlayerRecords read;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (!headerSeen) {
      if (line != kHeader) return Fail(number, "not a records file (it should begin with \"qrecords 1\")", records, why);
      headerSeen = true;
      continue;
    }
    std::istringstream words(line);
    std::string name, total, rank, extra;
    if (!(words >> name >> total >> rank) || (words >> extra)) {
      return Fail(number, "a record is a level name, a total time and a rank", records, why);
    }
    if (!ValidName(name)) return Fail(number, "'" + name + "' is not a level's name", records, why);
    LevelBest best;
    if (!ParseDecimal(total, &best.total) || !std::isfinite(best.total) || best.total < 0.0f ||
        best.total > kMaxTotal) {
      return Fail(number, "'" + total + "' is not a total time in seconds", records, why);
    }
    if (!ValidRank(rank)) return Fail(number, "'" + rank + "' is not a rank (s, a, b or c)", records, why);
    best.rank = rank;
    if (!read.emplace(name, best).second) return Fail(number, name + " has two records", records, why);
  }
  if (!headerSeen) return Fail(number, "not a records file (it holds no \"qrecords 1\")", records, why);
  *records = std::move(read);
  return true;
}

std::string WritePlayerRecords(const PlayerRecords& records) {
  std::string text = "# Quillmarch records: each level's best total time in seconds and its rank.\n";
  text += kHeader;
  text += '\n';
  for (const auto& [name, best] : records) {
    text += name + " " + ShortestText(best.total) + " " + best.rank + "\n";
  }
  return text;
}

std::string LevelRecordName(const Level& level) {
  std::string name = Utf8FromPath(PathFromUtf8(level.path).stem());
  return ValidName(name) ? name : std::string();
}

const PlayerRecords& Records() {
  if (!Module().loaded) Load();
  return Module().records;
}

const std::string& RecordsProblem() {
  if (!Module().loaded) Load();
  return Module().problem;
}

void ForgetRecords() { Module() = RecordsModule{}; }

bool OfferRecord(const std::string& level, float total, const std::string& rank) {
  if (!ValidName(level) || !ValidRank(rank) || !std::isfinite(total) || total < 0.0f || total > kMaxTotal) {
    return false;
  }
  Records();
  RecordsModule& m = Module();
  auto found = m.records.find(level);
  if (found != m.records.end() && found->second.total <= total) return false;
  m.records[level] = LevelBest{total, rank};
  const std::string path = UserFilePath(kRecordsFile);
  std::string why;
  if (path.empty()) {
    ReportWriteFailure("Your records could not be saved", "there is no per-user folder to keep the records in");
    return true;
  }
  SetDamagedFileAside(path);
  if (!files::ReplaceFileContents(path, WritePlayerRecords(m.records), &why)) {
    ReportWriteFailure("Your records could not be saved", why);
  }
  return true;
}
