// The game's log. Messages go to file sinks keyed by (category, level); the program registers one
// catch-all sink, "./output.log", when the configuration's first flag is on. With logging off every
// message is dropped before it is formatted. Writes are buffered; sinks are flushed and closed at
// shutdown by CloseLogFiles.
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

// Writes "-LEVEL- message" to the sinks of that level, then to the catch-all sinks.
void Log(std::string message, LogLevel level);
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
