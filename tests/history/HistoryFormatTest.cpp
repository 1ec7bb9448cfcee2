// A reading's line: what goes in comes back, and a line that was touched is known.
#include <gtest/gtest.h>

#include "history/HistoryFormat.h"
#include "history/HistoryTestSupport.h"

namespace vexa {
namespace {

TEST(HistoryFormat, ReadingsComeBackWhole) {
  TSmartReading ata = test::AtaReading({{5, 0x0033, 100, 99, 36, 0xFFFFFFFFFFFFull}, {194, 0x0022, 30, 20, 0, 40}},
                                       TSmartStatus::WorstReached);
  ata.model = "Odd %20 model, with #=: and \xE5\xA5\xBD\n";
  ata.firmware = "SBFM61.3";
  TSmartReading nvme = test::NvmeReading({{"media_errors", {7, 0xFFFFFFFFFFFFFFFFull}}, {"critical_warning", {4, 0}}});
  for (const TSmartReading& reading : {ata, nvme}) {
    const std::string line = FormatHistoryLine(reading);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    const TParsedLine parsed = ParseHistoryLine(line);
    ASSERT_EQ(parsed.status, TLineStatus::Reading) << line << ": " << parsed.problem;
    EXPECT_TRUE(parsed.reading.SameValues(reading)) << line;
    EXPECT_EQ(LocalSeconds(parsed.reading.time), LocalSeconds(reading.time));
  }
}

TEST(HistoryFormat, TouchedLinesAreKnown) {
  const std::string line = FormatHistoryLine(test::AtaReading({{5, 0x0033, 100, 100, 36, 1}}));
  std::string flipped = line;
  flipped[20] ^= 1;
  EXPECT_EQ(ParseHistoryLine(line.substr(0, line.size() - 1)).status, TLineStatus::Damaged);
  EXPECT_EQ(ParseHistoryLine(line.substr(0, line.size() / 2)).status, TLineStatus::Damaged);
  EXPECT_EQ(ParseHistoryLine(flipped).status, TLineStatus::Damaged);
  EXPECT_EQ(ParseHistoryLine("").status, TLineStatus::Damaged);
  EXPECT_EQ(ParseHistoryLine(SealHistoryLine("R 2024-03-01T12:00:00 k=ab v=1 a=5.0033.100.100.36.1.7")).status,
            TLineStatus::Damaged);  // a row of seven numbers
  // What a newer writer may add: a kind of line, a field.
  EXPECT_EQ(ParseHistoryLine(SealHistoryLine("E 2030-01-01T00:00:00 k=ab event=x")).status, TLineStatus::Unknown);
  const TParsedLine extended = ParseHistoryLine(SealHistoryLine("R 2024-03-01T12:00:00 k=ab v=1 zz=new a=5.0033.100.100.36.1"));
  ASSERT_EQ(extended.status, TLineStatus::Reading);
  EXPECT_EQ(extended.reading.rows.at(0).raw, 1u);
}

TEST(HistoryFormat, VersionLine) {
  EXPECT_EQ(ParseHistoryVersionLine(HistoryVersionLine()), kHistoryVersion);
  EXPECT_EQ(ParseHistoryVersionLine("Vexa SMART history 2"), 2);
  EXPECT_FALSE(ParseHistoryVersionLine("[system]"));
  EXPECT_FALSE(ParseHistoryVersionLine("Vexa SMART history x"));
}

}  // namespace
}  // namespace vexa
