// The recording machine: requests are kept per device path as they pass; the
// machine is put together from them when asked, each reply read back the way the
// replay machine writes it.
#include "platform/RecordingMachine.h"

#include <algorithm>

#include "platform/MachineFileNvme.h"
#include "platform/ReplayMachineDetail.h"
#include "platform/RequestJudge.h"
#include "platform/StorageLayout.h"
#include "support/Bytes.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace st = storage;

namespace {

using TRequest = TRecordingMachine::TRequest;

// \\.\C: and the like: a volume, recorded through the volume queries instead.
bool IsVolumePath(std::string_view path) {
  return path.size() == 6 && path.starts_with("\\\\.\\") && path[5] == ':';
}

std::optional<TMachineRoute> RouteOf(std::uint32_t code) {
  switch (code) {
    case st::kIoctlAtaPassThrough: return TMachineRoute::Ata;
    case st::kIoctlScsiPassThrough: return TMachineRoute::Sat;
    case st::kSmartGetVersion:
    case st::kSmartSendDriveCommand:
    case st::kSmartRcvDriveData: return TMachineRoute::Smart;
    case st::kIoctlScsiMiniport: return TMachineRoute::Miniport;
    case st::kIoctlStorageQueryProperty: return TMachineRoute::Property;
    case st::kIoctlStorageGetDeviceNumber: return TMachineRoute::Number;
    case st::kIoctlDiskGetDriveGeometry:
    case st::kIoctlDiskGetDriveGeometryEx: return TMachineRoute::Geometry;
    case st::kIoctlDiskGetLengthInfo: return TMachineRoute::Length;
    case st::kIoctlDiskGetPartitionInfo:
    case st::kIoctlDiskGetPartitionInfoEx: return TMachineRoute::Partition;
    case st::kIoctlDiskGetDriveLayoutEx: return TMachineRoute::Layout;
    default: return std::nullopt;
  }
}

std::optional<TBlock512> BlockAt(const std::vector<std::uint8_t>& reply, std::size_t at) {
  if (reply.size() < at + 512) return std::nullopt;
  TBlock512 block{};
  std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(at), block.size(), block.begin());
  return block;
}

template <typename TBlock>
std::optional<TBlock> BlockOf(TBytes bytes) {
  if (bytes.size() < std::tuple_size_v<TBlock>) return std::nullopt;
  TBlock block{};
  std::copy_n(bytes.begin(), block.size(), block.begin());
  return block;
}

// The NVMe data of a protocol-specific property reply, where its descriptor says it
// lies; empty when the descriptor is short, not the driver's, or points outside.
TBytes NvmeAnswer(TBytes reply) {
  namespace pd = st::protocoldata;
  namespace pdd = st::protocoldescriptor;
  if (reply.size() < pdd::kSize || GetU32(reply, pdd::kVersion) != pdd::kSize ||
      GetU32(reply, pdd::kSizeField) != pdd::kSize) {
    return {};
  }
  // In 64 bits, where a 32-bit offset cannot wrap around as it can in a 32-bit size_t.
  const std::uint64_t start =
      std::uint64_t{pdd::kProtocolSpecificData} + GetU32(reply, pdd::kProtocolSpecificData + pd::kDataOffset);
  const std::uint32_t length = GetU32(reply, pdd::kProtocolSpecificData + pd::kDataLength);
  if (start < pdd::kSize || start + length > reply.size()) return {};
  return reply.subspan(static_cast<std::size_t>(start), length);
}

// A text of the device descriptor at the offset the field holds; empty at offset 0.
std::string DescriptorText(TBytes reply, std::size_t field) { return ZeroTerminatedTextAt(reply, GetU32(reply, field)); }

