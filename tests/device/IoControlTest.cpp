// The transport's requests, decoded independently by the replay machine: the bytes
// of each request against the Windows layouts, the order of the routes and their
// fallbacks, and replies that are short, empty or lying about their length.
#include "device/IoControl.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/MachineText.h"
#include "platform/SpyMachine.h"
#include "platform/ReplayMachine.h"
#include "platform/StorageLayout.h"

namespace vexa {
namespace {

namespace st = storage;
using Bytes = std::vector<std::uint8_t>;

const TBlock512 kIdentify = test::MakeIdentify("Vexa Test SSD 256GB", "VX0123456789", "1.02");
const TBlock512 kPacketIdentify = test::MakeIdentify("VEXA DVD-RW DR24", "DV11", "1.00", 0, true);

// One machine with one device; the routes line decides what answers.
struct TRig {
  explicit TRig(std::string_view device, std::string_view path = "\\\\.\\PhysicalDrive0",
                const TBlock512& identify = kIdentify)
      : replay(ParseMachineFile("vexa-machine 1\n[device " + std::string(path) + "]\n" + std::string(device) +
                                    "\nidentify\n" + test::IdentifyHex(identify) + "end\n",
                                "rig.machine")),
        machine(replay),
        handle(machine.Open(path, {})) {}
  ReplayMachine replay;
  test::TSpyMachine machine;
  THandle handle;
};

Bytes Slice(const Bytes& bytes, std::size_t offset, std::size_t count) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
               bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

TEST(IoControlAtaIdentify, NativeRouteSendsTheAtaRequestByteForByte) {
  TRig rig("answers ata");
  TBlock512 block{};
  ASSERT_TRUE(AtaIdentify(rig.machine, rig.handle, block, false));
  EXPECT_EQ(block, kIdentify);
  ASSERT_EQ(rig.machine.requests.size(), 1u);
  const test::TRecordedRequest& request = rig.machine.requests[0];
  EXPECT_EQ(request.code, 0x4D02Cu);
  EXPECT_EQ(request.input.size(), 40u);
  EXPECT_EQ(request.outputSize, 552u);
  const Bytes expected = {40, 0, 0x0B, 0, 0, 0, 0, 0, 0x00, 0x02, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0,
                          40, 0, 0,    0, 0, 0, 0, 0, 0,    0,    0, 0, 0, 1, 0, 0, 0, 0, 0xEC, 0};
  EXPECT_EQ(request.input, expected);
  EXPECT_EQ(rig.replay.RefusedCount(), 0u);
}

TEST(IoControlAtaIdentify, FallsBackToAtaPassThrough16WhenAtaIsNotSupported) {
  TRig rig("fails ata 50\nanswers sat");
  TBlock512 block{};
  ASSERT_TRUE(AtaIdentify(rig.machine, rig.handle, block, false));
  EXPECT_EQ(block, kIdentify);
  ASSERT_EQ(rig.machine.Codes(), (std::vector<std::uint32_t>{0x4D02C, 0x4D004}));
  const Bytes& scsi = rig.machine.requests[1].input;
  ASSERT_EQ(scsi.size(), 44u);
  EXPECT_EQ(rig.machine.requests[1].outputSize, 44u + 512u);
  EXPECT_EQ(GetU16(scsi, 0), 44);
  EXPECT_EQ(scsi[6], 16);  // CdbLength
  EXPECT_EQ(scsi[7], 0);   // no sense data
  EXPECT_EQ(scsi[8], 1);   // data in
  EXPECT_EQ(GetU32(scsi, 12), 512u);
  EXPECT_EQ(GetU32(scsi, 16), 3u);
  EXPECT_EQ(GetU32(scsi, 20), 44u);
  EXPECT_EQ(Slice(scsi, 28, 16),
            (Bytes{0x85, 0x08, 0x0E, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0xEC, 0}));
}

TEST(IoControlAtaIdentify, PacketDeviceGetsIdentifyPacketDevice) {
  TRig rig("fails ata 1\nanswers sat", "\\\\.\\CdRom0", kPacketIdentify);
  TBlock512 block{};
  ASSERT_TRUE(AtaIdentify(rig.machine, rig.handle, block, true));
  EXPECT_EQ(block, kPacketIdentify);
  EXPECT_EQ(rig.machine.requests[0].input[38], 0xA1);
  EXPECT_EQ(Slice(rig.machine.requests[1].input, 28, 16),
            (Bytes{0x85, 0x08, 0x0E, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0xA1, 0}));
}

TEST(IoControlAtaIdentify, CheckConditionFromTheBridgeFailsAndLeavesTheDestination) {
  TRig rig("fails ata 50\nfails sat scsi-status 2");
  TBlock512 block;
  block.fill(0x5A);
  EXPECT_FALSE(AtaIdentify(rig.machine, rig.handle, block, false));
  EXPECT_EQ(block[0], 0x5A);
  EXPECT_EQ(block[511], 0x5A);
}

// An aborted command comes back through ATA pass-through as a success carrying only
// the header, with the drive's status where the command was: the SAT attempt must
// still send IDENTIFY, not that status.
TEST(IoControlAtaIdentify, AbortedAtaRouteIsNoDeliveryAndSatResendsTheCommand) {
  TRig rig("answers ata sat", "\\\\.\\CdRom0", kPacketIdentify);
  TBlock512 block{};
  EXPECT_FALSE(AtaIdentify(rig.machine, rig.handle, block, false));
  ASSERT_EQ(rig.machine.requests.size(), 2u);
  EXPECT_TRUE(rig.machine.requests[0].result.ok);
  EXPECT_EQ(rig.machine.requests[0].result.bytes, 40u);
  EXPECT_EQ(rig.machine.requests[1].input[28 + 14], 0xEC);
  EXPECT_EQ(rig.replay.RefusedCount(), 0u);
}

TEST(IoControlSmartCommand, RoutesAreTriedNativeThenSatThenAta) {
  struct TCase {
    const char* routes;
    std::vector<std::uint32_t> codes;
    bool ok;
  };
  const TCase cases[] = {
      {"answers smart", {0x7C088}, true},
      {"fails smart 1\nanswers sat", {0x7C088, 0x4D004}, true},
      {"fails smart 1\nfails sat scsi-status 2\nanswers ata", {0x7C088, 0x4D004, 0x4D02C}, true},
      {"fails smart 1\nfails sat 50\nfails ata 50", {0x7C088, 0x4D004, 0x4D02C}, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.routes);
    TRig rig(std::string(c.routes) + "\nsmart\n  9 0x0032 99 99 1234 0\nend");
    std::array<std::uint8_t, 33> block{};
    PutU32(block, 0, 512);
    block[4] = 0xD0;
    block[5] = 1;
    block[7] = 0x4F;
    block[8] = 0xC2;
    block[9] = 0xA0;
    block[10] = 0xB0;
    std::array<std::uint8_t, 528> reply;
    reply.fill(0xCC);
    EXPECT_EQ(SendSmartCommand(rig.machine, rig.handle, st::kSmartRcvDriveData, block, reply), c.ok);
    EXPECT_EQ(rig.machine.Codes(), c.codes);
    if (c.ok) {
      EXPECT_EQ(reply[16], 0x10);  // data structure revision
      EXPECT_EQ(reply[18], 9);     // first attribute id
    } else {
      EXPECT_EQ(std::count(reply.begin(), reply.end(), 0xCC), 528);
    }
    EXPECT_EQ(rig.replay.RefusedCount(), 0u);
  }
}

TEST(IoControlSmartCommand, FallbackRequestsCarryTheRegistersUnchanged) {
  TRig rig("fails smart 1\nfails sat scsi-status 2\nanswers ata\nsmart\n  5 0x0033 100 100 0 10\nend");
  std::array<std::uint8_t, 33> block{};
  PutU32(block, 0, 512);
  const std::uint8_t registers[] = {0xD0, 0x01, 0x00, 0x4F, 0xC2, 0xA0, 0xB0, 0x00};
  std::memcpy(block.data() + 4, registers, 8);
  std::array<std::uint8_t, 528> reply{};
  ASSERT_TRUE(SendSmartCommand(rig.machine, rig.handle, st::kSmartRcvDriveData, block, reply));
  const Bytes& native = rig.machine.requests[0].input;
  EXPECT_EQ(native.size(), 33u);
  EXPECT_EQ(Slice(rig.machine.requests[1].input, 28, 12),
            (Bytes{0xA1, 0x08, 0x0E, 0xD0, 0x01, 0x00, 0x4F, 0xC2, 0xA0, 0xB0, 0x00, 0x00}));
  const test::TRecordedRequest& ata = rig.machine.requests[2];
  EXPECT_EQ(ata.input.size(), 552u);
  EXPECT_EQ(ata.outputSize, 552u);
  EXPECT_EQ(GetU16(ata.input, 2), 0x03);
  EXPECT_EQ(GetU32(ata.input, 8), 512u);
  EXPECT_EQ(GetU32(ata.input, 12), 5u);
  EXPECT_EQ(GetU32(ata.input, 20), 40u);
  EXPECT_EQ(Slice(ata.input, 32, 8), Bytes(std::begin(registers), std::end(registers)));
  EXPECT_EQ(reply[18], 5);
}

TEST(IoControlMiniport, RequestBytesAndReplyOffset) {
  TRig rig("answers miniport", "\\\\.\\Scsi2:");
  TBlock512 block{};
  ASSERT_TRUE(MiniportIdentify(rig.machine, rig.handle, 2, block));
  EXPECT_EQ(block, kIdentify);
  const test::TRecordedRequest& request = rig.machine.requests.at(0);
  EXPECT_EQ(request.code, 0x4D008u);
  ASSERT_EQ(request.input.size(), 64u);
  EXPECT_EQ(request.outputSize, 557u);
  EXPECT_EQ(GetU32(request.input, 0), 28u);
  EXPECT_EQ(std::string(request.input.begin() + 4, request.input.begin() + 12), "SCSIDISK");
  EXPECT_EQ(GetU32(request.input, 12), 5u);
  EXPECT_EQ(GetU32(request.input, 16), 0x1B0501u);
  EXPECT_EQ(GetU32(request.input, 20), 0u);
  EXPECT_EQ(GetU32(request.input, 24), 529u);
  Bytes tail(request.input.begin() + 28, request.input.end());
  Bytes expectedTail(36, 0);
  expectedTail[10] = 0xEC;  // command register
  expectedTail[12] = 2;     // drive number
  EXPECT_EQ(tail, expectedTail);
}

TEST(IoControlMiniport, SuccessWithZeroBytesReturnedIsAccepted) {
  TRig rig("answers miniport", "\\\\.\\Scsi0:");
  rig.machine.hook = [](THandle, std::uint32_t, std::span<const std::uint8_t>, std::span<std::uint8_t>) {
    return std::optional<TIoResult>(TIoResult{true, 0, 0});
  };
  TBlock512 block;
  block.fill(0x77);
  EXPECT_TRUE(MiniportIdentify(rig.machine, rig.handle, 0, block));
  EXPECT_EQ(std::count(block.begin(), block.end(), 0), 512);  // nothing stale, nothing uninitialised
}

TEST(IoControlQueries, GeometryLengthAndDescriptorFromTheDevice) {
  TRig rig("answers geometry length property\nsize 256060514304\nbus-type usb\nvendor \"VEXA\"");
  const std::optional<TDiskGeometryEx> geometry = QueryGeometry(rig.machine, rig.handle);
  ASSERT_TRUE(geometry);
  EXPECT_EQ(geometry->diskSize, 256060514304u);
  EXPECT_EQ(geometry->geometry.bytesPerSector, 512u);
  EXPECT_EQ(geometry->geometry.tracksPerCylinder, 255u);
  EXPECT_EQ(geometry->geometry.sectorsPerTrack, 63u);
  EXPECT_EQ(geometry->geometry.cylinders, 256060514304u / (255 * 63 * 512));
  EXPECT_EQ(rig.machine.requests[0].outputSize, 40u);
  EXPECT_EQ(QueryLengthInfo(rig.machine, rig.handle), 256060514304u);

  std::array<std::uint8_t, 512> reply;
  reply.fill(0xEE);
  ASSERT_TRUE(QueryDeviceDescriptor(rig.machine, rig.handle, 0, reply));
  EXPECT_EQ(rig.machine.requests.back().input, (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  const TStorageDeviceDescriptor descriptor = DecodeDeviceDescriptor(reply);
  EXPECT_EQ(descriptor.busType, 7u);
  EXPECT_EQ(descriptor.vendorId, "VEXA");
  EXPECT_EQ(descriptor.productId, "Vexa Test SSD 256GB");
  EXPECT_EQ(descriptor.productRevision, "1.02");
  EXPECT_EQ(descriptor.serialNumber, "VX0123456789");
  EXPECT_EQ(reply[511], 0);  // cleared beyond what the driver returned
}

TEST(IoControlQueries, FailedQueriesAnswerZeroAndNone) {
  TRig rig("fails geometry 1\nfails length 1\nfails property 50");
  EXPECT_FALSE(QueryGeometry(rig.machine, rig.handle));
  EXPECT_EQ(QueryLengthInfo(rig.machine, rig.handle), 0u);
  std::array<std::uint8_t, 512> reply{};
  EXPECT_FALSE(QueryDeviceDescriptor(rig.machine, rig.handle, 0, reply));
  EXPECT_EQ(rig.replay.RefusedCount(), 0u);
}

// Drivers (or a broken reply) that claim more than the buffers hold, or return too
// little: every copy stays inside both buffers and reads only what came back.
TEST(IoControlHostileReplies, LengthsBeyondTheBuffersAreClamped) {
  TRig rig("answers ata sat smart");
  struct TCase {
    const char* name;
    std::uint32_t code;
    std::uint32_t reportedLength;
    std::uint32_t bytesReturned;
  };
  const TCase cases[] = {
      {"SAT reports 4 GiB", 0x4D004, 0xFFFFFFFF, 44 + 512},
      {"SAT returns more than the buffer", 0x4D004, 512, 0xFFFFFFFF},
      {"ATA reports 100000 bytes", 0x4D02C, 100000, 552},
      {"ATA returns more than the buffer", 0x4D02C, 512, 100000},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    rig.machine.hook = [&](THandle, std::uint32_t code, std::span<const std::uint8_t>, std::span<std::uint8_t> out) {
      if (code == 0x4D02C && c.code == 0x4D004) return std::optional<TIoResult>(TIoResult{false, 0, 50});
      if (code != c.code) return std::optional<TIoResult>();
      std::fill(out.begin(), out.end(), 0xAB);
      if (code == 0x4D004) {
        out[2] = 0;  // GOOD
        PutU32(out, 12, c.reportedLength);
      } else {
        PutU32(out, 8, c.reportedLength);
      }
      return std::optional<TIoResult>(TIoResult{true, c.bytesReturned, 0});
    };
    std::array<std::uint8_t, 600> destination{};
    ASSERT_TRUE(AtaIdentify(rig.machine, rig.handle, std::span(destination).first(512), false));
    EXPECT_EQ(destination[511], 0xAB);
    EXPECT_EQ(destination[512], 0);  // past the 512 asked for: untouched
  }
}

TEST(IoControlHostileReplies, ShortOrEmptyRepliesAreFailures) {
  TRig rig("answers ata sat");
  rig.machine.hook = [](THandle, std::uint32_t code, std::span<const std::uint8_t>, std::span<std::uint8_t>) {
    // ATA: only part of the header; SAT: a header cut short; geometry and length: nothing.
    if (code == 0x4D02C) return std::optional<TIoResult>(TIoResult{true, 12, 0});
    if (code == 0x4D004) return std::optional<TIoResult>(TIoResult{true, 20, 0});
    return std::optional<TIoResult>(TIoResult{true, 0, 0});
  };
  TBlock512 block{};
  EXPECT_FALSE(AtaIdentify(rig.machine, rig.handle, block, false));
  EXPECT_FALSE(QueryGeometry(rig.machine, rig.handle));
  EXPECT_EQ(QueryLengthInfo(rig.machine, rig.handle), 0u);
  std::array<std::uint8_t, 40> ata{};
  PutU16(ata, 2, 0x03);
  PutU32(ata, 8, 0xFFFFFFFF);  // a length its own buffer cannot hold
  PutU32(ata, 20, 40);
  EXPECT_EQ(ScsiPassThroughAta(rig.machine, rig.handle, ata), 255);
  EXPECT_EQ(GetU32(rig.machine.requests.back().input, 12), 0u);  // clamped to the data area: none
}

TEST(IoControlHostileReplies, DescriptorOffsetsOutsideOrUnterminated) {
  std::array<std::uint8_t, 64> reply{};
  PutU32(reply, 4, 64);
  PutU32(reply, 12, 4000);  // vendor: outside
  PutU32(reply, 16, 60);    // product: runs to the end unterminated
  PutU32(reply, 20, 0);     // revision: absent
  PutU32(reply, 24, 64);    // serial: just past the end
  reply[60] = 'A';
  reply[61] = 'B';
  reply[62] = 'C';
  reply[63] = 'D';
  const TStorageDeviceDescriptor descriptor = DecodeDeviceDescriptor(reply);
  EXPECT_EQ(descriptor.vendorId, "");
  EXPECT_EQ(descriptor.productId, "ABCD");
  EXPECT_EQ(descriptor.productRevision, "");
  EXPECT_EQ(descriptor.serialNumber, "");
  // A Size field smaller than the buffer bounds the texts.
  PutU32(reply, 4, 62);
  EXPECT_EQ(DecodeDeviceDescriptor(reply).productId, "AB");
  EXPECT_EQ(DecodeDeviceDescriptor(std::span(reply).first(3)).busType, 0u);
}

}  // namespace
}  // namespace vexa
