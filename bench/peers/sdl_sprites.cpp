// SDL2's own 2-D renderer side of bench/peer_sprites.sh (its OpenGL back end, which batches):
// N sprites from one texture with SDL_RenderCopyEx. Prints "size N ms-per-frame" for each N; each
// frame reads one pixel back so finished frames are timed.
#include <SDL.h>
#include <SDL_image.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* window = SDL_CreateWindow("peer", 0, 0, 1280, 720, SDL_WINDOW_OPENGL);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
  if (renderer == nullptr) {
    std::fprintf(stderr, "%s\n", SDL_GetError());
    return 1;
  }
  SDL_Texture* texture = IMG_LoadTexture(renderer, argv[1]);
  if (texture == nullptr) return 1;
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  const char* framesText = std::getenv("QM_PEER_FRAMES");
  const int frames = framesText != nullptr ? std::atoi(framesText) : 60;
  for (int arg = 2; arg < argc; ++arg) {
    const int n = std::atoi(argv[arg]);
    for (int big = 0; big < 2; ++big) {
      const int w = big ? 43 : 20, h = big ? 116 : 20;
      auto frame = [&] {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        for (int i = 0; i < n; ++i) {
          SDL_Rect dst{(i * 37) % 1280 - w / 2, (i * 53) % 720 - h / 2, w, h};
          SDL_RenderCopyEx(renderer, texture, nullptr, &dst, big ? (i * 7) % 360 : 0.0, nullptr, SDL_FLIP_NONE);
        }
        SDL_Rect one{0, 0, 1, 1};
        Uint32 pixel = 0;
        SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
        SDL_RenderPresent(renderer);
      };
      for (int i = 0; i < 2; ++i) frame();
      auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < frames; ++i) frame();
      double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / frames;
      std::printf("%s %d %.2f\n", big ? "43x116" : "20x20", n, ms);
      std::fflush(stdout);
    }
  }
  SDL_Quit();
  return 0;
}
