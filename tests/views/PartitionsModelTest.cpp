// The Partitions page model: its tables, the drive layout decoder on good, short and
// garbage replies, the partition and volume lines with their status properties, the
// keys, and the whole page road over a recorded machine.
#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <string>
#include <vector>

#include "device/DeviceInfo.h"
#include "platform/MachineFile.h"
#include "platform/ReplayMachine.h"
#include "platform/StorageLayout.h"
#include "support/Bytes.h"
#include "support/Format.h"
#include "views/DriveLayout.h"
#include "views/PartitionsModel.h"

namespace vexa {
namespace {

namespace sl = storage::layout;
namespace se = storage::partitioninfoex;

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

TGuidBytes Guid(std::uint32_t a, std::uint16_t b, std::uint16_t c, std::array<std::uint8_t, 8> d) {
  TGuidBytes guid{};
  PutU32(guid, 0, a);
  PutU16(guid, 4, b);
  PutU16(guid, 6, c);
  std::copy(d.begin(), d.end(), guid.begin() + 8);
  return guid;
}
const TGuidBytes kReservedType = Guid(0xE3C9E316, 0x0B5C, 0x4DB8, {0x81, 0x7D, 0xF9, 0x2D, 0xF0, 0x02, 0x15, 0xAE});
const TGuidBytes kRecoveryType = Guid(0xDE94BBA4, 0x06D1, 0x4D40, {0xA1, 0x6A, 0xBF, 0xD5, 0x01, 0x79, 0xD6, 0xAC});

// A layout reply built by hand, as the disk driver lays it out.
struct TLayoutReply {
  std::vector<std::uint8_t> bytes;

  TLayoutReply(std::uint32_t style, std::uint32_t count) : bytes(sl::kPartitionEntry + count * se::kSize, 0) {
    PutU32(bytes, sl::kPartitionStyle, style);
    PutU32(bytes, sl::kPartitionCount, count);
  }
  TMutableBytes Entry(std::size_t i) {
    return TMutableBytes(bytes).subspan(sl::kPartitionEntry + i * se::kSize, se::kSize);
  }
  void Mbr(std::size_t i, std::uint64_t start, std::uint64_t length, std::uint32_t number, std::uint8_t type,
           bool boot = false) {
    TMutableBytes e = Entry(i);
    PutU32(e, se::kPartitionStyle, kPartitionStyleMbr);
    PutU64(e, se::kStartingOffset, start);
    PutU64(e, se::kPartitionLength, length);
    PutU32(e, se::kPartitionNumber, number);
    PutU8(e, se::kMbrPartitionType, type);
    PutU8(e, se::kMbrBootIndicator, boot ? 1 : 0);
    PutU8(e, se::kMbrRecognizedPartition, number != 0 ? 1 : 0);
    PutU32(e, se::kMbrHiddenSectors, static_cast<std::uint32_t>(start / 512));
  }
  void Gpt(std::size_t i, std::uint64_t start, std::uint64_t length, std::uint32_t number, const TGuidBytes& type,
           std::uint8_t idByte, std::u16string_view name) {
    TMutableBytes e = Entry(i);
    PutU32(e, se::kPartitionStyle, kPartitionStyleGpt);
    PutU64(e, se::kStartingOffset, start);
    PutU64(e, se::kPartitionLength, length);
    PutU32(e, se::kPartitionNumber, number);
    std::copy(type.begin(), type.end(), e.begin() + se::kGptPartitionType);
    const TGuidBytes id = Guid(0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, idByte});
    std::copy(id.begin(), id.end(), e.begin() + se::kGptPartitionId);
    for (std::size_t c = 0; c < name.size(); ++c) PutU16(e, se::kGptName + c * 2, name[c]);
  }
  TDriveLayout Decode() const { return DecodeDriveLayout(bytes); }
};

// The update of a status property; index -1 when the listing has none.
TStatusUpdate FindUpdate(const std::vector<TStatusUpdate>& updates, int index) {
  for (const TStatusUpdate& update : updates) {
    if (update.index == index) return update;
  }
  return {-1, {}, TStatusState::Plain, {}};
}

TEST(PartitionsTables, TypeAndStyleNamesAndColumns) {
  EXPECT_EQ(PartitionTypeNames.size(), 11u);
  EXPECT_EQ(PartitionTypeName(4), "FAT16 < 32MB");
  EXPECT_EQ(PartitionTypeName(39), "Windows 還原環境");
  EXPECT_EQ(PartitionTypeName(0x83), "<未知>");
  EXPECT_EQ(PartitionStyleName(2), "RAW");
  EXPECT_EQ(PartitionStyleName(0xFFFFFFFF), "<未知>");
  EXPECT_EQ(VolumeListColumns[3].caption, "% 可用");
  EXPECT_EQ(PartitionListColumns[4].caption, "4K 對齊");
  EXPECT_EQ(PartitionListColumns[6].width, 380);
}

// --- Decoder ---------------------------------------------------------------------------

TEST(PartitionsLayoutDecoder, ShortRepliesNeverReadPastTheReturnedBytes) {
  TLayoutReply full(kPartitionStyleMbr, 4);
  full.Mbr(0, kMiB, kGiB, 1, 7);
  full.Mbr(1, kGiB + kMiB, kGiB, 2, 7);
  const std::pair<std::size_t, std::size_t> bytesAndEntries[] = {
      {0, 0}, {10, 0}, {sl::kPartitionEntry, 0}, {sl::kPartitionEntry + se::kSize - 1, 0},
      {sl::kPartitionEntry + se::kSize, 1}, {sl::kPartitionEntry + 2 * se::kSize + 100, 2}, {full.bytes.size(), 4}};
  for (const auto& [bytes, entries] : bytesAndEntries) {
    // An exact-size copy, so a sanitizer build catches any read past the end.
    const std::vector<std::uint8_t> reply(full.bytes.begin(), full.bytes.begin() + bytes);
    EXPECT_EQ(DecodeDriveLayout(reply).partitions.size(), entries) << bytes << " bytes";
  }
  // A count far beyond what was returned is capped by the entries that fit.
  PutU32(full.bytes, sl::kPartitionCount, 0xFFFFFFFF);
  EXPECT_EQ(full.Decode().partitions.size(), 4u);
}

TEST(PartitionsLayoutDecoder, GarbageRepliesAreSafe) {
  std::mt19937 random(1234);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint8_t> reply(random() % (kDriveLayoutReplySize + 1));
    for (std::uint8_t& b : reply) b = static_cast<std::uint8_t>(random());
    if (round % 2 == 0) PutU32(reply, sl::kPartitionCount, random() % 40);
    const TDriveLayout layout = DecodeDriveLayout(reply);
    const std::size_t fit = reply.size() > sl::kPartitionEntry ? (reply.size() - sl::kPartitionEntry) / se::kSize : 0;
    ASSERT_LE(layout.partitions.size(), fit);
    for (const TPartitionRow& row : BuildPartitionListing(layout, round % 3 ? 64 * kGiB : kUnknownSize).rows) {
      ASSERT_TRUE(row.imageIndex == 0 || row.imageIndex == 1 || row.imageIndex == 2 || row.imageIndex == 4);
    }
  }
}

