// Two snapshots of one real Maxtor hard disk, taken at different times, as two
// readings: the drive (model, serial, firmware) from their IDENTIFY words as
// printed in the .txt files, the SMART sectors from the .bin files, both read in
// place. Between them the spin-retry count fell below its threshold (241 to 212,
// threshold 223) and the CRC error count rose from 22,047 to 29,259; reallocated
// (69) and pending (2) sectors stayed.
#include <gtest/gtest.h>

#include <sstream>

#include "device/IdentifyData.h"
#include "history/HistoryTestSupport.h"
#include "history/SmartHistory.h"
#include "knowledge/SmartDescriptors.h"
#include "knowledge/SmartTestTables.h"

namespace vexa {
namespace {

// The IDENTIFY block from the 256 hexadecimal words of an .identify.txt.
bool ReadIdentifyWords(const std::string& name, TIdentifyData& identify) {
  std::istringstream words(test::ReadText(test::RealSamplePath(name)));
  std::size_t count = 0;
  for (std::string word; words >> word && count < TIdentifyData::WordCount(); ++count)
    PutU16(identify.Block(), count * 2, static_cast<std::uint16_t>(std::stoul(word, nullptr, 16)));
  return count == TIdentifyData::WordCount();
}

TSmartReading Snapshot(const std::string& drive, const TCalendarTime& time) {
  TIdentifyData identify;
  EXPECT_TRUE(ReadIdentifyWords(drive + ".identify.txt", identify)) << test::RealSamplePath(drive + ".identify.txt");
  TSmartAttributes table;
  const auto data = test::ReadRealSample(drive + ".smartdata.bin");
  const auto thresholds = test::ReadRealSample(drive + ".thresholds.bin");
  EXPECT_FALSE(data.empty() || thresholds.empty()) << test::RealSamplePath(drive + ".smartdata.bin");
  table.Assign(data, thresholds);
  const auto descriptor = CreateSmartDescriptorFor(false, 0, nullptr);  // a hard disk not of brand 9
  descriptor->SetAttributes(&table);
  return MakeAtaReading(identify.ModelNumber(), identify.SerialNumber(), identify.FirmwareRevision(), time, *descriptor,
                        table);
}

TEST(SmartHistoryReal, MaxtorSnapshotsChangedAndGotWorse) {
  // As the other real-drive tests: a checkout without the published samples beside it.
  if (test::ReadRealSample("maxtor_96147H8_snapshot2.smartdata.bin").empty())
    GTEST_SKIP() << "real-drive sample not found: " << test::RealSamplePath("maxtor_96147H8_snapshot2.smartdata.bin");
  const TSmartReading first = Snapshot("maxtor_96147H8", test::At(1, 9));
  const TSmartReading second = Snapshot("maxtor_96147H8_snapshot2", test::At(20, 9));
  ASSERT_EQ(first.rows.size(), 30u);
  EXPECT_EQ(first.model, "Maxtor 96147H8");
  EXPECT_EQ(first.firmware, "BAC51KJ0");
  EXPECT_EQ(first.driveKey, second.driveKey);
  EXPECT_EQ(first.verdict, TSmartStatus::Good);
  EXPECT_EQ(second.verdict, TSmartStatus::CurrentReached);

  // Recorded and read back, as the console program and the pages will ask.
  test::TTempFolder folder;
  TSmartHistory history(folder.File("history.txt"));
  ASSERT_EQ(history.Record(first), TRecordResult::Stored);
  ASSERT_EQ(history.Record(second), TRecordResult::Stored);
  TSmartHistory reread(folder.File("history.txt"));
  ASSERT_TRUE(reread.Load());
  EXPECT_TRUE(reread.Messages().empty());
  ASSERT_EQ(reread.ReadingsOf(first.driveKey).size(), 2u);
  TIdentifyData identify;
  ASSERT_TRUE(ReadIdentifyWords("maxtor_96147H8.identify.txt", identify));
  EXPECT_EQ(test::ReadText(folder.File("history.txt")).find(identify.SerialNumber()), std::string::npos);

  const auto changes = reread.LastChanges(first.driveKey);
  ASSERT_TRUE(changes);
  std::vector<int> changed, worse;
  for (const TRowChange& row : changes->rows) {
    changed.push_back(row.id);
    if (row.IsWorse()) worse.push_back(row.id);
    EXPECT_FALSE(row.reset) << int(row.id);
  }
  EXPECT_EQ(changed, (std::vector<int>{1, 3, 4, 7, 8, 9, 10, 11, 12, 199, 200, 201, 202, 203, 204, 205, 207, 208}));
  EXPECT_EQ(worse, (std::vector<int>{10, 199}));
  EXPECT_EQ(changes->Find(10)->worse, TWorseReason::ReachedThreshold);
  EXPECT_EQ(changes->Find(10)->newRow.current, 212);
  EXPECT_EQ(changes->Find(199)->worse, TWorseReason::CounterRose);
  EXPECT_EQ(changes->Find(199)->oldRow.raw, 22047u);
  EXPECT_EQ(changes->Find(199)->newRow.raw, 29259u);
  EXPECT_TRUE(changes->verdictWorse);
  EXPECT_FALSE(changes->firmwareChanged);

  const auto series = reread.Series(first.driveKey, 9);  // power-on hours
  ASSERT_EQ(series.size(), 2u);
  EXPECT_EQ(series[0].raw.low, 121017u);
  EXPECT_EQ(series[1].raw.low, 135764u);
  EXPECT_EQ(series[1].time.day, 20);
}

}  // namespace
}  // namespace vexa
