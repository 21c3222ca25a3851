// Fuzzes the records reader and the kept-run reader, the two files of the player's folder that the
// game reads back. A rejected records file must leave no records; an accepted one must write text
// that reads back to the same records. An accepted run must write a run that reads back the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/Logger.h"
#include "gameplay/KeptRuns.h"
#include "gameplay/PlayerRecords.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_records: %s\n%s\n", what, detail.c_str());
  std::abort();
}

void CheckRecords(const std::string& text) {
  PlayerRecords records;
  std::string why;
  if (!ReadPlayerRecords(text, &records, &why)) {
    if (!records.empty()) Fail("a rejected file left records", text);
    if (why.empty()) Fail("a rejected file has no reason", text);
    return;
  }
  const std::string written = WritePlayerRecords(records);
  PlayerRecords again;
  if (!ReadPlayerRecords(written, &again, &why)) Fail("the reader rejected the writer's output", written);
  if (again != records) Fail("the records changed on the way back", written);
}

void CheckRun(const std::string& text) {
  RunInfo info;
  InputScript script;
  std::string why;
  if (!ReadRunFile(text, &info, &script, &why)) return;
  const std::string written = RunFileText(info, script);
  RunInfo infoAgain;
  InputScript scriptAgain;
  if (!ReadRunFile(written, &infoAgain, &scriptAgain, &why)) Fail("the run reader rejected a written run", written);
  if (!(scriptAgain == script) || infoAgain.level != info.level || infoAgain.sceneId != info.sceneId ||
      infoAgain.levelHash != info.levelHash || infoAgain.seed != info.seed || infoAgain.won != info.won) {
    Fail("the run changed on the way back", written);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetLogToFile(0);
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckRecords(text);
  CheckRun(text);
  return 0;
}