// --- Partition lines -------------------------------------------------------------------

TEST(PartitionsListing, MbrShowsAllFourSlotsAndAlignment) {
  TLayoutReply reply(kPartitionStyleMbr, 4);
  PutU32(reply.bytes, sl::kMbrSignature, 0x1A2B3C4D);
  reply.Mbr(0, 63 * 512, 100 * kMiB, 1, 7, true);  // the old sector-63 start
  reply.Mbr(1, 101 * kMiB, 10 * kGiB, 2, 7);
  const TPartitionListing listing = BuildPartitionListing(reply.Decode(), 20 * kGiB);

  ASSERT_EQ(listing.rows.size(), 5u);  // four slots and the space after the second partition
  const int images[] = {1, 1, 2, 2, 4};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(listing.rows[i].imageIndex, images[i]) << "row " << i;
  EXPECT_EQ(listing.rows[0].caption, "主引導記錄");
  EXPECT_EQ(listing.rows[0].data, 1);
  const std::array<std::string, 6> first = {"100.0 MB", "31.5 kB", "1", "false", "0.488",
                                            "NTFS | 類型: 07; 活動: 1; 認可: 1; 隱藏扇區: 63"};
  EXPECT_EQ(listing.rows[0].subItems, first);
  EXPECT_EQ(listing.rows[1].subItems[3], "true");  // 1 MiB aligned
  const std::array<std::string, 6> empty = {"", "", "0", "true", "", "空的 | 類型: 00; 活動: 0; 認可: 0; 隱藏扇區: 0"};
  EXPECT_EQ(listing.rows[2].subItems, empty);
  EXPECT_EQ(FindUpdate(listing.status, kStatusPartitions).value, "2 / 4 (MBR)");
  EXPECT_EQ(FindUpdate(listing.status, kStatusPartitions).descriptionLine, "-- MBR 簽名: 0x1A2B3C4D");
}

