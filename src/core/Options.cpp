#include "core/Options.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#ifndef QM_VERSION
#error "the build names the game's version in QM_VERSION"
#endif

namespace {

RunOptions& Current() {
  static RunOptions options;
  return options;
}

bool ParseInt(const std::string& text, int* out) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, *out);
  return result.ec == std::errc() && result.ptr == end;
}

bool ParseFloat(const std::string& text, float* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  *out = std::strtof(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

}  // namespace

const RunOptions& GetRunOptions() { return Current(); }
void SetRunOptions(const RunOptions& options) { Current() = options; }

std::string RunOptionsUsage() {
  return "usage: quillmarch [--windowed] [--size WxH] [--frames N] [--fixed-dt S] [--scene ID]\n"
         "                  [--headless] [--screenshot N:FILE] [--seed N] [--data DIR] [--no-dialogs]\n"
         "                  [--input FILE] [--record FILE] [--state-log FILE] [--dump-objects N:FILE]\n"
         "                  [--camera X,Y] [--dump-texts N:FILE] [--watch-log FILE] [--help] [--version]\n";
}

std::string VersionLine() { return std::string("quillmarch ") + QM_VERSION + "\n"; }
std::string GameVersion() { return QM_VERSION; }

bool ParseRunOptions(int argc, const char* const* argv, RunOptions* options, std::string* error) {
  RunOptions parsed;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) {
        *error = "option " + arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    auto path = [&](std::string* out) {
      if (!value(out)) return false;
      if (out->empty()) *error = "option " + arg + " needs a file name";
      return !out->empty();
    };
    std::string v;
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
    } else if (arg == "--version") {
      parsed.version = true;
    } else if (arg == "--windowed") {
      parsed.windowed = true;
    } else if (arg == "--headless") {
      parsed.headless = true;
    } else if (arg == "--no-dialogs") {
      parsed.noDialogs = true;
    } else if (arg == "--size") {
      if (!value(&v)) return false;
      size_t x = v.find('x');
      int w = 0, h = 0;
      if (x == std::string::npos || !ParseInt(v.substr(0, x), &w) || !ParseInt(v.substr(x + 1), &h) ||
          w <= 0 || h <= 0 || w > 16384 || h > 16384) {
        *error = "--size wants WxH, for example 1280x720, not '" + v + "'";
        return false;
      }
      parsed.width = w;
      parsed.height = h;
      parsed.windowed = true;
    } else if (arg == "--frames") {
      if (!value(&v)) return false;
      if (!ParseInt(v, &parsed.frames) || parsed.frames < 0) {
        *error = "--frames wants a whole number of frames, not '" + v + "'";
        return false;
      }
    } else if (arg == "--fixed-dt") {
      if (!value(&v)) return false;
      if (!ParseFloat(v, &parsed.fixedDt) || !(parsed.fixedDt >= 0.0f)) {
        *error = "--fixed-dt wants seconds per frame, for example 0.02, not '" + v + "'";
        return false;
      }
    } else if (arg == "--scene") {
      if (!value(&v)) return false;
      int id = 0;
      if (!ParseInt(v, &id)) {
        *error = "--scene wants a scene id, not '" + v + "'";
        return false;
      }
      parsed.sceneId = id;
    } else if (arg == "--screenshot") {
      if (!value(&v)) return false;
      size_t colon = v.find(':');
      ScreenshotRequest shot;
      if (colon == std::string::npos || !ParseInt(v.substr(0, colon), &shot.frame) || shot.frame < 0 ||
          colon + 1 >= v.size()) {
        *error = "--screenshot wants N:FILE, for example 100:shot.png, not '" + v + "'";
        return false;
      }
      shot.file = v.substr(colon + 1);
      parsed.screenshots.push_back(shot);
    } else if (arg == "--seed") {
      if (!value(&v)) return false;
      char* end = nullptr;
      unsigned long long seed = std::strtoull(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || seed > 0xFFFFFFFFull) {
        *error = "--seed wants a whole number, not '" + v + "'";
        return false;
      }
      parsed.seed = static_cast<uint32_t>(seed);
    } else if (arg == "--camera") {
      if (!value(&v)) return false;
      size_t comma = v.find(',');
      char* end = nullptr;
      float x = comma == std::string::npos ? 0.0f : std::strtof(v.c_str(), &end);
      bool good = comma != std::string::npos && end == v.c_str() + comma;
      float y = good ? std::strtof(v.c_str() + comma + 1, &end) : 0.0f;
      if (!good || comma + 1 >= v.size() || *end != '\0') {
        *error = "--camera wants X,Y, a world point such as 1000,2000, not '" + v + "'";
        return false;
      }
      parsed.camera = std::make_pair(x, y);
    } else if (arg == "--data") {
      if (!value(&parsed.dataDir)) return false;
    } else if (arg == "--input") {
      if (!path(&parsed.inputScript)) return false;
    } else if (arg == "--record") {
      if (!path(&parsed.recordScript)) return false;
    } else if (arg == "--state-log") {
      if (!path(&parsed.stateLog)) return false;
    } else if (arg == "--watch-log") {
      if (!path(&parsed.watchLog)) return false;
    } else if (arg == "--dump-objects" || arg == "--dump-texts") {
      if (!value(&v)) return false;
      size_t colon = v.find(':');
      DumpRequest dump;
      if (colon == std::string::npos || !ParseInt(v.substr(0, colon), &dump.frame) || dump.frame < 1 ||
          colon + 1 >= v.size()) {
        *error = arg + " wants N:FILE with N at least 1, for example 60:objects.json, not '" + v + "'";
        return false;
      }
      dump.file = v.substr(colon + 1);
      (arg == "--dump-texts" ? parsed.textDumps : parsed.dumps).push_back(dump);
    } else {
      *error = "unknown option '" + arg + "'";
      return false;
    }
  }
  *options = parsed;
  return true;
}
