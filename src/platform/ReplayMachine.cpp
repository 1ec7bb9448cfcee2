// The replay machine. Each control request is decoded from its bytes as the Windows
// drivers would (header lengths, data offsets inside the system buffer, the ATA
// registers inside SAT command blocks and SMART blocks, the miniport signature), then
// checked against the catalogue of read requests, then against the device's routes,
// and answered from the recorded data. Inputs are copied before outputs are written,
// because callers pass one buffer as both.
#include "platform/ReplayMachine.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/ReplayMachineDetail.h"
#include "platform/RequestJudge.h"
#include "platform/StorageLayout.h"
#include "support/Bytes.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace st = storage;

using namespace replay;

namespace {

using TKind = TRouteAnswer::TKind;

constexpr std::size_t kBlockSize = 512;


// Copies a reply into the caller's output as far as it reaches; answers the count.
std::size_t PutReply(std::span<std::uint8_t> output, std::span<const std::uint8_t> reply) {
  const std::size_t count = std::min(output.size(), reply.size());
  std::memcpy(output.data(), reply.data(), count);
  return count;
}


// Days since 1970-01-01 of a proleptic Gregorian date, and back.




// True when a pre-failure attribute's value has fallen to its non-zero threshold, the
// condition SMART RETURN STATUS reports.
bool ThresholdExceeded(const TBlock512& data, const std::optional<TBlock512>& thresholds) {
  if (!thresholds) return false;
  for (std::size_t i = 0; i < 30; ++i) {
    const std::size_t at = 2 + i * 12;
    const std::uint8_t id = data[at];
    if (id == 0 || (GetU16(data, at + 1) & 1) == 0) continue;
    for (std::size_t j = 0; j < 30; ++j) {
      const std::size_t tat = 2 + j * 12;
      const std::uint8_t threshold = (*thresholds)[tat + 1];
      if ((*thresholds)[tat] == id && threshold != 0 && data[at + 3] <= threshold) return true;
    }
  }
  return false;
}

// The seek penalty or TRIM flag the driver reports; none when it does not answer.
std::optional<bool> FlagProperty(const TMachineDevice& device, bool trim) {
  switch (trim ? device.trim : device.seekPenalty) {
    case TFlagProperty::Yes: return true;
    case TFlagProperty::No: return false;
    case TFlagProperty::None: return std::nullopt;
    case TFlagProperty::FromIdentify: break;
  }
  if (!device.identify || device.kind == TMachineDeviceKind::CdRom) return std::nullopt;
  // Word 217 (rotation rate) 1 is a solid-state drive; word 169 bit 0 is TRIM.
  return trim ? (GetU16(*device.identify, 169 * 2) & 1) != 0 : GetU16(*device.identify, 217 * 2) != 1;
}

// The volume letter of "C:", "C:\" or "c:\"; 0 for anything else.
char LetterOf(std::string_view text) {
  if (text.size() < 2 || text.size() > 3 || text[1] != ':') return 0;
  if (text.size() == 3 && text[2] != '\\') return 0;
  const char letter = static_cast<char>(text[0] & ~0x20);
  return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

void WritePartitionEx(std::span<std::uint8_t> entry, TPartitionStyle style, const TMachinePartition& p) {
  namespace pe = st::partitioninfoex;
  PutU32(entry, pe::kPartitionStyle, static_cast<std::uint32_t>(style));
  PutU64(entry, pe::kStartingOffset, p.start);
  PutU64(entry, pe::kPartitionLength, p.length);
  PutU32(entry, pe::kPartitionNumber, p.number);
  if (style == TPartitionStyle::Mbr) {
    PutU8(entry, pe::kMbrPartitionType, p.type);
    PutU8(entry, pe::kMbrBootIndicator, p.boot ? 1 : 0);
    PutU8(entry, pe::kMbrRecognizedPartition, p.recognized && p.number != 0 ? 1 : 0);
    PutU32(entry, pe::kMbrHiddenSectors, p.hiddenSectors);
  } else if (style == TPartitionStyle::Gpt) {
    std::copy(p.typeGuid.begin(), p.typeGuid.end(), entry.begin() + pe::kGptPartitionType);
    std::copy(p.id.begin(), p.id.end(), entry.begin() + pe::kGptPartitionId);
    PutU64(entry, pe::kGptAttributes, p.attributes);
    const std::u16string name = Utf8ToUtf16(p.name);
    for (std::size_t i = 0; i < name.size() && i < pe::kGptNameChars; ++i)
      PutU16(entry, pe::kGptName + i * 2, static_cast<std::uint16_t>(name[i]));
  }
}

}  // namespace

ReplayMachine::ReplayMachine(TMachineFile machineFile)
    : file(std::move(machineFile)), random(file.os.randomSeed) {}

std::unique_ptr<ReplayMachine> ReplayMachine::FromFile(std::string_view path) {
  return std::make_unique<ReplayMachine>(ReadMachineFile(path));
}

std::uint32_t ReplayMachine::RequestCount(std::uint32_t code) const {
  const auto found = requestCounts.find(code);
  return found == requestCounts.end() ? 0 : found->second;
}

ReplayMachine::TOpenHandle* ReplayMachine::Find(THandle handle) {
  const auto found = handles.find(static_cast<std::uintptr_t>(handle));
  return found == handles.end() ? nullptr : &found->second;
}

const TMachineDevice* ReplayMachine::DeviceOf(const TOpenHandle& open) const {
  if (open.device) return open.device;
  if (!open.volume) return nullptr;
  const bool optical = open.volume->deviceType == st::devicetype::kCdRom;
  for (const TMachineDevice& device : file.devices) {
    if (device.number == open.volume->disk && (device.kind == TMachineDeviceKind::CdRom) == optical &&
        device.kind != TMachineDeviceKind::ScsiPort) {
      return &device;
    }
  }
  return nullptr;
}

const TMachineVolume* ReplayMachine::FindVolume(std::string_view rootOrName) const {
  const char letter = LetterOf(rootOrName);
  for (const TMachineVolume& volume : file.volumes) {
    if (letter != 0 && volume.letter == letter) return &volume;
  }
  return nullptr;
}

const TMachinePartition* ReplayMachine::VolumePartition(const TMachineVolume& volume) const {
  TOpenHandle open;
  open.volume = &volume;
  const TMachineDevice* disk = DeviceOf(open);
  if (!disk) return nullptr;
  for (const TMachinePartition& partition : disk->layout.partitions) {
    if (partition.number == volume.partition) return &partition;
  }
  return nullptr;
}

TIoResult ReplayMachine::Refuse(std::uint32_t code, const std::string& why) {
  refused.push_back(Format("0x%x: %s", code, why));
  return Error(kErrorInvalidFunction);
}

// --- Files and devices ---

THandle ReplayMachine::Open(std::string_view path, const TOpenMode& mode) {
  TOpenHandle open;
  open.mode = mode;
  for (const TMachineDevice& device : file.devices) {
    if (SameTextAscii(device.path, path)) open.device = &device;
  }
  if (!open.device && path.size() > 4 && path.substr(0, 4) == "\\\\.\\") {
    const std::string_view name = path.substr(4);
    if (name.size() == 2) open.volume = FindVolume(name);
  }
  if (!open.device && !open.volume) return kInvalidHandle;
  const std::uintptr_t id = nextHandle;
  nextHandle += 4;
  handles[id] = open;
  return static_cast<THandle>(id);
}

void ReplayMachine::Close(THandle handle) {
  if (handles.erase(static_cast<std::uintptr_t>(handle)) == 0) return;
  // Closing cancels whatever is still in flight on the handle.
  for (auto& [id, slot] : slots) {
    if (slot.handle == handle) slot.active = false;
  }
}

TIoResult ReplayMachine::Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> input,
                                 std::span<std::uint8_t> output) {
  ++requestCounts[code];
  // Judged first, so that no shape check, failing route or unknown handle hides an attempt.
  if (const std::optional<std::string> why = WriteIntent(code, input)) return Refuse(code, *why);
  TOpenHandle* open = Find(handle);
  if (!open) return Error(kErrorInvalidHandle);
  if (open->mode.overlapped) return Error(kErrorInvalidParameter);
  const std::vector<std::uint8_t> in(input.begin(), input.end());
  return open->device ? DeviceControl(*open, code, in, output) : VolumeControl(*open, code, in, output);
}

