// The machine file: a UTF-8 text a person can write and read that describes a
// recorded machine for the replay machine: its OS facts, its devices (which request
// routes answer, IDENTIFY and SMART data, NVMe data, geometry, descriptor, partition
// layout, a read model) and its volumes. The format is documented in docs/MACHINE-FILE.md.
// A malformed file is refused with EVexaError "FILE:LINE: problem".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Machine.h"
#include "platform/NvmeHealthLayout.h"

namespace vexa {

// The request routes a device answers or refuses, each a family of control codes.
enum class TMachineRoute : std::uint8_t {
  Ata,        // IOCTL_ATA_PASS_THROUGH
  Sat,        // IOCTL_SCSI_PASS_THROUGH carrying ATA PASS-THROUGH (12) or (16)
  Smart,      // SMART_GET_VERSION, SMART_SEND_DRIVE_COMMAND, SMART_RCV_DRIVE_DATA
  Miniport,   // IOCTL_SCSI_MINIPORT with the "SCSIDISK" IDENTIFY request
  Property,   // IOCTL_STORAGE_QUERY_PROPERTY
  Number,     // IOCTL_STORAGE_GET_DEVICE_NUMBER
  Geometry,   // IOCTL_DISK_GET_DRIVE_GEOMETRY and its _EX form
  Length,     // IOCTL_DISK_GET_LENGTH_INFO
  Partition,  // IOCTL_DISK_GET_PARTITION_INFO and its _EX form
  Layout,     // IOCTL_DISK_GET_DRIVE_LAYOUT_EX
};
inline constexpr std::size_t kMachineRouteCount = 10;
// The routes that carry drive commands come first.
inline constexpr bool CarriesDriveCommands(TMachineRoute route) { return route <= TMachineRoute::Miniport; }
// The routes' names in the file, in enum order.
extern const std::array<std::string_view, kMachineRouteCount> kMachineRouteNames;

struct TRouteAnswer {
  enum class TKind : std::uint8_t { Answers, Fails, ScsiStatus };
  // A route the file does not mention fails with ERROR_INVALID_FUNCTION.
  TKind kind = TKind::Fails;
  std::uint32_t value = kErrorInvalidFunction;  // the error code, or the SCSI status
};

enum class TMachineDeviceKind : std::uint8_t { Disk, CdRom, ScsiPort };

// What a yes/no property of the driver (seek penalty, TRIM) answers: what IDENTIFY
// tells (failing without it), yes, no, or nothing (it fails with error 1).
enum class TFlagProperty : std::uint8_t { FromIdentify, No, Yes, None };

using TGuid = std::array<std::uint8_t, 16>;  // in memory order (first three fields little-endian)

struct TMachineGeometry {
  std::uint64_t cylinders = 0;
  std::uint32_t mediaType = 0;
  std::uint32_t tracksPerCylinder = 0;
  std::uint32_t sectorsPerTrack = 0;
  std::uint32_t bytesPerSector = 0;
};

struct TMachineDescriptor {
  std::uint32_t busType = 0;
  std::uint8_t deviceType = 0;  // SCSI peripheral type: 0 disk, 5 CD/DVD
  bool removable = false;
  bool commandQueueing = false;
  std::string vendor;  // empty: the descriptor has no such text (offset 0)
  std::string product;
  std::string revision;
  std::string serial;
};

enum class TPartitionStyle : std::uint8_t { Mbr = 0, Gpt = 1, Raw = 2 };

struct TMachinePartition {
  std::size_t line = 0;
  std::uint32_t number = 0;
  std::uint64_t start = 0;
  std::uint64_t length = 0;
  // MBR entries.
  std::uint8_t type = 0;
  bool boot = false;
  bool recognized = true;
  std::uint32_t hiddenSectors = 0;
  // GPT entries.
  TGuid typeGuid{};
  TGuid id{};
  std::uint64_t attributes = 0;
  std::string name;
};

struct TMachineLayout {
  TPartitionStyle style = TPartitionStyle::Raw;
  std::uint32_t signature = 0;  // MBR
  TGuid diskId{};               // GPT
  std::uint64_t usableStart = 0;
  std::uint64_t usableLength = 0;
  std::uint32_t maxPartitions = 128;
  std::vector<TMachinePartition> partitions;
};

// Reads cost accessMicros plus the transfer at rateMBps (10^6 bytes per second);
// up to channels overlapped reads proceed side by side. With wallClock the replay
// machine also lets that time pass in real time, so that a run can be watched and
// stopped; the counter, and so every figure, is the same either way.
struct TMachineReadModel {
  std::uint32_t accessMicros = 100;
  std::uint32_t rateMBps = 200;
  std::uint32_t channels = 1;
  bool wallClock = false;
};

struct TMachineSmartVersion {
  std::uint8_t version = 1;
  std::uint8_t revision = 1;
  std::uint8_t deviceMap = 1;
  std::uint32_t capabilities = 7;
};

using TBlock512 = std::array<std::uint8_t, 512>;
using TBlock4096 = std::array<std::uint8_t, 4096>;

// Which protocol-specific property an NVMe drive's driver answers: both, or only the
// device's (50) or the adapter's (49), as older drivers do; the other fails with 1.
enum class TNvmeProperty : std::uint8_t { Both, Device, Adapter };
inline constexpr std::size_t kNvmePropertyCount = 3;
// The values' names in the file, in enum order.
extern const std::array<std::string_view, kNvmePropertyCount> kNvmePropertyNames;

// The fields in log order, as an nvme-health table names them.
inline std::span<const TNvmeHealthKey> NvmeHealthKeys() { return kNvmeHealthLayout; }

struct TMachineDevice {
  std::size_t line = 0;
  std::string path;
  TMachineDeviceKind kind = TMachineDeviceKind::Disk;
  std::uint32_t number = 0;  // the N of the path, the device number volumes refer to
  std::array<TRouteAnswer, kMachineRouteCount> routes{};
  // The most bytes a route's successful replies report returned, for a driver that
  // counts short (the reply itself is written whole); none: the reply's size. Only
  // the drive-command routes (ata, sat, smart, miniport) have one.
  std::array<std::optional<std::uint32_t>, kMachineRouteCount> shortReplies{};
  std::optional<TBlock512> identify;
  std::optional<TBlock512> smartData;
  std::optional<TBlock512> smartThresholds;  // none: READ THRESHOLDS is aborted
  // An NVMe drive's data; a device with none of them refuses the NVMe queries.
  std::optional<TBlock4096> nvmeIdentify;   // Identify Controller
  std::optional<TBlock4096> nvmeNamespace;  // Identify Namespace of namespace 1
  std::optional<TBlock512> nvmeHealth;      // SMART / Health Information log page
  TNvmeProperty nvmeProperty = TNvmeProperty::Both;
  TMachineSmartVersion smartVersion;
  // The seek penalty (7) and TRIM (8) properties, and the physical sector size the
  // access alignment property (6) reports (0: the logical size shifted by IDENTIFY
  // word 106), for a driver that answers otherwise than IDENTIFY tells.
  TFlagProperty seekPenalty = TFlagProperty::FromIdentify;
  TFlagProperty trim = TFlagProperty::FromIdentify;
  std::uint32_t physicalSectorSize = 0;
  std::uint64_t size = 0;
  TMachineGeometry geometry;
  TMachineDescriptor descriptor;
  TMachineLayout layout;
  TMachineReadModel readModel;

