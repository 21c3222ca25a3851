// The picture decoder on PNG files made here: every colour type and bit depth comes out as the
// colours it stores (a transparent colour as alpha 0), whatever colour-space chunk the file
// carries; a huge picture is shrunk as it is read, within a memory bound; broken files fail.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ImageDecoder.h"
#include "support/PngWriter.h"
#include "support/TestSupport.h"

using testing_support::Bytes;
using testing_support::PngBytes;
using testing_support::PngChunk;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

enum ColourType { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

struct Pixel {
  int r, g, b, a;
  bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

void PrintTo(const Pixel& p, std::ostream* os) { *os << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")"; }

std::vector<Pixel> Row(const platform::Image& image, int y = 0) {
  std::vector<Pixel> pixels;
  for (int x = 0; x < image.width; ++x) {
    const uint8_t* p = image.rgba.data() + (static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)) * 4;
    pixels.push_back({p[0], p[1], p[2], p[3]});
  }
  return pixels;
}

class ImageDecoderTest : public ::testing::Test {
 protected:
  std::optional<platform::Image> Decode(const std::string& bytes, int maxSide = platform::kMaxImageSide) {
    const std::string path = dir.File("picture" + std::to_string(files++) + ".png");
    WriteFile(path, bytes);
    return platform::DecodeImageFile(path, maxSide);
  }
  TempDir dir;
  int files = 0;
};

struct ColourCase {
  const char* name;
  std::string png;
  std::vector<Pixel> expected;
};

}  // namespace

TEST_F(ImageDecoderTest, EveryColourTypeComesOutAsTheColoursItStores) {
  const Pixel clear{0, 0, 0, 0};
  const std::vector<ColourCase> cases = {
      {"grey", PngBytes(4, 1, kGrey, 8, Bytes({85, 0, 170, 255})),
       {{85, 85, 85, 255}, {0, 0, 0, 255}, {170, 170, 170, 255}, {255, 255, 255, 255}}},
      // The transparent colour is black, then grey 85: the other greys keep their own colour.
      {"grey, black transparent", PngBytes(4, 1, kGrey, 8, Bytes({85, 0, 170, 255}), {{"tRNS", Bytes({0, 0})}}),
       {{85, 85, 85, 255}, clear, {170, 170, 170, 255}, {255, 255, 255, 255}}},
      {"grey, grey 85 transparent", PngBytes(4, 1, kGrey, 8, Bytes({85, 0, 170, 255}), {{"tRNS", Bytes({0, 85})}}),
       {{85, 85, 85, 0}, {0, 0, 0, 255}, {170, 170, 170, 255}, {255, 255, 255, 255}}},
      {"1-bit grey, black transparent", PngBytes(4, 1, kGrey, 1, Bytes({0x50}), {{"tRNS", Bytes({0, 0})}}),
       {clear, {255, 255, 255, 255}, clear, {255, 255, 255, 255}}},
      {"2-bit grey", PngBytes(4, 1, kGrey, 2, Bytes({0x1B})),
       {{0, 0, 0, 255}, {85, 85, 85, 255}, {170, 170, 170, 255}, {255, 255, 255, 255}}},
      {"16-bit grey, one value transparent", PngBytes(2, 1, kGrey, 16, Bytes({0x80, 0x80, 0x12, 0x34}), {{"tRNS", Bytes({0x12, 0x34})}}),
       {{128, 128, 128, 255}, {18, 18, 18, 0}}},
      {"grey and alpha", PngBytes(2, 1, kGreyAlpha, 8, Bytes({85, 255, 170, 0})), {{85, 85, 85, 255}, {170, 170, 170, 0}}},
      {"rgb, one colour transparent",
       PngBytes(2, 1, kRgb, 8, Bytes({10, 20, 30, 200, 100, 50}), {{"tRNS", Bytes({0, 10, 0, 20, 0, 30})}}),
       {{10, 20, 30, 0}, {200, 100, 50, 255}}},
      {"16-bit rgba", PngBytes(1, 1, kRgba, 16, Bytes({0xFF, 0xFF, 0x80, 0x80, 0, 0, 0x80, 0x80})), {{255, 128, 0, 128}}},
      {"palette, second entry transparent",
       PngBytes(3, 1, kPalette, 8, Bytes({0, 1, 2}), {{"PLTE", Bytes({255, 0, 0, 0, 255, 0, 0, 0, 255})}, {"tRNS", Bytes({255, 0})}}),
       {{255, 0, 0, 255}, {0, 255, 0, 0}, {0, 0, 255, 255}}},
  };
  for (const ColourCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<platform::Image> image = Decode(c.png);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->height, 1);
    EXPECT_EQ(Row(*image), c.expected);
  }
}

