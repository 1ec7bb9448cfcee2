// What the Partitions page shows, without a window: the machine's volumes found by
// the last scan, the volume lines and partition lines of the chosen drive with every
// cell text and image, the status properties 17, 20 and 21, and the page's key and
// selection behaviours. The Win32 page places these in its lists and fetches the
// volume icons; vexa-cli and the tests render from the same model.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Machine.h"
#include "shell/StatusProperties.h"
#include "views/DriveLayout.h"
#include "support/ListColumns.h"

namespace vexa {

class TDeviceInfo;

inline constexpr std::string_view kPartitionsPageCaption = "分區";

// Layout at 96 pixels per inch; the page scales it.
inline constexpr int kVolumeListHeight = 120;
inline constexpr int kPartitionsSplitterHeight = 3;

inline constexpr std::size_t kVolumeColumnCount = 7;
inline constexpr std::size_t kPartitionColumnCount = 7;
extern const std::array<TListColumn, kVolumeColumnCount> VolumeListColumns;
extern const std::array<TListColumn, kPartitionColumnCount> PartitionListColumns;

// MBR partition type byte to name, searched in order; other types are "<未知>".
struct TPartitionTypeName {
  std::uint8_t type;
  std::string_view name;
};
inline constexpr std::size_t kPartitionTypeNameCount = 11;
extern const std::array<TPartitionTypeName, kPartitionTypeNameCount> PartitionTypeNames;
std::string_view PartitionTypeName(std::uint8_t type);

// The status properties this page fills.
inline constexpr int kStatusUnallocated = 17;
inline constexpr int kStatusVolumes = 20;
inline constexpr int kStatusPartitions = 21;

// Images of the partition lines, in the shared image list.
inline constexpr int kPartitionImagePlain = 0;
inline constexpr int kPartitionImageRecognised = 1;  // recognised MBR entry, GPT basic data
inline constexpr int kPartitionImageEmptySlot = 2;   // an unused MBR table slot
inline constexpr int kPartitionImageUnallocated = 4;

// One volume of the machine, as the scan found it.
struct TVolumeRecord {
  char driveLetter = 'A';
  std::uint8_t deviceNumber = 0;     // low byte of what the platform reports
  std::uint8_t partitionNumber = 0;  // low byte of what the platform reports
  std::uint32_t deviceType = 0;
  std::string label;
  std::uint32_t serialNumber = 0;
  std::string fileSystem;
  std::int32_t iconIndex = -1;  // in the page's volume icon list; -1: no icon
  std::uint64_t freeBytes = 0;  // free for the caller
  std::uint64_t totalBytes = 0;

  // "C:\": where the page fetches the icon and what "open volume" opens.
  std::string RootPath() const;
};

// The device path the scan opens for a letter: "\\.\C:".
std::string VolumeDevicePath(char driveLetter);

// Fetches the small shell icon of a volume root, adds it to the page's icon list and
// answers its index (-1 when there is none). The scan calls it once per volume kept.
using TVolumeIconFetcher = std::function<std::int32_t(const std::string& rootPath)>;

// The volume scan: every drive letter whose volume opens and reports its device
// number, in letter order, with its label, serial, file system and sizes.
std::vector<TVolumeRecord> ScanVolumes(Machine& machine, const TVolumeIconFetcher& fetchIcon = {});

// A change of a status property: value and state, then one description line
// appended when descriptionLine is not empty.
struct TStatusUpdate {
  int index = 0;
  std::string value;
  TStatusState state = TStatusState::Plain;
  std::string descriptionLine;
  bool operator==(const TStatusUpdate&) const = default;
};
void ApplyStatusUpdates(const std::vector<TStatusUpdate>& updates, TStatusProperties& properties);

struct TVolumeRow {
  std::string caption;  // "label (C:)"
  std::array<std::string, kVolumeColumnCount - 1> subItems;  // size, free, % free, format, partition, serial
  int data = 0;         // position of the volume record in the scan
  std::int32_t imageIndex = -1;
};

struct TVolumeListing {
  std::vector<TVolumeRow> rows;
  std::string summary;  // "C:  D:" for status property 20
};

// The volumes of the scan that lie on the device (same device type and number).
TVolumeListing BuildVolumeListing(const std::vector<TVolumeRecord>& volumes, std::uint32_t deviceType,
                                  int deviceNumber);

struct TPartitionRow {
  std::int64_t data = 0;  // the partition number; -1 for the unallocated space
  int imageIndex = kPartitionImagePlain;
  std::string caption;
  std::array<std::string, kPartitionColumnCount - 1> subItems;  // size, offset, ID, 4K, %, details
};

struct TPartitionListing {
  std::vector<TPartitionRow> rows;
  std::vector<TStatusUpdate> status;  // 17 then 21; none when the table holds no entry
};

// The lines and status properties of a drive's table; driveSize is the device
// record's size (all bits set when unknown).
TPartitionListing BuildPartitionListing(const TDriveLayout& layout, std::uint64_t driveSize);

// "true" when offset is a multiple of 4096.
std::string_view AlignmentText(std::uint64_t offset);

// Keys on the lists: virtual-key codes and the shift keys held.
inline constexpr std::uint16_t kKeyEnter = 0x0D;
inline constexpr std::uint16_t kKeyC = 0x43;
struct TShiftState {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};
// None: the key is not the page's. Otherwise the page acts (when a line is
// selected), drops pending key messages and marks the key handled.
enum class TListKeyAction : std::uint8_t { None, OpenVolume, Copy };
TListKeyAction VolumeListKeyAction(std::uint16_t key, TShiftState shift);
TListKeyAction PartitionListKeyAction(std::uint16_t key, TShiftState shift);

class TPartitionsModel {
public:
  // DevicesEnumerated: drops the records and scans again. The page drops its icons first.
  void Rescan(Machine& machine, const TVolumeIconFetcher& fetchIcon = {});
  // DeviceChanged: the device's volume lines, then its partition lines, read through
  // its open handle. No device empties both lists and changes no status property.
  void ShowDevice(Machine& machine, const TDeviceInfo* device);
  // Page destroyed: the records go.
  void Clear();

  const std::vector<TVolumeRecord>& Volumes() const { return volumes; }
  const std::vector<TVolumeRow>& VolumeRows() const { return volumeRows; }
  const std::vector<TPartitionRow>& PartitionRows() const { return partitionRows; }
  // The changes ShowDevice made, in order: 20, then 17 and 21 when the table was read.
  const std::vector<TStatusUpdate>& StatusUpdates() const { return statusUpdates; }
  void ApplyStatus(TStatusProperties& properties) const { ApplyStatusUpdates(statusUpdates, properties); }

  // Row positions the page focuses after filling: the first line, -1 when empty.
  int FocusedVolumeRow() const { return volumeRows.empty() ? -1 : 0; }
  int FocusedPartitionRow() const { return partitionRows.empty() ? -1 : 0; }

  // Ctrl+C texts; empty for no line (-1) or a position outside the list.
  std::string VolumeCopyText(int row) const;
  std::string PartitionCopyText(int row) const;
  // The root folder "open volume" opens; none for no line.
  std::optional<std::string> VolumeRootPath(int row) const;
  // Follow partition: the first volume line whose partition number is the selected
  // partition line's; -1 when there is none or the line is the unallocated space.
  int VolumeRowForPartition(int partitionRow) const;

private:
  std::vector<TVolumeRecord> volumes;
  std::vector<TVolumeRow> volumeRows;
  std::vector<TPartitionRow> partitionRows;
  std::vector<TStatusUpdate> statusUpdates;
};

}  // namespace vexa
