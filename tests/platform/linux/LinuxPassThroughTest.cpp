// The Linux pass-through against a scripted kernel: the command blocks each Windows
// request becomes, and how each kind of kernel answer (good data, a drive's abort in
// either sense format, short transfers, missing or damaged sense, CHECK CONDITION,
// errno, NVMe status and size) reaches the core's buffers. Requests are built by the
// core's own builders, and NVMe replies read back by its own decoder.
#include "platform/linux/LinuxPassThrough.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "device/IoControl.h"
#include "device/NvmeQuery.h"
#include "device/SmartReader.h"
#include "platform/StorageLayout.h"
#include "support/Bytes.h"

namespace vexa {
namespace {

namespace st = storage;
namespace ac = st::atacmd;
using TByteVector = std::vector<std::uint8_t>;
using TCdb = std::array<std::uint8_t, 16>;

constexpr int kDiskFd = 7;
constexpr int kControllerFd = 9;

// A kernel that records what it was sent and answers from a script; the device's
// data is a counting pattern.
struct TFakeKernel final : TLinuxKernel {
  TSgReply sgReply;
  TNvmeAdminReply nvmeReply;
  std::optional<std::uint32_t> nvmeBytes;  // none: the whole buffer
  std::vector<TSgRequest> sg;
  std::vector<std::size_t> sgSizes;
  std::vector<TNvmeAdminRequest> nvme;
  std::vector<int> fds;

  TSgReply SgIo(int fd, const TSgRequest& request, std::span<std::uint8_t> data) override {
    fds.push_back(fd);
    sg.push_back(request);
    sgSizes.push_back(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 1);
    return sgReply;
  }
  TNvmeAdminReply NvmeAdmin(int fd, const TNvmeAdminRequest& request, std::span<std::uint8_t> data) override {
    fds.push_back(fd);
    nvme.push_back(request);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 3);
    TNvmeAdminReply reply = nvmeReply;
    reply.bytes = nvmeBytes.value_or(static_cast<std::uint32_t>(data.size()));
    return reply;
  }
  std::size_t Calls() const { return sg.size() + nvme.size(); }
};

// The registers a drive shows after a command, as in a Windows task file.
struct TAfter {
  std::uint8_t error = 0, count = 1, low = 0, mid = 0, high = 0, device = 0xA0, status = ac::kStatusReady;
};

TByteVector DescriptorSense(std::uint8_t key, std::uint8_t ascq, TAfter r, std::uint8_t length = 0x0C) {
  return {0x72, key, 0, ascq, 0, 0, 0, 14, 0x09, length, 0, r.error, 0, r.count,
          0, r.low, 0, r.mid, 0, r.high, r.device, r.status};
}
TByteVector FixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, TAfter r) {
  return {0xF0, 0, key, r.error, r.status, r.device, r.count, 10, 0, r.high, r.mid, r.low, asc, ascq,
          0, 0, 0, 0};
}
TSgReply Sg(std::uint8_t status, TByteVector sense = {}, std::int32_t resid = 0) {
  TSgReply reply;
  reply.status = status;
  std::copy(sense.begin(), sense.end(), reply.sense.begin());
  reply.senseLength = static_cast<std::uint8_t>(sense.size());
  reply.driverStatus = sense.empty() ? 0 : 0x08;
  reply.resid = resid;
  return reply;
}
TSgReply Errno(int error) {
  TSgReply reply;
  reply.error = error;
  return reply;
}
TSgReply Host(std::uint16_t host) {
  TSgReply reply;
  reply.hostStatus = host;
  return reply;
}

constexpr std::uint8_t kGood = st::scsi::kStatusGood;
constexpr std::uint8_t kCheck = st::scsi::kStatusCheckCondition;
const TAfter kDone{};
const TAfter kAbort{.error = ac::kErrorAbort, .status = ac::kStatusError};
const TByteVector kDoneSense = DescriptorSense(0x01, 0x1D, kDone);

