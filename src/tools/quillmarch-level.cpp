// quillmarch-level: checks and rewrites level files with the game's own reader and writer.
//
//   quillmarch-level check [--assets DIR] FILE...
//       Reads each file as the game does and prints what the game would log, then checks what a
//       level needs to work: every texture it names exists under the Assets folder (by default the
//       folder above the file's own, as in Assets/Levels/), every NextID names an object of the
//       file, patrol chains are well formed, and a level scene (one with a Player object, or a file
//       named level*.json) has exactly one player, an escape zone, a collection zone and at least
//       as much food as its goal. It also names what the scene start would skip without a word: a
//       record whose type word is unknown or whose name gives no number after its "_", and a vent
//       listed before the player (a vent only takes the player in when it comes after it in the
//       list). It names guards, patrol nodes and food that lie outside the guards' path grid,
//       where no guard can plan a way, and a level so large that the game could not hold its grid
//       (the grid grows past the usual area to hold a larger level's guards, nodes, food and player). One line per problem, prefixed with the file name; the exit
//       code is 1 when there was any problem.
//
//   quillmarch-level check --solution SOLUTION.qinput LEVEL
//   quillmarch-level check --solutions FILE...
//       Also replays a level's recorded winning run (made by quillmarch-solve) with the game itself,
//       headless, from the level's first frame with --fixed-dt 0.02 and --seed 1, and reports the
//       level when the run no longer reaches the end scene on its recorded frame or no longer earns
//       its recorded rank. --solutions finds each level's run by convention, as
//       tests/solutions/NAME.qinput beside the Assets folder; a level without one is not replayed.
//
//   quillmarch-level format IN OUT
//       Reads IN and writes it to OUT through the game's writer.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <regex>
#include <sstream>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/ScriptedInput.h"
#include "core/Input.h"
#include "core/InputScript.h"
#include "core/Logger.h"
#include "core/Options.h"
#include "gameplay/GameplayHooks.h"
#include "objects/ObjectType.h"
#include "platform/Platform.h"
#include "scenes/AttributeFile.h"
#include "scenes/Level.h"
#include "scenes/PathGrid.h"
#include "scenes/SceneManager.h"
#include "ui/UiHooks.h"

namespace fs = std::filesystem;

namespace {

// Sends the game's log to a temporary file while it lives; Take() returns what was logged.
class LogToTempFile {
 public:
  LogToTempFile() {
    std::error_code ec;
    path_ = (fs::temp_directory_path(ec) / ("quillmarch-level-" + std::to_string(std::random_device{}()) + ".log"))
                .string();
    ClearLogSinks();
    SetLogToFile(1);
    AddLogFile(path_);
  }
  ~LogToTempFile() {
    CloseLogFiles();
    ClearLogSinks();
    std::error_code ec;
    fs::remove(path_, ec);
  }
  LogToTempFile(const LogToTempFile&) = delete;
  LogToTempFile& operator=(const LogToTempFile&) = delete;

  std::vector<std::string> Take() {
    CloseLogFiles();
    std::vector<std::string> lines;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    in.close();
    AddLogFile(path_);  // truncates: the next file starts clean
    return lines;
  }

 private:
  std::string path_;
};

class Checker {
 public:
  Checker(const std::string& file, const std::string& assets) : file_(file), assets_(assets) {}

  void Check(const Level& level) {
    CheckTextures(level);
    CheckAttributeFiles(level);
    CheckRecords(level);
    CheckLinks(level);
    CheckLevelRules(level);
    CheckPathGrid(level);
  }
  int Count() const { return problems_; }

  void Problem(const std::string& text) {
    std::printf("%s: %s\n", file_.c_str(), text.c_str());
    ++problems_;
  }

