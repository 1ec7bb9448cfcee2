// The Partitions page's texts and states. Volumes are scanned once per device scan
// (each volume handle is closed at once); the lines of a drive are rebuilt on every
// device change from those records and from the drive's layout reply.
#include "views/PartitionsModel.h"

#include <algorithm>
#include <limits>

#include "device/DeviceInfo.h"
#include "platform/StorageLayout.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

const std::array<TListColumn, kVolumeColumnCount> VolumeListColumns{{
    {"磁碟機分區", 130, TColumnAlignment::Left},
    {"容量", 64, TColumnAlignment::Right},
    {"可用", 72, TColumnAlignment::Right},
    {"% 可用", 52, TColumnAlignment::Right},
    {"格式", 45, TColumnAlignment::Centre},
    {"分區", 57, TColumnAlignment::Centre},
    {"序列", 70, TColumnAlignment::Centre},
}};

const std::array<TListColumn, kPartitionColumnCount> PartitionListColumns{{
    {"分區", 160, TColumnAlignment::Left},
    {"容量", 68, TColumnAlignment::Right},
    {"偏移", 68, TColumnAlignment::Right},
    {"ID", 36, TColumnAlignment::Centre},
    {"4K 對齊", 58, TColumnAlignment::Centre},
    {"%", 52, TColumnAlignment::Right},
    {"詳情", 380, TColumnAlignment::Left},
}};

namespace {

constexpr int kDriveLetters = 26;
constexpr std::uint64_t kAlignment = 4096;
constexpr std::string_view kShareFormat = "0.000;;#";
constexpr std::string_view kMbrCaption = "主引導記錄";
constexpr std::string_view kUnknownStyleCaption = "無法識別";
constexpr std::string_view kUnknownStyleDetails = "n/a";
constexpr std::string_view kUnallocatedDetails = "在磁碟機結尾剩餘的未分配空間";
constexpr std::string_view kNoUnallocated = "無";

TOpenMode VolumeOpenMode() {
  TOpenMode mode;
  mode.read = true;
  mode.write = true;
  mode.shareRead = true;
  mode.shareWrite = true;
  mode.noBuffering = true;
  return mode;
}

// Percent of whole, exactly.
TRatio Share(std::uint64_t part, std::uint64_t whole) { return TRatio(Multiply(part, 100), std::max<std::uint64_t>(whole, 1)); }

std::string SerialText(std::uint32_t serial) {
  if (serial == 0) return {};
  return LowerAscii(Format("%.4x-%.4x", serial >> 16, serial & 0xFFFF));
}

constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int64_t>::max();

// Offsets are the platform's signed 64-bit numbers; a garbage entry whose end lies
// beyond them counts as reaching the end of everything.
std::int64_t EndOf(const TLayoutPartition& partition) {
  const std::uint64_t end = partition.startingOffset + partition.length;
  if (end < partition.startingOffset || end > static_cast<std::uint64_t>(kMaxOffset)) return kMaxOffset;
  return static_cast<std::int64_t>(end);
}

// The space after the last partition, negative when there is none: a drive of
// unknown size (all bits set) reads as -1 bytes.
std::int64_t FreeAtEnd(std::uint64_t driveSize, std::int64_t lastEnd) {
  const auto size = static_cast<std::int64_t>(driveSize);
  return size <= 0 ? -1 : size - lastEnd;
}

}  // namespace

std::string TVolumeRecord::RootPath() const { return std::string(1, driveLetter) + ":\\"; }

std::string VolumeDevicePath(char driveLetter) { return "\\\\.\\" + std::string(1, driveLetter) + ":"; }

std::vector<TVolumeRecord> ScanVolumes(Machine& machine, const TVolumeIconFetcher& fetchIcon) {
  namespace dn = storage::devicenumber;
  std::vector<TVolumeRecord> found;
  const std::uint32_t mask = machine.LogicalDriveMask();
  for (int bit = 0; bit < kDriveLetters; ++bit) {
    if ((mask & (1u << bit)) == 0) continue;
    const char letter = static_cast<char>('A' + bit);
    const THandle handle = machine.Open(VolumeDevicePath(letter), VolumeOpenMode());
    if (handle == kInvalidHandle) continue;
    std::array<std::uint8_t, dn::kSize> reply{};
    const TIoResult result = machine.Control(handle, storage::kIoctlStorageGetDeviceNumber, {}, reply);
    machine.Close(handle);
    if (!result.ok || result.bytes == 0) continue;
    const TBytes returned = TBytes(reply).first(std::min<std::size_t>(result.bytes, reply.size()));

    TVolumeRecord volume;
    volume.driveLetter = letter;
    volume.deviceType = GetU32(returned, dn::kDeviceType);
    volume.deviceNumber = static_cast<std::uint8_t>(GetU32(returned, dn::kDeviceNumber));
    volume.partitionNumber = static_cast<std::uint8_t>(GetU32(returned, dn::kPartitionNumber));
    const std::string root = volume.RootPath();
    // A volume without media still gets its line; its texts and sizes stay empty.
    const TVolumeInformation information = machine.VolumeInformation(root);
    if (information.ok) {
      volume.label = information.label;
      volume.serialNumber = information.serialNumber;
      volume.fileSystem = information.fileSystem;
    }
    if (const auto bytes = machine.DiskFreeBytes(root)) {
      volume.freeBytes = bytes->freeBytesForCaller;
      volume.totalBytes = bytes->totalBytes;
    }
    if (fetchIcon) volume.iconIndex = fetchIcon(root);
    found.push_back(std::move(volume));
  }
  return found;
}

