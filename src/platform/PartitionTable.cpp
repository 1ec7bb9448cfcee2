// The partition table reader. MBR: the boot signature and boot indicators tell a
// table from a boot sector or garbage; the extended chain is followed from the first
// container of the MBR, each record once, at most kMaxExtendedRecords of them. GPT:
// a header is used only when its signature, size, CRC, own LBA, usable range and
// entry array (size, place, CRC) are sound. Byte offsets are computed from LBAs that
// were first checked to lie inside the disk, so no product can wrap.
#include "platform/PartitionTable.h"

#include <algorithm>
#include <optional>
#include <set>

#include "support/Bytes.h"
#include "support/Crc32.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

constexpr std::size_t kMbrEntries = 446;
constexpr std::size_t kMbrEntrySize = 16;
constexpr std::size_t kMbrSignatureAt = 440;
constexpr std::size_t kBootSignatureAt = 510;
constexpr std::uint16_t kBootSignature = 0xAA55;
constexpr std::uint8_t kProtectiveType = 0xEE;
// Windows itself stops far below this; a longer chain is a loop in disguise.
constexpr std::size_t kMaxExtendedRecords = 256;

constexpr std::uint64_t kGptSignature = 0x5452415020494645;  // "EFI PART"
constexpr std::uint32_t kGptMinHeaderSize = 92;
constexpr std::uint32_t kGptMinEntrySize = 128;
constexpr std::uint32_t kGptMaxEntrySize = 4096;
constexpr std::uint32_t kGptMaxEntries = 16384;
constexpr std::size_t kGptMaxEntryBytes = std::size_t{4} << 20;
constexpr std::size_t kGptNameUnits = 36;

bool IsContainer(std::uint8_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }

// The types Windows' disk driver marks recognized: FAT, NTFS/IFS and their LBA
// forms, also with the fault-tolerance bit (0x80) set.
bool IsRecognized(std::uint8_t type) {
  const auto plain = [](std::uint8_t t) {
    return t == 0x06 || t == 0x07 || t == 0x0B || t == 0x0C || t == 0x0E;
  };
  return plain(type) || type == 0x01 || type == 0x04 || ((type & 0x80) != 0 && plain(type & 0x3F));
}

class TReader {
public:
  TReader(const TReadAt& readAt, std::uint32_t sector, std::uint64_t size)
      : read(readAt), sectorSize(sector), sectors(size / sector) {}

  TPartitionTable Read() {
    if (sectors < 3) return Raw("the disk is too small to hold a partition table");
    const std::vector<std::uint8_t> mbr = Sector(0);
    if (mbr.empty()) return Raw("the first sector cannot be read");
    if (GetU16(mbr, kBootSignatureAt) != kBootSignature) return Raw("no partition table: the first sector has no boot signature");
    bool protective = false;
    for (std::size_t i = 0; i < 4; ++i) {
      const std::size_t at = kMbrEntries + i * kMbrEntrySize;
      const std::uint8_t boot = mbr[at];
      if (boot != 0x00 && boot != 0x80) {
        return Raw(Format("no partition table: MBR entry %u has boot indicator 0x%.2x (a boot sector?)",
                          static_cast<unsigned>(i + 1), boot));
      }
      if (mbr[at + 4] == kProtectiveType) protective = true;
    }
    if (protective) return Gpt();
    return Mbr(mbr);
  }

private:
  const TReadAt& read;
  std::uint32_t sectorSize;
  std::uint64_t sectors;
  TPartitionTable result;

  TPartitionTable Raw(std::string why) {
    result.layout = {};
    result.notes.push_back(std::move(why));
    return std::move(result);
  }
  void Note(std::string text) { result.notes.push_back(std::move(text)); }

  // A whole sector, or nothing when it lies outside the disk or reads short.
  std::vector<std::uint8_t> Sector(std::uint64_t lba) {
    if (lba >= sectors) return {};
    std::vector<std::uint8_t> bytes = read(lba * sectorSize, sectorSize);
    if (bytes.size() < sectorSize) return {};
    bytes.resize(sectorSize);
    return bytes;
  }

  // --- MBR ---