// The bytes a whole reply to a drive command holds, as its own fields tell (at most
// the caller's buffer): what a driver that counts right reports returned.
std::uint64_t ClaimedSize(const TRequest& request) {
  const std::vector<std::uint8_t>& out = request.output;
  std::uint64_t size = 0;
  switch (request.code) {
    case st::kIoctlAtaPassThrough:
    case st::kIoctlScsiPassThrough: {
      const bool ata = request.code == st::kIoctlAtaPassThrough;
      const std::size_t header = ata ? st::ata::kSize : st::scsi::kSize;
      if (out.size() < header || request.input.size() < header) return 0;
      const std::uint32_t length = GetU32(out, ata ? st::ata::kDataTransferLength : st::scsi::kDataTransferLength);
      const std::uint32_t offset =
          GetU32(request.input, ata ? st::ata::kDataBufferOffset : st::scsi::kDataBufferOffset);
      size = length == 0 ? header : std::uint64_t{offset} + length;
      break;
    }
    case st::kSmartGetVersion:
      size = st::getversion::kSize;
      break;
    case st::kSmartSendDriveCommand:
    case st::kSmartRcvDriveData:
    case st::kIoctlScsiMiniport: {
      const std::size_t at = request.code == st::kIoctlScsiMiniport ? st::srbio::kSize : 0;
      if (out.size() < at + st::sendcmdout::kBuffer) return 0;
      size = at + st::sendcmdout::kBuffer + std::uint64_t{GetU32(out, at + st::sendcmdout::kBufferSize)};
      break;
    }
    default:
      return 0;
  }
  return std::min<std::uint64_t>(size, out.size());
}

// What one device answered, put together request by request.
class TDeviceAssembly {
public:
  explicit TDeviceAssembly(TMachineDevice& device) : device(device) {}

  void Add(const TRequest& request) {
    const std::optional<TMachineRoute> route = RouteOf(request.code);
    if (!route) return;
    const auto index = static_cast<std::size_t>(*route);
    if (const std::optional<std::size_t> nvme = NvmeProperty(request)) {
      const std::size_t at = st::propertyquery::kAdditionalParameters;
      namespace pd = st::protocoldata;
      TNvmeOutcome& outcome = nvmeOutcomes[{GetU32(request.input, at + pd::kDataType),
                                            GetU32(request.input, at + pd::kRequestValue),
                                            GetU32(request.input, at + pd::kRequestSubValue)}];
      const bool delivered = request.result.ok && !NvmeAnswer(request.reply).empty();
      (delivered ? outcome.answered : outcome.failed)[*nvme] = true;
    }
    if (request.code == st::kIoctlStorageQueryProperty) DriverProperty(request);
    if (!request.result.ok) {
      if (!answered[index]) device.routes[index] = {TRouteAnswer::TKind::Fails, request.result.error};
      return;
    }
    answered[index] = true;
    device.routes[index] = {TRouteAnswer::TKind::Answers, 0};
    // A driver that counted fewer bytes than its reply holds counts short on that route.
    if (CarriesDriveCommands(*route) && request.result.bytes < ClaimedSize(request)) {
      std::optional<std::uint32_t>& limit = device.shortReplies[index];
      limit = std::max(limit.value_or(0), request.result.bytes);
    }
    switch (request.code) {
      case st::kIoctlAtaPassThrough: AtaReply(request); break;
      case st::kIoctlScsiPassThrough: SatReply(request); break;
      case st::kSmartRcvDriveData: SmartReply(request); break;
      case st::kSmartGetVersion: VersionReply(request.output); break;
      case st::kIoctlScsiMiniport: MiniportReply(request); break;
      case st::kIoctlStorageQueryProperty: PropertyReply(request); break;
      case st::kIoctlStorageGetDeviceNumber:
        if (request.reply.size() >= st::devicenumber::kSize) {
          device.number = GetU32(request.reply, st::devicenumber::kDeviceNumber);
        }
        break;
      case st::kIoctlDiskGetDriveGeometry:
      case st::kIoctlDiskGetDriveGeometryEx: GeometryReply(request.reply); break;
      case st::kIoctlDiskGetLengthInfo:
        if (request.reply.size() >= st::lengthinfo::kSize) {
          size = GetU64(request.reply, 0);
        }
        break;
      case st::kIoctlDiskGetDriveLayoutEx: LayoutReply(request.reply); break;
      case st::kIoctlDiskGetPartitionInfo:
      case st::kIoctlDiskGetPartitionInfoEx: WholeDiskReply(request); break;
      default: break;
    }
  }

