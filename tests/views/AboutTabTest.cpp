// The About page's layout rules: scaled positions, negative ones from the far
// edges with their anchors, the two boxes, label colours, and a link that cannot
// be opened.
#include "views/AboutTab.h"

#include <gtest/gtest.h>

#include "shell/PixelsPerInch.h"
#include "shell/Shared.h"

namespace vexa {
namespace {

TEST(AboutLayout, PlacementBoxesAndColours) {
  const TPixelsPerInch scaler(144, 144);  // 150 %
  const auto items = AboutBoxItems();
  ASSERT_EQ(items.size(), 12u);
  const TAboutPlacement icon = PlaceAboutItem(items[0], 600, 200, scaler);
  EXPECT_EQ(icon.bounds, (TRect{24, 36, 0, 0}));
  EXPECT_FALSE(icon.anchorRight || icon.anchorBottom);
  const TAboutPlacement readme = PlaceAboutItem(items[10], 600, 200, scaler);  // -85, -60, 74 x 22
  EXPECT_EQ(readme.bounds, (TRect{600 - 128, 200 - 90, 111, 33}));
  EXPECT_TRUE(readme.anchorRight && readme.anchorBottom);

  const TAboutBoxes boxes = AboutBoxes(640, 480, scaler);
  EXPECT_EQ(boxes.about, (TRect{9, 4, 622, 207}));
  EXPECT_EQ(boxes.licence, (TRect{9, 4 + 207 + 9 - 2, 622, 480 - 218 - 9 - 1}));

  EXPECT_EQ(AboutLabelColour(items[5], 0), items[5].colour);  // the dark title
  EXPECT_EQ(AboutLabelColour(items[7], 0), std::nullopt);     // plain text
  TAboutItem link = items[7];
  link.link = "readme.txt";
  EXPECT_EQ(AboutLabelColour(link, 0), kAboutLinkColour);
  link.colour = 0x123456;
  EXPECT_EQ(AboutLabelColour(link, 0x123456), std::nullopt);  // the window-text colour is the default
  EXPECT_EQ(AboutReleaseLine("2016年9月9日"), "發佈 2016年9月9日");
}

TEST(AboutLayout, LinkThatCannotBeOpenedIsSaid) {
  std::string shown;
  SetMessageSink([&](std::string_view text, std::uint32_t) {
    shown = text;
    return kAnswerOk;
  });
  TAboutTab page(nullptr);
  EXPECT_FALSE(page.OpenLink("changelog.txt"));  // nothing can open files here
  EXPECT_EQ(shown, "執行失敗 \"changelog.txt\".\r\n\r\n連結或檔案類型可能未關聯.");
  SetMessageSink({});
}

}  // namespace
}  // namespace vexa
