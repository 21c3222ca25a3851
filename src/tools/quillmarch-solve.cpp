// quillmarch-solve: finds a winning run of a level and writes it as an input script.
//
//   quillmarch-solve LEVEL OUT.qinput [--scene ID] [--data DIR] [--budget SECONDS] [--route FILE]
//
// The game itself runs here, headless, from the level's first frame with a fixed frame time of 0.02 s
// and seed 1, exactly as `quillmarch --headless --scene ID --fixed-dt 0.02 --seed 1 --input OUT`
// replays it: every frame's input is handed to the game through the input-script player and the
// main loop's own pass runs the frame. Nothing is bent: normal tuning, no developer keys, no
// invulnerability.
//
// The plan is a list of legs: walk to a piece of food, pick it up, carry it into the collection
// zone, until the goal is met; then walk to the escape zone. The pieces are chosen by a search: at
// each choice pieces are tried in turn, each in a forked branch that plays on to the end, so a
// piece that leads into a dead end later is given up for another. The first round tries the three
// cheapest at each choice; later rounds try every piece still lying about (one that failed from
// one place is offered again from the next) and look harder at each leg, until the budget is spent
// or no leg was turned back by the guards. Each leg follows a route over a grid of 13-unit cells
// kept clear of walls, glass, closed barriers and kill zones. The last line says how it ended:
// "result: won: ..." or "result: not won: " and the furthest failure (the piece it could not
// reach or carry, the escape it could not make, and why).
//
// A leg is first planned in space and time: a forked copy of the game, with the player put outside
// the walls, plays on for 80 s and reports where every guard stands and faces on each frame (the
// guards walk the same whatever the player does until one notices it). A search over (cell, frame)
// then finds the earliest arrival that never stands in a guard's cone within its reach and in plain
// sight, nor next to a guard, waiting where needed; cover (and vents, unless carrying: a vent takes
// the food) hides. The plan keeps a berth round the cones and a few frames either side, and is
// played ahead in a fork before it is played for real; a wider and then a narrower berth are tried
// when it fails. When no timed plan gets through, the older search below takes over. Before a leg is played
// the process forks and the child plays it ahead: the guards are deterministic while nobody has
// noticed the player, so what the child sees is what will happen. A leg on which a guard notices the
// player is tried again after waiting (0 to 24 s), by a hideout, and then on routes that avoid the
// place where the player was noticed; when all of that fails, a guard's glimpse (half alert) is let go
// as long as it never turns into a chase. The first leg that goes through is played for real.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <queue>
#include <unordered_set>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/ScriptedInput.h"
#include "core/FileSync.h"
#include "core/Input.h"
#include "core/InputScript.h"
#include "core/Logger.h"
#include "core/Options.h"
#include "gameplay/Behavior.h"
#include "gameplay/BehaviorStates.h"
#include "gameplay/GameplayHooks.h"
#include "gameplay/RankSuggestion.h"
#include "gameplay/Sight.h"
#include "math/Vector.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/ObjectType.h"
#include "objects/Transform.h"
#include "platform/Platform.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "ui/UiHooks.h"

namespace fs = std::filesystem;

namespace {

constexpr double kFrameSeconds = 0.02;
constexpr int32_t kEndSceneId = 5;
constexpr float kCell = 13.0f;     // the path grid's cell
constexpr float kOrigin = -100.0f;
constexpr float kClearance = 27.0f;   // the player's radius (20) and a little room
constexpr float kHazardClearance = 45.0f;

struct Point {
  float x = 0.0f, y = 0.0f;
};
float Distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }
std::string Coordinates(Point p) {
  char text[48];
  std::snprintf(text, sizeof text, "%.0f, %.0f", p.x, p.y);
  return text;
}

// ---- the game ---------------------------------------------------------------------------------

struct Game {
  std::unique_ptr<Application> app;
  InputScript played;  // every frame handed to the game so far
  // The level as it stood on its last frame: what the end scene grades.
  float levelTime = 0.0f;
  int32_t foodCollected = 0, foodCount = 0;
  float thresholds[3] = {0.0f, 0.0f, 0.0f};
  int64_t endSceneFrame = -1;  // the first frame played in the end scene
  std::vector<std::pair<float, float>> route;  // the player's position on every frame in the level
};

Game& TheGame() {
  static Game game;
  return game;
}

// The same start-up as the game's entry point, with a script player that the solver feeds.
bool StartGame(const std::string& data, int32_t sceneId) {
  RunOptions options;
  options.headless = true;
  options.noDialogs = true;
  options.sceneId = sceneId;
  options.fixedDt = static_cast<float>(kFrameSeconds);
  options.seed = 1;
  options.dataDir = data;
  SetRunOptions(options);
  PrepareInputScripts(InputScript{}, true, "");
  std::error_code ec;
  fs::current_path(data, ec);
  if (ec) {
    std::fprintf(stderr, "quillmarch-solve: cannot use the data folder %s\n", data.c_str());
    return false;
  }
  platform::InstallPlatform(WrapPlatformForScripts(platform::CreateNullPlatform(1280, 720)));
  ResetKeys();
  ResetPads();
  SetPadReader([](uint32_t index, PadRawState* out) { return platform::GetPlatform().ReadPad(index, out); });
  InstallGameplay();
  InstallUiHooks();
  Game& game = TheGame();
  game.app = std::make_unique<Application>();
  if (!game.app->Initialize()) return false;
  ClearLogSinks();  // the game's log lines are of no use here and would slow the trials down
  return true;
}

