// The history file: the interval rule, cuts and damage, newer and foreign files,
// writers appending at once, and thinning past the size limit.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "history/HistoryFormat.h"
#include "history/HistoryTestSupport.h"
#include "history/SmartHistory.h"

namespace vexa {
namespace {

using test::At;
using test::AtaReading;

TSmartReading Hours(std::uint64_t hours, TCalendarTime time, std::uint64_t pending = 0, std::uint8_t temperature = 30) {
  return AtaReading({{9, 0x32, 100, 100, 0, hours}, {194, 0x22, 70, 60, 0, temperature}, {197, 0x32, 100, 100, 0, pending}},
                    TSmartStatus::Good, "Fallback", time);
}

TEST(SmartHistory, StoresOnChangeOrWhenTheIntervalPassed) {
  struct {
    TSmartReading next;
    TRecordResult result;
  } const cases[] = {
      {Hours(100, At(1, 12, 59)), TRecordResult::Unchanged},        // same values, 59 minutes on
      {Hours(100, At(1, 12, 1), 0, 45), TRecordResult::Unchanged},  // only warmer
      {Hours(100, At(1, 13, 0)), TRecordResult::Stored},            // the hour has passed
      {Hours(100, At(1, 12, 1), 1), TRecordResult::Stored},         // a value changed
      {Hours(100, At(1, 11, 0)), TRecordResult::Unchanged},         // a clock set back
  };
  for (const auto& c : cases) {
    test::TTempFolder folder;
    TSmartHistory history(folder.File("h.txt"));
    ASSERT_EQ(history.Record(Hours(100, At(1, 12))), TRecordResult::Stored);
    EXPECT_EQ(history.Record(c.next), c.result) << LocalSeconds(c.next.time);
  }
}

TEST(SmartHistory, AFileCutAtAnyByteKeepsEveryReadingBeforeTheCut) {
  test::TTempFolder folder;
  const std::string file = folder.File("h.txt");
  TSmartHistory writer(file);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(writer.Record(Hours(100 + i, At(1, 10 + i))), TRecordResult::Stored);
  const std::string whole = test::ReadText(file);
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    const std::string part = whole.substr(0, cut);
    test::WriteText(file, part);
    TSmartHistory history(file);
    ASSERT_TRUE(history.Load());
    // Lines whose checksum made it are whole readings.
    std::size_t expected = 0;
    for (std::size_t at = part.find(" #"); at != std::string::npos; at = part.find(" #", at + 1))
      expected += at + 10 <= part.size();
    EXPECT_EQ(history.Readings().size(), expected) << "cut at " << cut;
    // A reading begun and not finished is said; a cut inside the version line is not.
    std::size_t begun = 0;
    for (std::size_t at = part.find("\nR"); at != std::string::npos; at = part.find("\nR", at + 1)) ++begun;
    EXPECT_EQ(!history.Messages().empty(), begun > expected) << "cut at " << cut;
    EXPECT_TRUE(history.IsWritable()) << "cut at " << cut;
  }
  // A write after a cut ends the cut line first, so the new reading stands on its own;
  // a file cut inside its version line (the first write did not finish) starts again.
  for (const std::size_t cut : {whole.size() - 7, std::size_t{9}}) {
    test::WriteText(file, whole.substr(0, cut));
    TSmartHistory history(file);
    ASSERT_EQ(history.Record(Hours(200, At(2, 10))), TRecordResult::Stored);
    ASSERT_TRUE(history.Load());
    EXPECT_EQ(history.Readings().size(), cut == 9 ? 1u : 3u);
    EXPECT_EQ(history.Readings().back().rows[0].raw, 200u);
  }
}

TEST(SmartHistory, DamageInTheMiddleSkipsOnlyThatLineAndStaysInTheFile) {
  test::TTempFolder folder;
  const std::string file = folder.File("h.txt");
  TSmartHistory writer(file);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(writer.Record(Hours(100 + i, At(1, 10 + i))), TRecordResult::Stored);
  std::string text = test::ReadText(file);
  const std::size_t second = text.find("\nR", text.find("\nR") + 1);
  text[second + 30] = '~';
  test::WriteText(file, text);

  TSmartHistory history(file);
  ASSERT_EQ(history.Record(Hours(200, At(2, 10))), TRecordResult::Stored);
  ASSERT_EQ(history.Readings().size(), 3u);
  EXPECT_EQ(history.Readings()[1].rows[0].raw, 102u);
  ASSERT_EQ(history.Messages().size(), 1u);
  EXPECT_NE(history.Messages()[0].find("line 3: its checksum does not match"), std::string::npos) << history.Messages()[0];
  EXPECT_EQ(test::ReadText(file).substr(0, text.size()), text);  // untouched
}

TEST(SmartHistory, NewerAndForeignFilesAreReadAsFarAsUnderstoodAndNeverWritten) {
  const std::string reading = FormatHistoryLine(Hours(100, At(1, 10)));
  const std::string newer = "Vexa SMART history 2\n" + reading + "\n" + SealHistoryLine("E 2031-01-01T00:00:00 k=ab") + "\n";
  const std::string foreign = "[system]\r\ndevice_index=0\r\n";
  for (const std::string& contents : {newer, foreign}) {
    test::TTempFolder folder;
    const std::string file = folder.File("h.txt");
    test::WriteText(file, contents);
    TSmartHistory history(file);
    EXPECT_EQ(history.Record(Hours(200, At(2, 10))), TRecordResult::Refused);
    EXPECT_EQ(test::ReadText(file), contents);
    EXPECT_EQ(history.Readings().size(), contents == newer ? 1u : 0u);
    EXPECT_FALSE(history.IsWritable());
    ASSERT_FALSE(history.Messages().empty());
  }
}

TEST(SmartHistory, AFolderThatCannotBeWrittenTurnsHistoryOffWithAMessage) {
  test::TTempFolder folder;
  TSmartHistory history(folder.File("missing-folder/h.txt"));
  EXPECT_EQ(history.Record(Hours(100, At(1, 10))), TRecordResult::Refused);
  ASSERT_EQ(history.Messages().size(), 1u);
  EXPECT_NE(history.Messages()[0].find("History is off"), std::string::npos);
}

TEST(SmartHistory, WritersAppendingAtOnceNeverInterleave) {
  test::TTempFolder folder;
  const std::string file = folder.File("h.txt");
  constexpr int kWriters = 4, kEach = 40;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&file, w] {
      TSmartHistory history(file);  // each its own, as separate programs would be
      for (int i = 0; i < kEach; ++i) {
        TSmartReading reading = Hours(static_cast<std::uint64_t>(w * 1000 + i), At(1, 1));
        reading.driveKey = DriveKey("drive", std::to_string(w));  // each writer its drive: every reading a change
        history.Record(reading);
      }
    });
  for (std::thread& writer : writers) writer.join();
  TSmartHistory history(file);
  ASSERT_TRUE(history.Load());
  EXPECT_TRUE(history.Messages().empty()) << history.Messages()[0];
  EXPECT_EQ(history.Readings().size(), std::size_t{kWriters * kEach});
}

