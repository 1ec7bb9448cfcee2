// The Identify page's model: the row order and tags, the texts and colours each row
// draws, its geometry, and the copy text, on a built block and a real drive's block
// read in place from the shared samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "shell/PixelsPerInch.h"
#include "support/Bytes.h"
#include "views/IdentifyPageModel.h"

namespace vexa {
namespace {

std::uint16_t GroupOfWord(unsigned word) {
  const auto groups = IdentifyWordGroups();
  for (std::size_t g = 0; g < groups.size(); ++g)
    if (groups[g].word == word) return static_cast<std::uint16_t>(g);
  ADD_FAILURE() << "no group at word " << word;
  return 0;
}

// The tag of the field of a group's word that starts at firstBit.
std::uint32_t FieldTag(unsigned word, unsigned firstBit) {
  const std::uint16_t group = GroupOfWord(word);
  const auto fields = IdentifyWordGroups()[group].BitFields();
  for (std::size_t f = 0; f < fields.size(); ++f)
    if (fields[f].firstBit == firstBit) return IdentifyBitFieldTag(group, static_cast<std::uint16_t>(f));
  ADD_FAILURE() << "no field at bit " << firstBit << " of word " << word;
  return 0;
}

TIdentifyData MakeBlock(std::initializer_list<std::pair<unsigned, std::uint16_t>> words) {
  std::vector<std::uint8_t> bytes(512);
  for (const auto& [word, value] : words) PutU16(bytes, word * 2, value);
  TIdentifyData data;
  data.Load(bytes);
  return data;
}

std::vector<std::uint8_t> ReadSample(const std::string& name) {
  std::ifstream file(std::string(VEXA_SOURCE_DIR "/../shared/samples/real/") + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(IdentifyPageRows, GroupsThenTheirFieldsHighestBitFirst) {
  const auto rows = IdentifyPageRows();
  const auto groups = IdentifyWordGroups();
  ASSERT_EQ(rows.size(), IdentifyWordLabelCount + IdentifyBitFieldCount);
  std::size_t r = 0;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    ASSERT_EQ(rows[r++], IdentifyGroupTag(static_cast<std::uint16_t>(g)));
    int previousBit = 16;
    for (std::size_t f = 0; f < groups[g].BitFields().size(); ++f, ++r) {
      ASSERT_FALSE(IsIdentifyGroupTag(rows[r]));
      ASSERT_EQ(IdentifyTagGroup(rows[r]), g);
      const int bit = groups[g].BitFields()[IdentifyTagField(rows[r])].firstBit;
      EXPECT_LT(bit, previousBit) << "group " << g;
      previousBit = bit;
    }
  }
  EXPECT_EQ(r, rows.size());

  // Word 76: the group row, then bit 15 down to bit 0.
  const std::uint16_t g76 = GroupOfWord(76);
  const std::size_t at = std::find(rows.begin(), rows.end(), IdentifyGroupTag(g76)) - rows.begin();
  EXPECT_EQ(IdentifyRowLabel(rows[at + 8]), "支援 NCQ 功能集");
  EXPECT_EQ(IdentifyRowLabel(rows[at + 9]), "為序列 ATA 保留");
  EXPECT_EQ(IdentifyRowLabel(rows[at + 13]), "應歸零");
  EXPECT_EQ(rows[at + 14], IdentifyGroupTag(g76 + 1));
}

TEST(IdentifyPageRows, Tags) {
  EXPECT_EQ(IdentifyGroupTag(10), 0xFFFF000Au);
  EXPECT_EQ(IdentifyBitFieldTag(3, 2), 0x00020003u);
  EXPECT_TRUE(IsIdentifyGroupTag(0xFFFF0063));
  EXPECT_EQ(IdentifyRowLabel(IdentifyGroupTag(GroupOfWord(10))), "序號");
  // Tags naming no group or no field of the group are empty everywhere.
  const TIdentifyData data = MakeBlock({{0, 0x0040}});
  for (std::uint32_t bad : {IdentifyGroupTag(100), IdentifyGroupTag(0xFFFE), IdentifyBitFieldTag(0, 999),
                            IdentifyBitFieldTag(GroupOfWord(10), 0), 0xFFFFFFFFu}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(IdentifyRowLabel(bad), "");
    EXPECT_EQ(IdentifyRowText(bad, data).kind, TIdentifyRowKind::Invalid);
    EXPECT_EQ(IdentifyCopyText(bad, &data), "");
  }
}

TEST(IdentifyPageTexts, LabelClasses) {
  struct {
    const char* label;
    TIdentifyLabelClass expected;
  } cases[] = {
      {"應歸零", TIdentifyLabelClass::Grey},
      {"應歸零  ", TIdentifyLabelClass::Grey},
      {"應設定為 1", TIdentifyLabelClass::Grey},
      {"應設定為 1 (即, 支援 LBA)", TIdentifyLabelClass::Normal},
      {"[已保留]", TIdentifyLabelClass::Crimson},
      {" [已保留]", TIdentifyLabelClass::Normal},
      {"支援 NCQ 功能集", TIdentifyLabelClass::Normal},
      {"", TIdentifyLabelClass::Normal},
  };
  for (const auto& c : cases) EXPECT_EQ(IdentifyLabelClass(c.label), c.expected) << c.label;
}

TEST(IdentifyPageTexts, GroupAndFieldRows) {
  const TIdentifyData data = MakeBlock({{10, 0x4142}, {11, 0x2020}, {76, 0x0156}, {83, 0x4000}});

  const TIdentifyRowText serial = IdentifyRowText(IdentifyGroupTag(GroupOfWord(10)), data);
  EXPECT_EQ(serial.kind, TIdentifyRowKind::Group);
  EXPECT_EQ(serial.word, "10");
  EXPECT_EQ(serial.count, "+10");
  EXPECT_EQ(serial.value, "\"AB\"");
  EXPECT_EQ(serial.label, "序號");
  EXPECT_EQ(IdentifyCopyText(IdentifyGroupTag(GroupOfWord(10)), &data), "[10-19] 序號: \"AB\"");

  const TIdentifyRowText word76 = IdentifyRowText(IdentifyGroupTag(GroupOfWord(76)), data);
  EXPECT_EQ(word76.count, "");
  EXPECT_EQ(word76.value, "342");
  EXPECT_EQ(IdentifyCopyText(IdentifyGroupTag(GroupOfWord(76)), &data).substr(0, 5), "[76] ");

  const TIdentifyRowText ncq = IdentifyRowText(FieldTag(76, 8), data);
  EXPECT_EQ(ncq.kind, TIdentifyRowKind::BitField);
  EXPECT_EQ(ncq.bits, "08");
  EXPECT_EQ(ncq.fieldValue, "1");
  EXPECT_EQ(ncq.labelClass, TIdentifyLabelClass::Normal);
  EXPECT_EQ(IdentifyCopyText(FieldTag(76, 8), &data), "[08] 支援 NCQ 功能集: 1");

  // 0x0156 >> 4 & 0xF = 5; a field of several bits names its lowest bit first.
  const TIdentifyRowText reserved = IdentifyRowText(FieldTag(76, 4), data);
  EXPECT_EQ(reserved.bits, "04-07");
  EXPECT_EQ(reserved.fieldValue, "5");
  EXPECT_EQ(IdentifyCopyText(FieldTag(76, 4), &data), "[04-07] 為序列 ATA 保留: 5");

  EXPECT_EQ(IdentifyRowText(FieldTag(76, 0), data).labelClass, TIdentifyLabelClass::Grey);
  EXPECT_EQ(IdentifyRowText(FieldTag(0, 0), data).labelClass, TIdentifyLabelClass::Crimson);
  EXPECT_EQ(IdentifyCopyText(FieldTag(76, 8), nullptr), "");
}

TEST(IdentifyPageLayout, Metrics) {
  const auto sevenPerChar = [](std::string_view text) { return static_cast<std::int32_t>(7 * text.size()); };
  const TIdentifyMetrics at96 = ComputeIdentifyMetrics(TPixelsPerInch(96, 96), -9, sevenPerChar);
  EXPECT_EQ(at96.sideMargin, 4);
  EXPECT_EQ(at96.textInset, 3);
  EXPECT_EQ(at96.firstColumnWidth, 48);  // 2 x 3 + width of "000+00"
  EXPECT_EQ(at96.bitColumnWidth, 46);    // "00-00:" + 4
  EXPECT_EQ(at96.valueColumnWidth, 25);  // "000" + 4
  EXPECT_EQ(at96.rowHeight, 19);         // |-9| + 2 x 5

  EXPECT_EQ(ComputeIdentifyMetrics(TPixelsPerInch(144, 144), 12, sevenPerChar).firstColumnWidth, 52);
  const TIdentifyMetrics noFont = ComputeIdentifyMetrics(TPixelsPerInch(96, 96), INT32_MIN, nullptr);
  EXPECT_EQ(noFont.firstColumnWidth, 6);
  EXPECT_EQ(noFont.rowHeight, INT32_MAX);
}

class IdentifyPagePaint : public ::testing::Test {
protected:
  const TPixelsPerInch scaler{96, 96};
  const TIdentifyMetrics metrics{4, 3, 48, 46, 25, 19};
  const TIdentifySystemColours system{0xFFFFFF, 0x000000, 0xD77800, 0xFFFFFE};
  const TRect row{0, 38, 400, 19};
  const TIdentifyData data = MakeBlock({{10, 0x4142}, {76, 0x0100}});
};

TEST_F(IdentifyPagePaint, GroupRow) {
  const TIdentifyRowPaint p =
      PaintIdentifyRow(IdentifyGroupTag(GroupOfWord(10)), &data, row, false, 0x3366CC, system, metrics, scaler);
  EXPECT_EQ(p.leftMargin, (TRect{0, 38, 4, 19}));
  EXPECT_EQ(p.rightMargin, (TRect{396, 38, 4, 19}));
  EXPECT_EQ(p.body, (TRect{4, 38, 392, 19}));
  EXPECT_EQ(p.bodyColour, 0xFFFFFFu);
  EXPECT_EQ(p.lineColour, 0x3366CCu);
  EXPECT_EQ(p.separatorX, 52);
  EXPECT_TRUE(p.topLine);
  const std::vector<TIdentifyPaintText> texts{
      {{7, 38, 42, 19}, "10", 0x000000, TIdentifyTextAlign::Left},
      {{7, 38, 42, 19}, "+10", kIdentifyCountColour, TIdentifyTextAlign::Right},
      {{56, 38, 336, 19}, "\"AB\"", kIdentifyValueColour, TIdentifyTextAlign::Right},
      {{56, 38, 304, 19}, "序號", 0x000000, TIdentifyTextAlign::Left},
  };
  EXPECT_EQ(p.texts, texts);

  EXPECT_FALSE(PaintIdentifyRow(IdentifyGroupTag(0), &data, row, false, 0, system, metrics, scaler).topLine);
}

TEST_F(IdentifyPagePaint, FieldRow) {
  const TIdentifyRowPaint p = PaintIdentifyRow(FieldTag(76, 8), &data, row, false, 0x808080, system, metrics, scaler);
  const std::vector<TIdentifyPaintText> texts{
      {{55, 38, 46, 19}, "08", kIdentifyBitsColour, TIdentifyTextAlign::Left},
      {{335, 38, 25, 19}, "1", kIdentifyFieldValueColour, TIdentifyTextAlign::Right},
      {{101, 38, 234, 19}, "支援 NCQ 功能集", 0x000000, TIdentifyTextAlign::Left},
  };
  EXPECT_EQ(p.texts, texts);
  EXPECT_FALSE(p.topLine);
  EXPECT_EQ(PaintIdentifyRow(FieldTag(76, 0), &data, row, false, 0, system, metrics, scaler).texts[2].colour,
            kIdentifyGreyLabelColour);
  EXPECT_EQ(PaintIdentifyRow(FieldTag(0, 0), &data, row, false, 0, system, metrics, scaler).texts[2].colour,
            kIdentifyCrimsonLabelColour);
}

TEST_F(IdentifyPagePaint, SelectedRowUsesHighlightTextEverywhere) {
  for (std::uint32_t tag : {IdentifyGroupTag(GroupOfWord(10)), FieldTag(76, 8), FieldTag(76, 0), FieldTag(0, 0)}) {
    const TIdentifyRowPaint p = PaintIdentifyRow(tag, &data, row, true, 0x808080, system, metrics, scaler);
    EXPECT_EQ(p.bodyColour, system.highlight);
    ASSERT_FALSE(p.texts.empty());
    for (const TIdentifyPaintText& t : p.texts) EXPECT_EQ(t.colour, system.highlightText) << t.text;
  }
}

TEST(IdentifyPageModel, WithoutDeviceOnlyGreyMarginsAreDrawn) {
  const TPixelsPerInch scaler(96, 96);
  const TIdentifyMetrics metrics{4, 3, 48, 46, 25, 19};
  TIdentifyPageModel model;
  EXPECT_EQ(model.Data(), nullptr);
  EXPECT_EQ(model.Colour(), kIdentifyNoDeviceColour);
  EXPECT_EQ(model.Rows().size(), 407u);
  for (int r = 0; r < static_cast<int>(model.Rows().size()); ++r) {
    const TIdentifyRowPaint p = model.Paint(r, {0, 0, 300, 19}, false, {}, metrics, scaler);
    ASSERT_TRUE(p.texts.empty()) << r;
    ASSERT_FALSE(p.topLine) << r;
    const std::uint16_t group = IdentifyTagGroup(model.Tag(r));
    ASSERT_EQ(p.marginColour, group % 2 ? 0x606060u : 0x808080u) << r;
    ASSERT_EQ(model.CopyText(r), "") << r;
  }
  EXPECT_EQ(model.CopyText(407), "");
  EXPECT_EQ(IdentifyMarginShade(0xFFFFFF), 0xBFBFBFu);

  const TIdentifyData data = MakeBlock({{76, 0x0100}});
  model.ShowDevice(data, 0x3366CC);
  EXPECT_EQ(model.Colour(), 0x3366CCu);
  EXPECT_EQ(model.CopyText(-1), "");
  model.ShowNoDevice();
  EXPECT_EQ(model.Colour(), kIdentifyNoDeviceColour);
}

TEST(IdentifyPageRealDrive, Samsung870Qvo) {
  const std::vector<std::uint8_t> bytes = ReadSample("samsung_SSD_870_QVO_4TB.identify.bin");
  if (bytes.size() != 512) GTEST_SKIP() << "real-drive sample not found";
  TIdentifyData data;
  data.Load(bytes);
  TIdentifyPageModel model;
  model.ShowDevice(data, 0x3366CC);

  const auto rows = model.Rows();
  const auto rowOf = [&](std::uint32_t tag) {
    return static_cast<int>(std::find(rows.begin(), rows.end(), tag) - rows.begin());
  };
  const std::string serial = data.SerialNumber();
  ASSERT_FALSE(serial.empty());
  EXPECT_EQ(model.CopyText(rowOf(IdentifyGroupTag(GroupOfWord(10)))), "[10-19] 序號: \"" + serial + "\"");
  EXPECT_EQ(model.CopyText(rowOf(IdentifyGroupTag(GroupOfWord(27)))),
            "[27-46] 型號: \"Samsung SSD 870 QVO 4TB\"");
  EXPECT_EQ(model.CopyText(rowOf(FieldTag(76, 8))), "[08] 支援 NCQ 功能集: 1");

  // Every row of a real block has a copy text and draws its label.
  const TPixelsPerInch scaler(96, 96);
  const TIdentifyMetrics metrics{4, 3, 48, 46, 25, 19};
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    ASSERT_FALSE(model.CopyText(r).empty()) << r;
    const TIdentifyRowPaint p = model.Paint(r, {0, 0, 500, 19}, false, {}, metrics, scaler);
    const std::string_view label = IdentifyRowLabel(rows[r]);
    ASSERT_TRUE(std::any_of(p.texts.begin(), p.texts.end(), [&](const auto& t) { return t.text == label; })) << r;
  }
}

}  // namespace
}  // namespace vexa