// Plays one frame with `input`; false when the game ended.
bool Step(const InputFrame& input) {
  Game& game = TheGame();
  InputRun run;
  run.frames = 1;
  run.dt = kFrameSeconds;
  run.input = input;
  AppendInputRun(run);
  std::vector<InputRun>& runs = game.played.runs;
  if (!runs.empty() && runs.back().input == input && runs.back().dt == run.dt) {
    ++runs.back().frames;
  } else {
    runs.push_back(run);
  }
  const bool going = game.app->Pass();
  if (const Level* scene = CurrentScene()) {
    if (scene->sceneId >= 6 && scene->sceneId <= 8) {
      if (const GameObject* player = ScenePlayer()) {
        if (const Transform* t = player->GetTransform()) game.route.emplace_back(t->position[0], t->position[1]);
      }
      game.levelTime = scene->time;
      game.foodCollected = scene->foodCollected;
      game.foodCount = scene->foodCount;
      game.thresholds[0] = scene->sRank, game.thresholds[1] = scene->aRank, game.thresholds[2] = scene->bRank;
    } else if (scene->sceneId == kEndSceneId && game.endSceneFrame < 0) {
      game.endSceneFrame = game.played.FrameCount();
    }
  }
  return going;
}

// The end scene's rank: every piece left behind costs 30 seconds.
char Rank(const Game& game, float* total) {
  *total = game.levelTime + static_cast<float>(game.foodCount - game.foodCollected) * 30.0f;
  if (*total <= game.thresholds[0]) return 's';
  if (*total <= game.thresholds[1]) return 'a';
  if (*total <= game.thresholds[2]) return 'b';
  return 'c';
}

InputFrame Stick(float x, float y) {
  InputFrame input;
  const float length = std::hypot(x, y);
  if (length > 0.0f) {
    input.leftStickX = static_cast<int16_t>(std::lround(32767.0f * x / length));
    input.leftStickY = static_cast<int16_t>(std::lround(32767.0f * y / length));
  }
  return input;
}

std::vector<GameObject*> ObjectsOf(ObjectType type) {
  std::vector<GameObject*> out;
  for (GameObject* o : Objects()) {
    if (o != nullptr && o->type == type) out.push_back(o);
  }
  return out;
}

Point PositionOf(const GameObject* o) {
  const Transform* t = o->GetTransform();
  return t != nullptr ? Point{t->position[0], t->position[1]} : Point{};
}

int32_t StateOf(const GameObject* o) {
  const Behavior* b = BehaviorOf(o);
  return b != nullptr ? b->currentState : 0;
}

bool InLevel() {
  const Level* scene = CurrentScene();
  return scene != nullptr && scene->sceneId >= 6 && scene->sceneId <= 8;
}

// How strict a try is about being noticed. A guard's half alert (a glimpse: it comes to look) is
// first counted as a failure; when nothing gets through that way, a glimpse is let go as long as no
// guard starts the chase, since the forked look-ahead shows whether the guard then finds the player.
bool gLetGlimpsesGo = false;

// How hard a search round looks. Round 0 tries the few cheapest pieces at each choice with the
// usual waits; later rounds offer every piece still lying about (also one that failed earlier
// from another place), wait longer, use more hideouts and a closer berth.
int gRound = 0;

// Why the last leg failed, for the report: "a guard noticed the player at (x, y)", "no route".
std::string gLegWhy;

// The solver's own time limit: past it, every try fails at once and the search winds down.
std::chrono::steady_clock::time_point gDeadline = std::chrono::steady_clock::time_point::max();
bool PastDeadline() { return std::chrono::steady_clock::now() > gDeadline; }

// A guard that has noticed the player (grace, half alert, chase, giving up) or a catch.
bool Noticed() {
  const Level* scene = CurrentScene();
  if (scene != nullptr && scene->gameOver) return true;
  for (GameObject* guard : ObjectsOf(ObjectType::Enemy)) {
    const int32_t s = StateOf(guard);
    // A full meter (the grace before the chase) always ends in a chase or a search.
    if (s == human_state::kGrace || s == human_state::kFullAlert || s == human_state::kGiveUp) return true;
    if (s == human_state::kHalfAlert && !gLetGlimpsesGo) return true;
  }
  return false;
}

// ---- the player's grid ------------------------------------------------------------------------

struct Rect {
  float x, y, w, h;
};

float DistanceToRect(Point p, const Rect& r) {
  const float dx = std::max(std::fabs(p.x - r.x) - r.w / 2, 0.0f);
  const float dy = std::max(std::fabs(p.y - r.y) - r.h / 2, 0.0f);
  return std::hypot(dx, dy);
}

Rect RectOf(const GameObject* o) {
  const Transform* t = o->GetTransform();
  float w = t->scale[0], h = t->scale[1];
  if (t->rotation == 90.0f || t->rotation == 270.0f) std::swap(w, h);
  return Rect{t->position[0], t->position[1], w, h};
}

// Cells the player's centre may cross, over the same area as the game's path grid. Vents and cover
// are open to the player; kill zones are kept well clear.
struct Grid {
  int columns = 315, rows = 330;
  std::vector<uint8_t> open;
  std::vector<float> penalty;

  Point Centre(int c, int r) const { return Point{kOrigin + (c + 0.5f) * kCell, kOrigin + (r + 0.5f) * kCell}; }
  bool Inside(int c, int r) const { return c >= 0 && r >= 0 && c < columns && r < rows; }
  bool Open(int c, int r) const { return Inside(c, r) && open[static_cast<size_t>(r * columns + c)] != 0; }
  void CellOf(Point p, int* c, int* r) const {
    *c = static_cast<int>(std::floor((p.x - kOrigin) / kCell));
    *r = static_cast<int>(std::floor((p.y - kOrigin) / kCell));
  }

