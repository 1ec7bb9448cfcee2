// A machine written as a machine file reads back as the same machine, for every
// sample and test machine: the replay of the written file answers every console
// command as the original does.
#include "platform/MachineFileWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ReplayMachine.h"
#include "support/Paths.h"
#include "shell/StatusProperties.h"
#include "views/ConsoleSession.h"

namespace vexa {
namespace {

TMachineFile Sample(const std::string& name) { return ReadMachineFile(std::string(VEXA_SAMPLES_DIR) + "/" + name); }

// Everything the console road shows of every device, as one text.
std::string Shown(TMachineFile file) {
  ReplayMachine machine(std::move(file));
  TConsoleSession session(machine);
  std::string error;
  session.Set("system.enum_scsi=1", error);
  session.Start();
  session.Rescan();
  std::string text = std::to_string(session.DeviceCount());
  for (int i = 0; i < session.DeviceCount(); ++i) {
    session.Select(i);
    text += "\n" + session.Title();
    for (int p = 0; p < TStatusProperties::kCount; ++p) {
      text += "\n" + session.Status().Entry(p).value + "|" + session.Status().Entry(p).extraDescription;
    }
  }
  return text;
}

TEST(MachineFileWriter, SamplesReadBackAsTheSameMachine) {
  for (const char* name : {"desktop-ssd-hdd.machine", "laptop-sat.machine", "nvme-desktop.machine"}) {
    SCOPED_TRACE(name);
    const TMachineFile original = Sample(name);
    const std::string written = WriteMachineFile(original, "written by a test\nsecond line");
    const TMachineFile reread = ParseMachineFile(written, "written.machine");
    EXPECT_EQ(WriteMachineFile(reread, "written by a test\nsecond line"), written);
    EXPECT_EQ(Shown(reread), Shown(original));
  }
}

TEST(MachineFileWriter, TextsThatALineCannotHold) {
  TMachineFile machine = ParseMachineFile("vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\n", "t.machine");
  machine.devices[0].descriptor.vendor = "a \"quoted\" \\ back\nslash";
  machine.devices[0].descriptor.product = "bad \xFF\x80 bytes";
  const TMachineFile reread = ParseMachineFile(WriteMachineFile(machine), "t.machine");
  EXPECT_EQ(reread.devices[0].descriptor.vendor, "a \"quoted\" \\ back\nslash");
  EXPECT_EQ(reread.devices[0].descriptor.product, "bad \xFF\x80 bytes");
  EXPECT_EQ(reread.devices[0].descriptor.serial, "");
}

// The pacing is the file's own wish, kept when written; a file without it gains nothing.
TEST(MachineFileWriter, WallClockPacingIsWrittenOnlyWhenAsked) {
  const TMachineFile machine = ParseMachineFile(
      "vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\nread-model access-us 9000 rate-mb 150 wall-clock yes\n"
      "[device \\\\.\\PhysicalDrive1]\nread-model access-us 9000 rate-mb 150 wall-clock no\n",
      "t.machine");
  const std::string written = WriteMachineFile(machine);
  EXPECT_NE(written.find("read-model access-us 9000 rate-mb 150 channels 1 wall-clock yes\n"), std::string::npos);
  EXPECT_NE(written.find("read-model access-us 9000 rate-mb 150 channels 1\n"), std::string::npos);
  const TMachineFile reread = ParseMachineFile(written, "t.machine");
  EXPECT_TRUE(reread.devices[0].readModel.wallClock);
  EXPECT_FALSE(reread.devices[1].readModel.wallClock);
}

}  // namespace
}  // namespace vexa
