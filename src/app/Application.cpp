#include "app/Application.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "app/FramePacer.h"
#include "app/ObjectDump.h"
#include "app/ScriptedInput.h"
#include "app/StateLog.h"
#include "app/TextDump.h"
#include "audio/AudioSystem.h"
#include "core/EditorLink.h"
#include "core/FrameClock.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "core/Logger.h"
#include "core/Options.h"
#include "core/Random.h"
#include "gameplay/GameplayHooks.h"
#include "gameplay/RunKeeper.h"
#include "graphics/Graphics.h"
#include "graphics/ScreenToWorld.h"
#include "platform/GameFolders.h"
#include "platform/Platform.h"
#include "scenes/SceneManager.h"
#include "ui/Settings.h"
#include "ui/UiHooks.h"
#include "widgets/WriteNotice.h"

namespace {

struct ApplicationModule {
  Application* app = nullptr;
  platform::CpuMeter cpuMeter;
  bool pacing = false;  // frames are timed for the pacer (a real window measuring real time)
  FramePacer pacer;
};

ApplicationModule& Module() {
  static ApplicationModule module;
  return module;
}

// The music bus volume (silenced while a level's window is minimised or inactive).
void SetMusicVolume(float volume) { MusicBus().SetVolume(volume); }

void LogLine(const char* format, double value) {
  char line[200];
  std::snprintf(line, sizeof(line), format, value);
  Log(line, LogLevel::Info);
}

void LogLine(const char* format, int value) {
  char line[200];
  std::snprintf(line, sizeof(line), format, value);
  Log(line, LogLevel::Info);
}

// A quit waits while the editor holds it (it asks about unsaved edits first); the flags that asked
// for it are cleared, and the editor asks for the quit again once it is answered.
bool QuitHeld(bool editorEnabled) {
  const ApplicationHooks& hooks = GetApplicationHooks();
  if (!editorEnabled || hooks.editorAllowsQuit == nullptr || hooks.editorAllowsQuit()) return false;
  ClearQuitRequest();
  return true;
}

// Relative paths of --input, --record, --state-log, --watch-log, --dump-objects, --dump-texts and --screenshot
// against the current folder.
void MakeScriptPathsAbsolute(RunOptions* options) {
  auto absolute = [](std::string* path) {
    std::error_code ec;
    if (!path->empty()) {
      std::filesystem::path full = std::filesystem::absolute(PathFromUtf8(*path), ec);
      if (!ec) *path = Utf8FromPath(full);
    }
  };
  absolute(&options->inputScript);
  absolute(&options->recordScript);
  absolute(&options->stateLog);
  absolute(&options->watchLog);
  for (DumpRequest& dump : options->dumps) absolute(&dump.file);
  for (DumpRequest& dump : options->textDumps) absolute(&dump.file);
  for (ScreenshotRequest& shot : options->screenshots) absolute(&shot.file);
}

double Seconds(const platform::Platform& plat) {
  const uint64_t frequency = plat.PerformanceFrequency();
  return frequency != 0 ? static_cast<double>(plat.PerformanceCounter()) / static_cast<double>(frequency) : 0.0;
}

// The player's own Config.lullwick in the per-user folder wins over the shipped one.
std::string ConfigToRead() {
  const std::string& user = UserFolder();
  const std::string personal = user + "Config.lullwick";
  std::error_code ec;
  if (!user.empty() && std::filesystem::is_regular_file(PathFromUtf8(personal), ec)) return personal;
  return kConfigPath;
}

// The log goes to the per-user folder; without one it is not written, and the player is told why.
void OpenLogFile() {
  const std::string path = UserFilePath("output.log");
  if (path.empty()) {
    std::fprintf(stderr, "quillmarch: there is no per-user folder to write the log in\n");
    return;
  }
  AddLogFile(path);
}

}  // namespace

Application* GetApplication() { return Module().app; }

