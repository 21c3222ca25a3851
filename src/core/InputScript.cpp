#include "core/InputScript.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "core/DecimalNumber.h"
#include "core/KeyCodes.h"

namespace {

struct NamedCode {
  const char* name;
  int code;
};

// Keys with a name of their own. Every other code is written VK_ and two hex digits.
constexpr NamedCode kKeyNames[] = {
    {"ESCAPE", vk::Escape}, {"ENTER", vk::Return}, {"SPACE", vk::Space}, {"TAB", vk::Tab},
    {"BACKSPACE", vk::Back}, {"DELETE", vk::Delete}, {"UP", vk::Up}, {"DOWN", vk::Down},
    {"LEFT", vk::Left}, {"RIGHT", vk::Right}, {"CTRL", vk::LControl}, {"SHIFT", vk::LShift},
    {"ALT", vk::LMenu},
};

constexpr NamedCode kPadButtonNames[] = {
    {"PAD_A", 0x1000}, {"PAD_B", 0x2000}, {"PAD_X", 0x4000}, {"PAD_Y", 0x8000},
    {"PAD_LB", 0x0100}, {"PAD_RB", 0x0200}, {"PAD_START", 0x0010}, {"PAD_BACK", 0x0020},
    {"PAD_UP", 0x0001}, {"PAD_DOWN", 0x0002}, {"PAD_LEFT", 0x0004}, {"PAD_RIGHT", 0x0008},
    {"PAD_LTHUMB", 0x0040}, {"PAD_RTHUMB", 0x0080},
};

constexpr int32_t kMaxFramesPerLine = 100000000;
constexpr int64_t kMaxScriptFrames = 1000000000;
constexpr double kMaxDt = 86400.0;  // a day: longer frames are not frames
constexpr int32_t kMaxPixel = 32767;  // the window reports positions as signed 16-bit numbers
constexpr int32_t kMaxWheel = 1000;   // notches in one frame; more is a typing slip
constexpr double kStickScale = 32767.0;
constexpr double kTriggerScale = 255.0;

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The generic Ctrl, Shift and Alt codes are not held by themselves; naming one holds its left key.
int HeldKeyFor(int code) {
  switch (code) {
    case vk::Control: return vk::LControl;
    case vk::Shift: return vk::LShift;
    case vk::Menu: return vk::LMenu;
    default: return code;
  }
}

// The key code of a key token, or 0 when the token names no key.
int KeyCode(const std::string& token) {
  if (token.size() == 1 && token[0] >= 'A' && token[0] <= 'Z') return vk::Letter(token[0]);
  if (token.size() == 1 && token[0] >= '0' && token[0] <= '9') return vk::Digit(token[0] - '0');
  if (token.size() >= 2 && token.size() <= 3 && token[0] == 'F') {
    int n = 0;
    auto [end, ec] = std::from_chars(token.data() + 1, token.data() + token.size(), n);
    if (ec == std::errc() && end == token.data() + token.size() && token[1] != '0' && n >= 1 && n <= 12) {
      return vk::F1 + n - 1;
    }
  }
  for (const NamedCode& key : kKeyNames) {
    if (token == key.name) return key.code;
  }
  if (token.size() == 5 && token.compare(0, 3, "VK_") == 0) {
    int n = 0;
    auto [end, ec] = std::from_chars(token.data() + 3, token.data() + 5, n, 16);
    if (ec == std::errc() && end == token.data() + 5 && n > 0 && n < 256) return HeldKeyFor(n);
  }
  return 0;
}

std::string KeyToken(int code) {
  if (code >= vk::A && code <= vk::A + 25) return std::string(1, static_cast<char>('A' + (code - vk::A)));
  if (code >= vk::Num0 && code <= vk::Num0 + 9) return std::string(1, static_cast<char>('0' + (code - vk::Num0)));
  if (code >= vk::F1 && code < vk::F1 + 12) {
    std::string token(1, 'F');  // appended, not "F" + ...: GCC 12 reports a false -Wrestrict on that
    return token.append(std::to_string(code - vk::F1 + 1));
  }
  for (const NamedCode& key : kKeyNames) {
    if (code == key.code) return key.name;
  }
  const char* hex = "0123456789ABCDEF";
  return std::string("VK_") + hex[(code >> 4) & 15] + hex[code & 15];
}

bool ParseNumber(std::string_view text, double* out) {
  return ParseDecimal(text, out) && std::isfinite(*out);
}

bool ParseWhole(std::string_view text, int64_t* out) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
  return ec == std::errc() && end == text.data() + text.size();
}

