// Status properties, scaling and font descriptions, and the main window's layout.
#include <gtest/gtest.h>

#include "shell/EasyConfig.h"
#include "shell/MainSettings.h"
#include "shell/PixelsPerInch.h"
#include "shell/StatusProperties.h"

namespace vexa {
namespace {

TEST(StatusProperties, NamesDescriptionsAndEvents) {
  TStatusProperties status;
  EXPECT_EQ(status.Entry(0).name, "裝置名稱");
  EXPECT_EQ(status.Entry(14).name, "POH");
  EXPECT_EQ(status.Entry(14).alternateName, "開機時間");
  EXPECT_EQ(status.Entry(22).name, "速率");
  EXPECT_EQ(status.Entry(5).description,
            "NAND 晶片的存儲元件級別\r\nSLC: 單級元件 (1 位/元件)\r\nMLC: 多級元件 (2 位/元件)\r\nTLC: 三級元件 (3 位/元件)");
  EXPECT_EQ(status.Entry(9).description.find("此裝置支援的功能\r\nAPM\t進階電源管理\r\n"), 0u);
  EXPECT_EQ(status.Entry(128 + 1).name, "韌體");  // seven-bit index
  EXPECT_EQ(status.Entry(100).name, "");          // beyond the table: empty, never out of bounds

  std::vector<int> changed;
  status.onChange = [&](int index) { changed.push_back(index); };
  status.Set(13, "40 °C", TStatusState::Good);
  status.AppendDescription(13, "line");
  EXPECT_EQ(status.Entry(13).extraDescription, "\r\nline");
  EXPECT_EQ(changed, std::vector<int>{13});
  status.Clear();
  EXPECT_EQ(changed.size(), 24u);
  EXPECT_EQ(status.Entry(13).value, "");
  EXPECT_EQ(status.Entry(13).state, TStatusState::Plain);

  TStatusProperties fromResources([](int id) -> std::optional<std::string> {
    if (id == 256) return "first";
    return std::nullopt;
  });
  EXPECT_EQ(fromResources.Entry(0).description, "first");
  EXPECT_EQ(fromResources.Entry(1).description, "Error");
}

TEST(PixelsPerInch, ScaleAndFonts) {
  EXPECT_EQ(TPixelsPerInch(144, 0).Scale(4), 6);
  EXPECT_EQ(TPixelsPerInch(144, 0).Scale(0), 0);
  EXPECT_EQ(TPixelsPerInch(96, 0).Scale(416), 416);
  EXPECT_EQ(TPixelsPerInch(120, 0).Scale(5), 6);  // 6.25 rounds to 6
  EXPECT_EQ(TPixelsPerInch(96, 144).Scale(-3), -5);

  const TPixelsPerInch scaler(96, 0);
  const TFontSpec icon{-12, 400, false, false, false, "Segoe UI"};
  EXPECT_EQ(scaler.ParseFont("", &icon), icon);
  EXPECT_EQ(scaler.ParseFont("b \"Arial Black\" 12", &icon), (TFontSpec{-16, 700, false, false, false, "Arial Black"}));
  EXPECT_EQ(scaler.ParseFont("\"Courier New\" 10", nullptr), (TFontSpec{-13, 400, false, false, false, "Courier New"}));
  EXPECT_EQ(scaler.ParseFont("", nullptr).face, "Tahoma");
  EXPECT_EQ(scaler.ParseFont("", nullptr).height, -10);
  // A face of four letters or fewer that starts with a style letter is taken as style letters.
  EXPECT_EQ(scaler.ParseFont("sans", &icon), (TFontSpec{-12, 400, false, false, true, "Segoe UI"}));
  EXPECT_EQ(scaler.ParseFont("Verdana,7;iu", &icon), (TFontSpec{-9, 400, true, true, false, "Verdana"}));
  EXPECT_EQ(scaler.ParseFont("12x", &icon).height, -10);  // not an integer: 8 points
  EXPECT_EQ(scaler.ParseFont("99999999999", &icon).height, -10);
  EXPECT_EQ(scaler.ParseFont(std::string(40, 'F'), &icon).face.size(), 31u);
  EXPECT_EQ(scaler.ParseFont("\"unterminated face", &icon).face, "unterminated face");
  // A screen at 120 with a target of 96 rescales the base height.
  EXPECT_EQ(TPixelsPerInch(120, 96).ParseFont("", &icon).height, -9);  // -12 * 72 / 120 * 96 / 72
}

TEST(MainLayout, DesignSizeAt96And144) {
  const TMainLayout layout = ComputeMainLayout(TPixelsPerInch(96, 0));
  EXPECT_EQ(layout.clientWidth, 416);
  EXPECT_EQ(layout.clientHeight, 406);
  EXPECT_EQ(layout.pageControl, (TRect{4, 4, 408, 406 - 24 - 12 - 1}));
  EXPECT_EQ(layout.rescanButton, (TRect{4, 378, 26, 24}));
  EXPECT_EQ(layout.deviceSelector, (TRect{34, 378, 416 - 64 - 16 - 26 - 1, 24}));
  EXPECT_EQ(layout.exitButton, (TRect{348, 378, 64, 24}));
  EXPECT_EQ(ComputeMainLayout(TPixelsPerInch(144, 0)).clientWidth, 624);
}

}  // namespace
}  // namespace vexa