  void Build(bool barriersOpen) {
    std::vector<Rect> walls, hazards;
    for (GameObject* o : Objects()) {
      if (o == nullptr) continue;
      switch (o->type) {
        case ObjectType::Wall: case ObjectType::Glass: walls.push_back(RectOf(o)); break;
        case ObjectType::EscapeBarrier: if (!barriersOpen) walls.push_back(RectOf(o)); break;
        case ObjectType::KillZone: hazards.push_back(RectOf(o)); break;
        default: break;
      }
    }
    // A shattered pane loses its collision; only panes that still collide block.
    open.assign(static_cast<size_t>(columns * rows), 1);
    penalty.assign(open.size(), 0.0f);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        const Point p = Centre(c, r);
        bool free = true;
        for (const Rect& w : walls) free = free && DistanceToRect(p, w) > kClearance;
        for (const Rect& h : hazards) free = free && DistanceToRect(p, h) > kHazardClearance;
        open[static_cast<size_t>(r * columns + c)] = free ? 1 : 0;
      }
    }
  }

  void Avoid(Point at, float radius, float cost) {
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        if (Distance(Centre(c, r), at) < radius) penalty[static_cast<size_t>(r * columns + c)] += cost;
      }
    }
  }

  // True when a straight line between two points stays on open cells.
  bool Clear(Point a, Point b) const {
    const float length = Distance(a, b);
    const int steps = std::max(1, static_cast<int>(length / 4.0f));
    for (int i = 0; i <= steps; ++i) {
      const float t = static_cast<float>(i) / static_cast<float>(steps);
      int c = 0, r = 0;
      CellOf(Point{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}, &c, &r);
      if (!Open(c, r)) return false;
    }
    return true;
  }

  // The nearest open cell to a point (a goal may sit inside a box, e.g. the escape zone).
  bool Nearest(Point p, int* c, int* r) const {
    CellOf(p, c, r);
    if (Open(*c, *r)) return true;
    for (int ring = 1; ring < 20; ++ring) {
      float best = 1e9f;
      int bc = -1, br = -1;
      for (int dr = -ring; dr <= ring; ++dr) {
        for (int dc = -ring; dc <= ring; ++dc) {
          if (std::max(std::abs(dr), std::abs(dc)) != ring || !Open(*c + dc, *r + dr)) continue;
          const float d = Distance(Centre(*c + dc, *r + dr), p);
          if (d < best) best = d, bc = *c + dc, br = *r + dr;
        }
      }
      if (bc >= 0) {
        *c = bc, *r = br;
        return true;
      }
    }
    return false;
  }

  // A* over the cells (eight neighbours, no corner cutting); the route as points, start excluded.
  std::vector<Point> Route(Point from, Point to, float* length) const {
    int sc = 0, sr = 0, gc = 0, gr = 0;
    if (!Nearest(from, &sc, &sr) || !Nearest(to, &gc, &gr)) return {};
    const size_t n = open.size();
    std::vector<float> g(n, 1e30f);
    std::vector<int> parent(n, -1);
    using Entry = std::pair<float, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> frontier;
    const int start = sr * columns + sc, goal = gr * columns + gc;
    g[static_cast<size_t>(start)] = 0.0f;
    frontier.push({0.0f, start});
    while (!frontier.empty()) {
      const auto [f, at] = frontier.top();
      frontier.pop();
      if (at == goal) break;
      const int c = at % columns, r = at / columns;
      const float here = g[static_cast<size_t>(at)];
      if (f - Heuristic(c, r, gc, gr) > here + 1e-3f) continue;
      for (int dr = -1; dr <= 1; ++dr) {
        for (int dc = -1; dc <= 1; ++dc) {
          if ((dr == 0 && dc == 0) || !Open(c + dc, r + dr)) continue;
          if (dr != 0 && dc != 0 && (!Open(c + dc, r) || !Open(c, r + dr))) continue;
          const int next = (r + dr) * columns + (c + dc);
          const float step = (dr != 0 && dc != 0 ? 1.41421f : 1.0f) * kCell + penalty[static_cast<size_t>(next)];
          if (here + step < g[static_cast<size_t>(next)]) {
            g[static_cast<size_t>(next)] = here + step;
            parent[static_cast<size_t>(next)] = at;
            frontier.push({here + step + Heuristic(c + dc, r + dr, gc, gr), next});
          }
        }
      }
    }
    if (parent[static_cast<size_t>(goal)] < 0 && goal != start) return {};
    std::vector<Point> route;
    for (int at = goal; at != start; at = parent[static_cast<size_t>(at)]) route.push_back(Centre(at % columns, at / columns));
    std::reverse(route.begin(), route.end());
    if (length != nullptr) *length = g[static_cast<size_t>(goal)];
    route.push_back(to);
    return route;
  }

  static float Heuristic(int c, int r, int gc, int gr) {
    return kCell * std::hypot(static_cast<float>(c - gc), static_cast<float>(r - gr));
  }
};

// ---- legs -------------------------------------------------------------------------------------

enum Outcome : int { kReached = 0, kNoticed = 1, kStuck = 2, kEnded = 3 };

struct Leg {
  std::vector<Point> route;
  std::vector<Point> timed;  // when planned against the guards' forecast: where to be on each frame
  int waitFrames = 0;
  std::function<bool()> done;  // the leg's goal, checked after every frame
  Point noticedAt;             // where the player stood when a guard noticed it
};

GameObject* Player() { return ScenePlayer(); }

