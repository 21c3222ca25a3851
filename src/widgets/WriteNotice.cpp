#include "widgets/WriteNotice.h"

#include <cstdio>

#include "core/Logger.h"
#include "objects/GameObject.h"
#include "widgets/MenuParts.h"

namespace {

constexpr float kNoticeSeconds = 6.0f;
constexpr float kNoticeY = -470.0f;   // near the bottom edge of the 1080-unit-high screen
constexpr float kNoticeSize = 28.0f;
constexpr float kNoticeDepth = -21.0f;  // in front of the transition overlay (-20)

struct NoticeModule {
  GameObject* line = nullptr;
  float secondsLeft = 0.0f;
  std::string text;
};

NoticeModule& Module() {
  static NoticeModule module;
  return module;
}

void RemoveLine() {
  NoticeModule& m = Module();
  if (IsLive(m.line)) m.line->destroy = true;
  m = NoticeModule{};
}

}  // namespace

void ReportWriteFailure(const std::string& onScreen, const std::string& details) {
  std::fprintf(stderr, "quillmarch: %s\n", details.c_str());
  std::fflush(stderr);
  Log(details, LogLevel::Warning);
  RemoveLine();
  NoticeModule& m = Module();
  m.text = onScreen;
  m.secondsLeft = kNoticeSeconds;
  m.line = MakeTextLine(kNoticeY, SwapCase(onScreen), kNoticeSize);
  SetDepth(m.line, kNoticeDepth);
}

void TickWriteNotice(float seconds) {
  NoticeModule& m = Module();
  if (m.text.empty()) return;
  m.secondsLeft -= seconds;
  if (m.secondsLeft <= 0.0f || (m.line != nullptr && !IsLive(m.line))) RemoveLine();
}

const std::string& WriteNoticeText() { return Module().text; }
