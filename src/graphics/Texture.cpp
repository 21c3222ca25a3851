#include "graphics/Texture.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <memory>

#include "core/Logger.h"
#include "graphics/GraphicsDevice.h"

namespace {

struct TextureModule {
  // Every texture ever loaded; entries are never removed before DestroyAllTextures, so pointers
  // handed out by Load and Find stay valid after the list forgets them.
  std::vector<std::unique_ptr<Texture>> store;
  std::vector<Texture*> list;
  // Textures already decoded, by the path they came from. Every scene start loads its scene's
  // textures again; a picture already on the device is listed again instead of decoded and uploaded
  // a second time, so memory does not grow with each scene change.
  std::map<std::string, Texture*> byPath;
};

TextureModule& Module() {
  static TextureModule module;
  return module;
}

constexpr size_t kTgaHeaderBytes = 18;

uint16_t ReadLittleEndian16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool LoadTga(const std::string& path, Texture* texture) {
  platform::GpuDevice& gpu = Gpu();
  std::optional<platform::Image> image = ReadTga32File(path, gpu.MaxTextureSize());
  if (!image) return false;
  texture->view = gpu.CreateTexture(image->width, image->height, image->rgba.data(), false, true);
  if (!texture->view) return false;
  texture->width = image->width;
  texture->height = image->height;
  texture->opaque.Build(image->width, image->height, image->rgba.data());
  return true;
}

// Any other format: a failure is silent and leaves the texture with an empty view.
void LoadThroughDecoder(const std::string& path, Texture* texture) {
  platform::GpuDevice& gpu = Gpu();
  int maxSide = std::min(platform::kMaxImageSide, gpu.MaxTextureSize());
  std::optional<platform::Image> image = platform::DecodeImageFile(path, maxSide);
  if (!image) return;
  // Never marked sRGB: the game draws every picture's stored colours as they are, so a picture
  // looks the same whichever colour-space chunk its editor wrote.
  texture->view = gpu.CreateTexture(image->width, image->height, image->rgba.data(), false, true);
  if (!texture->view) return;
  texture->width = image->width;
  texture->height = image->height;
  texture->opaque.Build(image->width, image->height, image->rgba.data());
}

}  // namespace

std::string TextureNameOf(const std::string& path) {
  size_t start = 0;
  // A leading root name ("C:") is not part of the file name.
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) start = 2;
  size_t slash = path.find_last_of("/\\");
  if (slash != std::string::npos && slash + 1 > start) start = slash + 1;
  return path.substr(std::min(start, path.size()));
}

namespace TextureManager {

Texture* Load(const std::string& path) {
  TextureModule& m = Module();
  if (auto cached = m.byPath.find(path); cached != m.byPath.end()) {
    m.list.push_back(cached->second);
    return cached->second;
  }
  auto texture = std::make_unique<Texture>();
  texture->name = TextureNameOf(path);
  size_t dot = path.rfind('.');
  std::string extension = dot == std::string::npos ? std::string() : path.substr(dot);
  if (extension == ".tga") {
    if (!LoadTga(path, texture.get())) {
      Log("Failed loading texture", LogLevel::Warning);
      return nullptr;
    }
  } else {
    LoadThroughDecoder(path, texture.get());
  }
  Texture* result = texture.get();
  if (result->view) m.byPath[path] = result;
  m.store.push_back(std::move(texture));
  m.list.push_back(result);
  return result;
}

Texture* Find(const std::string& name) {
  for (Texture* texture : Module().list) {
    if (texture->name == name) return texture;
  }
  Log("Could not find texture", LogLevel::Warning);
  return nullptr;
}

}  // namespace TextureManager

const std::vector<Texture*>& TextureList() { return Module().list; }

void ClearTextureList() { Module().list.clear(); }

void DestroyAllTextures() {
  TextureModule& m = Module();
  m.list.clear();
  m.byPath.clear();
  platform::GpuDevice& gpu = Gpu();
  for (auto& texture : m.store) gpu.DestroyTexture(texture->view);
  m.store.clear();
}

std::optional<platform::Image> ReadTga32File(const std::string& path, int maxSide) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff length = in.tellg();
  if (length < static_cast<std::streamoff>(kTgaHeaderBytes)) return std::nullopt;
  in.seekg(0);
  std::vector<uint8_t> bytes(kTgaHeaderBytes);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(kTgaHeaderBytes))) return std::nullopt;
  const uint64_t width = ReadLittleEndian16(bytes.data() + 12);
  const uint64_t height = ReadLittleEndian16(bytes.data() + 14);
  // A picture the device cannot hold fails here, before its pixels are read.
  if (maxSide < 0 || width > static_cast<uint64_t>(maxSide) || height > static_cast<uint64_t>(maxSide)) {
    return std::nullopt;
  }
  // The file must really hold the pixels its header claims before any room is made for them: an
  // 18-byte file may claim a gigabyte. Bytes past the pixels are never read.
  const uint64_t pixelBytes = width * height * 4;
  if (static_cast<uint64_t>(length) - kTgaHeaderBytes < pixelBytes) return std::nullopt;
  bytes.resize(kTgaHeaderBytes + pixelBytes);
  in.read(reinterpret_cast<char*>(bytes.data() + kTgaHeaderBytes), static_cast<std::streamsize>(pixelBytes));
  if (static_cast<uint64_t>(in.gcount()) != pixelBytes) return std::nullopt;  // the file shrank meanwhile
  return DecodeTga32(bytes);
}

std::optional<platform::Image> DecodeTga32(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kTgaHeaderBytes) return std::nullopt;
  uint32_t width = ReadLittleEndian16(data + 12);
  uint32_t height = ReadLittleEndian16(data + 14);
  uint8_t depth = data[16];
  if (depth != 32 || width == 0 || height == 0) return std::nullopt;
  // Both sides fit in 16 bits, so the product fits easily in 64.
  uint64_t pixelBytes = uint64_t{width} * uint64_t{height} * 4;
  if (size - kTgaHeaderBytes < pixelBytes) return std::nullopt;
  platform::Image image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.rgba.resize(static_cast<size_t>(pixelBytes));
  size_t row = static_cast<size_t>(width) * 4;
  const uint8_t* pixels = data + kTgaHeaderBytes;
  for (uint32_t y = 0; y < height; ++y) {
    // The file stores the bottom row first; the texture wants the top row first.
    const uint8_t* src = pixels + static_cast<size_t>(height - 1 - y) * row;
    uint8_t* dst = image.rgba.data() + static_cast<size_t>(y) * row;
    for (uint32_t x = 0; x < width; ++x, src += 4, dst += 4) {
      dst[0] = src[2];  // red
      dst[1] = src[1];  // green
      dst[2] = src[0];  // blue
      dst[3] = src[3];  // alpha
    }
  }
  return image;
}
