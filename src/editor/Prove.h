// "Prove" in the editor: the level being edited is saved to a temporary file and quillmarch-solve
// (found beside the game's executable) plays it as a separate process, while the editor goes on.
// Its progress shows as it comes and it can be cancelled. A win brings back the route, drawn over
// the level and played back by a marker, and rank thresholds from the run's total that the
// designer may take as one undoable edit; a level not won is reported with the solver's reason (the
// piece it could not reach, the leg it could not pass unseen).
#pragma once

#include <string>
#include <vector>

#include "gameplay/RankSuggestion.h"

enum class ProvePhase { Idle, Running, Won, NotWon, Failed };

struct ProveStatus {
  ProvePhase phase = ProvePhase::Idle;
  std::string progress;  // the solver's latest line while it runs
  std::string reason;    // why the level was not won, or why the solver could not run
  float total = 0.0f;    // the winning run's total (seconds)
  RankThresholds suggested;
  std::vector<std::pair<float, float>> route;  // the player's way, a point every 0.04 s
  bool playing = false;                         // the route's marker is moving
  float playTime = 0.0f;                        // seconds into the route's playback
};

// Starts proving the edited level; a run still going is cancelled first. The solver gets
// `budgetSeconds` (its own default when zero or less).
void StartProve(float budgetSeconds = 0.0f);
// Ends the solver's run at once; the status goes back to idle.
void CancelProve();
// Reads what the solver wrote, finishes the run when it has ended and moves the route's marker by
// `dt` seconds. Called every editor frame; never waits.
void UpdateProve(float dt);
// Takes the suggested thresholds into the level as one undoable edit. False without a win.
bool ApplySuggestedRanks();
const ProveStatus& GetProveStatus();
// The point of the route the marker is at (false when there is no route).
bool ProveMarker(float* x, float* y);
// The Prove window and the route over the level, for this ImGui frame (client size in pixels).
void DrawProve(float width, float height);