TIoResult ReplayMachine::DeviceControl(TOpenHandle& open, std::uint32_t code, std::span<const std::uint8_t> in,
                                       std::span<std::uint8_t> out) {
  const TMachineDevice& device = *open.device;
  const auto failure = [&](TMachineRoute route) -> std::optional<TIoResult> {
    const TRouteAnswer& answer = device.Route(route);
    if (answer.kind == TKind::Fails) return Error(answer.value);
    return std::nullopt;
  };
  // A driver that counts short still leaves the whole reply in the buffer.
  const auto counted = [&](TMachineRoute route, TIoResult result) {
    const std::optional<std::uint32_t>& limit = device.shortReplies[static_cast<std::size_t>(route)];
    if (result.ok && limit) result.bytes = std::min(result.bytes, *limit);
    return result;
  };
  const bool noMedia = device.kind == TMachineDeviceKind::CdRom && device.size == 0;
  switch (code) {
    case st::kIoctlAtaPassThrough:
      return counted(TMachineRoute::Ata, AtaPassThrough(device, in, out));
    case st::kIoctlScsiPassThrough:
      return counted(TMachineRoute::Sat, ScsiPassThrough(device, in, out));
    case st::kIoctlScsiMiniport:
      return counted(TMachineRoute::Miniport, Miniport(device, in, out));
    case st::kSmartGetVersion:
    case st::kSmartSendDriveCommand:
    case st::kSmartRcvDriveData:
      return counted(TMachineRoute::Smart, SmartRequest(device, code, in, out));
    case st::kIoctlStorageQueryProperty:
      if (auto f = failure(TMachineRoute::Property)) return *f;
      return QueryProperty(device, in, out);
    case st::kIoctlStorageGetDeviceNumber: {
      if (auto f = failure(TMachineRoute::Number)) return *f;
      if (out.size() < st::devicenumber::kSize) return Error(kErrorInsufficientBuffer);
      std::array<std::uint8_t, st::devicenumber::kSize> reply{};
      const std::uint32_t type = device.kind == TMachineDeviceKind::CdRom      ? st::devicetype::kCdRom
                                 : device.kind == TMachineDeviceKind::ScsiPort ? st::devicetype::kController
                                                                               : st::devicetype::kDisk;
      PutU32(reply, st::devicenumber::kDeviceType, type);
      PutU32(reply, st::devicenumber::kDeviceNumber, device.number);
      PutU32(reply, st::devicenumber::kPartitionNumber, 0);
      return Ok(PutReply(out, reply));
    }
    case st::kIoctlDiskGetDriveGeometry:
    case st::kIoctlDiskGetDriveGeometryEx:
      if (auto f = failure(TMachineRoute::Geometry)) return *f;
      return Geometry(device, code == st::kIoctlDiskGetDriveGeometryEx, out);
    case st::kIoctlDiskGetLengthInfo: {
      if (auto f = failure(TMachineRoute::Length)) return *f;
      if (noMedia) return Error(kErrorNotReady);
      if (out.size() < st::lengthinfo::kSize) return Error(kErrorInsufficientBuffer);
      std::array<std::uint8_t, st::lengthinfo::kSize> reply{};
      PutU64(reply, 0, device.size);
      return Ok(PutReply(out, reply));
    }
    case st::kIoctlDiskGetPartitionInfo:
    case st::kIoctlDiskGetPartitionInfoEx:
      if (auto f = failure(TMachineRoute::Partition)) return *f;
      return PartitionInfo(device, nullptr, code == st::kIoctlDiskGetPartitionInfoEx, out);
    case st::kIoctlDiskGetDriveLayoutEx:
      if (auto f = failure(TMachineRoute::Layout)) return *f;
      return DriveLayout(device, out);
    case st::kIoctlVolumeGetVolumeDiskExtents:
      // A disk is not a volume: its driver does not know the request.
      return Error(kErrorInvalidFunction);
    default:
      return Refuse(code, "unknown control code");
  }
}

