#include <gtest/gtest.h>

#include <filesystem>

#include "audio/BankManifest.h"
#include "support/TestSupport.h"

using testing_support::SourceDir;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

const char* kGoodBank =
    "# a comment before the header\n"
    "quillbank 1\n"
    "bus bus:/Music\n"
    "\n"
    "event event:/Music/LevelOneMusic\n"
    "  bus bus:/Music\n"
    "  sound sounds/base.ogg\n"
    "  loop yes\n"
    "  volume 0.8\n"
    "  pitch 0\n"
    "  positioned no\n"
    "  layer parameter:/Chase sounds/chase.ogg 0.5\n"
    "end\n"
    "event event:/SFX/Step\n"
    "\tsound a.ogg\n"
    "\tsound b.ogg\n"
    "\tpitch 1.5\n"
    "\tpositioned yes\n"
    "end\n";

BankManifest Accept(const std::string& text) {
  BankManifest m;
  std::string error;
  EXPECT_TRUE(ParseBankManifest(text, &m, &error)) << error;
  return m;
}

std::string ErrorOf(const std::string& text) {
  BankManifest m;
  std::string error;
  EXPECT_FALSE(ParseBankManifest(text, &m, &error)) << text;
  EXPECT_TRUE(m.events.empty() && m.buses.empty()) << "a rejected manifest leaves nothing behind";
  return error;
}

std::string EventWith(const std::string& lines) {
  return "quillbank 1\nevent event:/X\n  sound x.ogg\n" + lines + "end\n";
}

}  // namespace

TEST(BankManifestTest, GoodManifestsGiveEveryKeyWhateverTheirLineEndsAndComments) {
  const BankManifest m = Accept(kGoodBank);
  ASSERT_EQ(m.buses.size(), 1u);
  EXPECT_EQ(m.buses[0], "bus:/Music");
  ASSERT_EQ(m.events.size(), 2u);

  const BankEvent& music = m.events[0];
  EXPECT_EQ(music.path, "event:/Music/LevelOneMusic");
  EXPECT_EQ(music.bus, "bus:/Music");
  EXPECT_EQ(music.sounds, std::vector<std::string>{"sounds/base.ogg"});
  EXPECT_TRUE(music.loop);
  EXPECT_FLOAT_EQ(music.volume, 0.8f);
  EXPECT_FALSE(music.positioned);
  ASSERT_EQ(music.layers.size(), 1u);
  EXPECT_EQ(music.layers[0].parameter, "parameter:/Chase");
  EXPECT_EQ(music.layers[0].file, "sounds/chase.ogg");
  EXPECT_FLOAT_EQ(music.layers[0].fadeSeconds, 0.5f);
  EXPECT_EQ(music.line, 5);

  // Defaults for what an event leaves out.
  const BankEvent& step = m.events[1];
  EXPECT_EQ(step.bus, "");
  EXPECT_EQ(step.sounds.size(), 2u);
  EXPECT_FALSE(step.loop);
  EXPECT_FLOAT_EQ(step.volume, 1.0f);
  EXPECT_FLOAT_EQ(step.pitch, 1.5f);
  EXPECT_TRUE(step.positioned);

  // Windows line ends, a byte order mark, odd comments and a header-only bank are fine.
  EXPECT_EQ(Accept("\xEF\xBB\xBFquillbank 1\r\n# caf\xC3\xA9 \x01 anything goes here\r\nbus bus:/SFX\r\n").buses,
            std::vector<std::string>{"bus:/SFX"});
  const BankManifest empty = Accept("quillbank 1\n");
  EXPECT_TRUE(empty.events.empty());
  EXPECT_TRUE(empty.buses.empty());
}