  // An MBR entry at lba + its relative start, or an empty slot when it is unused or
  // does not lie inside the disk (then noted).
  TMachinePartition MbrEntry(TBytes sector, std::size_t slot, std::uint64_t base, std::string_view where) {
    const std::size_t at = kMbrEntries + slot * kMbrEntrySize;
    TMachinePartition entry;
    entry.recognized = false;
    const std::uint8_t type = GetU8(sector, at + 4);
    const std::uint32_t relative = GetU32(sector, at + 8);
    const std::uint32_t count = GetU32(sector, at + 12);
    if (type == 0 || count == 0) return entry;
    const std::uint64_t first = base + relative;
    if (first >= sectors || count > sectors - first) {
      Note(Format("%s entry %u (type 0x%.2x) lies beyond the disk's end: left out", where,
                  static_cast<unsigned>(slot + 1), type));
      return entry;
    }
    entry.type = type;
    entry.boot = GetU8(sector, at) == 0x80;
    entry.start = first * sectorSize;
    entry.length = std::uint64_t{count} * sectorSize;
    entry.hiddenSectors = relative;
    return entry;
  }

  TPartitionTable Mbr(const std::vector<std::uint8_t>& mbr) {
    TMachineLayout& layout = result.layout;
    layout.style = TPartitionStyle::Mbr;
    layout.signature = GetU32(mbr, kMbrSignatureAt);
    std::optional<std::uint64_t> extended;
    for (std::size_t i = 0; i < 4; ++i) {
      TMachinePartition entry = MbrEntry(mbr, i, 0, "MBR");
      if (IsContainer(entry.type)) {
        if (!extended) {
          extended = entry.start / sectorSize;
        } else {
          Note(Format("MBR entry %u is a second extended partition: its logical drives are not read",
                      static_cast<unsigned>(i + 1)));
        }
      }
      layout.partitions.push_back(entry);
    }
    if (extended) ExtendedChain(*extended);
    // Used entries are numbered in table order; containers and empty slots are 0.
    std::uint32_t number = 0;
    for (TMachinePartition& entry : layout.partitions) {
      const bool used = entry.type != 0 && !IsContainer(entry.type);
      entry.number = used ? ++number : 0;
      entry.recognized = used && IsRecognized(entry.type);
    }
    return std::move(result);
  }

  void ExtendedChain(std::uint64_t extendedStart) {
    std::set<std::uint64_t> seen;
    // A sector and a flag rather than an optional: mingw-w64's GCC 12 takes the optional's
    // value for uninitialised in the notes below, and warnings are errors.
    std::uint64_t next = extendedStart;
    bool more = true;
    while (more) {
      const std::uint64_t here = next;
      more = false;
      if (!seen.insert(here).second) {
        Note(Format("the extended partition's chain loops back to sector %s: it ends there", std::to_string(here)));
        return;
      }
      if (seen.size() > kMaxExtendedRecords) {
        Note(Format("the extended partition's chain has more than %u records: the rest is not read",
                    static_cast<unsigned>(kMaxExtendedRecords)));
        return;
      }
      const std::vector<std::uint8_t> sector = Sector(here);
      if (sector.empty() || GetU16(sector, kBootSignatureAt) != kBootSignature) {
        Note(Format("the extended boot record at sector %s is %s: the chain ends there", std::to_string(here),
                    sector.empty() ? "unreadable" : "not one (no boot signature)"));
        return;
      }
      for (std::size_t i = 0; i < 4; ++i) {
        // A link is relative to the extended partition, a logical drive to its record.
        const std::size_t at = kMbrEntries + i * kMbrEntrySize;
        const bool link = IsContainer(GetU8(sector, at + 4));
        TMachinePartition entry = MbrEntry(sector, i, link ? extendedStart : here, "extended record");
        if (link && entry.type != 0) {
          if (!more) {
            next = entry.start / sectorSize;
            more = true;
          } else {
            Note("an extended boot record has two links: only the first is followed");
          }
        }
        result.layout.partitions.push_back(entry);
      }
    }
  }

  // --- GPT ---

  struct THeader {
    TGuid diskId{};
    std::uint64_t firstUsable = 0;
    std::uint64_t lastUsable = 0;
    std::uint32_t count = 0;
    std::uint32_t entrySize = 0;
    std::vector<std::uint8_t> entries;
  };

