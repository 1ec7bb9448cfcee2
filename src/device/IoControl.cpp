// The drive command transport. Routes are tried in a fixed order (IDENTIFY: ATA
// pass-through, then SAT; SMART: native request, SAT, ATA pass-through); a route
// counts only when it delivered what was asked, and every copy out of a reply is
// clamped to the bytes the driver returned and to both buffers.
#include "device/IoControl.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/StorageLayout.h"
#include "support/Text.h"

namespace vexa {

namespace st = storage;

namespace {

constexpr std::size_t kIdentifySize = 512;
constexpr std::uint32_t kIdentifyTimeoutSeconds = 3;
constexpr std::uint32_t kSmartTimeoutSeconds = 5;
constexpr std::uint32_t kMiniportTimeoutSeconds = 5;
constexpr std::size_t kMiniportInputSize = 64;
constexpr std::size_t kMiniportOutputSize = 557;
// The SENDCMDOUTPARAMS (17 bytes) and the 512 data bytes behind the header.
constexpr std::uint32_t kMiniportLength = 529;
constexpr std::size_t kMiniportDataOffset = st::srbio::kSize + st::sendcmdout::kBuffer;
constexpr std::uint8_t kRequestFailed = 255;

// The part of a reply the driver actually returned.
TBytes Returned(TBytes buffer, std::uint32_t bytesReturned) {
  return buffer.first(std::min<std::size_t>(bytesReturned, buffer.size()));
}

// Copies up to count bytes, never reading or writing outside either buffer.
std::size_t CopyClamped(TBytes from, std::size_t fromOffset, TMutableBytes to,
                        std::size_t toOffset, std::size_t count) {
  if (fromOffset >= from.size() || toOffset >= to.size()) return 0;
  count = std::min({count, from.size() - fromOffset, to.size() - toOffset});
  std::memmove(to.data() + toOffset, from.data() + fromOffset, count);
  return count;
}

// Places count IDENTIFY bytes in the destination and clears what the drive did not
// send, so a short block never mixes with an older one.
void Deliver(TBytes data, TMutableBytes destination) {
  const std::size_t copied = CopyClamped(data, 0, destination, 0, data.size());
  std::fill(destination.begin() + static_cast<std::ptrdiff_t>(copied), destination.end(), 0);
}

}  // namespace

void BuildAtaRequest(TMutableBytes buffer, std::uint16_t ataFlags, std::uint32_t dataLength,
                     std::uint32_t timeoutSeconds, std::span<const std::uint8_t> taskFile) {
  std::fill(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(
                                                 std::min(buffer.size(), st::ata::kSize)),
            0);
  PutU16(buffer, st::ata::kLength, st::ata::kSize);
  PutU16(buffer, st::ata::kAtaFlags, ataFlags);
  PutU32(buffer, st::ata::kDataTransferLength, dataLength);
  PutU32(buffer, st::ata::kTimeOutValue, timeoutSeconds);
  PutU32(buffer, st::ata::kDataBufferOffset, st::ata::kSize);
  for (std::size_t i = 0; i < st::taskfile::kSize && i < taskFile.size(); ++i)
    PutU8(buffer, st::ata::kCurrentTaskFile + i, taskFile[i]);
}

std::uint8_t ScsiPassThroughAta(Machine& machine, THandle handle, TMutableBytes ataRequest) {
  const std::uint16_t ataFlags = GetU16(ataRequest, st::ata::kAtaFlags);
  const std::uint32_t dataOffset = GetU32(ataRequest, st::ata::kDataBufferOffset);
  // A length beyond the request's own data area could never be copied back.
  const std::size_t room = dataOffset < ataRequest.size() ? ataRequest.size() - dataOffset : 0;
  const auto dataLength = static_cast<std::uint32_t>(
      std::min<std::size_t>(GetU32(ataRequest, st::ata::kDataTransferLength), room));
  std::array<std::uint8_t, st::taskfile::kSize> taskFile{};
  for (std::size_t i = 0; i < taskFile.size(); ++i)
    taskFile[i] = GetU8(ataRequest, st::ata::kCurrentTaskFile + i);

  std::vector<std::uint8_t> request(st::scsi::kSize + dataLength, 0);
  PutU16(request, st::scsi::kLength, st::scsi::kSize);
  PutU8(request, st::scsi::kCdbLength, st::scsi::kCdbSize);
  std::uint8_t direction = st::scsi::kDataUnspecified;
  if (ataFlags & st::ata::kFlagDataIn) {
    direction = st::scsi::kDataInDirection;
  } else if (ataFlags & st::ata::kFlagDataOut) {
    direction = st::scsi::kDataOut;
  }
  PutU8(request, st::scsi::kDataIn, direction);
  PutU32(request, st::scsi::kDataTransferLength, dataLength);
  PutU32(request, st::scsi::kTimeOutValue, GetU32(ataRequest, st::ata::kTimeOutValue));
  PutU32(request, st::scsi::kDataBufferOffset, st::scsi::kSize);

  const std::size_t cdb = st::scsi::kCdb;
  namespace tf = st::taskfile;
  if (ataFlags & st::ata::kFlag48BitCommand) {
    PutU8(request, cdb + 0, st::sat::kAtaPassThrough16);
    PutU8(request, cdb + 1, st::sat::kProtocolByte);
    PutU8(request, cdb + 2, st::sat::kTransferByte);
    PutU8(request, cdb + 4, taskFile[tf::kFeatures]);
    PutU8(request, cdb + 6, taskFile[tf::kSectorCount]);
    PutU8(request, cdb + 8, taskFile[tf::kLbaLow]);
    PutU8(request, cdb + 10, taskFile[tf::kLbaMid]);
    PutU8(request, cdb + 12, taskFile[tf::kLbaHigh]);
    PutU8(request, cdb + 13, taskFile[tf::kDevice]);
    PutU8(request, cdb + 14, taskFile[tf::kCommand]);
  } else {
    PutU8(request, cdb + 0, st::sat::kAtaPassThrough12);
    PutU8(request, cdb + 1, st::sat::kProtocolByte);
    PutU8(request, cdb + 2, st::sat::kTransferByte);
    for (std::size_t i = 0; i < tf::kSize; ++i) PutU8(request, cdb + 3 + i, taskFile[i]);
  }

  const TIoResult result = machine.Control(
      handle, st::kIoctlScsiPassThrough, TBytes(request).first(st::scsi::kSize), request);
  if (!result.ok || result.bytes == 0) return kRequestFailed;
  const TBytes reply = Returned(request, result.bytes);
  // Without the whole header the status byte is not known to be the driver's.
  if (reply.size() < st::scsi::kSize) return kRequestFailed;
  const std::uint8_t status = reply[st::scsi::kScsiStatus];
  if (status != st::scsi::kStatusGood) return status;

  const std::size_t reported = GetU32(reply, st::scsi::kDataTransferLength);
  const std::size_t count = CopyClamped(reply, st::scsi::kSize, ataRequest, dataOffset,
                                        std::min<std::size_t>(reported, dataLength));
  PutU32(ataRequest, st::ata::kDataTransferLength, static_cast<std::uint32_t>(count));
  return st::scsi::kStatusGood;
}

bool AtaIdentify(Machine& machine, THandle handle, TMutableBytes destination, bool packet) {
  std::array<std::uint8_t, st::ata::kSize + kIdentifySize> request{};
  std::array<std::uint8_t, st::taskfile::kSize> taskFile{};
  taskFile[st::taskfile::kSectorCount] = 1;
  taskFile[st::taskfile::kCommand] =
      packet ? st::atacmd::kIdentifyPacketDevice : st::atacmd::kIdentifyDevice;
  const auto build = [&] {
    request.fill(0);
    BuildAtaRequest(request,
                    st::ata::kFlagDrdyRequired | st::ata::kFlagDataIn | st::ata::kFlag48BitCommand,
                    kIdentifySize, kIdentifyTimeoutSeconds, taskFile);
  };

  build();
  const TIoResult result = machine.Control(handle, st::kIoctlAtaPassThrough,
                                           TBytes(request).first(st::ata::kSize), request);
  if (result.ok && result.bytes > st::ata::kSize) {
    const TBytes reply = Returned(request, result.bytes);
    const std::size_t count = std::min<std::size_t>(
        {GetU32(reply, st::ata::kDataTransferLength), kIdentifySize, reply.size() - st::ata::kSize});
    if (count > 0) {
      Deliver(reply.subspan(st::ata::kSize, count), destination);
      return true;
    }
  }

  // The failed attempt may have left the drive's error and status in the task file.
  build();
  if (ScsiPassThroughAta(machine, handle, request) == st::scsi::kStatusGood) {
    const std::size_t count =
        std::min<std::size_t>(GetU32(request, st::ata::kDataTransferLength), kIdentifySize);
    if (count > 0) {
      Deliver(TBytes(request).subspan(st::ata::kSize, count), destination);
      return true;
    }
  }
  return false;
}

bool SendSmartCommand(Machine& machine, THandle handle, std::uint32_t controlCode,
                      std::span<const std::uint8_t> commandBlock, TMutableBytes reply) {
  std::array<std::uint8_t, st::sendcmdin::kSize> block{};
  std::copy_n(commandBlock.begin(), std::min(commandBlock.size(), block.size()), block.begin());
  // A data-returning command has answered only when data came back.
  const bool wantsData = controlCode == st::kSmartRcvDriveData;

  const TIoResult native = machine.Control(handle, controlCode, block, reply);
  if (native.ok && native.bytes > 0) {
    // The driver reports a command the drive rejected in the reply, not as a failure.
    const bool driverError = GetU8(Returned(reply, native.bytes), st::sendcmdout::kDriverError) != 0;
    if (!driverError && (!wantsData || native.bytes > st::sendcmdout::kBuffer)) return true;
  }

  const std::size_t dataRoom =
      reply.size() > st::sendcmdout::kBuffer ? reply.size() - st::sendcmdout::kBuffer : 0;
  const auto dataLength = static_cast<std::uint32_t>(
      std::min<std::size_t>(GetU32(block, st::sendcmdin::kBufferSize), dataRoom));
  std::vector<std::uint8_t> request(st::ata::kSize + dataLength, 0);
  const auto build = [&] {
    std::fill(request.begin(), request.end(), 0);
    BuildAtaRequest(request, st::ata::kFlagDrdyRequired | st::ata::kFlagDataIn, dataLength,
                    kSmartTimeoutSeconds,
                    TBytes(block).subspan(st::sendcmdin::kRegisters, st::taskfile::kSize));
  };

  build();
  std::size_t delivered = 0;
  bool answered = false;
  if (ScsiPassThroughAta(machine, handle, request) == st::scsi::kStatusGood) {
    delivered = std::min<std::size_t>(GetU32(request, st::ata::kDataTransferLength), dataLength);
    answered = !wantsData || delivered > 0;
  }
  if (!answered) {
    build();
    const TIoResult result = machine.Control(handle, st::kIoctlAtaPassThrough, request, request);
    if (result.ok && result.bytes > 0) {
      const TBytes returned = Returned(request, result.bytes);
      const std::size_t dataReturned =
          returned.size() > st::ata::kSize ? returned.size() - st::ata::kSize : 0;
      delivered = std::min<std::size_t>(
          {GetU32(returned, st::ata::kDataTransferLength), dataLength, dataReturned});
      // A rejected command comes back as a success with ERR in the status register
      // (the SMART command byte itself has that bit clear).
      const bool rejected =
          (GetU8(returned, st::ata::kCurrentTaskFile + st::taskfile::kStatus) & 0x01) != 0;
      answered = !rejected && (!wantsData || delivered > 0);
    }
  }
  if (!answered) return false;
  CopyClamped(request, st::ata::kSize, reply, st::sendcmdout::kBuffer, delivered);
  return true;
}

bool MiniportIdentify(Machine& machine, THandle handle, std::uint8_t driveNumber,
                      TMutableBytes destination) {
  std::array<std::uint8_t, kMiniportInputSize> input{};
  PutU32(input, st::srbio::kHeaderLength, st::srbio::kSize);
  std::memcpy(input.data() + st::srbio::kSignature, "SCSIDISK", st::srbio::kSignatureSize);
  PutU32(input, st::srbio::kTimeout, kMiniportTimeoutSeconds);
  PutU32(input, st::srbio::kControlCode, st::kIoctlScsiMiniportIdentify);
  PutU32(input, st::srbio::kReturnCode, 0);
  PutU32(input, st::srbio::kLength, kMiniportLength);
  const std::size_t block = st::srbio::kSize;
  PutU32(input, block + st::sendcmdin::kBufferSize, 0);
  PutU8(input, block + st::sendcmdin::kRegisters + st::taskfile::kCommand,
        st::atacmd::kIdentifyDevice);
  PutU8(input, block + st::sendcmdin::kDriveNumber, driveNumber);

  // Cleared, so that whatever the driver does not write reads as zero.
  std::vector<std::uint8_t> output(kMiniportOutputSize, 0);
  const TIoResult result = machine.Control(handle, st::kIoctlScsiMiniport, input, output);
  // Some port drivers report 0 bytes for a complete reply: success alone counts.
  if (!result.ok) return false;
  Deliver(TBytes(output).subspan(kMiniportDataOffset, kIdentifySize), destination);
  return true;
}

std::uint64_t QueryLengthInfo(Machine& machine, THandle handle) {
  std::array<std::uint8_t, st::lengthinfo::kSize> reply{};
  const TIoResult result = machine.Control(handle, st::kIoctlDiskGetLengthInfo, {}, reply);
  if (!result.ok || result.bytes < st::lengthinfo::kSize) return 0;
  return GetU64(reply, 0);
}

bool QueryDeviceDescriptor(Machine& machine, THandle handle, std::uint32_t propertyId,
                           TMutableBytes reply) {
  std::fill(reply.begin(), reply.end(), 0);
  std::array<std::uint8_t, st::propertyquery::kSize> query{};
  PutU32(query, st::propertyquery::kPropertyId, propertyId);
  PutU32(query, st::propertyquery::kQueryType, st::propertyquery::kPropertyStandardQuery);
  const TIoResult result = machine.Control(handle, st::kIoctlStorageQueryProperty, query, reply);
  if (!result.ok) return false;
  if (result.bytes < reply.size())
    std::fill(reply.begin() + static_cast<std::ptrdiff_t>(result.bytes), reply.end(), 0);
  return true;
}

std::optional<TDiskGeometryEx> QueryGeometry(Machine& machine, THandle handle) {
  std::array<std::uint8_t, st::geometry::kExSize> reply{};
  const TIoResult result = machine.Control(handle, st::kIoctlDiskGetDriveGeometryEx, {}, reply);
  if (!result.ok || result.bytes == 0) return std::nullopt;
  const TBytes returned = Returned(reply, result.bytes);
  TDiskGeometryEx geometry;
  geometry.geometry = DecodeGeometry(returned);
  geometry.diskSize = GetU64(returned, st::geometry::kExDiskSize);
  return geometry;
}

TDiskGeometry DecodeGeometry(TBytes reply) {
  TDiskGeometry geometry;
  geometry.cylinders = GetU64(reply, st::geometry::kCylinders);
  geometry.mediaType = GetU32(reply, st::geometry::kMediaType);
  geometry.tracksPerCylinder = GetU32(reply, st::geometry::kTracksPerCylinder);
  geometry.sectorsPerTrack = GetU32(reply, st::geometry::kSectorsPerTrack);
  geometry.bytesPerSector = GetU32(reply, st::geometry::kBytesPerSector);
  return geometry;
}

TStorageDeviceDescriptor DecodeDeviceDescriptor(TBytes reply) {
  namespace dd = st::devicedescriptor;
  // Texts lie inside the descriptor's own size when it states a smaller one.
  const std::uint32_t size = GetU32(reply, dd::kSizeField);
  if (size >= st::descriptorheader::kSize && size < reply.size()) reply = reply.first(size);
  TStorageDeviceDescriptor descriptor;
  descriptor.deviceType = GetU8(reply, dd::kDeviceType);
  descriptor.deviceTypeModifier = GetU8(reply, dd::kDeviceTypeModifier);
  descriptor.removableMedia = GetU8(reply, dd::kRemovableMedia) != 0;
  descriptor.commandQueueing = GetU8(reply, dd::kCommandQueueing) != 0;
  descriptor.busType = GetU32(reply, dd::kBusType);
  descriptor.vendorIdOffset = GetU32(reply, dd::kVendorIdOffset);
  descriptor.productIdOffset = GetU32(reply, dd::kProductIdOffset);
  descriptor.productRevisionOffset = GetU32(reply, dd::kProductRevisionOffset);
  descriptor.serialNumberOffset = GetU32(reply, dd::kSerialNumberOffset);
  descriptor.vendorId = ZeroTerminatedTextAt(reply, descriptor.vendorIdOffset);
  descriptor.productId = ZeroTerminatedTextAt(reply, descriptor.productIdOffset);
  descriptor.productRevision = ZeroTerminatedTextAt(reply, descriptor.productRevisionOffset);
  descriptor.serialNumber = ZeroTerminatedTextAt(reply, descriptor.serialNumberOffset);
  return descriptor;
}

}  // namespace vexa
