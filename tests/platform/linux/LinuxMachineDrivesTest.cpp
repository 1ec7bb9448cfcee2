// The Linux machine of a PC's drives, on a fake sysfs with a scripted kernel: the
// description answers what the drivers know, the kernel what the drive says; a
// request that could write reaches neither and is counted; a drive the kernel will
// not let this process command is named once and still described; a drive that is
// gone does not open; a failed command's message carries the kernel's answer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "device/IoControl.h"
#include "platform/StorageLayout.h"
#include "platform/linux/LinuxMachine.h"
#include "support/Bytes.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;
namespace st = storage;

struct TScriptedKernel final : TLinuxKernel {
  TSgReply reply;
  int calls = 0;
  TSgReply SgIo(int, const TSgRequest&, std::span<std::uint8_t> data) override {
    ++calls;
    std::fill(data.begin(), data.end(), std::uint8_t{0x5A});
    return reply;
  }
  TNvmeAdminReply NvmeAdmin(int, const TNvmeAdminRequest&, std::span<std::uint8_t>) override {
    ++calls;
    return {};
  }
};

class LinuxMachineDrivesTest : public ::testing::Test {
protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("vexa-linuxdrives-" + std::to_string(::getpid()));
    fs::remove_all(root);
    // One SATA disk behind AHCI; its node is an ordinary file the machine can open.
    const fs::path device = root / "sys/devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0";
    Write(root / "sys/class/scsi_host/host0/proc_name", "ahci\n");
    Write(device / "model", "TEST DISK\n");
    const fs::path block = root / "sys/block/sda";
    Write(block / "size", "131072\n");
    Write(block / "dev", "8:0\n");
    fs::create_symlink(device, block / "device");
    Write(root / "dev/sda", std::string(4096, '\0'));
    Write(root / "mountinfo", "");
    roots.sys = (root / "sys").string();
    roots.dev = (root / "dev").string();
    roots.mountInfo = (root / "mountinfo").string();
  }
  void TearDown() override { fs::remove_all(root); }
  static void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  std::unique_ptr<LinuxMachine> Machine() { return LinuxMachine::OfThisPc(roots, &kernel); }

  fs::path root;
  TLinuxRoots roots;
  TScriptedKernel kernel;
};

// An IDENTIFY through ATA pass-through, or another ATA command in the same request.
std::array<std::uint8_t, st::ata::kSize + 512> AtaRequest(std::uint8_t command) {
  std::array<std::uint8_t, st::ata::kSize + 512> request{};
  const std::array<std::uint8_t, 8> taskFile{0, 1, 0, 0, 0, 0, command, 0};
  BuildAtaRequest(request, st::ata::kFlagDataIn | st::ata::kFlagDrdyRequired, 512, 5, taskFile);
  return request;
}

TEST_F(LinuxMachineDrivesTest, DescriptionAnswersWhatTheDriversKnowAndTheKernelWhatTheDriveSays) {
  auto machine = Machine();
  const THandle disk = machine->Open("\\\\.\\PHYSICALDRIVE0", {});
  ASSERT_NE(disk, kInvalidHandle);
  EXPECT_EQ(QueryLengthInfo(*machine, disk), 131072u * 512);
  EXPECT_EQ(kernel.calls, 0);

  // A drive command goes down once, and comes back with the drive's data.
  std::array<std::uint8_t, st::ata::kSize + 512> identify = AtaRequest(st::atacmd::kIdentifyDevice);
  kernel.reply.senseLength = 0;
  const TIoResult answered = machine->Control(disk, st::kIoctlAtaPassThrough, identify, identify);
  EXPECT_TRUE(answered.ok);
  EXPECT_EQ(kernel.calls, 1);
  EXPECT_EQ(identify[st::ata::kSize], 0x5A);
  EXPECT_EQ(machine->RefusedCount(), 0u);
  machine->Close(disk);
}

