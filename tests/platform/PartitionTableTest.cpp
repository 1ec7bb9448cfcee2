// The partition table reader on disk images built in memory: an MBR with logical
// drives as Windows lists them, a sound GPT, a GPT whose primary half is damaged,
// 4 KiB sectors, and hostile tables that must give Raw or their sound entries.
#include "platform/PartitionTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "support/Bytes.h"
#include "support/Crc32.h"
#include "support/Text.h"

namespace vexa {
namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

struct TImage {
  std::uint32_t sector = 512;
  std::vector<std::uint8_t> bytes;

  TImage(std::uint64_t size, std::uint32_t sectorSize = 512) : sector(sectorSize), bytes(size, 0) {}
  std::uint64_t Sectors() const { return bytes.size() / sector; }
  TMutableBytes At(std::uint64_t lba) { return TMutableBytes(bytes).subspan(lba * sector, sector); }
  void Mbr(std::uint64_t lba, std::size_t slot, std::uint8_t type, std::uint32_t first, std::uint32_t count,
           std::uint8_t boot = 0) {
    // Offsets into the whole image: GCC 12 for 32-bit Windows misreads writes
    // through a subspan of it as overflowing.
    const TMutableBytes s(bytes);
    const std::size_t base = static_cast<std::size_t>(lba * sector);
    const std::size_t at = base + 446 + slot * 16;
    PutU8(s, at, boot);
    PutU8(s, at + 4, type);
    PutU32(s, at + 8, first);
    PutU32(s, at + 12, count);
    PutU16(s, base + 510, 0xAA55);
  }
  TReadAt Reader() const {
    return [this](std::uint64_t offset, std::size_t size) {
      if (offset >= bytes.size()) return std::vector<std::uint8_t>{};
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, bytes.size() - offset));
      return std::vector<std::uint8_t>(bytes.begin() + offset, bytes.begin() + offset + n);
    };
  }
  TPartitionTable Read() const { return ReadPartitionTable(Reader(), sector, bytes.size()); }

  // A GPT header at lba with its entry array at entriesLba; type GUIDs of zero are empty.
  struct TEntry {
    std::uint8_t type = 0;  // first byte of the type GUID; 0: unused
    std::uint64_t first = 0, last = 0;
    std::string name;
  };
  void Gpt(std::uint64_t lba, std::uint64_t entriesLba, const std::vector<TEntry>& entries, std::uint32_t count = 128) {
    std::vector<std::uint8_t> array(std::size_t{count} * 128, 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      TMutableBytes e = TMutableBytes(array).subspan(i * 128, 128);
      PutU8(e, 0, entries[i].type);
      PutU8(e, 16, static_cast<std::uint8_t>(0xA0 + i));
      PutU64(e, 32, entries[i].first);
      PutU64(e, 40, entries[i].last);
      PutU64(e, 48, 0x8000000000000001);
      const std::u16string name = Utf8ToUtf16(entries[i].name);
      for (std::size_t c = 0; c < name.size(); ++c) PutU16(e, 56 + c * 2, static_cast<std::uint16_t>(name[c]));
    }
    std::copy(array.begin(), array.end(), bytes.begin() + entriesLba * sector);
    TMutableBytes h = At(lba);
    PutU64(h, 0, 0x5452415020494645);
    PutU32(h, 8, 0x00010000);
    PutU32(h, 12, 92);
    PutU64(h, 24, lba);
    PutU64(h, 40, 34);
    PutU64(h, 48, Sectors() - 34);
    for (std::size_t i = 0; i < 16; ++i) PutU8(h, 56 + i, static_cast<std::uint8_t>(0x10 + i));
    PutU64(h, 72, entriesLba);
    PutU32(h, 80, count);
    PutU32(h, 84, 128);
    PutU32(h, 88, Crc32(array));
    PutU32(h, 16, 0);
    PutU32(h, 16, Crc32(h.first(92)));
  }
  // A protective MBR and both halves of a GPT.
  void WholeGpt(const std::vector<TEntry>& entries) {
    Mbr(0, 0, 0xEE, 1, static_cast<std::uint32_t>(Sectors() - 1));
    Gpt(1, 2, entries);
    Gpt(Sectors() - 1, Sectors() - 33, entries);
  }
};

bool Noted(const TPartitionTable& table, std::string_view part) {
  return std::any_of(table.notes.begin(), table.notes.end(),
                     [&](const std::string& note) { return note.find(part) != std::string::npos; });
}

TEST(PartitionTable, Crc32OfTheCheckValue) {
  const std::string text = "123456789";
  EXPECT_EQ(Crc32(TBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())), 0xCBF43926u);
}

