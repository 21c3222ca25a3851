#include "app/ScriptedInput.h"

#include <cmath>
#include <fstream>

#include "core/FileSync.h"
#include "core/FrameClock.h"
#include "core/Input.h"
#include "core/InputScript.h"
#include "core/KeyCodes.h"
#include "core/Options.h"
#include "graphics/ScreenToWorld.h"
#include "platform/Platform.h"

namespace {

// What the game has been told so far: the keys and buttons it holds down and where the cursor is.
struct Delivered {
  std::bitset<256> keys;
  bool left = false, right = false, middle = false;
  bool cursorPlaced = false;
  int32_t x = 0, y = 0;
  int32_t wheel = 0;  // notches turned in this frame
};

// A replay played over the game's own input (watching a kept run): its frames replace the
// keyboard, the mouse and pad 0 as the game sees them, while what the player (or the --input script)
// does goes to the replay's controls instead.
struct Replay {
  bool pending = false;  // starts with the next frame
  bool active = false;
  bool held = false;     // paused: the playhead stays, nothing new is delivered
  InputScript script;
  size_t run = 0;
  int32_t inRun = 0;
  ReplayControls controls;
  std::function<void()> onStart;
  bool giveBack = false;  // stopped: the game is to get the player's input back in the next pump
  Delivered outer;       // what the player holds meanwhile, given back to the game when the replay ends
  uint16_t outerPad = 0;  // pad 0's buttons of the player in the pass before
};

struct Session {
  bool play = false;
  InputScript script;
  size_t run = 0;       // the run the playhead is in
  int32_t inRun = 0;    // frames of that run already played
  bool record = false;
  std::string recordPath;
  InputRecording recording;
  Delivered delivered;
  InputFrame pad;       // the pad-0 fields of the last ReadPad(0)
  uint32_t padPackets = 0;
  Replay replay;
  // The level recorder: the input of every frame since a level started.
  bool levelRecording = false;
  InputRecording levelRun;
  InputFrame thisFrame;  // the input of the frame now running, and its time
  float thisFrameMs = 0.0f;
  bool frameNoted = false;
};

Session& S() {
  static Session session;
  return session;
}

// The script frame for the coming frame; null when no script plays or it has ended.
const InputRun* CurrentRun() {
  const Session& s = S();
  if (!s.play || s.run >= s.script.runs.size()) return nullptr;
  return &s.script.runs[s.run];
}

const InputRun* ReplayRun() {
  const Replay& r = S().replay;
  if (!r.active || r.run >= r.script.runs.size()) return nullptr;
  return &r.script.runs[r.run];
}

int GenericKeyOf(int code) {
  switch (code) {
    case vk::LControl: case vk::RControl: return vk::Control;
    case vk::LShift: case vk::RShift: return vk::Shift;
    case vk::LMenu: case vk::RMenu: return vk::Menu;
    default: return 0;
  }
}

bool GenericHeld(const std::bitset<256>& keys, int generic) {
  for (int side : {vk::LControl, vk::RControl, vk::LShift, vk::RShift, vk::LMenu, vk::RMenu}) {
    if (GenericKeyOf(side) == generic && keys.test(static_cast<size_t>(side))) return true;
  }
  return false;
}

// The window pixel of the frame's cursor; false when the frame does not place it (or cannot: no
// client area).
bool CursorPixel(const InputFrame& frame, const platform::Platform& real, int32_t* x, int32_t* y) {
  if (frame.cursor == CursorPlacement::Window) {
    *x = frame.mouseX;
    *y = frame.mouseY;
    return true;
  }
  if (frame.cursor != CursorPlacement::World) return false;
  int width = 0, height = 0;
  real.GetClientSize(&width, &height);
  if (width <= 0 || height <= 0) return false;
  int px = 0, py = 0;
  WorldToScreenIn(frame.worldX, frame.worldY, width, height, &px, &py);
  *x = px;
  *y = py;
  return true;
}

// Sends the game the changes from what it holds to what the frame holds.
void PlayFrame(const InputFrame& want, const platform::Platform& real,
               const std::function<void(const platform::Event&)>& deliver, Delivered& d) {
  using Kind = platform::Event::Kind;
  platform::Event e;
  int32_t x = 0, y = 0;
  // The cursor first, so that button changes of the same frame happen where it now is.
  if (CursorPixel(want, real, &x, &y) && (!d.cursorPlaced || x != d.x || y != d.y)) {
    d.cursorPlaced = true;
    d.x = x;
    d.y = y;
    e = {Kind::MouseMove, 0, x, y};
    deliver(e);
  }
  for (int code = 1; code < 256; ++code) {
    const size_t bit = static_cast<size_t>(code);
    if (want.keys.test(bit) == d.keys.test(bit)) continue;
    const int generic = GenericKeyOf(code);
    const bool genericBefore = generic != 0 && GenericHeld(d.keys, generic);
    d.keys.set(bit, want.keys.test(bit));
    e = {want.keys.test(bit) ? Kind::KeyDown : Kind::KeyUp, code, 0, 0};
    deliver(e);
    if (generic != 0 && GenericHeld(d.keys, generic) != genericBefore) {
      e = {genericBefore ? Kind::KeyUp : Kind::KeyDown, generic, 0, 0};
      deliver(e);
    }
  }
  if (want.leftButton != d.left) {
    d.left = want.leftButton;
    e = {d.left ? Kind::LeftDown : Kind::LeftUp, 0, d.x, d.y};
    deliver(e);
  }
  if (want.rightButton != d.right) {
    d.right = want.rightButton;
    e = {d.right ? Kind::RightDown : Kind::RightUp, 0, d.x, d.y};
    deliver(e);
  }
  d.middle = want.middleButton;
  if (want.wheel != 0) {
    d.wheel = want.wheel;
    e = {Kind::Wheel, want.wheel, d.x, d.y};
    deliver(e);
  }
}

// Notes what the real platform delivered, for the recorder.
void Track(const platform::Event& e, Delivered& d) {
  using Kind = platform::Event::Kind;
  switch (e.kind) {
    case Kind::KeyDown:
    case Kind::KeyUp:
      // The generic Ctrl, Shift and Alt follow their sides when played back.
      if (e.key > 0 && e.key < 256 && e.key != vk::Control && e.key != vk::Shift && e.key != vk::Menu) {
        d.keys.set(static_cast<size_t>(e.key), e.kind == Kind::KeyDown);
      }
      return;
    case Kind::Wheel:
      d.wheel += e.key;
      return;
    case Kind::MouseMove: break;
    case Kind::LeftDown: d.left = true; break;
    case Kind::LeftUp: d.left = false; break;
    case Kind::RightDown: d.right = true; break;
    case Kind::RightUp: d.right = false; break;
    case Kind::Quit: return;
  }
  d.cursorPlaced = true;
  d.x = e.x;
  d.y = e.y;
}

void NotePad(const PadRawState& raw) {
  // -32768 has no twin in a script; the game reads it as -1 all the same.
  auto stick = [](int16_t v) { return v == -32768 ? static_cast<int16_t>(-32767) : v; };
  InputFrame& pad = S().pad;
  pad.padButtons = raw.buttons;
  pad.leftStickX = stick(raw.thumbLX);
  pad.leftStickY = stick(raw.thumbLY);
  pad.rightStickX = stick(raw.thumbRX);
  pad.rightStickY = stick(raw.thumbRY);
  pad.leftTrigger = raw.leftTrigger;
  pad.rightTrigger = raw.rightTrigger;
}

// What a Delivered state holds, as a frame a replay's end can play back to the game.
InputFrame FrameOf(const Delivered& d) {
  InputFrame frame;
  frame.keys = d.keys;
  frame.leftButton = d.left;
  frame.rightButton = d.right;
  frame.middleButton = d.middle;
  if (d.cursorPlaced) {
    frame.cursor = CursorPlacement::Window;
    frame.mouseX = d.x;
    frame.mouseY = d.y;
  }
  return frame;
}

PadRawState PadOf(const InputFrame& frame) {
  PadRawState raw;
  raw.buttons = frame.padButtons;
  raw.thumbLX = frame.leftStickX;
  raw.thumbLY = frame.leftStickY;
  raw.thumbRX = frame.rightStickX;
  raw.thumbRY = frame.rightStickY;
  raw.leftTrigger = frame.leftTrigger;
  raw.rightTrigger = frame.rightTrigger;
  return raw;
}

// Forwards everything to the real platform but the keyboard, the mouse and pad 0.
class ScriptedPlatform final : public platform::Platform {
 public:
  explicit ScriptedPlatform(std::unique_ptr<platform::Platform> real) : real_(std::move(real)) {}

