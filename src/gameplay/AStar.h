// A* search on the path-finding grid (scenes/PathGrid.h) and the search paths built from its
// results. A search runs only when a human changes its plan, never every frame. Diagnostics go to
// standard output ("Source is invalid" ...), the found path to the log at DEBUG.
//
// Cells are expanded cheapest first by f = g + h (g: 1.0 per straight step, 1.414 per diagonal step;
// h: straight-line distance in cells), ties going to the smaller row, then the smaller column.
// Diagonal steps are allowed even between two blocked cells.
#pragma once

#include <vector>

#include "scenes/PathGrid.h"

class PathNode;

// The cells of the path from source to destination, both included; empty when the search found
// nothing (invalid, blocked or equal end points, or no way through), after printing why.
std::vector<GridCell> FindPath(GridCell source, GridCell destination);

// A chain of search nodes named "EnemySearchNode", one per cell of the path, each at its cell's world
// position and inserted after the one before. Returns the first node (the source cell), null for an
// empty path. The nodes are not in the object list: the caller owns the chain and gives it back with
// ReleaseSearchPath.
PathNode* BuildSearchPath(const std::vector<GridCell>& path);
// Deletes the whole search chain that `node` belongs to (any node of it will do: the walk goes back
// to the first node). Null does nothing. Never pass a patrol node: those belong to the object list.
void ReleaseSearchPath(PathNode* node);

// Where the path finder's diagnostics go. Null (the default) prints them to standard output;
// a function that ignores its text silences them.
using PathMessageSink = void (*)(const char* text);
void SetPathMessageSink(PathMessageSink sink);

// For checking the search order: while set, every cell taken from the open list (stale entries of
// already expanded cells included) is appended to the vector. Null turns it off.
void SetPathExpansionTrace(std::vector<GridCell>* trace);
