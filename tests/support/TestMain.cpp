// The main of every test program: tests run without a sound card or a display, on SDL's dummy
// audio driver and offscreen video driver, unless the environment already chose others.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
