// The IDENTIFY label tables: sizes, ordering, bit coverage of each labelled word,
// the word-group index built over them, and a sample of labels character by character.
#include <gtest/gtest.h>

#include <string_view>

#include "device/IdentifyData.h"
#include "device/IdentifyLabelTables.h"

namespace vexa {
namespace {

TEST(IdentifyLabelTables, WordGroupsAscendFromWordZero) {
  ASSERT_EQ(IdentifyWordLabels.size(), 100u);
  EXPECT_EQ(IdentifyWordLabels.front().word, 0);
  EXPECT_EQ(IdentifyWordLabels.back().word, 255);
  for (std::size_t i = 1; i < IdentifyWordLabels.size(); ++i)
    EXPECT_LT(IdentifyWordLabels[i - 1].word, IdentifyWordLabels[i].word) << "row " << i;
  for (const TIdentifyWordLabel& row : IdentifyWordLabels) EXPECT_FALSE(row.label.empty()) << row.word;
}

TEST(IdentifyLabelTables, BitFieldsCoverEachWordExactlyAndEndWithTerminator) {
  ASSERT_EQ(IdentifyBitFields.size(), 308u);
  const TIdentifyBitField& end = IdentifyBitFields.back();
  EXPECT_EQ(end.word, 0xFFFF);
  EXPECT_EQ(end.firstBit, 0);
  EXPECT_EQ(end.bitCount, 0);
  EXPECT_TRUE(end.label.empty());

  std::size_t words = 0;
  unsigned nextBit = 16;
  std::uint16_t word = 0;
  for (std::size_t i = 0; i < IdentifyBitFieldCount; ++i) {
    const TIdentifyBitField& row = IdentifyBitFields[i];
    SCOPED_TRACE(testing::Message() << "row " << i << " word " << row.word);
    if (nextBit == 16) {  // a new word starts at bit 0, after the previous word
      EXPECT_TRUE(i == 0 || row.word > word);
      EXPECT_EQ(row.firstBit, 0);
      word = row.word;
      nextBit = 0;
      ++words;
    }
    EXPECT_EQ(row.word, word);
    EXPECT_EQ(row.firstBit, nextBit) << "gap or overlap";
    EXPECT_GE(row.bitCount, 1);
    EXPECT_LE(row.bitCount, 15);
    EXPECT_FALSE(row.label.empty());
    nextBit = row.firstBit + row.bitCount;
    EXPECT_LE(nextBit, 16u);
  }
  EXPECT_EQ(nextBit, 16u) << "last word not covered to bit 15";
  EXPECT_EQ(words, 35u);
}

TEST(IdentifyLabelTables, SampleLabelsAreExact) {
  struct TCase {
    std::size_t row;
    std::uint16_t word;
    std::string_view label;
  };
  const TCase groups[] = {
      {0, 0, "一般組態"},
      {2, 2, "具體組態 (37C8,738C,8C73,C837)"},
      {8, 10, "序號"},
      {65, 108, "全球通用名稱"},
      {69, 119, "指令和功能集支援 (從字 82..84 繼續)"},
      {74, 129, "供應商特定 [62 字節]"},
      {99, 255, "字完整性/校驗"},
  };
  for (const TCase& c : groups) {
    EXPECT_EQ(IdentifyWordLabels[c.row].word, c.word);
    EXPECT_EQ(IdentifyWordLabels[c.row].label, c.label);
  }

  struct TBitCase {
    std::uint16_t word;
    std::uint8_t firstBit, bitCount;
    std::string_view label;
  };
  const TBitCase bits[] = {
      {0, 15, 1, "裝置類型 (0 = ATA 裝置)"},
      {49, 11, 1, "1 = IORDY 支援; 0 = IORDY 可能支援"},
      {69, 14, 1, "D支援修剪 LBA 範圍確定的資料"},
      {76, 8, 1, "支援 NCQ 功能集"},
      {77, 1, 3, "編碼值指示目前協商的序列 ATA 信號速度"},
      {168, 0, 4, "從外形 (0 = 未報告, 1 = 5.25\", 2 = 3.5\", 3 = 2.5\", 4 = 1.8\", 5 = < 1.8\")"},
      {222, 12, 4, "傳輸類型 (0 = 並行; 1 = 序列; 14 = PCIe)"},
      {255, 8, 8, "校驗"},
  };
  for (const TBitCase& c : bits) {
    bool found = false;
    for (const TIdentifyBitField& row : IdentifyBitFields)
      if (row.word == c.word && row.firstBit == c.firstBit) {
        found = true;
        EXPECT_EQ(row.bitCount, c.bitCount) << c.word << ":" << +c.firstBit;
        EXPECT_EQ(row.label, c.label);
      }
    EXPECT_TRUE(found) << c.word << ":" << +c.firstBit;
  }
}

TEST(IdentifyWordGroups, CountsSpanAllWordsAndBitFieldsBelongToTheirGroup) {
  const auto groups = IdentifyWordGroups();
  ASSERT_EQ(groups.size(), 100u);
  unsigned nextWord = 0;
  std::size_t bitRows = 0;
  for (const TIdentifyWordDescriptor& group : groups) {
    SCOPED_TRACE(group.word);
    EXPECT_EQ(group.word, nextWord);
    EXPECT_GE(group.count, 1);
    nextWord = group.word + group.count;
    for (const TIdentifyBitField& field : group.BitFields()) EXPECT_EQ(field.word, group.word);
    if (group.bitFieldCount > 0) {
      EXPECT_EQ(group.count, 1) << "bit fields only on single-word groups";
    }
    bitRows += group.bitFieldCount;
  }
  EXPECT_EQ(nextWord, 256u);
  EXPECT_EQ(bitRows, IdentifyBitFieldCount) << "every bit-field row reachable from a group";
}

TEST(IdentifyWordGroups, SelectedGroups) {
  const auto groups = IdentifyWordGroups();
  const auto find = [&](std::uint16_t word) -> const TIdentifyWordDescriptor* {
    for (const TIdentifyWordDescriptor& g : groups)
      if (g.word == word) return &g;
    return nullptr;
  };
  EXPECT_EQ(find(46), nullptr);  // inside the model group
  ASSERT_NE(find(27), nullptr);
  EXPECT_EQ(find(27)->count, 20);
  EXPECT_EQ(find(27)->name, "型號");
  EXPECT_EQ(find(1)->count, 1);
  EXPECT_EQ(find(3)->count, 1);
  EXPECT_EQ(find(129)->count, 31);
  EXPECT_EQ(find(236)->count, 19);
  EXPECT_EQ(find(255)->count, 1);
  EXPECT_EQ(find(10)->bitFieldCount, 0u);
  EXPECT_TRUE(find(10)->BitFields().empty());

  const TIdentifyWordDescriptor* word222 = find(222);
  ASSERT_NE(word222, nullptr);
  ASSERT_EQ(word222->bitFieldCount, 10u);
  EXPECT_EQ(word222->BitFields().back().firstBit, 12);
  EXPECT_EQ(word222->BitFields().back().bitCount, 4);
  EXPECT_EQ(find(0)->bitFieldCount, 8u);
  EXPECT_EQ(find(255)->bitFieldCount, 2u);
}

}  // namespace
}  // namespace vexa