// Plays a timed leg: on each frame the player heads for where the plan has it on the next one and
// stands still when ahead of it; past the plan's end it walks on to the route's last point.
Outcome PlayTimed(Leg& leg) {
  const size_t n = leg.timed.size();
  for (size_t k = 0; k < n + 300; ++k) {
    GameObject* player = Player();
    if (player == nullptr) return kEnded;
    const Point at = PositionOf(player);
    const Point target = k + 1 < n ? leg.timed[k + 1] : leg.route.back();
    const bool ahead = k + 1 < n && Distance(at, target) < 2.0f;
    const InputFrame input = ahead ? InputFrame{} : Stick(target.x - at.x, target.y - at.y);
    if (!Step(input) || !InLevel()) return leg.done() ? kReached : kEnded;
    if (Noticed()) {
      leg.noticedAt = PositionOf(Player());
      return kNoticed;
    }
    if (leg.done()) return kReached;
  }
  return kStuck;
}

// Plays a leg: waits, then follows the route, steering at the farthest route point in plain sight.
Outcome PlayLeg(Leg& leg, int maxFrames = 6000) {
  if (!leg.timed.empty()) return PlayTimed(leg);
  for (int i = 0; i < leg.waitFrames; ++i) {
    if (!Step(InputFrame{}) || !InLevel()) return kEnded;
    if (Noticed()) {
      leg.noticedAt = PositionOf(Player());
      return kNoticed;
    }
  }
  size_t next = 0;
  float best = 1e9f;
  int sinceBest = 0;
  for (int frame = 0; frame < maxFrames; ++frame) {
    GameObject* player = Player();
    if (player == nullptr) return kEnded;
    const Point at = PositionOf(player);
    while (next + 1 < leg.route.size() && Distance(at, leg.route[next]) < 10.0f) ++next;
    const Point target = leg.route.empty() ? at : leg.route[std::min(next, leg.route.size() - 1)];
    if (!Step(Stick(target.x - at.x, target.y - at.y)) || !InLevel()) return leg.done() ? kReached : kEnded;
    if (Noticed()) {
      leg.noticedAt = PositionOf(Player());
      return kNoticed;
    }
    if (leg.done()) return kReached;
    const float left = leg.route.empty() ? 0.0f : Distance(PositionOf(Player()), leg.route.back());
    if (left < best - 1.0f) {
      best = left, sinceBest = 0;
    } else if (++sinceBest > 150) {
      return kStuck;
    }
  }
  return kStuck;
}

// Plays legs one after another; the index of the first that did not reach its goal (legs.size()
// when all did) and how it ended.
size_t PlayLegs(std::vector<Leg>& legs, Outcome* outcome) {
  for (size_t i = 0; i < legs.size(); ++i) {
    *outcome = PlayLeg(legs[i]);
    if (*outcome != kReached) return i;
  }
  *outcome = kReached;
  return legs.size();
}

