#include "gameplay/AStar.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "app/Logger.h"
#include "gameplay/PathNode.h"

namespace {

constexpr double kStraightStep = 1.0;
constexpr double kDiagonalStep = 1.414;

// Step costs in the neighbour order of PathGrid.h (four straight steps, then four diagonal ones).
constexpr double kStepCost[8] = {kStraightStep, kStraightStep, kStraightStep, kStraightStep,
                                 kDiagonalStep, kDiagonalStep, kDiagonalStep, kDiagonalStep};

// An open-list entry, ordered by f, then by padded index, which orders exactly like (row, column).
// Every entry's key is distinct: a cell re-enters the list only with a smaller f than before.
struct OpenEntry {
  double f;
  int32_t index;
};

bool ComesAfter(const OpenEntry& a, const OpenEntry& b) {
  return a.f > b.f || (a.f == b.f && a.index > b.index);
}

// The open list: hands entries out in exactly the order of an ordered set of (f, row, column),
// stale entries of already expanded cells included, without the set's tree. A step from the cell
// being expanded changes f by at most the step's cost plus the distance it covers (under 2.83), and
// never lowers it by more than a hair (a diagonal costs 1.414, a little less than the distance it
// covers), so every live entry lies just above the f being expanded. The entries sit in a ring of
// buckets of f (kBucketsPerUnit to a unit of f); the bucket being expanded is a small binary heap,
// the ones above it unsorted piles that become the heap in turn. An entry below the current bucket
// is still the smallest of all and simply joins the heap; an entry beyond the ring (which the bound
// above rules out) waits in an overflow pile, so the order stays exact whatever happens.
class OpenList {
 public:
  void Clear() {
    for (std::vector<OpenEntry>& bucket : ring_) bucket.clear();
    filled_.fill(0);
    heap_.clear();
    overflow_.clear();
    current_ = 0;
    size_ = 0;
    inRing_ = 0;
  }
  bool Empty() const { return size_ == 0; }

  void Push(OpenEntry entry) {
    ++size_;
    const int64_t k = BucketOf(entry.f);
    if (k > current_ && k < current_ + kRing) {
      const size_t slot = static_cast<size_t>(k % kRing);
      ring_[slot].push_back(entry);
      filled_[slot / 64] |= uint64_t{1} << (slot % 64);
      ++inRing_;
    } else {
      PushElsewhere(entry, k);
    }
  }

  // Only when not Empty().
  OpenEntry Pop() {
    while (heap_.empty()) Advance();
    std::pop_heap(heap_.begin(), heap_.end(), ComesAfter);
    const OpenEntry top = heap_.back();
    heap_.pop_back();
    --size_;
    return top;
  }

 private:
  static constexpr double kBucketsPerUnit = 128.0;
  static constexpr int64_t kRing = 512;  // 4 units of f
  static constexpr size_t kWords = kRing / 64;

  static int64_t BucketOf(double f) { return static_cast<int64_t>(f * kBucketsPerUnit); }

  // How many buckets after the current one the next filled bucket of the ring lies (the ring is
  // not empty).
  int64_t DistanceToNextFilled() const {
    const size_t start = static_cast<size_t>((current_ + 1) % kRing);
    for (size_t i = 0; i <= kWords; ++i) {
      const size_t word = (start / 64 + i) % kWords;
      uint64_t bits = filled_[word];
      if (i == 0) bits &= ~uint64_t{0} << (start % 64);
      if (bits != 0) {
        const size_t slot = word * 64 + static_cast<size_t>(std::countr_zero(bits));
        return 1 + static_cast<int64_t>((slot + kRing - start) % kRing);
      }
    }
    return 1;
  }

  // Entries for the bucket being expanded (or below it) join the heap; entries past the ring wait.
  [[gnu::noinline]] void PushElsewhere(OpenEntry entry, int64_t k) {
    if (k <= current_) {
      heap_.push_back(entry);
      std::push_heap(heap_.begin(), heap_.end(), ComesAfter);
    } else {
      overflow_.push_back(entry);
    }
  }

