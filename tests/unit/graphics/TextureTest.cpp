#include <gtest/gtest.h>

#include <filesystem>

#include "graphics/GraphicsDevice.h"
#include "graphics/Texture.h"
#include "GraphicsTestHelpers.h"

using graphics_test::LogCapture;
using graphics_test::TgaBytes;
using graphics_test::WriteBytes;
using testing_support::TempDir;

namespace {

// 2 x 2 picture, file rows bottom-up in BGRA: bottom row blue, green; top row red, white.
std::vector<uint8_t> FourColourPixels() {
  return {255, 0, 0, 255,    0, 255, 0, 255,       // bottom: blue, green
          0, 0, 255, 255,    255, 255, 255, 128};  // top: red, white (half alpha)
}

class TextureListTest : public ::testing::Test {
 protected:
  void SetUp() override { DestroyAllTextures(); }
  void TearDown() override { DestroyAllTextures(); }
  TempDir dir;
  LogCapture log;
};

}  // namespace

TEST(TgaDecoderTest, RowsComeOutTopDownBgraBecomesRgbaAndPixelsStartAtByte18) {
  auto image = DecodeTga32(TgaBytes(2, 2, 32, FourColourPixels()));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 2);
  EXPECT_EQ(image->height, 2);
  const std::vector<uint8_t> expected = {255, 0, 0, 255,    255, 255, 255, 128,  // top: red, white
                                         0, 0, 255, 255,    0, 255, 0, 255};     // bottom: blue, green
  EXPECT_EQ(image->rgba, expected);
  // Pixels start at byte 18 whatever the id length says, and bytes past them are ignored.
  image = DecodeTga32(TgaBytes(1, 1, 32, {10, 20, 30, 40}, /*idLength=*/5));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->rgba, (std::vector<uint8_t>{30, 20, 10, 40}));
  image = DecodeTga32(TgaBytes(1, 1, 32, {1, 2, 3, 4, 99, 99, 99}));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->rgba, (std::vector<uint8_t>{3, 2, 1, 4}));
}

TEST(TgaDecoderTest, RejectsWhatItCannotTrust) {
  // Not 32 bits per pixel.
  EXPECT_FALSE(DecodeTga32(TgaBytes(2, 2, 24, std::vector<uint8_t>(12, 7))));
  // One byte short of the declared pixels.
  std::vector<uint8_t> truncated = TgaBytes(2, 2, 32, FourColourPixels());
  truncated.pop_back();
  EXPECT_FALSE(DecodeTga32(truncated));
  // A declared size far beyond the data (65535 x 65535 x 4 would be 17 GB).
  EXPECT_FALSE(DecodeTga32(TgaBytes(65535, 65535, 32, FourColourPixels())));
  // Zero sides.
  EXPECT_FALSE(DecodeTga32(TgaBytes(0, 2, 32, {})));
  EXPECT_FALSE(DecodeTga32(TgaBytes(2, 0, 32, {})));
  // A header cut short, and nothing at all.
  std::vector<uint8_t> header = TgaBytes(1, 1, 32, {1, 2, 3, 4});
  header.resize(17);
  EXPECT_FALSE(DecodeTga32(header));
  EXPECT_FALSE(DecodeTga32(nullptr, 0));
}

TEST(TgaFileTest, TheFileMustHoldWhatItsHeaderClaims) {
  TempDir dir;
  // Exactly the pixels, and trailing bytes: both read as the decoder reads them.
  WriteBytes(dir.File("exact.tga"), TgaBytes(2, 2, 32, FourColourPixels()));
  std::vector<uint8_t> longer = FourColourPixels();
  longer.insert(longer.end(), 4096, 9);
  WriteBytes(dir.File("longer.tga"), TgaBytes(2, 2, 32, longer));
  for (const char* name : {"exact.tga", "longer.tga"}) {
    auto image = ReadTga32File(dir.File(name), 16384);
    ASSERT_TRUE(image) << name;
    EXPECT_EQ(image->rgba, DecodeTga32(TgaBytes(2, 2, 32, FourColourPixels()))->rgba) << name;
  }
  // A header alone that claims 16384 x 16384 (a gigabyte), one byte short, too wide, no file.
  WriteBytes(dir.File("liar.tga"), TgaBytes(16384, 16384, 32, {}));
  std::vector<uint8_t> shortByOne = TgaBytes(2, 2, 32, FourColourPixels());
  shortByOne.pop_back();
  WriteBytes(dir.File("short.tga"), shortByOne);
  EXPECT_FALSE(ReadTga32File(dir.File("liar.tga"), 16384));
  EXPECT_FALSE(ReadTga32File(dir.File("short.tga"), 16384));
  EXPECT_FALSE(ReadTga32File(dir.File("exact.tga"), 1));
  EXPECT_FALSE(ReadTga32File(dir.File("absent.tga"), 16384));
}