  void PumpEvents(const std::function<void(const platform::Event&)>& deliver) override {
    Session& s = S();
    if (s.replay.active) {
      PumpDuringReplay(deliver);
      return;
    }
    if (s.replay.giveBack) {
      // A replay stopped between frames: what it held is let go (a script's own frame follows).
      s.replay.giveBack = false;
      if (!s.play) PlayFrame(FrameOf(s.replay.outer), *real_, deliver, s.delivered);
    }
    if (!s.play) {
      real_->PumpEvents([&deliver, &s](const platform::Event& e) {
        Track(e, s.delivered);
        deliver(e);
      });
      return;
    }
    // The window still closes for real; its keys and mouse are the script's.
    real_->PumpEvents([&deliver](const platform::Event& e) {
      if (e.kind == platform::Event::Kind::Quit) deliver(e);
    });
    const InputRun* run = CurrentRun();
    PlayFrame(run != nullptr ? run->input : InputFrame{}, *real_, deliver, s.delivered);
  }

  bool ReadPad(uint32_t index, PadRawState* out) override {
    Session& s = S();
    if (index == 0 && s.replay.active) {
      const InputRun* run = ReplayRun();
      *out = PadOf(run != nullptr ? run->input : FrameOf(s.replay.outer));
      if (run == nullptr) out->buttons = s.replay.outerPad;
      out->packetNumber = ++s.padPackets;
      NotePad(*out);
      return true;
    }
    if (index == 0 && s.play) {
      const InputRun* run = CurrentRun();
      *out = PadOf(run != nullptr ? run->input : InputFrame{});
      out->packetNumber = ++s.padPackets;
      NotePad(*out);
      return true;
    }
    bool present = real_->ReadPad(index, out);
    if (index == 0) NotePad(present ? *out : PadRawState{});
    return present;
  }

