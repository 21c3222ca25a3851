// Image decoding (PNG through libpng, every other format through SDL2_image) and PNG writing.
#include "platform/ImageDecoder.h"

#include <SDL.h>
#include <SDL_image.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/FileSync.h"

namespace platform {
namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool HasPngSignature(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  uint8_t signature[8];
  return in && in.read(reinterpret_cast<char*>(signature), 8) && std::memcmp(signature, kPngSignature, 8) == 0;
}

// The size a picture is decoded at: the whole picture when it fits, otherwise scaled down keeping
// its aspect ratio until neither side exceeds maxSide (when above 0) and it holds no more than
// kMaxImagePixels pixels.
void FittedSize(int width, int height, int maxSide, int* fittedWidth, int* fittedHeight) {
  double factor = 1.0;
  if (maxSide > 0) {
    factor = std::min({factor, static_cast<double>(maxSide) / width, static_cast<double>(maxSide) / height});
  }
  const double pixels = static_cast<double>(width) * static_cast<double>(height);
  if (pixels > static_cast<double>(kMaxImagePixels)) {
    factor = std::min(factor, std::sqrt(static_cast<double>(kMaxImagePixels) / pixels));
  }
  if (factor >= 1.0) {
    *fittedWidth = width;
    *fittedHeight = height;
    return;
  }
  const int sideLimit = maxSide > 0 ? maxSide : std::max(width, height);
  *fittedWidth = std::max(1, std::min(sideLimit, static_cast<int>(width * factor)));
  *fittedHeight = std::max(1, std::min(sideLimit, static_cast<int>(height * factor)));
}

// Shrinks a picture that arrives one RGBA row at a time, top to bottom (a box filter: each target
// pixel averages the source pixels it covers). It holds one row of sums, never the source picture,
// so a picture of any size shrinks within the target's own memory; and the target grows row by row,
// so a file that claims a big picture but ends early never had room made for all of it.
class RowShrinker {
 public:
  RowShrinker(int sourceWidth, int sourceHeight, int width, int height)
      : sourceHeight_(sourceHeight),
        whole_(sourceWidth == width && sourceHeight == height),
        sums_(static_cast<size_t>(width) * 4),
        columnStart_(static_cast<size_t>(width) + 1) {
    image_.width = width;
    image_.height = height;
    for (int x = 0; x <= width; ++x) {
      columnStart_[static_cast<size_t>(x)] = static_cast<int>(static_cast<int64_t>(x) * sourceWidth / width);
    }
    rowEnd_ = RowStart(1);
  }

  void AddRow(const uint8_t* rgba) {
    const int width = image_.width;
    if (whole_) {
      image_.rgba.insert(image_.rgba.end(), rgba, rgba + static_cast<size_t>(width) * 4);
      ++row_;
      return;
    }
    for (int x = 0; x < width; ++x) {
      uint64_t* sum = sums_.data() + static_cast<size_t>(x) * 4;
      const uint8_t* src = rgba + static_cast<size_t>(columnStart_[static_cast<size_t>(x)]) * 4;
      const uint8_t* last = rgba + static_cast<size_t>(columnStart_[static_cast<size_t>(x) + 1]) * 4;
      for (; src < last; src += 4) {
        sum[0] += src[0];
        sum[1] += src[1];
        sum[2] += src[2];
        sum[3] += src[3];
      }
    }
    if (++sourceRow_ < rowEnd_) return;
    // The target row is complete: average it and start the next.
    const uint64_t rows = static_cast<uint64_t>(rowEnd_ - RowStart(row_));
    image_.rgba.resize(image_.rgba.size() + static_cast<size_t>(width) * 4);
    uint8_t* dst = image_.rgba.data() + static_cast<size_t>(row_) * static_cast<size_t>(width) * 4;
    for (int x = 0; x < width; ++x) {
      const uint64_t count = rows * static_cast<uint64_t>(columnStart_[static_cast<size_t>(x) + 1] -
                                                          columnStart_[static_cast<size_t>(x)]);
      for (int c = 0; c < 4; ++c, ++dst) *dst = static_cast<uint8_t>(sums_[static_cast<size_t>(x) * 4 + c] / count);
    }
    std::fill(sums_.begin(), sums_.end(), 0);
    ++row_;
    rowEnd_ = RowStart(row_ + 1);
  }

  bool Complete() const { return row_ == image_.height; }
  Image Take() {
    image_.rgba.shrink_to_fit();  // growing row by row left room to spare
    return std::move(image_);
  }

 private:
  int RowStart(int row) const { return static_cast<int>(static_cast<int64_t>(row) * sourceHeight_ / image_.height); }

