#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Polls until the program has ended (at most `limit`); false when it had not.
bool WaitForEnd(platform::ChildProcess& child, std::string* output, int* code, std::chrono::seconds limit) {
  const auto until = Clock::now() + limit;
  while (child.Poll(output, code)) {
    if (Clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace

TEST(ChildProcessTest, EverythingTheProgramWritesArrivesWithItsExitCodeAndAMissingProgramIsRefused) {
  std::string error;
  auto child = platform::StartChildProcess("/bin/sh", {"-c", "echo one; sleep 0.2; echo two >&2; exit 3"}, &error);
  ASSERT_NE(child, nullptr) << error;
  std::string output;
  int code = 0;
  ASSERT_TRUE(WaitForEnd(*child, &output, &code, std::chrono::seconds(20)));
  EXPECT_EQ(output, "one\ntwo\n");
  EXPECT_EQ(code, 3);
  // A program that is not there is refused with a reason.
  EXPECT_EQ(platform::StartChildProcess("/no/such/quillmarch-solve", {}, &error), nullptr);
  EXPECT_NE(error.find("/no/such/quillmarch-solve"), std::string::npos) << error;
}

TEST(ChildProcessTest, PollNeverWaitsAndStopEndsTheProgramAtOnce) {
  std::string error;
  // The program starts a helper of its own that would hold the output open for a minute.
  auto child = platform::StartChildProcess("/bin/sh", {"-c", "sleep 60 & echo started; wait"}, &error);
  ASSERT_NE(child, nullptr) << error;
  std::string output;
  int code = 0;
  const auto before = Clock::now();
  EXPECT_TRUE(child->Poll(&output, &code));
  EXPECT_LT(Clock::now() - before, std::chrono::seconds(1)) << "Poll waited for the program";
  child->Stop();
  EXPECT_FALSE(child->Poll(&output, &code)) << "still running after Stop";
  EXPECT_EQ(code, -1);
}