  bool OpenWindow(const platform::WindowConfig& config) override { return real_->OpenWindow(config); }
  void CloseWindow() override { real_->CloseWindow(); }
  bool HasWindow() const override { return real_->HasWindow(); }
  bool HasGlContext() const override { return real_->HasGlContext(); }
  std::string LastError() const override { return real_->LastError(); }
  void SetRawEventHook(std::function<bool(const void*)> hook) override { real_->SetRawEventHook(std::move(hook)); }
  bool IsMinimized() const override { return real_->IsMinimized(); }
  // The script is the player: the window's focus moving elsewhere on the desktop must not pause
  // a level the script plays, or a replay would stop being exact. The script's NOFOCUS frames
  // are the ones where it has lost the focus; a replay being watched never loses it.
  bool HasFocus() const override {
    if (S().replay.active) return true;
    if (!S().play) return real_->HasFocus();
    const InputRun* run = CurrentRun();
    return run == nullptr || !run->input.unfocused;
  }
  void CaptureMouse(bool capture) override { real_->CaptureMouse(capture); }
  void ShowCursor(bool show) override { real_->ShowCursor(show); }
  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    real_->ShowMessageBox(text, caption);
  }
  void GetClientSize(int* w, int* h) const override { real_->GetClientSize(w, h); }
  void GetDrawableSize(int* w, int* h) const override { real_->GetDrawableSize(w, h); }
  void GetWindowSize(int* w, int* h) const override { real_->GetWindowSize(w, h); }
  void GetDesktopSize(int* w, int* h) const override { real_->GetDesktopSize(w, h); }
  bool IsFullscreen() const override { return real_->IsFullscreen(); }
  void SetFullscreen(bool fullscreen) override { real_->SetFullscreen(fullscreen); }
  std::vector<platform::DisplayMode> DisplayModes() const override { return real_->DisplayModes(); }
  void SwapBuffers(bool vsync) override { real_->SwapBuffers(vsync); }
  int RefreshRate() const override { return real_->RefreshRate(); }
  bool VsyncAccepted() const override { return real_->VsyncAccepted(); }
  uint64_t PerformanceCounter() const override { return real_->PerformanceCounter(); }
  uint64_t PerformanceFrequency() const override { return real_->PerformanceFrequency(); }
  uint32_t Ticks() const override { return real_->Ticks(); }
  void Sleep(uint32_t ms) override { real_->Sleep(ms); }

