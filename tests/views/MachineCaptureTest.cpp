// The capture gives back what the program saw: drives at the edges the recorder
// decides on, once captured, replay exactly as the original, and the file it writes
// says why.
#include "views/MachineCapture.h"

#include <gtest/gtest.h>

#include "fuzz/FuzzChecks.h"
#include "platform/MachineText.h"
#include "platform/ReplayMachine.h"

namespace vexa {
namespace {

using test::IdentifyHex;
using test::MakeIdentify;

std::string Device(std::string_view path, std::string_view keys, const TBlock512* identify = nullptr) {
  std::string text = "[device " + std::string(path) + "]\n" + std::string(keys);
  if (identify) text += "identify\n" + IdentifyHex(*identify) + "end\n";
  return text;
}

TMachineFile Machine(const std::string& devices) {
  return ParseMachineFile("vexa-machine 1\n" + devices, "test.machine");
}

TMachineFile Captured(const TMachineFile& file, bool keepSerials) {
  ReplayMachine machine{TMachineFile(file)};
  return ParseMachineFile(CaptureMachineFile(machine, {keepSerials}, ""), "captured.machine");
}

const TBlock512 kDisk = MakeIdentify("ST2000DM001-1CH164", "Z1E0ABCD", "CC43");
const TBlock512 kDvd = MakeIdentify("HL-DT-ST DVDRAM GH24NSD1", "K1234", "1.00", 0, true);

// The checksum word as the drive left it: the block with another last byte.
TBlock512 WithChecksum(TBlock512 block, int delta, bool signature = true) {
  block[510] = signature ? 0xA5 : 0x00;
  block[511] = static_cast<std::uint8_t>(block[511] + delta);
  return block;
}

std::uint8_t ByteSum(const TBlock512& block) {
  std::uint8_t sum = 0;
  for (const std::uint8_t byte : block) sum = static_cast<std::uint8_t>(sum + byte);
  return sum;
}

// Routes at their edges: a controller that refuses SAT (CHECK CONDITION to every
// ATA PASS-THROUGH) while another route reads the drive, a bridge with another
// status, a SAT route where the drive aborts what it lacks, failing routes; drivers
// that count short; drives whose path suggests another kind; a layout that fails.
TEST(MachineCapture, RoutesReplayAsThePcAnsweredThem) {
  const struct {
    const char* name;
    std::string devices;
    std::string written;  // a line the captured file must hold
  } cases[] = {
      {"SAT refused, IDENTIFY through the miniport",
       Device("\\\\.\\PhysicalDrive0",
              "answers miniport property number geometry length partition layout\nfails ata 50\n"
              "fails sat scsi-status 2\nbus-type usb\n",
              &kDisk),
       "fails sat scsi-status 2\n"},
      {"SAT refused, IDENTIFY through ATA",
       Device("\\\\.\\PhysicalDrive0", "answers ata smart property number geometry length\nfails sat scsi-status 2\n",
              &kDisk),
       "fails sat scsi-status 2\n"},
      {"SAT port busy", Device("\\\\.\\PhysicalDrive0", "answers miniport property\nfails sat scsi-status 8\n", &kDisk),
       "fails sat scsi-status 8\n"},
      {"SAT answers, the drive has no IDENTIFY", Device("\\\\.\\PhysicalDrive0", "answers sat property\n"),
       "fails sat scsi-status 2\n"},
      {"SAT answers an optical drive",
       Device("\\\\.\\CdRom0", "answers sat property\n", &kDvd),
       "answers sat property\n"},
      {"every route fails", Device("\\\\.\\PhysicalDrive0", "fails ata 1117\nfails sat 50\nfails miniport 21\n"),
       "fails sat 50\n"},
      // Drivers that count short: the program reads the miniport's and the SMART
      // driver's replies whole, the ATA and SAT ones as far as counted.
      {"miniport counts nothing", Device("\\\\.\\Scsi0:", "answers miniport property\nshort miniport 0\n", &kDisk),
       "short miniport 0\n"},
      {"ATA counts half the block", Device("\\\\.\\PhysicalDrive0", "answers ata property\nshort ata 296\n", &kDisk),
       "short ata 296\n"},
      {"ATA counts part of its header",
       Device("\\\\.\\PhysicalDrive0", "answers ata sat property\nshort ata 39\n", &kDisk), "short ata 39\n"},
      {"SAT counts part of its header",
       Device("\\\\.\\PhysicalDrive0", "answers sat property\nshort sat 43\n", &kDisk), "short sat 43\n"},
      {"SMART counts part of the data",
       Device("\\\\.\\PhysicalDrive0",
              "answers ata smart property\nshort smart 17\nsmart\n  5 0x0033 100 100 0 10\nend\n", &kDisk),
       "short smart 17\n"},
      // What the path suggests gives way to what the drive answers.
      {"an optical drive at a disk's path",
       Device("\\\\.\\PhysicalDrive0", "kind cdrom\nsize 1000000\nanswers ata sat geometry\n", &kDvd),
       "fails sat scsi-status 2\n"},
      {"a disk at an optical drive's path", Device("\\\\.\\CdRom0", "kind disk\nanswers ata sat property\n", &kDisk),
       "kind disk\n"},
      {"a GPT disk whose layout fails",
       Device("\\\\.\\PhysicalDrive0",
              "answers partition number\nfails layout 1117\nsize 1073741824\nlayout gpt\n"
              "partition 1 start 1048576 length 4096\n"),
       "layout gpt"},
      {"a limit no reply reaches", Device("\\\\.\\PhysicalDrive0", "answers ata property\nshort ata 4096\n", &kDisk),
       "answers ata property\nsize"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TMachineFile file = Machine(c.devices);
    EXPECT_EQ(fuzz_check::CaptureRoundTrip(file), "");
    ReplayMachine machine{TMachineFile(file)};
    const std::string written = CaptureMachineFile(machine, {true}, "");
    EXPECT_NE(written.find(c.written), std::string::npos) << written.substr(0, 600);
  }
}

// With the serial numbers replaced, the IDENTIFY checksum keeps its standing: a
// valid one is made valid again, a wrong one stays wrong (even one the placeholder
// would happen to make right) and an absent one stays as the drive left it.
TEST(MachineCapture, HiddenSerialsKeepTheChecksumsStanding) {
  // The placeholder's bytes minus the serial's: the amount the new words add to the sum.
  TBlock512 placeholder = kDisk;
  test::PutAtaText(placeholder, 10, 10, "VEXA-SERIAL-0001");
  const int added = ByteSum(placeholder) - ByteSum(kDisk);
  const struct {
    const char* name;
    TBlock512 block;
    bool valid;
  } cases[] = {
      {"valid", kDisk, true},
      {"wrong by one", WithChecksum(kDisk, 1), false},
      {"wrong by what the placeholder takes away", WithChecksum(kDisk, -added), false},
      {"absent", WithChecksum(kDisk, 0, false), false},
      {"absent and zero", WithChecksum(kDisk, -kDisk[511], false), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TMachineFile file = Machine(Device("\\\\.\\PhysicalDrive0", "answers ata smart property\n", &c.block));
    EXPECT_EQ(fuzz_check::CaptureRoundTrip(file), "");
    const TMachineFile captured = Captured(file, false);
    ASSERT_EQ(captured.devices.size(), 1u);
    ASSERT_TRUE(captured.devices[0].identify);
    const TBlock512& block = *captured.devices[0].identify;
    EXPECT_TRUE(std::equal(block.begin() + 20, block.begin() + 40, placeholder.begin() + 20));
    EXPECT_EQ(block[510], c.block[510]);
    if (c.block[510] == 0xA5) {
      EXPECT_EQ(ByteSum(block) == 0, c.valid);
      EXPECT_EQ(ByteSum(block), ByteSum(c.block));
    } else {
      EXPECT_EQ(block[511], c.block[511]);
    }
    // Everything but the serial words and the checksum is the drive's.
    EXPECT_TRUE(std::equal(block.begin() + 40, block.begin() + 511, c.block.begin() + 40));
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 20, c.block.begin()));
  }
}

}  // namespace
}  // namespace vexa
