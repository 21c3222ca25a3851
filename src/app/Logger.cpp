#include "app/Logger.h"

#include <fstream>
#include <list>
#include <map>
#include <memory>
#include <utility>

namespace {

struct LogSink {
  std::string fileName;
  std::unique_ptr<std::ofstream> stream;
};

using SinkKey = std::pair<int32_t, int32_t>;  // (category, level); -1 stands for any

struct LoggerState {
  int32_t logToFile = 0;
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

void WriteTo(const SinkKey& key, const std::string& text) {
  // Looking a key up for writing creates its (empty) list, as the sink table always has.
  for (LogSink& sink : State().sinks[key]) {
    if (sink.stream && sink.stream->is_open()) *sink.stream << text;
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
  // A message without a level goes to the catch-all sinks once, not twice.
  if (level != LogLevel::Any) WriteTo({-1, static_cast<int32_t>(level)}, text);
  WriteTo({-1, -1}, text);
}

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
  if (category != LogCategory::Any) WriteTo({static_cast<int32_t>(category), -1}, text);
  WriteTo({-1, -1}, text);
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