  std::optional<THeader> GptHeader(std::uint64_t lba, std::string_view which) {
    const std::vector<std::uint8_t> sector = Sector(lba);
    const auto bad = [&](std::string_view why) -> std::optional<THeader> {
      Note(Format("the %s GPT header %s", which, why));
      return std::nullopt;
    };
    if (sector.empty()) return bad("cannot be read");
    if (GetU64(sector, 0) != kGptSignature) return bad("has no EFI PART signature");
    const std::uint32_t headerSize = GetU32(sector, 12);
    if (headerSize < kGptMinHeaderSize || headerSize > sectorSize) return bad("has an impossible size");
    std::vector<std::uint8_t> checked(sector.begin(), sector.begin() + headerSize);
    PutU32(checked, 16, 0);
    if (Crc32(checked) != GetU32(sector, 16)) return bad("fails its CRC-32");
    if (GetU64(sector, 24) != lba) return bad("names another sector as its own");
    THeader header;
    header.firstUsable = GetU64(sector, 40);
    header.lastUsable = GetU64(sector, 48);
    std::copy_n(sector.begin() + 56, header.diskId.size(), header.diskId.begin());
    const std::uint64_t entriesLba = GetU64(sector, 72);
    header.count = GetU32(sector, 80);
    header.entrySize = GetU32(sector, 84);
    if (header.firstUsable > header.lastUsable || header.lastUsable >= sectors || header.firstUsable < 2) {
      return bad("gives a usable range outside the disk");
    }
    if (header.entrySize < kGptMinEntrySize || header.entrySize > kGptMaxEntrySize || header.entrySize % 8 != 0 ||
        header.count > kGptMaxEntries || std::size_t{header.count} * header.entrySize > kGptMaxEntryBytes) {
      return bad(Format("gives an absurd entry array (%u entries of %u bytes)", header.count, header.entrySize));
    }
    const std::size_t bytes = std::size_t{header.count} * header.entrySize;
    const std::uint64_t entrySectors = (bytes + sectorSize - 1) / sectorSize;
    if (entriesLba < 2 || entriesLba >= sectors || entrySectors > sectors - entriesLba) {
      return bad("places its entry array outside the disk");
    }
    header.entries = bytes == 0 ? std::vector<std::uint8_t>{} : read(entriesLba * sectorSize, bytes);
    if (header.entries.size() < bytes) return bad("has an entry array that cannot be read");
    header.entries.resize(bytes);
    if (Crc32(header.entries) != GetU32(sector, 88)) return bad("has an entry array that fails its CRC-32");
    return header;
  }

  TPartitionTable Gpt() {
    std::optional<THeader> header = GptHeader(1, "primary");
    if (!header) {
      header = GptHeader(sectors - 1, "backup");
      if (!header) return Raw("a protective MBR without a sound GPT: no partitions are listed");
      Note("the backup GPT at the disk's last sector was used");
    }
    TMachineLayout& layout = result.layout;
    layout.style = TPartitionStyle::Gpt;
    layout.diskId = header->diskId;
    layout.usableStart = header->firstUsable * sectorSize;
    layout.usableLength = (header->lastUsable - header->firstUsable + 1) * sectorSize;
    layout.maxPartitions = header->count;
    std::uint32_t number = 0;
    for (std::uint32_t i = 0; i < header->count; ++i) {
      const TBytes entry = TBytes(header->entries).subspan(std::size_t{i} * header->entrySize, header->entrySize);
      TMachinePartition partition;
      std::copy_n(entry.begin(), partition.typeGuid.size(), partition.typeGuid.begin());
      if (partition.typeGuid == TGuid{}) continue;
      const std::uint64_t first = GetU64(entry, 32);
      const std::uint64_t last = GetU64(entry, 40);
      if (last < first || last >= sectors) {
        Note(Format("GPT entry %u lies outside the disk: left out", i + 1));
        continue;
      }
      std::copy_n(entry.begin() + 16, partition.id.size(), partition.id.begin());
      partition.number = ++number;
      partition.start = first * sectorSize;
      partition.length = (last - first + 1) * sectorSize;
      partition.attributes = GetU64(entry, 48);
      partition.name = Utf16TextAt(entry, 56, kGptNameUnits);
      layout.partitions.push_back(std::move(partition));
    }
    return std::move(result);
  }
};

}  // namespace

TPartitionTable ReadPartitionTable(const TReadAt& read, std::uint32_t sectorSize, std::uint64_t diskSize) {
  if (sectorSize < 512 || sectorSize > 4096 || (sectorSize & (sectorSize - 1)) != 0) {
    TPartitionTable table;
    table.notes.push_back(Format("a logical sector of %u bytes is not supported: no partitions are listed", sectorSize));
    return table;
  }
  if (!read) {
    TPartitionTable table;
    table.notes.push_back("the disk cannot be read");
    return table;
  }
  return TReader(read, sectorSize, diskSize).Read();
}

}  // namespace vexa
