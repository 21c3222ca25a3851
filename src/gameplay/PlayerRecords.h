// The player's records: the best total time and its rank for each level, kept in the per-user
// folder ("Records.lullwick") and read once when first asked for. A level is named by its file's
// name without the folder and the ".json" ("level1"). The file is a few lines of text:
//
//   qrecords 1
//   level1 105.78 s
//
// A damaged file is read as no records at all, with the reason logged and shown on the level
// select; it is kept aside as "Records.damaged.lullwick" before a new best replaces it, so the
// player's file is never lost. Writes go through the atomic writer.
#pragma once

#include <map>
#include <string>

struct Level;

struct LevelBest {
  float total = 0.0f;  // seconds of total time (base time plus the food penalty); lower is better
  std::string rank;    // "s", "a", "b" or "c"
  bool operator==(const LevelBest& other) const = default;
};

using PlayerRecords = std::map<std::string, LevelBest>;

inline constexpr const char* kRecordsFile = "Records.lullwick";
inline constexpr const char* kDamagedRecordsFile = "Records.damaged.lullwick";

// Reads records text. False with the reason (naming the line) when the text is not a records file;
// *records is then empty.
bool ReadPlayerRecords(const std::string& text, PlayerRecords* records, std::string* why);
// The text of the records, which ReadPlayerRecords reads back equal.
std::string WritePlayerRecords(const PlayerRecords& records);

// The name records and kept runs know a level by: its file name without folder and extension.
std::string LevelRecordName(const Level& level);

// The records of the player, read from the per-user folder on first use.
const PlayerRecords& Records();
// Why the records file could not be read, fit to show the player; empty when it was fine or absent.
const std::string& RecordsProblem();
// Forgets what was read, so the next Records() reads the file again (tests, a changed user folder).
void ForgetRecords();
// A finished, won run of `level` with its total and rank. When it beats the level's best (or the
// level has none) it becomes the best, the file is written, and the result is true. A failed write
// is shown to the player and the best still counts for this session.
bool OfferRecord(const std::string& level, float total, const std::string& rank);
