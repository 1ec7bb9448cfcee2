// Reads arbitrary bytes as the first sectors of a disk (the rest, up to a size the
// input's first bytes choose, reads as the input repeated, so that backup GPT
// headers and far logical drives are reachable). Whatever the table says, every
// partition it yields lies inside the disk, containers aside, and reads are bounded.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/PartitionTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint32_t sector = (data[0] & 1) ? 4096 : 512;
  // 1 to 4096 sectors, or the size of the input itself.
  const std::uint64_t sectors = (data[1] | (std::uint64_t{data[2]} << 8)) % 4096 + 1;
  const std::uint64_t diskSize = sectors * sector;
  const std::vector<std::uint8_t> image(data + 3, data + size);
  std::uint64_t bytesRead = 0;
  const vexa::TReadAt read = [&](std::uint64_t offset, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    if (image.empty() || offset >= diskSize) return bytes;
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, diskSize - offset));
    bytesRead += count;
    bytes.resize(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = image[(offset + i) % image.size()];
    return bytes;
  };
  const vexa::TPartitionTable table = vexa::ReadPartitionTable(read, sector, diskSize);
  for (const vexa::TMachinePartition& partition : table.layout.partitions) {
    if (partition.number == 0 && table.layout.style == vexa::TPartitionStyle::Mbr) continue;
    if (partition.start > diskSize || partition.length > diskSize - partition.start) {
      std::fprintf(stderr, "PartitionTableFuzz: partition %u at %llu+%llu outside a disk of %llu bytes\n",
                   partition.number, static_cast<unsigned long long>(partition.start),
                   static_cast<unsigned long long>(partition.length), static_cast<unsigned long long>(diskSize));
      std::abort();
    }
  }
  // A table may be read in pieces, but never much more than a few copies of it.
  if (bytesRead > 64u * 1024 * 1024) {
    std::fprintf(stderr, "PartitionTableFuzz: %llu bytes read\n", static_cast<unsigned long long>(bytesRead));
    std::abort();
  }
  return 0;
}
