// The requests of a 64-bit process: for each request kind, the bytes the driver
// receives (written out here at their 64-bit places, field by field), a scripted
// driver reply, and what the core finds in its buffer afterwards.
#include "platform/RequestLayout64.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/StorageLayout.h"
#include "support/HexBytes.h"

namespace vexa {
namespace {

namespace st = storage;
using TByteVector = std::vector<std::uint8_t>;

// Hex bytes as ParseHexBytes reads them; "XX*N" stands for N bytes XX.
TByteVector Hex(std::string_view text) {
  std::istringstream tokens{std::string(text)};
  std::string expanded, token;
  while (tokens >> token) {
    const std::size_t star = token.find('*');
    const int count = star == std::string::npos ? 1 : std::stoi(token.substr(star + 1));
    for (int i = 0; i < count; ++i) expanded += token.substr(0, star) + " ";
  }
  TByteVector bytes;
  EXPECT_TRUE(ParseHexBytes(expanded, bytes)) << text;
  return bytes;
}

std::string HexOf(TBytes bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
    text += ' ';
  }
  return text;
}

// A driver that keeps what it was sent and answers from a script: the reply bytes
// it writes at the start of its output, and its answer.
struct TScriptedDriver {
  TScriptedDriver(TByteVector replyBytes, TIoResult scripted) : reply(std::move(replyBytes)), answer(scripted) {}

  TByteVector reply;
  TIoResult answer;

  int calls = 0;
  TByteVector input;
  std::size_t outputSize = 0;
  const std::uint8_t* inputData = nullptr;
  const std::uint8_t* outputData = nullptr;