  // Moves on to the next filled bucket: its pile becomes the heap.
  void Advance() {
    if (overflow_.empty()) {
      current_ += DistanceToNextFilled();
    } else if (inRing_ == 0) {
      // Only far entries are left: move straight to the nearest of them.
      int64_t nearest = BucketOf(overflow_.front().f);
      for (const OpenEntry& e : overflow_) nearest = std::min(nearest, BucketOf(e.f));
      current_ = nearest;
    } else {
      ++current_;
    }
    const size_t slot = static_cast<size_t>(current_ % kRing);
    inRing_ -= ring_[slot].size();
    heap_.swap(ring_[slot]);
    filled_[slot / 64] &= ~(uint64_t{1} << (slot % 64));
    std::make_heap(heap_.begin(), heap_.end(), ComesAfter);
    if (!overflow_.empty()) {
      // Far entries that the moved window now reaches join the ring (or the heap).
      std::vector<OpenEntry> waiting;
      waiting.swap(overflow_);
      size_ -= waiting.size();
      for (const OpenEntry& e : waiting) Push(e);
    }
  }

  std::vector<OpenEntry> heap_;  // the entries of buckets up to current_
  std::array<std::vector<OpenEntry>, kRing> ring_;  // bucket k at k % kRing; emptied ones keep capacity
  std::array<uint64_t, kWords> filled_{};            // which ring buckets hold entries
  std::vector<OpenEntry> overflow_;
  int64_t current_ = 0;
  size_t size_ = 0;
  size_t inRing_ = 0;
};

// The per-cell search tables, in the padded layout of PathGrid.h so the eight neighbours of a
// grid cell are always in range. They are kept from search to search: a cell's entries count only
// while its stamp belongs to the running search, so nothing is cleared between searches. A cell's f
// is not kept: it is g plus the cell's distance to the destination, which is worked out again (to
// the same bits) whenever the cell is looked at. The stamps, read for every neighbour, sit in a
// table of their own so that they stay in the cache.
constexpr uint8_t kFromSource = 8;

struct AStarState {
  std::vector<uint32_t> stamp;  // 2 x generation: reached; 2 x generation + 1: expanded
  std::vector<double> g;
  std::vector<uint8_t> from;    // the step (0..7) that reached the cell; kFromSource for the source
  uint32_t generation = 0;
  OpenList open;
  PathMessageSink sink = nullptr;
  std::vector<GridCell>* trace = nullptr;
};

AStarState& State() {
  static AStarState state;
  return state;
}

void Say(const char* text) {
  if (State().sink != nullptr) {
    State().sink(text);
  } else {
    std::fputs(text, stdout);
  }
}

int32_t PaddedIndex(GridCell cell) { return (cell.row + 1) * kPaddedColumns + cell.column + 1; }
GridCell CellOfIndex(int32_t index) { return {index / kPaddedColumns - 1, index % kPaddedColumns - 1}; }

void LogPath(const std::vector<GridCell>& path) {
  if (LogToFile() == 0) return;
  Log("A* Path is", LogLevel::Debug);
  char line[48];
  for (const GridCell& cell : path) {
    std::snprintf(line, sizeof line, "-> (%d,%d) \n", cell.row, cell.column);
    Log(line, LogLevel::Debug);
  }
}

}  // namespace

void SetPathMessageSink(PathMessageSink sink) { State().sink = sink; }
void SetPathExpansionTrace(std::vector<GridCell>* trace) { State().trace = trace; }