void ApplyStatusUpdates(const std::vector<TStatusUpdate>& updates, TStatusProperties& properties) {
  for (const TStatusUpdate& update : updates) {
    properties.Set(update.index, update.value, update.state);
    if (!update.descriptionLine.empty()) properties.AppendDescription(update.index, update.descriptionLine);
  }
}

TVolumeListing BuildVolumeListing(const std::vector<TVolumeRecord>& volumes, std::uint32_t deviceType,
                                  int deviceNumber) {
  TVolumeListing listing;
  for (std::size_t i = 0; i < volumes.size(); ++i) {
    const TVolumeRecord& volume = volumes[i];
    if (volume.deviceType != deviceType || volume.deviceNumber != deviceNumber) continue;
    const std::string letter(1, volume.driveLetter);
    listing.summary += letter + ":  ";
    TVolumeRow row;
    row.caption = Format("%s (%s:)", Trim(volume.label), letter);
    row.data = static_cast<int>(i);
    row.imageIndex = volume.iconIndex;
    row.subItems = {
        FormatByteSize(volume.totalBytes),
        FormatByteSize(volume.freeBytes),
        volume.totalBytes == 0 ? std::string() : Format("%.1f", Share(volume.freeBytes, volume.totalBytes)),
        volume.fileSystem,
        Format("%u", volume.partitionNumber),
        SerialText(volume.serialNumber),
    };
    listing.rows.push_back(std::move(row));
  }
  if (listing.summary.size() >= 2) listing.summary.resize(listing.summary.size() - 2);
  return listing;
}

std::string_view AlignmentText(std::uint64_t offset) { return offset % kAlignment == 0 ? "true" : "false"; }

TPartitionListing BuildPartitionListing(const TDriveLayout& layout, std::uint64_t driveSize) {
  TPartitionListing listing;
  if (layout.partitions.empty()) return listing;
  std::uint32_t used = 0;
  std::int64_t lastEnd = 0;
  for (const TLayoutPartition& partition : layout.partitions) {
    TPartitionRow row;
    std::string details;
    if (partition.style == kPartitionStyleMbr) {
      row.caption = kMbrCaption;
      details = std::string(PartitionTypeName(partition.partitionType)) + " | " +
                Format("類型: %.2d; 活動: %d; 認可: %d; 隱藏扇區: %.0n", partition.partitionType,
                       partition.bootIndicator, partition.recognized, partition.hiddenSectors);
      if (partition.recognized != 0) {
        row.imageIndex = kPartitionImageRecognised;
        ++used;
      } else {
        row.imageIndex = partition.partitionNumber == 0 ? kPartitionImageEmptySlot : kPartitionImagePlain;
      }
    } else if (partition.style == kPartitionStyleGpt) {
      row.caption = partition.name;
      details = FormatGuid(partition.partitionId);
      ++used;
      row.imageIndex =
          partition.typeGuid == kBasicDataPartitionGuid ? kPartitionImageRecognised : kPartitionImagePlain;
    } else {
      row.caption = kUnknownStyleCaption;
      details = kUnknownStyleDetails;
      ++used;
      row.imageIndex = kPartitionImagePlain;
    }
    row.data = partition.partitionNumber;
    row.subItems = {
        FormatByteSize(partition.length),
        FormatByteSize(partition.startingOffset),
        Format("%u", partition.partitionNumber),
        std::string(AlignmentText(partition.startingOffset)),
        FormatFloat(kShareFormat, Share(partition.length, driveSize)),
        std::move(details),
    };
    // The furthest end, not the end of the last entry: table order need not be disk order.
    if (row.imageIndex != kPartitionImageEmptySlot) lastEnd = std::max(lastEnd, EndOf(partition));
    listing.rows.push_back(std::move(row));
  }

  const std::int64_t freeBytes = FreeAtEnd(driveSize, lastEnd);
  TStatusUpdate unallocated{kStatusUnallocated, std::string(kNoUnallocated), TStatusState::Plain, {}};
  if (freeBytes > 0) {
    const auto free = static_cast<std::uint64_t>(freeBytes);
    TPartitionRow row;
    row.data = -1;
    row.imageIndex = kPartitionImageUnallocated;
    row.caption = StatusPropertyName(kStatusUnallocated);
    row.subItems = {
        FormatByteSize(free),
        FormatByteSize(static_cast<std::uint64_t>(lastEnd)),
        "*",
        std::string(AlignmentText(static_cast<std::uint64_t>(lastEnd))),
        FormatFloat(kShareFormat, Share(free, driveSize)),
        std::string(kUnallocatedDetails),
    };
    listing.rows.push_back(std::move(row));
    unallocated.value = FormatByteSize(free) + Format(" (%.2f%%)", Share(free, driveSize));
    unallocated.descriptionLine = Format("- 未格式化: %.0n 字節", free);
  }
  listing.status.push_back(std::move(unallocated));

  const auto entries = static_cast<std::uint32_t>(layout.partitions.size());
  TStatusUpdate partitions{kStatusPartitions, {}, TStatusState::Plain, {}};
  if (layout.style == kPartitionStyleMbr) {
    partitions.value = Format("%u / %u (%s)", used, entries, PartitionStyleName(layout.style));
    partitions.descriptionLine = Format("-- MBR 簽名: 0x%.2x", layout.mbrSignature);
  } else {
    partitions.value = Format("%u (%s)", entries, PartitionStyleName(layout.style));
    if (layout.style == kPartitionStyleGpt) partitions.descriptionLine = "- 磁碟 GUID: " + FormatGuid(layout.diskId);
  }
  listing.status.push_back(std::move(partitions));
  return listing;
}