TByteVector AtaIdentifyRequest() {
  TByteVector request(st::ata::kSize + 512, 0);
  const std::uint8_t taskFile[8] = {0, 1, 0, 0, 0, 0, ac::kIdentifyDevice, 0};
  BuildAtaRequest(request, st::ata::kFlagDrdyRequired | st::ata::kFlagDataIn | st::ata::kFlag48BitCommand, 512, 3,
                  taskFile);
  return request;
}

TByteVector SmartBlock(std::uint8_t features) {
  const TSmartCommandBlock block = SmartTemplate(512, features, 0);
  return TByteVector(block.begin(), block.end());
}

TByteVector IdentifyThroughSmart() {
  TByteVector block = SmartBlock(0);
  const std::size_t regs = st::sendcmdin::kRegisters;
  block[regs + st::taskfile::kLbaLow] = 1;
  block[regs + st::taskfile::kLbaMid] = 0;
  block[regs + st::taskfile::kLbaHigh] = 0;
  block[regs + st::taskfile::kCommand] = ac::kIdentifyDevice;
  return block;
}

// The core's SAT route: IDENTIFY as ATA PASS-THROUGH (16), with sense room.
TByteVector SatIdentifyRequest(std::uint8_t senseRoom = 32) {
  TByteVector request(st::scsi::kSize + 32 + 512, 0);
  PutU16(request, st::scsi::kLength, st::scsi::kSize);
  request[st::scsi::kCdbLength] = 16;
  request[st::scsi::kSenseInfoLength] = senseRoom;
  request[st::scsi::kDataIn] = st::scsi::kDataInDirection;
  PutU32(request, st::scsi::kDataTransferLength, 512);
  PutU32(request, st::scsi::kTimeOutValue, 3);
  PutU32(request, st::scsi::kSenseInfoOffset, st::scsi::kSize);
  PutU32(request, st::scsi::kDataBufferOffset, st::scsi::kSize + 32);
  const TCdb cdb = {0x85, 0x08, 0x0E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xA0, 0xEC, 0};
  std::copy(cdb.begin(), cdb.end(), request.begin() + st::scsi::kCdb);
  return request;
}

const TPassThroughDevice kAtaDisk{kDiskFd, TPassThroughBus::Ata};
const TPassThroughDevice kUsbDisk{kDiskFd, TPassThroughBus::Scsi};
const TPassThroughDevice kNvmeDisk{kDiskFd, TPassThroughBus::Nvme, kControllerFd, 1};

TEST(LinuxPassThrough, AtaCommandsGoDownAsAtaPassThrough16WithTheirRegistersAskedBack) {
  struct TRow {
    const char* name;
    std::uint32_t code;
    TByteVector input;
    TCdb cdb;
    std::size_t transfer;
  };
  const TRow rows[] = {
      {"IDENTIFY", st::kIoctlAtaPassThrough, AtaIdentifyRequest(),
       {0x85, 0x08, 0x2E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xEC, 0}, 512},
      {"IDENTIFY through SMART", st::kSmartRcvDriveData, IdentifyThroughSmart(),
       {0x85, 0x08, 0x2E, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0xA0, 0xEC, 0}, 512},
      {"SMART READ DATA", st::kSmartRcvDriveData, SmartBlock(ac::kSmartReadData),
       {0x85, 0x08, 0x2E, 0, 0xD0, 0, 1, 0, 0, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}, 512},
      {"SMART READ THRESHOLDS", st::kSmartRcvDriveData, SmartBlock(ac::kSmartReadThresholds),
       {0x85, 0x08, 0x2E, 0, 0xD1, 0, 1, 0, 0, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}, 512},
      {"SMART RETURN STATUS", st::kSmartSendDriveCommand, SmartBlock(ac::kSmartReturnStatus),
       {0x85, 0x06, 0x20, 0, 0xDA, 0, 1, 0, 0, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}, 0},
      // The core asks ENABLE with the data-in flag and a one-byte area: still non-data.
      {"SMART ENABLE", st::kSmartSendDriveCommand, SmartBlock(ac::kSmartEnableOperations),
       {0x85, 0x06, 0x20, 0, 0xD8, 0, 1, 0, 0, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}, 0},
      {"SAT IDENTIFY, unchanged", st::kIoctlScsiPassThrough, SatIdentifyRequest(),
       {0x85, 0x08, 0x0E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xA0, 0xEC, 0}, 512},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.name);
    TFakeKernel kernel;
    kernel.sgReply = Sg(kCheck, kDoneSense);
    TByteVector output(600, 0);
    const TPassThroughOutcome outcome = PassThrough(kernel, kAtaDisk, row.code, row.input, output);
    ASSERT_TRUE(outcome.answer);
    ASSERT_EQ(kernel.sg.size(), 1u);
    EXPECT_EQ(kernel.sg[0].cdb, row.cdb);
    EXPECT_EQ(kernel.sg[0].cdbLength, 16);
    EXPECT_EQ(kernel.sg[0].direction, row.transfer ? TSgDirection::FromDevice : TSgDirection::None);
    EXPECT_EQ(kernel.sgSizes[0], row.transfer);
    EXPECT_EQ(kernel.fds[0], kDiskFd);
    EXPECT_GE(kernel.sg[0].timeoutMs, 1000u);
  }
}

