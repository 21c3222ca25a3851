#include "gameplay/AStar.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "core/Logger.h"
#include "scenes/PathNode.h"

namespace {

constexpr double kStraightStep = 1.0;

// For each step of the neighbour order of PathGrid.h, the step back.
constexpr uint32_t kOppositeStep[8] = {1, 0, 3, 2, 7, 6, 5, 4};
constexpr double kDiagonalStep = 1.414;

// Step costs in the neighbour order of PathGrid.h (four straight steps, then four diagonal ones).
constexpr double kStepCost[8] = {kStraightStep, kStraightStep, kStraightStep, kStraightStep,
                                 kDiagonalStep, kDiagonalStep, kDiagonalStep, kDiagonalStep};

// The open list: hands entries out in exactly the order of an ordered set of (f, row, column),
// stale entries of already expanded cells included, without the set's tree. A step from the cell
// being expanded changes f by at most the step's cost plus the distance it covers (under 2.83), and
// never lowers it by more than a hair (a diagonal costs 1.414, a little less than the distance it
// covers), so every live entry lies just above the f being expanded. The entries sit in a ring of
// buckets of f (kBucketsPerUnit to a unit of f), each bucket a short list kept sorted by (f, padded
// index), which orders exactly like (f, row, column). An entry below the current bucket is still the
// smallest of all and simply joins the current bucket's list; an entry beyond the ring (which the
// bound above rules out) waits in a pile of far entries, so the order stays exact whatever happens.
// Every entry's key is distinct: a cell re-enters the list only with a smaller f than before.
//
// One open list lives for one search, on the stack, which lets the compiler keep its counters in
// registers; the list nodes and far entries live in OpenStorage, which keeps its memory from
// search to search. An entry also carries the g of its cell, so taking it from the list hands that
// over at once.
struct OpenEntry {
  double f;
  double g;
  int32_t index;
};
struct OpenNode {
  OpenEntry entry;
  int32_t next;  // the next node of the bucket (or of the free chain)
};
using FarEntry = OpenEntry;
struct OpenStorage {
  std::vector<OpenNode> nodes;
  std::vector<FarEntry> far;
};

// Makes room for more list nodes; returns the new node table.
[[gnu::noinline]] OpenNode* GrowNodes(std::vector<OpenNode>& nodes) {
  nodes.resize(std::max<size_t>(1024, 2 * nodes.size()));
  return nodes.data();
}

class OpenList {
 public:
  explicit OpenList(OpenStorage& storage) : storage_(storage) {
    heads_.fill(kNone);
    storage_.far.clear();
    nodes_ = storage_.nodes.data();
    capacity_ = static_cast<int32_t>(storage_.nodes.size());
  }
  OpenList(const OpenList&) = delete;
  OpenList& operator=(const OpenList&) = delete;

  bool Empty() const { return count_ == 0; }

  [[gnu::always_inline]] void Push(const OpenEntry& entry) {
    ++count_;
    const double f = entry.f;
    const int32_t index = entry.index;
    int64_t k = BucketOf(f);
    if (k < current_) k = current_;
    if (k - current_ >= kRing) [[unlikely]] {
      storage_.far.push_back(entry);
      ++farCount_;
      return;
    }
    const size_t slot = static_cast<size_t>(k) & kMask;
    int32_t n = free_;
    if (n != kNone) {
      free_ = nodes_[n].next;
    } else {
      if (used_ == capacity_) [[unlikely]] {
        nodes_ = GrowNodes(storage_.nodes);
        capacity_ = static_cast<int32_t>(storage_.nodes.size());
      }
      n = used_++;
    }
    int32_t* link = &heads_[slot];
    while (*link != kNone) {
      const OpenEntry& other = nodes_[*link].entry;
      if (other.f > f || (other.f == f && other.index > index)) break;
      link = &nodes_[*link].next;
    }
    nodes_[n] = {entry, *link};
    *link = n;
    filled_[slot / 64] |= uint64_t{1} << (slot % 64);
    summary_ |= uint64_t{1} << (slot / 64);
  }

  // The smallest entry, which leaves the list. Only when not Empty().
  [[gnu::always_inline]] OpenEntry Pop() {
    size_t slot = static_cast<size_t>(current_) & kMask;
    if (heads_[slot] == kNone) slot = farCount_ == 0 ? Advance() : AdvanceWithFar();
    const int32_t n = heads_[slot];
    OpenNode& node = nodes_[n];
    heads_[slot] = node.next;
    if (node.next == kNone) {
      filled_[slot / 64] &= ~(uint64_t{1} << (slot % 64));
      if (filled_[slot / 64] == 0) summary_ &= ~(uint64_t{1} << (slot / 64));
    }
    node.next = free_;
    free_ = n;
    --count_;
    return node.entry;
  }

