// The Decoder page's lines (spacers, headers in decoder order, rows, the no-match
// header), its caption, copied texts, value colours, margins and brushes.
#include "views/DecoderPageModel.h"

#include <gtest/gtest.h>

#include "knowledge/decoders/ModelDecoder.h"
#include "knowledge/decoders/ModelDecoders.h"

namespace vexa {
namespace {

using K = TDecoderLineKind;

std::vector<K> Kinds(const TDecoderPageModel& model) {
  std::vector<K> kinds;
  for (const TDecoderLine& line : model.Lines()) kinds.push_back(line.kind);
  return kinds;
}

TEST(DecoderPageModel, LinesCaptionAndCopy) {
  const auto decoders = CreateModelDecoders();
  TDecoderPageModel model;
  EXPECT_EQ(model.Caption(), "解碼器 (0)");

  // Two vendors' codes in one string: both sections, in the decoders' order.
  EXPECT_EQ(model.ShowDevice("ST2000DM001 SSDSC2BW240A4", "Disk", decoders), 2);
  EXPECT_EQ(model.Caption(), "解碼器 (2)");
  const std::vector<TDecoderLine>& lines = model.Lines();
  ASSERT_GT(lines.size(), 4u);
  EXPECT_EQ(lines.front().kind, K::Spacer);
  EXPECT_EQ(lines.back().kind, K::Spacer);
  EXPECT_EQ(lines[1].kind, K::Header);
  EXPECT_EQ(lines[1].left, "Intel SSD");
  EXPECT_EQ(lines[1].right, "SSDSC2BW240A4");
  EXPECT_EQ(lines[2].kind, K::Row);
  EXPECT_EQ(lines[2].capture, "SSD");
  EXPECT_EQ(model.CopyText(1), "SSDSC2BW240A4: Intel SSD");
  EXPECT_EQ(model.CopyText(2), lines[2].label + ": SSD = " + lines[2].value);
  EXPECT_EQ(model.CopyText(0), "");
  EXPECT_EQ(model.CopyText(-1), "");
  EXPECT_EQ(model.CopyText(static_cast<int>(lines.size())), "");
  int headers = 0;
  for (const TDecoderLine& line : lines) headers += line.kind == K::Header;
  EXPECT_EQ(headers, 2);
  // The texts the list keeps: every drawn text of a line, left to right.
  EXPECT_EQ(model.LineText(0), "");
  EXPECT_EQ(model.LineText(1), "Intel SSD\tSSDSC2BW240A4");
  EXPECT_EQ(model.LineText(2), "SSD\t" + lines[2].label + "\t" + lines[2].value);
  EXPECT_EQ(model.LineText(static_cast<int>(lines.size())), "");

  // Nothing matches: one header naming the drive between the spacers; nothing to copy.
  EXPECT_EQ(model.ShowDevice("Vexatek Flash Disk", "Vexatek Flash Disk", decoders), 0);
  EXPECT_EQ(Kinds(model), (std::vector<K>{K::Spacer, K::NoMatch, K::Spacer}));
  EXPECT_EQ(model.Lines()[1].left, "沒有符合的解碼器");
  EXPECT_EQ(model.Lines()[1].right, "Vexatek Flash Disk");
  EXPECT_EQ(model.CopyText(1), "");
  EXPECT_EQ(model.LineText(1), "沒有符合的解碼器\tVexatek Flash Disk");

  model.ShowNoDevice();
  EXPECT_TRUE(model.Lines().empty());
  EXPECT_EQ(model.Caption(), "解碼器 (0)");
}

TEST(DecoderPageModel, Painting) {
  TDecoderLine row{K::Row, nullptr, 0, {}, {}, "X", "label", "<未知>"};
  EXPECT_EQ(DecoderValueColour(row, false), kDecoderPlaceholderColour);
  EXPECT_EQ(DecoderValueColour(row, true), kDecoderTextColour);
  row.capture.clear();
  EXPECT_EQ(DecoderValueColour(row, false), kDecoderEmptyCaptureColour);
  row.value = "SATA";
  EXPECT_EQ(DecoderValueColour(row, false), kDecoderTextColour);

  EXPECT_EQ(DecoderMargin(640, 700), 40);    // narrow: a sixteenth
  EXPECT_EQ(DecoderMargin(1500, 700), 400);  // wide: a centred column
  EXPECT_EQ(DecoderMargin(800, 700), 50);    // where the two rules meet

  const TDecoderColours colours = DecoderColours(0x808080, 0x44AA44);
  EXPECT_EQ(colours.background, 0x808080u);
  EXPECT_EQ(colours.separator, Blend(0x808080, 0, 16));
  EXPECT_EQ(colours.selected, Blend(0x44AA44, 0x808080, 144));
  EXPECT_EQ(colours.header, Blend(0x44AA44, 0, 160));
}

}  // namespace
}  // namespace vexa