 private:
  void CheckTexture(const std::string& name, const std::string& where) {
    if (name.empty()) return;
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(assets_) / name, ec)) {
      Problem(where + " names texture \"" + name + "\", which is not a file in " + assets_);
    }
  }

  void CheckTextures(const Level& level) {
    for (const std::string& name : level.textures) CheckTexture(name, "the texture list");
    for (const ObjectRecord& o : level.objects) {
      CheckTexture(o.texture, "object " + o.id);
      for (const EmitterRecord& e : o.emitters) CheckTexture(e.texture, "a particle emitter of object " + o.id);
    }
  }

  // Every attribute file the level names must exist and read (the scene start reads them in order).
  void CheckAttributeFiles(const Level& level) {
    for (const std::string& name : level.attributes) {
      fs::path file = fs::path(assets_) / "Attributes" / (name + ".json");
      std::error_code ec;
      if (!fs::is_regular_file(file, ec)) {
        Problem("the attribute list names \"" + name + "\", which is not a file " + file.string());
      } else if (!LoadAttributesFromFile(file.string())) {
        Problem("the attribute file " + file.string() + " does not read");
      }
    }
  }

  // The number the factory reads from a name: the text after the first "_" as a base-10 integer in
  // the 32-bit range, with leading blanks and a sign allowed and anything after the digits ignored.
  static bool NameGivesNumber(const std::string& name) {
    const size_t underscore = name.find('_');
    if (underscore == std::string::npos) return false;
    const char* p = name.c_str() + underscore + 1;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
      value = value * 10 + (*p - '0');
      if (value > int64_t{1} << 32) return false;
    }
    return negative ? -value >= INT32_MIN : value <= INT32_MAX;
  }

  // Records the scene start skips, and vents the player can never enter.
  void CheckRecords(const Level& level) {
    size_t player = level.objects.size();
    for (size_t i = 0; i < level.objects.size(); ++i) {
      const ObjectRecord& o = level.objects[i];
      const std::string which = "record " + std::to_string(i + 1) + " (\"" + o.id + "\")";
      if (o.type == 0) {
        Problem(which + " has an unknown type word, so the scene start skips it");
      }
      if (!o.id.empty() && !NameGivesNumber(o.id)) {
        Problem(which + " has a name that gives no number after its \"_\", so the scene start skips it");
      }
      if (o.type == static_cast<int32_t>(ObjectType::Player) && player == level.objects.size()) player = i;
    }
    for (size_t i = 0; i < player && player < level.objects.size(); ++i) {
      const ObjectRecord& o = level.objects[i];
      if (o.type == static_cast<int32_t>(ObjectType::Vent)) {
        Problem("vent " + o.id + " is listed before the player, so the player can never enter it");
      }
    }
  }

  void CheckLinks(const Level& level) {
    std::map<std::string, const ObjectRecord*> byId;
    for (const ObjectRecord& o : level.objects) {
      if (!byId.emplace(o.id, &o).second) Problem("two objects share the ID \"" + o.id + "\"");
    }
    const int32_t node = static_cast<int32_t>(ObjectType::Node);
    const int32_t enemy = static_cast<int32_t>(ObjectType::Enemy);
    std::map<std::string, std::vector<std::string>> predecessors;
    for (const ObjectRecord& o : level.objects) {
      if (o.nextId.empty()) continue;
      auto target = byId.find(o.nextId);
      if (target == byId.end()) {
        Problem("object " + o.id + " names NextID \"" + o.nextId + "\", which is no object of this file");
        continue;
      }
      if ((o.type == node || o.type == enemy) && target->second->type != node) {
        Problem("object " + o.id + " leads its patrol path to " + o.nextId + ", which is not a patrol node");
        continue;
      }
      if (o.type == node) predecessors[o.nextId].push_back(o.id);
    }
    for (const auto& [id, from] : predecessors) {
      if (from.size() < 2) continue;
      std::string list;
      for (const std::string& p : from) list += (list.empty() ? "" : ", ") + p;
      Problem("more than one patrol node leads to " + id + " (" + list + ")");
    }
  }

  void CheckLevelRules(const Level& level) {
    int players = 0, escapeZones = 0, collectionZones = 0;
    uint64_t food = 0;
    for (const ObjectRecord& o : level.objects) {
      switch (static_cast<ObjectType>(o.type)) {
        case ObjectType::Player: ++players; break;
        case ObjectType::EscapeZone: ++escapeZones; break;
        case ObjectType::Collection: ++collectionZones; break;
        case ObjectType::Food: ++food; break;
        default: break;
      }
    }
    const std::string name = fs::path(file_).filename().string();
    const bool isLevel = players > 0 || (name.rfind("level", 0) == 0 && fs::path(name).extension() == ".json");
    if (!isLevel) return;
    if (players != 1) Problem("a level needs exactly one player, this one has " + std::to_string(players));
    if (escapeZones == 0) Problem("a level needs an escape zone, this one has none");
    if (collectionZones == 0) Problem("a level needs a collection zone, this one has none");
    if (food < level.foodGoal) {
      Problem("the food goal is " + std::to_string(level.foodGoal) + " but the level holds only " +
              std::to_string(food) + " food");
    }
  }

  // Guards plan their searches and their ways back on the path grid: a guard or a patrol node
  // outside it cannot be reached by a planned way, nor can food the player is chased to.
  void CheckPathGrid(const Level& level) {
    // The grid the game will build for this level: grown past the usual area when the level is.
    std::vector<float> points;
    for (const ObjectRecord& o : level.objects) {
      switch (static_cast<ObjectType>(o.type)) {
        case ObjectType::Enemy:
        case ObjectType::Node:
        case ObjectType::Food:
        case ObjectType::Player:
          points.push_back(o.translationX);
          points.push_back(o.translationY);
          break;
        default:
          break;
      }
    }
    const GridShape shape = GridShapeFor(points);
    if (shape.Cells() > kMostGridCells) {
      char size[128];
      std::snprintf(size, sizeof size, "%d x %d cells, more than the %lld the game can hold", shape.Rows(),
                    shape.Columns(), static_cast<long long>(kMostGridCells));
      Problem(std::string("the level is too large for the guards' path grid: it would take ") + size);
      return;
    }
    UseGridShape(shape);
    for (const ObjectRecord& o : level.objects) {
      const char* kind = nullptr;
      switch (static_cast<ObjectType>(o.type)) {
        case ObjectType::Enemy: kind = "guard"; break;
        case ObjectType::Node: kind = "patrol node"; break;
        case ObjectType::Food: kind = "food"; break;
        default: continue;
      }
      if (IsInsideGrid(WorldToCell(o.translationX, o.translationY))) continue;
      char where[96];
      std::snprintf(where, sizeof where, " at (%g, %g)", o.translationX, o.translationY);
      Problem(std::string(kind) + " " + o.id + where +
              " lies outside the guards' path grid, where no guard can plan a way to or from it");
    }
  }

  std::string file_;
  std::string assets_;
  int problems_ = 0;
};

