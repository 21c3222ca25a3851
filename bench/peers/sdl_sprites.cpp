// SDL2's own 2-D renderer side of bench/peer_sprites.sh (its OpenGL back end, which batches):
// N sprites with SDL_RenderCopyEx, each row from one texture drawn at its own size (the small
// picture unturned, the big one turned), linearly filtered. Usage: sdl_sprites SMALL.png BIG.png
// N... Prints "size N ms-per-frame" for each N and row; each frame reads one pixel back so
// finished frames are timed.
#include <SDL.h>
#include <SDL_image.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
  // SDL takes a texture's scale mode from this hint when the texture is created, so it is set
  // before loading: set later, the textures would sample nearest.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* window = SDL_CreateWindow("peer", 0, 0, 1280, 720, SDL_WINDOW_OPENGL);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
  if (renderer == nullptr) {
    std::fprintf(stderr, "%s\n", SDL_GetError());
    return 1;
  }
  SDL_Texture* textures[2] = {IMG_LoadTexture(renderer, argv[1]), IMG_LoadTexture(renderer, argv[2])};
  for (SDL_Texture* texture : textures) {
    if (texture == nullptr) {
      std::fprintf(stderr, "%s\n", SDL_GetError());
      return 1;
    }
    SDL_ScaleMode mode = SDL_ScaleModeNearest;
    if (SDL_GetTextureScaleMode(texture, &mode) != 0 || mode != SDL_ScaleModeLinear) {
      std::fprintf(stderr, "texture is not linearly filtered\n");
      return 1;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  }
  const char* framesText = std::getenv("QM_PEER_FRAMES");
  const int frames = framesText != nullptr ? std::atoi(framesText) : 60;
  for (int arg = 3; arg < argc; ++arg) {
    const int n = std::atoi(argv[arg]);
    for (int big = 0; big < 2; ++big) {
      SDL_Texture* texture = textures[big];
      int w = 0, h = 0;
      SDL_QueryTexture(texture, nullptr, nullptr, &w, &h);
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
      std::printf("%dx%d %d %.2f\n", w, h, n, ms);
      std::fflush(stdout);
    }
  }
  SDL_Quit();
  return 0;
}
