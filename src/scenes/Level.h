// A scene of the game and its level file. Every scene (splash screens, menus, levels, end screens)
// is one `Level`: what its file holds (textures, object records, ambient light, ranks ...), the
// scene manager's per-scene state, and the per-level game state of the level rules. The scene list
// owns the Levels for the whole run.
//
// The file looks like JSON but every value is a string in double quotes, and it is read by a small
// character-level reader of its own: LoadLevel turns a file into a Level, SaveLevel writes a Level
// back in one fixed layout.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "objects/LevelRecords.h"

struct Level {
  // ---- What the level file holds ---------------------------------------------------------------
  std::string path;  // the file it was read from and is saved to
  // Texture names as listed under "Textures". The reader only records them, so it works without a
  // graphics device (headless runs, the level tool); the scene start loads "./Assets/" + name
  // through the texture manager, so only the running scene's textures are loaded, when it starts.
  std::vector<std::string> textures;
  std::vector<ObjectRecord> objects;
  float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};  // R, G, B and intensity
  std::vector<TileRecord> tiles;                // written, never read back
  // Event name ("music3") -> event path ("event:/Music/..."); read, never written. The reader
  // registers each with the audio system; the scene manager stops them when the scene ends.
  std::map<std::string, std::string> music;
  std::vector<std::string> attributes;  // attribute file names, read in order at scene start
  uint32_t lives = 0;
  uint32_t foodGoal = 0;
  float sRank = 0.0f;  // rank thresholds in seconds of total time (lower is better)
  float aRank = 0.0f;
  float bRank = 0.0f;

  // ---- Scene state (the scene manager's) ------------------------------------------------------
  int32_t sceneIndex = 0;    // index in the scene list, set when appended
  int32_t sceneId = 0;       // identity; navigation goes by id
  float time = 0.0f;         // seconds since the scene started
  bool exitStarted = false;  // a timed exit is under way
  float followLimit = 1.0f;  // the camera follows the player while exitTimer is below this
  float exitDelay = 3.0f;    // length of the timed exit before the fade-out
  float exitTimer = 0.0f;
  float exitStartTime = 0.0f;
  bool exitTimeTaken = false;
  float fadeTimer = 0.0f;
  float skipFadeTimer = 0.0f;
  float fadeDuration = 1.0f;
  bool fadeInDone = false;
  bool leaveRequested = false;
  bool gameOver = false;
  bool splashSkipped = false;
  bool isSplash = false;

  // ---- Per-level game state (the level rules') ------------------------------------------------
  int32_t foodCount = 0;      // Food objects built for the level
  int32_t foodCollected = 0;  // pieces delivered to the collection zone
  bool goalReached = false;   // foodCollected reached the food goal

  // Puts the scene state back to its start values (zero and false; followLimit 1, exitDelay 3,
  // fadeDuration 1). sceneIndex and sceneId stay; the game state is the level rules' to reset.
  void ResetSceneState();
};

// Reads the level file at `path`. Returns the new Level, or null after logging the reason at
// ERROR with the file and, where it applies, its line and key ("Could not open the level file ",
// "Not a level File: ", "Malformed Level file: "). A file that ends early is read as far as it goes
// and reported at WARNING ("Level file cut short: "). With the log off these go to standard error
// (LogProblem). Does not touch the scene list. Music entries are registered with the audio system
// as they are read.
std::unique_ptr<Level> LoadLevel(const std::string& path);
// The same reader on text already in memory; `path` becomes the Level's path and names the file in
// messages.
std::unique_ptr<Level> LoadLevelFromText(const std::string& text, const std::string& path);

// Writes the Level to its path in the fixed layout, replacing the file atomically (the old file
// stays intact on any failure; a link is written through, a read-only file refused). False after
// logging "Unable to open file to write: " and the reason at ERROR when the file cannot be written,
// or "Unable to write the level: " and the reason when the level holds something the reader would
// not read back (see FindUnwritableValue; the text is also read back before it is written). The
// reason, fit to show a designer, goes to *error when given.
bool SaveLevel(const Level& level, std::string* error = nullptr);
// The exact text SaveLevel writes.
std::string LevelToText(const Level& level);
// Why the level cannot be written faithfully: a written text that holds a double quote (the format
// has no escapes) or a written number that is not finite. Empty when every value can be written.
std::string FindUnwritableValue(const Level& level);

// Whether music entries are registered with the audio system while reading (on by default). The
// level tool and the fuzz targets read files without an audio system.
void SetLevelMusicRegistration(bool enabled);