// The Assets folder of a level file: the folder above the one it is in (Assets/Levels/x.json).
std::string AssetsFolderOf(const std::string& file) {
  fs::path folder = fs::path(file).parent_path();
  if (folder.empty()) folder = ".";
  return (folder / "..").lexically_normal().string();
}

int CheckSolution(const std::string& file, const std::string& solution, const std::string& assets);

// Where a level's recorded run lies by convention: tests/solutions/NAME.qinput beside the Assets folder.
std::string ConventionalSolution(const std::string& file, const std::string& assets) {
  return (fs::path(assets) / ".." / "tests" / "solutions" / (fs::path(file).stem().string() + ".qinput"))
      .lexically_normal()
      .string();
}

int Check(const std::vector<std::string>& files, const std::string& assets, const std::string& solution,
          bool solutions) {
  LogToTempFile log;
  int problems = 0;
  for (const std::string& file : files) {
    std::unique_ptr<Level> level = LoadLevel(file);
    std::vector<std::string> logged = log.Take();
    Checker checker(file, assets.empty() ? AssetsFolderOf(file) : assets);
    for (const std::string& line : logged) checker.Problem("the game logs: " + line);
    if (!level) {
      if (logged.empty()) checker.Problem("the game cannot read this file");
    } else {
      checker.Check(*level);
      // What reading the level's attribute files logged belongs to this file too.
      for (const std::string& line : log.Take()) checker.Problem("the game logs: " + line);
    }
    problems += checker.Count();
    const std::string folder = assets.empty() ? AssetsFolderOf(file) : assets;
    if (level && !solution.empty()) {
      problems += CheckSolution(file, solution, folder);
    } else if (level && solutions) {
      const std::string conventional = ConventionalSolution(file, folder);
      if (fs::exists(conventional)) problems += CheckSolution(file, conventional, folder);
    }
  }
  if (problems > 0) std::printf("%d problem%s found\n", problems, problems == 1 ? "" : "s");
  return problems > 0 ? 1 : 0;
}