bool Application::Initialize() {
  // 1-2. Configuration and the log file.
  flags_ = ReadConfig(ConfigToRead());
  SetLogToFile(flags_.logToFile);
  // With the log off (as shipped), damaged and missing files are still reported, on standard error.
  SetProblemsToStandardError(true);
  GetEditorLink().enabled = flags_.editorEnabled != 0;
  if (flags_.logToFile != 0) OpenLogFile();

  // 3. The application pointer.
  Module().app = this;
  ClearQuitRequest();

  // 4-7. The window, at the desktop's size in full screen unless a window was asked for.
  const RunOptions& options = GetRunOptions();
  platform::Platform& plat = platform::GetPlatform();
  platform::WindowConfig window;
  window.title = name_;
  window.windowed = options.windowed;
  window.width = options.width;
  window.height = options.height;
  window.noDialogs = options.noDialogs || options.headless;
  window.iconFile = "./Assets/Icons/quillmarch-64.png";
  if (!plat.OpenWindow(window)) {
    std::fprintf(stderr, "quillmarch: %s\n", plat.LastError().c_str());
  }
  plat.ShowCursor(true);

  // 8. Graphics. A failure has shown its message box; start-up stops.
  graphics_ = new Graphics();
  SetGraphics(graphics_);
  if (!graphics_->Initialize()) return false;

  // 9. The editor's interface layer.
  if (flags_.editorEnabled != 0 && GetApplicationHooks().editorInit) GetApplicationHooks().editorInit();

  // 10. Frame timer.
  FrameClock& clock = Clock();
  uint64_t frequency = plat.PerformanceFrequency();
  if (frequency != 0) {
    clock.timer.ticksPerMs = static_cast<float>(frequency / 1000);
    clock.timer.lastCounter = static_cast<int64_t>(plat.PerformanceCounter());
  }
  // 11. Frames-per-second counter.
  clock.fps.frameCount = 0;
  clock.fps.framesPerSecond = 0;
  clock.fps.windowStart = plat.Ticks();
  // 12. Processor-usage meter.
  clock.cpu.canRead = Module().cpuMeter.Open();
  cpuMeterOpen_ = clock.cpu.canRead;
  clock.cpu.lastSampleTime = plat.Ticks();
  clock.cpu.usage = 0;

  // 13. Audio: the system, its banks and the two buses. Failures are printed and survived.
  InitializeAudio();
  // The player's remembered options (display mode, mutes), now that the window and buses exist.
  LoadAndApplySettings(options.windowed);

  // 14. Scenes.
  BuildSceneList();
  if (options.sceneId) RequestSceneById(*options.sceneId);

  // 15. The random source.
  SeedRandom(options.seed ? *options.seed : static_cast<uint32_t>(std::time(nullptr)));

  // Frame pacing, for a window whose frames measure real time (a fixed frame time is a run that
  // wants its frames as fast as they come).
  Module().pacing = plat.HasGlContext() && options.fixedDt < 0.0f;
  if (Module().pacing) Module().pacer.Start(plat.RefreshRate(), plat.VsyncAccepted(), Seconds(plat));
  return true;
}

void Application::HandleEvent(int kind, int key, int32_t x, int32_t y) {
  using Kind = platform::Event::Kind;
  platform::Platform& plat = platform::GetPlatform();
  switch (static_cast<Kind>(kind)) {
    case Kind::Quit: quit_ = true; break;
    case Kind::KeyDown: SetKey(key, true); break;
    case Kind::KeyUp: SetKey(key, false); break;
    case Kind::MouseMove: SetMousePosition(x, y); break;
    case Kind::LeftDown: plat.CaptureMouse(true); SetLeftButton(true, x, y); break;
    case Kind::LeftUp: plat.CaptureMouse(false); SetLeftButton(false, x, y); break;
    case Kind::RightDown: plat.CaptureMouse(true); SetRightButton(true, x, y); break;
    case Kind::RightUp: plat.CaptureMouse(false); SetRightButton(false, x, y); break;
    case Kind::Wheel: AddMouseWheel(key); break;
  }
}

void Application::PauseForLostFocus() {
  // A replay cannot pause its level without playing it wrong; no frame runs while minimised anyway.
  if (ReplayPlaying()) return;
  if (CurrentSceneIsLevel() && GetApplicationHooks().pauseLevel) GetApplicationHooks().pauseLevel();
}

void Application::PaceFrame() {
  if (!Module().pacing) return;
  // A replay watched at 2x or 4x runs that many frames to one paced frame.
  if (GetApplicationHooks().skipPacing != nullptr && GetApplicationHooks().skipPacing()) return;
  platform::Platform& plat = platform::GetPlatform();
  std::string note;
  const double wait = Module().pacer.AfterFrame(Seconds(plat), &note);
  if (!note.empty()) Log(note, LogLevel::Info);
  if (uint32_t ms = SleepMilliseconds(wait)) plat.Sleep(ms);
}

void Application::Run() {
  while (Pass()) {
  }
}