// Plays legs in a forked copy of the game and reports how they ended (and where a guard noticed
// the player). The game here is left as it was.
Outcome TryLegs(std::vector<Leg>& legs, Point* noticedAt) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return kStuck;
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    close(pipefd[0]);
    Outcome outcome = kReached;
    const size_t failed = PlayLegs(legs, &outcome);
    const Point where = failed < legs.size() ? legs[failed].noticedAt : Point{};
    const float report[2] = {where.x, where.y};
    if (write(pipefd[1], report, sizeof report) != static_cast<ssize_t>(sizeof report)) _exit(kStuck);
    _exit(outcome);
  }
  close(pipefd[1]);
  float where[2] = {0.0f, 0.0f};
  if (read(pipefd[0], where, sizeof where) == static_cast<ssize_t>(sizeof where)) *noticedAt = Point{where[0], where[1]};
  close(pipefd[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? static_cast<Outcome>(WEXITSTATUS(status)) : kStuck;
}

// Places where a guard does not see the player: under a cover, in a vent.
std::vector<Point> Hideouts() {
  std::vector<Point> out;
  for (GameObject* o : Objects()) {
    if (o != nullptr && (o->type == ObjectType::Cover || o->type == ObjectType::Vent)) out.push_back(PositionOf(o));
  }
  return out;
}

// Waits tried before a leg, in frames: short ones finely, then every second up to half a minute.
std::vector<int> Waits() {
  std::vector<int> out = {0, 10, 25, 50, 75};
  // The later rounds wait longer and longer: 24 s, then 60, 120 and 240.
  const int longest = gRound < 2 ? 24 : (gRound == 2 ? 60 : 60 * (1 << (gRound - 2)));
  for (int s = 2; s <= longest; ++s) out.push_back(s * 50);
  return out;
}

// ---- the guards' forecast and timed legs ------------------------------------------------------

// While nobody has noticed the player, the guards walk the same whatever the player does. A forked
// copy of the game with the player put far outside the walls plays on for a while and reports
// where each guard stands and which way it faces on every frame; a leg is then planned over the
// grid in space and time so that the player is never where a guard could see it.
struct Pose {
  float x = 0.0f, y = 0.0f, rotation = 0.0f;
};

struct Forecast {
  int guards = 0;
  int frames = 0;            // frames forecast (all guards still on their rounds)
  std::vector<Pose> poses;  // frame * guards + guard; frame 0 is the next frame played
  const Pose& At(int frame, int guard) const { return poses[static_cast<size_t>(frame * guards + guard)]; }
};

bool OnRounds(const GameObject* guard) {
  const int32_t s = StateOf(guard);
  return s == human_state::kIdle || s == human_state::kPatrol;
}

Forecast Foresee(int frames) {
  Forecast out;
  out.guards = static_cast<int>(ObjectsOf(ObjectType::Enemy).size());
  int pipefd[2];
  if (out.guards == 0 || pipe(pipefd) != 0) return out;
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    close(pipefd[0]);
    if (Transform* t = Player()->GetTransform()) t->position[0] = -400.0f, t->position[1] = -400.0f;
    std::vector<Pose> frame;
    for (int f = 0; f < frames; ++f) {
      if (!Step(InputFrame{}) || !InLevel()) break;
      frame.clear();
      bool calm = true;
      for (GameObject* g : ObjectsOf(ObjectType::Enemy)) {
        const Transform* t = g->GetTransform();
        frame.push_back(Pose{t->position[0], t->position[1], t->rotation});
        calm = calm && OnRounds(g);
      }
      if (!calm) break;
      const ssize_t bytes = static_cast<ssize_t>(frame.size() * sizeof(Pose));
      if (write(pipefd[1], frame.data(), static_cast<size_t>(bytes)) != bytes) break;
    }
    close(pipefd[1]);
    _exit(0);
  }
  close(pipefd[1]);
  std::vector<Pose> frame(static_cast<size_t>(out.guards));
  const size_t bytes = frame.size() * sizeof(Pose);
  for (;;) {
    size_t got = 0;
    while (got < bytes) {
      const ssize_t r = read(pipefd[0], reinterpret_cast<char*>(frame.data()) + got, bytes - got);
      if (r <= 0) break;
      got += static_cast<size_t>(r);
    }
    if (got < bytes) break;
    out.poses.insert(out.poses.end(), frame.begin(), frame.end());
    ++out.frames;
  }
  close(pipefd[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return out;
}

// How wide a berth the plan gives the guards' sight: extra reach, extra cone and frames either side.
struct Margin {
  float reach;
  int degrees;
  int frames;
};

bool SegmentMeetsRect(Point a, Point b, const Rect& r) {
  // Slab test of the segment against the box.
  float t0 = 0.0f, t1 = 1.0f;
  const float d[2] = {b.x - a.x, b.y - a.y};
  const float o[2] = {a.x, a.y};
  const float lo[2] = {r.x - r.w / 2, r.y - r.h / 2};
  const float hi[2] = {r.x + r.w / 2, r.y + r.h / 2};
  for (int i = 0; i < 2; ++i) {
    if (std::fabs(d[i]) < 1e-6f) {
      if (o[i] < lo[i] || o[i] > hi[i]) return false;
      continue;
    }
    float ta = (lo[i] - o[i]) / d[i], tb = (hi[i] - o[i]) / d[i];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta), t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  return true;
}

struct Watchers {
  const Forecast* forecast = nullptr;
  std::vector<Rect> walls;    // what blocks sight
  std::vector<Rect> hideouts;  // where no guard sees the player (cover; vents unless carrying)
  Margin margin{};

  bool Hidden(Point p) const {
    for (const Rect& h : hideouts) {
      if (std::fabs(p.x - h.x) < h.w / 2 - 4.0f && std::fabs(p.y - h.y) < h.h / 2 - 4.0f) return true;
    }
    return false;
  }

  bool SeenBy(const Pose& g, Point p) const {
    const float dx = p.x - g.x, dy = p.y - g.y;
    const float d2 = dx * dx + dy * dy;
    const float near = 70.0f + margin.reach;
    if (d2 < near * near) return true;
    const float far = 500.0f + margin.reach;
    if (d2 > far * far) return false;
    if (!InCone(g.rotation, DirectionAngle(dx, dy), 120 + 2 * margin.degrees)) return false;
    for (const Rect& w : walls) {
      if (SegmentMeetsRect(Point{g.x, g.y}, p, w)) return false;
    }
    return true;
  }

  // True when no guard can see the player at p around frame t.
  bool Safe(Point p, int t) const {
    if (Hidden(p)) return true;
    const int first = std::max(0, t - margin.frames), last = std::min(forecast->frames - 1, t + margin.frames);
    for (int f = first; f <= last; f += 2) {
      for (int g = 0; g < forecast->guards; ++g) {
        if (SeenBy(forecast->At(f, g), p)) return false;
      }
    }
    return true;
  }
};

// Space-time A* from `from` to `to` over the grid's open cells: each step moves to a neighbour in a
// fixed number of frames (below the player's top speed, so the plan can be kept) or waits. The
// plan is the player's position on every frame; empty when no unseen way was found.
std::vector<Point> PlanTimed(const Grid& grid, const Watchers& watch, Point from, Point to, bool carrying) {
  int sc = 0, sr = 0, gc = 0, gr = 0;
  if (!grid.Nearest(from, &sc, &sr) || !grid.Nearest(to, &gc, &gr)) return {};
  // Frames per straight and diagonal step: 13 and 18.4 units, at about 70 % of the walking speed
  // (450) or 80 % of the carrying speed (200).
  const int straightFrames = carrying ? 4 : 2, diagonalFrames = carrying ? 6 : 3, waitFrames = 2;
  const float unitsPerFrame = carrying ? 3.25f : 6.5f;
  const int horizon = watch.forecast->frames - watch.margin.frames - 1;
  struct Node {
    int cell, t, parent;
  };
  std::vector<Node> nodes;
  using Entry = std::pair<float, int>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  std::unordered_set<uint64_t> closed;
  auto key = [](int cell, int t) { return (static_cast<uint64_t>(cell) << 20) | static_cast<uint64_t>(t >> 1); };
  auto h = [&](int c, int r) { return Grid::Heuristic(c, r, gc, gr) / unitsPerFrame; };
  nodes.push_back({sr * grid.columns + sc, 0, -1});
  open.push({h(sc, sr), 0});
  int found = -1;
  size_t expanded = 0;
  while (!open.empty() && expanded < 4000000) {
    const int index = open.top().second;
    open.pop();
    const Node node = nodes[static_cast<size_t>(index)];
    if (!closed.insert(key(node.cell, node.t)).second) continue;
    ++expanded;
    const int c = node.cell % grid.columns, r = node.cell / grid.columns;
    if (c == gc && r == gr) {
      found = index;
      break;
    }
    for (int dr = -1; dr <= 1; ++dr) {
      for (int dc = -1; dc <= 1; ++dc) {
        const bool wait = dr == 0 && dc == 0;
        if (!wait && !grid.Open(c + dc, r + dr)) continue;
        if (dr != 0 && dc != 0 && (!grid.Open(c + dc, r) || !grid.Open(c, r + dr))) continue;
        const int t = node.t + (wait ? waitFrames : (dr != 0 && dc != 0 ? diagonalFrames : straightFrames));
        if (t > horizon) continue;
        const int cell = (r + dr) * grid.columns + (c + dc);
        if (closed.count(key(cell, t)) != 0) continue;
        // The destination must be unseen on arriving and the way there at its middle.
        const Point p = grid.Centre(c + dc, r + dr);
        if (!watch.Safe(p, t)) continue;
        if (!wait) {
          const Point here = grid.Centre(c, r);
          if (!watch.Safe(Point{(p.x + here.x) / 2, (p.y + here.y) / 2}, (t + node.t) / 2)) continue;
        }
        nodes.push_back({cell, t, index});
        open.push({static_cast<float>(t) + h(c + dc, r + dr), static_cast<int>(nodes.size() - 1)});
      }
    }
  }
  if (found < 0) return {};
  std::vector<const Node*> chain;
  for (int i = found; i >= 0; i = nodes[static_cast<size_t>(i)].parent) chain.push_back(&nodes[static_cast<size_t>(i)]);
  std::reverse(chain.begin(), chain.end());
  std::vector<Point> timed;
  timed.push_back(from);
  for (size_t i = 1; i < chain.size(); ++i) {
    const Point a = i == 1 ? from : grid.Centre(chain[i - 1]->cell % grid.columns, chain[i - 1]->cell / grid.columns);
    const Point b = grid.Centre(chain[i]->cell % grid.columns, chain[i]->cell / grid.columns);
    const int span = chain[i]->t - chain[i - 1]->t;
    for (int k = 1; k <= span; ++k) {
      const float u = static_cast<float>(k) / static_cast<float>(span);
      timed.push_back(Point{a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u});
    }
  }
  return timed;
}

// Tries timed legs towards `goal` against a forecast of the guards, with wider and wider berths;
// plays the first that goes through unseen for real. False when none did.
bool GoTimed(const char* what, Point goal, const std::function<bool()>& done, bool barriersOpen) {
  const bool carrying = StateOf(Player()) == player_state::kCarry;
  Grid grid;
  grid.Build(barriersOpen);
  Watchers watch;
  for (GameObject* o : Objects()) {
    if (o == nullptr) continue;
    if (o->type == ObjectType::Wall) watch.walls.push_back(RectOf(o));
    if (o->type == ObjectType::Cover || (o->type == ObjectType::Vent && !carrying)) watch.hideouts.push_back(RectOf(o));
    // A vent takes the food out of the player's hands: a carry keeps off them.
    if (o->type == ObjectType::Vent && carrying) {
      const Rect v = RectOf(o);
      for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
          if (DistanceToRect(grid.Centre(c, r), v) < 24.0f) grid.open[static_cast<size_t>(r * grid.columns + c)] = 0;
        }
      }
    }
  }
  const Forecast forecast = Foresee(4000);
  watch.forecast = &forecast;
  const Point from = PositionOf(Player());
  std::vector<Margin> margins = {{40.0f, 10, 6}, {90.0f, 20, 14}, {15.0f, 4, 3}};
  if (gRound >= 2) margins.push_back({5.0f, 2, 1});
  for (const Margin& m : margins) {
    if (PastDeadline()) return false;
    watch.margin = m;
    const auto started = std::chrono::steady_clock::now();
    std::vector<Point> timed = PlanTimed(grid, watch, from, goal, carrying);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (timed.empty()) {
      std::printf("  %s: no unseen timed way (berth %.0f units, %d degrees; forecast %d frames; %.1f s)\n", what,
                  m.reach, m.degrees, forecast.frames, took);
      continue;
    }
    std::vector<Leg> plan(1);
    plan[0].timed = timed;
    plan[0].route = {goal};
    plan[0].done = done;
    Point noticedAt;
    const Outcome outcome = TryLegs(plan, &noticedAt);
    if (outcome != kReached) {
      std::printf("  %s: the timed way (%zu frames, berth %.0f) failed (%d at %.0f, %.0f)\n", what, timed.size(),
                  m.reach, static_cast<int>(outcome), noticedAt.x, noticedAt.y);
      continue;
    }
    Outcome replayed = kReached;
    if (PlayLegs(plan, &replayed) != plan.size()) {
      std::printf("  %s: the replay of a timed way differs\n", what);
      return false;
    }
    std::printf("  %s: reached by a timed way of %zu frames (berth %.0f units, planned in %.1f s)\n", what,
                timed.size(), m.reach, took);
    return true;
  }
  return false;
}