TIoResult ReplayMachine::VolumeControl(TOpenHandle& open, std::uint32_t code, std::span<const std::uint8_t> in,
                                       std::span<std::uint8_t> out) {
  const TMachineVolume& volume = *open.volume;
  const TMachineDevice* disk = DeviceOf(open);
  const TMachinePartition* partition = VolumePartition(volume);
  switch (code) {
    case st::kIoctlStorageGetDeviceNumber: {
      if (out.size() < st::devicenumber::kSize) return Error(kErrorInsufficientBuffer);
      std::array<std::uint8_t, st::devicenumber::kSize> reply{};
      PutU32(reply, st::devicenumber::kDeviceType, volume.deviceType);
      PutU32(reply, st::devicenumber::kDeviceNumber, volume.disk);
      PutU32(reply, st::devicenumber::kPartitionNumber, volume.partition);
      return Ok(PutReply(out, reply));
    }
    case st::kIoctlVolumeGetVolumeDiskExtents: {
      namespace ex = st::extents;
      if (volume.noMedia) return Error(kErrorNotReady);
      std::vector<TMachineExtent> extents = volume.extents;
      if (extents.empty()) {
        if (!partition) return Error(kErrorInvalidFunction);
        extents.push_back({volume.disk, partition->start, partition->length});
      }
      const std::size_t size = ex::kExtents + extents.size() * ex::kExtentSize;
      if (out.size() < std::max(size, ex::kSize)) return Error(kErrorInsufficientBuffer);
      std::vector<std::uint8_t> reply(std::max(size, ex::kSize), 0);
      PutU32(reply, ex::kNumberOfDiskExtents, static_cast<std::uint32_t>(extents.size()));
      for (std::size_t i = 0; i < extents.size(); ++i) {
        const std::size_t at = ex::kExtents + i * ex::kExtentSize;
        PutU32(reply, at + ex::kDiskNumber, extents[i].disk);
        PutU64(reply, at + ex::kStartingOffset, extents[i].start);
        PutU64(reply, at + ex::kExtentLength, extents[i].length);
      }
      return Ok(PutReply(out, reply));
    }
    case st::kIoctlDiskGetLengthInfo: {
      if (volume.noMedia) return Error(kErrorNotReady);
      if (out.size() < st::lengthinfo::kSize) return Error(kErrorInsufficientBuffer);
      std::array<std::uint8_t, st::lengthinfo::kSize> reply{};
      PutU64(reply, 0, partition ? partition->length : volume.size);
      return Ok(PutReply(out, reply));
    }
    case st::kIoctlDiskGetPartitionInfo:
    case st::kIoctlDiskGetPartitionInfoEx:
      if (volume.noMedia) return Error(kErrorNotReady);
      if (!disk || !partition) return Error(kErrorInvalidFunction);
      return PartitionInfo(*disk, partition, code == st::kIoctlDiskGetPartitionInfoEx, out);
    case st::kIoctlDiskGetDriveLayoutEx:
      return Error(kErrorInvalidFunction);
    case st::kIoctlAtaPassThrough:
    case st::kIoctlScsiPassThrough:
    case st::kIoctlScsiMiniport:
    case st::kSmartGetVersion:
    case st::kSmartSendDriveCommand:
    case st::kSmartRcvDriveData:
    case st::kIoctlStorageQueryProperty:
    case st::kIoctlDiskGetDriveGeometry:
    case st::kIoctlDiskGetDriveGeometryEx: {
      // The volume passes drive requests down to the disk it lies on.
      if (!disk) return Error(kErrorInvalidFunction);
      TOpenHandle diskHandle = open;
      diskHandle.device = disk;
      diskHandle.volume = nullptr;
      return DeviceControl(diskHandle, code, in, out);
    }
    default:
      return Refuse(code, "unknown control code");
  }
}

