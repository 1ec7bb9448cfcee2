// The shared write judgement over every request kind the seam knows: the reads the
// program sends pass, each write-type variant is refused with its reason, and a
// truncated request is judged by the bytes it holds (never read past them: each
// prefix is judged from a buffer of exactly its size, which the sanitizer build
// watches).
#include "platform/RequestJudge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/StorageLayout.h"
#include "support/Bytes.h"

namespace vexa {
namespace {

namespace st = storage;
using TByteVector = std::vector<std::uint8_t>;

TByteVector Ata(std::uint16_t flags, std::uint8_t command, std::uint8_t features = 0) {
  TByteVector request(st::ata::kSize, 0);
  PutU16(request, st::ata::kLength, st::ata::kSize);
  PutU16(request, st::ata::kAtaFlags, flags);
  PutU32(request, st::ata::kDataTransferLength, 512);
  request[st::ata::kCurrentTaskFile + st::taskfile::kFeatures] = features;
  request[st::ata::kCurrentTaskFile + st::taskfile::kCommand] = command;
  return request;
}

TByteVector Scsi(std::initializer_list<std::uint8_t> cdb, std::uint8_t direction = st::scsi::kDataInDirection,
                 std::uint32_t length = 512) {
  TByteVector request(st::scsi::kSize, 0);
  PutU16(request, st::scsi::kLength, st::scsi::kSize);
  request[st::scsi::kCdbLength] = static_cast<std::uint8_t>(cdb.size());
  request[st::scsi::kDataIn] = direction;
  PutU32(request, st::scsi::kDataTransferLength, length);
  std::copy(cdb.begin(), cdb.end(), request.begin() + st::scsi::kCdb);
  return request;
}

// A SENDCMDINPARAMS with its task file, preceded by `prefix` bytes (the miniport header).
TByteVector SendCmd(std::uint8_t command, std::uint8_t features, std::size_t prefix = 0) {
  TByteVector block(prefix + st::sendcmdin::kSize, 0);
  block[prefix + st::sendcmdin::kRegisters + st::taskfile::kFeatures] = features;
  block[prefix + st::sendcmdin::kRegisters + st::taskfile::kLbaMid] = st::atacmd::kSmartLbaMid;
  block[prefix + st::sendcmdin::kRegisters + st::taskfile::kLbaHigh] = st::atacmd::kSmartLbaHigh;
  block[prefix + st::sendcmdin::kRegisters + st::taskfile::kCommand] = command;
  return block;
}

TByteVector Miniport(const char* signature = "SCSIDISK", std::uint32_t headerLength = st::srbio::kSize,
                     std::uint32_t code = st::kIoctlScsiMiniportIdentify, std::uint8_t command = 0xEC) {
  TByteVector request = SendCmd(command, 0, st::srbio::kSize);
  PutU32(request, st::srbio::kHeaderLength, headerLength);
  std::memcpy(request.data() + st::srbio::kSignature, signature, st::srbio::kSignatureSize);
  PutU32(request, st::srbio::kControlCode, code);
  return request;
}

struct TRow {
  const char* name;
  std::uint32_t code;
  TByteVector input;
  const char* reason;       // nullptr: a read that passes
  std::size_t decidedFrom;  // the shortest prefix that holds the deciding bytes
};

const std::vector<TRow>& Rows() {
  namespace ac = st::atacmd;
  constexpr std::uint16_t kIn = st::ata::kFlagDataIn;
  static const std::vector<TRow> rows = {
      // The plain queries carry nothing that could write.
      {"device number", st::kIoctlStorageGetDeviceNumber, {}, nullptr, 0},
      {"geometry", st::kIoctlDiskGetDriveGeometry, {}, nullptr, 0},
      {"geometry ex", st::kIoctlDiskGetDriveGeometryEx, {}, nullptr, 0},
      {"length", st::kIoctlDiskGetLengthInfo, {}, nullptr, 0},
      {"partition", st::kIoctlDiskGetPartitionInfo, {}, nullptr, 0},
      {"partition ex", st::kIoctlDiskGetPartitionInfoEx, {}, nullptr, 0},
      {"layout", st::kIoctlDiskGetDriveLayoutEx, {}, nullptr, 0},
      {"extents", st::kIoctlVolumeGetVolumeDiskExtents, {}, nullptr, 0},
      {"property", st::kIoctlStorageQueryProperty, TByteVector(st::propertyquery::kSize, 0), nullptr, 0},
      {"SMART version", st::kSmartGetVersion, {}, nullptr, 0},
      // ATA pass-through.
      {"ATA IDENTIFY", st::kIoctlAtaPassThrough, Ata(kIn, ac::kIdentifyDevice), nullptr, 0},
      {"ATA IDENTIFY PACKET", st::kIoctlAtaPassThrough, Ata(kIn, ac::kIdentifyPacketDevice), nullptr, 0},
      {"ATA SMART READ DATA", st::kIoctlAtaPassThrough, Ata(kIn, ac::kSmart, ac::kSmartReadData), nullptr, 0},
      {"ATA SMART READ THRESHOLDS", st::kIoctlAtaPassThrough, Ata(kIn, ac::kSmart, ac::kSmartReadThresholds), nullptr, 0},
      {"ATA SMART ENABLE", st::kIoctlAtaPassThrough, Ata(0, ac::kSmart, ac::kSmartEnableOperations), nullptr, 0},
      {"ATA SMART RETURN STATUS", st::kIoctlAtaPassThrough, Ata(0, ac::kSmart, ac::kSmartReturnStatus), nullptr, 0},
      {"ATA data out", st::kIoctlAtaPassThrough, Ata(st::ata::kFlagDataOut, ac::kIdentifyDevice),
       "ATA pass-through with data out", 4},
      {"ATA WRITE DMA", st::kIoctlAtaPassThrough, Ata(kIn, 0xCA), "ATA command 0xCA is not a read", 40},
      {"ATA SMART EXECUTE OFFLINE", st::kIoctlAtaPassThrough, Ata(0, ac::kSmart, 0xD4), "SMART sub-command 0xD4", 40},
      // SCSI pass-through: SAT command blocks only.
      {"SAT16 IDENTIFY", st::kIoctlScsiPassThrough, Scsi({0x85, 0x08, 0x0E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xA0, 0xEC, 0}),
       nullptr, 0},
      {"SAT12 SMART READ DATA", st::kIoctlScsiPassThrough, Scsi({0xA1, 0x08, 0x0E, 0xD0, 1, 0, 0x4F, 0xC2, 0xA0, 0xB0, 0, 0}),
       nullptr, 0},
      {"SAT16 non-data RETURN STATUS", st::kIoctlScsiPassThrough,
       Scsi({0x85, 0x06, 0x20, 0, 0xDA, 0, 0, 0, 0, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}, st::scsi::kDataUnspecified, 0),
       nullptr, 0},
      {"SCSI data out", st::kIoctlScsiPassThrough,
       Scsi({0xA1, 0x08, 0x0E, 0, 1, 0, 0, 0, 0xA0, 0xEC, 0, 0}, st::scsi::kDataOut), "SCSI pass-through with data out", 16},
      {"SCSI WRITE(10)", st::kIoctlScsiPassThrough, Scsi({0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}),
       "SCSI command 0x2A is not ATA PASS-THROUGH", 29},
      {"SAT PIO data-out", st::kIoctlScsiPassThrough, Scsi({0x85, 0x0A, 0x06, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x30, 0}),
       "protocol 5 is not PIO Data-In", 31},
      {"SAT PIO data-in towards the device", st::kIoctlScsiPassThrough,
       Scsi({0xA1, 0x08, 0x06, 0, 1, 0, 0, 0, 0xA0, 0xEC, 0, 0}), "transfers to the device", 31},
      {"SAT16 WRITE SECTORS", st::kIoctlScsiPassThrough, Scsi({0x85, 0x08, 0x0E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xA0, 0x30, 0}),
       "ATA command 0x30", 44},
      {"SAT12 SMART WRITE LOG", st::kIoctlScsiPassThrough, Scsi({0xA1, 0x06, 0x20, 0xD6, 1, 0, 0x4F, 0xC2, 0xA0, 0xB0, 0, 0}),
       "SMART sub-command 0xD6", 40},
      // The miniport's IDENTIFY.
      {"miniport IDENTIFY", st::kIoctlScsiMiniport, Miniport(), nullptr, 0},
      {"miniport header length", st::kIoctlScsiMiniport, Miniport("SCSIDISK", 40), "miniport header length 40", 4},
      {"miniport signature", st::kIoctlScsiMiniport, Miniport("SCSIDISX"), "signature is not SCSIDISK", 12},
      {"miniport control code", st::kIoctlScsiMiniport, Miniport("SCSIDISK", 28, 0x1B0502), "control code 0x1B0502", 20},
      {"miniport command", st::kIoctlScsiMiniport, Miniport("SCSIDISK", 28, st::kIoctlScsiMiniportIdentify, 0xC8),
       "IDENTIFY carries command 0xC8", 40},
      // The SMART requests.
      {"SMART ENABLE", st::kSmartSendDriveCommand, SendCmd(ac::kSmart, ac::kSmartEnableOperations), nullptr, 0},
      {"SMART RETURN STATUS", st::kSmartSendDriveCommand, SendCmd(ac::kSmart, ac::kSmartReturnStatus), nullptr, 0},
      {"SMART READ DATA", st::kSmartRcvDriveData, SendCmd(ac::kSmart, ac::kSmartReadData), nullptr, 0},
      {"SMART READ THRESHOLDS", st::kSmartRcvDriveData, SendCmd(ac::kSmart, ac::kSmartReadThresholds), nullptr, 0},
      {"IDENTIFY through SMART", st::kSmartRcvDriveData, SendCmd(ac::kIdentifyDevice, 0), nullptr, 0},
      {"SMART WRITE LOG", st::kSmartSendDriveCommand, SendCmd(ac::kSmart, 0xD6), "SMART sub-command 0xD6", 12},
      {"READ DMA through SMART", st::kSmartRcvDriveData, SendCmd(0xC8, 0), "ATA command 0xC8", 12},
      // Anything else.
      {"set drive layout", 0x7C054, {}, "unknown control code", 0},
  };
  return rows;
}

TEST(RequestJudge, EveryControlCodeOfTheSeamIsJudged) {
  const std::uint32_t codes[] = {
      st::kIoctlScsiPassThrough,       st::kIoctlScsiMiniport,         st::kIoctlAtaPassThrough,
      st::kSmartGetVersion,            st::kSmartSendDriveCommand,     st::kSmartRcvDriveData,
      st::kIoctlStorageQueryProperty,  st::kIoctlStorageGetDeviceNumber, st::kIoctlDiskGetDriveGeometry,
      st::kIoctlDiskGetDriveGeometryEx, st::kIoctlDiskGetLengthInfo,   st::kIoctlDiskGetPartitionInfo,
      st::kIoctlDiskGetPartitionInfoEx, st::kIoctlDiskGetDriveLayoutEx, st::kIoctlVolumeGetVolumeDiskExtents};
  for (const std::uint32_t code : codes) {
    const bool passes = std::any_of(Rows().begin(), Rows().end(),
                                    [&](const TRow& row) { return row.code == code && !row.reason; });
    EXPECT_TRUE(passes) << std::hex << code;
  }
}

TEST(RequestJudge, ReadsPassAndWritesAreRefusedWithTheirReason) {
  for (const TRow& row : Rows()) {
    SCOPED_TRACE(row.name);
    const std::optional<std::string> why = WriteIntent(row.code, row.input);
    if (!row.reason) {
      EXPECT_FALSE(why) << *why;
    } else {
      ASSERT_TRUE(why);
      EXPECT_NE(why->find(row.reason), std::string::npos) << *why;
    }
  }
}

// Each prefix is judged alone in a buffer of its own size: a request cut before its
// deciding bytes has nothing to refuse (the driver then rejects its shape), one cut
// after them is refused for the same reason as the whole.
TEST(RequestJudge, TruncatedRequestsAreJudgedByTheBytesPresent) {
  for (const TRow& row : Rows()) {
    const std::optional<std::string> whole = WriteIntent(row.code, row.input);
    for (std::size_t size = 0; size <= row.input.size(); ++size) {
      SCOPED_TRACE(std::string(row.name) + ", " + std::to_string(size) + " bytes");
      const TByteVector prefix(row.input.begin(), row.input.begin() + static_cast<std::ptrdiff_t>(size));
      const std::optional<std::string> why = WriteIntent(row.code, prefix);
      if (!row.reason || size < row.decidedFrom) {
        EXPECT_FALSE(why) << *why;
      } else {
        EXPECT_EQ(why, whole);
      }
    }
  }
}

TEST(RequestJudge, SatRegistersReadBothCommandBlockForms) {
  const std::uint8_t sixteen[16] = {0x85, 0x08, 0x0E, 0, 0xD0, 0, 1, 0, 2, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0};
  const std::uint8_t twelve[12] = {0xA1, 0x08, 0x0E, 0xD0, 1, 2, 0x4F, 0xC2, 0xA0, 0xB0, 0, 0};
  const std::array<std::uint8_t, 8> expected = {0xD0, 1, 2, 0x4F, 0xC2, 0xA0, 0xB0, 0};
  EXPECT_EQ(SatRegisters(sixteen), expected);
  EXPECT_EQ(SatRegisters(twelve), expected);
}

}  // namespace
}  // namespace vexa