 private:
  // The replay's frame goes to the game; the player's own input (real, or the --input script's
  // frame) goes to the replay's controls and is kept, to be handed back when the replay ends.
  void PumpDuringReplay(const std::function<void(const platform::Event&)>& deliver) {
    using Kind = platform::Event::Kind;
    Session& s = S();
    Replay& r = s.replay;
    std::vector<platform::Event> outer;
    auto collect = [&outer](const platform::Event& e) { outer.push_back(e); };
    uint16_t pad = 0;
    if (s.play) {
      real_->PumpEvents([&deliver](const platform::Event& e) {
        if (e.kind == Kind::Quit) deliver(e);
      });
      const InputRun* run = CurrentRun();
      const InputFrame want = run != nullptr ? run->input : InputFrame{};
      PlayFrame(want, *real_, collect, r.outer);
      pad = want.padButtons;
    } else {
      real_->PumpEvents([&deliver, &collect, &r](const platform::Event& e) {
        if (e.kind == Kind::Quit) {
          deliver(e);
          return;
        }
        Track(e, r.outer);
        collect(e);
      });
      PadRawState raw;
      if (real_->ReadPad(0, &raw)) pad = raw.buttons;
    }
    const uint16_t pressed = static_cast<uint16_t>(pad & ~r.outerPad);
    r.outerPad = pad;
    // The controls may end the replay; what they are handed is a copy.
    ReplayControls controls = r.controls;
    if (controls) {
      for (const platform::Event& e : outer) {
        if (e.kind == Kind::KeyDown) controls(e.key, 0);
        if (e.kind == Kind::LeftDown || e.kind == Kind::RightDown) controls(0, 0);
      }
      if (pressed != 0) controls(0, pressed);
    }
    if (!r.active) {
      // Stopped by its controls: the game gets the player's input back at once.
      r.giveBack = false;
      PlayFrame(FrameOf(r.outer), *real_, deliver, s.delivered);
      return;
    }
    const InputRun* run = ReplayRun();
    if (run == nullptr) {
      // The replay has ended: everything it held is let go, and the player's input comes back.
      PlayFrame(FrameOf(r.outer), *real_, deliver, s.delivered);
      r.active = false;
      return;
    }
    if (!r.held) PlayFrame(run->input, *real_, deliver, s.delivered);
  }

  std::unique_ptr<platform::Platform> real_;
};

}  // namespace

bool PrepareInputScripts(const RunOptions& options, std::string* error) {
  InputScript script;
  if (!options.inputScript.empty()) {
    std::ifstream in(options.inputScript, std::ios::binary);
    if (!in.is_open()) {
      *error = options.inputScript + ": cannot read the input script";
      return false;
    }
    // A script is text; a device or a runaway file would never end or fill the memory.
    constexpr size_t kMaxScriptBytes = 64u << 20;  // hours of a recorded real-time run
    std::string text;
    char chunk[1 << 16];
    while (text.size() <= kMaxScriptBytes && in.read(chunk, sizeof(chunk)).gcount() > 0) {
      text.append(chunk, static_cast<size_t>(in.gcount()));
    }
    if (text.size() > kMaxScriptBytes) {
      *error = options.inputScript + ": the input script is larger than 64 MB";
      return false;
    }
    InputScriptError why;
    if (!ReadInputScript(text, &script, &why)) {
      *error = options.inputScript + ":" + std::to_string(why.line) + ": " + why.reason;
      return false;
    }
  }
  PrepareInputScripts(script, !options.inputScript.empty(), options.recordScript);
  return true;
}

void PrepareInputScripts(const InputScript& script, bool play, const std::string& recordPath) {
  Session& s = S();
  s = Session{};
  s.play = play;
  s.script = script;
  s.record = !recordPath.empty();
  s.recordPath = recordPath;
}

