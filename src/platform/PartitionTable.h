// Reads a disk's partition table from its first and last sectors into the drive
// layout Windows' disk driver reports: an MBR with its four primary slots and, for
// an extended partition, one group of four slots per extended boot record (the
// logical drive and the link to the next record, container entries numbered 0); a
// GPT from the header at LBA 1, or from the backup header at the last LBA when the
// primary one or its entries fail their CRC-32. Partitions are numbered as Windows
// numbers them: used entries in table order, MBR primaries before logical drives.
// Nothing here trusts the disk: a table that is garbage, loops, points beyond the
// disk or claims absurd sizes gives Raw or its sound entries, with a note saying why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/MachineFile.h"

namespace vexa {

// Reads size bytes at offset of the disk; fewer (or none) at its end or on an error.
using TReadAt = std::function<std::vector<std::uint8_t>(std::uint64_t offset, std::size_t size)>;

struct TPartitionTable {
  TMachineLayout layout;           // Raw when no sound table was found
  std::vector<std::string> notes;  // what was wrong or unusual, one sentence each
};

// sectorSize: the logical sector size (512 or 4096); diskSize: the disk's bytes.
TPartitionTable ReadPartitionTable(const TReadAt& read, std::uint32_t sectorSize, std::uint64_t diskSize);

}  // namespace vexa
