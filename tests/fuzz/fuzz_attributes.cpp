// Fuzzes the attribute file reader. A rejected file must change nothing; after any accepted file
// both sections must save to text that reads back to the same text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Logger.h"
#include "scenes/AttributeFile.h"
#include "scenes/HumanTuning.h"
#include "scenes/PlayerTuning.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_attributes: %s\n%s\n", what, detail.c_str());
  std::abort();
}

void ExpectStable(int type) {
  const std::string first = AttributesToText(nullptr, type);
  if (!LoadAttributesFromText(first, "first.json")) Fail("the reader rejected the writer's output", first);
  const std::string second = AttributesToText(nullptr, type);
  if (second != first) Fail("the second save differs from the first", first + "\n----\n" + second);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetLogToFile(0);
  ResetPlayerTuning();
  ResetHumanTuning();
  const PlayerTuning playerBefore = PlayerTuningValues();
  const HumanTuning humanBefore = HumanTuningValues();

  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!LoadAttributesFromText(text, "fuzz.json")) {
    if (std::memcmp(&playerBefore, &PlayerTuningValues(), sizeof playerBefore) != 0 ||
        std::memcmp(&humanBefore, &HumanTuningValues(), sizeof humanBefore) != 0) {
      Fail("a rejected file changed the tuning", text);
    }
    return 0;
  }
  ExpectStable(1);
  ExpectStable(3);
  return 0;
}