// IOCTL_ATA_PASS_THROUGH for IDENTIFY, over each kind of kernel answer.
TEST(LinuxPassThrough, AtaPassThroughRepliesAsWindowsFillsThem) {
  struct TRow {
    const char* name;
    TSgReply reply;
    std::uint32_t error;  // 0: the request succeeds
    std::uint32_t transferred = 0;
    std::uint8_t status = 0, ataError = 0;
  };
  const TAfter fixedDone{.count = 0, .device = 0x40};
  const TRow rows[] = {
      {"good data, descriptor sense", Sg(kCheck, kDoneSense), 0, 512, 0x50, 0},
      {"drive abort in a descriptor", Sg(kCheck, DescriptorSense(0x0B, 0, kAbort), 512), 0, 0, 0x51, 0x04},
      {"drive abort, data claimed", Sg(kCheck, DescriptorSense(0x0B, 0, kAbort)), 0, 0, 0x51, 0x04},
      {"fixed-format sense", Sg(kCheck, FixedSense(0x01, 0, 0x1D, fixedDone)), 0, 512, 0x50, 0},
      {"fixed-format abort", Sg(kCheck, FixedSense(0x0B, 0, 0, kAbort), 512), 0, 0, 0x51, 0x04},
      {"short transfer", Sg(kCheck, kDoneSense, 312), 0, 200, 0x50, 0},
      {"GOOD without sense", Sg(kGood), 0, 512, 0x50, 0},
      {"CHECK CONDITION without sense", Sg(kCheck), kErrorIoDevice},
      {"descriptor of the wrong length", Sg(kCheck, DescriptorSense(0x01, 0x1D, kDone, 0x0B)), kErrorIoDevice},
      {"fixed sense without registers", Sg(kCheck, FixedSense(0x05, 0x24, 0, kDone)), kErrorInvalidFunction},
      {"resid larger than the request", Sg(kCheck, kDoneSense, 513), kErrorIoDevice},
      {"negative resid", Sg(kCheck, kDoneSense, -1), kErrorIoDevice},
      {"EACCES", Errno(EACCES), kErrorAccessDenied},
      {"EIO", Errno(EIO), kErrorIoDevice},
      {"ENODEV", Errno(ENODEV), kErrorDeviceNotConnected},
      {"command timed out", Host(0x03), kErrorSemTimeout},
      {"host error", Host(0x07), kErrorIoDevice},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.name);
    TFakeKernel kernel;
    kernel.sgReply = row.reply;
    TByteVector buffer = AtaIdentifyRequest();
    const TByteVector input(buffer.begin(), buffer.begin() + st::ata::kSize);
    const TIoResult result = *PassThrough(kernel, kAtaDisk, st::kIoctlAtaPassThrough, input, buffer).answer;
    EXPECT_EQ(result.error, row.error);
    EXPECT_EQ(result.ok, row.error == 0);
    if (!result.ok) continue;
    EXPECT_EQ(result.bytes, st::ata::kSize + row.transferred);
    EXPECT_EQ(GetU32(buffer, st::ata::kDataTransferLength), row.transferred);
    EXPECT_EQ(buffer[st::ata::kCurrentTaskFile + st::taskfile::kStatus], row.status);
    EXPECT_EQ(buffer[st::ata::kCurrentTaskFile + st::taskfile::kError], row.ataError);
    if (row.transferred > 0) {
      EXPECT_EQ(buffer[st::ata::kSize], 1);
      EXPECT_EQ(buffer[st::ata::kSize + row.transferred - 1], static_cast<std::uint8_t>(row.transferred));
    }
  }
}