bool ReplayMachine::RunAtaCommand(const TMachineDevice& device, const std::array<std::uint8_t, 8>& registers,
                                  TAtaOutcome& outcome, std::string& why) const {
  namespace tf = st::taskfile;
  namespace ac = st::atacmd;
  const std::uint8_t command = registers[tf::kCommand];
  const std::uint8_t features = registers[tf::kFeatures];
  outcome = {};
  outcome.registers = registers;
  outcome.registers[tf::kError] = 0;
  outcome.registers[tf::kStatus] = ac::kStatusReady;
  const auto abort = [&] {
    outcome.aborted = true;
    outcome.data.clear();
    outcome.registers[tf::kError] = ac::kErrorAbort;
    outcome.registers[tf::kStatus] = ac::kStatusError;
    return true;
  };
  const auto block = [&](const std::optional<TBlock512>& data) {
    if (!data) return abort();
    outcome.data.assign(data->begin(), data->end());
    return true;
  };
  const bool optical = device.kind == TMachineDeviceKind::CdRom;
  if (std::optional<std::string> judged = JudgeAtaCommand(registers)) {
    why = std::move(*judged);
    return false;
  }
  switch (command) {
    case ac::kIdentifyDevice:
      // A packet device aborts IDENTIFY DEVICE (it answers with its signature instead).
      return optical ? abort() : block(device.identify);
    case ac::kIdentifyPacketDevice:
      return optical ? block(device.identify) : abort();
    default:
      break;  // SMART
  }
  // Without the signature in the LBA registers a drive rejects every SMART command.
  if (registers[tf::kLbaMid] != ac::kSmartLbaMid || registers[tf::kLbaHigh] != ac::kSmartLbaHigh || optical ||
      !device.smartData) {
    return abort();
  }
  switch (features) {
    case ac::kSmartReadData:
      return block(device.smartData);
    case ac::kSmartReadThresholds:
      return block(device.smartThresholds);
    case ac::kSmartReturnStatus:
      if (ThresholdExceeded(*device.smartData, device.smartThresholds)) {
        outcome.registers[tf::kLbaMid] = ac::kSmartFailingLbaMid;
        outcome.registers[tf::kLbaHigh] = ac::kSmartFailingLbaHigh;
      }
      return true;
    default:
      return true;
  }
}

TIoResult ReplayMachine::AtaPassThrough(const TMachineDevice& device, std::span<const std::uint8_t> in,
                                        std::span<std::uint8_t> out) {
  namespace a = st::ata;
  if (in.size() < a::kSize || GetU16(in, a::kLength) != a::kSize) return Error(kErrorInvalidParameter);
  const std::uint16_t flags = GetU16(in, a::kAtaFlags);
  const std::uint32_t dataLength = GetU32(in, a::kDataTransferLength);
  const std::uint32_t dataOffset = GetU32(in, a::kDataBufferOffset);
  std::array<std::uint8_t, 8> registers{};
  std::copy_n(in.begin() + a::kCurrentTaskFile, registers.size(), registers.begin());
  TAtaOutcome outcome;
  std::string why;
  if (!RunAtaCommand(device, registers, outcome, why)) return Refuse(st::kIoctlAtaPassThrough, why);
  const TRouteAnswer& answer = device.Route(TMachineRoute::Ata);
  if (answer.kind != TKind::Answers) return Error(answer.value);
  // Buffered: the data area must lie inside the system buffer, max(input, output).
  const std::size_t systemBuffer = std::max(in.size(), out.size());
  if (out.size() < a::kSize) return Error(kErrorInvalidParameter);
  if (dataLength > 0 &&
      (dataOffset < a::kSize || dataOffset > systemBuffer || dataLength > systemBuffer - dataOffset)) {
    return Error(kErrorInvalidParameter);
  }
  const std::size_t transferred =
      (flags & a::kFlagDataIn) ? std::min<std::size_t>(outcome.data.size(), dataLength) : 0;
  std::vector<std::uint8_t> reply(in.begin(), in.begin() + a::kSize);
  PutU32(reply, a::kDataTransferLength, static_cast<std::uint32_t>(transferred));
  std::copy(outcome.registers.begin(), outcome.registers.end(), reply.begin() + a::kCurrentTaskFile);
  if (transferred > 0) {
    reply.resize(dataOffset + transferred, 0);
    std::copy_n(outcome.data.begin(), transferred, reply.begin() + dataOffset);
    // What lies between the header and the data area is the caller's own input.
    for (std::size_t i = a::kSize; i < dataOffset && i < in.size(); ++i) reply[i] = in[i];
  }
  return Ok(PutReply(out, reply));
}