bool Application::Pass() {
  platform::Platform& plat = platform::GetPlatform();
  const RunOptions& options = GetRunOptions();
  plat.PumpEvents([this](const platform::Event& e) {
    HandleEvent(static_cast<int>(e.kind), e.key, e.x, e.y);
  });
  if (quit_ || QuitRequested()) {
    if (!QuitHeld(flags_.editorEnabled != 0)) return false;
    quit_ = false;
  }

  if (plat.IsMinimized()) {
    PauseForLostFocus();
    SetMusicVolume(0.0f);
    UpdateAudio();  // no frame runs while minimised; bus changes reach the mixer at an update
    plat.Sleep(50);
    return true;
  }
  SetMusicVolume(1.0f);
  if (CurrentSceneIsLevel() && !plat.HasFocus()) {
    PauseForLostFocus();
    SetMusicVolume(0.0f);
  }
  UpdatePads();
  if (flags_.editorEnabled != 0 && GetApplicationHooks().editorFrame) GetApplicationHooks().editorFrame();

  bool keepGoing = Frame();
  ++framesRun_;
  // A notice of a file that could not be written stays its time even while the game is paused.
  TickWriteNotice(Clock().timer.lastFrameMs / 1000.0f);
  AdvanceInputScript();

  CopyPreviousInput();
  WorldPoint world = ScreenToWorld(static_cast<float>(Input().mouse.x), static_cast<float>(Input().mouse.y), 0.0f);
  Input().mouse.worldX = world.x;
  Input().mouse.worldY = world.y;

  for (; nextShot_ < options.screenshots.size(); ++nextShot_) {
    const ScreenshotRequest& shot = options.screenshots[nextShot_];
    if (shot.frame > framesRun_) break;
    if (!WriteScreenshot(shot.file)) {
      std::fprintf(stderr, "quillmarch: could not write the screenshot %s\n", shot.file.c_str());
    }
  }
  LogFrameState(framesRun_);
  LogFrameWatch(framesRun_);
  WriteObjectDumps(options.dumps, framesRun_);
  WriteTextDumps(options.textDumps, framesRun_);
  PaceFrame();
  if (!keepGoing) return false;
  if (QuitRequested() && !QuitHeld(flags_.editorEnabled != 0)) return false;
  if (options.frames >= 0 && framesRun_ >= options.frames) return false;
  return true;
}

bool Application::Frame() {
  platform::Platform& plat = platform::GetPlatform();
  FrameClock& clock = Clock();
  const RunOptions& options = GetRunOptions();

  // 1. Frame timer.
  int64_t counter = static_cast<int64_t>(plat.PerformanceCounter());
  ++clock.fps.frameCount;
  if (std::optional<float> scripted = ScriptedFrameMs()) {
    clock.timer.lastFrameMs = *scripted;
  } else if (options.fixedDt >= 0.0f) {
    clock.timer.lastFrameMs = options.fixedDt * 1000.0f;
  } else if (clock.timer.ticksPerMs != 0.0f) {
    clock.timer.lastFrameMs = static_cast<float>(counter - clock.timer.lastCounter) / clock.timer.ticksPerMs;
  }
  clock.timer.lastCounter = counter;
  // 1b. The level recorder notes this frame's input and time (every level's run is kept).
  NoteFrameInput(clock.timer.lastFrameMs);

  // 2. Frames per second over one-second windows.
  if (plat.Ticks() >= clock.fps.windowStart + 1000) {
    clock.fps.framesPerSecond = clock.fps.frameCount;
    clock.fps.frameCount = 0;
    clock.fps.windowStart = plat.Ticks();
  }

  // 3. Processor usage, sampled at most once a second.
  if (clock.cpu.canRead && plat.Ticks() > clock.cpu.lastSampleTime + 1000) {
    clock.cpu.lastSampleTime = plat.Ticks();
    clock.cpu.usage = Module().cpuMeter.Sample();
  }

  // 4-6. The statistics lines.
  LogLine("FrameTime %f", static_cast<double>(FrameTime()));
  LogLine("FPS %i", clock.fps.framesPerSecond);
  LogLine("CPU Useage %i%%", clock.cpu.canRead ? clock.cpu.usage : 0);

  // 7. F8 ends the program before this frame is drawn (unless the editor asks about unsaved edits).
  if (KeyDown(vk::F8) && !QuitHeld(flags_.editorEnabled != 0)) return false;
  // 8. F11 toggles full screen once per press, remembered as the options overlay's buttons are.
  if (KeyTriggered(vk::F11)) ApplyFullscreen(!plat.IsFullscreen());
  // 9. The graphics frame.
  return graphics_ != nullptr && graphics_->Frame(framesRun_ + 1);
}

