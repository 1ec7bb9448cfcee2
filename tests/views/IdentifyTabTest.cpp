// The Identify module through the tab manager: the block and colour of the chosen
// drive, the font setting, catch-up, and the block of a record deleted from the list.
#include "views/IdentifyTab.h"

#include <gtest/gtest.h>

#include "device/DeviceManager.h"
#include "shell/EasyConfig.h"
#include "shell/Tabs.h"
#include "views/SessionHarness.h"

namespace vexa {
namespace {

class TRecordingIdentifyTab : public TIdentifyTab {
public:
  using TIdentifyTab::TIdentifyTab;
  std::vector<const TIdentifyData*> shown;  // the block at each ModelChanged
  std::vector<std::string> fonts;

protected:
  void ModelChanged() override { shown.push_back(Model().Data()); }
  void FontChanged(std::string_view description) override { fonts.emplace_back(description); }
};

using IdentifyTabTest = SessionHarness;

TEST_F(IdentifyTabTest, ShowsTheChosenBlockInTheDrivesColour) {
  TConsoleSession& s = Run("desktop-ssd-hdd.machine");
  const TIdentifyTab& identify = s.IdentifyModule();
  EXPECT_EQ(identify.Caption(), "識別");
  EXPECT_EQ(identify.Model().Data(), &s.Devices().Device(0)->identify);
  EXPECT_EQ(identify.Model().Colour(), 0x44AA44u);
  // The serial group: "[10-19] 序號: "..."".
  const auto rows = identify.Model().Rows();
  int serialRow = -1;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (IsIdentifyGroupTag(rows[i]) && IdentifyWordGroups()[IdentifyTagGroup(rows[i])].word == 10)
      serialRow = static_cast<int>(i);
  ASSERT_GE(serialRow, 0);
  EXPECT_EQ(identify.CopyText(serialRow), "[10-19] 序號: \"S1ATNEAD604118K\"");
  s.Select(2);
  EXPECT_EQ(identify.Model().Colour(), 0xC0C020u);  // the optical drive
  s.Devices().Clear();
  EXPECT_EQ(identify.Model().Data(), nullptr);
  EXPECT_EQ(identify.Model().Colour(), kIdentifyNoDeviceColour);
  EXPECT_EQ(identify.CopyText(serialRow), "");
}

TEST_F(IdentifyTabTest, FontSettingAndCatchUp) {
  TConsoleSession& s = Run("desktop-ssd-hdd.machine");
  std::string error;
  ASSERT_TRUE(s.Set("tabs.identify.font=\"Lucida Console\" 8", error));
  auto* page = dynamic_cast<TRecordingIdentifyTab*>(s.Tabs().Add(TabClassOf<TRecordingIdentifyTab>()));
  ASSERT_NE(page, nullptr);
  // Caught up before the page's own hooks: the page reads the state instead.
  EXPECT_EQ(page->FontDescription(), "\"Lucida Console\" 8");
  EXPECT_EQ(page->Model().Data(), &s.Devices().Device(0)->identify);
  EXPECT_TRUE(page->fonts.empty());

  page->FontVariable()->SetValue("\"Verdana\" 7");
  EXPECT_EQ(page->fonts, std::vector<std::string>{"\"Verdana\" 7"});
  s.Settings().fontMain->SetValue("\"Georgia\" 14 b");
  EXPECT_EQ(page->fonts.size(), 1u);
}

TEST_F(IdentifyTabTest, DeletedRecordsBlockIsDroppedBeforeItIsFreed) {
  TConsoleSession& s = Run("desktop-ssd-hdd.machine");
  auto* page = dynamic_cast<TRecordingIdentifyTab*>(s.Tabs().Add(TabClassOf<TRecordingIdentifyTab>()));
  ASSERT_NE(page, nullptr);
  const TIdentifyData* second = &s.Devices().Device(1)->identify;
  // Inside an update the index is re-applied only at its end: until then the page
  // must not read the freed record's block.
  s.Devices().BeginUpdate();
  s.Devices().Delete(0);
  EXPECT_EQ(page->Model().Data(), nullptr);
  s.Devices().EndUpdate();
  EXPECT_EQ(page->shown, (std::vector<const TIdentifyData*>{nullptr, second}));
  // Deleting another record leaves the shown block alone.
  page->shown.clear();
  s.Devices().BeginUpdate();
  s.Devices().Delete(1);
  EXPECT_EQ(page->Model().Data(), second);
  s.Devices().EndUpdate();
}

}  // namespace
}  // namespace vexa