TEST_F(LinuxMachineDrivesTest, APortWithAnAtaDiskAnswersTheMiniportIdentifyFromIt) {
  auto machine = Machine();
  const THandle port = machine->Open("\\\\.\\Scsi0:", {});
  ASSERT_NE(port, kInvalidHandle);
  std::array<std::uint8_t, 512> identify{};
  ASSERT_TRUE(MiniportIdentify(*machine, port, 0, identify));
  EXPECT_EQ(kernel.calls, 1);
  EXPECT_EQ(identify[0], 0x5A);
  // A drive that aborts: the miniport's reply carries the error, no data.
  kernel.reply.status = 2;
  kernel.reply.sense = {0x72, 0x0B, 0x00, 0x1D, 0, 0, 0, 0x0E, 0x09, 0x0C, 0, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x51};
  kernel.reply.senseLength = 22;
  identify.fill(0xEE);
  EXPECT_TRUE(MiniportIdentify(*machine, port, 0, identify));
  EXPECT_EQ(identify[0], 0);
  // A host without an ATA disk is no port.
  EXPECT_EQ(machine->Open("\\\\.\\Scsi1:", {}), kInvalidHandle);
}

TEST_F(LinuxMachineDrivesTest, WhatCouldWriteReachesNeitherSideAndIsCounted) {
  auto machine = Machine();
  const THandle disk = machine->Open("\\\\.\\PhysicalDrive0", {});
  ASSERT_NE(disk, kInvalidHandle);
  std::array<std::uint8_t, st::ata::kSize + 512> writeDma = AtaRequest(0xCA);
  std::array<std::uint8_t, 4> anyVolume{};
  const struct {
    std::uint32_t code;
    std::span<std::uint8_t> input;
  } requests[] = {{st::kIoctlAtaPassThrough, writeDma}, {0x0007C0A4 /* IOCTL_DISK_SET_DRIVE_LAYOUT_EX */, anyVolume}};
  for (const auto& request : requests) {
    const TIoResult result = machine->Control(disk, request.code, request.input, request.input);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, kErrorAccessDenied);
  }
  EXPECT_EQ(kernel.calls, 0);
  EXPECT_EQ(machine->RefusedCount(), 2u);
}

TEST_F(LinuxMachineDrivesTest, KernelAnswersReachTheMessagesAndAPrivilegeRefusalNamesTheDriveOnce) {
  auto machine = Machine();
  const THandle disk = machine->Open("\\\\.\\PhysicalDrive0", {});
  ASSERT_NE(disk, kInvalidHandle);
  kernel.reply.error = EPERM;
  for (int i = 0; i < 2; ++i) {
    std::array<std::uint8_t, st::ata::kSize + 512> identify = AtaRequest(st::atacmd::kIdentifyDevice);
    const TIoResult result = machine->Control(disk, st::kIoctlAtaPassThrough, identify, identify);
    EXPECT_EQ(result.error, kErrorAccessDenied);
  }
  ASSERT_EQ(machine->DeniedNodes().size(), 1u);
  EXPECT_EQ(machine->DeniedNodes()[0], (root / "dev/sda").string());
  EXPECT_NE(machine->ErrorMessage(kErrorAccessDenied).find("SG_IO of command 0x85"), std::string::npos);
  // The description still answers.
  EXPECT_EQ(QueryLengthInfo(*machine, disk), 131072u * 512);

  // A CHECK CONDITION is shown where an error code goes: in the kernel's words alone.
  kernel.reply = {};
  kernel.reply.status = 2;
  kernel.reply.sense = {0x72, 0x05, 0x20, 0x00};
  kernel.reply.senseLength = 8;
  std::array<std::uint8_t, st::ata::kSize + 512> sat = AtaRequest(st::atacmd::kIdentifyDevice);
  EXPECT_EQ(ScsiPassThroughAta(*machine, disk, sat), 2);
  EXPECT_EQ(machine->ErrorMessage(2), (root / "dev/sda").string() +
                                          ": SG_IO of command 0xA1: SCSI status 0x02, host 0x00, driver 0x00, "
                                          "sense key 0x5, ASC/ASCQ 0x20/0x00");
}

TEST_F(LinuxMachineDrivesTest, ADriveGoneSinceTheDescriptionDoesNotOpen) {
  auto machine = Machine();
  fs::remove(root / "dev/sda");
  EXPECT_EQ(machine->Open("\\\\.\\PhysicalDrive0", {}), kInvalidHandle);
  EXPECT_EQ(machine->Open("\\\\.\\PhysicalDrive1", {}), kInvalidHandle);
}

}  // namespace
}  // namespace vexa