// ---- replaying a level's recorded run ----------------------------------------------------------

constexpr int32_t kEndSceneId = 5;

// What a solution's header promises: "# expect scene N end-scene-frame F rank R".
struct Expected {
  int32_t scene = 0;
  int64_t endFrame = 0;
  char rank = 0;
};

// Plays the script in this process's game, headless, and returns what went wrong ("" when the run
// wins as recorded). Runs in a forked child: the game is started once and never torn down.
std::string ReplayInGame(const std::string& data, const InputScript& script, const Expected& expected) {
  ClearLogSinks();                  // the parent reads its own log file; the game's lines are no problems
  SetLevelMusicRegistration(true);  // as in the game
  RunOptions options;
  options.headless = true;
  options.noDialogs = true;
  options.sceneId = expected.scene;
  options.fixedDt = 0.02f;
  options.seed = 1;
  options.dataDir = data;
  SetRunOptions(options);
  PrepareInputScripts(script, true, "");
  std::error_code ec;
  fs::current_path(data, ec);
  if (ec) return "cannot use the data folder " + data;
  platform::InstallPlatform(WrapPlatformForScripts(platform::CreateNullPlatform(1280, 720)));
  ResetKeys();
  ResetPads();
  SetPadReader([](uint32_t index, PadRawState* out) { return platform::GetPlatform().ReadPad(index, out); });
  InstallGameplay();
  InstallUiHooks();
  static std::unique_ptr<Application> app;  // left standing: the child ends without teardown
  app = std::make_unique<Application>();
  if (!app->Initialize()) return "the game did not start";
  ClearLogSinks();
  float time = 0.0f, s = 0.0f, a = 0.0f, b = 0.0f;
  int32_t collected = 0, count = 0;
  for (int64_t frame = 1; frame <= expected.endFrame; ++frame) {
    if (!app->Pass()) return "the game stopped on frame " + std::to_string(frame);
    const Level* scene = CurrentScene();
    if (scene == nullptr) continue;
    if (scene->sceneId == expected.scene) {
      time = scene->time, collected = scene->foodCollected, count = scene->foodCount;
      s = scene->sRank, a = scene->aRank, b = scene->bRank;
    } else if (scene->sceneId == kEndSceneId && frame < expected.endFrame) {
      return "the run reaches the end scene on frame " + std::to_string(frame) + ", recorded " +
             std::to_string(expected.endFrame);
    }
  }
  const Level* scene = CurrentScene();
  if (scene == nullptr || scene->sceneId != kEndSceneId) {
    char text[160];
    std::snprintf(text, sizeof text, "the run no longer wins: after frame %lld the game is in scene %d with %d of %d food",
                  static_cast<long long>(expected.endFrame), scene != nullptr ? static_cast<int>(scene->sceneId) : -1,
                  collected, count);
    return text;
  }
  // The end scene's grading: every piece left behind costs 30 seconds.
  const float total = time + static_cast<float>(count - collected) * 30.0f;
  const char rank = total <= s ? 's' : total <= a ? 'a' : total <= b ? 'b' : 'c';
  if (rank != expected.rank) {
    char text[160];
    std::snprintf(text, sizeof text, "the run wins with rank %c (%.2f s), recorded rank %c", rank, total, expected.rank);
    return text;
  }
  return "";
}

