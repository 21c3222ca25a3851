#include "gameplay/RunKeeper.h"

#include "core/Logger.h"
#include "core/Options.h"
#include "core/Random.h"
#include "core/ReplayHooks.h"
#include "gameplay/EndScene.h"
#include "gameplay/KeptRuns.h"
#include "gameplay/PlayerRecords.h"
#include "scenes/Level.h"
#include "widgets/WriteNotice.h"

namespace {

struct RunKeeperModule {
  bool keeping = false;  // this program keeps runs at all
  bool running = false;  // a level's run is being recorded
  RunInfo info;
  bool lastSetBest = false;
};

RunKeeperModule& Module() {
  static RunKeeperModule module;
  return module;
}

// A seed for the level's start drawn from the random source itself, so a run started with --seed
// is repeatable and every other run differs.
uint32_t NextSeed() {
  const uint32_t high = static_cast<uint32_t>(GameRand());
  const uint32_t low = static_cast<uint32_t>(GameRand());
  return (high << 15) | low;
}

// The level recorder (the application's scripted input); without one nothing is recorded.
void BeginLevelRecording() {
  if (GetReplayHooks().beginLevelRecording != nullptr) GetReplayHooks().beginLevelRecording();
}

InputScript EndLevelRecording() {
  if (GetReplayHooks().endLevelRecording == nullptr) return InputScript{};
  return GetReplayHooks().endLevelRecording();
}

}  // namespace

void BeginLevelRun(Level& level) {
  RunKeeperModule& m = Module();
  if (m.running) EndLevelRecording();
  m.running = false;
  m.lastSetBest = false;
  m.info = RunInfo{};
  if (!m.keeping) return;
  m.info.level = LevelRecordName(level);
  // A level that cannot be named (an unusual file name) is played, not kept.
  if (m.info.level.empty()) return;
  m.info.sceneId = level.sceneId;
  m.info.levelHash = LevelFileHash(level.path);
  m.info.version = GameVersion();
  m.info.seed = NextSeed();
  m.info.hasSeed = true;
  SeedRandom(m.info.seed);
  BeginLevelRecording();
  m.running = true;
}

void BeginReplayedRun(Level&, bool hasSeed, uint32_t seed) {
  DropLevelRun();
  Module().lastSetBest = false;
  if (hasSeed) SeedRandom(seed);
}

void DropLevelRun() {
  RunKeeperModule& m = Module();
  if (m.running) EndLevelRecording();
  m.running = false;
}

void EndLevelRun(Level& level, bool won) {
  RunKeeperModule& m = Module();
  m.lastSetBest = false;
  if (!m.running) return;
  m.running = false;
  const InputScript script = EndLevelRecording();
  RunInfo info = m.info;
  info.won = won;
  if (won) {
    const LevelScore score = ScoreLevel(level);
    info.total = score.total;
    info.rank = score.rank;
    m.lastSetBest = OfferRecord(info.level, score.total, score.rank);
  }
  std::string why;
  if (!KeepRun(info, script, m.lastSetBest, &why)) {
    ReportWriteFailure("Your run could not be kept", why);
    return;
  }
  Log("Kept the run of " + info.level + (won ? " (won)" : " (lost)"), LogLevel::Debug);
}

bool LastRunSetBest() { return Module().lastSetBest; }

void SetRunKeeping(bool keep) { Module().keeping = keep; }
