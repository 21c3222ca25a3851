#include "editor/Prove.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "core/FileSync.h"
#include "core/Logger.h"
#include "core/Options.h"
#include "editor/EditorCommands.h"
#include "editor/EditorState.h"
#include "editor/RecordBuilder.h"
#include "graphics/ScreenToWorld.h"
#include "imgui.h"
#include "platform/ChildProcess.h"
#include "platform/Platform.h"
#include "scenes/Level.h"

namespace fs = std::filesystem;

namespace {

constexpr float kRouteStep = 0.04f;  // seconds between two route points (every second frame)
constexpr const char* kSolverName = "quillmarch-solve";
constexpr float kWindowX = 320.0f, kWindowY = 60.0f;

struct ProveModule {
  ProveStatus status;
  std::unique_ptr<platform::ChildProcess> solver;
  std::string output;  // everything the solver wrote so far
  std::string levelFile, scriptFile, routeFile;
};

ProveModule& Module() {
  static ProveModule module;
  return module;
}

void RemoveFiles() {
  ProveModule& m = Module();
  std::error_code ec;
  for (const std::string* f : {&m.levelFile, &m.scriptFile, &m.routeFile}) {
    if (!f->empty()) fs::remove(*f, ec);
  }
}

void Fail(const std::string& why) {
  ProveStatus& s = Module().status;
  s.phase = ProvePhase::Failed;
  s.reason = why;
  Log("Prove: " + why, LogLevel::Warning);
}

// The last line of `text` that starts with `prefix`, without the prefix; empty when none does.
std::string LastLineWith(const std::string& text, const std::string& prefix) {
  std::istringstream lines(text);
  std::string line, found;
  while (std::getline(lines, line)) {
    if (line.compare(0, prefix.size(), prefix) == 0) found = line.substr(prefix.size());
  }
  return found;
}

std::string LastLine(const std::string& text) {
  std::istringstream lines(text);
  std::string line, last;
  while (std::getline(lines, line)) {
    if (!line.empty()) last = line;
  }
  return last;
}

std::vector<std::pair<float, float>> ReadRoute(const std::string& path) {
  std::vector<std::pair<float, float>> route;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    float x = 0.0f, y = 0.0f;
    if (fields >> x >> y) route.emplace_back(x, y);
  }
  return route;
}

// The solver has ended with `code`: read its verdict.
void Finish(int code) {
  ProveModule& m = Module();
  ProveStatus& s = m.status;
  const std::string won = LastLineWith(m.output, "result: won: ");
  const std::string notWon = LastLineWith(m.output, "result: not won: ");
  if (code == 0 && !won.empty()) {
    s.phase = ProvePhase::Won;
    std::sscanf(won.c_str(), "total %f", &s.total);
    s.suggested = SuggestRankThresholds(s.total);
    s.route = ReadRoute(m.routeFile);
    s.playing = !s.route.empty();
    s.playTime = 0.0f;
    char line[160];
    std::snprintf(line, sizeof line, "Prove: the level can be won, total %.2f s (S %.0f, A %.0f, B %.0f)", s.total,
                  s.suggested.s, s.suggested.a, s.suggested.b);
    Log(line, LogLevel::Info);
  } else if (!notWon.empty()) {
    s.phase = ProvePhase::NotWon;
    s.reason = notWon;
    Log("Prove: the level was not won: " + notWon, LogLevel::Info);
  } else {
    Fail("the solver ended (exit code " + std::to_string(code) + ") without a verdict: " + LastLine(m.output));
  }
  RemoveFiles();
}

std::string TempName(const char* extension) {
  static std::mt19937 random{std::random_device{}()};
  std::error_code ec;
  const fs::path folder = fs::temp_directory_path(ec);
  return ((ec ? fs::path(".") : folder) / ("quillmarch-prove-" + std::to_string(random()) + extension)).string();
}

}  // namespace

void StartProve(float budgetSeconds) {
  CancelProve();
  ProveModule& m = Module();
  const Level* level = EditedLevel();
  if (level == nullptr) {
    Fail("there is no level to prove");
    return;
  }
  m.levelFile = TempName(".json");
  m.scriptFile = TempName(".qinput");
  m.routeFile = TempName(".route");
  std::string why;
  if (!files::ReplaceFileContents(m.levelFile, LevelToText(*level), &why)) {
    Fail("the level could not be saved for the solver: " + why);
    return;
  }
  const std::string solver = (fs::path(platform::ExecutableDirectory()) / kSolverName).string();
  std::error_code ec;
  std::vector<std::string> args = {m.levelFile, m.scriptFile, "--route", m.routeFile, "--data",
                                   fs::current_path(ec).string()};
  // The levels play as their own scenes; any other level plays as the first.
  if (level->sceneId >= 6 && level->sceneId <= 8) args.insert(args.end(), {"--scene", std::to_string(level->sceneId)});
  if (budgetSeconds > 0.0f) args.insert(args.end(), {"--budget", std::to_string(budgetSeconds)});
  m.solver = platform::StartChildProcess(solver, args, &why);
  if (m.solver == nullptr) {
    RemoveFiles();
    Fail("the solver could not be started: " + why);
    return;
  }
  m.status = ProveStatus{};
  m.status.phase = ProvePhase::Running;
  m.status.progress = "starting the solver";
  Log("Prove: solving " + level->path + " with " + solver, LogLevel::Info);
}

