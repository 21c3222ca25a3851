#include "core/Logger.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <list>
#include <map>
#include <memory>
#include <utility>

#include "core/FileSync.h"

namespace {

struct LogSink {
  std::string fileName;
  std::unique_ptr<std::ofstream> stream;
  uint64_t size = 0;  // bytes written to the file since it was truncated or cut
};

using SinkKey = std::pair<int32_t, int32_t>;  // (category, level); -1 stands for any

struct LoggerState {
  int32_t logToFile = 0;
  bool problemsToStandardError = false;
  std::map<SinkKey, std::list<LogSink>> sinks;
};

LoggerState& State() {
  static LoggerState state;
  return state;
}

const std::map<int32_t, std::string>& LevelNames() {
  static const std::map<int32_t, std::string> names = {
      {0, "INFO"}, {1, "DEBUG"}, {2, "WARNING"}, {3, "ERROR"}};
  return names;
}

const std::map<int32_t, std::string>& CategoryNames() {
  // Spelled as the log file has always spelled them.
  static const std::map<int32_t, std::string> names = {
      {0, "SYSTEM"}, {1, "PHYSICS"},       {2, "COLLISION"}, {3, "OBJECTMANAGMENT"}, {4, "INPUT"},
      {5, "GRAPHICS"}, {6, "SERIALIZATION"}, {7, "CHRASH"},    {8, "SOUND"}};
  return names;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Cuts a sink's file down to its newest kLogFileKept bytes, starting at a whole line under a line
// that says so, and goes on appending to it.
void KeepLastPart(LogSink& sink) {
  sink.stream->close();
  const std::string text = ReadWholeFile(sink.fileName);
  size_t from = text.size() > kLogFileKept ? static_cast<size_t>(text.size() - kLogFileKept) : 0;
  if (from > 0) {
    const size_t lineEnd = text.find('\n', from - 1);
    from = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
  }
  const std::string kept = "-INFO- The log passed " + std::to_string(kLogFileLimit) +
                           " bytes: its older lines were dropped\n" + text.substr(from);
  // Replaced in one step, so a crash now leaves the old file or the cut one, never half of it.
  if (!files::ReplaceFileBytes(sink.fileName, kept)) {
    std::ofstream(sink.fileName, std::ios::binary | std::ios::trunc) << kept;
  }
  sink.stream = std::make_unique<std::ofstream>(sink.fileName, std::ios::out | std::ios::app);
  sink.size = kept.size();
}

// `flush`: the line goes to the file now, not when the buffer fills (warnings and errors must
// survive a crash that follows them).
void WriteTo(const SinkKey& key, const std::string& text, bool flush) {
  // Looking a key up for writing creates its (empty) list, as the sink table always has.
  for (LogSink& sink : State().sinks[key]) {
    if (!sink.stream || !sink.stream->is_open()) continue;
    *sink.stream << text;
    sink.size += text.size();
    if (sink.size > kLogFileLimit) {
      KeepLastPart(sink);
    } else if (flush) {
      sink.stream->flush();
    }
  }
}

}  // namespace

void SetLogToFile(int32_t flag) { State().logToFile = flag; }
int32_t LogToFile() { return State().logToFile; }

std::string LogLevelName(LogLevel level) {
  auto it = LevelNames().find(static_cast<int32_t>(level));
  return it == LevelNames().end() ? std::string() : it->second;
}

std::string LogCategoryName(LogCategory category) {
  auto it = CategoryNames().find(static_cast<int32_t>(category));
  return it == CategoryNames().end() ? std::string() : it->second;
}

void Log(std::string message, LogLevel level) {
  if (State().logToFile == 0) return;
  std::string text;
  text.reserve(message.size() + 12);
  std::string name = LogLevelName(level);
  if (level != LogLevel::Any && !name.empty()) {
    text += "-";
    text += name;
    text += "- ";
  }
  text += message;
  text += '\n';
  const bool flush = level == LogLevel::Warning || level == LogLevel::Error;
  // A message without a level goes to the catch-all sinks once, not twice.
  if (level != LogLevel::Any) WriteTo({-1, static_cast<int32_t>(level)}, text, flush);
  WriteTo({-1, -1}, text, flush);
}

void LogProblem(std::string message, LogLevel level) {
  if (State().logToFile != 0) {
    Log(std::move(message), level);
    return;
  }
  if (!State().problemsToStandardError) return;
  const std::string name = LogLevelName(level);
  std::fprintf(stderr, "%s%s\n", name.empty() ? "" : ("-" + name + "- ").c_str(), message.c_str());
}

void SetProblemsToStandardError(bool on) { State().problemsToStandardError = on; }

void LogCategoryMessage(std::string message, LogCategory category) {
  if (State().logToFile == 0) return;
  std::string text;
  std::string name = LogCategoryName(category);
  if (!name.empty()) {
    text += "[";
    text += name;
    text += "] ";
  }
  text += message;
  text += '\n';
  // Category messages report failures (buffers the device would not make): flushed at once.
  if (category != LogCategory::Any) WriteTo({static_cast<int32_t>(category), -1}, text, true);
  WriteTo({-1, -1}, text, true);
}

void AddLogFile(const std::string& fileName) {
  // Only the first sink already writing this file is replaced.
  bool removed = false;
  for (auto& [key, list] : State().sinks) {
    for (auto it = list.begin(); it != list.end(); ++it) {
      if (it->fileName == fileName) {
        list.erase(it);
        removed = true;
        break;
      }
    }
    if (removed) break;
  }
  LogSink sink;
  sink.fileName = fileName;
  sink.stream = std::make_unique<std::ofstream>(fileName, std::ios::out | std::ios::trunc);
  State().sinks[{-1, -1}].push_back(std::move(sink));
}

void CloseLogFiles() {
  for (auto& [key, list] : State().sinks) {
    for (LogSink& sink : list) {
      if (sink.stream && sink.stream->is_open()) sink.stream->close();
    }
  }
}

void ClearLogSinks() { State().sinks.clear(); }
