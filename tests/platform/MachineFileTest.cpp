// The machine-file reader: what a file states and what is derived from it, every
// refusal naming file, line and problem, the bundled samples, and damaged files.
#include "platform/MachineFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/MachineText.h"
#include "support/Error.h"
#include "support/Text.h"

namespace vexa {
namespace {

const TBlock512 kIdentify = test::MakeIdentify("Vexa Test SSD 256GB", "VX0123456789", "1.02", 500118192);

std::string Identify() { return "identify\n" + test::IdentifyHex(kIdentify) + "end\n"; }

std::string Refusal(const std::string& text) {
  try {
    ParseMachineFile(text, "bad.machine");
  } catch (const EVexaError& error) {
    return error.what();
  }
  return "(accepted)";
}

TEST(MachineFile, StatedAndDerivedFacts) {
  const TMachineFile file = ParseMachineFile(
      "vexa-machine 1\n"
      "# a comment\n"
      "[os]\n"
      "version 10.0.19045\n"
      "disable-delete-notification none\n"
      "clock 2020-02-29 23:59:30\n"
      "utc-offset -05:30\n"
      "[device \\\\.\\PhysicalDrive7]   # trailing comment\n"
      "answers ata smart\n"
      "fails sat scsi-status 2\n"
      "fails miniport 50\n" +
          Identify() +
          "layout mbr signature 0x1234ABCD\n"
          "partition 1 start 1048576 length 104857600 type 0x07 boot yes\n"
          "[volume c:]\n"
          "disk 7\n"
          "partition 1\n"
          "label \"Sys \\\"tem\\\"\"\n",
      "good.machine");
  EXPECT_EQ(file.os.version.build, 19045u);
  EXPECT_EQ(file.os.classicVersion.major, 10u);  // follows the version unless stated
  EXPECT_FALSE(file.os.disableDeleteNotification);
  EXPECT_EQ(file.os.clock.day, 29);
  EXPECT_EQ(file.os.utcOffsetMinutes, -330);
  ASSERT_EQ(file.devices.size(), 1u);
  const TMachineDevice& device = file.devices[0];
  EXPECT_EQ(device.kind, TMachineDeviceKind::Disk);
  EXPECT_EQ(device.number, 7u);
  EXPECT_EQ(device.Route(TMachineRoute::Ata).kind, TRouteAnswer::TKind::Answers);
  EXPECT_EQ(device.Route(TMachineRoute::Sat).kind, TRouteAnswer::TKind::ScsiStatus);
  EXPECT_EQ(device.Route(TMachineRoute::Sat).value, 2u);
  EXPECT_EQ(device.Route(TMachineRoute::Miniport).value, 50u);
  EXPECT_EQ(device.Route(TMachineRoute::Layout).kind, TRouteAnswer::TKind::Fails);
  EXPECT_EQ(device.Route(TMachineRoute::Layout).value, 1u);
  EXPECT_EQ(device.identify, kIdentify);
  EXPECT_EQ(device.size, 500118192ull * 512);
  EXPECT_EQ(device.geometry.cylinders, 500118192ull * 512 / (255 * 63 * 512));
  EXPECT_EQ(device.descriptor.product, "Vexa Test SSD 256GB");
  EXPECT_EQ(device.descriptor.serial, "VX0123456789");
  EXPECT_EQ(device.descriptor.busType, 11u);
  EXPECT_EQ(device.layout.signature, 0x1234ABCDu);
  EXPECT_EQ(device.layout.partitions.at(0).hiddenSectors, 2048u);
  ASSERT_EQ(file.volumes.size(), 1u);
  const TMachineVolume& volume = file.volumes[0];
  EXPECT_EQ(volume.letter, 'C');
  EXPECT_EQ(volume.label, "Sys \"tem\"");
  EXPECT_EQ(volume.size, 104857600u);
  EXPECT_EQ(volume.dosDevice, "\\Device\\HarddiskVolume1");
  EXPECT_EQ(volume.guidPath.substr(0, 11), "\\\\?\\Volume{");
  EXPECT_EQ(volume.guidPath.size(), 11u + 37u + 1u);
}

TEST(MachineFile, SmartTableBuildsBothBlocksWithChecksums) {
  std::vector<TSmartTableRow> rows;
  for (int i = 1; i <= 18; ++i) rows.push_back({static_cast<std::uint8_t>(i), 0x0033, 100, 99, 0x123456789ABCull, 10});
  TBlock512 data{}, thresholds{};
  BuildSmartBlocks(rows, data, thresholds);
  EXPECT_EQ(data[2 + 17 * 12], 18);
  EXPECT_EQ(data[2 + 18 * 12], 0);  // the table ends with id 0
  EXPECT_EQ(GetU32(data, 2 + 5), 0x56789ABCu);
  EXPECT_EQ(GetU16(data, 2 + 9), 0x1234);
  EXPECT_EQ(thresholds[2 + 1], 10);
  for (const TBlock512* block : {&data, &thresholds}) {
    unsigned sum = 0;
    for (std::uint8_t byte : *block) sum += byte;
    EXPECT_EQ(sum % 256, 0u);
  }
}

TEST(MachineFile, RefusalsNameFileLineAndProblem) {
  const std::string head = "vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\n";
  std::string shortIdentify = "identify\n" + test::IdentifyHex(kIdentify);
  shortIdentify.resize(shortIdentify.size() - 5);  // drop the last word
  shortIdentify += "\nend\n";
  std::string rows = "smart\n";
  for (int i = 1; i <= 31; ++i) rows += std::to_string(i) + " 0 100 100 0\n";
  struct TCase {
    std::string text;
    std::string expected;
  };
  const TCase cases[] = {
      {"", "bad.machine:1: the file is empty"},
      {"hello\n", "bad.machine:1: a machine file starts with the line \"vexa-machine 1\""},
      {"vexa-machine 2\n", "bad.machine:1: format version \"2\" is not known"},
      {"vexa-machine 1\nversion 6.1.7601\n", "bad.machine:2: \"version\" stands before the first section"},
      {"vexa-machine 1\n[disk 0]\n", "bad.machine:2: unknown section [disk]"},
      {"vexa-machine 1\n[os]\nversion 6.1\n", "bad.machine:3: \"6.1\" is not a version like 6.1.7601"},
      {"vexa-machine 1\n[os]\nclock 2014-13-01 00:00:00\n", "bad.machine:3: \"clock\" takes a date and a time"},
      {head + "colour blue\n", "bad.machine:3: unknown key \"colour\" in [device]"},
      {head + "fails foo 50\n", "bad.machine:3: unknown route \"foo\""},
      {head + "fails ata 0\n", "bad.machine:3: error code 0 means success"},
      {head + "fails ata x\n", "bad.machine:3: error code: \"x\" is not a number"},
      {head + "read-model access-us 1 wall-clock maybe\n", "bad.machine:3: wall-clock: \"maybe\" is neither yes nor no"},
      {head + "size 99999999999999999999999\n", "bad.machine:3: size: \"99999999999999999999999\" is not a number"},
      {head + "vendor \"open\n", "bad.machine:3: a quoted text is not closed"},
      {head + "identify\n0040 3fff\n", "bad.machine:3: the block is not closed by a line \"end\""},
      {head + shortIdentify, "bad.machine:3: the identify block holds 255 words, 256 expected"},
      {head + "identify\n0040 3fff zz99\n", "bad.machine:4: \"zz99\" is not hexadecimal"},
      {head + "identify\n0040 3ff\n", "bad.machine:4: \"3ff\" is not an IDENTIFY word"},
      {head + "smart-data\n" + test::BytesHex(kIdentify) + "00\nend\n", "bad.machine:36: more than 512 bytes"},
      {head + "smart\n5 0x33 100 100\nend\n", "bad.machine:4: a SMART row is: id flags value worst raw"},
      {head + "smart\n0 0x33 100 100 0\nend\n", "bad.machine:4: attribute id 0 marks an unused entry"},
      {head + rows + "end\n", "bad.machine:34: a SMART table holds at most 30 attributes"},
      {head + "partition 1 start 0 length 512\n", "bad.machine:3: \"partition\" lines follow a \"layout"},
      {head + "size 1048576\nlayout mbr\npartition 1 start 1048576 length 512\n",
       "bad.machine:5: partition 1 ends beyond the device's 1048576 bytes"},
      {head + "layout gpt\npartition 1 start 0 length 512 type {nope}\n", "bad.machine:4: type: \"{nope}\" is not a GUID"},
      {head + "[device \\\\.\\PHYSICALDRIVE0]\n", "bad.machine:3: device \\\\.\\PHYSICALDRIVE0 is already described at line 2"},
      {"vexa-machine 1\n[device \\\\.\\Tape0]\n", "bad.machine:2: the kind of \\\\.\\Tape0 cannot be told from its path"},
      {"vexa-machine 1\n[volume C:]\nsize 10\nfree 11\n", "bad.machine:2: a volume cannot have more free bytes than its size"},
      {"vexa-machine 1\n[volume 7:]\n", "bad.machine:2: [volume] needs a drive letter"},
      {"vexa-machine 1\n[os]\nversion \xC3\x28\n", "bad.machine:3: the line is not UTF-8 text"},
      // Wraps to 0 in 64 bits: once a division by zero.
      {head + "size 1000\ngeometry tracks 0x80000000 sectors 4 bytes 0x80000000\n",
       "bad.machine:4: the geometry's bytes × tracks × sectors do not fit in 64 bits"},
      {head + "nvme-health\ntemperature 310\ncolour 5\nend\n", "bad.machine:5: unknown NVMe health field \"colour\""},
      {head + "nvme-health\ncolour 5\nend\n", "bad.machine:4: unknown NVMe health field \"colour\""},
      {head + "nvme-health\ntemperature 65536\nend\n", "bad.machine:4: temperature: 65536 is larger than 65535"},
      {head + "nvme-health\ncritical_warning 0x100\nend\n", "bad.machine:4: critical_warning: 0x100 is larger than 255"},
      {head + "nvme-health\npower_on_hours 340282366920938463463374607431768211456\nend\n",
       "bad.machine:4: power_on_hours: 340282366920938463463374607431768211456 is larger than "
       "340282366920938463463374607431768211455"},
      {head + "nvme-health\nmedia_errors 1e3\nend\n", "bad.machine:4: media_errors: \"1e3\" is not a number"},
      {head + "nvme-health\nmedia_errors 1\nmedia_errors 2\nend\n", "bad.machine:5: \"media_errors\" is given twice"},
      {head + "nvme-health\n" + test::BytesHex(kIdentify) + "temperature 1\nend\n",
       "bad.machine:36: \"temperature\" is not a run of hexadecimal byte pairs"},
      {head + "nvme-identify\n" + test::BytesHex(kIdentify) + "end\n",
       "bad.machine:3: the nvme-identify block holds 512 bytes, 4096 expected"},
      {head + "nvme-namespace\nnvme-property device\nend\n", "bad.machine:4: \"nvme-property\" is not a run"},
      {head + "nvme-property driver\n", "bad.machine:3: unknown nvme-property \"driver\""},
      {head + "seek-penalty maybe\n", "bad.machine:3: \"seek-penalty\" takes yes, no or none, not \"maybe\""},
      {head + "trim\n", "bad.machine:3: \"trim\" takes one value"},
      {head + "physical-sector-size 0\n", "bad.machine:3: \"physical-sector-size\" must not be 0"},
      {"vexa-machine 1\n[volume C:]\nextent disk 0 start 512\n", "bad.machine:3: an extent is: extent disk D start"},
      {head + "short property 0\n", "bad.machine:3: only the ata, sat, smart and miniport routes answer short"},
      {head + "short ata\n", "bad.machine:3: \"short\" takes a route and the bytes"},
      {head + "nvme-namespace\n" + test::HexLines(test::MakeNvmeNamespace(0x0100000000000000ull, 12)) + "end\n",
       "bad.machine:3: the namespace's blocks × block size do not fit in 64 bits"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string message = Refusal(c.text);
    EXPECT_EQ(message.substr(0, c.expected.size()), c.expected) << message;
  }
}

TEST(MachineFile, NvmeBlocksAndWhatTheyDecide) {
  const TMachineFile file = ParseMachineFile(
      "vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\nnvme-property adapter\nnvme-identify\n" +
          test::HexLines(test::MakeNvmeController("Vexa NVMe 2TB", "VN42", "1.0")) + "end\nnvme-namespace\n" +
          test::HexLines(test::MakeNvmeNamespace(488378646, 12)) +
          "end\nnvme-health\n"
          "critical_warning 0x01\n"
          "data_units_read 340282366920938463463374607431768211455\n"
          "host_read_commands 0x1000000000000000000000000000000\n"
          "end\n"
          "[device \\\\.\\PhysicalDrive1]\nbus-type sata\nsize 4096\nproduct \"Given\"\nnvme-health\n" +
          test::BytesHex(TBlock512{}) + "end\n",
      "nvme.machine");
  const TMachineDevice& nvme = file.devices.at(0);
  EXPECT_EQ(nvme.nvmeProperty, TNvmeProperty::Adapter);
  EXPECT_EQ(nvme.descriptor.busType, 17u);
  EXPECT_EQ(nvme.size, 488378646ull * 4096);
  EXPECT_EQ(nvme.geometry.bytesPerSector, 4096u);
  EXPECT_EQ(nvme.descriptor.product, "Vexa NVMe 2TB");
  EXPECT_EQ(nvme.descriptor.revision, "1.0");
  EXPECT_EQ(nvme.descriptor.serial, "VN42");
  ASSERT_TRUE(nvme.nvmeHealth);
  const TBlock512& health = *nvme.nvmeHealth;
  EXPECT_EQ(health[0], 1);
  EXPECT_EQ(GetU64(health, 32), ~0ull);
  EXPECT_EQ(GetU64(health, 40), ~0ull);
  EXPECT_EQ(GetU64(health, 64), 0u);
  EXPECT_EQ(GetU64(health, 72), 0x0100000000000000ull);
  EXPECT_EQ(std::count(health.begin() + 80, health.end(), 0), 512 - 80);
  // What a section states wins over the NVMe blocks.
  const TMachineDevice& given = file.devices.at(1);
  EXPECT_EQ(given.descriptor.busType, 11u);
  EXPECT_EQ(given.size, 4096u);
  EXPECT_EQ(given.descriptor.product, "Given");
  EXPECT_EQ(given.nvmeHealth, TBlock512{});
}

TEST(MachineFile, MissingFileIsNamed) {
  try {
    ReadMachineFile("/nonexistent/vexa/none.machine");
    FAIL() << "accepted";
  } catch (const EVexaError& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent/vexa/none.machine"), std::string::npos);
  }
}

TEST(MachineFileSamples, ParseWithValidIdentifyChecksums) {
  const std::vector<std::filesystem::path> files = test::SampleMachineFiles();
  ASSERT_GE(files.size(), 2u);
  for (const auto& path : files) {
    SCOPED_TRACE(path.string());
    const TMachineFile file = ReadMachineFile(path.string());
    EXPECT_FALSE(file.devices.empty());
    for (const TMachineDevice& device : file.devices) {
      if (!device.identify) continue;
      unsigned sum = 0;
      for (std::uint8_t byte : *device.identify) sum += byte;
      EXPECT_EQ(sum % 256, 0u) << device.path;
      EXPECT_EQ((*device.identify)[510], 0xA5) << device.path;
      EXPECT_FALSE(device.descriptor.product.empty()) << device.path;
    }
  }
}

// Damaged files are refused or read, never a crash: every line of each sample is
// dropped in turn, and random bytes are fed in.
TEST(MachineFileSamples, DamagedFilesNeverCrash) {
  for (const auto& path : test::SampleMachineFiles()) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const std::vector<std::string_view> lines = SplitLines(text);
    for (std::size_t drop = 0; drop < lines.size(); drop += 3) {
      std::string damaged;
      for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != drop) damaged.append(lines[i]).append("\n");
      }
      try {
        ParseMachineFile(damaged, "damaged.machine");
      } catch (const EVexaError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("damaged.machine:", 0), 0u);
      }
    }
  }
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::string garbage = "vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\n";
    const int length = static_cast<int>(random() % 400);
    for (int i = 0; i < length; ++i) garbage += static_cast<char>(random() % 96 + (random() % 8 == 0 ? 0 : 32));
    try {
      ParseMachineFile(garbage, "garbage.machine");
    } catch (const EVexaError&) {
    }
  }
}

}  // namespace
}  // namespace vexa
