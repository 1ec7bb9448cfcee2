// The ATA, SMART and SCSI pass-through requests of a Linux machine. ATA commands go
// down as SAT ATA PASS-THROUGH (16) with ck_cond set, so the device's registers come
// back in the sense data and reach the caller in the task file as Windows returns
// them: a drive's abort is a completed request with ERR in the status, not a failed
// one. The protocol follows the command (the judgement lets through only IDENTIFY and
// the SMART reads), whatever the caller's flags say, so the drive is never told to
// expect a transfer it will not make. SCSI command blocks go down unchanged.
#include "platform/linux/LinuxPassThrough.h"

#include <algorithm>
#include <vector>

#include "platform/RequestJudge.h"
#include "platform/StorageLayout.h"
#include "platform/linux/LinuxPassThroughDetail.h"
#include "support/Bytes.h"

namespace vexa {

namespace st = storage;
namespace tf = st::taskfile;
namespace ac = st::atacmd;
using namespace passthrough;

namespace {

constexpr std::size_t kBlockSize = 512;
constexpr std::uint8_t kStatusErr = 0x01;
// What a drive that completed a command without error shows when its registers did
// not come back: DRDY and DSC.
constexpr std::uint8_t kStatusCompleted = ac::kStatusReady;

// The SMART_GET_VERSION reply of the disk driver on an ATA port: version 1.1, the
// first device, IDENTIFY, IDENTIFY PACKET and SMART.
constexpr std::uint8_t kSmartVersion = 1;
constexpr std::uint8_t kSmartRevision = 1;
constexpr std::uint8_t kSmartDeviceMap = 1;
constexpr std::uint32_t kSmartCapabilities = st::kCapAtaIdentify | st::kCapAtapiIdentify | st::kCapSmartCommands;
// SMART requests carry no timeout of their own.
constexpr std::uint32_t kSmartTimeoutSeconds = 5;

bool ReturnsData(const TRegisters& registers) {
  const std::uint8_t command = registers[tf::kCommand];
  const std::uint8_t features = registers[tf::kFeatures];
  return command == ac::kIdentifyDevice || command == ac::kIdentifyPacketDevice ||
         (command == ac::kSmart && (features == ac::kSmartReadData || features == ac::kSmartReadThresholds));
}

// SMART RETURN STATUS answers in its registers alone.
bool AnswersInRegisters(const TRegisters& registers) {
  return registers[tf::kCommand] == ac::kSmart && registers[tf::kFeatures] == ac::kSmartReturnStatus;
}

struct TAtaAnswer {
  std::uint32_t error = 0;  // Windows' error when the command did not complete
  TRegisters registers{};
  std::size_t transferred = 0;
};

TAtaAnswer AtaFailure(std::uint32_t error) {
  TAtaAnswer answer;
  answer.error = error;
  return answer;
}

// ATA PASS-THROUGH (16): PIO Data-In of one block (T_DIR from the device, BYT_BLOK
// blocks, T_LENGTH in the count field) or non-data; CK_COND asks for the registers.
TSgRequest AtaCommandBlock(const TRegisters& registers, std::uint32_t timeoutSeconds) {
  const bool dataIn = ReturnsData(registers);
  TSgRequest request;
  request.cdbLength = 16;
  request.direction = dataIn ? TSgDirection::FromDevice : TSgDirection::None;
  request.timeoutMs = TimeoutMs(timeoutSeconds);
  auto& cdb = request.cdb;
  cdb[0] = st::sat::kAtaPassThrough16;
  cdb[1] = static_cast<std::uint8_t>((dataIn ? st::sat::kProtocolPioDataIn : st::sat::kProtocolNonData) << 1);
  cdb[2] = dataIn ? 0x2E : 0x20;
  cdb[4] = registers[tf::kFeatures];
  cdb[6] = registers[tf::kSectorCount];
  cdb[8] = registers[tf::kLbaLow];
  cdb[10] = registers[tf::kLbaMid];
  cdb[12] = registers[tf::kLbaHigh];
  cdb[13] = registers[tf::kDevice];
  cdb[14] = registers[tf::kCommand];
  return request;
}

// Runs one ATA command; block receives the data of a data-returning command.
TAtaAnswer RunAta(TLinuxKernel& kernel, int fd, const TRegisters& registers, std::uint32_t timeoutSeconds,
                  std::span<std::uint8_t, kBlockSize> block) {
  const TSgRequest request = AtaCommandBlock(registers, timeoutSeconds);
  const std::span<std::uint8_t> data = request.direction == TSgDirection::FromDevice ? block : std::span<std::uint8_t>{};
  const TSgReply reply = kernel.SgIo(fd, request, data);
  if (const std::optional<std::uint32_t> error = TransportError(reply)) return AtaFailure(*error);
  const std::optional<std::size_t> transferred = Transferred(reply, data.size());
  if (!transferred) return AtaFailure(kErrorIoDevice);
  TAtaAnswer answer;
  answer.transferred = *transferred;
  if (const std::optional<TRegisters> after = SenseRegisters(SenseOf(reply))) {
    answer.registers = *after;
    // A command the drive rejected delivered nothing worth passing on.
    if (answer.registers[tf::kStatus] & kStatusErr) answer.transferred = 0;
    return answer;
  }
  if (reply.status == st::scsi::kStatusGood && !AnswersInRegisters(registers)) {
    // Completed, but the SAT layer kept the registers: the command's own, and a status
    // without error, since that is all GOOD says.
    answer.registers = registers;
    answer.registers[tf::kError] = 0;
    answer.registers[tf::kStatus] = kStatusCompleted;
    return answer;
  }
  if (reply.status == st::scsi::kStatusCheckCondition && reply.senseLength > 0) {
    return AtaFailure(SenseError(SenseOf(reply)));
  }
  return AtaFailure(kErrorIoDevice);
}

// Whether a data area of dataLength bytes at dataOffset lies in the system buffer.
bool DataAreaFits(std::uint32_t dataOffset, std::uint32_t dataLength, std::size_t headerSize, std::size_t systemBuffer) {
  return dataLength == 0 ||
         (dataOffset >= headerSize && dataOffset <= systemBuffer && dataLength <= systemBuffer - dataOffset);
}

TIoResult AtaPassThrough(TLinuxKernel& kernel, const TPassThroughDevice& device, std::span<const std::uint8_t> in,
                         std::span<std::uint8_t> out) {
  namespace a = st::ata;
  // Other buses' drivers do not take ATA pass-through.
  if (device.bus != TPassThroughBus::Ata) return Fail(kErrorInvalidFunction);
  if (in.size() < a::kSize || GetU16(in, a::kLength) != a::kSize) return Fail(kErrorInvalidParameter);
  const std::uint16_t flags = GetU16(in, a::kAtaFlags);
  const std::uint32_t dataLength = GetU32(in, a::kDataTransferLength);
  const std::uint32_t dataOffset = GetU32(in, a::kDataBufferOffset);
  // Buffered: the data area must lie inside the system buffer, max(input, output).
  const std::size_t systemBuffer = std::max(in.size(), out.size());
  if (out.size() < a::kSize || !DataAreaFits(dataOffset, dataLength, a::kSize, systemBuffer)) {
    return Fail(kErrorInvalidParameter);
  }
  TRegisters registers{};
  std::copy_n(in.begin() + a::kCurrentTaskFile, registers.size(), registers.begin());
  std::vector<std::uint8_t> reply(in.begin(), in.end());  // before output is touched: they may be one buffer
  std::array<std::uint8_t, kBlockSize> block{};
  const TAtaAnswer answer = RunAta(kernel, device.fd, registers, GetU32(in, a::kTimeOutValue), block);
  if (answer.error != 0) return Fail(answer.error);
  const std::size_t copied = (flags & a::kFlagDataIn) ? std::min<std::size_t>(answer.transferred, dataLength) : 0;
  // What lies between the header and the data area stays the caller's own input.
  reply.resize(copied > 0 ? dataOffset + copied : a::kSize, 0);
  PutU32(reply, a::kDataTransferLength, static_cast<std::uint32_t>(copied));
  std::copy(answer.registers.begin(), answer.registers.end(), reply.begin() + a::kCurrentTaskFile);
  if (copied > 0) std::copy_n(block.begin(), copied, reply.begin() + dataOffset);
  return Ok(PutReply(out, reply));
}

TIoResult SmartRequest(TLinuxKernel& kernel, const TPassThroughDevice& device, std::uint32_t code,
                       std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
  namespace o = st::sendcmdout;
  // The disk driver takes SMART only for drives on ATA ports.
  if (device.bus != TPassThroughBus::Ata) return Fail(kErrorInvalidFunction);
  if (code == st::kSmartGetVersion) {
    if (out.size() < st::getversion::kSize) return Fail(kErrorInsufficientBuffer);
    std::array<std::uint8_t, st::getversion::kSize> reply{};
    reply[st::getversion::kVersion] = kSmartVersion;
    reply[st::getversion::kRevision] = kSmartRevision;
    reply[st::getversion::kIdeDeviceMap] = kSmartDeviceMap;
    PutU32(reply, st::getversion::kCapabilities, kSmartCapabilities);
    return Ok(PutReply(out, reply));
  }
  // The driver needs the command block up to its data byte.
  if (in.size() < st::sendcmdin::kSize - 1) return Fail(kErrorInvalidParameter);
  TRegisters registers{};
  std::copy_n(in.begin() + st::sendcmdin::kRegisters, registers.size(), registers.begin());
  const bool returnsData = ReturnsData(registers);
  // Data-returning commands travel as SMART_RCV_DRIVE_DATA, the others as SEND.
  if (returnsData != (code == st::kSmartRcvDriveData)) return Fail(kErrorInvalidParameter);
  const bool returnsRegisters = AnswersInRegisters(registers);
  const std::size_t dataSize = returnsData ? kBlockSize : returnsRegisters ? tf::kSize : 0;
  if (out.size() < o::kBuffer + dataSize) return Fail(kErrorInsufficientBuffer);
  std::array<std::uint8_t, kBlockSize> block{};
  const TAtaAnswer answer = RunAta(kernel, device.fd, registers, kSmartTimeoutSeconds, block);
  if (answer.error != 0) return Fail(answer.error);
  std::vector<std::uint8_t> reply(o::kBuffer, 0);
  if (answer.registers[tf::kStatus] & kStatusErr) {
    reply[o::kDriverError] = o::kSmartIdeError;
    reply[o::kIdeError] = answer.registers[tf::kError];
  } else if (returnsData) {
    PutU32(reply, o::kBufferSize, static_cast<std::uint32_t>(answer.transferred));
    reply.insert(reply.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(answer.transferred));
  } else if (returnsRegisters) {
    PutU32(reply, o::kBufferSize, static_cast<std::uint32_t>(tf::kSize));
    reply.insert(reply.end(), answer.registers.begin(), answer.registers.end());
  }
  return Ok(PutReply(out, reply));
}

TIoResult ScsiPassThrough(TLinuxKernel& kernel, const TPassThroughDevice& device, std::span<const std::uint8_t> in,
                          std::span<std::uint8_t> out) {
  namespace s = st::scsi;
  if (in.size() < s::kSize || GetU16(in, s::kLength) != s::kSize) return Fail(kErrorInvalidParameter);
  const std::uint8_t cdbLength = in[s::kCdbLength];
  const std::uint32_t dataLength = GetU32(in, s::kDataTransferLength);
  const std::uint32_t dataOffset = GetU32(in, s::kDataBufferOffset);
  const std::uint8_t senseRoom = in[s::kSenseInfoLength];
  const std::uint32_t senseOffset = GetU32(in, s::kSenseInfoOffset);
  const std::size_t systemBuffer = std::max(in.size(), out.size());
  if (cdbLength == 0 || cdbLength > s::kCdbSize || out.size() < s::kSize ||
      !DataAreaFits(dataOffset, dataLength, s::kSize, systemBuffer) ||
      !DataAreaFits(senseOffset, senseRoom, s::kSize, systemBuffer)) {
    return Fail(kErrorInvalidParameter);
  }
  TSgRequest request;
  std::copy_n(in.begin() + s::kCdb, cdbLength, request.cdb.begin());
  request.cdbLength = cdbLength;
  // Data out was refused by the judgement unless it carries no data.
  const bool dataIn = in[s::kDataIn] != s::kDataOut && dataLength > 0;
  request.direction = dataIn ? TSgDirection::FromDevice : TSgDirection::None;
  request.timeoutMs = TimeoutMs(GetU32(in, s::kTimeOutValue));
  std::vector<std::uint8_t> data(dataIn ? dataLength : 0);
  const TSgReply answer = kernel.SgIo(device.fd, request, data);
  if (const std::optional<std::uint32_t> error = TransportError(answer)) return Fail(*error);
  const std::optional<std::size_t> transferred = Transferred(answer, data.size());
  if (!transferred) return Fail(kErrorIoDevice);
  const std::span<const std::uint8_t> written = SenseOf(answer);
  const std::span<const std::uint8_t> sense = written.first(std::min<std::size_t>(written.size(), senseRoom));

  std::size_t size = s::kSize;
  if (!sense.empty()) size = std::max<std::size_t>(size, senseOffset + sense.size());
  if (*transferred > 0) size = std::max<std::size_t>(size, dataOffset + *transferred);
  std::vector<std::uint8_t> reply(in.begin(), in.end());  // the input stays where the reply does not reach
  reply.resize(size, 0);
  reply[s::kScsiStatus] = answer.status;
  reply[s::kSenseInfoLength] = static_cast<std::uint8_t>(sense.size());
  PutU32(reply, s::kDataTransferLength, static_cast<std::uint32_t>(*transferred));
  if (!sense.empty()) std::copy(sense.begin(), sense.end(), reply.begin() + senseOffset);
  if (*transferred > 0) std::copy_n(data.begin(), *transferred, reply.begin() + dataOffset);
  return Ok(PutReply(out, reply));
}

bool IsNvmeProperty(std::span<const std::uint8_t> in) {
  namespace pq = st::propertyquery;
  if (in.size() < pq::kPropertyId + 4) return false;
  const std::uint32_t id = GetU32(in, pq::kPropertyId);
  return id == pq::kStorageAdapterProtocolSpecificProperty || id == pq::kStorageDeviceProtocolSpecificProperty;
}

}  // namespace

TPassThroughOutcome PassThrough(TLinuxKernel& kernel, const TPassThroughDevice& device, std::uint32_t code,
                                std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
  TPassThroughOutcome outcome;
  if ((outcome.refusal = WriteIntent(code, input))) {
    outcome.answer = Fail(kErrorAccessDenied);
    return outcome;
  }
  switch (code) {
    case st::kIoctlAtaPassThrough:
      outcome.answer = AtaPassThrough(kernel, device, input, output);
      break;
    case st::kIoctlScsiPassThrough:
      outcome.answer = ScsiPassThrough(kernel, device, input, output);
      break;
    case st::kIoctlScsiMiniport:
      outcome.answer = Fail(kErrorInvalidFunction);
      break;
    case st::kSmartGetVersion:
    case st::kSmartSendDriveCommand:
    case st::kSmartRcvDriveData:
      outcome.answer = SmartRequest(kernel, device, code, input, output);
      break;
    case st::kIoctlStorageQueryProperty:
      if (IsNvmeProperty(input)) outcome.answer = NvmeProperty(kernel, device, input, output);
      break;
    default:
      break;
  }
  return outcome;
}

}  // namespace vexa
