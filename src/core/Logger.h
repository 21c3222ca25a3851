// The game's log. Messages go to file sinks keyed by (category, level); the program registers one
// catch-all sink, "./output.log", when the configuration's first flag is on. With logging off every
// message is dropped before it is formatted. Writes are buffered, but warnings and errors are
// flushed at once so a crash keeps its reason; sinks are flushed and closed at shutdown by
// CloseLogFiles. A file that grows past kLogFileLimit bytes keeps only its last part (the newest
// kLogFileKept bytes, whole lines), so hours of per-frame lines never fill the disk.
#pragma once

#include <cstdint>
#include <string>

enum class LogLevel : int32_t { Any = -1, Info = 0, Debug = 1, Warning = 2, Error = 3 };

enum class LogCategory : int32_t {
  Any = -1,
  System = 0,
  Physics = 1,
  Collision = 2,
  ObjectManagement = 3,
  Input = 4,
  Graphics = 5,
  Serialization = 6,
  Crash = 7,
  Sound = 8,
};

inline constexpr uint64_t kLogFileLimit = uint64_t{8} << 20;
inline constexpr uint64_t kLogFileKept = uint64_t{4} << 20;

// Writes "-LEVEL- message" to the sinks of that level, then to the catch-all sinks.
void Log(std::string message, LogLevel level);
// Logs a problem a level designer must see whatever the configuration says: a level or attribute
// file that is damaged, cut short or missing. With the log off it goes to standard error instead,
// once SetProblemsToStandardError has turned that on (the game does; tests and tools do not).
void LogProblem(std::string message, LogLevel level);
void SetProblemsToStandardError(bool on);
// Writes "[CATEGORY] message" to the sinks of that category, then to the catch-all sinks.
void LogCategoryMessage(std::string message, LogCategory category);
// Registers a catch-all file sink, replacing the first sink already writing to that file name.
// The file is truncated. A file that cannot be opened leaves a sink that writes nothing.
void AddLogFile(const std::string& fileName);
// Flushes and closes every sink's file (the sinks stay registered).
void CloseLogFiles();
// Forgets every sink (tests use it to start clean).
void ClearLogSinks();

// The logger's on/off switch, the configuration's `logToFile` flag (non-zero is on).
void SetLogToFile(int32_t flag);
int32_t LogToFile();

// Names of the tables, as they appear in the file ("INFO", "OBJECTMANAGMENT", ...); empty when unknown.
std::string LogLevelName(LogLevel level);
std::string LogCategoryName(LogCategory category);
