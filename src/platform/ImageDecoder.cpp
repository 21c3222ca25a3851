// Image decoding and PNG writing through SDL2_image.
#include "platform/ImageDecoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/FileSync.h"

namespace platform {
namespace {

uint32_t ReadBigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// True when the file is a PNG whose chunks before the image data include "sRGB" (the rendering
// intent that marks the colours as sRGB-encoded). Reads only the chunk headers it needs.
bool PngSaysSrgb(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  uint8_t signature[8];
  if (!in.read(reinterpret_cast<char*>(signature), 8) || std::memcmp(signature, kSignature, 8) != 0) return false;
  for (int chunk = 0; chunk < 64; ++chunk) {
    uint8_t header[8];
    if (!in.read(reinterpret_cast<char*>(header), 8)) return false;
    uint32_t length = ReadBigEndian32(header);
    if (std::memcmp(header + 4, "sRGB", 4) == 0) return true;
    if (std::memcmp(header + 4, "IDAT", 4) == 0 || std::memcmp(header + 4, "IEND", 4) == 0) return false;
    // Skip the data and the checksum.
    in.seekg(static_cast<std::streamoff>(length) + 4, std::ios::cur);
    if (!in) return false;
  }
  return false;
}

bool HasPngExtension(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".png";
}

}  // namespace

std::optional<Image> DecodeImageFile(const std::string& path, int maxSide) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) return std::nullopt;
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) return std::nullopt;
  Image image;
  image.width = rgba->w;
  image.height = rgba->h;
  if (image.width <= 0 || image.height <= 0) {
    SDL_FreeSurface(rgba);
    return std::nullopt;
  }
  size_t row = static_cast<size_t>(image.width) * 4;
  image.rgba.resize(row * static_cast<size_t>(image.height));
  bool locked = SDL_MUSTLOCK(rgba) ? SDL_LockSurface(rgba) == 0 : true;
  if (!locked) {
    SDL_FreeSurface(rgba);
    return std::nullopt;
  }
  const auto* pixels = static_cast<const uint8_t*>(rgba->pixels);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(image.rgba.data() + static_cast<size_t>(y) * row, pixels + static_cast<size_t>(y) * static_cast<size_t>(rgba->pitch), row);
  }
  if (SDL_MUSTLOCK(rgba)) SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  image.srgb = HasPngExtension(path) && PngSaysSrgb(path);
  return FitImage(std::move(image), maxSide);
}

Image FitImage(Image image, int maxSide) {
  if (maxSide <= 0 || (image.width <= maxSide && image.height <= maxSide)) return image;
  double factor = std::min(static_cast<double>(maxSide) / image.width, static_cast<double>(maxSide) / image.height);
  int w = std::max(1, std::min(maxSide, static_cast<int>(image.width * factor)));
  int h = std::max(1, std::min(maxSide, static_cast<int>(image.height * factor)));
  Image out;
  out.width = w;
  out.height = h;
  out.srgb = image.srgb;
  out.rgba.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  // Box filter: each target pixel averages the source pixels it covers.
  for (int y = 0; y < h; ++y) {
    int y0 = static_cast<int>(static_cast<int64_t>(y) * image.height / h);
    int y1 = std::max(y0 + 1, static_cast<int>(static_cast<int64_t>(y + 1) * image.height / h));
    for (int x = 0; x < w; ++x) {
      int x0 = static_cast<int>(static_cast<int64_t>(x) * image.width / w);
      int x1 = std::max(x0 + 1, static_cast<int>(static_cast<int64_t>(x + 1) * image.width / w));
      uint64_t sum[4] = {0, 0, 0, 0};
      for (int sy = y0; sy < y1; ++sy) {
        const uint8_t* src = image.rgba.data() + (static_cast<size_t>(sy) * static_cast<size_t>(image.width) + static_cast<size_t>(x0)) * 4;
        for (int sx = x0; sx < x1; ++sx, src += 4) {
          for (int c = 0; c < 4; ++c) sum[c] += src[c];
        }
      }
      uint64_t count = static_cast<uint64_t>(x1 - x0) * static_cast<uint64_t>(y1 - y0);
      uint8_t* dst = out.rgba.data() + (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4;
      for (int c = 0; c < 4; ++c) dst[c] = static_cast<uint8_t>(sum[c] / count);
    }
  }
  return out;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
  if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4) {
    return false;
  }
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(rgba.data()), width, height, 32,
                                                            width * 4, SDL_PIXELFORMAT_RGBA32);
  if (surface == nullptr) return false;
  // The picture is encoded in memory and handed to the atomic writer, like every file the game writes.
  std::string png;
  SDL_RWops* out = SDL_AllocRW();
  if (out == nullptr) {
    SDL_FreeSurface(surface);
    return false;
  }
  out->type = SDL_RWOPS_UNKNOWN;
  out->hidden.unknown.data1 = &png;
  out->size = [](SDL_RWops*) -> Sint64 { return -1; };
  out->seek = [](SDL_RWops*, Sint64, int) -> Sint64 { return -1; };
  out->read = [](SDL_RWops*, void*, size_t, size_t) -> size_t { return 0; };
  out->write = [](SDL_RWops* context, const void* data, size_t size, size_t count) -> size_t {
    static_cast<std::string*>(context->hidden.unknown.data1)->append(static_cast<const char*>(data), size * count);
    return count;
  };
  out->close = [](SDL_RWops* context) -> int {
    SDL_FreeRW(context);
    return 0;
  };
  bool ok = IMG_SavePNG_RW(surface, out, 0) == 0;
  SDL_RWclose(out);
  SDL_FreeSurface(surface);
  return ok && ReplaceFileBytes(path, png);
}

}  // namespace platform
