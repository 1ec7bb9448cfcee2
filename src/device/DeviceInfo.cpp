// Device records: probing, identity, SMART.
#include "device/DeviceInfo.h"

#include "device/SmartReader.h"
#include "knowledge/SmartDescriptors.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

TDeviceInfo::TDeviceInfo(Machine& machineRef, int deviceNumber) : machine(machineRef), number(deviceNumber) {}

TDeviceInfo::~TDeviceInfo() { Close(); }

void TDeviceInfo::SetName(std::string_view prefix, bool colonSuffix) {
  name = Format("%s%d", prefix, number);
  path = "\\\\.\\" + name + (colonSuffix ? ":" : "");
}

std::string TDeviceInfo::GetDisplayName() const {
  return Trim(model).empty() ? name : model;
}

bool TDeviceInfo::ReadIdentify() { return AtaIdentify(machine, handle, identify.Block(), false); }

std::unique_ptr<TSmartDescriptor> TDeviceInfo::CreateSmartDescriptor() const {
  return CreateSmartDescriptorFor(HasFeature(DriveFeature::SolidState), brand,
                                  knownRow ? knownRow->controller : nullptr);
}

bool TDeviceInfo::Open() {
  Close();
  TOpenMode mode;
  mode.read = true;
  mode.write = true;  // ATA pass-through needs a handle with write access; nothing is ever written
  mode.shareRead = true;
  mode.shareWrite = true;
  mode.noBuffering = true;
  handle = machine.Open(path, mode);
  return handle != kInvalidHandle;
}

void TDeviceInfo::Close() {
  if (handle == kInvalidHandle) return;
  machine.Close(handle);
  handle = kInvalidHandle;
}

void TDeviceInfo::ParseIdentify() {
  featureFlags = identify.FeatureFlags();
  serial = identify.SerialNumber();
  firmware = identify.FirmwareRevision();
  model = identify.ModelNumber();
  sataGeneration = identify.SataGeneration();
  ataMajorVersion = identify.AtaMajorVersion();
  if (const auto perPhysical = identify.LogicalSectorsPerPhysical()) logicalSectorsPerPhysical = *perPhysical;
}

bool TDeviceInfo::Query(TKnownDevicesDB& knownDrives) {
  if (handle == kInvalidHandle) return false;
  logicalSectorsPerPhysical = 1;
  size = 0;
  if (const auto answer = QueryGeometry(machine, handle)) {
    geometry = answer->geometry;
    size = answer->diskSize;
  }
  if (size == 0) size = QueryLengthInfo(machine, handle);
  if (size == 0) size = kUnknownSize;
  identify.Clear();
  if (ReadIdentify()) ParseIdentify();

  std::uint8_t reply[512];
  if (QueryDeviceDescriptor(machine, handle, 0, reply)) {
    const TStorageDeviceDescriptor descriptor = DecodeDeviceDescriptor(reply);
    busType = descriptor.busType;
    if (model.empty()) {
      // IDENTIFY failed or was blank: the platform's own description names the drive.
      const std::string vendor(Trim(descriptor.vendorId));
      const std::string product(Trim(descriptor.productId));
      if (descriptor.vendorIdOffset != 0) model = vendor;
      if (descriptor.productIdOffset != 0) model = product;
      if (descriptor.vendorIdOffset != 0 && descriptor.productIdOffset != 0) model = vendor + " " + product;
      if (descriptor.productRevisionOffset != 0) firmware = std::string(Trim(descriptor.productRevision));
      if (descriptor.serialNumberOffset != 0) serial = std::string(Trim(descriptor.serialNumber));
    }
  }
  // A drive that gave no ATA identity, or sits on the NVMe bus, may speak NVMe: its
  // controller's Identify names it then.
  nvme.Clear();
  if (deviceType == kDeviceTypeDisk && (model.empty() || busType == kBusTypeNvme || !identify.HasData()) &&
      nvme.Probe(machine, handle))
    AdoptNvme();
  MatchKnownDevice(knownDrives);
  smartDescriptor = CreateSmartDescriptor();
  smartDescriptor->SetAttributes(&smartAttributes);
  return true;
}

void TDeviceInfo::AdoptNvme() {
  const TNvmeIdentifyController& controller = nvme.controller;
  if (!Trim(controller.model).empty()) model = std::string(Trim(controller.model));
  if (!Trim(controller.firmware).empty()) firmware = std::string(Trim(controller.firmware));
  if (!Trim(controller.serial).empty()) serial = std::string(Trim(controller.serial));
  if (size == kUnknownSize || size == 0) {
    if (const std::uint64_t bytes = nvme.NamespaceBytes()) size = bytes;
  }
  // Every NVMe drive is solid state and keeps a health log; TRIM is the Dataset
  // Management command's deallocate.
  featureFlags = DriveFeature::SolidState | DriveFeature::Smart;
  if (controller.optionalNvmCommands & nvmeoncs::kDatasetManagement) featureFlags |= DriveFeature::Trim;
  if (nvme.namespaceRead && nvme.ns.BlockSize() != 0 && geometry.bytesPerSector == 0)
    geometry.bytesPerSector = static_cast<std::uint32_t>(nvme.ns.BlockSize());
}