  bool HasNvme() const { return nvmeIdentify || nvmeNamespace || nvmeHealth; }
  const TRouteAnswer& Route(TMachineRoute route) const {
    return routes[static_cast<std::size_t>(route)];
  }
};

// One stretch of a disk a volume lies on, as the volume's extents request reports it.
struct TMachineExtent {
  std::uint32_t disk = 0;
  std::uint64_t start = 0;
  std::uint64_t length = 0;
};
inline constexpr std::size_t kMaxVolumeExtents = 32;

struct TMachineVolume {
  std::size_t line = 0;
  char letter = 'C';
  std::uint32_t deviceType = 7;
  std::uint32_t disk = 0;       // device number of the drive it lies on
  std::uint32_t partition = 0;  // partition number on that drive
  std::string label;
  std::string fileSystem = "NTFS";
  std::uint32_t serial = 0;
  std::uint64_t size = 0;
  std::uint64_t free = 0;
  std::uint32_t clusterSize = 4096;
  std::uint32_t bytesPerSector = 512;
  std::uint32_t fileSystemFlags = 0x00E700FF;
  std::uint32_t maxComponentLength = 255;
  std::uint32_t attributes = 0x16;  // directory, system, hidden: a volume root
  std::string dosDevice;
  std::string guidPath;  // \\?\Volume{...}\ .
  bool noMedia = false;  // an empty optical drive: volume queries answer ERROR_NOT_READY
  // The extents it reports; none: its partition on its disk, as the file describes them.
  std::vector<TMachineExtent> extents;
};

struct TMachineOs {
  TOsVersion version{6, 1, 7601};
  TOsVersion classicVersion{6, 1, 7601};
  std::optional<std::uint32_t> disableDeleteNotification = 0;
  TCalendarTime clock{2014, 1, 1, 0, 0, 0, 0};  // local time when the virtual clock starts
  std::int32_t utcOffsetMinutes = 0;
  std::int64_t counterFrequency = 10'000'000;
  std::uint32_t randomSeed = 1;
};

struct TMachineFile {
  std::string fileName;
  TMachineOs os;
  std::vector<TMachineDevice> devices;
  std::vector<TMachineVolume> volumes;
};

// Parses a machine file's text; fileName only names it in messages.
TMachineFile ParseMachineFile(std::string_view text, std::string_view fileName);
// Reads and parses the file at path (UTF-8), at most 16 MiB.
TMachineFile ReadMachineFile(std::string_view path);

// The SMART data and threshold blocks of an attribute table, with their checksums.
struct TSmartTableRow {
  std::uint8_t id = 0;
  std::uint16_t flags = 0;
  std::uint8_t value = 0;
  std::uint8_t worst = 0;
  std::uint64_t raw = 0;  // 48 bits
  std::uint8_t threshold = 0;
};
void BuildSmartBlocks(const std::vector<TSmartTableRow>& rows, TBlock512& data, TBlock512& thresholds);

}  // namespace vexa
