// The fourteen decoders: their order, that each pattern has one action per capture
// group, the sizes of their code tables, the worked examples of the SSD and
// hard-disk schemes, and real model numbers of the sample drives.
#include "knowledge/decoders/ModelDecoders.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vexa {
namespace {

using TRows = std::vector<std::pair<std::string, std::string>>;

TRows RowsOf(const TModelDecoder& decoder) {
  TRows rows;
  for (int i = 0; i < decoder.RowCount(); ++i) rows.emplace_back(decoder.RowLabel(i), decoder.RowValue(i));
  return rows;
}

std::vector<std::string> CapturesOf(const TModelDecoder& decoder) {
  std::vector<std::string> captures;
  for (int i = 0; i < decoder.Regex().CaptureCount(); ++i) captures.push_back(decoder.Regex().GetCapture(i));
  return captures;
}

// Capture groups as compiled: each group closes on a segment after it opened.
int CaptureGroups(const TRegExSimple& regex) {
  int groups = 0;
  bool open = false;
  for (int i = 0; i < regex.Builder().SegmentCount(); ++i) {
    const TRegExSegment* segment = regex.Builder().GetSegment(i);
    if (segment->opensGroup) open = true;
    if (segment->closesGroup && open) {
      ++groups;
      open = false;
    }
  }
  return groups;
}

const struct TDecoderFacts {
  const char* name;
  const TDecoderDefinition& (*tables)();
  std::vector<int> tableSizes;  // -1 for a formatted capture
  const char* sample;           // a model number the pattern matches
} kDecoders[] = {
    {"Samsung SSD", SamsungDecoderTables, {1, 2, 11, 6, 11, -1, 1, 5, 12, 0}, "MZ7TE256HMHP-000L7"},
    {"Intel SSD", IntelDecoderTables, {1, 8, 7, 3, 2, -1, 3, 0}, "SSDSA2CW120G3"},
    {"OCZ SSD", OczDecoderTables, {1, 0, 0}, "OCZ-VERTEX4"},
    {"LiteOn SSD", LiteOnDecoderTables, {10, 3, -1, 0}, "LCS-256M6S"},
    {"Kingston SDD", KingstonDecoderTables, {1, 15, 0, 2, 3, 4, 3, -1, 0}, "SV300S37A120G"},
    {"SanDisk SSD", SanDiskDecoderTables, {1, 1, 8, -1}, "SDSSDXPS480G"},
    {"Toshiba SSD", ToshibaDecoderTables, {1, 3, 7, -1, 6, 6, 6}, "THNSNH128GBST"},
    {"Crucial SSD", CrucialDecoderTables, {2, -1, 0, 0, 2, 4}, "CT250MX500SSD1"},
    {"Micron SSD", MicronDecoderTables, {2, 1, 3, 7, -1, 3, 10, 0, 2, 0, 0, 0, 0, 0}, "MTFDDAK256MAM-1K1"},
    {"Mushkin SSD", MushkinDecoderTables, {1, 1, 6, -1}, "MKNSSDCR240GB"},
    {"Transcend SSD", TranscendDecoderTables, {1, -1, 5, 0}, "TS128GSSD370"},
    {"Western Digital HDD", WdcHddDecoderTables, {1, -1, 17, 26, 23, 13}, "WD10EZEX"},
    {"Hitatchi/HGST HDD", HitachiHddDecoderTables, {1, 6, 4, -1, -1, -1, 0, 6, 7, 6, 0}, "HTS725050A7E630"},
    {"Seagate HDD (新型態)", SeagateHddDecoderTables, {2, -1, 14, 0, 0}, "ST1000DM003-1CH162"},
};

TEST(ModelDecoders, ListHasTheFourteenInTheirOrder) {
  const auto decoders = CreateModelDecoders();
  ASSERT_EQ(decoders.size(), std::size(kDecoders));
  ASSERT_EQ(decoders.size(), static_cast<std::size_t>(kModelDecoderCount));
  for (std::size_t i = 0; i < decoders.size(); ++i) {
    EXPECT_EQ(decoders[i]->GetName(), kDecoders[i].name);
    EXPECT_EQ(decoders[i]->Regex().Pattern(), kDecoders[i].tables().pattern) << kDecoders[i].name;
  }
}

TEST(ModelDecoders, OneActionPerCaptureGroupAndTableSizes) {
  const auto decoders = CreateModelDecoders();
  for (std::size_t d = 0; d < decoders.size(); ++d) {
    const TModelDecoder& decoder = *decoders[d];
    const TDecoderFacts& facts = kDecoders[d];
    SCOPED_TRACE(facts.name);
    const TCaptureActions& actions = decoder.Actions();
    EXPECT_EQ(actions.Count(), CaptureGroups(decoder.Regex()));
    ASSERT_EQ(actions.Count(), static_cast<int>(facts.tableSizes.size()));
    for (int i = 0; i < actions.Count(); ++i) {
      const TCaptureAction& action = *actions.GetAction(i);
      EXPECT_EQ(action.name, facts.tables().captures[static_cast<std::size_t>(i)].label);
      const int expected = facts.tableSizes[static_cast<std::size_t>(i)];
      if (expected < 0) {
        EXPECT_EQ(action.kind, TCaptureAction::TKind::Call) << i;
        EXPECT_EQ(action.context, &decoder) << i;
      } else {
        EXPECT_EQ(action.kind, TCaptureAction::TKind::Table) << i;
        EXPECT_EQ(static_cast<int>(action.table.size()), expected) << i;
      }
    }
    // The sample matches and every row has an action of its own.
    ASSERT_EQ(decoders[d]->Decode(facts.sample), actions.Count()) << facts.sample;
    for (int i = 0; i < decoder.RowCount(); ++i) EXPECT_NE(decoder.RowValue(i), "") << i;
  }
}

TEST(ModelDecoders, TableRowsKeepTheirExactText) {
  const struct {
    const TDecoderDefinition& (*tables)();
    int capture;
    int row;
    const char* code;
    const char* meaning;
  } rows[] = {
      {SamsungDecoderTables, 2, 0, "5", "SATA II, 3Gbit/s, 2.5\" 9.5 mm*"},
      {SamsungDecoderTables, 4, 9, "U", "S4LNO53X01"},
      {SamsungDecoderTables, 8, 11, "GR", "512G QDP 4CE"},
      {KingstonDecoderTables, 1, 4, "HPM", "HyperX Predetor M.2"},
      {KingstonDecoderTables, 5, 0, "", "Single Pack"},
      {LiteOnDecoderTables, 1, 0, "", "<未指定>"},
      {IntelDecoderTables, 1, 6, "US", "USB (通用序列總線程)"},
      {ToshibaDecoderTables, 6, 5, "8", "?nm TLC (*)"},
      {MicronDecoderTables, 6, 9, "BP", "M510DC"},
      {WdcHddDecoderTables, 3, 0, "0", "Dual Drive SSHD/WD Black²™"},
      {WdcHddDecoderTables, 5, 2, "C", "ATA with 33-pin connector (zero insertion force—ZIF)"},
      {HitachiHddDecoderTables, 8, 6, "E6", "SATA 6Gbit/s, Advanced Format, 512 bytes/sector emulation"},
      {SeagateHddDecoderTables, 2, 13, "AS", "Archive SMR"},
  };
  for (const auto& r : rows) {
    const TDecoderDefinition& definition = r.tables();
    SCOPED_TRACE(std::string(definition.name));
    const TCodeEntry& entry = definition.captures[static_cast<std::size_t>(r.capture)].table[static_cast<std::size_t>(r.row)];
    EXPECT_EQ(entry.code, r.code);
    EXPECT_EQ(entry.meaning, r.meaning);
  }
}

TEST(ModelDecoders, SamsungExample) {
  TModelDecoderSamsung decoder;
  ASSERT_EQ(decoder.Decode("SAMSUNG MZ7TE256HMHP-000L7"), 10);
  EXPECT_EQ(decoder.MatchedText(), "MZ7TE256HMHP-000L7");
  const TRows expected = {
      {"Part Type", "記憶體"},
      {"Module Classification", "SSD"},
      {"Form Factor", "SATA III, 6Gbit/s, 2.5\" 7 mm"},
      {"Line-Up", "PM*: TLC*"},
      {"SSD Controller", "S4LN045X01 / MEX"},
      {"Capacity", "256.0 G字節"},
      {"NAND PKG + NAND Voltage", "BGA (LF,HF)"},
      {"Flash Generation", "1st"},
      {"NAND Density", "1T ODP 8CE"},
      {"Internal Value", "<未知>"},
  };
  EXPECT_EQ(RowsOf(decoder), expected);
  EXPECT_EQ(decoder.Regex().GetCapture(9), "000L7");
}

TEST(ModelDecoders, KingstonExampleWithEmptyCodes) {
  TModelDecoderKingston decoder;
  ASSERT_EQ(decoder.Decode("KINGSTON SV300S37A120G"), 9);
  EXPECT_EQ(decoder.MatchedText(), "SV300S37A120G");
  EXPECT_EQ(CapturesOf(decoder), (std::vector<std::string>{"S", "V", "300", "", "S3", "", "7A", "120G", ""}));
  const TRows expected = {
      {"裝置類型", "Solid State Drive"}, {"品牌", "Value"},     {"系列", "<未知>"},
      {"加密", "No Encryption"},         {"SATA介面", "SATA Rev. 3.0 (6Gb/s)"},
      {"包裝", "Single Pack"},           {"磁碟機高度", "9.5 mm"}, {"容量", "120.0 G字節"},
      {"散裝包裝", "<未知>"},
  };
  EXPECT_EQ(RowsOf(decoder), expected);
}

TEST(ModelDecoders, LowerCaseModelMatchesButFindsNoCodes) {
  TModelDecoderSamsung decoder;
  ASSERT_EQ(decoder.Decode("mz7te256hmhp"), 10);
  EXPECT_EQ(decoder.RowValue(0), "<未知>");
  EXPECT_EQ(decoder.RowValue(2), "SATA III, 6Gbit/s, 2.5\" 7 mm");  // a digit has no case
  EXPECT_EQ(decoder.RowValue(3), "<未知>");
  EXPECT_EQ(decoder.RowValue(5), "256.0 G字節");
}

TEST(ModelDecoders, WesternDigitalCapacityFromTheUnitLetter) {
  TModelDecoderWdcHdd decoder;
  ASSERT_EQ(decoder.Decode("WDC WD10EZEX-08M2NA0"), 6);
  EXPECT_EQ(decoder.MatchedText(), "WD10EZEX");
  const TRows expected = {
      {"公司縮寫", "Western Digital"},
      {"容量", "1.0 T字節"},
      {"容量單位/外形", "TB/3.5-inch"},
      {"商業單位/品牌", "Desktop Advanced Format/WD Blue; WD Black; WD Green; WD Caviar"},
      {"RPM/緩沖區大小或屬性", "7200 RPM with 64 MB cache (<2 TB)"},
      {"介面/連線器", "SATA 6 Gb/s with 22-pin SATA connector"},
  };
  EXPECT_EQ(RowsOf(decoder), expected);

  const struct {
    const char* model;
    const char* capacity;
  } cases[] = {
      {"WDC WD5000AAKX-00ERMA0", "500.0 G字節"},  // four digits, unit letter A
      {"WD6002FRYZ", "6.0 T字節"},                // new F format: first digit only
      {"WD100EFAX", "10.0 T字節"},                // F as the second letter changes nothing
      {"WD3200AAKS", "320.0 G字節"},
      {"WD2500QAKX", "2500"},  // Q is no unit letter: the digits stay unformatted
      {"wd5000aakx", "5000"},  // lower-case unit letter finds no unit
  };
  for (const auto& c : cases) {
    ASSERT_EQ(decoder.Decode(c.model), 6) << c.model;
    EXPECT_EQ(decoder.RowValue(1), c.capacity) << c.model;
  }
}

TEST(ModelDecoders, HitachiCapacityAndSpindleSpeed) {
  TModelDecoderHitachiHdd decoder;
  ASSERT_EQ(decoder.Decode("HGST HTS725050A7E630"), 11);
  EXPECT_EQ(decoder.MatchedText(), "HTS725050A7E630");
  const TRows expected = {
      {"公司函", "Hitachi"},
      {"家庭", "Travelstar"},
      {"系列", "Standard"},
      {"RPM", "7,200 RPM"},
      {"時代最大容量", "500.0 G字節 / 5.0 T字節"},
      {"容量", "500.0 G字節 / 5.0 T字節"},
      {"時代代碼", "<未知>"},
      {"外形因素 z 高度", "2.5 inch x 7 mm"},
      {"介面", "SATA 6Gbit/s, Advanced Format, 512 bytes/sector emulation"},
      {"功能代碼/快取大小", "32 MB"},
      {"獨特時代代碼 (加密)", "<未知>"},
  };
  EXPECT_EQ(RowsOf(decoder), expected);
  EXPECT_EQ(decoder.FormatCapacity(4, "5"), "50.0 G字節");  // too short for the second reading
  EXPECT_EQ(decoder.FormatCapacity(4, "10"), "100.0 G字節 / 1.0 T字節");
}

TEST(ModelDecoders, SeagateAndMaxtor) {
  TModelDecoderSeagateHdd decoder;
  ASSERT_EQ(decoder.Decode("ST1000DM003-1CH162"), 5);
  const TRows expected = {
      {"品牌", "Seagate 科技"}, {"容量", "1,000.0 G字節"}, {"段", "主流"}, {"屬性", "<未知>"}, {"時代", "<未知>"},
  };
  EXPECT_EQ(RowsOf(decoder), expected);
  EXPECT_EQ(decoder.Regex().GetCapture(4), "");
  ASSERT_EQ(decoder.Decode("MX2000LM003"), 5);
  EXPECT_EQ(decoder.RowValue(0), "Maxtor");
  EXPECT_EQ(decoder.RowValue(2), "主流筆記型電腦");
}

// Model numbers of the sample drives: every decoder whose pattern matches, in list
// order (generic patterns match other vendors' numbers too), and the rows that
// identify the drive.
TEST(ModelDecoders, RealModelNumbers) {
  const struct {
    const char* model;
    std::vector<std::string> decoders;
    TRows firstRows;  // rows of the first matching decoder, from row 0
  } cases[] = {
      {"SSDSA2CW120G3",
       {"Intel SSD", "SanDisk SSD"},
       {{"產品類型代號", "固態硬碟"}, {"總線程架構", "SATA"}, {"外形因素", "2.5 inch"}, {"產品技術類型", "<未知>"},
        {"效能", "<未知>"}, {"容量", "120.0 G字節"}, {"產品時代", "<G>"}, {"時代 ID", "<未知>"}}},
      {"SA400S37240G",
       {"Kingston SDD"},
       {{"裝置類型", "Solid State Drive"}, {"品牌", "<未知>"}, {"系列", "<未知>"}, {"加密", "No Encryption"},
        {"SATA介面", "SATA Rev. 3.0 (6Gb/s)"}, {"包裝", "Single Pack"}, {"磁碟機高度", "7 mm"},
        {"容量", "240.0 G字節"}}},
      {"THNSNH128GBST",
       {"Toshiba SSD", "Mushkin SSD"},
       {{"型號名稱", "Toshiba NAND 磁碟"}, {"型號類型", "Normal SSD"}, {"控制器類型", "HG5d"},
        {"容量", "128.0 G字節"}, {"外形因素", "2.5-type case (9.5mm height)"}, {"介面類型", "Standard SATA"},
        {"NAND 進程", "19nm MLC (b) (*)"}}},
      {"HDS721010CLA632",
       {"Hitatchi/HGST HDD"},
       {{"公司函", "Hitachi"}, {"家庭", "Deskstar"}, {"系列", "Standard"}, {"RPM", "7,200 RPM"},
        {"時代最大容量", "100.0 G字節 / 1.0 T字節"}, {"容量", "100.0 G字節 / 1.0 T字節"}, {"時代代碼", "<未知>"},
        {"外形因素 z 高度", "3.5 inch x 1 inch"}, {"介面", "SATA 6Gbit/s"}, {"功能代碼/快取大小", "32 MB"}}},
      {"HDE721010SLA330",
       {"Hitatchi/HGST HDD"},
       {{"公司函", "Hitachi"}, {"家庭", "Deskstar"}, {"系列", "<未知>"}, {"RPM", "7,200 RPM"}}},
  };
  auto decoders = CreateModelDecoders();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    std::vector<std::string> matched;
    TRows firstRows;
    for (const auto& decoder : decoders) {
      if (decoder->Decode(c.model) == 0) continue;
      matched.emplace_back(decoder->GetName());
      if (firstRows.empty()) firstRows = RowsOf(*decoder);
    }
    EXPECT_EQ(matched, c.decoders);
    ASSERT_GE(firstRows.size(), c.firstRows.size());
    firstRows.resize(c.firstRows.size());
    EXPECT_EQ(firstRows, c.firstRows);
  }
}

// Model strings come from drives and the command line: odd bytes, huge digit runs
// and empty strings give no rows or plain rows, never a crash.
TEST(ModelDecoders, HostileModelStrings) {
  std::string allBytes;
  for (int b = 255; b >= 0; --b) allBytes.push_back(static_cast<char>(b));
  const std::string subjects[] = {
      "",
      allBytes,
      std::string(5000, 'W'),
      "SV" + std::string(3000, '9') + "S37A" + std::string(3000, '9') + "G",
      "TS" + std::string(400, '1') + "GSSD1",
      "WD" + std::string(4, '\xff') + "EZEX",
      "H\tD\nS721010CLA632",
  };
  for (const auto& decoder : CreateModelDecoders()) {
    for (const std::string& subject : subjects) {
      const int rows = decoder->Decode(subject);
      EXPECT_EQ(rows, decoder->RowCount());
      if (rows == 0) {
        EXPECT_EQ(decoder->MatchedText(), "");
      }
    }
  }
  TModelDecoderTranscend transcend;
  ASSERT_EQ(transcend.Decode(subjects[4]), 4);
  EXPECT_EQ(transcend.RowValue(1), std::string(400, '1') + "G");  // too large a number: shown as captured
}

}  // namespace
}  // namespace vexa
