// Whether a control request could change a drive, judged from its bytes before
// anything else looks at them: the transfer direction and the ATA command first,
// the shape of the buffer afterwards. So every attempt to write is refused and
// counted, even one whose header is malformed, whose route fails or whose volume
// lies on a disk the machine does not know.
#include "platform/RequestJudge.h"

#include <algorithm>

#include "platform/StorageLayout.h"
#include "support/Bytes.h"
#include "support/Format.h"

namespace vexa {

namespace st = storage;

namespace {

using TRegisters = std::array<std::uint8_t, st::taskfile::kSize>;

// The task file at `at`, when the input holds all of it.
std::optional<TRegisters> RegistersAt(std::span<const std::uint8_t> in, std::size_t at) {
  if (in.size() < at + st::taskfile::kSize) return std::nullopt;
  TRegisters registers{};
  std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(at), registers.size(), registers.begin());
  return registers;
}

std::optional<std::string> JudgeRegisters(std::span<const std::uint8_t> in, std::size_t at) {
  const std::optional<TRegisters> registers = RegistersAt(in, at);
  return registers ? JudgeAtaCommand(*registers) : std::nullopt;
}

std::optional<std::string> JudgeAtaPassThrough(std::span<const std::uint8_t> in) {
  namespace a = st::ata;
  if (in.size() >= a::kAtaFlags + 2 && (GetU16(in, a::kAtaFlags) & a::kFlagDataOut)) {
    return "ATA pass-through with data out";
  }
  return JudgeRegisters(in, a::kCurrentTaskFile);
}

std::optional<std::string> JudgeScsiPassThrough(std::span<const std::uint8_t> in) {
  namespace s = st::scsi;
  namespace sat = st::sat;
  if (in.size() >= s::kDataTransferLength + 4 && in[s::kDataIn] == s::kDataOut &&
      GetU32(in, s::kDataTransferLength) > 0) {
    return "SCSI pass-through with data out";
  }
  if (in.size() <= s::kCdb) return std::nullopt;
  const std::span<const std::uint8_t> cdb = in.subspan(s::kCdb, std::min(in.size() - s::kCdb, s::kCdbSize));
  const std::uint8_t operation = cdb[0];
  if (operation != sat::kAtaPassThrough12 && operation != sat::kAtaPassThrough16) {
    return Format("SCSI command 0x%.2x is not ATA PASS-THROUGH", operation);
  }
  if (cdb.size() < 3) return std::nullopt;
  const unsigned protocol = (cdb[1] >> 1) & 0x0F;
  if (protocol != sat::kProtocolNonData && protocol != sat::kProtocolPioDataIn) {
    return Format("ATA PASS-THROUGH protocol %u is not PIO Data-In or non-data", protocol);
  }
  if (protocol == sat::kProtocolPioDataIn && !((cdb[2] >> 3) & 1)) return "ATA PASS-THROUGH transfers to the device";
  if (cdb.size() < (operation == sat::kAtaPassThrough16 ? 16u : 12u)) return std::nullopt;
  const TRegisters registers = SatRegisters(cdb);
  return JudgeAtaCommand(registers);
}

std::optional<std::string> JudgeMiniport(std::span<const std::uint8_t> in) {
  namespace sr = st::srbio;
  if (in.size() >= sr::kHeaderLength + 4 && GetU32(in, sr::kHeaderLength) != sr::kSize) {
    return Format("miniport header length %u", GetU32(in, sr::kHeaderLength));
  }
  if (in.size() >= sr::kSignature + sr::kSignatureSize &&
      !std::equal(in.begin() + sr::kSignature, in.begin() + sr::kSignature + sr::kSignatureSize, "SCSIDISK")) {
    return "miniport signature is not SCSIDISK";
  }
  if (in.size() >= sr::kControlCode + 4 && GetU32(in, sr::kControlCode) != st::kIoctlScsiMiniportIdentify) {
    return Format("miniport control code 0x%x is not IDENTIFY", GetU32(in, sr::kControlCode));
  }
  const std::optional<TRegisters> registers = RegistersAt(in, sr::kSize + st::sendcmdin::kRegisters);
  if (registers && (*registers)[st::taskfile::kCommand] != st::atacmd::kIdentifyDevice) {
    return Format("miniport IDENTIFY carries command 0x%.2x", (*registers)[st::taskfile::kCommand]);
  }
  return std::nullopt;
}

}  // namespace

std::array<std::uint8_t, 8> SatRegisters(std::span<const std::uint8_t> cdb) {
  namespace tf = st::taskfile;
  TRegisters registers{};
  if (cdb[0] == st::sat::kAtaPassThrough16) {
    registers[tf::kFeatures] = cdb[4];
    registers[tf::kSectorCount] = cdb[6];
    registers[tf::kLbaLow] = cdb[8];
    registers[tf::kLbaMid] = cdb[10];
    registers[tf::kLbaHigh] = cdb[12];
    registers[tf::kDevice] = cdb[13];
    registers[tf::kCommand] = cdb[14];
  } else {
    std::copy_n(cdb.begin() + 3, 7, registers.begin());
  }
  return registers;
}

std::optional<std::string> JudgeAtaCommand(const std::array<std::uint8_t, 8>& registers) {
  namespace ac = st::atacmd;
  const std::uint8_t command = registers[st::taskfile::kCommand];
  if (command == ac::kIdentifyDevice || command == ac::kIdentifyPacketDevice) return std::nullopt;
  if (command != ac::kSmart) return Format("ATA command 0x%.2x is not a read the program sends", command);
  const std::uint8_t features = registers[st::taskfile::kFeatures];
  if (features != ac::kSmartReadData && features != ac::kSmartReadThresholds &&
      features != ac::kSmartEnableOperations && features != ac::kSmartReturnStatus) {
    return Format("SMART sub-command 0x%.2x is not a read the program sends", features);
  }
  return std::nullopt;
}

std::optional<std::string> WriteIntent(std::uint32_t code, std::span<const std::uint8_t> in) {
  switch (code) {
    case st::kIoctlAtaPassThrough:
      return JudgeAtaPassThrough(in);
    case st::kIoctlScsiPassThrough:
      return JudgeScsiPassThrough(in);
    case st::kIoctlScsiMiniport:
      return JudgeMiniport(in);
    case st::kSmartSendDriveCommand:
    case st::kSmartRcvDriveData:
      return JudgeRegisters(in, st::sendcmdin::kRegisters);
    case st::kSmartGetVersion:
    case st::kIoctlStorageQueryProperty:
    case st::kIoctlStorageGetDeviceNumber:
    case st::kIoctlDiskGetDriveGeometry:
    case st::kIoctlDiskGetDriveGeometryEx:
    case st::kIoctlDiskGetLengthInfo:
    case st::kIoctlDiskGetPartitionInfo:
    case st::kIoctlDiskGetPartitionInfoEx:
    case st::kIoctlDiskGetDriveLayoutEx:
    case st::kIoctlVolumeGetVolumeDiskExtents:
      return std::nullopt;
    default:
      return "unknown control code";
  }
}

}  // namespace vexa