// Editors write sRGB, gAMA or cHRM chunks as they please; the picture must not change with them.
TEST_F(ImageDecoderTest, ColourSpaceChunksLeaveTheColoursAsStored) {
  const std::string samples = Bytes({128, 128, 128, 128, 64, 32});
  const std::vector<Pixel> stored = {{128, 128, 128, 255}, {128, 64, 32, 255}};
  const std::vector<std::vector<PngChunk>> variants = {
      {},
      {{"sRGB", Bytes({0})}},
      {{"gAMA", Bytes({0, 0, 0xB1, 0x8F})}},  // 1 / 2.2
      {{"gAMA", Bytes({0, 1, 0x86, 0xA0})}},  // 1.0: linear
      {{"sRGB", Bytes({3})}, {"gAMA", Bytes({0, 0, 0xB1, 0x8F})},
       {"cHRM", Bytes({0, 0, 0x7A, 0x26, 0, 0, 0x80, 0x84, 0, 0, 0xFA, 0, 0, 0, 0x80, 0xE8,
                       0, 0, 0x75, 0x30, 0, 0, 0xEA, 0x60, 0, 0, 0x3A, 0x98, 0, 0, 0x17, 0x6F})}},
  };
  for (size_t i = 0; i < variants.size(); ++i) {
    SCOPED_TRACE("variant " + std::to_string(i));
    std::optional<platform::Image> image = Decode(PngBytes(2, 1, kRgb, 8, samples, variants[i]));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(Row(*image), stored);
  }
}

TEST_F(ImageDecoderTest, AnInterlacedPictureComesOutWhole) {
  auto colour = [](uint32_t x, uint32_t y) { return Bytes({static_cast<int>(x * 20), static_cast<int>(y * 30), 7, 255}); };
  auto row = [&](uint32_t y, std::string* out) {
    for (uint32_t x = 0; x < 11; ++x) *out += colour(x, y);
  };
  std::optional<platform::Image> image = Decode(PngBytes(11, 5, kRgba, 8, row, {}, true));
  ASSERT_TRUE(image.has_value());
  ASSERT_EQ(image->width, 11);
  ASSERT_EQ(image->height, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 11; ++x) {
      EXPECT_EQ(Row(*image, y)[static_cast<size_t>(x)], (Pixel{x * 20, y * 30, 7, 255})) << x << ", " << y;
    }
  }
}

// A 17,000 x 17,000 grey picture is some 300 KB of file and 1.16 GB of pixels. It is shrunk while
// it is read: the decoder never holds it whole, and keeps to the size limits.
TEST_F(ImageDecoderTest, AHugePictureIsShrunkAsItIsReadWithinAMemoryBound) {
  const uint32_t side = 17000;
  auto rows = [](uint32_t y, std::string* out) {
    // The top half grey 200, the bottom half grey 40.
    out->assign(side, static_cast<char>(y < side / 2 ? 200 : 40));
  };
  const std::string path = dir.File("huge.png");
  WriteFile(path, PngBytes(side, side, kGrey, 8, rows));
  std::printf("file: %zu bytes\n", testing_support::ReadFile(path).size());

  const long before = testing_support::PeakResidentKbOfThisProcess();
  const auto start = std::chrono::steady_clock::now();
  std::optional<platform::Image> image = platform::DecodeImageFile(path);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long after = testing_support::PeakResidentKbOfThisProcess();
  std::printf("decoded in %.2f s; peak resident size %ld kB -> %ld kB\n", seconds, before, after);

  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 4096);
  EXPECT_EQ(image->height, 4096);
  EXPECT_LE(static_cast<int64_t>(image->width) * image->height, platform::kMaxImagePixels);
  EXPECT_EQ(Row(*image, 10)[100], (Pixel{200, 200, 200, 255}));
  EXPECT_EQ(Row(*image, 4000)[100], (Pixel{40, 40, 40, 255}));
  // The shrunk picture is 64 MB; the whole one would be 1.16 GB, several times over while converted.
  EXPECT_LT(after - before, 300 * 1024) << "the decoder held far more than the shrunk picture";
}

TEST_F(ImageDecoderTest, ALongPictureIsShrunkToTheSideLimitKeepingItsAspect) {
  std::optional<platform::Image> image = Decode(PngBytes(20000, 10, kGrey, 8, std::string(20000, '\x64')), 16384);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 16384);
  EXPECT_EQ(image->height, 8);
  EXPECT_EQ(Row(*image, 7)[16383], (Pixel{100, 100, 100, 255}));
}

TEST_F(ImageDecoderTest, BrokenFilesFailWithoutAPicture) {
  const std::string good = PngBytes(8, 8, kRgb, 8, std::string(24, '\x33'));
  const size_t idat = good.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  std::string badCrc = good;
  badCrc[idat + 6] ^= 0x40;  // a byte of the compressed pixels
  std::string zeroWidth = good;
  zeroWidth[16] = zeroWidth[17] = zeroWidth[18] = zeroWidth[19] = 0;
  const std::vector<std::string> broken = {
      good.substr(0, idat + 10),  // ends inside the pixels
      good.substr(0, 30),          // ends inside the header
      badCrc,
      zeroWidth,
      std::string("\x89PNG\r\n\x1a\n", 8),
  };
  for (size_t i = 0; i < broken.size(); ++i) EXPECT_FALSE(Decode(broken[i]).has_value()) << "file " << i;
  EXPECT_FALSE(platform::DecodeImageFile(dir.File("missing.png")).has_value());
  EXPECT_TRUE(Decode(good).has_value());
}