TEST(PartitionsListing, GptImagesCaptionsAndDiskGuid) {
  TLayoutReply reply(kPartitionStyleGpt, 3);
  const TGuidBytes disk = Guid(0x0102ABCD, 0x0304, 0x0506, {0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0x01, 0x02});
  std::copy(disk.begin(), disk.end(), reply.bytes.begin() + sl::kGptDiskId);
  reply.Gpt(0, 17408, 128 * kMiB, 1, kReservedType, 1, u"Microsoft reserved partition");
  reply.Gpt(1, 129 * kMiB, 100 * kGiB, 2, kBasicDataPartitionGuid, 2, u"資料");
  reply.Gpt(2, 129 * kMiB + 100 * kGiB, 450 * kMiB, 3, kRecoveryType, 3, std::u16string(36, u'x'));
  const TPartitionListing listing = BuildPartitionListing(reply.Decode(), 129 * kMiB + 100 * kGiB + 450 * kMiB);

  ASSERT_EQ(listing.rows.size(), 3u);  // the last partition ends at the drive's size
  EXPECT_EQ(listing.rows[0].imageIndex, 0);
  EXPECT_EQ(listing.rows[1].imageIndex, 1);
  EXPECT_EQ(listing.rows[2].imageIndex, 0);
  EXPECT_EQ(listing.rows[1].caption, "資料");
  EXPECT_EQ(listing.rows[2].caption, std::string(36, 'x'));  // a full name has no terminator
  EXPECT_EQ(listing.rows[1].subItems[5], "{12345678-9abc-def0-0102-030405060702}");
  EXPECT_EQ(FindUpdate(listing.status, kStatusPartitions).value, "3 (GPT)");
  EXPECT_EQ(FindUpdate(listing.status, kStatusPartitions).descriptionLine,
            "- 磁碟 GUID: {0102abcd-0304-0506-a0b0-c0d0e0f00102}");
  EXPECT_EQ(FindUpdate(listing.status, kStatusUnallocated).value, "無");
}

TEST(PartitionsListing, UnallocatedSpaceAtTheEnd) {
  const std::uint64_t size = 128 * kGiB;
  TLayoutReply reply(kPartitionStyleMbr, 4);
  reply.Mbr(0, kMiB, size - kGiB - kMiB, 1, 7);
  const TPartitionListing listing = BuildPartitionListing(reply.Decode(), size);
  ASSERT_EQ(listing.rows.size(), 5u);
  EXPECT_EQ(listing.rows[4].data, -1);
  EXPECT_EQ(listing.rows[4].caption, "超過規定");
  const std::array<std::string, 6> cells = {"1.00 GB", "127.00 GB", "*", "true", "0.781", "在磁碟機結尾剩餘的未分配空間"};
  EXPECT_EQ(listing.rows[4].subItems, cells);

  TStatusProperties properties;
  ApplyStatusUpdates(listing.status, properties);
  EXPECT_EQ(properties.Entry(17).value, "1.00 GB (0.78%)");
  EXPECT_EQ(properties.Entry(17).extraDescription, "\r\n- 未格式化: 1,073,741,824 字節");
  EXPECT_EQ(properties.Entry(21).value, "1 / 4 (MBR)");
}

TEST(PartitionsListing, NoUnallocatedLineWhenNothingIsLeft) {
  TLayoutReply exact(kPartitionStyleMbr, 4);
  exact.Mbr(0, kMiB, 10 * kGiB - kMiB, 1, 7);
  // Unknown size (all bits set) makes the free count negative; a size beyond the
  // platform's signed offsets is no size at all.
  for (const std::uint64_t size : {10 * kGiB, kUnknownSize, 5 * kGiB, std::uint64_t{1} << 63}) {
    const TPartitionListing listing = BuildPartitionListing(exact.Decode(), size);
    EXPECT_EQ(listing.rows.size(), 4u) << size;
    EXPECT_EQ(FindUpdate(listing.status, kStatusUnallocated).value, "無") << size;
    EXPECT_EQ(FindUpdate(listing.status, kStatusUnallocated).descriptionLine, "") << size;
  }
}

// The unallocated space starts after the partition that ends furthest, whatever the
// order of the table's entries.
TEST(PartitionsListing, UnallocatedSpaceFollowsTheFurthestPartitionNotTheLastEntry) {
  TLayoutReply reply(kPartitionStyleMbr, 4);
  reply.Mbr(0, 9 * kGiB, kGiB, 1, 7);  // at the end of the disk
  reply.Mbr(1, kMiB, kGiB, 2, 7);      // near the start, listed later
  EXPECT_EQ(BuildPartitionListing(reply.Decode(), 10 * kGiB).rows.size(), 4u);
  // An entry whose end overflows 64 bits counts as reaching the end.
  TLayoutReply wrapped(kPartitionStyleMbr, 4);
  wrapped.Mbr(0, ~std::uint64_t{0} - kMiB, 2 * kMiB, 1, 7);
  EXPECT_EQ(BuildPartitionListing(wrapped.Decode(), 10 * kGiB).rows.size(), 4u);
}