// "X,Y" into two numbers.
bool ParsePair(std::string_view text, double* x, double* y) {
  size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  return ParseNumber(text.substr(0, comma), x) && ParseNumber(text.substr(comma + 1), y);
}

// Shortest text that reads back as the same value.
template <class Number>
std::string Shortest(Number value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

// Shortest decimal text of raw / scale that the reader turns back into `raw`.
std::string ScaledText(int raw, double scale) {
  const double value = raw / scale;
  for (int precision = 1; precision <= 17; ++precision) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, precision);
    if (ec != std::errc()) break;
    double back = 0.0;
    if (ParseNumber(std::string_view(buffer, static_cast<size_t>(end - buffer)), &back) &&
        std::lround(back * scale) == raw) {
      return std::string(buffer, end);
    }
  }
  return Shortest(value);
}

int16_t StickRaw(double value) { return static_cast<int16_t>(std::lround(value * kStickScale)); }
uint8_t TriggerRaw(double value) { return static_cast<uint8_t>(std::lround(value * kTriggerScale)); }

// One line's tokens after the frame count.
class LineReader {
 public:
  LineReader(InputFrame* frame, std::string* reason) : frame_(frame), reason_(reason) {}

  bool Token(std::string_view original) {
    const std::string token = Upper(original);
    const size_t equals = token.find('=');
    const std::string word = token.substr(0, equals);
    if (!seen_.empty() && std::find(seen_.begin(), seen_.end(), word) != seen_.end()) {
      return Fail(Quoted(original) + " is named twice on this line");
    }
    seen_.push_back(word);
    if (equals != std::string::npos) return Valued(word, std::string_view(token).substr(equals + 1), original);
    if (word == "LMB") return Set(&frame_->leftButton);
    if (word == "RMB") return Set(&frame_->rightButton);
    if (word == "MMB") return Set(&frame_->middleButton);
    if (word == "NOFOCUS") return Set(&frame_->unfocused);
    for (const NamedCode& button : kPadButtonNames) {
      if (word == button.name) {
        frame_->padButtons = static_cast<uint16_t>(frame_->padButtons | button.code);
        return true;
      }
    }
    if (int code = KeyCode(word)) {
      frame_->keys.set(static_cast<size_t>(code));
      return true;
    }
    return Fail("unknown token " + Quoted(original));
  }

 private:
  bool Set(bool* flag) {
    *flag = true;
    return true;
  }

  // 'text', built by appending: GCC 12 misreads "'" + std::string(text) as an overlapping copy.
  static std::string Quoted(std::string_view text) {
    std::string quoted(1, '\'');
    return quoted.append(text).append(1, '\'');
  }

  bool Fail(const std::string& reason) {
    *reason_ = reason;
    return false;
  }

