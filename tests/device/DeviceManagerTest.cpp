// Device records and the device list over recorded machines: enumeration order,
// identity from IDENTIFY or the platform's descriptor, kinds and colours,
// sizes, SMART reads, ownership, and that nothing but reads reaches a drive.
#include "device/DeviceManager.h"

#include <gtest/gtest.h>

#include "platform/ReplayMachine.h"
#include "support/Error.h"

namespace vexa {
namespace {

std::unique_ptr<ReplayMachine> Sample(const char* name) {
  return ReplayMachine::FromFile(std::string(VEXA_SAMPLES_DIR) + "/" + name);
}

TEST(DeviceManager, EnumeratesEachKindInOrder) {
  auto machine = Sample("desktop-ssd-hdd.machine");
  TDeviceManager devices(*machine);
  std::vector<std::pair<TListChange, int>> changes;
  devices.onChange = [&](TListChange code, int index, TDeviceInfo*) { changes.emplace_back(code, index); };
  EXPECT_EQ(devices.Enumerate(DeviceKindPhysical(), 0, 256), 2);
  EXPECT_EQ(devices.Enumerate(DeviceKindScsi(), 0, 256), 1);
  EXPECT_EQ(devices.Enumerate(DeviceKindOptical(), 0, 256), 1);
  ASSERT_EQ(devices.Count(), 4);
  EXPECT_EQ(changes.size(), 4u);
  EXPECT_EQ(devices.Device(0)->path, "\\\\.\\PhysicalDrive0");
  EXPECT_EQ(devices.Device(2)->path, "\\\\.\\Scsi0:");
  EXPECT_EQ(devices.Device(3)->path, "\\\\.\\CdRom0");
  for (int i = 0; i < devices.Count(); ++i) EXPECT_FALSE(devices.Device(i)->IsOpen()) << i;  // closed between uses

  const TDeviceInfo& ssd = *devices.Device(0);
  EXPECT_TRUE(ssd.HasFeature(DriveFeature::SolidState));
  EXPECT_TRUE(ssd.HasFeature(DriveFeature::Smart));
  EXPECT_EQ(ssd.GetKindName(), "SSD");
  EXPECT_EQ(ssd.GetColor(), 0x44AA44u);
  EXPECT_EQ(ssd.GetDisplayName(), ssd.model);
  EXPECT_NE(ssd.size, kUnknownSize);
  ASSERT_NE(ssd.smartDescriptor, nullptr);
  EXPECT_EQ(ssd.smartDescriptor->Attributes(), &ssd.smartAttributes);

  const TDeviceInfo& hdd = *devices.Device(1);
  EXPECT_EQ(hdd.GetKindName(), "HDD");
  EXPECT_EQ(hdd.GetColor(), 0x00A5FFu);
  EXPECT_EQ(hdd.logicalSectorsPerPhysical, 8);

  const TDeviceInfo& port = *devices.Device(2);
  EXPECT_EQ(port.model, ssd.model);  // the same SSD through its port
  EXPECT_EQ(port.busType, kBusTypeScsi);
  EXPECT_EQ(port.size, std::uint64_t{ssd.identify.DWordValue(IdentifyLba48SectorCount)} * 512);

  const TDeviceInfo& optical = *devices.Device(3);
  EXPECT_EQ(optical.GetKindName(), "光學");
  EXPECT_EQ(optical.GetColor(), 0xC0C020u);
  EXPECT_EQ(optical.size, kUnknownSize);  // neither geometry nor length
  EXPECT_EQ(machine->RefusedCount(), 0u);
}

TEST(DeviceManager, SmartIsReadOnRefreshOnly) {
  auto machine = Sample("desktop-ssd-hdd.machine");
  TDeviceManager devices(*machine);
  devices.Enumerate(DeviceKindPhysical(), 0, 1);
  TDeviceInfo& ssd = *devices.Device(0);
  EXPECT_EQ(ssd.smartAttributes.Count(), 0u);
  EXPECT_FALSE(ssd.Refresh());  // closed: nothing is read
  ASSERT_TRUE(ssd.Open());
  EXPECT_TRUE(ssd.Refresh());
  ssd.Close();
  EXPECT_EQ(ssd.smartAttributes.Count(), 14u);
  EXPECT_NE(ssd.smartDescriptor->FindKeyAttribute(TSmartKeyKind::Temperature).Id(), 0);
  EXPECT_EQ(machine->RefusedCount(), 0u);
}

TEST(DeviceManager, FailedThresholdsKeepTheAttributesWithThresholdsZero) {
  auto machine = Sample("laptop-sat.machine");
  TDeviceManager devices(*machine);
  devices.Enumerate(DeviceKindPhysical(), 1, 2);
  TDeviceInfo& ssd = *devices.Device(0);
  ASSERT_TRUE(ssd.Open());
  EXPECT_FALSE(ssd.Refresh());  // the read as a whole failed
  ssd.Close();
  ASSERT_EQ(ssd.smartAttributes.Count(), 22u);
  for (std::size_t i = 0; i < ssd.smartAttributes.Count(); ++i) {
    EXPECT_EQ(ssd.smartAttributes.ThresholdOf(ssd.smartAttributes.Entry(i).Id()), 0);
  }
}

TEST(DeviceManager, DescriptorNamesADriveThatRejectsIdentify) {
  auto machine = Sample("laptop-sat.machine");
  TDeviceManager devices(*machine);
  devices.Enumerate(DeviceKindPhysical(), 0, 256);
  ASSERT_GE(devices.Count(), 3);
  const TDeviceInfo* stick = nullptr;
  for (int i = 0; i < devices.Count(); ++i)
    if (!devices.Device(i)->identify.HasData()) stick = devices.Device(i);
  ASSERT_NE(stick, nullptr);
  EXPECT_FALSE(stick->model.empty());  // from the platform's descriptor
  EXPECT_EQ(stick->featureFlags, 0);
  EXPECT_EQ(stick->GetKindName(), "USB");
  EXPECT_EQ(stick->GetColor(), 0xCBC0FFu);
  EXPECT_EQ(machine->RefusedCount(), 0u);
}

TEST(DeviceManager, DeletingFreesExtractingDoesNot) {
  auto machine = Sample("desktop-ssd-hdd.machine");
  TDeviceManager devices(*machine);
  devices.Enumerate(DeviceKindPhysical(), 0, 256);
  TDeviceInfo* first = devices.Device(0);
  std::unique_ptr<TDeviceInfo> kept(devices.Extract(first));
  EXPECT_EQ(devices.Count(), 1);
  EXPECT_EQ(kept->number, 0);  // still alive: extraction hands it over
  int deleted = 0;
  devices.onChange = [&](TListChange code, int, TDeviceInfo*) { deleted += code == TListChange::Deleted; };
  devices.Clear();
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(devices.Count(), 0);
}

TEST(DeviceManager, EnumerationErrorsNameTheKind) {
  auto machine = Sample("desktop-ssd-hdd.machine");
  TDeviceManager devices(*machine);
  const TDeviceKind failing{"TDeviceInfoBroken", [](Machine&, int) -> std::unique_ptr<TDeviceInfo> {
                              throw EVexaError("no such kind");
                            }};
  try {
    devices.Enumerate(failing, 0, 3);
    FAIL();
  } catch (const EVexaError& error) {
    EXPECT_STREQ(error.what(), "裝置列舉類型 TDeviceInfoBroken 的導致錯誤.\r\n\r\n\"no such kind\"");
  }
}

}  // namespace
}  // namespace vexa