 private:
  static constexpr double kBucketsPerUnit = 512.0;
  static constexpr int64_t kRing = 2048;  // 4 units of f
  static constexpr size_t kMask = kRing - 1;
  static constexpr size_t kWords = kRing / 64;
  static_assert(kWords <= 64, "one summary word covers the ring");
  static constexpr int32_t kNone = -1;

  static int64_t BucketOf(double f) { return static_cast<int64_t>(f * kBucketsPerUnit); }

  // Moves the current bucket on to the next filled one of the ring (the ring is not empty); returns
  // its slot.
  [[gnu::always_inline]] size_t Advance() {
    const size_t start = static_cast<size_t>(current_) & kMask;
    size_t word = start / 64;
    uint64_t bits = filled_[word] & (~uint64_t{0} << (start % 64));
    if (bits == 0) {
      // The next filled word after this one, or else (round the ring) the first filled one.
      const uint64_t after = word + 1 < 64 ? summary_ & (~uint64_t{0} << (word + 1)) : 0;
      word = static_cast<size_t>(std::countr_zero(after != 0 ? after : summary_));
      bits = filled_[word];
    }
    const size_t slot = word * 64 + static_cast<size_t>(std::countr_zero(bits));
    current_ += static_cast<int64_t>((slot - start) & kMask);
    return slot;
  }

  // Far entries may come before ring entries pushed after them: the current bucket moves on to
  // whichever is nearest, and the far entries the moved ring reaches join it.
  [[gnu::noinline]] size_t AdvanceWithFar() {
    int64_t nearest = BucketOf(storage_.far.front().f);
    for (const FarEntry& e : storage_.far) nearest = std::min(nearest, BucketOf(e.f));
    if (summary_ != 0) {
      Advance();
      nearest = std::min(nearest, current_);
    }
    current_ = nearest;
    std::vector<FarEntry> waiting;
    waiting.swap(storage_.far);
    count_ -= waiting.size();
    farCount_ = 0;
    for (const FarEntry& e : waiting) Push(e);
    return static_cast<size_t>(current_) & kMask;
  }

  OpenStorage& storage_;
  OpenNode* nodes_ = nullptr;
  int32_t capacity_ = 0;
  int32_t used_ = 0;
  int32_t free_ = kNone;
  int64_t current_ = 0;
  size_t count_ = 0;
  size_t farCount_ = 0;
  std::array<uint64_t, kWords> filled_{};  // which ring buckets hold entries
  uint64_t summary_ = 0;                   // which words of filled_ are not zero
  std::array<int32_t, kRing> heads_;       // bucket k's list at k % kRing
};

// The per-cell search tables, in the padded layout of PathGrid.h so the eight neighbours of a
// grid cell are always in range. The stamp, g and step tables are kept from search to search: a
// cell's entries count only while its stamp belongs to the running search, so they are never
// cleared between searches. A cell's f
// is not kept: it is g plus the cell's distance to the destination, which is worked out again (to
// the same bits) whenever the cell is looked at.
constexpr uint8_t kFromSource = 8;

struct AStarState {
  std::vector<uint32_t> stamp;     // 2 x generation: reached; 2 x generation + 1: expanded
  uint32_t generation = 0;
  std::vector<double> g;
  std::vector<uint8_t> from;       // the step (0..7) that reached the cell; kFromSource for the source
  // Per cell, its open neighbours not yet expanded (bits as in PaddedOpenNeighbours), copied from the
  // grid at the start of every search and kept up to date as cells are expanded.
  std::vector<uint8_t> live;
  GridShape shape;  // the grid the tables are laid out for
  std::vector<double> distance;
  OpenStorage open;
  PathMessageSink sink = nullptr;
  std::vector<GridCell>* trace = nullptr;
};

// The straight-line distance in cells for every |row difference| and |column difference| (row by
// row, a grid row's columns to a row): the same sqrt values, to the bit, that working them out each
// time gives.
void BuildDistanceTable(std::vector<double>& t) {
  const int32_t rows = GridRows(), columns = GridColumns();
  t.resize(static_cast<size_t>(rows) * columns);
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < columns; ++c) {
      t[static_cast<size_t>(r) * columns + c] = std::sqrt(static_cast<double>(r) * r + static_cast<double>(c) * c);
    }
  }
}

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

int32_t PaddedIndex(GridCell cell) { return (cell.row + 1) * PaddedColumns() + cell.column + 1; }
GridCell CellOfIndex(int32_t index) { return {index / PaddedColumns() - 1, index % PaddedColumns() - 1}; }

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