TIoResult ReplayMachine::ScsiPassThrough(const TMachineDevice& device, std::span<const std::uint8_t> in,
                                         std::span<std::uint8_t> out) {
  namespace s = st::scsi;
  if (in.size() < s::kSize || GetU16(in, s::kLength) != s::kSize) return Error(kErrorInvalidParameter);
  const std::uint8_t cdbLength = in[s::kCdbLength];
  if (cdbLength == 0 || cdbLength > s::kCdbSize) return Error(kErrorInvalidParameter);
  const std::span<const std::uint8_t> cdb = in.subspan(s::kCdb, s::kCdbSize);
  const std::uint8_t operation = cdb[0];
  // The operation, the protocol and the direction were judged on arrival.
  const bool sixteen = operation == st::sat::kAtaPassThrough16;
  if (cdbLength < (sixteen ? 16 : 12)) return Error(kErrorInvalidParameter);
  const unsigned protocol = (cdb[1] >> 1) & 0x0F;
  const std::uint32_t dataLength = GetU32(in, s::kDataTransferLength);
  const std::array<std::uint8_t, 8> registers = SatRegisters(cdb);
  TAtaOutcome outcome;
  std::string why;
  if (!RunAtaCommand(device, registers, outcome, why)) return Refuse(st::kIoctlScsiPassThrough, why);
  const TRouteAnswer& answer = device.Route(TMachineRoute::Sat);
  if (answer.kind == TKind::Fails) return Error(answer.value);
  const std::uint32_t dataOffset = GetU32(in, s::kDataBufferOffset);
  const std::size_t systemBuffer = std::max(in.size(), out.size());
  if (out.size() < s::kSize) return Error(kErrorInvalidParameter);
  if (dataLength > 0 &&
      (dataOffset < s::kSize || dataOffset > systemBuffer || dataLength > systemBuffer - dataOffset)) {
    return Error(kErrorInvalidParameter);
  }
  std::vector<std::uint8_t> reply(in.begin(), in.begin() + s::kSize);
  std::size_t transferred = 0;
  if (answer.kind == TKind::ScsiStatus) {
    reply[s::kScsiStatus] = static_cast<std::uint8_t>(answer.value);
  } else if (outcome.aborted) {
    reply[s::kScsiStatus] = s::kStatusCheckCondition;
  } else {
    reply[s::kScsiStatus] = s::kStatusGood;
    if (protocol == st::sat::kProtocolPioDataIn) transferred = std::min<std::size_t>(outcome.data.size(), dataLength);
  }
  PutU32(reply, s::kDataTransferLength, static_cast<std::uint32_t>(transferred));
  if (transferred > 0) {
    reply.resize(dataOffset + transferred, 0);
    for (std::size_t i = s::kSize; i < dataOffset && i < in.size(); ++i) reply[i] = in[i];
    std::copy_n(outcome.data.begin(), transferred, reply.begin() + dataOffset);
  }
  return Ok(PutReply(out, reply));
}