// Finds a way through towards `goal` and plays it for real: straight there after a wait, or first
// to a hideout nearby and from there after a wait; with each failure the routes keep away from
// where the player was noticed. False when nothing worked.
bool Go(const char* what, Point goal, const std::function<bool()>& done, bool barriersOpen) {
  if (GoTimed(what, goal, done, barriersOpen)) return true;
  Grid grid;
  grid.Build(barriersOpen);
  const Point from = PositionOf(Player());
  std::vector<Point> hideouts = Hideouts();
  std::sort(hideouts.begin(), hideouts.end(), [&](Point a, Point b) {
    return Distance(from, a) + Distance(a, goal) < Distance(from, b) + Distance(b, goal);
  });
  const size_t hideoutsTried = gRound >= 2 ? 8 : 4;
  if (hideouts.size() > hideoutsTried) hideouts.resize(hideoutsTried);
  int tries = 0;
  bool everNoticed = false, everStuck = false;
  Point lastNoticed = from;  // over all tries, for the report
  for (int pass = 0; pass < 2; ++pass) {
  gLetGlimpsesGo = pass == 1;
  grid.penalty.assign(grid.open.size(), 0.0f);
  for (int round = 0; round < 3; ++round) {
    // Candidate plans: straight, then by each hideout.
    std::vector<std::vector<Leg>> plans;
    float length = 0.0f;
    Leg straight;
    straight.done = done;
    straight.route = grid.Route(from, goal, &length);
    if (straight.route.empty()) {
      std::printf("  %s: no route to (%.0f, %.0f)\n", what, goal.x, goal.y);
      gLegWhy = "no way leads there from (" + Coordinates(from) + ")";
      gLetGlimpsesGo = false;
      return false;
    }
    plans.push_back({straight});
    for (Point h : hideouts) {
      Leg hide;
      hide.route = grid.Route(from, h, nullptr);
      hide.done = [h] { return Distance(PositionOf(Player()), h) < 12.0f; };
      Leg onward;
      onward.route = grid.Route(h, goal, nullptr);
      onward.done = done;
      if (!hide.route.empty() && !onward.route.empty()) plans.push_back({hide, onward});
    }
    Point roundNoticed = from;  // this round's, which the next round's routes keep away from
    for (std::vector<Leg>& plan : plans) {
      for (int wait : Waits()) {
        if (PastDeadline()) {
          std::printf("  %s: out of time\n", what);
          gLegWhy = "the search ran out of time";
          gLetGlimpsesGo = false;
          return false;
        }
        plan.back().waitFrames = wait;
        ++tries;
        Point noticedAt;
        const Outcome outcome = TryLegs(plan, &noticedAt);
        if (outcome == kReached) {
          std::vector<Leg> real = plan;
          Outcome replayed = kReached;
          const bool same = PlayLegs(real, &replayed) == real.size();
          gLetGlimpsesGo = false;
          if (!same) {
            std::printf("  %s: the replay of a tried plan differs\n", what);
            return false;
          }
          std::printf("  %s: reached %s after waiting %.1f s (route %.0f units, %d tries%s)\n", what,
                      plan.size() > 1 ? "by a hideout" : "straight", wait * kFrameSeconds, length, tries,
                      pass == 1 ? ", a guard glimpsed the player" : "");
          return true;
        }
        if (outcome == kNoticed) {
          lastNoticed = roundNoticed = noticedAt;
          everNoticed = true;
          continue;
        }
        everStuck = true;
        break;  // stuck or ended: no wait helps this plan
      }
    }
    // Keep away from where the player was noticed last, and plan again.
    grid.Avoid(roundNoticed, 250.0f, 60.0f);
  }
  }
  gLetGlimpsesGo = false;
  std::printf("  %s: every try was noticed or stuck (%d tries)\n", what, tries);
  if (PastDeadline()) {
    gLegWhy = "the search ran out of time";
  } else if (everNoticed) {
    gLegWhy = "a guard noticed the player on every try (last at (" + Coordinates(lastNoticed) + "))";
  } else {
    gLegWhy = everStuck ? "the player got stuck on the way" : "no try got through";
  }
  return false;
}

