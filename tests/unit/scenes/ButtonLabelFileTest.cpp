// A button's label and its "does not call back" flag in the level file: absent from files that have
// none (which read and write exactly as before), and refused where the reader could not read them
// back. That labels read back in both object blocks is LevelSaveTest's generated round trip; the
// scene start applying them is ButtonLabelTest's (editor), through the real label and handler.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "LevelTestHelpers.h"
#include "objects/ObjectType.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

ObjectRecord Button(const std::string& id, const std::string& label, float size, uint32_t alignment) {
  ObjectRecord r;
  r.id = id;
  r.type = static_cast<int32_t>(ObjectType::UI);
  r.scaleX = 80.0f;
  r.scaleY = 50.0f;
  r.fixedToScreen = true;
  r.hasLabel = true;
  r.label = label;
  r.labelSize = size;
  r.labelAlignment = alignment;
  return r;
}

ObjectRecord Wall(const std::string& id) {
  ObjectRecord r;
  r.id = id;
  r.type = static_cast<int32_t>(ObjectType::Wall);
  r.texture = "wall.png";
  return r;
}

using ButtonLabelFileTest = level_test::WithoutMusicTest;

TEST_F(ButtonLabelFileTest, FilesWithoutLabelsReadAndWriteAsBefore) {
  Level level;
  ObjectRecord plain = Button("UI_1", "", 0.0f, 1);
  plain.hasLabel = false;
  // Only a button's label has a place in the file.
  ObjectRecord text;
  text.id = "Text_2";
  text.type = static_cast<int32_t>(ObjectType::Text);
  text.text = "hello";
  text.hasLabel = true;
  text.label = "ignored";
  text.buttonActive = false;
  level.objects = {plain, Wall("Wall_3"), text};
  const std::string written = LevelToText(level);
  EXPECT_EQ(written.find("Label"), std::string::npos) << written;
  EXPECT_EQ(written.find("Button_Active"), std::string::npos) << written;
  std::unique_ptr<Level> back = LoadLevelFromText(written, "a.json");
  ASSERT_NE(back, nullptr);
  for (const ObjectRecord& r : back->objects) {
    EXPECT_FALSE(r.hasLabel) << r.id;
    EXPECT_TRUE(r.buttonActive) << r.id;
  }
  EXPECT_EQ(LevelToText(*back), written);

  // A file written before labels existed: a UI object with no label keys.
  const std::string old =
      "{\"Level\":{\"Objects\": [{\"ID\":\"UI_4\",\"Type\":\"UI\",\"ScaleX\":\"80\",\"ScaleY\":\"50\","
      "\"Fixed_To_Screen\":\"true\"}]}}";
  back = LoadLevelFromText(old, "old.json");
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->objects.size(), 1u);
  EXPECT_FALSE(back->objects[0].hasLabel);
  EXPECT_EQ(LevelToText(*back).find("Label"), std::string::npos);
}

TEST_F(ButtonLabelFileTest, UnknownAlignmentWordsLeaveTheLabelCentredAndBadLabelsAreNotWritten) {
  const std::string file =
      "{\"Level\":{\"Objects\": [{\"ID\":\"UI_1\",\"Type\":\"UI\",\"Label\":\"Go\",\"Label_Alignment\":\"RIGHT\"}]}}";
  std::unique_ptr<Level> back = LoadLevelFromText(file, "a.json");
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->objects.size(), 1u);
  EXPECT_EQ(back->objects[0].label, "Go");
  EXPECT_EQ(back->objects[0].labelAlignment, 1u);
  EXPECT_EQ(LoadLevelFromText("{\"Level\":{\"Objects\": [{\"Type\":\"UI\",\"Label_Size\":\"big\"}]}}", "b.json"),
            nullptr);

  Level level;
  level.objects = {Button("UI_1", "say \"hi\"", 10.0f, 1)};
  EXPECT_NE(FindUnwritableValue(level).find("label"), std::string::npos);
  level.objects[0].label = "hi";
  level.objects[0].labelSize = std::numeric_limits<float>::infinity();
  EXPECT_NE(FindUnwritableValue(level).find("label"), std::string::npos);
  level.objects[0].labelSize = 10.0f;
  EXPECT_EQ(FindUnwritableValue(level), "");
}

}  // namespace