TEST(LinuxPassThrough, SmartRepliesCarryTheDriverStatusAndRegisters) {
  namespace o = st::sendcmdout;
  struct TRow {
    const char* name;
    std::uint32_t code;
    TByteVector block;
    TSgReply reply;
    std::uint32_t bytes, bufferSize;
    std::uint8_t driverError, ideError;
  };
  const TRow rows[] = {
      {"READ DATA", st::kSmartRcvDriveData, SmartBlock(ac::kSmartReadData), Sg(kCheck, kDoneSense), 528, 512, 0, 0},
      {"READ DATA, short", st::kSmartRcvDriveData, SmartBlock(ac::kSmartReadData), Sg(kCheck, kDoneSense, 500), 28, 12, 0, 0},
      {"READ THRESHOLDS aborted", st::kSmartRcvDriveData, SmartBlock(ac::kSmartReadThresholds),
       Sg(kCheck, DescriptorSense(0x0B, 0, kAbort)), 16, 0, 1, 0x04},
      {"ENABLE", st::kSmartSendDriveCommand, SmartBlock(ac::kSmartEnableOperations), Sg(kCheck, kDoneSense), 16, 0, 0, 0},
      {"RETURN STATUS, failing", st::kSmartSendDriveCommand, SmartBlock(ac::kSmartReturnStatus),
       Sg(kCheck, DescriptorSense(0x01, 0x1D, {.mid = 0xF4, .high = 0x2C})), 24, 8, 0, 0},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.name);
    TFakeKernel kernel;
    kernel.sgReply = row.reply;
    TByteVector reply(o::kBuffer + 512, 0xEE);
    const TIoResult result = *PassThrough(kernel, kAtaDisk, row.code, row.block, reply).answer;
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.bytes, row.bytes);
    EXPECT_EQ(GetU32(reply, o::kBufferSize), row.bufferSize);
    EXPECT_EQ(reply[o::kDriverError], row.driverError);
    EXPECT_EQ(reply[o::kIdeError], row.ideError);
  }
  // RETURN STATUS answers in the registers, LBA mid and high where Windows puts them.
  TFakeKernel kernel;
  kernel.sgReply = Sg(kCheck, DescriptorSense(0x01, 0x1D, {.mid = 0xF4, .high = 0x2C}));
  TByteVector reply(o::kBuffer + 8, 0);
  ASSERT_TRUE(PassThrough(kernel, kAtaDisk, st::kSmartSendDriveCommand, SmartBlock(ac::kSmartReturnStatus), reply)
                  .answer->ok);
  EXPECT_EQ(reply[o::kBuffer + st::taskfile::kLbaMid], 0xF4);
  EXPECT_EQ(reply[o::kBuffer + st::taskfile::kLbaHigh], 0x2C);
  EXPECT_EQ(reply[o::kBuffer + st::taskfile::kStatus], 0x50);
  // Without its registers RETURN STATUS has no answer.
  kernel.sgReply = Sg(kGood);
  EXPECT_EQ(PassThrough(kernel, kAtaDisk, st::kSmartSendDriveCommand, SmartBlock(ac::kSmartReturnStatus), reply)
                .answer->error,
            kErrorIoDevice);
}

