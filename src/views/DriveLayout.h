// The drive's partition table as IOCTL_DISK_GET_DRIVE_LAYOUT_EX reports it: the
// layout header and its 144-byte PARTITION_INFORMATION_EX entries, read byte by byte
// from the bytes the request returned. A short or garbage reply never reads past
// those bytes: the entry count is capped by the whole entries that fit.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Machine.h"
#include "support/Bytes.h"

namespace vexa {

using TGuidBytes = std::array<std::uint8_t, 16>;  // as stored: first three fields little-endian

// The platform's partition style codes.
inline constexpr std::uint32_t kPartitionStyleMbr = 0;
inline constexpr std::uint32_t kPartitionStyleGpt = 1;
inline constexpr std::uint32_t kPartitionStyleRaw = 2;

// "MBR", "GPT", "RAW" for the styles 0..2; "<未知>" for a code no platform sends.
std::string_view PartitionStyleName(std::uint32_t style);

// {EBD0A0A2-B9E5-4433-87C0-68B6B72699C7} as stored.
inline constexpr TGuidBytes kBasicDataPartitionGuid = {0xA2, 0xA0, 0xD0, 0xEB, 0xE5, 0xB9, 0x33, 0x44,
                                                       0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7};

struct TLayoutPartition {
  std::uint32_t style = kPartitionStyleRaw;  // the entry's own style field
  std::uint64_t startingOffset = 0;
  std::uint64_t length = 0;
  std::uint32_t partitionNumber = 0;
  // MBR entries.
  std::uint8_t partitionType = 0;
  std::uint8_t bootIndicator = 0;  // the platform's BOOLEAN bytes, kept as sent
  std::uint8_t recognized = 0;
  std::uint32_t hiddenSectors = 0;
  // GPT entries.
  TGuidBytes typeGuid{};
  TGuidBytes partitionId{};
  std::uint64_t attributes = 0;
  std::string name;  // UTF-8, up to the first NUL of the 36 UTF-16 characters
};

struct TDriveLayout {
  std::uint32_t style = kPartitionStyleRaw;
  std::uint32_t reportedCount = 0;  // the header's count, before capping
  std::uint32_t mbrSignature = 0;
  TGuidBytes diskId{};
  std::vector<TLayoutPartition> partitions;  // at most what the reply holds
};

// The request's reply buffer: room for the header and 28 entries.
inline constexpr std::size_t kDriveLayoutReplySize = 4096;

// Decodes the bytes a layout request returned (pass only those).
TDriveLayout DecodeDriveLayout(TBytes reply);

// Asks the open disk for its layout; none when the request fails or returns no bytes.
std::optional<TDriveLayout> QueryDriveLayout(Machine& machine, THandle handle);

}  // namespace vexa