std::vector<GridCell> FindPath(GridCell source, GridCell destination) {
  if (!IsInsideGrid(source)) {
    Say("Source is invalid\n");
    return {};
  }
  if (!IsInsideGrid(destination)) {
    Say("Destination is invalid\n");
    return {};
  }
  if (!IsCellOpen(source) || !IsCellOpen(destination)) {
    Log("Source or Destination is Blocked", LogLevel::Debug);
    return {};
  }
  if (source == destination) {
    Say("We are already at the destination\n");
    return {};
  }

  AStarState& s = State();
  const uint8_t* openNeighbours = PaddedOpenNeighbours();
  constexpr size_t kCells = static_cast<size_t>(kPaddedRows) * kPaddedColumns;
  if (s.stamp.empty()) {
    s.stamp.assign(kCells, 0);
    s.g.assign(kCells, 0.0);
    s.from.assign(kCells, 0);
  }
  if (++s.generation >= 0x7FFFFFFFu) {
    std::fill(s.stamp.begin(), s.stamp.end(), 0u);
    s.generation = 1;
  }
  const uint32_t reached = 2 * s.generation;
  const uint32_t expanded = reached + 1;
  uint32_t* stamp = s.stamp.data();
  double* g = s.g.data();
  uint8_t* from = s.from.data();
  OpenList& open = s.open;
  open.Clear();

  const int32_t start = PaddedIndex(source);
  const int32_t goal = PaddedIndex(destination);
  stamp[start] = reached;
  g[start] = 0.0;
  from[start] = kFromSource;
  open.Push({0.0, start});

  while (!open.Empty()) {
    const OpenEntry entry = open.Pop();
    const int32_t at = entry.index;
    if (s.trace != nullptr) s.trace->push_back(CellOfIndex(at));
    // A cell enters the list again each time its f improves; once it is expanded, its older
    // entries would only repeat the same work without changing anything.
    if (stamp[at] == expanded) continue;
    stamp[at] = expanded;
    const int32_t row = at / kPaddedColumns - 1;
    const int32_t column = at % kPaddedColumns - 1;
    const double gHere = g[at];

    // Next to the destination, the search ends with it (the destination is open, so it is among
    // the open neighbours; what the neighbours visited before it would have changed no longer
    // matters once the path is traced).
    if (static_cast<uint32_t>(row - destination.row + 1) <= 2u &&
        static_cast<uint32_t>(column - destination.column + 1) <= 2u) {
      for (uint32_t d = 0; d < 8; ++d) {
        if (at + kNeighbourOffset[d] != goal) continue;
        from[goal] = static_cast<uint8_t>(d);
        Say("The destination cell is found\n");
        std::vector<GridCell> path;
        for (int32_t i = goal;; i -= kNeighbourOffset[from[i]]) {
          path.push_back(CellOfIndex(i));
          if (from[i] == kFromSource) break;
        }
        std::reverse(path.begin(), path.end());
        LogPath(path);
        return path;
      }
    }

    // The open neighbours not yet expanded (the border of the padded grid is closed, so cells
    // outside the grid never count). The order they are handled in does not matter: each touches
    // only its own cell, and the open list orders its entries by key alone.
    uint32_t candidates = 0;
    for (uint32_t d = 0; d < 8; ++d) {
      candidates |= static_cast<uint32_t>(stamp[at + kNeighbourOffset[d]] != expanded) << d;
    }
    candidates &= openNeighbours[at];
    for (; candidates != 0; candidates &= candidates - 1) {
      const uint32_t d = static_cast<uint32_t>(std::countr_zero(candidates));
      const int32_t next = at + kNeighbourOffset[d];
      const double gNew = gHere + kStepCost[d];
      const bool seen = stamp[next] == reached;
      // With a g no larger than before, f (the same h added) cannot be smaller either.
      if (seen && !(g[next] > gNew)) continue;
      const int32_t dr = row + kNeighbourRow[d] - destination.row;
      const int32_t dc = column + kNeighbourColumn[d] - destination.column;
      const double h = std::sqrt(static_cast<double>(dr * dr + dc * dc));
      const double fNew = gNew + h;
      // An unreached cell still has the initial largest f, which every real f undercuts.
      if (!seen || g[next] + h > fNew) {
        open.Push({fNew, next});
        stamp[next] = reached;
        g[next] = gNew;
        from[next] = static_cast<uint8_t>(d);
      }
    }
  }
  Say("Failed to find the Destination Cell\n");
  return {};
}

PathNode* BuildSearchPath(const std::vector<GridCell>& path) {
  PathNode* first = nullptr;
  PathNode* last = nullptr;
  for (const GridCell& cell : path) {
    GridPoint at = CellToWorld(cell);
    auto* node = new PathNode("EnemySearchNode", at.x, at.y, 0.0f);
    if (last == nullptr) {
      first = node;
    } else {
      last->InsertAfter(node);
    }
    last = node;
  }
  return first;
}

void ReleaseSearchPath(PathNode* node) {
  if (node == nullptr) return;
  std::unordered_set<PathNode*> seen{node};
  PathNode* first = node;
  while (first->previous != nullptr && seen.insert(first->previous).second) first = first->previous;
  std::vector<PathNode*> chain;
  seen.clear();
  for (PathNode* n = first; n != nullptr && seen.insert(n).second; n = n->next) chain.push_back(n);
  for (PathNode* n : chain) delete n;
}