TIoResult ReplayMachine::SmartRequest(const TMachineDevice& device, std::uint32_t code,
                                      std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
  const TRouteAnswer& answer = device.Route(TMachineRoute::Smart);
  if (code == st::kSmartGetVersion) {
    if (answer.kind != TKind::Answers) return Error(answer.value);
    if (out.size() < st::getversion::kSize) return Error(kErrorInsufficientBuffer);
    std::array<std::uint8_t, st::getversion::kSize> reply{};
    reply[st::getversion::kVersion] = device.smartVersion.version;
    reply[st::getversion::kRevision] = device.smartVersion.revision;
    reply[st::getversion::kIdeDeviceMap] = device.smartVersion.deviceMap;
    PutU32(reply, st::getversion::kCapabilities, device.smartVersion.capabilities);
    return Ok(PutReply(out, reply));
  }
  // The driver needs the command block up to its data byte.
  if (in.size() < st::sendcmdin::kSize - 1) return Error(kErrorInvalidParameter);
  std::array<std::uint8_t, 8> registers{};
  std::copy_n(in.begin() + st::sendcmdin::kRegisters, registers.size(), registers.begin());
  TAtaOutcome outcome;
  std::string why;
  if (!RunAtaCommand(device, registers, outcome, why)) return Refuse(code, why);
  if (answer.kind != TKind::Answers) return Error(answer.value);
  const std::uint8_t command = registers[st::taskfile::kCommand];
  const std::uint8_t features = registers[st::taskfile::kFeatures];
  const bool returnsData = command == st::atacmd::kIdentifyDevice || command == st::atacmd::kIdentifyPacketDevice ||
                           features == st::atacmd::kSmartReadData || features == st::atacmd::kSmartReadThresholds;
  // Data-returning commands travel as SMART_RCV_DRIVE_DATA, the others as SEND.
  if (returnsData != (code == st::kSmartRcvDriveData)) return Error(kErrorInvalidParameter);
  const bool returnsRegisters = !returnsData && features == st::atacmd::kSmartReturnStatus;
  const std::size_t dataSize = returnsData ? kBlockSize : returnsRegisters ? st::taskfile::kSize : 0;
  if (out.size() < st::sendcmdout::kBuffer + dataSize) return Error(kErrorInsufficientBuffer);
  std::vector<std::uint8_t> reply(st::sendcmdout::kBuffer, 0);
  if (outcome.aborted) {
    reply[st::sendcmdout::kDriverError] = st::sendcmdout::kSmartIdeError;
    reply[st::sendcmdout::kIdeError] = st::atacmd::kErrorAbort;
  } else {
    PutU32(reply, st::sendcmdout::kBufferSize, static_cast<std::uint32_t>(dataSize));
    if (returnsData) reply.insert(reply.end(), outcome.data.begin(), outcome.data.end());
    if (returnsRegisters) reply.insert(reply.end(), outcome.registers.begin(), outcome.registers.end());
  }
  return Ok(PutReply(out, reply));
}

TIoResult ReplayMachine::Miniport(const TMachineDevice& device, std::span<const std::uint8_t> in,
                                  std::span<std::uint8_t> out) {
  namespace sr = st::srbio;
  constexpr std::size_t kBlock = sr::kSize;
  if (in.size() < kBlock + st::sendcmdin::kSize - 1) return Error(kErrorInvalidParameter);
  // The header, the signature, the control code and the command were judged on arrival.
  std::array<std::uint8_t, 8> registers{};
  std::copy_n(in.begin() + kBlock + st::sendcmdin::kRegisters, registers.size(), registers.begin());
  TAtaOutcome outcome;
  std::string why;
  if (!RunAtaCommand(device, registers, outcome, why)) return Refuse(st::kIoctlScsiMiniport, why);
  const TRouteAnswer& answer = device.Route(TMachineRoute::Miniport);
  if (answer.kind != TKind::Answers) return Error(answer.value);
  const std::size_t replySize = kBlock + st::sendcmdout::kBuffer + kBlockSize;
  if (GetU32(in, sr::kLength) < st::sendcmdout::kBuffer + kBlockSize) return Error(kErrorInvalidParameter);
  if (out.size() < replySize) return Error(kErrorInsufficientBuffer);
  std::vector<std::uint8_t> reply(in.begin(), in.begin() + kBlock);
  PutU32(reply, sr::kReturnCode, 0);
  reply.resize(kBlock + st::sendcmdout::kBuffer, 0);
  if (outcome.aborted) {
    reply[kBlock + st::sendcmdout::kDriverError] = st::sendcmdout::kSmartIdeError;
    reply[kBlock + st::sendcmdout::kIdeError] = st::atacmd::kErrorAbort;
  } else {
    PutU32(reply, kBlock + st::sendcmdout::kBufferSize, kBlockSize);
    reply.insert(reply.end(), outcome.data.begin(), outcome.data.end());
  }
  return Ok(PutReply(out, reply));
}