void CancelProve() {
  ProveModule& m = Module();
  if (m.solver != nullptr) {
    m.solver->Stop();
    m.solver.reset();
    Log("Prove: cancelled", LogLevel::Info);
  }
  RemoveFiles();
  m.output.clear();
  m.status = ProveStatus{};
}

void UpdateProve(float dt) {
  ProveModule& m = Module();
  ProveStatus& s = m.status;
  if (m.solver != nullptr) {
    int code = -1;
    bool going = m.solver->Poll(&m.output, &code);
    // A session played from an input script must end the same however fast the machine is: there
    // the editor waits for the solver's verdict before the next frame.
    while (going && !GetRunOptions().inputScript.empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      going = m.solver->Poll(&m.output, &code);
    }
    const std::string last = LastLine(m.output);
    if (!last.empty()) s.progress = last;
    if (!going) {
      m.solver.reset();
      Finish(code);
    }
  }
  if (s.playing && !s.route.empty()) {
    s.playTime += dt;
    // The playback loops, with a short rest at the end.
    if (s.playTime > static_cast<float>(s.route.size()) * kRouteStep + 1.0f) s.playTime = 0.0f;
  }
}

bool ApplySuggestedRanks() {
  const ProveStatus& s = Module().status;
  if (s.phase != ProvePhase::Won) return false;
  const LevelValues before = ReadLevelValues();
  LevelValues after = before;
  after.sRank = static_cast<int32_t>(s.suggested.s);
  after.aRank = static_cast<int32_t>(s.suggested.a);
  after.bRank = static_cast<int32_t>(s.suggested.b);
  if (after == before) return true;
  return RunEditorCommand(SetLevelValuesCommand(before, after));
}

const ProveStatus& GetProveStatus() { return Module().status; }

bool ProveMarker(float* x, float* y) {
  const ProveStatus& s = Module().status;
  if (s.route.empty()) return false;
  const size_t i = std::min(s.route.size() - 1, static_cast<size_t>(s.playTime / kRouteStep));
  *x = s.route[i].first;
  *y = s.route[i].second;
  return true;
}

void DrawProve(float width, float height) {
  ProveStatus& s = Module().status;
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  // The route over the level, under the windows, with the marker where the playback is.
  if (s.route.size() > 1) {
    ImDrawList* draw = ImGui::GetBackgroundDrawList();
    std::vector<ImVec2> points;
    for (size_t i = 0; i < s.route.size(); i += 2) {
      int px = 0, py = 0;
      WorldToScreenIn(s.route[i].first, s.route[i].second, w, h, &px, &py);
      points.emplace_back(static_cast<float>(px), static_cast<float>(py));
    }
    draw->AddPolyline(points.data(), static_cast<int>(points.size()), IM_COL32(80, 255, 120, 220), 0, 3.0f);
    float mx = 0.0f, my = 0.0f;
    if (ProveMarker(&mx, &my)) {
      int px = 0, py = 0;
      WorldToScreenIn(mx, my, w, h, &px, &py);
      draw->AddCircleFilled(ImVec2(static_cast<float>(px), static_cast<float>(py)), 9.0f, IM_COL32(255, 255, 255, 255));
    }
  }
  if (s.phase == ProvePhase::Idle) return;
  // Beside the Tools panel, under the top bar, over the level.
  ImGui::SetNextWindowPos(ImVec2(kWindowX, kWindowY), ImGuiCond_Appearing);
  ImGui::Begin("Prove", nullptr, ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_AlwaysAutoResize);
  switch (s.phase) {
    case ProvePhase::Running:
      ImGui::TextUnformatted("The solver is playing the level...");
      ImGui::TextWrapped("%s", s.progress.c_str());
      if (ImGui::Button("Cancel")) CancelProve();
      break;
    case ProvePhase::Won:
      ImGui::Text("Winnable: the solver's run totals %.2f s.", s.total);
      ImGui::Text("Suggested ranks: S %.0f, A %.0f, B %.0f", s.suggested.s, s.suggested.a, s.suggested.b);
      if (ImGui::Button("Use these ranks")) ApplySuggestedRanks();
      ImGui::SameLine();
      if (ImGui::Button(s.playing ? "Pause route" : "Play route")) s.playing = !s.playing;
      ImGui::SameLine();
      if (ImGui::Button("Close")) CancelProve();
      break;
    case ProvePhase::NotWon:
    case ProvePhase::Failed:
      ImGui::TextUnformatted(s.phase == ProvePhase::NotWon ? "Not proven winnable:" : "Could not prove the level:");
      ImGui::TextWrapped("%s", s.reason.c_str());
      if (ImGui::Button("Close")) CancelProve();
      break;
    case ProvePhase::Idle:
      break;
  }
  ImGui::End();
}
