// SFML 2.5 side of bench/peer_sprites.sh: N sprites, one draw() per sprite, the way SFML's users
// write it, each row from one texture drawn at its own size (the small picture unturned, the big
// one turned), smoothed (linear filtering). Usage: sfml_sprites SMALL.png BIG.png N... Prints
// "size N ms-per-frame draws-ms pixels-ms" for each N and row (the time in the draw() calls and in
// the glFinish that follows them); each frame ends with a glFinish so finished frames are timed.
#include <SFML/Graphics.hpp>
#include <SFML/OpenGL.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  sf::RenderWindow window(sf::VideoMode(1280, 720), "peer", sf::Style::Default);
  window.setVerticalSyncEnabled(false);
  sf::Texture textures[2];
  for (int big = 0; big < 2; ++big) {
    if (!textures[big].loadFromFile(argv[1 + big])) return 1;
    // Set on the GL texture at once, so every draw below samples linearly.
    textures[big].setSmooth(true);
    if (!textures[big].isSmooth()) return 1;
  }
  const char* framesText = std::getenv("QM_PEER_FRAMES");
  const int frames = framesText != nullptr ? std::atoi(framesText) : 60;
  for (int arg = 3; arg < argc; ++arg) {
    const int n = std::atoi(argv[arg]);
    for (int big = 0; big < 2; ++big) {
      const sf::Texture& texture = textures[big];
      const sf::Vector2u size = texture.getSize();
      std::vector<sf::Sprite> sprites(static_cast<size_t>(n), sf::Sprite(texture));
      for (int i = 0; i < n; ++i) {
        sf::Sprite& s = sprites[static_cast<size_t>(i)];
        s.setOrigin(size.x / 2.0f, size.y / 2.0f);
        s.setPosition(static_cast<float>((i * 37) % 1280), static_cast<float>((i * 53) % 720));
        if (big) s.setRotation(static_cast<float>((i * 7) % 360));
      }
      // The draws' and the finish's share of the timed frames.
      using Clock = std::chrono::steady_clock;
      double drawsMs = 0.0, pixelsMs = 0.0;
      auto frame = [&] {
        window.clear(sf::Color::Black);
        const Clock::time_point drawing = Clock::now();
        for (const sf::Sprite& s : sprites) window.draw(s);
        const Clock::time_point finishing = Clock::now();
        glFinish();
        drawsMs += std::chrono::duration<double, std::milli>(finishing - drawing).count();
        pixelsMs += std::chrono::duration<double, std::milli>(Clock::now() - finishing).count();
        window.display();
      };
      for (int i = 0; i < 2; ++i) frame();
      drawsMs = pixelsMs = 0.0;
      auto start = Clock::now();
      for (int i = 0; i < frames; ++i) frame();
      double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count() / frames;
      std::printf("%ux%u %d %.2f %.2f %.2f\n", size.x, size.y, n, ms, drawsMs / frames, pixelsMs / frames);
      std::fflush(stdout);
    }
  }
  return 0;
}