// A history keeps what it read while the file stays as it left it; whatever another
// program does to the file in between must be seen by the next Load and Record.
TEST(SmartHistory, WhatOthersDoToTheFileIsSeenByTheNextLoad) {
  const auto otherDrive = [](std::uint64_t hours) {
    TSmartReading reading = Hours(hours, At(2, 10));
    reading.driveKey = DriveKey("other", "drive");
    return reading;
  };
  struct {
    const char* what;
    std::function<void(const std::string& file)> change;
    std::size_t readings;  // what a Load sees afterwards
  } const cases[] = {
      {"another program appends", [&](const std::string& file) { TSmartHistory(file).Record(otherDrive(7)); }, 3},
      {"rewritten whole, same size, later time",
       [](const std::string& file) {
         std::string text = test::ReadText(file);
         text.replace(text.rfind("\nR"), std::string::npos, "\n");  // the last reading gone...
         text.resize(test::ReadText(file).size(), '\n');            // ...in a file of the same size
         const auto time = std::filesystem::last_write_time(file);
         test::WriteText(file, text);
         std::filesystem::last_write_time(file, time + std::chrono::seconds(2));
       },
       1},
      {"removed", [](const std::string& file) { std::filesystem::remove(file); }, 0},
  };
  for (const auto& c : cases) {
    test::TTempFolder folder;
    const std::string file = folder.File("h.txt");
    TSmartHistory history(file);
    ASSERT_EQ(history.Record(Hours(100, At(1, 10))), TRecordResult::Stored);
    ASSERT_EQ(history.Record(Hours(101, At(1, 11))), TRecordResult::Stored);
    ASSERT_TRUE(history.Load());
    c.change(file);
    ASSERT_TRUE(history.Load());
    EXPECT_EQ(history.Readings().size(), c.readings) << c.what;
    // And the next reading lands after whatever is there now, none lost.
    ASSERT_EQ(history.Record(Hours(102, At(1, 12))), TRecordResult::Stored) << c.what;
    TSmartHistory fresh(file);
    ASSERT_TRUE(fresh.Load());
    EXPECT_EQ(fresh.Readings().size(), c.readings + 1) << c.what;
    EXPECT_EQ(history.Readings().size(), c.readings + 1) << c.what;
  }
}

