// Win32Machine where Wine answers as Windows does: the shared contract, the counter,
// the version queries and the volume queries of the system drive.
#include "platform/win32/Win32Machine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/MachineContract.h"

namespace vexa {
namespace {

TEST(Win32Machine, KeepsTheMachineContract) {
  Win32Machine machine;
  test::CheckMachineContract(machine);
}

TEST(Win32Machine, VersionsCounterAndSystemDrive) {
  Win32Machine machine;
  const TOsVersion trueVersion = machine.TrueOsVersion();
  const TOsVersion classic = machine.ClassicOsVersion();
  EXPECT_GE(trueVersion.major, classic.major);
  const std::int64_t start = machine.Counter();
  Sleep(20);
  const double seconds = static_cast<double>(machine.Counter() - start) / static_cast<double>(machine.CounterFrequency());
  EXPECT_GT(seconds, 0.01);
  EXPECT_LT(seconds, 5.0);

  ASSERT_TRUE(machine.LogicalDriveMask() & (1u << 2)) << "no C: drive";
  const TVolumeInformation c = machine.VolumeInformation("C:\\");
  ASSERT_TRUE(c.ok) << c.error;
  EXPECT_FALSE(c.fileSystem.empty());
  const std::optional<TDiskFreeBytes> bytes = machine.DiskFreeBytes("C:\\");
  ASSERT_TRUE(bytes);
  EXPECT_GE(bytes->totalBytes, bytes->freeBytesForCaller);
  EXPECT_NE(machine.FileAttributes("C:\\") & 0x10, 0u);  // a directory
  EXPECT_TRUE(machine.DosDeviceName("C:"));
}

}  // namespace
}  // namespace vexa