TListKeyAction VolumeListKeyAction(std::uint16_t key, TShiftState shift) {
  if (key == kKeyEnter && !shift.shift && !shift.ctrl && !shift.alt) return TListKeyAction::OpenVolume;
  if (key == kKeyC && shift.ctrl && !shift.shift && !shift.alt) return TListKeyAction::Copy;
  return TListKeyAction::None;
}

TListKeyAction PartitionListKeyAction(std::uint16_t key, TShiftState shift) {
  if (key == kKeyC && shift.ctrl && !shift.shift && !shift.alt) return TListKeyAction::Copy;
  return TListKeyAction::None;
}

void TPartitionsModel::Rescan(Machine& machine, const TVolumeIconFetcher& fetchIcon) {
  volumes = ScanVolumes(machine, fetchIcon);
}

void TPartitionsModel::ShowDevice(Machine& machine, const TDeviceInfo* device) {
  volumeRows.clear();
  partitionRows.clear();
  statusUpdates.clear();
  if (!device) return;

  TVolumeListing volumeListing = BuildVolumeListing(volumes, device->deviceType, device->number);
  volumeRows = std::move(volumeListing.rows);
  statusUpdates.push_back({kStatusVolumes, std::move(volumeListing.summary), TStatusState::Plain, {}});

  if (!device->IsOpen()) return;
  const std::optional<TDriveLayout> layout = QueryDriveLayout(machine, device->handle);
  if (!layout) return;
  TPartitionListing partitionListing = BuildPartitionListing(*layout, device->size);
  partitionRows = std::move(partitionListing.rows);
  for (TStatusUpdate& update : partitionListing.status) statusUpdates.push_back(std::move(update));
}

void TPartitionsModel::Clear() {
  volumes.clear();
  volumeRows.clear();
  partitionRows.clear();
  statusUpdates.clear();
}

std::string TPartitionsModel::VolumeCopyText(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= volumeRows.size()) return {};
  return volumeRows[row].caption;
}

std::string TPartitionsModel::PartitionCopyText(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= partitionRows.size()) return {};
  const TPartitionRow& line = partitionRows[row];
  return Format("%s (%s) %s", line.caption, line.subItems[0], line.subItems[5]);
}

std::optional<std::string> TPartitionsModel::VolumeRootPath(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= volumeRows.size()) return std::nullopt;
  const std::size_t record = static_cast<std::size_t>(volumeRows[row].data);
  if (record >= volumes.size()) return std::nullopt;
  return volumes[record].RootPath();
}

int TPartitionsModel::VolumeRowForPartition(int partitionRow) const {
  if (partitionRow < 0 || static_cast<std::size_t>(partitionRow) >= partitionRows.size()) return -1;
  const std::int64_t number = partitionRows[partitionRow].data;
  if (number == 0) return -1;
  for (std::size_t i = 0; i < volumeRows.size(); ++i) {
    const std::size_t record = static_cast<std::size_t>(volumeRows[i].data);
    if (record < volumes.size() && volumes[record].partitionNumber == number) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace vexa