TIoResult ReplayMachine::QueryProperty(const TMachineDevice& device, std::span<const std::uint8_t> in,
                                       std::span<std::uint8_t> out) {
  namespace pq = st::propertyquery;
  if (in.size() < pq::kAdditionalParameters) return Error(kErrorInvalidParameter);
  const std::uint32_t id = GetU32(in, pq::kPropertyId);
  const std::uint32_t type = GetU32(in, pq::kQueryType);
  if (type != pq::kPropertyStandardQuery && type != pq::kPropertyExistsQuery) return Error(kErrorInvalidParameter);

  std::vector<std::uint8_t> reply;
  const auto header = [&](std::size_t size) {
    reply.assign(size, 0);
    PutU32(reply, st::descriptorheader::kVersion, static_cast<std::uint32_t>(size));
    PutU32(reply, st::descriptorheader::kSizeField, static_cast<std::uint32_t>(size));
  };
  const TMachineDescriptor& d = device.descriptor;
  switch (id) {
    case pq::kStorageAdapterProtocolSpecificProperty:
    case pq::kStorageDeviceProtocolSpecificProperty:
      return NvmeProperty(device, id, in, out);
    case pq::kStorageDeviceProperty: {
      namespace dd = st::devicedescriptor;
      header(dd::kSize);
      reply[dd::kDeviceType] = d.deviceType;
      reply[dd::kRemovableMedia] = d.removable ? 1 : 0;
      reply[dd::kCommandQueueing] = d.commandQueueing ? 1 : 0;
      PutU32(reply, dd::kBusType, d.busType);
      // Each text a C string, as drivers write them: a NUL inside ends it.
      const auto text = [&](std::size_t field, const std::string& whole) {
        const std::string_view value = std::string_view(whole).substr(0, whole.find('\0'));
        if (value.empty()) return;
        PutU32(reply, field, static_cast<std::uint32_t>(reply.size()));
        reply.insert(reply.end(), value.begin(), value.end());
        reply.push_back(0);
      };
      text(dd::kVendorIdOffset, d.vendor);
      text(dd::kProductIdOffset, d.product);
      text(dd::kProductRevisionOffset, d.revision);
      text(dd::kSerialNumberOffset, d.serial);
      PutU32(reply, dd::kSizeField, static_cast<std::uint32_t>(reply.size()));
      break;
    }
    case pq::kStorageAdapterProperty: {
      namespace ad = st::adapterdescriptor;
      header(ad::kSize);
      PutU32(reply, ad::kMaximumTransferLength, 0x20000);
      PutU32(reply, ad::kMaximumPhysicalPages, 0x21);
      PutU32(reply, ad::kAlignmentMask, 1);
      reply[ad::kCommandQueueing] = d.commandQueueing ? 1 : 0;
      reply[ad::kBusType] = static_cast<std::uint8_t>(d.busType);
      PutU16(reply, ad::kBusMajorVersion, 1);
      break;
    }
    case pq::kStorageAccessAlignmentProperty: {
      namespace al = st::alignmentdescriptor;
      header(al::kSize);
      std::uint32_t physical = device.geometry.bytesPerSector;
      if (device.physicalSectorSize != 0) {
        physical = device.physicalSectorSize;
      } else if (device.identify) {
        const std::uint16_t word106 = GetU16(*device.identify, 212);
        if ((word106 & 0xE000) == 0x6000) physical <<= (word106 & 0x0F);
      }
      PutU32(reply, al::kBytesPerCacheLine, 64);
      PutU32(reply, al::kBytesPerLogicalSector, device.geometry.bytesPerSector);
      PutU32(reply, al::kBytesPerPhysicalSector, physical);
      break;
    }
    case pq::kStorageDeviceSeekPenaltyProperty:
    case pq::kStorageDeviceTrimProperty: {
      const std::optional<bool> flag = FlagProperty(device, id == pq::kStorageDeviceTrimProperty);
      if (!flag) return Error(kErrorInvalidFunction);
      header(st::flagdescriptor::kSize);
      reply[st::flagdescriptor::kFlag] = *flag ? 1 : 0;
      break;
    }
    default:
      // The driver does not have the property (not a refusal: a read the catalogue sends).
      return Error(kErrorInvalidFunction);
  }
  if (type == pq::kPropertyExistsQuery) return Ok(0);
  if (out.size() < st::descriptorheader::kSize) return Error(kErrorBadLength);
  return Ok(PutReply(out, reply));
}

TIoResult ReplayMachine::Geometry(const TMachineDevice& device, bool extended, std::span<std::uint8_t> out) {
  if (device.kind == TMachineDeviceKind::CdRom && device.size == 0) return Error(kErrorNotReady);
  namespace g = st::geometry;
  namespace dp = st::diskpartitioninfo;
  std::vector<std::uint8_t> reply(g::kExData + dp::kSize + dp::kDetectionInfoSize, 0);
  PutU64(reply, g::kCylinders, device.geometry.cylinders);
  PutU32(reply, g::kMediaType, device.geometry.mediaType);
  PutU32(reply, g::kTracksPerCylinder, device.geometry.tracksPerCylinder);
  PutU32(reply, g::kSectorsPerTrack, device.geometry.sectorsPerTrack);
  PutU32(reply, g::kBytesPerSector, device.geometry.bytesPerSector);
  if (!extended) {
    if (out.size() < g::kSize) return Error(kErrorInsufficientBuffer);
    return Ok(PutReply(out, std::span(reply).first(g::kSize)));
  }
  if (out.size() < g::kExData) return Error(kErrorInsufficientBuffer);
  PutU64(reply, g::kExDiskSize, device.size);
  const std::size_t info = g::kExData;
  PutU32(reply, info + dp::kSizeOfPartitionInfo, dp::kSize);
  PutU32(reply, info + dp::kPartitionStyle, static_cast<std::uint32_t>(device.layout.style));
  if (device.layout.style == TPartitionStyle::Mbr) {
    PutU32(reply, info + dp::kMbrSignature, device.layout.signature);
  } else if (device.layout.style == TPartitionStyle::Gpt) {
    std::copy(device.layout.diskId.begin(), device.layout.diskId.end(), reply.begin() + info + dp::kGptDiskId);
  }
  PutU32(reply, info + dp::kSize, dp::kDetectionInfoSize);
  return Ok(PutReply(out, reply));
}