  bool Valued(const std::string& word, std::string_view value, std::string_view original) {
    double x = 0.0, y = 0.0;
    if (word == "MOUSE" || word == "MOUSEWORLD") {
      if (frame_->cursor != CursorPlacement::None) return Fail("the cursor is placed twice on this line");
      if (!ParsePair(value, &x, &y)) return Fail(Quoted(original) + " wants two numbers X,Y");
      if (word == "MOUSEWORLD") {
        if (std::fabs(x) > std::numeric_limits<float>::max() || std::fabs(y) > std::numeric_limits<float>::max()) {
          return Fail(Quoted(original) + " is beyond any world");
        }
        frame_->cursor = CursorPlacement::World;
        frame_->worldX = static_cast<float>(x);
        frame_->worldY = static_cast<float>(y);
        return true;
      }
      if (x != std::floor(x) || y != std::floor(y) || std::fabs(x) > kMaxPixel || std::fabs(y) > kMaxPixel) {
        return Fail(Quoted(original) + " wants whole window pixels within +-" + std::to_string(kMaxPixel));
      }
      frame_->cursor = CursorPlacement::Window;
      frame_->mouseX = static_cast<int32_t>(x);
      frame_->mouseY = static_cast<int32_t>(y);
      return true;
    }
    if (word == "LSTICK" || word == "RSTICK") {
      if (!ParsePair(value, &x, &y) || x < -1.0 || x > 1.0 || y < -1.0 || y > 1.0) {
        return Fail(Quoted(original) + " wants X,Y each from -1 to 1");
      }
      int16_t& sx = word == "LSTICK" ? frame_->leftStickX : frame_->rightStickX;
      int16_t& sy = word == "LSTICK" ? frame_->leftStickY : frame_->rightStickY;
      sx = StickRaw(x);
      sy = StickRaw(y);
      return true;
    }
    if (word == "WHEEL") {
      if (!ParseNumber(value, &x) || x != std::floor(x) || std::fabs(x) > kMaxWheel || x == 0.0) {
        return Fail(Quoted(original) + " wants a whole number of notches, not 0, within +-" + std::to_string(kMaxWheel));
      }
      frame_->wheel = static_cast<int32_t>(x);
      return true;
    }
    if (word == "LT" || word == "RT") {
      if (!ParseNumber(value, &x) || x < 0.0 || x > 1.0) {
        return Fail(Quoted(original) + " wants a value from 0 to 1");
      }
      (word == "LT" ? frame_->leftTrigger : frame_->rightTrigger) = TriggerRaw(x);
      return true;
    }
    return Fail("unknown token " + Quoted(original));
  }

  InputFrame* frame_;
  std::string* reason_;
  std::vector<std::string> seen_;
};

std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

void AppendTokens(const InputFrame& frame, std::string* out) {
  auto add = [out](const std::string& token) { *out += ' ' + token; };
  for (int code = 1; code < 256; ++code) {
    if (frame.keys.test(static_cast<size_t>(code))) add(KeyToken(code));
  }
  if (frame.leftButton) add("LMB");
  if (frame.rightButton) add("RMB");
  if (frame.middleButton) add("MMB");
  if (frame.wheel != 0) add("wheel=" + std::to_string(frame.wheel));
  if (frame.unfocused) add("NOFOCUS");
  if (frame.cursor == CursorPlacement::Window) {
    add("mouse=" + std::to_string(frame.mouseX) + "," + std::to_string(frame.mouseY));
  } else if (frame.cursor == CursorPlacement::World) {
    add("mouseworld=" + Shortest(frame.worldX) + "," + Shortest(frame.worldY));
  }
  for (const NamedCode& button : kPadButtonNames) {
    if (frame.padButtons & button.code) add(button.name);
  }
  if (frame.leftStickX != 0 || frame.leftStickY != 0) {
    add("lstick=" + ScaledText(frame.leftStickX, kStickScale) + "," + ScaledText(frame.leftStickY, kStickScale));
  }
  if (frame.rightStickX != 0 || frame.rightStickY != 0) {
    add("rstick=" + ScaledText(frame.rightStickX, kStickScale) + "," + ScaledText(frame.rightStickY, kStickScale));
  }
  if (frame.leftTrigger != 0) add("lt=" + ScaledText(frame.leftTrigger, kTriggerScale));
  if (frame.rightTrigger != 0) add("rt=" + ScaledText(frame.rightTrigger, kTriggerScale));
}

}  // namespace

int64_t InputScript::FrameCount() const {
  int64_t total = 0;
  for (const InputRun& run : runs) total += run.frames;
  return total;
}