TEST(LinuxPassThrough, ScsiPassThroughReturnsStatusSenseAndTheBytesTransferred) {
  namespace s = st::scsi;
  // A USB bridge without SAT: CHECK CONDITION, ILLEGAL REQUEST, INVALID COMMAND OPERATION CODE.
  const TByteVector illegal = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0, 0, 0, 0, 0};
  struct TRow {
    const char* name;
    TSgReply reply;
    std::uint8_t senseRoom;
    std::uint32_t error;
    std::uint8_t status = 0;
    std::uint32_t transferred = 0;
    std::uint8_t senseLength = 0;
    std::uint32_t bytes = 0;
  };
  const TRow rows[] = {
      {"good data", Sg(kGood), 32, 0, kGood, 512, 0, 44 + 32 + 512},
      {"short transfer", Sg(kGood, {}, 500), 32, 0, kGood, 12, 0, 44 + 32 + 12},
      {"CHECK CONDITION, ILLEGAL REQUEST", Sg(kCheck, illegal, 512), 32, 0, kCheck, 0, 18, 44 + 18},
      {"sense cut to its room", Sg(kCheck, illegal, 512), 8, 0, kCheck, 0, 8, 44 + 8},
      {"virtio: no SG_IO", Errno(ENOTTY), 32, kErrorInvalidFunction},
      {"resid larger than the request", Sg(kGood, {}, 600), 32, kErrorIoDevice},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.name);
    TFakeKernel kernel;
    kernel.sgReply = row.reply;
    TByteVector buffer = SatIdentifyRequest(row.senseRoom);
    const TByteVector input(buffer.begin(), buffer.begin() + s::kSize);
    const TIoResult result = *PassThrough(kernel, kUsbDisk, st::kIoctlScsiPassThrough, input, buffer).answer;
    EXPECT_EQ(kernel.sgSizes.at(0), 512u);
    EXPECT_EQ(kernel.sg.at(0).timeoutMs, 3000u);
    EXPECT_EQ(result.error, row.error);
    if (!result.ok) continue;
    EXPECT_EQ(result.bytes, row.bytes);
    EXPECT_EQ(buffer[s::kScsiStatus], row.status);
    EXPECT_EQ(GetU32(buffer, s::kDataTransferLength), row.transferred);
    EXPECT_EQ(buffer[s::kSenseInfoLength], row.senseLength);
    if (row.senseLength > 2) {
      EXPECT_EQ(buffer[s::kSize + 2], 0x05);
    }
  }
}

