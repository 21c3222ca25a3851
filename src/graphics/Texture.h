// Textures and the program-wide texture list. A texture is named by the last component of the path
// it was loaded from ("player.png"); models, text, particles and UI look textures up by that name
// when they first need them and cache the pointer. The list only refers to textures: every texture
// ever loaded is owned by a separate store and stays alive for the whole run, so forgetting the
// list at a scene change never leaves a component with a dangling pointer. DestroyAllTextures()
// frees the store at shutdown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graphics/Occlusion.h"
#include "platform/GpuDevice.h"
#include "platform/ImageDecoder.h"

class Texture {
 public:
  std::string name;          // last path component, extension included
  platform::GpuTexture view; // empty when decoding failed; draws then sample transparent black
  int width = 0;
  int height = 0;
  // Which texels are fully opaque, for the sprite batch to know what a quad hides (empty when
  // decoding failed).
  OpaqueTexels opaque;
};

namespace TextureManager {

// Loads an image (path relative to the working folder). ".tga" (exactly, lower case) goes to the
// game's own 32-bit TGA loader; any other extension to the platform decoder, whose failure still
// lists a texture with an empty view. A TGA failure logs "Failed loading texture" at WARNING and
// returns null. The result is appended to the list (the same file twice is listed twice).
Texture* Load(const std::string& path);
// The first listed texture whose name equals `name` byte for byte; otherwise logs "Could not find
// texture" at WARNING and returns null.
Texture* Find(const std::string& name);

}  // namespace TextureManager

// The name a path lists under: everything after the last "/" or "\" (the whole path without one).
std::string TextureNameOf(const std::string& path);

// The listed textures in load order.
const std::vector<Texture*>& TextureList();
// Forgets the list (the scene manager does this at a scene change); the textures stay alive.
void ClearTextureList();
// Frees every texture ever loaded and its GPU storage (at shutdown, before the device goes).
void DestroyAllTextures();

// The game's 32-bit uncompressed TGA reader on bytes already in memory: width and height at bytes
// 12 and 14 (little-endian), depth 32 at byte 16, pixel data from byte 18, rows bottom-up in BGRA.
// Returns top-down RGBA, or nullopt when the header is short, the depth is not 32, a side is zero
// or the data is shorter than width x height x 4. Never reads past `size`.
std::optional<platform::Image> DecodeTga32(const uint8_t* data, size_t size);
inline std::optional<platform::Image> DecodeTga32(const std::vector<uint8_t>& bytes) {
  return DecodeTga32(bytes.data(), bytes.size());
}
// Reads a 32-bit TGA file as the texture loader does: nullopt when it is missing, when a side
// exceeds `maxSide`, or when the file is shorter than its header claims (checked before any room
// is made for the pixels), otherwise DecodeTga32 of its bytes.
std::optional<platform::Image> ReadTga32File(const std::string& path, int maxSide);