TEST(PartitionTable, MbrListsLogicalDrivesInGroupsOfFourNumberedAfterThePrimaries) {
  TImage image(64 * kMiB);
  PutU32(image.At(0), 440, 0xC0FFEE01);
  image.Mbr(0, 0, 0x07, 2048, 20480, 0x80);
  image.Mbr(0, 1, 0x0F, 30000, 60000);
  image.Mbr(0, 3, 0x83, 100000, 20000);
  image.Mbr(30000, 0, 0x0B, 63, 1000);             // logical drive, relative to its record
  image.Mbr(30000, 1, 0x05, 2000, 5000);           // link, relative to the extended partition
  image.Mbr(32000, 0, 0x07, 63, 4000);
  const TPartitionTable table = image.Read();
  EXPECT_TRUE(table.notes.empty());
  const TMachineLayout& layout = table.layout;
  EXPECT_EQ(layout.style, TPartitionStyle::Mbr);
  EXPECT_EQ(layout.signature, 0xC0FFEE01u);
  ASSERT_EQ(layout.partitions.size(), 12u);
  struct TRow { std::uint32_t number; std::uint8_t type; std::uint64_t lba; std::uint64_t count; bool recognized; };
  const TRow rows[] = {{1, 0x07, 2048, 20480, true}, {0, 0x0F, 30000, 60000, false}, {0, 0, 0, 0, false},
                       {2, 0x83, 100000, 20000, false}, {3, 0x0B, 30063, 1000, true}, {0, 0x05, 32000, 5000, false},
                       {0, 0, 0, 0, false}, {0, 0, 0, 0, false}, {4, 0x07, 32063, 4000, true}};
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const TMachinePartition& p = layout.partitions[i];
    EXPECT_EQ(p.number, rows[i].number) << i;
    EXPECT_EQ(p.type, rows[i].type) << i;
    EXPECT_EQ(p.start, rows[i].lba * 512) << i;
    EXPECT_EQ(p.length, rows[i].count * 512) << i;
    EXPECT_EQ(p.recognized, rows[i].recognized) << i;
  }
  EXPECT_TRUE(layout.partitions[0].boot);
  EXPECT_EQ(layout.partitions[4].hiddenSectors, 63u);  // relative to its record, as Windows reports it
}

TEST(PartitionTable, MbrOnFourKibSectorsCountsInThoseSectors) {
  TImage image(64 * kMiB, 4096);
  image.Mbr(0, 0, 0x07, 256, 1000);
  const TPartitionTable table = image.Read();
  ASSERT_EQ(table.layout.partitions.size(), 4u);
  EXPECT_EQ(table.layout.partitions[0].start, 256u * 4096);
  EXPECT_EQ(table.layout.partitions[0].length, 1000u * 4096);
}

TEST(PartitionTable, GptListsUsedEntriesInOrderWithNamesAndIds) {
  for (const std::uint32_t sector : {512u, 4096u}) {
    TImage image(64 * kMiB, sector);
    image.WholeGpt({{0x28, 2048 * 512 / sector, 4095 * 512 / sector, "EFI system"}, {},
                    {0xA2, 4096 * 512 / sector, 100000 * 512 / sector, "Données ☃"}});
    const TPartitionTable table = image.Read();
    EXPECT_TRUE(table.notes.empty()) << sector;
    const TMachineLayout& layout = table.layout;
    ASSERT_EQ(layout.style, TPartitionStyle::Gpt);
    EXPECT_EQ(layout.diskId[0], 0x10);
    EXPECT_EQ(layout.usableStart, 34u * sector);
    EXPECT_EQ(layout.usableLength, (image.Sectors() - 67) * sector);
    EXPECT_EQ(layout.maxPartitions, 128u);
    ASSERT_EQ(layout.partitions.size(), 2u);
    const TMachinePartition& data = layout.partitions[1];
    EXPECT_EQ(data.number, 2u);
    EXPECT_EQ(data.typeGuid[0], 0xA2);
    EXPECT_EQ(data.id[0], 0xA2);  // the third entry's id
    EXPECT_EQ(data.start, 4096u * 512);
    EXPECT_EQ(data.length, (100000 * 512 / sector - 4096 * 512 / sector + 1) * sector);
    EXPECT_EQ(data.attributes, 0x8000000000000001u);
    EXPECT_EQ(data.name, "Données ☃");
  }
}