// What never reaches the kernel: refusals (error 5), requests other buses' drivers
// lack, malformed requests, and the ones the description side answers.
TEST(LinuxPassThrough, RequestsAnsweredWithoutTheKernel) {
  TByteVector ataWrite = AtaIdentifyRequest();
  PutU16(ataWrite, st::ata::kAtaFlags, st::ata::kFlagDataOut);
  TByteVector shortSmart = SmartBlock(ac::kSmartReadData);
  shortSmart.resize(20);
  TByteVector badLength = AtaIdentifyRequest();
  PutU16(badLength, st::ata::kLength, 36);
  TByteVector scsiShortHeader = SatIdentifyRequest();
  scsiShortHeader.resize(40);
  const TByteVector miniport = [] {
    TByteVector request(64, 0);
    PutU32(request, st::srbio::kHeaderLength, st::srbio::kSize);
    std::copy_n("SCSIDISK", 8, request.begin() + st::srbio::kSignature);
    PutU32(request, st::srbio::kControlCode, st::kIoctlScsiMiniportIdentify);
    request[st::srbio::kSize + st::sendcmdin::kRegisters + st::taskfile::kCommand] = ac::kIdentifyDevice;
    return request;
  }();
  TByteVector deviceQuery(st::propertyquery::kSize, 0);
  struct TRow {
    const char* name;
    const TPassThroughDevice& device;
    std::uint32_t code;
    TByteVector input;
    std::size_t outputSize;
    std::optional<std::uint32_t> error;  // none: not a live request
    bool refused = false;
  };
  const TRow rows[] = {
      {"ATA data out", kAtaDisk, st::kIoctlAtaPassThrough, ataWrite, 600, kErrorAccessDenied, true},
      {"SMART WRITE LOG", kAtaDisk, st::kSmartSendDriveCommand, SmartBlock(0xD6), 600, kErrorAccessDenied, true},
      {"unknown code", kAtaDisk, 0x7C054, {}, 600, kErrorAccessDenied, true},
      {"ATA pass-through on USB", kUsbDisk, st::kIoctlAtaPassThrough, AtaIdentifyRequest(), 600, kErrorInvalidFunction},
      {"SMART on NVMe", kNvmeDisk, st::kSmartRcvDriveData, SmartBlock(ac::kSmartReadData), 600, kErrorInvalidFunction},
      {"miniport", kAtaDisk, st::kIoctlScsiMiniport, miniport, 600, kErrorInvalidFunction},
      {"ATA header length 36", kAtaDisk, st::kIoctlAtaPassThrough, badLength, 600, kErrorInvalidParameter},
      {"ATA output too short", kAtaDisk, st::kIoctlAtaPassThrough, AtaIdentifyRequest(), 30, kErrorInvalidParameter},
      {"SMART block too short", kAtaDisk, st::kSmartRcvDriveData, shortSmart, 600, kErrorInvalidParameter},
      {"SMART data to SEND", kAtaDisk, st::kSmartSendDriveCommand, SmartBlock(ac::kSmartReadData), 600,
       kErrorInvalidParameter},
      {"SMART reply room too small", kAtaDisk, st::kSmartRcvDriveData, SmartBlock(ac::kSmartReadData), 100,
       kErrorInsufficientBuffer},
      {"SMART version room too small", kAtaDisk, st::kSmartGetVersion, {}, 20, kErrorInsufficientBuffer},
      {"SCSI header cut", kAtaDisk, st::kIoctlScsiPassThrough, scsiShortHeader, 600, kErrorInvalidParameter},
      {"NVMe query on SATA", kAtaDisk, st::kIoctlStorageQueryProperty,
       BuildNvmeQuery(TNvmeRequest::HealthLog, st::propertyquery::kStorageDeviceProtocolSpecificProperty), 600,
       kErrorInvalidParameter},
      {"device property", kNvmeDisk, st::kIoctlStorageQueryProperty, deviceQuery, 600, std::nullopt},
      {"geometry", kAtaDisk, st::kIoctlDiskGetDriveGeometryEx, {}, 600, std::nullopt},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.name);
    TFakeKernel kernel;
    TByteVector output(row.outputSize, 0xEE);
    const TPassThroughOutcome outcome = PassThrough(kernel, row.device, row.code, row.input, output);
    EXPECT_EQ(kernel.Calls(), 0u);
    EXPECT_EQ(outcome.refusal.has_value(), row.refused);
    ASSERT_EQ(outcome.answer.has_value(), row.error.has_value());
    if (!row.error) continue;
    EXPECT_FALSE(outcome.answer->ok);
    EXPECT_EQ(outcome.answer->error, *row.error);
    EXPECT_TRUE(std::all_of(output.begin(), output.end(), [](std::uint8_t b) { return b == 0xEE; }));
  }
  // The SMART version of an ATA port's disk driver.
  TFakeKernel kernel;
  TByteVector version(st::getversion::kSize, 0);
  EXPECT_EQ(PassThrough(kernel, kAtaDisk, st::kSmartGetVersion, {}, version).answer->bytes, st::getversion::kSize);
  EXPECT_EQ(version[st::getversion::kVersion], 1);
  EXPECT_EQ(GetU32(version, st::getversion::kCapabilities), 7u);
}

