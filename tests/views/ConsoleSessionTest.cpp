// The program without its window: the objects and modules it builds, settings
// assigned from their file form, the rescan and the selection road, shutdown, and
// recorded drives that fail at every step.
#include "views/ConsoleSession.h"

#include <gtest/gtest.h>

#include "device/DeviceManager.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"
#include "views/IdentifyTab.h"
#include "views/PartitionsTab.h"
#include "views/SessionHarness.h"
#include "views/SmartTab.h"
#include "views/SystemTab.h"

namespace vexa {
namespace {

using ConsoleSessionTest = SessionHarness;

TEST_F(ConsoleSessionTest, BuildsTheWindowsObjectsAndModulesInOrder) {
  TConsoleSession& s = Open("desktop-ssd-hdd.machine");
  EXPECT_EQ(App().machine, machine.get());
  EXPECT_EQ(App().core, &s.Core());
  EXPECT_EQ(App().tabs, &s.Tabs());
  ASSERT_EQ(s.Tabs().Count(), 4);
  EXPECT_EQ(s.Tabs().Tab(0)->ClassName(), "TSystemTab");
  EXPECT_EQ(s.Tabs().Tab(1)->Caption(), "S.M.A.R.T.");
  EXPECT_EQ(s.Tabs().Tab(2)->Caption(), "分區");
  EXPECT_EQ(s.Tabs().Tab(3)->Caption(), "識別");
  // Not started: nothing is probed until the rescan.
  EXPECT_EQ(s.DeviceCount(), 0);
  EXPECT_EQ(s.SmartModule().Model().Rows().size(), 0u);
  session.reset();
  EXPECT_EQ(App().machine, nullptr);
  EXPECT_EQ(App().status, nullptr);
}

TEST_F(ConsoleSessionTest, RescanSelectsTheFirstDeviceAndSelectFollowsTheIndex) {
  TConsoleSession& s = Run("desktop-ssd-hdd.machine");
  ASSERT_EQ(s.DeviceCount(), 3);
  EXPECT_EQ(s.Status().Entry(0).value, "Samsung SSD 840 PRO Series");
  EXPECT_EQ(s.Status().Entry(12).value, "狀態:OK");
  EXPECT_EQ(s.Status().Entry(20).value, "C:");
  EXPECT_EQ(s.Status().Entry(21).value, "2 / 4 (MBR)");
  EXPECT_EQ(s.Title(), "Vexa 16.09.09 beta - Samsung SSD 840 PRO");

  s.Select(1);
  EXPECT_EQ(s.Settings().deviceIndex->Value(), 1);
  EXPECT_EQ(s.Status().Entry(0).value, "WDC WD10EZEX-00BN5A0");
  EXPECT_EQ(s.Status().Entry(21).value, "2 (GPT)");
  EXPECT_EQ(s.Status().Entry(17).value, "2.7 MB (0.00%)");
  EXPECT_EQ(s.IdentifyModule().Model().Data(), &s.Devices().Device(1)->identify);
  EXPECT_EQ(s.Title(), "Vexa 16.09.09 beta");
  EXPECT_FALSE(s.Devices().Device(1)->IsOpen());
}

TEST_F(ConsoleSessionTest, SettingsFromTheirFileForm) {
  TConsoleSession& s = Open("desktop-ssd-hdd.machine");
  std::string error;
  const struct {
    std::string_view assignment, error;
  } refused[] = {
      {"system.enum_scsi", "\"system.enum_scsi\" is not SECTION.KEY=VALUE"},
      {"system.no_such_key=1", "there is no setting \"system.no_such_key\""},
      {"enum_scsi=1", "there is no setting \"enum_scsi\""},
      {"system.device_index=two", "the setting \"system.device_index\" takes an integer, not \"two\""},
      {"system.enum_scsi=true",
       "the setting \"system.enum_scsi\" takes 屬實 or 1 (true), false or 0 (false), not \"true\""},
  };
  for (const auto& c : refused) {
    EXPECT_FALSE(s.Set(c.assignment, error)) << c.assignment;
    EXPECT_EQ(error, c.error);
  }
  EXPECT_FALSE(s.Settings().enumScsi->Value());

  ASSERT_TRUE(s.Set("system.enum_scsi=屬實", error));
  ASSERT_TRUE(s.Set("system.enum_optical=0", error));
  ASSERT_TRUE(s.Set("tabs.smart.hex_id=1", error));
  ASSERT_TRUE(s.Set("tabs.identify.font=\"Courier New\" 9", error));
  EXPECT_EQ(s.IdentifyModule().FontDescription(), "\"Courier New\" 9");
  s.Start();
  s.Rescan();
  // Physical disks by number, then SCSI ports; optical drives are off.
  ASSERT_EQ(s.DeviceCount(), 3);
  EXPECT_EQ(s.Devices().Device(2)->path, "\\\\.\\Scsi0:");
  EXPECT_EQ(s.SmartModule().Model().Rows()[0].Cell(TSmartColumn::Id), "05");
}

TEST_F(ConsoleSessionTest, EveryKindDisabledListsNothing) {
  TConsoleSession& s = Open("laptop-sat.machine");
  std::string error;
  ASSERT_TRUE(s.Set("system.enum_physical=false", error));
  ASSERT_TRUE(s.Set("system.enum_optical=false", error));
  s.Start();
  s.Rescan();
  EXPECT_EQ(s.DeviceCount(), 0);
  EXPECT_EQ(s.Core().CurrentDevice(), nullptr);
  EXPECT_TRUE(s.SmartModule().Model().Rows().empty());
  EXPECT_EQ(s.IdentifyModule().Model().Data(), nullptr);
  EXPECT_EQ(s.Status().Entry(12).value, "");
}

// Every step a drive can fail: no answer at all; an absent number (the open fails);
// IDENTIFY with a hostile model string but no SMART data, geometry, length or
// layout; a size of all bits set; a SCSI port whose
// miniport fails; an optical drive without IDENTIFY; volumes without media.
constexpr std::string_view kFailingMachine = R"(vexa-machine 1
[device \\.\PhysicalDrive0]
answers number
[device \\.\PhysicalDrive2]
answers ata smart property number
fails geometry 21
fails length 1117
fails layout 1117
bus-type 25
identify
0040 0000 0000 0000 0000 0000 0000 0000 0000 0000 4241 4430 3030 3120 2020 2020
2020 2020 2020 2020 0000 0000 0000 4657 01fe 2020 2020 5645 5841 0958 1b5b 324a
7f51 c3a9 ff80 2053 5344 2020 2020 2020 2020 2020 2020 2020 2020 2020 2020 0000
0000 0f00 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 ffff 0fff 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 010e 0006 0000 0000
03f0 0110 0001 4400 4000 0000 0400 4000 0000 0000 0000 0000 0000 0000 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 4000 0000 0000 0000 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0001 0000 0000 0000 0000 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0001 0000 0000 0000 0000 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000
0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 cca5
end
[device \\.\PhysicalDrive4]
answers number geometry length layout property
size 0xFFFFFFFFFFFFFFFF
vendor "VEXA"
product "HUGE"
layout mbr signature 0x01020304
partition 1 start 1048576 length 0xFFFFFFFFFFE00000 type 0x07
[device \\.\Scsi0:]
kind scsi
fails miniport 1117
[device \\.\CdRom0]
fails ata 1117
[volume H:]
disk 4
partition 1
size 0xFFFFFFFFFFFFFFFF
free 0xFFFFFFFFFFFFFFFF
[volume I:]
disk 2
no-media
)";

TEST_F(ConsoleSessionTest, DrivesThatFailAtEveryStep) {
  TConsoleSession& s = OpenText(kFailingMachine);
  std::string error;
  ASSERT_TRUE(s.Set("system.enum_scsi=1", error));
  s.Start();
  s.Rescan();
  ASSERT_EQ(s.DeviceCount(), 5);  // PhysicalDrive1 and 3 do not open
  const TStatusProperties& status = s.Status();

  // Nothing answers: the record's name, no size, no SMART, no partition table.
  EXPECT_EQ(s.Devices().Device(0)->GetDisplayName(), "PhysicalDrive0");
  EXPECT_EQ(s.Devices().Device(0)->size, ~std::uint64_t{0});
  EXPECT_EQ(status.Entry(12).value, "不支援");
  EXPECT_EQ(status.Entry(16).value, "");
  EXPECT_EQ(status.Entry(17).value, "");
  EXPECT_EQ(status.Entry(21).value, "");
  EXPECT_TRUE(s.PartitionsModule().Model().PartitionRows().empty());

  // SMART is supported but cannot be read; the model keeps the drive's bytes as they are.
  s.Select(1);
  EXPECT_EQ(status.Entry(0).value, "VEXA\tX\x1b[2J\x7fQ\xc3\xa9\xff\x80 SSD");
  EXPECT_EQ(status.Entry(12).value, "查詢失敗");
  EXPECT_EQ(status.Entry(12).state, TStatusState::Warning);
  EXPECT_EQ(status.Entry(10).value, "Unknown (25) / SATA 3");
  EXPECT_EQ(status.Entry(20).value, "I:");
  ASSERT_EQ(s.PartitionsModule().Model().VolumeRows().size(), 1u);
  EXPECT_EQ(s.PartitionsModule().Model().VolumeRows()[0].subItems[2], "");  // no size: no percentage

  // All bits set: no unallocated space, no capacity, shares that stay within 0..100.
  s.Select(2);
  EXPECT_EQ(status.Entry(16).value, "");
  EXPECT_EQ(status.Entry(17).value, "無");
  EXPECT_EQ(status.Entry(21).value, "1 / 4 (MBR)");
  const auto& partitions = s.PartitionsModule().Model().PartitionRows();
  ASSERT_EQ(partitions.size(), 4u);
  EXPECT_EQ(partitions[0].subItems[0], "16,384.0000 PB");
  EXPECT_EQ(partitions[0].subItems[4], "100.000");
  EXPECT_EQ(s.PartitionsModule().Model().VolumeRows()[0].subItems[2], "100.0");

  // A SCSI port without IDENTIFY has a size of 0 sectors; an optical drive without
  // IDENTIFY is known by its name.
  s.Select(3);
  EXPECT_EQ(status.Entry(10).value, "SCSI");
  EXPECT_EQ(status.Entry(16).extraDescription, "\r\n- 未格式化: 0 字節\r\n- 總容量:   0.00 GB");
  s.Select(4);
  EXPECT_EQ(s.Devices().Device(4)->GetDisplayName(), "CdRom0");
  EXPECT_EQ(status.Entry(22).value, "未報告");
}

}  // namespace
}  // namespace vexa
