#include "support/LogCapture.h"

#include "core/Logger.h"

namespace testing_support {

LogCapture::LogCapture() : path_(dir_.File("output.log")) {
  ClearLogSinks();
  SetLogToFile(1);
  AddLogFile(path_);
}

LogCapture::~LogCapture() {
  CloseLogFiles();
  ClearLogSinks();
  SetLogToFile(0);
}

std::string LogCapture::Text() {
  CloseLogFiles();
  saved_ += ReadFile(path_);
  AddLogFile(path_);  // truncates: what was read is kept in saved_
  return saved_;
}

std::string LogCapture::Take() {
  const std::string all = Text();
  std::string fresh = all.substr(taken_);
  taken_ = all.size();
  return fresh;
}

int LogCapture::Count(const std::string& line) {
  const std::string text = Text();
  int n = 0;
  for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
  return n;
}

}  // namespace testing_support
