// The Partitions module through the tab manager: the volume scan after each device
// scan with the page's icons, the lines and status properties of the chosen drive,
// and catch-up, which opens the closed current drive for its layout.
#include "views/PartitionsTab.h"

#include <gtest/gtest.h>

#include "device/DeviceManager.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"
#include "views/SessionHarness.h"

namespace vexa {
namespace {

class TRecordingPartitionsTab : public TPartitionsTab {
public:
  using TPartitionsTab::TPartitionsTab;
  std::vector<std::string> calls;

protected:
  void ModelChanged() override { calls.push_back("lists"); }
  void DropVolumeIcons() override { calls.push_back("drop icons"); }
  std::int32_t AddVolumeIcon(const std::string& root) override {
    calls.push_back("icon " + root);
    return static_cast<std::int32_t>(calls.size());
  }
};

using PartitionsTabTest = SessionHarness;

TEST_F(PartitionsTabTest, CatchUpScansVolumesAndReadsTheClosedDrivesLayout) {
  TConsoleSession& s = Run("desktop-ssd-hdd.machine");
  auto* page = dynamic_cast<TRecordingPartitionsTab*>(s.Tabs().Add(TabClassOf<TRecordingPartitionsTab>()));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Caption(), "分區");
  // The constructor's scan ran before the page's hooks: no icons yet.
  ASSERT_EQ(page->Model().Volumes().size(), 3u);
  EXPECT_EQ(page->Model().Volumes()[0].iconIndex, -1);
  EXPECT_EQ(page->Model().PartitionRows().size(), 5u);  // four MBR slots and the unallocated space
  EXPECT_FALSE(s.Devices().Device(0)->IsOpen());

  page->RescanVolumes();
  EXPECT_EQ(page->calls, (std::vector<std::string>{"drop icons", "icon C:\\", "icon D:\\", "icon E:\\"}));
  EXPECT_EQ(page->Model().Volumes()[1].iconIndex, 3);
}

TEST_F(PartitionsTabTest, DeviceScanRescansVolumesThenTheSelectionListsLines) {
  TConsoleSession& s = Run("laptop-sat.machine");
  auto* page = dynamic_cast<TRecordingPartitionsTab*>(s.Tabs().Add(TabClassOf<TRecordingPartitionsTab>()));
  ASSERT_NE(page, nullptr);
  s.Rescan();
  EXPECT_EQ(page->calls, (std::vector<std::string>{"lists", "drop icons", "icon C:\\", "icon F:\\", "icon G:\\",
                                                   "lists"}));
}

TEST_F(PartitionsTabTest, LinesAndStatusFollowTheChosenDrive) {
  TConsoleSession& s = Run("laptop-sat.machine");
  const TPartitionsTab* page = &s.PartitionsModule();
  s.Select(2);
  ASSERT_EQ(page->Model().VolumeRows().size(), 1u);
  EXPECT_EQ(page->Model().VolumeRows()[0].caption, "VEXA16 (G:)");
  EXPECT_EQ(s.Status().Entry(20).value, "G:");
  EXPECT_EQ(s.Status().Entry(21).value, "1 / 4 (MBR)");
  EXPECT_EQ(s.Status().Entry(17).value, "無");  // the partition ends where the drive does
  EXPECT_EQ(s.Status().Entry(21).extraDescription, "\r\n-- MBR 簽名: 0x2A11F0");

  s.Select(0);
  EXPECT_EQ(s.Status().Entry(21).value, "4 (GPT)");
  EXPECT_EQ(page->Model().VolumeRowForPartition(3), 0);  // partition 4 holds C:

  s.Devices().Clear();
  EXPECT_TRUE(page->Model().VolumeRows().empty());
  EXPECT_TRUE(page->Model().PartitionRows().empty());
}

}  // namespace
}  // namespace vexa
