// The player's records: what is written reads back, a damaged file is no records (never a crash and
// never a lost file), and only a better total replaces a level's best.
#include "gameplay/PlayerRecords.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/FileSync.h"
#include "objects/ObjectManager.h"
#include "platform/GameFolders.h"
#include "support/TestSupport.h"
#include "widgets/WriteNotice.h"

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class RecordsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUserFolder(dir_.path() + "/");
    ForgetRecords();
  }
  void TearDown() override {
    ClearObjects();  // the notice of a failed write
    ForgetRecords();
    SetUserFolder("");
  }
  std::string RecordsPath() const { return dir_.File(kRecordsFile); }
  TempDir dir_;
};

TEST(PlayerRecordsTest, WrittenRecordsReadBackEqual) {
  PlayerRecords records;
  records["level1"] = {105.78085f, "s"};
  records["level2"] = {0.1f, "a"};
  records["my-level_2"] = {86399.5f, "c"};
  PlayerRecords read;
  std::string why;
  ASSERT_TRUE(ReadPlayerRecords(WritePlayerRecords(records), &read, &why)) << why;
  EXPECT_EQ(read, records);
  // Windows line ends and comments are fine too.
  ASSERT_TRUE(ReadPlayerRecords("# mine\r\nqrecords 1\r\nlevel1 60 b\r\n", &read, &why)) << why;
  EXPECT_EQ(read.at("level1"), (LevelBest{60.0f, "b"}));
}

TEST(PlayerRecordsTest, DamagedTextIsNoRecordsWithTheLineThatIsWrong) {
  const char* damaged[] = {
      "",                                            // empty
      "level1 60 s\n",                               // no header
      "qrecords 2\nlevel1 60 s\n",                   // another format
      "qrecords 1\nlevel1 60\n",                     // no rank
      "qrecords 1\nlevel1 60 s extra\n",             // more than a record
      "qrecords 1\nlevel1 sixty s\n",                // not a number
      "qrecords 1\nlevel1 nan s\n",                  // not finite
      "qrecords 1\nlevel1 inf s\n",
      "qrecords 1\nlevel1 -5 s\n",                   // negative
      "qrecords 1\nlevel1 1e30 s\n",                 // beyond any level
      "qrecords 1\nlevel1 60 x\n",                   // not a rank
      "qrecords 1\nlevel1 60 S\n",
      "qrecords 1\n../../etc 60 s\n",                // not a level's name
      "qrecords 1\nlevel1 60 s\nlevel1 50 a\n",      // two records for a level
      "\x89PNG\r\n\x1a\n",                           // a picture
  };
  for (const char* text : damaged) {
    PlayerRecords read;
    read["stale"] = {1.0f, "s"};
    std::string why;
    EXPECT_FALSE(ReadPlayerRecords(text, &read, &why)) << text;
    EXPECT_TRUE(read.empty()) << text;
    EXPECT_EQ(why.rfind("line ", 0), 0u) << why;
  }
  PlayerRecords read;
  std::string why;
  EXPECT_FALSE(ReadPlayerRecords("qrecords 1\nlevel1 60 s\nlevel2 oops s\n", &read, &why));
  EXPECT_NE(why.find("line 3"), std::string::npos) << why;
}

TEST_F(RecordsFileTest, OnlyABetterTotalBecomesTheBestAndIsWritten) {
  EXPECT_TRUE(Records().empty());
  EXPECT_TRUE(OfferRecord("level1", 120.0f, "a"));
  EXPECT_FALSE(OfferRecord("level1", 130.0f, "b"));
  EXPECT_FALSE(OfferRecord("level1", 120.0f, "a"));  // a tie is not a new best
  EXPECT_TRUE(OfferRecord("level1", 100.5f, "s"));
  EXPECT_TRUE(OfferRecord("level2", 200.0f, "c"));
  // Nonsense from a caller never reaches the file.
  EXPECT_FALSE(OfferRecord("", 1.0f, "s"));
  EXPECT_FALSE(OfferRecord("level3", -1.0f, "s"));
  EXPECT_FALSE(OfferRecord("level3", 1.0f, "q"));

  ForgetRecords();
  const PlayerRecords& read = Records();
  ASSERT_EQ(read.size(), 2u) << ReadFile(RecordsPath());
  EXPECT_EQ(read.at("level1"), (LevelBest{100.5f, "s"}));
  EXPECT_EQ(read.at("level2"), (LevelBest{200.0f, "c"}));
  EXPECT_TRUE(RecordsProblem().empty());
}

TEST_F(RecordsFileTest, ADamagedFileIsNoRecordsAndIsKeptAsideBeforeANewBestAndAFolderOrHugeFileIsNone) {
  const std::string damaged = "qrecords 1\nlevel1 garbage s\n";
  WriteFile(RecordsPath(), damaged);
  EXPECT_TRUE(Records().empty());
  EXPECT_FALSE(RecordsProblem().empty());
  // Reading alone changes nothing on disk.
  EXPECT_EQ(ReadFile(RecordsPath()), damaged);

  EXPECT_TRUE(OfferRecord("level1", 90.0f, "s"));
  EXPECT_EQ(ReadFile(dir_.File(kDamagedRecordsFile)), damaged);
  ForgetRecords();
  EXPECT_EQ(Records().at("level1"), (LevelBest{90.0f, "s"}));

  // A folder, or a huge file, in the place of the records is no records too.
  std::filesystem::remove(RecordsPath());
  std::filesystem::create_directories(RecordsPath());
  ForgetRecords();
  EXPECT_TRUE(Records().empty());
  EXPECT_FALSE(RecordsProblem().empty());
  std::filesystem::remove(RecordsPath());
  ForgetRecords();
  WriteFile(RecordsPath(), "qrecords 1\n" + std::string(200000, '#'));
  EXPECT_TRUE(Records().empty());
  EXPECT_FALSE(RecordsProblem().empty());
}

TEST_F(RecordsFileTest, AFailedWriteIsShownKeepsTheOldFileAndTheBestStillCountsThisSession) {
  ASSERT_TRUE(OfferRecord("level1", 100.0f, "a"));
  const std::string before = ReadFile(RecordsPath());
  files::SetReplaceFaultForTesting(files::ReplaceFault::Sync);
  const bool better = OfferRecord("level1", 90.0f, "s");
  files::SetReplaceFaultForTesting(files::ReplaceFault::None);
  EXPECT_TRUE(better);
  EXPECT_EQ(Records().at("level1").total, 90.0f);
  EXPECT_NE(WriteNoticeText().find("records"), std::string::npos) << WriteNoticeText();
  EXPECT_EQ(ReadFile(RecordsPath()), before);
}

}  // namespace