// Replays `solution` on the level `file` in a forked child; one line per problem. The number of
// problems found.
int CheckSolution(const std::string& file, const std::string& solution, const std::string& assets) {
  std::ifstream in(solution, std::ios::binary);
  if (!in) {
    std::printf("%s: cannot read the solution %s\n", file.c_str(), solution.c_str());
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  Expected expected;
  std::smatch m;
  const std::string body = text.str();
  if (!std::regex_search(body, m, std::regex("# expect scene ([0-9]+) end-scene-frame ([0-9]+) rank ([sabc])"))) {
    std::printf("%s: the solution %s records no expected result\n", file.c_str(), solution.c_str());
    return 1;
  }
  expected.scene = std::stoi(m[1].str());
  expected.endFrame = std::stoll(m[2].str());
  expected.rank = m[3].str()[0];
  InputScript script;
  InputScriptError error;
  if (!ReadInputScript(body, &script, &error)) {
    std::printf("%s: the solution %s is refused on line %d: %s\n", file.c_str(), solution.c_str(), error.line,
                error.reason.c_str());
    return 1;
  }
  const std::string data = fs::absolute(fs::path(assets) / "..").lexically_normal().string();
  int pipefd[2];
  if (pipe(pipefd) != 0) return 1;
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    close(pipefd[0]);
    // The game's own prints (the audio layer's error lines) are no part of the report.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(1);
    const std::string why = ReplayInGame(data, script, expected);
    const ssize_t written = write(pipefd[1], why.data(), why.size());
    _exit(written == static_cast<ssize_t>(why.size()) ? 0 : 1);
  }
  close(pipefd[1]);
  std::string why;
  char buffer[256];
  for (ssize_t n; (n = read(pipefd[0], buffer, sizeof buffer)) > 0;) why.append(buffer, static_cast<size_t>(n));
  close(pipefd[0]);
  int status = 0;
  if (child > 0) waitpid(child, &status, 0);
  if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) why = "the replay of " + solution + " crashed";
  if (why.empty()) return 0;
  std::printf("%s: %s: %s\n", file.c_str(), fs::path(solution).filename().string().c_str(), why.c_str());
  return 1;
}

int Format(const std::string& in, const std::string& out) {
  LogToTempFile log;
  std::unique_ptr<Level> level = LoadLevel(in);
  for (const std::string& line : log.Take()) std::printf("%s: the game logs: %s\n", in.c_str(), line.c_str());
  if (!level) return 1;
  level->path = out;
  if (!SaveLevel(*level)) {
    for (const std::string& line : log.Take()) std::printf("%s: %s\n", out.c_str(), line.c_str());
    return 1;
  }
  return 0;
}

// Writes the default player and human tuning through the game's own writer, as the attribute
// files "player.json" and "human.json" in `folder`.
int WriteDefaultAttributes(const std::string& folder) {
  LogToTempFile log;
  bool ok = SaveAttributesToFile(nullptr, 1, folder + "/player.json") &&
            SaveAttributesToFile(nullptr, 3, folder + "/human.json");
  for (const std::string& line : log.Take()) std::printf("%s: %s\n", folder.c_str(), line.c_str());
  return ok ? 0 : 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: quillmarch-level check [--assets DIR] [--solution RUN.qinput | --solutions] FILE...\n"
               "       quillmarch-level format IN OUT\n"
               "       quillmarch-level attributes FOLDER   (writes the default player.json and human.json)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // No audio system runs here: music entries are only recorded.
  SetLevelMusicRegistration(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  if (args[0] == "format") {
    if (args.size() != 3) return Usage();
    return Format(args[1], args[2]);
  }
  if (args[0] == "attributes") {
    if (args.size() != 2) return Usage();
    return WriteDefaultAttributes(args[1]);
  }
  if (args[0] == "check") {
    std::string assets, solution;
    bool solutions = false;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--assets") {
        if (i + 1 >= args.size()) return Usage();
        assets = args[++i];
      } else if (args[i] == "--solution") {
        if (i + 1 >= args.size()) return Usage();
        solution = args[++i];
      } else if (args[i] == "--solutions") {
        solutions = true;
      } else {
        files.push_back(args[i]);
      }
    }
    if (files.empty() || (!solution.empty() && files.size() != 1)) return Usage();
    return Check(files, assets, solution, solutions);
  }
  return Usage();
}