bool Tap(InputFrame input) { return Step(input) && Step(InputFrame{}); }

// ---- the plan ---------------------------------------------------------------------------------

// True in a process whose forked branch won: the branch wrote the script and this one only stops.
bool gWonByBranch = false;
// True in the process that played the winning run itself.
bool gWonHere = false;
// How many pieces round 0 tries at each choice before the choice is handed back; later rounds try
// every piece.
constexpr size_t kFirstRoundBranches = 3;

// The furthest the search got without winning, and why it stopped there: what the report says
// when the level is not won. Forked branches hand theirs back to the parent through a pipe.
struct Failure {
  int32_t delivered = -1;  // pieces delivered when it failed; -1: nothing failed yet
  int32_t legsFailed = 0;  // legs that found no unseen way: a harder round might get through
  char text[400] = "";
};
Failure gFailure;

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

int SceneIdFor(const std::string& level) {
  const std::string name = fs::path(level).filename().string();
  if (name == "level1.json") return 6;
  if (name == "level2.json") return 7;
  if (name == "level3.json") return 8;
  return -1;
}

// Puts the level read from `path` in the place of the scene `sceneId`, so a level that is not one of
// the game's own files (the editor's copy of the level being edited) is played as that scene.
bool SubstituteLevel(const std::string& path, int32_t sceneId) {
  Level* scene = FindSceneById(sceneId);
  if (scene == nullptr) return false;
  std::error_code ec;
  if (fs::equivalent(path, scene->path, ec)) return true;  // already the scene's own file
  std::unique_ptr<Level> loaded = LoadLevel(path);
  if (loaded == nullptr) return false;
  const int32_t index = scene->sceneIndex;
  *scene = std::move(*loaded);
  scene->sceneIndex = index;
  scene->sceneId = sceneId;
  return true;
}

// The route file: the player's position every second frame, one "x y" line each, after a line
// that says what it is.
std::string RouteText(const Game& game) {
  std::string text = "# quillmarch-solve route: x y of the player every 2 frames of 0.02 s\n";
  char line[64];
  for (size_t i = 0; i < game.route.size(); i += 2) {
    std::snprintf(line, sizeof line, "%.1f %.1f\n", game.route[i].first, game.route[i].second);
    text += line;
  }
  return text;
}

// The folder holding the solver's own executable: the game's data lies beside it in a build.
std::string ExecutableFolder(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) self = fs::absolute(argv0, ec);
  return self.parent_path().string();
}

}  // namespace