  void Finish() {
    // The kind the path suggests gives way to the IDENTIFY the drive answered: a
    // packet device answers IDENTIFY PACKET DEVICE and aborts IDENTIFY DEVICE, a
    // disk the other way round.
    if (packetIdentified) device.kind = TMachineDeviceKind::CdRom;
    else if (diskIdentified && device.kind == TMachineDeviceKind::CdRom) device.kind = TMachineDeviceKind::Disk;
    // Without the layout, the whole disk's partition still tells the table's style.
    if (!layoutRead && styleTold) device.layout.style = *styleTold;
    if (size) device.size = *size;
    else if (geometrySize) device.size = *geometrySize;
    else if (wholeDiskSize) device.size = *wholeDiskSize;
    // Without a geometry the file's default sector size would stand in for the one
    // the alignment property reported.
    if (!geometryRead && logicalSectorSize) device.geometry.bytesPerSector = *logicalSectorSize;
    // A SAT route that never said GOOD is recorded with the status it gave, CHECK
    // CONDITION included: a controller that refuses ATA PASS-THROUGH answers so, and
    // recorded as a route that answers it would replay the drive's data that the PC
    // itself never got through it. A drive that merely aborted every command it was
    // asked replays the same either way.
    const auto sat = static_cast<std::size_t>(TMachineRoute::Sat);
    if (answered[sat] && !satGood && satStatus) {
      device.routes[sat] = {TRouteAnswer::TKind::ScsiStatus, *satStatus};
    }
    if (device.smartData && !thresholdsRead) device.smartThresholds.reset();
    // A driver that failed one protocol-specific property where the other answered
    // the same request has only that other one. A request both failed says nothing:
    // the drive may just lack that data.
    bool adapterOnly = false, deviceOnly = false;
    for (const auto& [what, outcome] : nvmeOutcomes) {
      adapterOnly = adapterOnly || (outcome.answered[0] && outcome.failed[1]);
      deviceOnly = deviceOnly || (outcome.answered[1] && outcome.failed[0]);
    }
    if (adapterOnly != deviceOnly) device.nvmeProperty = adapterOnly ? TNvmeProperty::Adapter : TNvmeProperty::Device;
  }

private:
  TMachineDevice& device;
  std::array<bool, kMachineRouteCount> answered{};
  std::optional<std::uint64_t> size, geometrySize, wholeDiskSize;
  std::optional<std::uint32_t> logicalSectorSize;
  std::optional<TPartitionStyle> styleTold;
  bool satGood = false, thresholdsRead = false, geometryRead = false, layoutRead = false;
  bool packetIdentified = false, diskIdentified = false;
  std::optional<std::uint8_t> satStatus;
  // Per NVMe request (data type, value, sub-value), how each protocol-specific
  // property met it: index 0 the adapter's (49), 1 the device's (50).
  struct TNvmeOutcome {
    std::array<bool, 2> answered{}, failed{};
  };
  std::map<std::array<std::uint32_t, 3>, TNvmeOutcome> nvmeOutcomes;

  // An ATA command's data, whichever route carried it.
  void AtaData(const std::array<std::uint8_t, 8>& registers, const std::optional<TBlock512>& data) {
    if (!data) return;
    const std::uint8_t command = registers[st::taskfile::kCommand];
    const std::uint8_t features = registers[st::taskfile::kFeatures];
    if (command == st::atacmd::kIdentifyDevice || command == st::atacmd::kIdentifyPacketDevice) {
      device.identify = data;
      (command == st::atacmd::kIdentifyPacketDevice ? packetIdentified : diskIdentified) = true;
    } else if (command == st::atacmd::kSmart && features == st::atacmd::kSmartReadData) {
      device.smartData = data;
    } else if (command == st::atacmd::kSmart && features == st::atacmd::kSmartReadThresholds) {
      device.smartThresholds = data;
      thresholdsRead = true;
    }
  }