TEST(PartitionsListing, RawUnknownAndEmptyLayouts) {
  TLayoutReply raw(kPartitionStyleRaw, 1);
  PutU32(raw.Entry(0), se::kPartitionStyle, kPartitionStyleRaw);
  const TPartitionListing rawListing = BuildPartitionListing(raw.Decode(), kGiB);
  EXPECT_EQ(rawListing.rows[0].caption, "無法識別");
  EXPECT_EQ(rawListing.rows[0].subItems[5], "n/a");
  EXPECT_EQ(FindUpdate(rawListing.status, kStatusPartitions).value, "1 (RAW)");
  EXPECT_EQ(FindUpdate(rawListing.status, kStatusPartitions).descriptionLine, "");

  TLayoutReply odd(7, 1);
  EXPECT_EQ(FindUpdate(BuildPartitionListing(odd.Decode(), kGiB).status, kStatusPartitions).value, "1 (<未知>)");
  // No entries: nothing to show and the status properties are left alone.
  const TPartitionListing none = BuildPartitionListing(TLayoutReply(kPartitionStyleGpt, 0).Decode(), kGiB);
  EXPECT_TRUE(none.rows.empty());
  EXPECT_TRUE(none.status.empty());
}

// --- Volume lines ----------------------------------------------------------------------

TEST(PartitionsVolumes, LinesOfTheDeviceAndTheSummary) {
  std::vector<TVolumeRecord> volumes(4);
  volumes[0] = {'C', 0, 2, 7, "", 0x1A2B3C4D, "NTFS", 5, 25 * kGiB, 100 * kGiB};
  volumes[1] = {'D', 1, 1, 7, "Data", 0, "NTFS", 6, kGiB, 2 * kGiB};       // another disk
  volumes[2] = {'E', 0, 1, 2, "CD", 0, "CDFS", 7, 0, 0};                    // same number, a CD-ROM
  volumes[3] = {'F', 0, 1, 7, "  Backup  ", 0x0000FFFF, "FAT32", 8, 0, 0};  // no size known

  const TVolumeListing listing = BuildVolumeListing(volumes, 7, 0);
  ASSERT_EQ(listing.rows.size(), 2u);
  EXPECT_EQ(listing.summary, "C:  F:");
  EXPECT_EQ(listing.rows[0].caption, " (C:)");
  EXPECT_EQ(listing.rows[0].imageIndex, 5);
  const std::array<std::string, 6> cCells = {"100.00 GB", "25.00 GB", "25.0", "NTFS", "2", "1a2b-3c4d"};
  EXPECT_EQ(listing.rows[0].subItems, cCells);
  EXPECT_EQ(listing.rows[1].caption, "Backup (F:)");
  EXPECT_EQ(listing.rows[1].data, 3);
  const std::array<std::string, 6> fCells = {"", "", "", "FAT32", "1", "0000-ffff"};
  EXPECT_EQ(listing.rows[1].subItems, fCells);

  EXPECT_EQ(BuildVolumeListing(volumes, 7, 1).rows[0].subItems[5], "");  // serial 0
  EXPECT_EQ(BuildVolumeListing(volumes, 7, 9).summary, "");
}

// --- Keys ------------------------------------------------------------------------------

TEST(PartitionsKeys, WhichKeysThePageHandles) {
  using A = TListKeyAction;
  const TShiftState none, ctrl{false, true, false}, ctrlShift{true, true, false}, shift{true, false, false};
  const std::tuple<std::uint16_t, TShiftState, A, A> cases[] = {
      {kKeyEnter, none, A::OpenVolume, A::None}, {kKeyEnter, shift, A::None, A::None},
      {kKeyC, ctrl, A::Copy, A::Copy},           {kKeyC, none, A::None, A::None},
      {kKeyC, ctrlShift, A::None, A::None},      {0x44, ctrl, A::None, A::None}};
  for (const auto& [key, held, volume, partition] : cases) {
    EXPECT_EQ(VolumeListKeyAction(key, held), volume) << key;
    EXPECT_EQ(PartitionListKeyAction(key, held), partition) << key;
  }
}

// --- The page's road over a recorded machine --------------------------------------------