  int sourceHeight_;
  bool whole_;  // nothing to shrink: rows are copied as they come
  int sourceRow_ = 0;
  int row_ = 0;     // the target row being summed
  int rowEnd_ = 0;  // the first source row past it
  std::vector<uint64_t> sums_;
  std::vector<int> columnStart_;  // first source column of each target column, and the width at the end
  Image image_;
};

// ---- PNG through libpng ----------------------------------------------------------------------
// libpng reads the header first, so the picture's size is known before any pixel is decoded, and
// hands the pixels over a row at a time, so a huge picture shrinks as it is read. The colours come
// out as stored: no gamma, sRGB or ICC chunk changes them, so a picture looks the same whichever
// of them its editor wrote.

struct PngReader {
  std::FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngReader() {
    if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    if (file != nullptr) std::fclose(file);
  }
};

// libpng's errors end the decode through the reader's jump; its warnings are of no use to anyone.
[[noreturn]] void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

// Runs `read` (libpng calls) under the reader's error jump: false when libpng gave up. Nothing here
// or in `read` may hold an object with a destructor across a libpng call, since the jump skips it.
template <class F>
bool UnderPngJump(png_structp png, F&& read) {
  if (setjmp(png_jmpbuf(png))) return false;
  read();
  return true;
}

std::optional<Image> DecodePng(const std::string& path, int maxSide) {
  PngReader reader;
  reader.file = std::fopen(path.c_str(), "rb");
  if (reader.file == nullptr) return std::nullopt;
  reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (reader.png == nullptr) return std::nullopt;
  reader.info = png_create_info_struct(reader.png);
  if (reader.info == nullptr) return std::nullopt;
  png_structp png = reader.png;
  png_infop info = reader.info;

  png_uint_32 width = 0, height = 0;
  int passes = 1;
  // The header and every chunk before the pixels, then the transformations to 8-bit RGBA: palettes
  // and greys become RGB, a transparent colour becomes alpha, 16-bit channels are scaled to 8 bits.
  const bool headerRead = UnderPngJump(png, [&] {
    png_init_io(png, reader.file);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    png_set_scale_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
  });
  if (!headerRead || width == 0 || height == 0 || png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) {
    return std::nullopt;
  }
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  int fittedWidth = 0, fittedHeight = 0;
  FittedSize(w, h, maxSide, &fittedWidth, &fittedHeight);

  if (passes > 1) {
    // An interlaced picture arrives in passes over the whole picture, so it is read whole, and only
    // when that fits the budget.
    if (static_cast<uint64_t>(width) * height > static_cast<uint64_t>(kMaxImagePixels)) return std::nullopt;
    Image whole;
    whole.width = w;
    whole.height = h;
    whole.rgba.resize(static_cast<size_t>(width) * height * 4);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = whole.rgba.data() + static_cast<size_t>(y) * width * 4;
    if (!UnderPngJump(png, [&] { png_read_image(png, rows.data()); })) return std::nullopt;
    return FitImage(std::move(whole), maxSide);
  }

  RowShrinker shrinker(w, h, fittedWidth, fittedHeight);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
  const bool pixelsRead = UnderPngJump(png, [&] {
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(png, row.data(), nullptr);
      shrinker.AddRow(row.data());
    }
  });
  if (!pixelsRead || !shrinker.Complete()) return std::nullopt;
  return shrinker.Take();
}

// ---- every other format through SDL2_image ----------------------------------------------------

std::optional<Image> DecodeWithSdl(const std::string& path, int maxSide) {
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
  return FitImage(std::move(image), maxSide);
}

}  // namespace

std::optional<Image> DecodeImageFile(const std::string& path, int maxSide) {
  // By content, not by name: a PNG saved as ".PNG" or without an extension is still a PNG.
  if (HasPngSignature(path)) return DecodePng(path, maxSide);
  return DecodeWithSdl(path, maxSide);
}

Image FitImage(Image image, int maxSide) {
  int w = 0, h = 0;
  if (image.width <= 0 || image.height <= 0) return image;
  FittedSize(image.width, image.height, maxSide, &w, &h);
  if (w == image.width && h == image.height) return image;
  RowShrinker shrinker(image.width, image.height, w, h);
  const size_t row = static_cast<size_t>(image.width) * 4;
  for (int y = 0; y < image.height; ++y) shrinker.AddRow(image.rgba.data() + static_cast<size_t>(y) * row);
  return shrinker.Take();
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
  return ok && files::ReplaceFileBytes(path, png);
}

}  // namespace platform
