// Turns the game's log on into a private file for the lifetime of the object, so a test can read
// exactly what was logged.
#pragma once

#include <string>

#include "support/TestSupport.h"

namespace testing_support {

class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // What was logged since the last Take() (or since construction).
  std::string Take();
  // Everything logged since construction.
  std::string Text();
  // How often `line` appears in Text().
  int Count(const std::string& line);

 private:
  TempDir dir_;
  std::string path_;
  std::string saved_;
  size_t taken_ = 0;
};

}  // namespace testing_support