  TSendRequest Send() {
    return [this](TBytes in, TMutableBytes out) {
      ++calls;
      input.assign(in.begin(), in.end());
      outputSize = out.size();
      inputData = in.data();
      outputData = out.data();
      std::copy_n(reply.begin(), std::min(reply.size(), out.size()), out.begin());
      return answer;
    };
  }
};

// One request through the translation. The caller's buffer is both input (its first
// inputSize bytes) and output, as the transport sends it, unless outputSize names a
// separate output buffer, which starts filled with EE.
struct TCall {
  TByteVector caller;
  std::size_t inputSize = 0;
  std::size_t outputSize = 0;
  TByteVector output;  // the caller's output afterwards
  TIoResult answer;
};

TCall CallThrough64(std::uint32_t code, std::string_view caller, std::size_t inputSize, std::size_t outputSize,
          TScriptedDriver& driver) {
  TCall call{Hex(caller), inputSize, outputSize, {}, {}};
  TByteVector separate(outputSize, 0xEE);
  const TBytes input = TBytes(call.caller).first(std::min(inputSize, call.caller.size()));
  const TMutableBytes output = outputSize > 0 ? TMutableBytes(separate) : TMutableBytes(call.caller);
  call.answer = SendInLayout64(code, input, output, driver.Send());
  call.output.assign(output.begin(), output.end());
  return call;
}

struct TTranslatedRow {
  const char* name;
  std::uint32_t code;
  const char* caller;
  std::size_t inputSize;
  std::size_t outputSize;  // 0: the caller's buffer is the output
  const char* sent;        // what the driver receives as input
  std::size_t outputSize64;
  const char* reply;       // what the driver writes
  TIoResult answer64;
  const char* result;      // the caller's output afterwards
  TIoResult answer32;
};

// ATA_PASS_THROUGH_EX, 32-bit: Length, AtaFlags, PathId TargetId Lun ReservedAsUchar,
// DataTransferLength, TimeOutValue, ReservedAsUlong, DataBufferOffset (4 bytes),
// PreviousTaskFile, CurrentTaskFile. 64-bit: the same up to ReservedAsUlong, 4 bytes
// of padding, DataBufferOffset (8 bytes), PreviousTaskFile, CurrentTaskFile.
// IDENTIFY DEVICE of 8 bytes, 48-bit, data in:
#define ATA32_IDENTIFY(offset) "2800 0b00 00000000 08000000 03000000 00000000 " offset " 00*8 0001000000a0ec00 "
#define ATA64_IDENTIFY(offset) \
  "3000 0b00 00000000 08000000 03000000 00000000 00000000 " offset " 00*8 0001000000a0ec00 "
#define ATA64_IDENTIFIED(offset, length) \
  "3000 0b00 00000000 " length " 03000000 00000000 00000000 " offset " 00*8 0001000000a05000 "
#define ATA32_IDENTIFIED(offset, length) "2800 0b00 00000000 " length " 03000000 00000000 " offset " 00*8 0001000000a05000 "
#define DATA8 "1122334455667788 "

// SCSI_PASS_THROUGH, 32-bit: Length, ScsiStatus PathId TargetId Lun CdbLength,
// SenseInfoLength, DataIn and padding, DataTransferLength, TimeOutValue,
// DataBufferOffset (4 bytes), SenseInfoOffset, Cdb. 64-bit: the same up to
// TimeOutValue, 4 bytes of padding, DataBufferOffset (8 bytes), SenseInfoOffset,
// Cdb, 4 bytes of padding. ATA PASS-THROUGH (16), IDENTIFY DEVICE:
#define SAT_CDB "85080e000000010000000000 00a0ec00 "
#define SCSI32(status, senseLength, length, data, sense) \
  "2c00 " status "00000010 " senseLength " 01000000 " length " 03000000 " data " " sense " " SAT_CDB
#define SCSI64(status, senseLength, length, data, sense)                                                      \
  "3800 " status "00000010 " senseLength " 01000000 " length " 03000000 00000000 " data " " sense " " SAT_CDB \
  "00000000 "
#define SENSE18 "70000b000000000a00000000 000000000000 "

const TTranslatedRow kTranslated[] = {
    {"ATA IDENTIFY as the transport sends it: input the header, data right behind it", st::kIoctlAtaPassThrough,
     ATA32_IDENTIFY("28000000") "00*8", 40, 0,  //
     ATA64_IDENTIFY("3000000000000000"), 56,    //
     ATA64_IDENTIFIED("3000000000000000", "08000000") DATA8, {true, 56, 0},
     ATA32_IDENTIFIED("28000000", "08000000") DATA8, {true, 48, 0}},
    {"ATA data area further back, the caller's own bytes before it", st::kIoctlAtaPassThrough,
     ATA32_IDENTIFY("30000000") "a1a2a3a4a5a6a7a8 00*8", 56, 0,
     ATA64_IDENTIFY("3800000000000000") "a1a2a3a4a5a6a7a8 00*8", 64,
     ATA64_IDENTIFIED("3800000000000000", "08000000") "a1a2a3a4a5a6a7a8" DATA8, {true, 64, 0},
     ATA32_IDENTIFIED("30000000", "08000000") "a1a2a3a4a5a6a7a8" DATA8, {true, 56, 0}},
    {"ATA command without data: its offset moves with the header all the same", st::kIoctlAtaPassThrough,
     "2800 0100 00000000 00000000 05000000 00000000 28000000 00*8 da00004fc2a0b000", 40, 0,
     "3000 0100 00000000 00000000 05000000 00000000 00000000 3000000000000000 00*8 da00004fc2a0b000", 48,
     "3000 0100 00000000 00000000 05000000 00000000 00000000 3000000000000000 00*8 000000f42ca05000", {true, 48, 0},
     "2800 0100 00000000 00000000 05000000 00000000 28000000 00*8 000000f42ca05000", {true, 40, 0}},
    {"ATA separate output larger than the input: the data area lies in the output", st::kIoctlAtaPassThrough,
     ATA32_IDENTIFY("28000000"), 40, 48,  //
     ATA64_IDENTIFY("3000000000000000"), 56,
     ATA64_IDENTIFIED("3000000000000000", "08000000") DATA8, {true, 56, 0},
     ATA32_IDENTIFIED("28000000", "08000000") DATA8, {true, 48, 0}},
    {"ATA data area in the input only, the output just the header", st::kIoctlAtaPassThrough,
     ATA32_IDENTIFY("28000000") "00*8", 48, 40,  //
     ATA64_IDENTIFY("3000000000000000") "00*8", 48,
     ATA64_IDENTIFIED("3000000000000000", "00000000"), {true, 48, 0},
     ATA32_IDENTIFIED("28000000", "00000000"), {true, 40, 0}},
    {"ATA empty data area pointing into the header: sent as it is", st::kIoctlAtaPassThrough,
     "2800 0100 00000000 00000000 05000000 00000000 04000000 00*8 00*8", 40, 0,
     "3000 0100 00000000 00000000 05000000 00000000 00000000 0400000000000000 00*8 00*8", 48,  //
     "", {false, 0, 1}, "2800 0100 00000000 00000000 05000000 00000000 04000000 00*8 00*8", {false, 0, 1}},
    {"ATA failure: the caller's buffer stays as it was", st::kIoctlAtaPassThrough,
     ATA32_IDENTIFY("28000000") "00*8", 40, 0,  //
     ATA64_IDENTIFY("3000000000000000"), 56,    //
     "", {false, 0, 31},                        //
     ATA32_IDENTIFY("28000000") "00*8", {false, 0, 31}},
    {"ATA reply cut inside the current task file: its first five registers", st::kIoctlAtaPassThrough,
     ATA32_IDENTIFY("28000000") "00*8", 40, 0,  //
     ATA64_IDENTIFY("3000000000000000"), 56,
     "3000 0b00 00000000 08000000 03000000 00000000 00000000 3000000000000000 00*8 5101020304a05100" DATA8,
     {true, 45, 0},
     "2800 0b00 00000000 08000000 03000000 00000000 28000000 00*8 5101020304 a0ec00 00*8", {true, 37, 0}},
    {"ATA reply claiming more data than asked and more bytes than the buffer", st::kIoctlAtaPassThrough,
     ATA32_IDENTIFY("28000000") "00*8", 40, 0,  //
     ATA64_IDENTIFY("3000000000000000"), 56,
     ATA64_IDENTIFIED("3000000000000000", "ffffffff") DATA8, {true, 4096, 0},
     ATA32_IDENTIFIED("28000000", "08000000") DATA8, {true, 48, 0}},
    {"ATA reply with other offsets: the caller's come back", st::kIoctlAtaPassThrough,
     ATA32_IDENTIFY("28000000") "00*8", 40, 0,  //
     ATA64_IDENTIFY("3000000000000000"), 56,
     "9900 0b00 00000000 08000000 03000000 00000000 00000000 0000001000000000 00*8 0001000000a05000" DATA8,
     {true, 56, 0}, ATA32_IDENTIFIED("28000000", "08000000") DATA8, {true, 48, 0}},

    {"SCSI SAT IDENTIFY as the transport sends it: no sense area", st::kIoctlScsiPassThrough,
     SCSI32("00", "00", "08000000", "2c000000", "00000000") "00*8", 44, 0,
     SCSI64("00", "00", "08000000", "3800000000000000", "00000000"), 64,
     SCSI64("00", "00", "08000000", "3800000000000000", "00000000") DATA8, {true, 64, 0},
     SCSI32("00", "00", "08000000", "2c000000", "00000000") DATA8, {true, 52, 0}},
    {"SCSI check condition: sense behind the header, data behind the sense", st::kIoctlScsiPassThrough,
     SCSI32("00", "20", "08000000", "4c000000", "2c000000") "00*32 00*8", 84, 0,
     SCSI64("00", "20", "08000000", "5800000000000000", "38000000") "00*32 00*8", 96,
     SCSI64("02", "12", "00000000", "5800000000000000", "38000000") SENSE18, {true, 74, 0},
     SCSI32("02", "12", "00000000", "4c000000", "2c000000") SENSE18 "00*14 00*8", {true, 62, 0}},
    {"SCSI data before the sense area; a sense length beyond the room is cut to it", st::kIoctlScsiPassThrough,
     SCSI32("00", "12", "08000000", "2c000000", "34000000") "00*8 00*18", 70, 0,
     SCSI64("00", "12", "08000000", "3800000000000000", "40000000") "00*8 00*18", 82,
     SCSI64("00", "ff", "08000000", "3800000000000000", "40000000") DATA8 SENSE18, {true, 82, 0},
     SCSI32("00", "12", "08000000", "2c000000", "34000000") DATA8 SENSE18, {true, 70, 0}},
    {"SCSI reply cut inside the command block: its first four bytes", st::kIoctlScsiPassThrough,
     SCSI32("00", "00", "08000000", "2c000000", "00000000") "00*8", 44, 0,
     SCSI64("00", "00", "08000000", "3800000000000000", "00000000"), 64,
     "3800 0000000010 00 01000000 08000000 03000000 00000000 3800000000000000 00000000 a1b2c3d4 00*12 00000000",
     {true, 40, 0},
     "2c00 0000000010 00 01000000 08000000 03000000 2c000000 00000000 a1b2c3d4 000001000000000000a0ec00 00*8",
     {true, 32, 0}},
    {"SCSI reply ending in the 64-bit padding: the whole header, nothing more", st::kIoctlScsiPassThrough,
     SCSI32("00", "00", "08000000", "2c000000", "00000000") "00*8", 44, 0,
     SCSI64("00", "00", "08000000", "3800000000000000", "00000000"), 64,
     SCSI64("00", "00", "00000000", "3800000000000000", "00000000"), {true, 54, 0},
     SCSI32("00", "00", "00000000", "2c000000", "00000000") "00*8", {true, 44, 0}},
};

TEST(RequestLayout64, PassThroughRequestsTravelInThe64BitLayout) {
  for (const TTranslatedRow& row : kTranslated) {
    SCOPED_TRACE(row.name);
    TScriptedDriver driver{Hex(row.reply), row.answer64};
    const TCall call = CallThrough64(row.code, row.caller, row.inputSize, row.outputSize, driver);
    ASSERT_EQ(driver.calls, 1);
    EXPECT_EQ(HexOf(driver.input), HexOf(Hex(row.sent)));
    EXPECT_EQ(driver.outputSize, row.outputSize64);
    // One buffer both ways, as the caller's may be.
    EXPECT_EQ(driver.inputData, driver.outputData);
    EXPECT_EQ(HexOf(call.output), HexOf(Hex(row.result)));
    EXPECT_EQ(call.answer.ok, row.answer32.ok);
    EXPECT_EQ(call.answer.bytes, row.answer32.bytes);
    EXPECT_EQ(call.answer.error, row.answer32.error);
  }
}

struct TRefusedRow {
  const char* name;
  std::uint32_t code;
  const char* caller;
  std::size_t inputSize;
  std::size_t outputSize;  // 0: the caller's buffer is the output
};

// Requests a driver cannot take: refused with ERROR_INVALID_PARAMETER before any
// byte is sent, the caller's buffer untouched.
const TRefusedRow kRefused[] = {
    {"ATA input shorter than the header", st::kIoctlAtaPassThrough, ATA32_IDENTIFY("28000000") "00*8", 39, 0},
    {"ATA output shorter than the header", st::kIoctlAtaPassThrough, ATA32_IDENTIFY("28000000"), 40, 39},
    {"ATA Length of the 64-bit header", st::kIoctlAtaPassThrough,
     "3000 0b00 00000000 08000000 03000000 00000000 28000000 00*8 0001000000a0ec00 00*8", 48, 0},
    {"ATA data area starting inside the header", st::kIoctlAtaPassThrough, ATA32_IDENTIFY("27000000") "00*8", 48, 0},
    {"ATA data area ending one byte beyond the buffer", st::kIoctlAtaPassThrough,
     ATA32_IDENTIFY("29000000") "00*8", 48, 0},
    {"ATA data area beyond the buffer, its end wrapping around 4 GiB", st::kIoctlAtaPassThrough,
     ATA32_IDENTIFY("fcffffff") "00*8", 48, 0},
    {"ATA transfer length beyond the buffer", st::kIoctlAtaPassThrough,
     "2800 0b00 00000000 00100000 03000000 00000000 28000000 00*8 0001000000a0ec00 00*8", 48, 0},
    {"SCSI input shorter than the header", st::kIoctlScsiPassThrough,
     SCSI32("00", "00", "08000000", "2c000000", "00000000") "00*8", 43, 0},
    {"SCSI sense area starting inside the header", st::kIoctlScsiPassThrough,
     SCSI32("00", "12", "08000000", "2c000000", "28000000") "00*8 00*18", 70, 0},
    {"SCSI sense area at offset 0", st::kIoctlScsiPassThrough,
     SCSI32("00", "12", "00000000", "2c000000", "00000000") "00*18", 62, 0},
    {"SCSI sense area ending beyond the buffer", st::kIoctlScsiPassThrough,
     SCSI32("00", "12", "08000000", "2c000000", "35000000") "00*8 00*18", 70, 0},
    {"SCSI data area starting inside the header", st::kIoctlScsiPassThrough,
     SCSI32("00", "00", "08000000", "20000000", "00000000") "00*8", 52, 0},
    {"SCSI transfer length beyond the buffer", st::kIoctlScsiPassThrough,
     SCSI32("00", "00", "09000000", "2c000000", "00000000") "00*8", 52, 0},
};

TEST(RequestLayout64, MalformedPassThroughRequestsAreRefusedUnsent) {
  for (const TRefusedRow& row : kRefused) {
    SCOPED_TRACE(row.name);
    TScriptedDriver driver{{}, {true, 0, 0}};
    const TCall call = CallThrough64(row.code, row.caller, row.inputSize, row.outputSize, driver);
    EXPECT_EQ(driver.calls, 0);
    EXPECT_FALSE(call.answer.ok);
    EXPECT_EQ(call.answer.bytes, 0u);
    EXPECT_EQ(call.answer.error, kErrorInvalidParameter);
    const TByteVector untouched = row.outputSize > 0 ? TByteVector(row.outputSize, 0xEE) : Hex(row.caller);
    EXPECT_EQ(call.output, untouched);
  }
}

struct TSameLayoutRow {
  const char* name;
  std::uint32_t code;
  std::size_t inputSize;
  std::size_t outputSize;
  bool oneBuffer;  // the input is the start of the output, as the NVMe query sends it
};

// Every other request the core sends has the same layout in both widths.
const TSameLayoutRow kSameLayout[] = {
    {"SMART version", st::kSmartGetVersion, 0, st::getversion::kSize, false},
    {"SMART read data", st::kSmartRcvDriveData, st::sendcmdin::kSize, st::sendcmdout::kBuffer + 512, false},
    {"SMART enable", st::kSmartSendDriveCommand, st::sendcmdin::kSize, st::sendcmdout::kBuffer + 8, false},
    {"miniport IDENTIFY", st::kIoctlScsiMiniport, 64, 557, false},
    {"device descriptor", st::kIoctlStorageQueryProperty, st::propertyquery::kSize, 1024, false},
    {"NVMe Identify Controller", st::kIoctlStorageQueryProperty, 8 + st::protocoldata::kSize + 4096,
     8 + st::protocoldata::kSize + 4096, true},
    {"device number", st::kIoctlStorageGetDeviceNumber, 0, st::devicenumber::kSize, false},
    {"geometry", st::kIoctlDiskGetDriveGeometry, 0, st::geometry::kSize, false},
    {"geometry and size", st::kIoctlDiskGetDriveGeometryEx, 0, st::geometry::kExSize, false},
    {"length", st::kIoctlDiskGetLengthInfo, 0, st::lengthinfo::kSize, false},
    {"partition", st::kIoctlDiskGetPartitionInfo, 0, st::partitioninfo::kSize, false},
    {"partition, extended", st::kIoctlDiskGetPartitionInfoEx, 0, st::partitioninfoex::kSize, false},
    {"drive layout", st::kIoctlDiskGetDriveLayoutEx, 0, 8192, false},
    {"volume extents", st::kIoctlVolumeGetVolumeDiskExtents, 0, st::extents::kSize, false},
};

TEST(RequestLayout64, OtherRequestsPassUntouched) {
  for (const TSameLayoutRow& row : kSameLayout) {
    SCOPED_TRACE(row.name);
    TByteVector input(row.inputSize), output(row.outputSize, 0xEE);
    for (std::size_t i = 0; i < input.size(); ++i) input[i] = static_cast<std::uint8_t>(i * 7 + 1);
    if (row.oneBuffer) output = input;
    const TBytes in = row.oneBuffer ? TBytes(output).first(row.inputSize) : TBytes(input);
    const TByteVector sentBytes(in.begin(), in.end());
    // The answer passes as it is, even one no layout check would let through.
    TScriptedDriver driver{Hex("5a*40"), {true, static_cast<std::uint32_t>(row.outputSize + 9), 0}};
    const TIoResult answer = SendInLayout64(row.code, in, output, driver.Send());
    ASSERT_EQ(driver.calls, 1);
    EXPECT_EQ(driver.inputData, in.data());
    EXPECT_EQ(driver.input, sentBytes);
    EXPECT_EQ(driver.outputData, output.data());
    EXPECT_EQ(driver.outputSize, row.outputSize);
    EXPECT_EQ(output[0], 0x5A);
    EXPECT_TRUE(answer.ok);
    EXPECT_EQ(answer.bytes, row.outputSize + 9);
  }
}

}  // namespace
}  // namespace vexa
