// Device records: one per drive the device list found, of three kinds (physical
// disk, SCSI port, optical drive), each with its own path and its own way of
// asking for IDENTIFY. A record knows the drive's identity, capabilities, size,
// bus, known-drive match and SMART descriptor, and reads SMART on request.
// Records are closed between uses: open only while probed or while selected.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "device/IdentifyData.h"
#include "device/IoControl.h"
#include "device/NvmeDrive.h"
#include "knowledge/KnownDevices.h"
#include "knowledge/SmartAttributes.h"
#include "knowledge/SmartDescriptor.h"
#include "platform/Machine.h"

namespace vexa {

// The platform's device-type codes the records carry.
inline constexpr std::uint32_t kDeviceTypeCdRom = 2;
inline constexpr std::uint32_t kDeviceTypeDisk = 7;
inline constexpr std::uint32_t kDeviceTypeController = 27;
inline constexpr std::uint32_t kDeviceTypeUnknown = 34;

// Storage bus types of the property query that the records distinguish.
inline constexpr std::uint32_t kBusTypeScsi = 1;
inline constexpr std::uint32_t kBusTypeUsb = 7;
inline constexpr std::uint32_t kBusTypeSd = 12;
inline constexpr std::uint32_t kBusTypeMmc = 13;
inline constexpr std::uint32_t kBusTypeNvme = 17;

inline constexpr std::uint64_t kUnknownSize = ~std::uint64_t{0};

class TDeviceInfo {
public:
  TDeviceInfo(Machine& machine, int number);
  virtual ~TDeviceInfo();
  TDeviceInfo(const TDeviceInfo&) = delete;
  TDeviceInfo& operator=(const TDeviceInfo&) = delete;

  virtual std::string_view ClassName() const { return "TDeviceInfo"; }
  // The model, or the name when the model is blank.
  virtual std::string GetDisplayName() const;
  virtual std::uint32_t GetColor() const { return 0xDCDCDC; }
  virtual std::string_view GetKindName() const { return "未知"; }
  virtual bool ReadIdentify();
  virtual std::unique_ptr<TSmartDescriptor> CreateSmartDescriptor() const;
  virtual bool Open();
  virtual void Close();
  virtual bool Query(TKnownDevicesDB& knownDrives);
  virtual bool ReadSmart();
  virtual bool Refresh() { return ReadSmart(); }
  virtual void BeforeRefresh() {}

  void ParseIdentify();
  // Takes model, firmware, serial, size and features from the NVMe Identify data.
  void AdoptNvme();
  bool MatchKnownDevice(TKnownDevicesDB& knownDrives);
  bool HasFeature(std::uint8_t flag) const { return (featureFlags & flag) != 0; }
  // An NVMe drive: its controller answered Identify.
  bool IsNvme() const { return nvme.present; }
  bool IsOpen() const { return handle != kInvalidHandle; }

  Machine& machine;
  int number;
  THandle handle = kInvalidHandle;
  std::string name;
  std::string path;
  std::uint32_t deviceType = kDeviceTypeUnknown;
  TIdentifyData identify;
  std::uint8_t sataGeneration = 0;
  std::uint8_t ataMajorVersion = 0;
  std::uint8_t featureFlags = 0;
  std::uint16_t logicalSectorsPerPhysical = 1;
  std::string serial;
  std::string firmware;
  std::string model;
  std::uint32_t busType = 0;
  TDiskGeometry geometry;
  std::uint64_t size = kUnknownSize;
  const TKnownDevice* knownRow = nullptr;
  std::uint8_t brand = 0;
  TSmartAttributes smartAttributes;
  std::unique_ptr<TSmartDescriptor> smartDescriptor;
  TNvmeDrive nvme;

protected:
  void SetName(std::string_view prefix, bool colonSuffix);
};

class TDeviceInfoPhysical : public TDeviceInfo {
public:
  TDeviceInfoPhysical(Machine& machine, int number);
  std::string_view ClassName() const override { return "TDeviceInfoPhysical"; }
  std::uint32_t GetColor() const override;
  std::string_view GetKindName() const override;
};

class TDeviceInfoScsi : public TDeviceInfoPhysical {
public:
  TDeviceInfoScsi(Machine& machine, int number);
  std::string_view ClassName() const override { return "TDeviceInfoScsi"; }
  bool ReadIdentify() override;
  bool Query(TKnownDevicesDB& knownDrives) override;
};

class TDeviceInfoOptical : public TDeviceInfo {
public:
  TDeviceInfoOptical(Machine& machine, int number);
  std::string_view ClassName() const override { return "TDeviceInfoOptical"; }
  std::uint32_t GetColor() const override { return 0xC0C020; }
  std::string_view GetKindName() const override { return "光學"; }
  bool ReadIdentify() override;
};

// A record class, for enumeration: its name and how to make a record.
struct TDeviceKind {
  std::string_view className;
  std::unique_ptr<TDeviceInfo> (*create)(Machine& machine, int number);
};

const TDeviceKind& DeviceKindPhysical();
const TDeviceKind& DeviceKindScsi();
const TDeviceKind& DeviceKindOptical();

}  // namespace vexa