  static std::array<std::uint8_t, 8> RegistersAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::array<std::uint8_t, 8> registers{};
    if (bytes.size() >= at + registers.size()) {
      std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), registers.size(), registers.begin());
    }
    return registers;
  }

  // The drive commands' replies are read from the whole buffer, as far as their own
  // fields say data came: the program reads some past what the driver counted, and
  // the replay writes them whole again, counted as the driver counted.
  void AtaReply(const TRequest& request) {
    namespace a = st::ata;
    const std::vector<std::uint8_t>& out = request.output;
    if (out.size() < a::kSize || request.input.size() < a::kSize) return;
    const std::uint8_t status = out[a::kCurrentTaskFile + st::taskfile::kStatus];
    if (status & 0x01) return;  // the drive aborted the command
    const std::uint32_t length = GetU32(out, a::kDataTransferLength);
    const std::uint32_t offset = GetU32(request.input, a::kDataBufferOffset);
    AtaData(RegistersAt(request.input, a::kCurrentTaskFile), length > 0 ? BlockAt(out, offset) : std::nullopt);
  }

  void SatReply(const TRequest& request) {
    namespace s = st::scsi;
    const std::vector<std::uint8_t>& out = request.output;
    if (out.size() < s::kSize || request.input.size() < s::kCdb + s::kCdbSize) return;
    const std::uint8_t status = out[s::kScsiStatus];
    if (status != s::kStatusGood) {
      if (!satStatus) satStatus = status;
      return;
    }
    satGood = true;
    const std::span<const std::uint8_t> cdb(request.input.data() + s::kCdb, s::kCdbSize);
    const std::array<std::uint8_t, 8> registers = SatRegisters(cdb);
    const std::uint32_t length = GetU32(out, s::kDataTransferLength);
    const std::uint32_t offset = GetU32(request.input, s::kDataBufferOffset);
    AtaData(registers, length > 0 ? BlockAt(out, offset) : std::nullopt);
  }

  // A SMART or miniport reply's data after its SENDCMDOUTPARAMS at `at`, when the
  // drive answered and the driver says data came.
  static std::optional<TBlock512> SendCmdData(const std::vector<std::uint8_t>& out, std::size_t at) {
    namespace o = st::sendcmdout;
    if (out.size() < at + o::kBuffer || out[at + o::kDriverError] != 0 || GetU32(out, at + o::kBufferSize) == 0)
      return std::nullopt;
    return BlockAt(out, at + o::kBuffer);
  }

  void SmartReply(const TRequest& request) {
    AtaData(RegistersAt(request.input, st::sendcmdin::kRegisters), SendCmdData(request.output, 0));
  }

  void MiniportReply(const TRequest& request) {
    if (std::optional<TBlock512> data = SendCmdData(request.output, st::srbio::kSize)) device.identify = data;
  }

  void VersionReply(const std::vector<std::uint8_t>& reply) {
    namespace v = st::getversion;
    if (reply.size() < v::kSize) return;
    device.smartVersion = {reply[v::kVersion], reply[v::kRevision], reply[v::kIdeDeviceMap],
                           GetU32(reply, v::kCapabilities)};
  }

  // Which protocol-specific property (0 adapter, 1 device) an NVMe query asked for.
  static std::optional<std::size_t> NvmeProperty(const TRequest& request) {
    namespace pq = st::propertyquery;
    if (request.code != st::kIoctlStorageQueryProperty || request.input.size() < pq::kAdditionalParameters ||
        GetU32(request.input, pq::kQueryType) != pq::kPropertyStandardQuery ||
        GetU32(request.input, pq::kAdditionalParameters + st::protocoldata::kProtocolType) !=
            st::protocoldata::kProtocolTypeNvme) {
      return std::nullopt;
    }
    switch (GetU32(request.input, pq::kPropertyId)) {
      case pq::kStorageAdapterProtocolSpecificProperty: return 0;
      case pq::kStorageDeviceProtocolSpecificProperty: return 1;
      default: return std::nullopt;
    }
  }

  // Identify Controller, Identify Namespace 1 or the health log, by the request.
  void NvmeReply(const TRequest& request) {
    namespace pd = st::protocoldata;
    const TBytes input = request.input;
    const TBytes data = input.subspan(std::min(input.size(), st::propertyquery::kAdditionalParameters));
    const TBytes answer = NvmeAnswer(request.reply);
    const std::uint32_t value = GetU32(data, pd::kRequestValue);
    switch (GetU32(data, pd::kDataType)) {
      case pd::kNvmeDataTypeIdentify:
        if (value == pd::kNvmeIdentifyController) {
          if (auto block = BlockOf<TBlock4096>(answer)) device.nvmeIdentify = block;
        } else if (value == pd::kNvmeIdentifyNamespace && GetU32(data, pd::kRequestSubValue) == 1) {
          if (auto block = BlockOf<TBlock4096>(answer)) device.nvmeNamespace = block;
        }
        break;
      case pd::kNvmeDataTypeLogPage:
        if (value == pd::kNvmeLogHealth) {
          if (auto block = BlockOf<TBlock512>(answer)) device.nvmeHealth = block;
        }
        break;
      default:
        break;
    }
  }

  void PropertyReply(const TRequest& request) {
    namespace dd = st::devicedescriptor;
    if (NvmeProperty(request)) {
      NvmeReply(request);
      return;
    }
    if (request.input.size() < 8 || GetU32(request.input, st::propertyquery::kPropertyId) != 0 ||
        GetU32(request.input, st::propertyquery::kQueryType) != st::propertyquery::kPropertyStandardQuery ||
        request.reply.size() < dd::kSize) {
      return;
    }
    const std::vector<std::uint8_t>& r = request.reply;
    TMachineDescriptor& d = device.descriptor;
    d.deviceType = r[dd::kDeviceType];
    d.removable = r[dd::kRemovableMedia] != 0;
    d.commandQueueing = r[dd::kCommandQueueing] != 0;
    d.busType = GetU32(r, dd::kBusType);
    d.vendor = DescriptorText(r, dd::kVendorIdOffset);
    d.product = DescriptorText(r, dd::kProductIdOffset);
    d.revision = DescriptorText(r, dd::kProductRevisionOffset);
    d.serial = DescriptorText(r, dd::kSerialNumberOffset);
  }

  // The properties a replay would otherwise tell from IDENTIFY (seek penalty, TRIM,
  // the physical sector size), as the driver answered or refused them: a drive
  // whose IDENTIFY the program could not read may still have them answered.
  void DriverProperty(const TRequest& request) {
    namespace pq = st::propertyquery;
    namespace al = st::alignmentdescriptor;
    if (request.input.size() < pq::kAdditionalParameters ||
        GetU32(request.input, pq::kQueryType) != pq::kPropertyStandardQuery) {
      return;
    }
    const std::uint32_t id = GetU32(request.input, pq::kPropertyId);
    const std::vector<std::uint8_t>& reply = request.reply;
    if (id == pq::kStorageDeviceSeekPenaltyProperty || id == pq::kStorageDeviceTrimProperty) {
      TFlagProperty& flag = id == pq::kStorageDeviceTrimProperty ? device.trim : device.seekPenalty;
      if (request.result.ok && reply.size() >= st::flagdescriptor::kSize) {
        flag = reply[st::flagdescriptor::kFlag] != 0 ? TFlagProperty::Yes : TFlagProperty::No;
      } else if (!request.result.ok && flag == TFlagProperty::FromIdentify) {
        flag = TFlagProperty::None;
      }
    } else if (id == pq::kStorageAccessAlignmentProperty && request.result.ok && reply.size() >= al::kSize) {
      device.physicalSectorSize = GetU32(reply, al::kBytesPerPhysicalSector);
      if (const std::uint32_t logical = GetU32(reply, al::kBytesPerLogicalSector)) logicalSectorSize = logical;
    }
  }

  // Partition 0, asked of the disk itself, is the whole disk.
  void WholeDiskReply(const TRequest& request) {
    namespace pi = st::partitioninfo;
    namespace pe = st::partitioninfoex;
    const bool extended = request.code == st::kIoctlDiskGetPartitionInfoEx;
    const std::vector<std::uint8_t>& reply = request.reply;
    if (reply.size() < (extended ? pe::kSize : pi::kSize)) return;
    if (GetU32(reply, extended ? pe::kPartitionNumber : pi::kPartitionNumber) != 0) return;
    wholeDiskSize = GetU64(reply, extended ? pe::kPartitionLength : pi::kPartitionLength);
    const std::uint32_t style = GetU32(reply, pe::kPartitionStyle);
    if (extended && style <= static_cast<std::uint32_t>(TPartitionStyle::Raw))
      styleTold = static_cast<TPartitionStyle>(style);
  }

  void GeometryReply(const std::vector<std::uint8_t>& reply) {
    namespace g = st::geometry;
    if (reply.size() < g::kSize) return;
    geometryRead = true;
    device.geometry = {GetU64(reply, g::kCylinders), GetU32(reply, g::kMediaType),
                       GetU32(reply, g::kTracksPerCylinder), GetU32(reply, g::kSectorsPerTrack),
                       GetU32(reply, g::kBytesPerSector)};
    if (reply.size() >= g::kExData) geometrySize = GetU64(reply, g::kExDiskSize);
  }

  void LayoutReply(const std::vector<std::uint8_t>& reply) {
    namespace l = st::layout;
    namespace pe = st::partitioninfoex;
    if (reply.size() < l::kHeaderSize) return;
    layoutRead = true;
    TMachineLayout layout;
    const std::uint32_t style = GetU32(reply, l::kPartitionStyle);
    if (style == l::kStyleMbr) {
      layout.style = TPartitionStyle::Mbr;
      layout.signature = GetU32(reply, l::kMbrSignature);
    } else if (style == l::kStyleGpt) {
      layout.style = TPartitionStyle::Gpt;
      std::copy_n(reply.begin() + l::kGptDiskId, 16, layout.diskId.begin());
      layout.usableStart = GetU64(reply, l::kGptStartingUsableOffset);
      layout.usableLength = GetU64(reply, l::kGptUsableLength);
      layout.maxPartitions = GetU32(reply, l::kGptMaxPartitionCount);
    }
    const std::uint32_t count = GetU32(reply, l::kPartitionCount);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t at = l::kPartitionEntry + i * pe::kSize;
      if (reply.size() < at + pe::kSize) break;
      TMachinePartition p;
      p.number = GetU32(reply, at + pe::kPartitionNumber);
      if (p.number == 0) continue;  // an empty slot of an MBR table
      p.start = GetU64(reply, at + pe::kStartingOffset);
      p.length = GetU64(reply, at + pe::kPartitionLength);
      if (layout.style == TPartitionStyle::Mbr) {
        p.type = reply[at + pe::kMbrPartitionType];
        p.boot = reply[at + pe::kMbrBootIndicator] != 0;
        p.recognized = reply[at + pe::kMbrRecognizedPartition] != 0;
        p.hiddenSectors = GetU32(reply, at + pe::kMbrHiddenSectors);
      } else {
        std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(at + pe::kGptPartitionType), 16, p.typeGuid.begin());
        std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(at + pe::kGptPartitionId), 16, p.id.begin());
        p.attributes = GetU64(reply, at + pe::kGptAttributes);
        p.name = Utf16TextAt(reply, at + pe::kGptName, pe::kGptNameChars);
      }
      layout.partitions.push_back(std::move(p));
    }
    device.layout = std::move(layout);
  }
};

