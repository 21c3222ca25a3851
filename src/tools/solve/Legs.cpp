#include "tools/solve/Legs.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "tools/solve/SearchState.h"

namespace solve {

namespace {

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

}  // namespace

size_t PlayLegs(std::vector<Leg>& legs, Outcome* outcome) {
  for (size_t i = 0; i < legs.size(); ++i) {
    *outcome = PlayLeg(legs[i]);
    if (*outcome != kReached) return i;
  }
  *outcome = kReached;
  return legs.size();
}

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

std::vector<Point> Hideouts() {
  std::vector<Point> out;
  for (GameObject* o : Objects()) {
    if (o != nullptr && (o->type == ObjectType::Cover || o->type == ObjectType::Vent)) out.push_back(PositionOf(o));
  }
  return out;
}

std::vector<int> Waits() {
  std::vector<int> out = {0, 10, 25, 50, 75};
  // The later rounds wait longer and longer: 24 s, then 60, 120 and 240.
  const int longest = gRound < 2 ? 24 : (gRound == 2 ? 60 : 60 * (1 << (gRound - 2)));
  for (int s = 2; s <= longest; ++s) out.push_back(s * 50);
  return out;
}

}  // namespace solve