TEST(TextureNameTest, LastPathComponentWithEitherSeparator) {
  EXPECT_EQ(TextureNameOf("./Assets/player.png"), "player.png");
  EXPECT_EQ(TextureNameOf("Assets\\Sub\\wall.png"), "wall.png");
  EXPECT_EQ(TextureNameOf("C:floor.tga"), "floor.tga");
  EXPECT_EQ(TextureNameOf("plain.png"), "plain.png");
  EXPECT_EQ(TextureNameOf("dir/"), "");
}

TEST_F(TextureListTest, LoadedTgaIsListedUnderItsLastComponentUntilTheListIsCleared) {
  std::string sub = dir.path() + "/Sub";
  std::filesystem::create_directories(sub);
  WriteBytes(sub + "/tiles.tga", TgaBytes(2, 2, 32, FourColourPixels()));
  Texture* loaded = TextureManager::Load(sub + "/tiles.tga");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->name, "tiles.tga");
  EXPECT_TRUE(loaded->view);
  EXPECT_EQ(loaded->width, 2);
  EXPECT_EQ(TextureManager::Find("tiles.tga"), loaded);
  EXPECT_EQ(log.Count("Could not find texture"), 0);
  // A name with a folder in front is not a listed name.
  EXPECT_EQ(TextureManager::Find("Sub/tiles.tga"), nullptr);
  EXPECT_EQ(log.Count("-WARNING- Could not find texture"), 1);
  // Clearing the list forgets the name but keeps the texture alive (AddressSanitizer would object).
  ClearTextureList();
  EXPECT_TRUE(TextureList().empty());
  EXPECT_EQ(TextureManager::Find("tiles.tga"), nullptr);
  EXPECT_EQ(loaded->name, "tiles.tga");
  EXPECT_TRUE(loaded->view);
}

TEST_F(TextureListTest, SameFileTwiceIsListedTwiceAndFindReturnsTheFirst) {
  WriteBytes(dir.File("a.tga"), TgaBytes(2, 2, 32, FourColourPixels()));
  Texture* first = TextureManager::Load(dir.File("a.tga"));
  Texture* second = TextureManager::Load(dir.File("a.tga"));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  // The picture already on the device is listed again rather than decoded a second time, so
  // scene changes do not grow memory; the list still holds two entries.
  EXPECT_EQ(first, second);
  ASSERT_EQ(TextureList().size(), 2u);
  EXPECT_EQ(TextureManager::Find("a.tga"), first);
}

// Which files the reader refuses is checked above; here what a refused file does to the list.
TEST_F(TextureListTest, BadTgaFilesFailWithTheWarningAndAreNotListedButAnUpperCaseTgaIsDecodedElsewhere) {
  WriteBytes(dir.File("rgb.tga"), TgaBytes(2, 2, 24, std::vector<uint8_t>(12, 1)));
  WriteBytes(dir.File("tiny.tga"), {1, 2, 3});
  for (const char* name : {"rgb.tga", "tiny.tga", "missing.tga"}) {
    EXPECT_EQ(TextureManager::Load(dir.File(name)), nullptr) << name;
  }
  EXPECT_EQ(log.Count("-WARNING- Failed loading texture"), 3);
  EXPECT_TRUE(TextureList().empty());
  // An upper-case .TGA goes to the platform decoder: the game's own loader would refuse a 24-bit
  // file; the decoder branch never fails the load.
  WriteBytes(dir.File("shout.TGA"), TgaBytes(2, 2, 24, std::vector<uint8_t>(12, 200)));
  Texture* texture = TextureManager::Load(dir.File("shout.TGA"));
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->name, "shout.TGA");
  EXPECT_EQ(log.Count("Failed loading texture"), 3) << "no new failure";
}

// A PNG decodes through the platform decoder; a missing one is still listed, with an empty view and
// no message.
TEST_F(TextureListTest, PngGoesToThePlatformDecoderAndAMissingOneIsListedEmptyAndQuietly) {
  Texture* font = TextureManager::Load("./Assets/FontSheet.png");  // the build copies the assets beside the tests
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(font->view);
  EXPECT_GT(font->width, 0);
  EXPECT_GT(font->height, 0);
  Texture* texture = TextureManager::Load(dir.File("nothing.png"));
  ASSERT_NE(texture, nullptr);
  EXPECT_FALSE(texture->view);
  EXPECT_EQ(TextureManager::Find("nothing.png"), texture);
  EXPECT_EQ(log.Text().find("texture"), std::string::npos);
}

TEST(ImageFitTest, LargePicturesShrinkKeepingTheirAspect) {
  platform::Image wide;
  wide.width = 40;
  wide.height = 10;
  wide.rgba.assign(40 * 10 * 4, 255);
  platform::Image fitted = platform::FitImage(wide, 16);
  EXPECT_EQ(fitted.width, 16);
  EXPECT_EQ(fitted.height, 4);
  EXPECT_EQ(fitted.rgba.size(), 16u * 4u * 4u);
  EXPECT_EQ(fitted.rgba[0], 255);
  platform::Image same = platform::FitImage(wide, 64);
  EXPECT_EQ(same.width, 40);
}