namespace {

// The cells of the path ending at the destination, read back along the steps that reached them.
std::vector<GridCell> TracePath(const uint8_t* from, int32_t goal) {
  const int32_t* offsets = NeighbourOffsets();
  size_t length = 1;
  for (int32_t i = goal; from[i] != kFromSource; i -= offsets[from[i]]) ++length;
  std::vector<GridCell> path(length);
  size_t at = length;
  for (int32_t i = goal;; i -= offsets[from[i]]) {
    path[--at] = CellOfIndex(i);
    if (from[i] == kFromSource) break;
  }
  return path;
}

// The search proper, with or without recording every cell taken from the open list. Returns the
// path, empty when the destination cannot be reached.
template <bool kTrace>
std::vector<GridCell> Search(AStarState& s, GridCell source, GridCell destination) {
  const uint8_t* openNeighbours = PaddedOpenNeighbours();
  const int32_t paddedColumns = PaddedColumns();
  const int32_t gridColumns = GridColumns();
  const int32_t* offsets = NeighbourOffsets();
  const size_t cells = static_cast<size_t>(GridRows() + 2) * static_cast<size_t>(paddedColumns);
  // Tables for another grid's layout start again.
  if (s.g.size() != cells || !(s.shape == CurrentGridShape())) {
    s.stamp.assign(cells, 0);
    s.g.assign(cells, 0.0);
    s.from.assign(cells, 0);
    s.generation = 0;
    s.shape = CurrentGridShape();
    BuildDistanceTable(s.distance);
  }
  if (++s.generation >= 0x7FFFFFFFu) {
    std::fill(s.stamp.begin(), s.stamp.end(), 0u);
    s.generation = 1;
  }
  const uint32_t reached = 2 * s.generation;
  const uint32_t expanded = reached + 1;
  uint32_t* stamp = s.stamp.data();
  const double* distance = s.distance.data();
  double* g = s.g.data();
  uint8_t* from = s.from.data();
  s.live.assign(openNeighbours, openNeighbours + cells);
  uint8_t* live = s.live.data();
  OpenList open(s.open);

  const int32_t start = PaddedIndex(source);
  const int32_t goal = PaddedIndex(destination);
  stamp[start] = reached;
  g[start] = 0.0;
  from[start] = kFromSource;
  open.Push({0.0, 0.0, start});

  while (!open.Empty()) {
    const OpenEntry popped = open.Pop();
    const int32_t at = popped.index;
    if constexpr (kTrace) s.trace->push_back(CellOfIndex(at));
    // A cell enters the list again each time its f improves; once it is expanded, its older
    // entries would only repeat the same work without changing anything.
    if (stamp[at] == expanded) continue;
    stamp[at] = expanded;

    // Next to the destination, the search ends with it (the destination is open, so it is among
    // the open neighbours; what the neighbours visited before it would have changed no longer
    // matters once the path is traced).
    const uint32_t nearSpan = 2 * static_cast<uint32_t>(paddedColumns) + 2;  // the padded index range of the 3 x 3 block
    if (static_cast<uint32_t>(goal - at + paddedColumns + 1) <= nearSpan) [[unlikely]] {
      for (uint32_t d = 0; d < 8; ++d) {
        if (at + offsets[d] != goal) continue;
        from[goal] = static_cast<uint8_t>(d);
        Say("The destination cell is found\n");
        std::vector<GridCell> path = TracePath(from, goal);
        LogPath(path);
        return path;
      }
    }

    const int32_t row = at / paddedColumns;
    const int32_t column = at - row * paddedColumns;
    const int32_t dRow = row - 1 - destination.row;
    const int32_t dColumn = column - 1 - destination.column;
    // A cell's first entry out of the list is its latest one (each new entry has a smaller f than
    // the one before), so the g it carries is the cell's g.
    const double gHere = popped.g;
    // This cell is expanded now: none of its neighbours looks at it again.
    for (uint32_t d = 0; d < 8; ++d) {
      live[at + offsets[d]] &= static_cast<uint8_t>(~(1u << kOppositeStep[d]));
    }
    // The open neighbours not yet expanded (the border of the padded grid is closed, so cells
    // outside the grid never count). The order they are handled in does not matter: each touches
    // only its own cell, and the open list orders its entries by key alone.
    for (uint32_t candidates = live[at]; candidates != 0; candidates &= candidates - 1) {
      const uint32_t d = static_cast<uint32_t>(std::countr_zero(candidates));
      const int32_t next = at + offsets[d];
      const double gNew = gHere + kStepCost[d];
      const bool seen = stamp[next] == reached;
      // With a g no larger than before, f (the same h added) cannot be smaller either.
      if (seen && !(g[next] > gNew)) continue;
      const int32_t dr = dRow + kNeighbourRow[d];
      const int32_t dc = dColumn + kNeighbourColumn[d];
      const double h = distance[(dr < 0 ? -dr : dr) * gridColumns + (dc < 0 ? -dc : dc)];
      const double fNew = gNew + h;
      // An unreached cell still has the initial largest f, which every real f undercuts.
      if (!seen || g[next] + h > fNew) {
        open.Push({fNew, gNew, next});
        stamp[next] = reached;
        g[next] = gNew;
        from[next] = static_cast<uint8_t>(d);
      }
    }
  }
  Say("Failed to find the Destination Cell\n");
  return {};
}

}  // namespace

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
  return s.trace != nullptr ? Search<true>(s, source, destination) : Search<false>(s, source, destination);
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