bool ReadInputScript(const std::string& text, InputScript* script, InputScriptError* error) {
  *script = InputScript{};
  InputScript read;
  std::optional<double> dt;
  bool headerSeen = false;
  int64_t total = 0;
  int lineNumber = 0;
  auto fail = [&](const std::string& reason) {
    error->line = lineNumber;
    error->reason = reason;
    return false;
  };

  std::string_view rest(text);
  // A byte-order mark from a text editor is not part of the first line.
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  while (!rest.empty()) {
    ++lineNumber;
    size_t newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = line.substr(0, line.find('#'));
    std::vector<std::string_view> words = SplitWords(line);
    if (words.empty()) continue;
    if (line.find('\0') != std::string_view::npos) return fail("a line holds a NUL byte");

    const std::string first = Upper(words[0]);
    if (!headerSeen) {
      if (first != "QINPUT") return fail("an input script starts with the line 'qinput 1'");
      if (words.size() != 2 || words[1] != "1") {
        return fail("unsupported version '" + std::string(words.size() > 1 ? words[1] : "") +
                    "' (this game reads 'qinput 1')");
      }
      headerSeen = true;
      continue;
    }
    if (first == "QINPUT") return fail("a second 'qinput' header");
    if (first == "DT") {
      double seconds = 0.0;
      if (words.size() != 2 || !ParseNumber(words[1], &seconds) || seconds < 0.0 || seconds > kMaxDt) {
        return fail("'dt' wants one frame time in seconds from 0 to 86400");
      }
      dt = seconds;
      continue;
    }
    int64_t frames = 0;
    if (!ParseWhole(words[0], &frames)) {
      return fail("a line starts with a frame count, 'dt' or '#', not '" + std::string(words[0]) + "'");
    }
    if (frames < 1 || frames > kMaxFramesPerLine) {
      return fail("the frame count must be from 1 to " + std::to_string(kMaxFramesPerLine));
    }
    total += frames;
    if (total > kMaxScriptFrames) return fail("the script is longer than " + std::to_string(kMaxScriptFrames) + " frames");
    InputRun run;
    run.frames = static_cast<int32_t>(frames);
    run.dt = dt;
    std::string reason;
    LineReader reader(&run.input, &reason);
    for (size_t i = 1; i < words.size(); ++i) {
      if (!reader.Token(words[i])) return fail(reason);
    }
    read.runs.push_back(run);
  }
  if (!headerSeen) {
    lineNumber = std::max(lineNumber, 1);
    return fail("an input script starts with the line 'qinput 1'");
  }
  *script = std::move(read);
  return true;
}

std::string WriteInputScript(const InputScript& script, const std::string& headerComment) {
  std::string out = "qinput 1\n";
  if (!headerComment.empty()) out += "# " + headerComment + "\n";
  std::optional<double> dt;
  for (const InputRun& run : script.runs) {
    // A run that falls back to the game's own clock after timed runs cannot be written; the
    // recorder always knows its frame times, and hand-written scripts never go back.
    if (run.dt && run.dt != dt) {
      out += "dt " + Shortest(*run.dt) + "\n";
      dt = run.dt;
    }
    out += std::to_string(run.frames);
    AppendTokens(run.input, &out);
    out += '\n';
  }
  return out;
}

double FrameMsToSeconds(float frameMs) {
  const double exact = static_cast<double>(frameMs) / 1000.0;
  for (int precision = 1; precision <= 17; ++precision) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), exact, std::chars_format::general, precision);
    if (ec != std::errc()) break;
    double back = 0.0;
    if (ParseNumber(std::string_view(buffer, static_cast<size_t>(end - buffer)), &back) &&
        SecondsToFrameMs(back) == frameMs) {
      return back;
    }
  }
  return exact;
}

float SecondsToFrameMs(double seconds) { return static_cast<float>(seconds * 1000.0); }

void InputRecording::Add(const InputFrame& frame, float frameMs) {
  const double dt = FrameMsToSeconds(frameMs);
  if (!script_.runs.empty()) {
    InputRun& last = script_.runs.back();
    if (last.input == frame && last.dt == dt && last.frames < kMaxFramesPerLine) {
      ++last.frames;
      return;
    }
  }
  InputRun run;
  run.frames = 1;
  run.dt = dt;
  run.input = frame;
  script_.runs.push_back(run);
}

int ScriptKeyCode(const std::string& upperToken) { return KeyCode(upperToken); }

std::string ScriptKeyToken(int code) { return KeyToken(code); }