constexpr std::string_view kMachine = R"(vexa-machine 1
[device \\.\PhysicalDrive0]
size 137438953472
answers number layout
layout mbr signature 0x1A2B3C4D
partition 1 start 1048576 length 104857600 boot yes
partition 2 start 105906176 length 136259305472
[device \\.\PhysicalDrive1]
size 2147483648
answers number
[volume C:]
disk 0
partition 2
serial 1A2B-3C4D
free 50000000000
[volume D:]
disk 1
partition 1
label "Stick"
[volume E:]
disk 0
partition 1
label "System Reserved"
free 70000000
)";

class PartitionsReplay : public ::testing::Test {
protected:
  ReplayMachine machine{ParseMachineFile(kMachine, "partitions.machine")};
};

TEST_F(PartitionsReplay, ScanListsAndFollowsPartitions) {
  std::vector<std::string> roots;
  TPartitionsModel model;
  model.Rescan(machine, [&](const std::string& root) {
    roots.push_back(root);
    return static_cast<std::int32_t>(roots.size() - 1);
  });
  EXPECT_EQ(roots, (std::vector<std::string>{"C:\\", "D:\\", "E:\\"}));
  ASSERT_EQ(model.Volumes().size(), 3u);
  EXPECT_EQ(model.Volumes()[1].deviceNumber, 1);

  TDeviceInfoPhysical device(machine, 0);
  ASSERT_TRUE(device.Open());
  device.size = 137438953472;
  model.ShowDevice(machine, &device);
  device.Close();

  ASSERT_EQ(model.VolumeRows().size(), 2u);
  EXPECT_EQ(model.VolumeRows()[0].subItems[5], "1a2b-3c4d");
  EXPECT_EQ(model.VolumeRows()[1].imageIndex, 2);
  ASSERT_EQ(model.PartitionRows().size(), 5u);
  EXPECT_EQ(model.PartitionCopyText(0), "主引導記錄 (100.0 MB) NTFS | 類型: 07; 活動: 1; 認可: 1; 隱藏扇區: 2,048");
  EXPECT_EQ(model.PartitionCopyText(9), "");
  EXPECT_EQ(model.VolumeCopyText(1), "System Reserved (E:)");
  EXPECT_EQ(model.VolumeRootPath(1), "E:\\");
  EXPECT_EQ(model.VolumeRootPath(-1), std::nullopt);

  // Following a partition line selects the volume on that partition.
  EXPECT_EQ(model.VolumeRowForPartition(1), 0);   // partition 2: C:
  EXPECT_EQ(model.VolumeRowForPartition(0), 1);   // partition 1: E:
  EXPECT_EQ(model.VolumeRowForPartition(2), -1);  // empty slot
  EXPECT_EQ(model.VolumeRowForPartition(4), -1);  // unallocated space

  TStatusProperties properties;
  std::vector<int> changed;
  properties.onChange = [&](int index) { changed.push_back(index); };
  model.ApplyStatus(properties);
  EXPECT_EQ(changed, (std::vector<int>{20, 17, 21}));
  EXPECT_EQ(properties.Entry(20).value, "C:  E:");
  EXPECT_EQ(properties.Entry(17).value, "1.00 GB (0.78%)");
  EXPECT_EQ(properties.Entry(21).value, "2 / 4 (MBR)");
  EXPECT_EQ(properties.Entry(21).extraDescription, "\r\n-- MBR 簽名: 0x1A2B3C4D");

  EXPECT_EQ(machine.RefusedCount(), 0u);
}

TEST_F(PartitionsReplay, UnreadableLayoutAndNoDevice) {
  TPartitionsModel model;
  model.Rescan(machine);
  EXPECT_EQ(model.Volumes()[0].iconIndex, -1);

  TDeviceInfoPhysical stick(machine, 1);
  ASSERT_TRUE(stick.Open());
  model.ShowDevice(machine, &stick);
  ASSERT_EQ(model.VolumeRows().size(), 1u);
  EXPECT_EQ(model.VolumeRows()[0].caption, "Stick (D:)");
  EXPECT_TRUE(model.PartitionRows().empty());
  EXPECT_EQ(model.FocusedPartitionRow(), -1);
  // Only the volumes entry: the partition entries are left alone.
  EXPECT_EQ(model.StatusUpdates(), (std::vector<TStatusUpdate>{{20, "D:", TStatusState::Plain, ""}}));

  model.ShowDevice(machine, nullptr);
  EXPECT_TRUE(model.VolumeRows().empty());
  EXPECT_TRUE(model.StatusUpdates().empty());
  EXPECT_EQ(machine.RefusedCount(), 0u);
}

}  // namespace
}  // namespace vexa
