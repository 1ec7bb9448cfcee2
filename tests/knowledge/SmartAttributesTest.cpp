// The attribute table: counting, the three searches and where each one stops,
// the 48-bit raw value, and bounds at the edges of the blocks.
#include "knowledge/SmartAttributes.h"

#include <gtest/gtest.h>

#include "knowledge/SmartTestTables.h"

namespace vexa {
namespace {

using test::MakeTable;

TEST(SmartAttributes, CountStopsAtFirstZeroId) {
  TSmartAttributes table;
  EXPECT_EQ(table.Count(), 0u);
  // Third entry has id 0: the entries behind it are not part of the table.
  table = MakeTable({{1}, {9}, {0}, {12}, {194}});
  EXPECT_EQ(table.Count(), 2u);
  EXPECT_FALSE(table.FindById(194));
  EXPECT_FALSE(table.FindById(12));
  EXPECT_FALSE(table.FindFirstOf(MakeSmartIdSet({12, 194})));
  // Entry() still reaches every slot, whatever its id.
  EXPECT_EQ(table.Entry(4).Id(), 194);
}

TEST(SmartAttributes, FullTableOfThirtyAndEntryBounds) {
  TSmartAttributes table;
  for (std::size_t i = 0; i < kSmartEntryCount; ++i)
    test::PutEntry(table.DataBlock(), i, {static_cast<std::uint8_t>(i + 1)});
  // A 31st "entry" lies in the status area; it must never be counted or searched.
  test::PutEntry(table.DataBlock(), kSmartEntryCount, {77});
  EXPECT_EQ(table.Count(), 30u);
  EXPECT_EQ(table.FindById(30).Id(), 30);
  EXPECT_FALSE(table.FindById(77));
  EXPECT_TRUE(table.Entry(29));
  EXPECT_FALSE(table.Entry(30));
  EXPECT_FALSE(table.Entry(static_cast<std::size_t>(-1)));
}

TEST(SmartAttributes, FindByIdGivesTheFirstOfDuplicates) {
  const TSmartAttributes table = MakeTable({{5, 100, 100, 1}, {9}, {5, 100, 100, 2}});
  EXPECT_EQ(table.FindById(5).Raw(), 1u);
  EXPECT_FALSE(table.FindById(0));  // id 0 ends the search, it is never a match
}

TEST(SmartAttributes, FindFirstOfFollowsTableOrderNotSetOrder) {
  const TSmartAttributes table = MakeTable({{9}, {194}, {190}});
  EXPECT_EQ(table.FindFirstOf(MakeSmartIdSet({190, 194})).Id(), 194);
  EXPECT_EQ(table.FindFirstOf(MakeSmartIdSet({255, 9})).Id(), 9);
  EXPECT_FALSE(table.FindFirstOf(MakeSmartIdSet({})));
}

TEST(SmartAttributes, ThresholdOfSearchesAllThirtyEntries) {
  TSmartAttributes table;
  test::PutThreshold(table.ThresholdBlock(), 0, 1, 51);
  // Slots 1..28 are empty; the last slot still counts.
  test::PutThreshold(table.ThresholdBlock(), 29, 200, 40);
  test::PutThreshold(table.ThresholdBlock(), 30, 201, 41);  // outside the 30 entries
  EXPECT_EQ(table.ThresholdOf(1), 51);
  EXPECT_EQ(table.ThresholdOf(200), 40);
  EXPECT_EQ(table.ThresholdOf(201), 0);
  EXPECT_EQ(table.ThresholdOf(9), 0);
}

TEST(SmartAttributes, EntryFieldsAndRawValue) {
  TSmartAttributes table;
  const std::uint8_t bytes[] = {194, 0x22, 0x00, 74, 46, 0x1A, 0x00, 0x13, 0x00, 0x36, 0x00, 0x5A};
  std::copy(std::begin(bytes), std::end(bytes), table.DataBlock().begin() + 2);
  const TSmartEntry entry = table.Entry(0);
  EXPECT_EQ(entry.Id(), 194);
  EXPECT_EQ(entry.Flags(), 0x0022);
  EXPECT_EQ(entry.Current(), 74);
  EXPECT_EQ(entry.Worst(), 46);
  EXPECT_EQ(entry.VendorByte(), 0x5A);
  EXPECT_EQ(TSmartAttributes::RawValue(entry), 0x0036'0013'001Au);  // bytes 5..10 only
  EXPECT_EQ(entry.Raw32(), 0x0013'001Au);

  test::PutEntry(table.DataBlock(), 1, {1, 0, 0, 0xFFFF'FFFF'FFFFull});
  EXPECT_EQ(table.Entry(1).Raw(), 0xFFFF'FFFF'FFFFull);
}

TEST(SmartAttributes, ClearAndAssign) {
  TSmartAttributes table = MakeTable({{9}}, {{9, 0}});
  table.Clear();
  EXPECT_EQ(table.Count(), 0u);
  // A short source fills what it has and leaves zeros behind it.
  const std::uint8_t shortData[] = {0x10, 0x00, 12, 0x32, 0x00, 100, 100, 7};
  table.Assign(shortData, {});
  EXPECT_EQ(table.Count(), 1u);
  EXPECT_EQ(table.Entry(0).Raw(), 7u);
  EXPECT_EQ(table.ThresholdOf(12), 0);
  // An oversized source is cut at 512 bytes.
  std::vector<std::uint8_t> big(2000, 0xEE);
  table.Assign(big, big);
  EXPECT_EQ(table.Count(), 30u);
}

}  // namespace
}  // namespace vexa