TEST(SmartHistory, ThinningKeepsEveryChangeAndDropsRepeats) {
  test::TTempFolder folder;
  const std::string file = folder.File("h.txt");
  const std::size_t lineSize = FormatHistoryLine(Hours(100, At(1, 0))).size() + 1;
  TSmartHistory history(file, {3600, 20 * lineSize});
  // 60 hourly readings: hours grow each time, pending sectors rise at 10, 30 and 50.
  std::uint64_t pending = 0;
  for (int i = 0; i < 60; ++i) {
    if (i % 20 == 10) ++pending;
    ASSERT_EQ(history.Record(Hours(100 + i, At(1 + i / 24, i % 24), pending)), TRecordResult::Stored) << i;
  }
  ASSERT_TRUE(history.Load());
  EXPECT_LE(test::ReadText(file).size(), 20 * lineSize);
  const auto series = history.Series(history.Readings()[0].driveKey, 197);
  std::vector<std::uint64_t> hoursWhereRisen;
  for (std::size_t i = 1; i < series.size(); ++i)
    if (series[i].raw > series[i - 1].raw) hoursWhereRisen.push_back(series[i].time.hour + 24u * (series[i].time.day - 1));
  EXPECT_EQ(hoursWhereRisen, (std::vector<std::uint64_t>{10, 30, 50}));  // each rise kept at its reading
  EXPECT_EQ(history.Series(history.Readings()[0].driveKey, 9).front().raw.low, 100u);  // the first stays
  EXPECT_EQ(history.Series(history.Readings()[0].driveKey, 9).back().raw.low, 159u);   // and the last
  EXPECT_TRUE(history.Messages().empty());
}

TEST(SmartHistory, RepeatsGoFirstAndReadingsThatAllHoldChangesStay) {
  const std::size_t lineSize = FormatHistoryLine(Hours(100, At(1, 0))).size() + 1;
  {
    test::TTempFolder folder;
    TSmartHistory history(folder.File("h.txt"), {3600, 8 * lineSize});
    for (int i = 0; i < 12; ++i) ASSERT_EQ(history.Record(Hours(100, At(1, i), i / 6)), TRecordResult::Stored);
    ASSERT_TRUE(history.Load());
    const auto series = history.Series(history.Readings()[0].driveKey, 197);
    ASSERT_LT(series.size(), 9u);
    EXPECT_EQ(series.front().time.hour, 0);
    EXPECT_EQ(series.back().time.hour, 11);
    std::vector<int> risesAt;
    for (std::size_t i = 1; i < series.size(); ++i)
      if (series[i].raw > series[i - 1].raw) risesAt.push_back(series[i].time.hour);
    EXPECT_EQ(risesAt, std::vector<int>{6});
  }
  test::TTempFolder folder;
  TSmartHistory history(folder.File("h.txt"), {3600, 8 * lineSize});
  for (int i = 0; i < 12; ++i) ASSERT_EQ(history.Record(Hours(100, At(1, i), i)), TRecordResult::Stored);
  EXPECT_EQ(history.Readings().size(), 12u);  // every one a change: above the limit, kept
  EXPECT_FALSE(history.Messages().empty());
}

}  // namespace
}  // namespace vexa
