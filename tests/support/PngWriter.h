// PNG files made to order for the decoder's tests and benchmark: any colour type and bit depth, the
// extra chunks a picture editor writes (tRNS, sRGB, gAMA, PLTE ...), and rows made one at a time and
// compressed as they come, so a 17,000 x 17,000 picture is written without ever being held whole.
// Header-only; the user links zlib.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct PngChunk {
  std::string type;  // four letters, e.g. "tRNS"
  std::string data;
};

namespace png_writer_detail {

inline void Put32(std::string* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>((v >> shift) & 0xFF));
}

inline void PutChunk(std::string* out, const std::string& type, const std::string& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  const std::string body = type + data;
  out->append(body);
  Put32(out, static_cast<uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

}  // namespace png_writer_detail

// The samples of one row of an interlace pass: every `step`-th pixel from pixel `first` (whole
// bytes per pixel only).
inline std::string EveryNthPixel(const std::string& row, uint32_t width, uint32_t first, uint32_t step) {
  const size_t bytes = row.size() / width;
  std::string out;
  for (uint32_t x = first; x < width; x += step) out += row.substr(x * bytes, bytes);
  return out;
}

// The bytes of a PNG. `row(y, &bytes)` fills one row's packed samples (without the filter byte) as
// the colour type and bit depth lay them out; `chunks` go between the header and the pixels, in
// order. An interlaced picture (Adam7, whole bytes per pixel only) is made whole first: keep it small.
inline std::string PngBytes(uint32_t width, uint32_t height, int colourType, int bitDepth,
                            const std::function<void(uint32_t, std::string*)>& row,
                            const std::vector<PngChunk>& chunks = {}, bool interlaced = false) {
  using png_writer_detail::Put32;
  using png_writer_detail::PutChunk;
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  Put32(&header, width);
  Put32(&header, height);
  header += {static_cast<char>(bitDepth), static_cast<char>(colourType), 0, 0, static_cast<char>(interlaced ? 1 : 0)};
  PutChunk(&out, "IHDR", header);
  for (const PngChunk& chunk : chunks) PutChunk(&out, chunk.type, chunk.data);

  z_stream z{};
  deflateInit(&z, Z_BEST_COMPRESSION);
  std::string compressed, line;
  std::vector<unsigned char> buffer(1 << 16);
  auto pump = [&](int flush) {
    do {
      z.next_out = buffer.data();
      z.avail_out = static_cast<uInt>(buffer.size());
      deflate(&z, flush);
      compressed.append(reinterpret_cast<const char*>(buffer.data()), buffer.size() - z.avail_out);
    } while (z.avail_out == 0);
  };
  auto put = [&](const std::string& samples) {
    line.assign(1, '\0');  // filter type 0: the row as it is
    line += samples;
    z.next_in = reinterpret_cast<Bytef*>(line.data());
    z.avail_in = static_cast<uInt>(line.size());
    pump(Z_NO_FLUSH);
  };
  if (!interlaced) {
    for (uint32_t y = 0; y < height; ++y) {
      std::string samples;
      row(y, &samples);
      put(samples);
    }
  } else {
    std::vector<std::string> rows(height);
    for (uint32_t y = 0; y < height; ++y) row(y, &rows[y]);
    // Adam7: first column, first row, column step and row step of the seven passes.
    const uint32_t passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto& p : passes) {
      if (p[0] >= width) continue;  // an empty pass has no rows at all
      for (uint32_t y = p[1]; y < height; y += p[3]) put(EveryNthPixel(rows[y], width, p[0], p[2]));
    }
  }
  pump(Z_FINISH);
  deflateEnd(&z);
  PutChunk(&out, "IDAT", compressed);
  PutChunk(&out, "IEND", "");
  return out;
}

// A picture whose rows are all `samples`.
inline std::string PngBytes(uint32_t width, uint32_t height, int colourType, int bitDepth, const std::string& samples,
                            const std::vector<PngChunk>& chunks = {}) {
  return PngBytes(width, height, colourType, bitDepth, [&samples](uint32_t, std::string* r) { *r = samples; }, chunks);
}

// Bytes from small numbers, for samples and chunk data: Bytes({85, 0, 170}).
inline std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

}  // namespace testing_support