// Exit codes: 0 won (the script is written), 1 not won (the last line says why), 2 bad usage,
// 3 the level or the game's data could not be read.
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string level, out, data, routeFile;
  int32_t sceneId = -1;
  double budget = 900.0;  // seconds the solver may search
  bool usageError = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--scene" && i + 1 < args.size()) {
      sceneId = std::atoi(args[++i].c_str());
    } else if (args[i] == "--budget" && i + 1 < args.size()) {
      budget = std::atof(args[++i].c_str());
    } else if (args[i] == "--data" && i + 1 < args.size()) {
      data = args[++i];
    } else if (args[i] == "--route" && i + 1 < args.size()) {
      routeFile = args[++i];
    } else if (level.empty()) {
      level = args[i];
    } else if (out.empty()) {
      out = args[i];
    } else {
      usageError = true;
    }
  }
  if (usageError || level.empty() || out.empty() || !(budget > 0.0) || (sceneId >= 0 && (sceneId < 6 || sceneId > 8))) {
    std::fprintf(stderr,
                 "usage: quillmarch-solve LEVEL OUT.qinput [--scene ID] [--data DIR] [--budget SECONDS] [--route FILE]\n"
                 "  LEVEL is any level file; it is played as scene ID (6, 7 or 8; by default the scene whose\n"
                 "  file it is, else 6) with the game's data from DIR (by default the folder two above a\n"
                 "  level in Assets/Levels, else the solver's own folder). --route writes the player's way.\n");
    return 2;
  }
  if (sceneId < 0) sceneId = SceneIdFor(level);
  if (sceneId < 0) sceneId = 6;
  std::error_code ec;
  if (!fs::is_regular_file(level, ec)) {
    std::printf("result: not won: the level file %s cannot be read\n", level.c_str());
    return 3;
  }
  level = fs::absolute(level).string();
  if (data.empty()) {
    // A level among the game's own files, else the data beside the solver (the editor's copy).
    const fs::path above = (fs::path(level).parent_path() / ".." / "..").lexically_normal();
    data = fs::exists(above / "Assets" / "Attributes", ec) ? above.string() : ExecutableFolder(argv[0]);
  }
  out = fs::absolute(out).string();
  if (!routeFile.empty()) routeFile = fs::absolute(routeFile).string();

  const auto started = std::chrono::steady_clock::now();
  gDeadline = started + std::chrono::milliseconds(static_cast<int64_t>(budget * 1000.0));
  if (!StartGame(data, sceneId)) {
    std::printf("result: not won: the game could not start with the data in %s\n", data.c_str());
    return 3;
  }
  if (!SubstituteLevel(level, sceneId)) {
    std::printf("result: not won: the level file %s cannot be read\n", level.c_str());
    return 3;
  }
  const bool won = Solve();
  if (gWonByBranch) {
    std::fflush(stdout);
    _exit(0);  // the winning branch wrote the script
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  Game& game = TheGame();
  // A few frames of the end scene, so a replay ends on it.
  for (int i = 0; won && i < 5; ++i) Step(InputFrame{});
  float total = 0.0f;
  const char rank = Rank(game, &total);
  char result[256];
  // Only a won run is expected to reach the end scene with a rank; an unfinished one says so.
  char expect[96];
  if (won) {
    std::snprintf(expect, sizeof expect, "expect scene %d end-scene-frame %lld rank %c", static_cast<int>(sceneId),
                  static_cast<long long>(game.endSceneFrame), rank);
  } else {
    std::snprintf(expect, sizeof expect, "scene %d not won", static_cast<int>(sceneId));
  }
  std::snprintf(result, sizeof result,
                "\n# %s\n# level time %.2f s, food %d of %d, total %.2f s (S %.0f, A %.0f, B %.0f)", expect,
                game.levelTime, game.foodCollected, game.foodCount, total, game.thresholds[0], game.thresholds[1],
                game.thresholds[2]);
  const std::string text = WriteInputScript(game.played, std::string(won ? "winning" : "unfinished") +
                                                             " run of scene " + std::to_string(sceneId) +
                                                             " by quillmarch-solve: --fixed-dt 0.02 --seed 1" +
                                                             result);
  std::printf("%s\n", result + 3);
  std::string why;
  if (!files::ReplaceFileContents(out, text, &why)) {
    std::fprintf(stderr, "quillmarch-solve: cannot write %s: %s\n", out.c_str(), why.c_str());
    std::printf("result: not won: cannot write %s: %s\n", out.c_str(), why.c_str());
    _exit(3);
  }
  if (won && !routeFile.empty() && !files::ReplaceFileContents(routeFile, RouteText(game), &why)) {
    std::fprintf(stderr, "quillmarch-solve: cannot write %s: %s\n", routeFile.c_str(), why.c_str());
  }
  std::printf("%s: %s, %lld frames (%.1f s of play), solved in %.1f s\n", out.c_str(), won ? "won" : "NOT won",
              static_cast<long long>(game.played.FrameCount()), game.played.FrameCount() * kFrameSeconds, seconds);
  // The last line says how it ended, for whoever started the solver (the editor reads it).
  if (won) {
    const RankThresholds ranks = SuggestRankThresholds(total);
    std::printf("result: won: total %.2f s, suggested S %.0f A %.0f B %.0f\n", total, ranks.s, ranks.a, ranks.b);
  } else {
    const bool outOfTime = PastDeadline();
    std::printf("result: not won: %s%s\n", gFailure.delivered >= 0 ? gFailure.text : "no way through was found",
                outOfTime ? " (the whole budget was spent)" : " (every piece and every way was tried)");
  }
  // Leave without tearing the game down: the run is over and its state is of no further use.
  std::fflush(stdout);
  _exit(won ? 0 : 1);
}
