// The main of every test program: tests run without a sound card or a display, on SDL's dummy
// audio driver and offscreen video driver, unless the environment already chose others. The
// player's folder (XDG_DATA_HOME) is always one of the program's own, removed at the end: nothing
// a test does reaches the home of whoever runs the tests, and test programs running side by side
// never share one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TestSupport.h"

int main(int argc, char** argv) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
  testing_support::TempDir userData;
  ::setenv("XDG_DATA_HOME", userData.path().c_str(), 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