TEST(LinuxPassThrough, NvmeQueriesBecomeTheAdminCommandsTheDriverSends) {
  struct TRow {
    const char* name;
    TNvmeRequest request;
    std::uint8_t opcode;
    std::uint32_t nsid, cdw10;
    std::size_t size;
  };
  const TRow rows[] = {
      {"Identify Controller", TNvmeRequest::IdentifyController, 0x06, 0, 1, 4096},
      {"Identify Namespace", TNvmeRequest::IdentifyNamespace, 0x06, 1, 0, 4096},
      {"SMART / Health log", TNvmeRequest::HealthLog, 0x02, 0xFFFFFFFF, 0x007F0002, 512},
  };
  for (const TRow& row : rows) {
    for (const std::uint32_t property : {st::propertyquery::kStorageDeviceProtocolSpecificProperty,
                                         st::propertyquery::kStorageAdapterProtocolSpecificProperty}) {
      SCOPED_TRACE(std::string(row.name) + ", property " + std::to_string(property));
      TFakeKernel kernel;
      TByteVector buffer = BuildNvmeQuery(row.request, property);
      const TIoResult result = *PassThrough(kernel, kNvmeDisk, st::kIoctlStorageQueryProperty, buffer, buffer).answer;
      ASSERT_TRUE(result.ok) << result.error;
      ASSERT_EQ(kernel.nvme.size(), 1u);
      EXPECT_EQ(kernel.fds[0], kControllerFd);
      EXPECT_EQ(kernel.nvme[0].opcode, row.opcode);
      EXPECT_EQ(kernel.nvme[0].nsid, row.nsid);
      EXPECT_EQ(kernel.nvme[0].cdw[0], row.cdw10);
      const std::optional<TNvmeAnswer> answer = LocateNvmeAnswer(TBytes(buffer).first(result.bytes));
      ASSERT_TRUE(answer);
      EXPECT_EQ(answer->length, row.size);
      EXPECT_EQ(buffer[answer->offset], 3);
    }
  }
}

TEST(LinuxPassThrough, NvmeFailuresAreErrorsNeverData) {
  struct TRow {
    const char* name;
    TNvmeAdminReply reply;
    std::optional<std::uint32_t> bytes;
    std::uint32_t error;
  };
  const TRow rows[] = {
      {"short reply", {}, 2048, kErrorIoDevice},
      {"controller error status", {.status = 0x4002}, 0, kErrorIoDevice},
      {"EACCES", {.error = EACCES}, 0, kErrorAccessDenied},
      {"ENOTTY", {.error = ENOTTY}, 0, kErrorInvalidFunction},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.name);
    TFakeKernel kernel;
    kernel.nvmeReply = row.reply;
    kernel.nvmeBytes = row.bytes;
    TByteVector buffer = BuildNvmeQuery(TNvmeRequest::IdentifyController,
                                        st::propertyquery::kStorageDeviceProtocolSpecificProperty);
    const TByteVector sent = buffer;
    const TIoResult result = *PassThrough(kernel, kNvmeDisk, st::kIoctlStorageQueryProperty, buffer, buffer).answer;
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, row.error);
    EXPECT_EQ(buffer, sent);
  }
  // Other namespaces, other CNS values and other log pages are refused unsent.
  TByteVector otherNamespace = BuildNvmeQuery(TNvmeRequest::IdentifyNamespace,
                                              st::propertyquery::kStorageDeviceProtocolSpecificProperty);
  PutU32(otherNamespace, st::propertyquery::kAdditionalParameters + st::protocoldata::kRequestSubValue, 2);
  TByteVector otherLog = BuildNvmeQuery(TNvmeRequest::HealthLog, st::propertyquery::kStorageDeviceProtocolSpecificProperty);
  PutU32(otherLog, st::propertyquery::kAdditionalParameters + st::protocoldata::kRequestValue, 3);
  for (TByteVector* query : {&otherNamespace, &otherLog}) {
    TFakeKernel kernel;
    EXPECT_EQ(PassThrough(kernel, kNvmeDisk, st::kIoctlStorageQueryProperty, *query, *query).answer->error,
              kErrorInvalidParameter);
    EXPECT_EQ(kernel.Calls(), 0u);
  }
}

}  // namespace
}  // namespace vexa