void Application::Shutdown() {
  platform::Platform& plat = platform::GetPlatform();
  // 1. Audio.
  ShutdownAudio();
  // 2. Graphics (which also destroys the scene list).
  if (graphics_ != nullptr) {
    graphics_->Shutdown();
    SetGraphics(nullptr);
    delete graphics_;
    graphics_ = nullptr;
  }
  // 3. The processor-usage meter.
  if (cpuMeterOpen_) Module().cpuMeter.Close();
  cpuMeterOpen_ = false;
  // 4. The editor's interface layer.
  if (flags_.editorEnabled != 0 && GetApplicationHooks().editorShutdown) GetApplicationHooks().editorShutdown();
  // 5. Cursor, display mode and window.
  plat.ShowCursor(true);
  plat.SetFullscreen(false);
  plat.CloseWindow();
  Module().app = nullptr;
  // 6. Log files.
  CloseLogFiles();
}

int RunGame(int argc, char** argv) {
  RunOptions options;
  std::string error;
  if (!ParseRunOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "quillmarch: %s\n%s", error.c_str(), RunOptionsUsage().c_str());
    return 2;
  }
  if (options.help || options.version) {
    std::fputs(options.help ? RunOptionsUsage().c_str() : VersionLine().c_str(), stdout);
    return 0;
  }
  if (options.sceneId && !IsSceneId(*options.sceneId)) {
    std::fprintf(stderr, "quillmarch: there is no scene %d; the scene ids are %s\n%s", *options.sceneId,
                 SceneIdList().c_str(), RunOptionsUsage().c_str());
    return 2;
  }
  // Files named on the command line are where the user was, not in the data folder.
  MakeScriptPathsAbsolute(&options);
  SetRunOptions(options);
  std::string scriptError;
  if (!PrepareInputScripts(options, &scriptError)) {
    std::fprintf(stderr, "%s\n", scriptError.c_str());
    return 2;
  }

  // The game's data sits beside the executable, or in ../share/quillmarch from it when installed
  // (or in --data DIR); that folder becomes the working folder so "./Config.lullwick" and
  // "./Assets/..." resolve there.
  std::string dataDir = options.dataDir;
  if (dataDir.empty()) {
    std::string looked;
    dataDir = FindDataFolder(platform::ExecutableDirectory(), &looked);
    if (dataDir.empty()) {
      std::fprintf(stderr, "quillmarch: the game's data (Shaders/ and Assets/) is not in %s; name its folder with --data DIR\n",
                   looked.c_str());
      return 1;
    }
  }
  {
    std::error_code ec;
    std::filesystem::current_path(PathFromUtf8(dataDir), ec);
    if (ec) {
      std::fprintf(stderr, "quillmarch: cannot use the data folder %s: %s\n", dataDir.c_str(), ec.message().c_str());
      return 2;
    }
  }

  if (options.headless) {
    platform::InstallPlatform(WrapPlatformForScripts(platform::CreateNullPlatform(options.width, options.height)));
  } else {
    platform::InstallPlatform(WrapPlatformForScripts(platform::CreateSdlPlatform()));
  }
  if ((!options.stateLog.empty() && !OpenStateLog(options.stateLog, &scriptError)) ||
      (!options.watchLog.empty() && !OpenWatchLog(options.watchLog, &scriptError))) {
    std::fprintf(stderr, "quillmarch: %s\n", scriptError.c_str());
    CloseStateLog();
    FinishInputScripts(&scriptError);
    platform::InstallPlatform(nullptr);
    return 2;
  }

  auto app = std::make_unique<Application>();
  ResetKeys();
  ResetPads();
  SetPadReader([](uint32_t index, PadRawState* out) { return platform::GetPlatform().ReadPad(index, out); });
  InstallGameplay();
  InstallUiHooks();
  SetRunKeeping(true);
  // A start that fails (no window, no OpenGL, a shader that does not compile) is no success: its
  // message box has gone to standard error too, and the exit code says so.
  const bool started = app->Initialize();
  if (started) app->Run();
  app->Shutdown();
  const int framesRun = app->FramesRun();
  app.reset();
  CloseStateLog();
  CloseWatchLog();
  int exitCode = 0;
  if (!started) {
    std::fprintf(stderr, "quillmarch: the game could not start\n");
    exitCode = 1;
  }
  if (!FinishInputScripts(&scriptError)) {
    std::fprintf(stderr, "quillmarch: %s\n", scriptError.c_str());
    exitCode = 1;
  }
  for (const DumpRequest& dump : options.dumps) {
    if (dump.frame > framesRun) {
      std::fprintf(stderr, "quillmarch: no object dump %s: the run ended after frame %d\n", dump.file.c_str(), framesRun);
    }
  }
  platform::InstallPlatform(nullptr);
  return exitCode;
}