TIoResult ReplayMachine::PartitionInfo(const TMachineDevice& device, const TMachinePartition* partition,
                                       bool extended, std::span<std::uint8_t> out) {
  if (device.kind == TMachineDeviceKind::CdRom && device.size == 0) return Error(kErrorNotReady);
  // The whole disk answers as partition 0.
  TMachinePartition whole;
  whole.length = device.size;
  whole.type = 0;
  whole.recognized = false;
  whole.typeGuid = {};
  const TMachinePartition& p = partition ? *partition : whole;
  if (!extended) {
    // The old request knows only MBR partitions.
    if (device.layout.style == TPartitionStyle::Gpt) return Error(kErrorInvalidFunction);
    namespace pi = st::partitioninfo;
    if (out.size() < pi::kSize) return Error(kErrorInsufficientBuffer);
    std::array<std::uint8_t, pi::kSize> reply{};
    PutU64(reply, pi::kStartingOffset, p.start);
    PutU64(reply, pi::kPartitionLength, p.length);
    PutU32(reply, pi::kHiddenSectors, p.hiddenSectors);
    PutU32(reply, pi::kPartitionNumber, p.number);
    reply[pi::kPartitionType] = p.type;
    reply[pi::kBootIndicator] = p.boot ? 1 : 0;
    reply[pi::kRecognizedPartition] = p.recognized && p.number != 0 ? 1 : 0;
    return Ok(PutReply(out, reply));
  }
  if (out.size() < st::partitioninfoex::kSize) return Error(kErrorInsufficientBuffer);
  std::array<std::uint8_t, st::partitioninfoex::kSize> reply{};
  WritePartitionEx(reply, device.layout.style, p);
  return Ok(PutReply(out, reply));
}

TIoResult ReplayMachine::DriveLayout(const TMachineDevice& device, std::span<std::uint8_t> out) {
  if (device.kind == TMachineDeviceKind::CdRom && device.size == 0) return Error(kErrorNotReady);
  namespace l = st::layout;
  const TMachineLayout& layout = device.layout;
  std::size_t count = layout.partitions.size();
  // An MBR layout always reports whole tables of four slots, empty ones included.
  if (layout.style == TPartitionStyle::Mbr) count = std::max<std::size_t>(4, (count + 3) / 4 * 4);
  const std::size_t size = l::kPartitionEntry + count * st::partitioninfoex::kSize;
  if (out.size() < size) return Error(kErrorInsufficientBuffer);
  std::vector<std::uint8_t> reply(size, 0);
  PutU32(reply, l::kPartitionStyle, static_cast<std::uint32_t>(layout.style));
  PutU32(reply, l::kPartitionCount, static_cast<std::uint32_t>(count));
  if (layout.style == TPartitionStyle::Mbr) {
    PutU32(reply, l::kMbrSignature, layout.signature);
  } else if (layout.style == TPartitionStyle::Gpt) {
    std::copy(layout.diskId.begin(), layout.diskId.end(), reply.begin() + l::kGptDiskId);
    PutU64(reply, l::kGptStartingUsableOffset, layout.usableStart);
    PutU64(reply, l::kGptUsableLength, layout.usableLength);
    PutU32(reply, l::kGptMaxPartitionCount, layout.maxPartitions);
  }
  TMachinePartition empty;
  empty.recognized = false;
  for (std::size_t i = 0; i < count; ++i) {
    const TMachinePartition& partition = i < layout.partitions.size() ? layout.partitions[i] : empty;
    WritePartitionEx(std::span(reply).subspan(l::kPartitionEntry + i * st::partitioninfoex::kSize,
                                              st::partitioninfoex::kSize),
                     layout.style, partition);
  }
  return Ok(PutReply(out, reply));
}

std::string ReplayMachine::ErrorMessage(std::uint32_t error) {
  static constexpr std::pair<std::uint32_t, std::string_view> kMessages[] = {
      {0, "The operation completed successfully."},
      {1, "Incorrect function."},
      {2, "The system cannot find the file specified."},
      {3, "The system cannot find the path specified."},
      {5, "Access is denied."},
      {6, "The handle is invalid."},
      {21, "The device is not ready."},
      {24, "The program issued a command but the command length is incorrect."},
      {31, "A device attached to the system is not functioning."},
      {50, "The request is not supported."},
      {87, "The parameter is incorrect."},
      {121, "The semaphore timeout period has expired."},
      {122, "The data area passed to a system call is too small."},
      {234, "More data is available."},
      {1117, "The request could not be performed because of an I/O device error."},
      {1167, "The device is not connected."},
  };
  for (const auto& [code, message] : kMessages) {
    if (code == error) return std::string(message);
  }
  return {};
}

}  // namespace vexa
