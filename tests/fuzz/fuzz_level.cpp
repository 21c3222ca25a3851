// Fuzzes the level reader. Whatever it accepts must save, read back and save again to the very
// same text: the writer's output is always a file the reader takes, and nothing drifts between
// saves.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "core/Logger.h"
#include "scenes/Level.h"

namespace {

// Saves go to memory-backed storage where the system has it, so syncing costs nothing.
std::string SaveFolder() {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
  fs::path folder = base / ("qm-fuzz-level-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder, ec);
  static std::string created;
  created = folder.string();
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(created, ignored);
  });
  return created;
}

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_level: %s\n%s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    SetLogToFile(0);
    SetLevelMusicRegistration(false);
    return SaveFolder() + "/level.json";
  }();

  const std::string text(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<Level> level = LoadLevelFromText(text, "fuzz.json");
  if (!level) return 0;

  const std::string first = LevelToText(*level);
  if (!FindUnwritableValue(*level).empty()) Fail("the reader produced a value the writer cannot hold", first);
  level->path = path;
  if (!SaveLevel(*level)) Fail("saving an accepted level failed", first);
  std::unique_ptr<Level> again = LoadLevel(path);
  if (!again) Fail("the reader rejected the writer's output", first);
  const std::string second = LevelToText(*again);
  if (second != first) Fail("the second save differs from the first", first + "\n----\n" + second);
  return 0;
}