// A stable placeholder in place of a drive's serial number, the same length.
std::string Placeholder(std::size_t index, std::size_t length) {
  std::string text = Format("VEXA-SERIAL-%.4d", static_cast<int>(index));
  text.resize(std::max(length, text.size()), ' ');
  return text.substr(0, std::max<std::size_t>(length, 1));
}

// The byte sum of an IDENTIFY block; 0 when its checksum (word 255) is right.
std::uint8_t IdentifySum(const TBlock512& block) {
  std::uint8_t sum = 0;
  for (const std::uint8_t byte : block) sum = static_cast<std::uint8_t>(sum + byte);
  return sum;
}

// IDENTIFY words 10..19 with the placeholder. The program shows a drive whose
// checksum is wrong or absent differently, so the checksum keeps its standing: with
// the A5h signature the block's byte sum is kept (a valid checksum stays valid, a
// wrong one stays wrong by as much), and without it word 255 is left alone.
void HideIdentifySerial(TBlock512& block, std::size_t index) {
  const std::uint8_t sumBefore = IdentifySum(block);
  const std::string text = Placeholder(index, 20);
  for (std::size_t i = 0; i < 20; i += 2) {
    block[20 + i] = static_cast<std::uint8_t>(text[i + 1]);
    block[20 + i + 1] = static_cast<std::uint8_t>(text[i]);
  }
  if (block[510] == 0xA5) block[511] = static_cast<std::uint8_t>(block[511] + sumBefore - IdentifySum(block));
}

