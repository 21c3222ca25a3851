// The platform's raw event hook (the editor's interface layer looks at every event there) only
// looks: whatever it answers, the game still gets each event. Interface back ends report most key
// and button events as handled; dropping them would leave keys and buttons stuck down in the game.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/KeyCodes.h"
#include "platform/Platform.h"

namespace {

TEST(EventHookTest, EventsTheHookClaimsStillReachTheGame) {
  auto sdl = platform::CreateSdlPlatform();
  platform::WindowConfig window;
  window.windowed = true;
  window.noDialogs = true;
  if (!sdl->OpenWindow(window)) GTEST_SKIP() << "no window: " << sdl->LastError();
  int seen = 0;
  sdl->SetRawEventHook([&seen](const void*) {
    ++seen;
    return true;  // "handled", as an interface back end says of keys and buttons
  });
  sdl->PumpEvents([](const platform::Event&) {});  // the window's own start-up events
  seen = 0;

  SDL_Event down{};
  down.type = SDL_KEYDOWN;
  down.key.keysym.scancode = SDL_SCANCODE_A;
  SDL_Event up = down;
  up.type = SDL_KEYUP;
  ASSERT_EQ(SDL_PushEvent(&down), 1);
  std::vector<platform::Event> delivered;
  sdl->PumpEvents([&delivered](const platform::Event& e) { delivered.push_back(e); });
  ASSERT_EQ(SDL_PushEvent(&up), 1);
  sdl->PumpEvents([&delivered](const platform::Event& e) { delivered.push_back(e); });

  EXPECT_EQ(seen, 2);
  ASSERT_EQ(delivered.size(), 2u);
  EXPECT_EQ(delivered[0].kind, platform::Event::Kind::KeyDown);
  EXPECT_EQ(delivered[1].kind, platform::Event::Kind::KeyUp);
  EXPECT_EQ(delivered[1].key, vk::Letter('A'));
  sdl->SetRawEventHook(nullptr);
  sdl->CloseWindow();
}

}  // namespace
