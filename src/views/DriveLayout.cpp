// Decoder of the drive layout reply. Every field is read through the bounded
// little-endian helpers from the returned bytes only, and entries are taken only
// while a whole 144-byte entry fits, so a lying count cannot walk off the buffer.
#include "views/DriveLayout.h"

#include <algorithm>
#include <array>

#include "platform/StorageLayout.h"
#include "support/Text.h"

namespace vexa {

namespace {

namespace sl = storage::layout;
namespace se = storage::partitioninfoex;

constexpr std::array<std::string_view, 3> kStyleNames = {"MBR", "GPT", "RAW"};
constexpr std::string_view kUnknownStyleName = "<未知>";

TGuidBytes ReadGuid(TBytes bytes, std::size_t offset) {
  TGuidBytes guid{};
  for (std::size_t i = 0; i < guid.size(); ++i) guid[i] = GetU8(bytes, offset + i);
  return guid;
}

std::string ReadGptName(TBytes entry) { return Utf16TextAt(entry, se::kGptName, se::kGptNameChars); }

TLayoutPartition DecodeEntry(TBytes entry) {
  TLayoutPartition partition;
  partition.style = GetU32(entry, se::kPartitionStyle);
  partition.startingOffset = GetU64(entry, se::kStartingOffset);
  partition.length = GetU64(entry, se::kPartitionLength);
  partition.partitionNumber = GetU32(entry, se::kPartitionNumber);
  if (partition.style == kPartitionStyleMbr) {
    partition.partitionType = GetU8(entry, se::kMbrPartitionType);
    partition.bootIndicator = GetU8(entry, se::kMbrBootIndicator);
    partition.recognized = GetU8(entry, se::kMbrRecognizedPartition);
    partition.hiddenSectors = GetU32(entry, se::kMbrHiddenSectors);
  } else if (partition.style == kPartitionStyleGpt) {
    partition.typeGuid = ReadGuid(entry, se::kGptPartitionType);
    partition.partitionId = ReadGuid(entry, se::kGptPartitionId);
    partition.attributes = GetU64(entry, se::kGptAttributes);
    partition.name = ReadGptName(entry);
  }
  return partition;
}

}  // namespace

std::string_view PartitionStyleName(std::uint32_t style) {
  return style < kStyleNames.size() ? kStyleNames[style] : kUnknownStyleName;
}

TDriveLayout DecodeDriveLayout(TBytes reply) {
  TDriveLayout layout;
  layout.style = GetU32(reply, sl::kPartitionStyle);
  layout.reportedCount = GetU32(reply, sl::kPartitionCount);
  if (layout.style == kPartitionStyleMbr) {
    layout.mbrSignature = GetU32(reply, sl::kMbrSignature);
  } else if (layout.style == kPartitionStyleGpt) {
    layout.diskId = ReadGuid(reply, sl::kGptDiskId);
  }
  const std::size_t fitting = reply.size() > sl::kPartitionEntry ? (reply.size() - sl::kPartitionEntry) / se::kSize : 0;
  const std::size_t count = std::min<std::size_t>(layout.reportedCount, fitting);
  layout.partitions.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    layout.partitions.push_back(DecodeEntry(reply.subspan(sl::kPartitionEntry + i * se::kSize, se::kSize)));
  }
  return layout;
}

std::optional<TDriveLayout> QueryDriveLayout(Machine& machine, THandle handle) {
  std::vector<std::uint8_t> reply(kDriveLayoutReplySize, 0);
  const TIoResult result = machine.Control(handle, storage::kIoctlDiskGetDriveLayoutEx, {}, reply);
  if (!result.ok || result.bytes == 0) return std::nullopt;
  const std::size_t returned = std::min<std::size_t>(result.bytes, reply.size());
  return DecodeDriveLayout(TBytes(reply).first(returned));
}

}  // namespace vexa
