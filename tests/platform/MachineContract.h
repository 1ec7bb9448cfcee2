// What every Machine promises, checked the same way against each implementation
// that can run here: the replay machine natively, Win32Machine under Wine.
#pragma once

#include <gtest/gtest.h>

#include <array>

#include "platform/Machine.h"

namespace vexa::test {

inline void CheckMachineContract(Machine& machine) {
  // Time runs forward at a known rate.
  EXPECT_GT(machine.CounterFrequency(), 0);
  const std::int64_t before = machine.Counter();
  EXPECT_GE(machine.Counter(), before);
  const TCalendarTime now = machine.LocalTime();
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.hour, 23);
  EXPECT_TRUE(machine.LocalToUtc({2014, 6, 14, 12, 0, 0, 0}));
  EXPECT_FALSE(machine.LocalToUtc({2014, 2, 30, 12, 0, 0, 0}));
  for (int i = 0; i < 20; ++i) {
    const double value = machine.Random();
    EXPECT_GE(value, 0.0);
    EXPECT_LT(value, 1.0);
  }
  EXPECT_GT(machine.TrueOsVersion().major, 0u);

  // Failures answer through results, and the invalid values are harmless.
  EXPECT_EQ(machine.Open("\\\\.\\VexaNoSuchDevice7", {}), kInvalidHandle);
  std::array<std::uint8_t, 8> reply{};
  const TIoResult control = machine.Control(kInvalidHandle, 0x7405C, {}, reply);
  EXPECT_FALSE(control.ok);
  EXPECT_NE(control.error, 0u);
  EXPECT_FALSE(machine.ErrorMessage(2).empty());
  machine.Close(kInvalidHandle);
  machine.FreeIoSlot(kNoIoSlot);
  EXPECT_EQ(machine.WaitIoSlots({}, false, 0).outcome, TWaitOutcome::Failed);
  const TIoSlot slot = machine.CreateIoSlot();
  EXPECT_NE(slot, kNoIoSlot);
  const TIoSlot slots[] = {slot};
  EXPECT_EQ(machine.WaitIoSlots(slots, false, 0).outcome, TWaitOutcome::TimedOut);
  machine.FreeIoSlot(slot);

  // The drive strings are the letters of the mask; a missing letter has no volume.
  const std::uint32_t mask = machine.LogicalDriveMask();
  std::size_t letters = 0;
  int missing = -1;
  for (int i = 0; i < 26; ++i) {
    if (mask & (1u << i)) {
      ++letters;
    } else if (missing < 0 && i >= 2) {
      missing = i;
    }
  }
  EXPECT_EQ(machine.LogicalDriveStrings().size(), letters);
  if (missing >= 0) {
    const std::string root = std::string(1, static_cast<char>('A' + missing)) + ":\\";
    const TVolumeInformation information = machine.VolumeInformation(root);
    EXPECT_FALSE(information.ok);
    EXPECT_NE(information.error, 0u);
    EXPECT_FALSE(machine.DiskFreeBytes(root));
    EXPECT_EQ(machine.FileAttributes(root), kInvalidFileAttributes);
  }
}

}  // namespace vexa::test
