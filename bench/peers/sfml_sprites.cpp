// SFML 2.5 side of bench/peer_sprites.sh: N sprites from one texture, one draw() per sprite, the
// way SFML's users write it. Prints "size N ms-per-frame" for each N; each frame ends with a
// glFinish so finished frames are timed.
#include <SFML/Graphics.hpp>
#include <SFML/OpenGL.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  sf::RenderWindow window(sf::VideoMode(1280, 720), "peer", sf::Style::Default);
  window.setVerticalSyncEnabled(false);
  sf::Texture texture;
  if (!texture.loadFromFile(argv[1])) return 1;
  texture.setSmooth(true);
  const char* framesText = std::getenv("QM_PEER_FRAMES");
  const int frames = framesText != nullptr ? std::atoi(framesText) : 60;
  for (int arg = 2; arg < argc; ++arg) {
    const int n = std::atoi(argv[arg]);
    for (int big = 0; big < 2; ++big) {
      const float w = big ? 43.0f : 20.0f, h = big ? 116.0f : 20.0f;
      std::vector<sf::Sprite> sprites(static_cast<size_t>(n), sf::Sprite(texture));
      for (int i = 0; i < n; ++i) {
        sf::Sprite& s = sprites[static_cast<size_t>(i)];
        s.setOrigin(texture.getSize().x / 2.0f, texture.getSize().y / 2.0f);
        s.setScale(w / texture.getSize().x, h / texture.getSize().y);
        s.setPosition(static_cast<float>((i * 37) % 1280), static_cast<float>((i * 53) % 720));
        if (big) s.setRotation(static_cast<float>((i * 7) % 360));
      }
      auto frame = [&] {
        window.clear(sf::Color::Black);
        for (const sf::Sprite& s : sprites) window.draw(s);
        glFinish();
        window.display();
      };
      for (int i = 0; i < 2; ++i) frame();
      auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < frames; ++i) frame();
      double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / frames;
      std::printf("%s %d %.2f\n", big ? "43x116" : "20x20", n, ms);
      std::fflush(stdout);
    }
  }
  return 0;
}