TEST(PartitionTable, DamagedPrimaryGptFallsBackToTheBackup) {
  const std::vector<std::pair<const char*, std::function<void(TImage&)>>> damages = {
      {"fails its CRC-32", [](TImage& i) { i.At(1)[40] ^= 1; }},
      {"entry array that fails", [](TImage& i) { i.At(2)[100] ^= 1; }},
      {"no EFI PART", [](TImage& i) { std::fill_n(i.At(1).begin(), 8, 0); }},
      {"impossible size", [](TImage& i) { PutU32(i.At(1), 12, 9000); }},
  };
  for (const auto& [why, damage] : damages) {
    TImage image(8 * kMiB);
    image.WholeGpt({{0xA2, 2048, 8191, "data"}});
    damage(image);
    const TPartitionTable table = image.Read();
    EXPECT_EQ(table.layout.style, TPartitionStyle::Gpt) << why;
    ASSERT_EQ(table.layout.partitions.size(), 1u) << why;
    EXPECT_EQ(table.layout.partitions[0].name, "data");
    EXPECT_TRUE(Noted(table, "backup GPT")) << why;
  }
}

TEST(PartitionTable, HostileTablesGiveRawOrTheirSoundEntries) {
  struct TCase {
    const char* name;
    std::function<void(TImage&)> build;
    TPartitionStyle style;
    std::size_t partitions;  // used entries (number != 0)
    const char* note;
  };
  const TCase cases[] = {
      {"blank disk", [](TImage&) {}, TPartitionStyle::Raw, 0, "no boot signature"},
      {"boot sector", [](TImage& i) { i.Mbr(0, 0, 0x07, 63, 100, 0x29); }, TPartitionStyle::Raw, 0, "boot indicator"},
      {"entry beyond the end", [](TImage& i) { i.Mbr(0, 0, 0x07, 2048, 100); i.Mbr(0, 1, 0x83, 16000, 500); },
       TPartitionStyle::Mbr, 1, "beyond the disk"},
      {"length wraps", [](TImage& i) { i.Mbr(0, 0, 0x07, 0xFFFFFFF0, 0xFFFFFFFF); }, TPartitionStyle::Mbr, 0, "beyond"},
      {"chain loops", [](TImage& i) {
         i.Mbr(0, 0, 0x05, 4000, 8000);
         i.Mbr(4000, 0, 0x07, 63, 100);
         i.Mbr(4000, 1, 0x05, 0, 8000);  // back to itself
       }, TPartitionStyle::Mbr, 1, "loops"},
      {"record without signature", [](TImage& i) { i.Mbr(0, 0, 0x05, 4000, 8000); }, TPartitionStyle::Mbr, 0,
       "not one"},
      {"protective MBR without GPT", [](TImage& i) { i.Mbr(0, 0, 0xEE, 1, 16383); }, TPartitionStyle::Raw, 0,
       "without a sound GPT"},
      {"absurd entry count", [](TImage& i) {
         i.Mbr(0, 0, 0xEE, 1, 16383);
         i.Gpt(1, 2, {{0xA2, 40, 100, ""}}, 4);
         PutU32(i.At(1), 80, 0x7FFFFFFF);
         PutU32(i.At(1), 16, 0);
         PutU32(i.At(1), 16, Crc32(i.At(1).first(92)));
       }, TPartitionStyle::Raw, 0, "absurd entry array"},
      {"GPT entry beyond the end", [](TImage& i) {
         i.WholeGpt({{0xA2, 40, 100, "a"}, {0xA2, 200, 1u << 30, "b"}, {0xA2, 300, 200, "c"}});
       }, TPartitionStyle::Gpt, 1, "outside the disk"},
  };
  for (const TCase& c : cases) {
    TImage image(8 * kMiB);
    c.build(image);
    const TPartitionTable table = image.Read();
    EXPECT_EQ(table.layout.style, c.style) << c.name;
    EXPECT_EQ(std::count_if(table.layout.partitions.begin(), table.layout.partitions.end(),
                            [](const TMachinePartition& p) { return p.number != 0; }),
              static_cast<std::ptrdiff_t>(c.partitions))
        << c.name;
    for (const TMachinePartition& p : table.layout.partitions) EXPECT_LE(p.start + p.length, image.bytes.size()) << c.name;
    EXPECT_TRUE(Noted(table, c.note)) << c.name << ": " << (table.notes.empty() ? "" : table.notes.front());
  }
}

TEST(PartitionTable, UnreadableDiskOrOddSectorSizeGivesRaw) {
  const TReadAt nothing = [](std::uint64_t, std::size_t) { return std::vector<std::uint8_t>{}; };
  EXPECT_TRUE(Noted(ReadPartitionTable(nothing, 512, 8 * kMiB), "cannot be read"));
  EXPECT_TRUE(Noted(ReadPartitionTable(nothing, 520, 8 * kMiB), "not supported"));
  EXPECT_TRUE(Noted(ReadPartitionTable(nothing, 512, 1024), "too small"));
}

}  // namespace
}  // namespace vexa
