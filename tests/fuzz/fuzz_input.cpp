// Fuzzes the input-script reader. Whatever it accepts must write and read back to an equal script,
// and the second writing must be the very same text: a recorded run always replays as recorded.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/InputScript.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_input: %s\n%s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  InputScript script;
  InputScriptError error;
  if (!ReadInputScript(text, &script, &error)) {
    if (error.line < 1 || error.reason.empty()) Fail("a refusal without a line or a reason", text);
    return 0;
  }
  const std::string first = WriteInputScript(script, "fuzz");
  InputScript again;
  if (!ReadInputScript(first, &again, &error)) Fail("the reader refused the writer's output", first + "\n" + error.reason);
  if (!(again == script)) Fail("the script read back differs", first);
  const std::string second = WriteInputScript(again, "fuzz");
  if (second != first) Fail("the second writing differs from the first", first + "\n----\n" + second);
  return 0;
}
