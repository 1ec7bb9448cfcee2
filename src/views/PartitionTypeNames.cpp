// Names of the MBR partition type bytes the Partitions page knows. Searched in
// order, the first match wins; any other type reads "<未知>".
#include "views/PartitionsModel.h"

namespace vexa {

const std::array<TPartitionTypeName, kPartitionTypeNameCount> PartitionTypeNames{{
    {0, "空的"},
    {1, "FAT12"},
    {4, "FAT16 < 32MB"},
    {5, "Extended"},
    {6, "FAT16B > 32MB"},
    {7, "NTFS"},
    {11, "FAT32 /w CHS"},
    {12, "FAT32 /w LBA"},
    {14, "FAT16 /w LBA"},
    {15, "Extended /w LBA"},
    {39, "Windows 還原環境"},
}};

std::string_view PartitionTypeName(std::uint8_t type) {
  for (const TPartitionTypeName& row : PartitionTypeNames) {
    if (row.type == type) return row.name;
  }
  return "<未知>";
}

}  // namespace vexa