std::unique_ptr<platform::Platform> WrapPlatformForScripts(std::unique_ptr<platform::Platform> real) {
  // Always wrapped: every level's run is recorded, and a kept run can be watched at any time.
  ReplayHooks& hooks = GetReplayHooks();
  hooks.beginLevelRecording = BeginLevelRecording;
  hooks.endLevelRecording = EndLevelRecording;
  hooks.playReplay = PlayReplay;
  hooks.stopReplay = StopReplay;
  hooks.holdReplay = HoldReplay;
  return std::make_unique<ScriptedPlatform>(std::move(real));
}

std::optional<float> ScriptedFrameMs() {
  const InputRun* run = ReplayRun();
  if (run == nullptr) run = CurrentRun();
  if (run == nullptr || !run->dt) return std::nullopt;
  return SecondsToFrameMs(*run->dt);
}

void AppendInputRun(const InputRun& run) { S().script.runs.push_back(run); }

bool InputScriptPlaying() { return CurrentRun() != nullptr; }

// The input the game was given this frame, as a script frame.
InputFrame CurrentFrameInput() {
  const Session& s = S();
  InputFrame frame = s.pad;
  frame.keys = s.delivered.keys;
  frame.leftButton = s.delivered.left;
  frame.rightButton = s.delivered.right;
  frame.middleButton = s.delivered.middle;
  frame.wheel = s.delivered.wheel;
  if (s.delivered.cursorPlaced) {
    frame.cursor = CursorPlacement::Window;
    frame.mouseX = s.delivered.x;
    frame.mouseY = s.delivered.y;
  }
  return frame;
}

void AdvanceInputScript() {
  Session& s = S();
  Replay& r = s.replay;
  s.frameNoted = false;
  if (r.active && !r.held && r.run < r.script.runs.size() && ++r.inRun >= r.script.runs[r.run].frames) {
    ++r.run;
    r.inRun = 0;
  }
  if (r.pending) {
    // Asked for during this frame: the replay plays from the next one, and what the player holds
    // now is what the game gets back at its end.
    r.pending = false;
    r.active = true;
    r.outer = s.delivered;
    r.outer.wheel = 0;
    r.outerPad = s.pad.padButtons;
    if (r.onStart) r.onStart();
  }
  if (s.record) s.recording.Add(CurrentFrameInput(), LastFrameMs());
  s.delivered.wheel = 0;
  if (const InputRun* run = CurrentRun()) {
    if (++s.inRun >= run->frames) {
      ++s.run;
      s.inRun = 0;
    }
  }
}

bool FinishInputScripts(std::string* error) {
  Session& s = S();
  bool ok = true;
  if (s.record) {
    const InputScript& recorded = s.recording.Script();
    std::string text = WriteInputScript(recorded, "recorded run of " + std::to_string(recorded.FrameCount()) + " frames");
    std::string why;
    if (!files::ReplaceFileContents(s.recordPath, text, &why)) {
      *error = "cannot write the recording " + s.recordPath + ": " + why;
      ok = false;
    }
  }
  s = Session{};
  return ok;
}

void NoteFrameInput(float frameMs) {
  Session& s = S();
  s.thisFrame = CurrentFrameInput();
  s.thisFrameMs = frameMs;
  s.frameNoted = true;
  if (s.levelRecording) s.levelRun.Add(s.thisFrame, frameMs);
}

void BeginLevelRecording() {
  Session& s = S();
  s.levelRun = InputRecording{};
  s.levelRecording = true;
  // A level starts inside a frame whose input is already noted: that frame is the run's first.
  if (s.frameNoted) s.levelRun.Add(s.thisFrame, s.thisFrameMs);
}

InputScript EndLevelRecording() {
  Session& s = S();
  s.levelRecording = false;
  InputScript script = s.levelRun.Script();
  s.levelRun = InputRecording{};
  return script;
}

bool LevelRecording() { return S().levelRecording; }

void PlayReplay(const InputScript& script, ReplayControls controls, std::function<void()> onStart) {
  Replay& r = S().replay;
  r = Replay{};
  r.pending = true;
  r.script = script;
  r.controls = std::move(controls);
  r.onStart = std::move(onStart);
}

void StopReplay() {
  Replay& r = S().replay;
  r.giveBack = r.active;
  r.pending = false;
  r.active = false;
  r.held = false;
  r.controls = nullptr;
}

void HoldReplay(bool held) { S().replay.held = held; }
bool ReplayHeld() { return S().replay.held; }
bool ReplayPlaying() { return S().replay.active || S().replay.pending; }
