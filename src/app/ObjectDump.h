// The object dump of --dump-objects N:FILE: after frame N, a JSON file with the current scene and
// every live object, for end-to-end tests that check what happened instead of guessing from pixels.
//
//   {"frame": 61,
//    "scene": {"index": 5, "id": 6, "time": 1.5, "foodCount": 3, "foodCollected": 0,
//              "goalReached": false, "gameOver": false, "exitStarted": false, "paused": false},
//    "camera": {"x": 0, "y": 0},
//    "objects": [{"name": "Player_1", "type": "Player", "x": 210.5, "y": 300, "rotation": 0,
//                 "vx": 0, "vy": 0, "visible": true, "state": 2}, ...]}
//
// Objects appear in list order; "state" is the behaviour's current state, or null without one;
// "vx", "vy" are 0 without Kinematics. "scene" is null when the scene list is empty.
#pragma once

#include <string>
#include <vector>

struct DumpRequest;

// The dump of the game as it stands now, after frame `frame`.
std::string ObjectDumpJson(int frame);
// Writes every requested dump of this frame (atomically); failures go to standard error.
void WriteObjectDumps(const std::vector<DumpRequest>& requests, int frame);