// Identify Controller's serial number with the placeholder, blank-padded as drives pad it.
void HideNvmeSerial(TBlock4096& block, std::size_t index) {
  const std::string text = Placeholder(index, machinefile::kNvmeSerialLength);
  std::copy(text.begin(), text.end(), block.begin() + machinefile::kNvmeSerialOffset);
}

}  // namespace

THandle TRecordingMachine::Open(std::string_view path, const TOpenMode& mode) {
  const THandle handle = inner.Open(path, mode);
  if (handle == kInvalidHandle || IsVolumePath(path)) return handle;
  paths[static_cast<std::uintptr_t>(handle)] = std::string(path);
  const std::string key = UpperAscii(path);
  if (!requests.contains(key)) {
    requests[key];
    devicePaths.emplace_back(path);
  }
  return handle;
}

void TRecordingMachine::Close(THandle handle) {
  paths.erase(static_cast<std::uintptr_t>(handle));
  inner.Close(handle);
}

TIoResult TRecordingMachine::Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> input,
                                     std::span<std::uint8_t> output) {
  // The input is copied first: callers pass one buffer as both.
  TRequest request{code, {input.begin(), input.end()}, {}, {}, {}};
  const TIoResult result = inner.Control(handle, code, input, output);
  const auto found = paths.find(static_cast<std::uintptr_t>(handle));
  if (found != paths.end()) {
    request.result = result;
    const std::size_t bytes = std::min<std::size_t>(result.bytes, output.size());
    request.reply.assign(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(bytes));
    if (const std::optional<TMachineRoute> route = RouteOf(code); route && CarriesDriveCommands(*route))
      request.output.assign(output.begin(), output.end());
    requests[UpperAscii(found->second)].push_back(std::move(request));
  }
  return result;
}