TEST(BankManifestTest, BadLinesAndHostileSizesAreRejectedWithTheirLineNumber) {
  struct Case {
    std::string text;
    std::string expected;  // part of the error
  };
  std::string manySounds;
  for (size_t i = 0; i <= kMaxEventSounds; ++i) manySounds += "  sound s" + std::to_string(i) + ".ogg\n";
  std::string manyLayers;
  for (size_t i = 0; i <= kMaxEventLayers; ++i) manyLayers += "  layer parameter:/P" + std::to_string(i) + " l.ogg 1\n";
  const Case cases[] = {
      {"", "empty"},
      {"# only a comment\n", "empty"},
      {"bus bus:/SFX\n", "line 1: the first line must be"},
      {"quillbank 2\n", "line 1: unsupported manifest version"},
      {"quillbank 1 extra\n", "unsupported manifest version"},
      {"quillbank 1\nvolume 1\n", "line 2: unknown key \"volume\" outside"},
      {"quillbank 1\nend\n", "line 2: \"end\" without an open event"},
      {"quillbank 1\nbus SFX\n", "not a bus path"},
      {"quillbank 1\nbus bus:/\n", "not a bus path"},
      {"quillbank 1\nbus bus:/A\nbus bus:/A\n", "line 3: bus \"bus:/A\" declared twice"},
      {"quillbank 1\nevent SFX/Step\n", "not an event path"},
      {"quillbank 1\nevent event:/A\nend\n", "line 3: event \"event:/A\" has no sound"},
      {"quillbank 1\nevent event:/A\n sound a.ogg\n", "line 2: event \"event:/A\" has no \"end\""},
      {"quillbank 1\nevent event:/A\n sound a.ogg\nevent event:/B\n", "line 4: event \"event:/A\" has no \"end\" before"},
      {"quillbank 1\nevent event:/A\n sound a.ogg\nend\nevent event:/A\n", "line 5: event \"event:/A\" declared twice"},
      {EventWith("  volum 1\n"), "line 4: unknown key \"volum\""},
      {EventWith("  loop maybe\n"), "\"loop\" is yes or no"},
      {EventWith("  loop\n"), "\"loop\" takes one value"},
      {EventWith("  positioned 1\n"), "\"positioned\" is yes or no"},
      {EventWith("  volume 1.5\n"), "\"volume\" is a number from 0 to 1"},
      {EventWith("  volume -0.1\n"), "\"volume\""},
      {EventWith("  volume nan\n"), "\"volume\""},
      {EventWith("  volume 0.5dB\n"), "\"volume\""},
      {EventWith("  pitch 13\n"), "\"pitch\""},
      {EventWith("  loop yes\n  loop no\n"), "line 5: \"loop\" given twice"},
      {EventWith("  bus bus:/A\n  bus bus:/B\n"), "\"bus\" given twice"},
      {EventWith("  end now\n"), "\"end\" takes no value"},
      {EventWith("  sound\n"), "\"sound\" takes one file"},
      {EventWith("  layer parameter:/Chase c.ogg\n"), "\"layer\" takes"},
      {EventWith("  layer Chase c.ogg 0.5\n"), "not a parameter path"},
      {EventWith("  layer parameter:/Chase c.ogg 99\n"), "fade time"},
      {EventWith("  layer parameter:/C a.ogg 1\n  layer parameter:/C b.ogg 1\n"), "drives two layers"},
      {EventWith("  positioned yes\n  layer parameter:/NoAutoDistance d.ogg 1\n"), "already the event's position"},
      {"quillbank 1\nbus bus:/caf\xC3\xA9\n", "line 2: a character that is not printable ASCII"},
      {std::string("quillbank 1\nbus bus:/A\0B\n", 25), "not printable ASCII"},
      {"quillbank 1\n# " + std::string(kMaxManifestLine, 'x') + "\n", "line 2: longer than"},
      {std::string(kMaxManifestBytes + 1, '#'), "larger than"},
      {EventWith(manySounds), "too many sounds"},
      {EventWith(manyLayers), "too many layers"},
      {"quillbank 1\nbus bus:/" + std::string(300, 'b') + "\n", "not a bus path"},
  };
  for (const Case& c : cases) {
    std::string error = ErrorOf(c.text);
    EXPECT_NE(error.find(c.expected), std::string::npos) << "text:\n" << c.text << "\nerror: " << error;
  }
}

TEST(BankManifestTest, SoundFilesMustStayInsideTheBankFolder) {
  for (const char* file : {"../secret.ogg", "sounds/../../x.ogg", "/etc/passwd", "C:/x.ogg", "sounds\\x.ogg",
                           "sounds//x.ogg", "./x.ogg", "sounds/", "x.ogg/."}) {
    EXPECT_NE(ErrorOf(EventWith(std::string("  sound ") + file + "\n")).find("not a file inside"), std::string::npos)
        << file;
    EXPECT_NE(ErrorOf(EventWith(std::string("  layer parameter:/C ") + file + " 1\n")).find("not a file inside"),
              std::string::npos)
        << file;
  }
}

TEST(BankManifestTest, ReadingAFileSaysMissingOrBad) {
  TempDir dir;
  BankManifest m;
  EXPECT_EQ(ReadBankManifest(dir.File("nothing.bank"), &m), BankReadStatus::FileNotFound);
  WriteFile(dir.File("bad.bank"), "quillbank 1\nevent event:/A\n");
  EXPECT_EQ(ReadBankManifest(dir.File("bad.bank"), &m), BankReadStatus::FileBad);
  WriteFile(dir.File("huge.bank"), "quillbank 1\n" + std::string(kMaxManifestBytes, '\n'));
  EXPECT_EQ(ReadBankManifest(dir.File("huge.bank"), &m), BankReadStatus::FileBad);
  WriteFile(dir.File("good.bank"), kGoodBank);
  EXPECT_EQ(ReadBankManifest(dir.File("good.bank"), &m), BankReadStatus::Ok);
  EXPECT_EQ(m.events.size(), 2u);
}

TEST(BankManifestTest, ShippedBanksParseAndNameOnlyFilesThatExist) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(SourceDir()) / "Assets" / "Music";
  size_t events = 0;
  for (const char* name : {"SFX.bank", "Music.bank", "Master.bank", "Master.strings.bank", "Ambience.bank"}) {
    BankManifest m;
    ASSERT_EQ(ReadBankManifest((folder / name).string(), &m), BankReadStatus::Ok) << name;
    for (const BankEvent& e : m.events) {
      for (const std::string& s : e.sounds) EXPECT_TRUE(fs::is_regular_file(folder / s)) << e.path << ": " << s;
      for (const BankLayer& l : e.layers) EXPECT_TRUE(fs::is_regular_file(folder / l.file)) << e.path << ": " << l.file;
    }
    events += m.events.size();
    if (std::string(name) == "Master.bank") {
      EXPECT_EQ(m.buses, (std::vector<std::string>{"bus:/Music", "bus:/SFX"}));
    }
  }
  EXPECT_EQ(events, 27u);
}
