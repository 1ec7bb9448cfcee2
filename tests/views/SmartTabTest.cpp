// The SMART module through the tab manager: rows and verdict per drive, the hooks a
// page overrides, the settings it follows, the remembered selection and catch-up.
#include "views/SmartTab.h"

#include <gtest/gtest.h>

#include "device/DeviceManager.h"
#include "shell/EasyConfig.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"
#include "views/SessionHarness.h"

namespace vexa {
namespace {

// A page as the window will write one: it only records what it is told.
class TRecordingSmartTab : public TSmartTab {
public:
  using TSmartTab::TSmartTab;
  int modelChanges = 0;
  std::vector<TSmartCellChange> cells;

protected:
  void ModelChanged() override { ++modelChanges; }
  void CellsChanged(const std::vector<TSmartCellChange>& changes) override {
    cells.insert(cells.end(), changes.begin(), changes.end());
  }
};

using SmartTabTest = SessionHarness;

TEST_F(SmartTabTest, VerdictOfEachKindOfDrive) {
  TConsoleSession& s = Run("laptop-sat.machine");
  const TSmartTab& smart = s.SmartModule();
  EXPECT_EQ(smart.Model().Rows().size(), 22u);
  EXPECT_EQ(s.Status().Entry(12).value, "狀態:OK");
  EXPECT_EQ(s.Status().Entry(12).state, TStatusState::Good);
  // SMART thresholds unreadable: the values stay listed with empty thresholds.
  s.Select(1);
  ASSERT_EQ(smart.Model().Rows().size(), 22u);
  for (const TSmartPageRow& row : smart.Model().Rows()) EXPECT_EQ(row.cells[5], "") << row.cells[0];
  EXPECT_EQ(s.Status().Entry(12).value, "狀態:OK");
  // A USB stick without IDENTIFY: no SMART at all.
  s.Select(2);
  EXPECT_EQ(s.Status().Entry(12).value, "不支援");
  EXPECT_EQ(s.Status().Entry(12).state, TStatusState::Plain);
}

TEST_F(SmartTabTest, PageHooksAndSettings) {
  TConsoleSession& s = Run("desktop-ssd-hdd.machine");
  auto* page = dynamic_cast<TRecordingSmartTab*>(s.Tabs().Add(TabClassOf<TRecordingSmartTab>()));
  ASSERT_NE(page, nullptr);
  // Caught up in its constructor, before its own hooks existed.
  EXPECT_EQ(page->modelChanges, 0);
  ASSERT_EQ(page->Model().Rows().size(), 14u);
  EXPECT_EQ(page->Caption(), "S.M.A.R.T.");
  // The second page shares the first one's settings variables.
  EXPECT_EQ(page->Settings().hexId, s.SmartModule().Settings().hexId);

  s.Select(1);
  EXPECT_EQ(page->modelChanges, 1);
  EXPECT_EQ(page->Model().Rows().size(), 17u);

  page->Settings().hexId->SetValue(true);
  ASSERT_EQ(page->cells.size(), 17u);
  EXPECT_EQ(page->cells[11], (TSmartCellChange{11, TSmartColumn::Id, "C2"}));
  page->cells.clear();
  page->Settings().hexRawValue->SetValue(false);
  EXPECT_EQ(page->Model().Rows()[5].Cell(TSmartColumn::RawValue), "9612");
  page->cells.clear();

  // The System module hears the unit first and flips the descriptor; the page then
  // rewrites the temperature cell from the same reading.
  s.Settings().fahrenheitTemp->SetValue(true);
  ASSERT_EQ(page->cells.size(), 1u);
  EXPECT_EQ(page->cells[0], (TSmartCellChange{11, TSmartColumn::Formatted, "95 °F"}));
  EXPECT_EQ(s.Status().Entry(13).value, "95 °F");

  // An unrelated setting changes no cell.
  page->cells.clear();
  s.Settings().stayOnTop->SetValue(true);
  EXPECT_TRUE(page->cells.empty());

  s.Devices().Clear();
  EXPECT_GT(page->modelChanges, 1);
  EXPECT_TRUE(page->Model().Rows().empty());
}

TEST_F(SmartTabTest, SelectedAttributeFollowsAcrossDrives) {
  TConsoleSession& s = Run("desktop-ssd-hdd.machine");
  TSmartTab& smart = s.SmartModule();
  EXPECT_EQ(smart.CopyText(), "");
  smart.SelectRow(1);  // power-on hours of the SSD
  EXPECT_EQ(smart.CopyText(), "開機時間 (POH): 213d 9h");
  s.Select(1);
  ASSERT_EQ(smart.Model().SelectedRow(), 5);
  EXPECT_EQ(smart.CopyText(), "開機時間 (POH): 400d 12h");
  smart.SelectRow(0);  // raw value 0: the name alone
  EXPECT_EQ(smart.CopyText(), "原始讀取錯誤率");
}

TEST_F(SmartTabTest, BuiltBeforeStartWaitsForTheBroadcasts) {
  TConsoleSession& s = Open("desktop-ssd-hdd.machine");
  auto* page = dynamic_cast<TRecordingSmartTab*>(s.Tabs().Add(TabClassOf<TRecordingSmartTab>()));
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->Model().Rows().empty());
  s.Start();
  s.Rescan();
  EXPECT_EQ(page->Model().Rows().size(), 14u);
  EXPECT_GE(page->modelChanges, 2);  // no device (the list is cleared), then the first drive
}

}  // namespace
}  // namespace vexa
