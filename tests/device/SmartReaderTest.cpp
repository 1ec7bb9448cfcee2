// TSmartReader over the replay machine: the command blocks it builds, partial
// failures, drives reachable only through SAT, the text exchange of IDENTIFY through
// SMART, and the SMART sectors of real drives read back unchanged.
#include "device/SmartReader.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "device/IoControl.h"
#include "platform/MachineText.h"
#include "platform/SpyMachine.h"
#include "platform/ReplayMachine.h"

namespace vexa {
namespace {

using Bytes = std::vector<std::uint8_t>;

const TBlock512 kIdentify = test::MakeIdentify("Vexa Test SSD 256GB", "VX0123456789", "1.02");
constexpr const char* kSmartTable =
    "smart\n"
    "  5 0x0033 100 100 0 10\n"
    "  9 0x0032 99 99 1234 0\n"
    "  194 0x0022 70 60 30 0\n"
    "end\n";

struct TRig {
  explicit TRig(std::string_view device)
      : replay(ParseMachineFile("vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\n" + std::string(device) +
                                    "\nidentify\n" + test::IdentifyHex(kIdentify) + "end\n",
                                "rig.machine")),
        machine(replay),
        reader(machine),
        handle(machine.Open("\\\\.\\PhysicalDrive0", {})) {}
  ReplayMachine replay;
  test::TSpyMachine machine;
  TSmartReader reader;
  THandle handle;
};

TEST(SmartReader, ReadsDataThenThresholdsThroughTheNativeRequest) {
  TRig rig(std::string("answers smart\n") + kSmartTable);
  TBlock512 data{}, thresholds{};
  ASSERT_TRUE(rig.reader.ReadSmartData(rig.handle, 0, data, thresholds));
  const TMachineDevice& device = rig.replay.File().devices[0];
  EXPECT_EQ(data, *device.smartData);
  EXPECT_EQ(thresholds, *device.smartThresholds);
  ASSERT_EQ(rig.machine.requests.size(), 2u);
  const Bytes first = {0x00, 0x02, 0, 0, 0xD0, 0x01, 0x00, 0x4F, 0xC2, 0xA0, 0xB0, 0x00, 0x00};
  EXPECT_EQ(Bytes(rig.machine.requests[0].input.begin(), rig.machine.requests[0].input.begin() + 13), first);
  EXPECT_EQ(rig.machine.requests[0].input.size(), 33u);
  EXPECT_EQ(rig.machine.requests[0].outputSize, 528u);
  EXPECT_EQ(rig.machine.requests[1].input[4], 0xD1);
}

TEST(SmartReader, FailedThresholdsKeepTheNewDataAndTheOldThresholds) {
  TRig rig(std::string("answers smart ata sat\n") + kSmartTable + "smart-thresholds none\n");
  TBlock512 data{}, thresholds;
  thresholds.fill(0x5A);
  EXPECT_FALSE(rig.reader.ReadSmartData(rig.handle, 0, data, thresholds));
  EXPECT_EQ(data, *rig.replay.File().devices[0].smartData);
  EXPECT_EQ(std::count(thresholds.begin(), thresholds.end(), 0x5A), 512);
  EXPECT_EQ(rig.replay.RefusedCount(), 0u);
}

TEST(SmartReader, FailedDataReadTouchesNeitherBlock) {
  TRig rig("answers smart ata sat");  // no SMART data: the drive aborts READ DATA
  TBlock512 data, thresholds;
  data.fill(1);
  thresholds.fill(2);
  EXPECT_FALSE(rig.reader.ReadSmartData(rig.handle, 0, data, thresholds));
  EXPECT_EQ(std::count(data.begin(), data.end(), 1), 512);
  EXPECT_EQ(std::count(thresholds.begin(), thresholds.end(), 2), 512);
}

TEST(SmartReader, DriveBehindABridgeIsReadThroughSat) {
  TRig rig(std::string("fails smart 1\nfails ata 50\nanswers sat\n") + kSmartTable);
  TBlock512 data{}, thresholds{};
  ASSERT_TRUE(rig.reader.ReadSmartData(rig.handle, 0, data, thresholds));
  EXPECT_EQ(data[2], 5);
  EXPECT_EQ(thresholds[3], 10);
  const Bytes& scsi = rig.machine.requests.at(1).input;
  EXPECT_EQ(Bytes(scsi.begin() + 28, scsi.begin() + 40),
            (Bytes{0xA1, 0x08, 0x0E, 0xD0, 0x01, 0x00, 0x4F, 0xC2, 0xA0, 0xB0, 0x00, 0x00}));
}

TEST(SmartReader, InvalidHandleFailsWithoutARequest) {
  TRig rig("answers smart");
  TBlock512 block{};
  std::array<std::uint8_t, 24> version;
  version.fill(9);
  EXPECT_FALSE(rig.reader.EnableSmart(kInvalidHandle, 0));
  EXPECT_EQ(rig.reader.GetSmartVersion(kInvalidHandle, version), 0u);
  EXPECT_FALSE(rig.reader.IdentifyViaSmart(kInvalidHandle, 0, block));
  EXPECT_FALSE(rig.reader.ReadSmartData(kInvalidHandle, 0, block, block));
  EXPECT_TRUE(rig.machine.requests.empty());
  EXPECT_EQ(version[0], 0);
}

TEST(SmartReader, EnableAndVersion) {
  TRig rig(std::string("answers smart\nsmart-version version 1 revision 1 device-map 3 capabilities 7\n") +
           kSmartTable);
  EXPECT_TRUE(rig.reader.EnableSmart(rig.handle, 0));
  const test::TRecordedRequest& enable = rig.machine.requests.at(0);
  EXPECT_EQ(enable.code, 0x7C084u);
  EXPECT_EQ(GetU32(enable.input, 0), 1u);
  EXPECT_EQ(enable.input[4], 0xD8);
  EXPECT_EQ(enable.outputSize, 17u);

  std::array<std::uint8_t, 24> version{};
  EXPECT_EQ(rig.reader.GetSmartVersion(rig.handle, version), 24u);
  EXPECT_EQ(version[3], 3);
  EXPECT_EQ(GetU32(version, 4), 7u);
}

// A drive without SMART rejects ENABLE OPERATIONS on every route; each route reports
// that its own way (driver error byte, CHECK CONDITION, ERR in the status register).
TEST(SmartReader, EnableRejectedOnEveryRouteIsAFailure) {
  TRig rig("answers smart sat ata");
  EXPECT_FALSE(rig.reader.EnableSmart(rig.handle, 0));
  EXPECT_EQ(rig.machine.Codes(), (std::vector<std::uint32_t>{0x7C084, 0x4D004, 0x4D02C}));
  for (const test::TRecordedRequest& request : rig.machine.requests) EXPECT_TRUE(request.result.ok);
  EXPECT_EQ(rig.replay.RefusedCount(), 0u);
}

TEST(SmartReader, IdentifyViaSmartExchangesOnlyTheThreeTexts) {
  TRig rig("answers smart");
  TBlock512 block{};
  ASSERT_TRUE(rig.reader.IdentifyViaSmart(rig.handle, 0, block));
  const Bytes registers(rig.machine.requests[0].input.begin() + 4, rig.machine.requests[0].input.begin() + 12);
  EXPECT_EQ(registers, (Bytes{0x00, 0x01, 0x01, 0x00, 0x00, 0xA0, 0xEC, 0x00}));
  EXPECT_EQ(std::string(block.begin() + 54, block.begin() + 73), "Vexa Test SSD 256GB");
  EXPECT_EQ(std::string(block.begin() + 46, block.begin() + 50), "1.02");
  EXPECT_EQ(std::string(block.begin() + 20, block.begin() + 32), "VX0123456789");
  EXPECT_EQ(block[0], kIdentify[0]);                  // word 0 untouched
  EXPECT_EQ(block[200], kIdentify[200]);              // word 100 untouched
  EXPECT_EQ(block[94], kIdentify[94]);                // just past the model
}

// The published sectors of real drives come back through the transport byte for byte.
TEST(SmartReaderRealDrives, IdentifyAndSmartSectorsRoundTrip) {
  const std::filesystem::path folder = VEXA_SOURCE_DIR "/../shared/samples/real";
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no real-drive samples at " << folder;
  const auto readAll = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  int drives = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    const std::string suffix = ".smartdata.bin";
    if (name.size() <= suffix.size() || name.substr(name.size() - suffix.size()) != suffix) continue;
    const std::string stem = name.substr(0, name.size() - suffix.size());
    const std::string identifyText = readAll(folder / (stem + ".identify.txt"));
    const std::string identifyBin = readAll(folder / (stem + ".identify.bin"));
    const std::string dataBin = readAll(folder / name);
    const std::string thresholdsBin = readAll(folder / (stem + ".thresholds.bin"));
    if (identifyText.empty() || identifyBin.size() != 512 || dataBin.size() != 512 || thresholdsBin.size() != 512) {
      continue;
    }
    SCOPED_TRACE(stem);
    TBlock512 data{}, thresholds{};
    std::copy(dataBin.begin(), dataBin.end(), data.begin());
    std::copy(thresholdsBin.begin(), thresholdsBin.end(), thresholds.begin());
    ReplayMachine replay(ParseMachineFile("vexa-machine 1\n[device \\\\.\\PhysicalDrive3]\n"
                                          "fails ata 50\nanswers sat smart\nidentify\n" +
                                              identifyText + "end\nsmart-data\n" + test::BytesHex(data) +
                                              "end\nsmart-thresholds\n" + test::BytesHex(thresholds) + "end\n",
                                          stem));
    const THandle handle = replay.Open("\\\\.\\PhysicalDrive3", {});
    TBlock512 identify{}, readData{}, readThresholds{};
    ASSERT_TRUE(AtaIdentify(replay, handle, identify, false));
    EXPECT_EQ(std::string(identify.begin(), identify.end()), identifyBin);
    TSmartReader reader(replay);
    ASSERT_TRUE(reader.ReadSmartData(handle, 3, readData, readThresholds));
    EXPECT_EQ(readData, data);
    EXPECT_EQ(readThresholds, thresholds);
    EXPECT_EQ(replay.RefusedCount(), 0u);
    ++drives;
  }
  EXPECT_GT(drives, 0);
}

}  // namespace
}  // namespace vexa