bool TDeviceInfo::MatchKnownDevice(TKnownDevicesDB& knownDrives) {
  // An NVMe controller names its maker by IEEE OUI, which a world wide name of
  // NAA 5 carries in the same place.
  const std::uint64_t wwn = IsNvme() ? (std::uint64_t{5} << 60) | (std::uint64_t{nvme.controller.ieeeOui & 0xFFFFFF} << 36)
                                     : identify.WorldWideName(IdentifyWorldWideName);
  const TKnownIdentification found = knownDrives.Identify(model, firmware, wwn);
  knownRow = found.row;
  brand = found.brandIndex;
  return found.Identified();
}

bool TDeviceInfo::ReadSmart() {
  smartAttributes.Clear();
  if (IsNvme()) return handle != kInvalidHandle && nvme.ReadHealth(machine, handle);
  if (!HasFeature(DriveFeature::Smart) || handle == kInvalidHandle) return false;
  // When READ DATA succeeds and READ THRESHOLDS fails, the reader leaves the new
  // values in the table and the thresholds cleared: the attributes stay visible
  // with thresholds 0, though the read as a whole answers failure.
  TSmartReader reader(machine);
  return reader.ReadSmartData(handle, static_cast<std::uint8_t>(number), smartAttributes.DataBlock(),
                              smartAttributes.ThresholdBlock());
}

// --- Physical disks -----------------------------------------------------------------

TDeviceInfoPhysical::TDeviceInfoPhysical(Machine& machineRef, int deviceNumber) : TDeviceInfo(machineRef, deviceNumber) {
  SetName("PhysicalDrive", false);
  deviceType = kDeviceTypeDisk;
}

static bool IsRemovableBus(std::uint32_t busType) {
  return busType == kBusTypeUsb || busType == kBusTypeSd || busType == kBusTypeMmc;
}

std::uint32_t TDeviceInfoPhysical::GetColor() const {
  if (busType == kBusTypeNvme || IsNvme()) return 0xC98294;
  if (HasFeature(DriveFeature::SolidState)) return 0x44AA44;
  if (IsRemovableBus(busType)) return 0xCBC0FF;
  if (!model.empty()) return 0x00A5FF;
  return TDeviceInfo::GetColor();
}

std::string_view TDeviceInfoPhysical::GetKindName() const {
  if (HasFeature(DriveFeature::SolidState)) return "SSD";
  if (IsRemovableBus(busType)) return "USB";
  if (!model.empty() && identify.ChecksumValid()) return "HDD";
  return TDeviceInfo::GetKindName();
}

// --- SCSI ports -----------------------------------------------------------------------

TDeviceInfoScsi::TDeviceInfoScsi(Machine& machineRef, int deviceNumber) : TDeviceInfoPhysical(machineRef, deviceNumber) {
  SetName("Scsi", true);
  deviceType = kDeviceTypeController;
}

bool TDeviceInfoScsi::ReadIdentify() {
  return MiniportIdentify(machine, handle, static_cast<std::uint8_t>(number), identify.Block());
}

bool TDeviceInfoScsi::Query(TKnownDevicesDB& knownDrives) {
  const bool answered = TDeviceInfoPhysical::Query(knownDrives);
  // The port itself has no size: the drive's own sector count gives it.
  size = std::uint64_t{identify.DWordValue(IdentifyLba48SectorCount)} * 512;
  if (busType == 0) busType = kBusTypeScsi;
  return answered;
}

// --- Optical drives -----------------------------------------------------------------

TDeviceInfoOptical::TDeviceInfoOptical(Machine& machineRef, int deviceNumber) : TDeviceInfo(machineRef, deviceNumber) {
  SetName("CdRom", false);
  deviceType = kDeviceTypeCdRom;
}

bool TDeviceInfoOptical::ReadIdentify() { return AtaIdentify(machine, handle, identify.Block(), true); }

// --- Kinds ------------------------------------------------------------------------------

template <typename T>
static std::unique_ptr<TDeviceInfo> CreateRecord(Machine& machine, int number) {
  return std::make_unique<T>(machine, number);
}

const TDeviceKind& DeviceKindPhysical() {
  static const TDeviceKind kind{"TDeviceInfoPhysical", CreateRecord<TDeviceInfoPhysical>};
  return kind;
}

const TDeviceKind& DeviceKindScsi() {
  static const TDeviceKind kind{"TDeviceInfoScsi", CreateRecord<TDeviceInfoScsi>};
  return kind;
}

const TDeviceKind& DeviceKindOptical() {
  static const TDeviceKind kind{"TDeviceInfoOptical", CreateRecord<TDeviceInfoOptical>};
  return kind;
}

}  // namespace vexa