TMachineFile TRecordingMachine::Recorded(const TRecordingOptions& options) {
  TMachineFile machine;
  machine.fileName = "recorded.machine";
  TMachineOs& os = machine.os;
  os.version = inner.TrueOsVersion();
  os.classicVersion = inner.ClassicOsVersion();
  os.disableDeleteNotification = inner.DisableDeleteNotification();
  os.counterFrequency = std::clamp<std::int64_t>(inner.CounterFrequency(), 1, 1'000'000'000);
  os.clock = inner.LocalTime();
  os.clock.milliseconds = 0;
  if (const std::optional<TCalendarTime> utc = inner.LocalToUtc(os.clock)) {
    // Kept within what a machine file can state: ±14:59.
    constexpr std::int64_t kLargestOffset = 14 * 60 + 59;
    const auto minutes = (replay::SecondsOf(os.clock) - replay::SecondsOf(*utc)) / 60;
    os.utcOffsetMinutes = static_cast<std::int32_t>(std::clamp<std::int64_t>(minutes, -kLargestOffset, kLargestOffset));
  }

  std::size_t serialIndex = 0;
  for (const std::string& path : devicePaths) {
    TMachineDevice device;
    device.path = path;
    const std::string name = UpperAscii(path.substr(std::min<std::size_t>(path.size(), 4)));
    device.kind = name.starts_with("CDROM") ? TMachineDeviceKind::CdRom
                  : name.starts_with("SCSI") ? TMachineDeviceKind::ScsiPort
                                             : TMachineDeviceKind::Disk;
    std::size_t digits = name.find_first_of("0123456789");
    if (digits != std::string::npos) device.number = static_cast<std::uint32_t>(std::atoi(name.c_str() + digits));
    TDeviceAssembly assembly(device);
    for (const TRequest& request : requests[UpperAscii(path)]) assembly.Add(request);
    assembly.Finish();
    if (!options.keepSerials) {
      ++serialIndex;
      if (device.identify) HideIdentifySerial(*device.identify, serialIndex);
      if (device.nvmeIdentify) HideNvmeSerial(*device.nvmeIdentify, serialIndex);
      if (!device.descriptor.serial.empty()) {
        device.descriptor.serial = Placeholder(serialIndex, device.descriptor.serial.size());
      }
    }
    machine.devices.push_back(std::move(device));
  }
  AddVolumes(machine);
  return machine;
}

void TRecordingMachine::AddVolumes(TMachineFile& machine) {
  for (const std::string& root : inner.LogicalDriveStrings()) {
    const char letter = root.empty() ? '\0' : UpperAscii(root.substr(0, 1))[0];
    if (letter < 'A' || letter > 'Z') continue;
    TMachineVolume volume;
    volume.letter = letter;
    const TVolumeInformation information = inner.VolumeInformation(root);
    volume.noMedia = !information.ok && information.error == kErrorNotReady;
    if (information.ok) {
      volume.label = information.label;
      volume.fileSystem = information.fileSystem;
      volume.serial = information.serialNumber;
      volume.maxComponentLength = information.maxComponentLength;
      volume.fileSystemFlags = information.fileSystemFlags;
    }
    if (const std::optional<TDiskFreeSpace> space = inner.DiskFreeSpace(root);
        space && space->bytesPerSector != 0 && space->sectorsPerCluster != 0) {
      volume.bytesPerSector = space->bytesPerSector;
      volume.clusterSize = space->sectorsPerCluster * space->bytesPerSector;
    }
    if (const std::optional<TDiskFreeBytes> bytes = inner.DiskFreeBytes(root)) {
      volume.size = bytes->totalBytes;
      volume.free = std::min(bytes->totalFreeBytes, bytes->totalBytes);
    }
    volume.attributes = inner.FileAttributes(root);
    const std::string device = root.substr(0, 2);
    volume.dosDevice = inner.DosDeviceName(device).value_or("");
    volume.guidPath = inner.VolumeGuidPath(root).value_or("");
    const THandle handle = inner.Open("\\\\.\\" + device, {});
    if (handle != kInvalidHandle) {
      std::array<std::uint8_t, st::devicenumber::kSize> number{};
      if (inner.Control(handle, st::kIoctlStorageGetDeviceNumber, {}, number).ok) {
        volume.deviceType = GetU32(number, st::devicenumber::kDeviceType);
        volume.disk = GetU32(number, st::devicenumber::kDeviceNumber);
        volume.partition = GetU32(number, st::devicenumber::kPartitionNumber);
      }
      // Kept as the volume reported them: the disk they lie on may be one the
      // program could not open, and so one the file does not describe.
      namespace ex = st::extents;
      std::array<std::uint8_t, ex::kExtents + kMaxVolumeExtents * ex::kExtentSize> extents{};
      if (const TIoResult result = inner.Control(handle, st::kIoctlVolumeGetVolumeDiskExtents, {}, extents);
          result.ok) {
        const std::size_t returned = std::min<std::size_t>(result.bytes, extents.size());
        const std::uint32_t count = GetU32(extents, ex::kNumberOfDiskExtents);
        for (std::size_t i = 0; i < count && ex::kExtents + (i + 1) * ex::kExtentSize <= returned; ++i) {
          const std::size_t at = ex::kExtents + i * ex::kExtentSize;
          volume.extents.push_back({GetU32(extents, at + ex::kDiskNumber), GetU64(extents, at + ex::kStartingOffset),
                                    GetU64(extents, at + ex::kExtentLength)});
        }
      }
      inner.Close(handle);
    }
    machine.volumes.push_back(std::move(volume));
  }
}

}  // namespace vexa
