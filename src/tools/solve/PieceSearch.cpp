#include "tools/solve/PieceSearch.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "gameplay/BehaviorStates.h"
#include "objects/GameObject.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "tools/solve/LegSearch.h"
#include "tools/solve/PlayerGrid.h"
#include "tools/solve/ScriptWriter.h"
#include "tools/solve/SearchState.h"
#include "tools/solve/World.h"

namespace solve {

bool gWonByBranch = false;
Failure gFailure;

namespace {

// True in the process that played the winning run itself.
bool gWonHere = false;
// How many pieces round 0 tries at each choice before the choice is handed back; later rounds try
// every piece.
constexpr size_t kFirstRoundBranches = 3;

// Keeps `text` as the reason when the search got at least this far before.
void NoteFailure(const std::string& text) {
  const Level* scene = CurrentScene();
  const int32_t delivered = scene != nullptr ? scene->foodCollected : 0;
  if (delivered < gFailure.delivered) return;
  gFailure.delivered = delivered;
  std::snprintf(gFailure.text, sizeof gFailure.text, "%s", text.c_str());
}

void MergeFailure(const Failure& other) {
  const int32_t legsFailed = gFailure.legsFailed + other.legsFailed;
  if (other.delivered >= 0 && other.delivered >= gFailure.delivered) {
    gFailure = other;
    gFailure.text[sizeof gFailure.text - 1] = '\0';
  }
  gFailure.legsFailed = legsFailed;
}

std::string Describe(const GameObject* food) {
  return food->GetName() + " at (" + Coordinates(PositionOf(food)) + ")";
}

// Fetches one piece and carries it into the collection zone; false when a leg found no way through
// (a carried piece is put down again).
bool Deliver(GameObject* food, Point drop) {
  const Point at = PositionOf(food);
  std::printf("food %s at (%.0f, %.0f), %d delivered, %.1f s\n", food->GetName().c_str(), at.x, at.y,
              CurrentScene()->foodCollected, CurrentScene()->time);
  if (!Go("fetch", at, [food] { return Distance(PositionOf(Player()), PositionOf(food)) < 22.0f; }, false)) {
    NoteFailure("could not reach the piece " + Describe(food) + ": " + gLegWhy);
    ++gFailure.legsFailed;
    return false;
  }
  InputFrame pick;
  pick.rightButton = true;
  Tap(pick);
  if (StateOf(Player()) != player_state::kCarry) {
    std::printf("  could not pick it up (state %d)\n", StateOf(Player()));
    NoteFailure("could not pick up the piece " + Describe(food));
    return false;
  }
  const int32_t before = CurrentScene()->foodCollected;
  if (!Go("carry", drop, [before] { return CurrentScene()->foodCollected > before; }, false)) {
    NoteFailure("could not carry the piece " + Describe(food) + " to the collection zone: " + gLegWhy);
    ++gFailure.legsFailed;
    Tap(pick);
    return false;
  }
  // The delivered piece lets go of the player by itself; make sure the hands are empty.
  for (int i = 0; i < 5 && StateOf(Player()) == player_state::kCarry; ++i) Step(InputFrame{});
  if (StateOf(Player()) == player_state::kCarry) Tap(pick);
  return true;
}

// The pieces still lying about, cheapest first: the route to a piece and on to the collection zone.
// Pieces with no way to them or on to the zone go to *unreachable.
std::vector<GameObject*> Candidates(Point drop, const std::vector<GameObject*>& skipped,
                                    std::vector<GameObject*>* unreachable) {
  Grid grid;
  grid.Build(false);
  std::vector<std::pair<float, GameObject*>> ranked;
  for (GameObject* f : ObjectsOf(ObjectType::Food)) {
    if (!f->visible || std::find(skipped.begin(), skipped.end(), f) != skipped.end()) continue;
    float there = 0.0f, back = 0.0f;
    if (grid.Route(PositionOf(Player()), PositionOf(f), &there).empty() ||
        grid.Route(PositionOf(f), drop, &back).empty()) {
      unreachable->push_back(f);
      continue;
    }
    ranked.push_back({there + back, f});
  }
  std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<GameObject*> out;
  for (const auto& r : ranked) out.push_back(r.second);
  return out;
}

bool Escape(GameObject* zone) {
  std::printf("goal reached at %.2f s\n", CurrentScene()->time);
  if (!Go("escape", PositionOf(zone), [] { return CurrentScene()->exitStarted; }, true)) {
    NoteFailure("could not reach the escape zone at (" + Coordinates(PositionOf(zone)) + "): " + gLegWhy);
    ++gFailure.legsFailed;
    return false;
  }
  std::printf("escaped at %.2f s\n", CurrentScene()->time);
  // The run-out and the fade to the end scene.
  for (int i = 0; i < 1000 && CurrentScene() != nullptr && CurrentScene()->sceneId != kEndSceneId; ++i) {
    if (!Step(InputFrame{})) break;
  }
  if (CurrentScene() != nullptr && CurrentScene()->sceneId == kEndSceneId) return true;
  NoteFailure("the run out of the escape zone did not end the level");
  return false;
}

// `delivered`: the pieces in the collection zone; `failed`: pieces that failed at an earlier choice
// of this branch.
bool SolveFrom(Point drop, GameObject* zone, const std::vector<GameObject*>& delivered, std::vector<GameObject*> failed);

// Plays `food` and the rest of the level in a forked branch. True when the branch won (it wrote the
// script); its reason for failing is merged into this process's.
bool TryPiece(GameObject* food, Point drop, GameObject* zone, const std::vector<GameObject*>& delivered,
              const std::vector<GameObject*>& failed) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return false;
  std::fflush(stdout);
  const pid_t branch = fork();
  if (branch == 0) {
    close(pipefd[0]);
    std::vector<GameObject*> further = delivered;
    further.push_back(food);
    if (Deliver(food, drop) && SolveFrom(drop, zone, further, failed)) {
      if (!gWonByBranch) gWonHere = true;
      return true;
    }
    if (write(pipefd[1], &gFailure, sizeof gFailure) != static_cast<ssize_t>(sizeof gFailure)) _exit(1);
    std::fflush(stdout);
    _exit(1);
  }
  close(pipefd[1]);
  if (branch < 0) {
    close(pipefd[0]);
    return false;
  }
  Failure reported;
  size_t got = 0;
  while (got < sizeof reported) {
    const ssize_t r = read(pipefd[0], reinterpret_cast<char*>(&reported) + got, sizeof reported - got);
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  close(pipefd[0]);
  int status = 0;
  waitpid(branch, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  // The branch won but could not write the script, and has said so: no other way is worth trying.
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotWrite) _exit(kCannotWrite);
  if (got == sizeof reported) MergeFailure(reported);
  return false;
}

// Delivers food until the goal is met, then escapes. At each choice the pieces are tried in turn,
// cheapest first, each in a forked branch that plays on to the end, so this process's game stays
// at the choice. A branch that wins writes the script; one that fails hands the choice back to the
// next piece. Round 0 tries the three cheapest and leaves pieces that failed at a choice out of
// the rest of that branch; later rounds try every piece still lying about, and offer a piece that
// failed from one place again from the next.
bool SolveFrom(Point drop, GameObject* zone, const std::vector<GameObject*>& delivered, std::vector<GameObject*> failed) {
  if (CurrentScene()->goalReached) return Escape(zone);
  std::vector<GameObject*> unreachable;
  std::vector<GameObject*> skipped = delivered;
  if (gRound == 0) skipped.insert(skipped.end(), failed.begin(), failed.end());
  std::vector<GameObject*> candidates = Candidates(drop, skipped, &unreachable);
  const size_t n = gRound == 0 ? std::min(candidates.size(), kFirstRoundBranches) : candidates.size();
  if (candidates.empty()) {
    if (unreachable.empty()) {
      std::printf("no food left to fetch, %d delivered\n", CurrentScene()->foodCollected);
      NoteFailure("no piece is left to fetch and the goal is not met");
    } else {
      std::printf("no way to the %zu pieces left, %d delivered\n", unreachable.size(), CurrentScene()->foodCollected);
      NoteFailure("no way leads to the piece " + Describe(unreachable.front()) + " and on to the collection zone");
    }
    return false;
  }
  for (size_t i = 0; i < n; ++i) {
    if (PastDeadline()) {
      NoteFailure("the search ran out of time");
      return false;
    }
    if (TryPiece(candidates[i], drop, zone, delivered, failed)) {
      if (!gWonHere) gWonByBranch = true;
      return true;
    }
    std::printf("  back at the choice after %d delivered: trying another piece\n", CurrentScene()->foodCollected);
    failed.push_back(candidates[i]);  // it failed from here; in round 0 the next branches leave it
  }
  return false;
}

// How many search rounds there are; each looks harder than the one before.
constexpr int kRounds = 5;

}  // namespace

bool Solve() {
  // Let the level start (the player's first states run on the first frames).
  for (int i = 0; i < 3; ++i) Step(InputFrame{});
  Level* scene = CurrentScene();
  if (scene == nullptr || !InLevel()) {
    NoteFailure("the scene did not start as a level");
    return false;
  }
  GameObject* collection = ObjectsOf(ObjectType::Collection).empty() ? nullptr : ObjectsOf(ObjectType::Collection)[0];
  GameObject* zone = ObjectsOf(ObjectType::EscapeZone).empty() ? nullptr : ObjectsOf(ObjectType::EscapeZone)[0];
  if (collection == nullptr || zone == nullptr || Player() == nullptr) {
    NoteFailure("the level lacks a player, a collection zone or an escape zone");
    return false;
  }
  // Each round starts again from the level's start; the main process's game never moves from it.
  for (gRound = 0; gRound < kRounds && !PastDeadline(); ++gRound) {
    std::printf("search round %d\n", gRound + 1);
    const int32_t legsFailedBefore = gFailure.legsFailed;
    if (SolveFrom(PositionOf(collection), zone, {}, {})) return true;
    // When no leg was turned back by the guards (every failure was a piece with no way to it or a
    // goal beyond the pieces), no harder round can do better. Round 0 leaves pieces out, so the
    // round after it always runs.
    if (gRound >= 1 && gFailure.legsFailed == legsFailedBefore) break;
  }
  return false;
}

}  // namespace solve
