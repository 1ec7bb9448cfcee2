// What one report says: names per family, byte-size texts, odd members and numbers,
// the drive key; and the histogram's buckets. (The pages are checked by models.sh.)
#include <gtest/gtest.h>

#include <limits>
#include <map>

#include "Figures.h"
#include "Histogram.h"

namespace vexa::collector {

namespace {

using nlohmann::json;
constexpr std::int64_t Max64 = std::numeric_limits<std::int64_t>::max();

json Attribute(const char* name, json raw, const char* formatted) {
  return {{"名稱", name}, {"索引", 1}, {"值", 100}, {"不良", 100}, {"閾", 0}, {"原\xEF\xBF\xBD", raw}, {"格式化", formatted}};
}

// Two characters per word, the first in the high byte.
json Words(const std::string& serial) {
  json words = json::array();
  for (int i = 0; i < 256; ++i) words.push_back(0);
  const std::string padded = (serial + std::string(20, ' ')).substr(0, 20);
  for (std::size_t i = 0; i < 10; ++i)
    words[10 + i] = static_cast<unsigned char>(padded[2 * i]) << 8 | static_cast<unsigned char>(padded[2 * i + 1]);
  return words;
}

json Report(json attributes, const std::string& serial = "", json nvme = nullptr) {
  json report = {{"裝置訊息", {{"型號", "VEXA TEST SSD 256GB"}}},
                 {"smart屬性", attributes},
                 {"識別碼", serial.empty() ? json::array() : Words(serial)}};
  if (!nvme.is_null()) report["nvme"] = nvme;
  return report;
}

}  // namespace

TEST(FigureNames, EachMeaningHasItsNamesAndNoNameTwoMeanings) {
  std::map<TFigureMeaning, int> counts;
  std::map<std::string_view, int> uses;
  for (const TFigureName& row : FigureNames()) {
    ++counts[row.meaning];
    ++uses[row.name];
  }
  EXPECT_EQ(FigureNames().size(), 20u);
  EXPECT_EQ(counts[TFigureMeaning::PowerOnTime], 1);
  EXPECT_EQ(counts[TFigureMeaning::ReallocatedSectors], 3);
  EXPECT_EQ(counts[TFigureMeaning::PendingSectors], 2);
  EXPECT_EQ(counts[TFigureMeaning::UncorrectableSectors], 5);
  EXPECT_EQ(counts[TFigureMeaning::HostWrites], 9);
  for (const auto& [name, count] : uses) EXPECT_EQ(count, 1) << name;
  EXPECT_EQ(MeaningOfName("開機時間 (POH)"), TFigureMeaning::PowerOnTime);
  EXPECT_EQ(MeaningOfName("退役塊次數"), TFigureMeaning::ReallocatedSectors);
  EXPECT_EQ(MeaningOfName("Uncorrectable Sector Count"), TFigureMeaning::UncorrectableSectors);
  EXPECT_EQ(MeaningOfName("主機程式頁次數"), TFigureMeaning::HostWrites);
  EXPECT_EQ(MeaningOfName("總計 NAND 寫入"), std::nullopt);
}

TEST(ParseByteSize, ReadsTheProgramsTextsAndRefusesTheRest) {
  const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
      {"1,234.5 GB", 1325534281728},
      {"\xC2\xA4 2.921 TB", 3211673464734},
      {"8.077 TB", 8880755417547},
      {"1,234,567 bytes", 1234567},
      {"512 bytes", 512},
      {"0.5 kB", 512},
      {"1.5 bytes", 2},  // half up
      {"8,191.9999 PB", 9223371924264785124},
      {"8,192.0000 PB", std::nullopt},  // 2^63 bytes
      {"16,383.9999 PB", std::nullopt},
      {"123456789012345678901 bytes", std::nullopt},
      {"", std::nullopt},
      {"GB", std::nullopt},
      {"1.5", std::nullopt},
      {"1,23 GB", std::nullopt},
      {"1,2345 GB", std::nullopt},
      {",123 GB", std::nullopt},
      {"1234,567 GB", std::nullopt},
      {"1. GB", std::nullopt},
      {"1.2.3 GB", std::nullopt},
      {"1.5 gb", std::nullopt},
      {"1.5  GB", std::nullopt},
      {"-1 GB", std::nullopt},
      {"1.5 GiB", std::nullopt},
      {"1.5 EB", std::nullopt},
      {"\xC2\xA4" "1.5 GB", std::nullopt},
      {"1,342", std::nullopt},
  };
  for (const auto& [text, bytes] : cases) EXPECT_EQ(ParseByteSize(text), bytes) << text;
}

TEST(ExtractFigures, ReadsEachFamilysNamesAndOnlyThose) {
  struct TCase {
    const char* what;
    json attributes;
    TReportFigures expected;
  };
  const TCase cases[] = {
      {"base names",
       {Attribute("重新分配扇區次數", 3, "3"), Attribute("開機時間 (POH)", 5121, "213d 9h"),
        Attribute("目前掛起扇區次數", 0, ""), Attribute("無法糾正扇區次數", 1, "1")},
       {.powerOnHours = 5121, .reallocatedSectors = 3, .pendingSectors = 0, .uncorrectableSectors = 1}},
      {"SandForce: id 5 is hidden blocks, 198 uncorrectable",
       {Attribute("隱藏塊計數", 7, "7"), Attribute("無法糾正扇區次數", 2, "2"),
        Attribute("未壓縮的主機寫入", 100, "100.0 GB"), Attribute("已壓縮 NAND 寫入", 300, "300.0 GB")},
       {.uncorrectableSectors = 2, .hostWritesBytes = 107374182400}},
      {"Indilinx: 198 is sectors read, 197 unreadable blocks, 199 sectors written",
       {Attribute("累計執行時壞塊", 4, "4"), Attribute("讀取失敗塊次數 (不可糾正)", 5, "5"),
        Attribute("讀取扇區總次數", 2, "2.00 GB"), Attribute("寫入扇區總次數", 3, "3.00 GB")},
       {.reallocatedSectors = 4, .uncorrectableSectors = 5, .hostWritesBytes = 3221225472}},
      {"Samsung: 187 counts reported errors",
       {Attribute("無法糾正錯誤次數", 6, "6"), Attribute("總計 LBA 寫入", 1, "8.077 TB")},
       {.hostWritesBytes = 8880755417547}},
      {"Intel: the first host writes in table order; NAND writes are not host writes",
       {Attribute("總計 NAND 寫入", 1, "4.220 TB"), Attribute("掛起扇區次數", 2, "2"),
        Attribute("主機寫入", 1, "3.663 TB"), Attribute("總計 LBA 寫入", 1, "1.000 TB")},
       {.pendingSectors = 2, .hostWritesBytes = 4027511092543}},
      {"Marvell and Phison",
       {Attribute("SMART 離線掃描無法糾正錯誤", 0, ""), Attribute("主機程式頁次數", 1, "\xC2\xA4 2.921 TB"),
        Attribute("退役塊次數", 9, "9")},
       {.reallocatedSectors = 9, .uncorrectableSectors = 0, .hostWritesBytes = 3211673464734}},
      {"Fallback formats host writes as a plain number; a zero count as nothing",
       {Attribute("主機寫入", 1234, "1,234"), Attribute("總計 LBA 寫入", 0, "")},
       {}},
      {"power-on text preferred to the raw value and its upper bytes",
       {Attribute("開機時間 (POH)", 0x123400000000 + 5121, "213d 9h"), Attribute("開機時間 (POH)", 7, "0d 7h")},
       {.powerOnHours = 5121}},
      {"power-on raw value when the text is not the program's",
       {Attribute("開機時間 (POH)", 30, "5d 24h")},
       {.powerOnHours = 30}},
      {"raw values that are no counts",
       {Attribute("開機時間 (POH)", 12.5, ""), Attribute("重新分配扇區次數", -1, ""),
        Attribute("目前掛起扇區次數", 18446744073709551615u, ""), Attribute("無法糾正扇區次數", "3", "")},
       {.uncorrectableSectors = 3}},
      {"members of the wrong kind",
       {json::array(), Attribute("重新分配扇區次數", nullptr, ""), {{"名稱", 5}, {"原\xEF\xBF\xBD", 1}}},
       {}},
  };
  for (const TCase& test : cases) EXPECT_EQ(ExtractFigures(Report(test.attributes)), test.expected) << test.what;
}

TEST(ExtractFigures, ReadsNvmeHealthWhateverKindItsNumbersHave) {
  struct TCase {
    const char* what;
    json health;
    TReportFigures expected;
  };
  const TCase cases[] = {
      {"integers",
       {{"power_on_hours", 1742}, {"percentage_used", 3}, {"media_errors", 0}, {"data_units_written", 3154108}},
       {.powerOnHours = 1742, .hostWritesBytes = 1614903296000, .nvmePercentageUsed = 3, .nvmeMediaErrors = 0}},
      {"doubles and texts",
       {{"power_on_hours", 1742.0}, {"percentage_used", "17"}, {"media_errors", 3.4e38}, {"data_units_written", "2"}},
       {.powerOnHours = 1742, .hostWritesBytes = 1024000, .nvmePercentageUsed = 17}},
      {"texts that are no counts",
       {{"power_on_hours", "1e3"}, {"percentage_used", "-1"}, {"media_errors", "99999999999999999999"},
        {"data_units_written", ""}},
       {}},
      {"the largest written count that fits, and one more",
       {{"data_units_written", 18014398509481}, {"media_errors", 9.5}},
       {.hostWritesBytes = 9223372036854272000}},
      {"too many units written", {{"data_units_written", 18014398509482}}, {}},
  };
  for (const TCase& test : cases)
    EXPECT_EQ(ExtractFigures(Report(json::array(), "", {{"health", test.health}})), test.expected) << test.what;

  // The drive's own log comes before SMART attributes; a health that is no object is ignored.
  const json attributes = {Attribute("開機時間 (POH)", 5, "0d 5h"), Attribute("總計 LBA 寫入", 1, "1.0 kB")};
  EXPECT_EQ(ExtractFigures(Report(attributes, "", {{"health", {{"power_on_hours", 9}}}})).powerOnHours, 9);
  EXPECT_EQ(ExtractFigures(Report(attributes, "", {{"health", {{"data_units_written", 1}}}})).hostWritesBytes, 512000);
  EXPECT_EQ(ExtractFigures(Report(attributes, "", {{"health", 7}})).powerOnHours, 5);
  EXPECT_EQ(ExtractFigures(Report(attributes, "", 7)).hostWritesBytes, 1024);
}

TEST(ExtractFigures, KeysADriveByModelAndSerial) {
  const auto key = [](const json& report) { return ExtractFigures(report).driveKey; };
  EXPECT_EQ(key(Report(json::array(), "VX1234567890")),
            "c2f55063583aad21937a7176d38d5f229728778022b47f060f63364e03c4a4ce");
  EXPECT_EQ(key(Report(json::array(), "  VX1234567890")), key(Report(json::array(), "VX1234567890")));
  EXPECT_NE(key(Report(json::array(), "VX1234567891")), key(Report(json::array(), "VX1234567890")));
  json otherModel = Report(json::array(), "VX1234567890");
  otherModel["裝置訊息"]["型號"] = "VEXA TEST SSD 512GB";
  EXPECT_NE(key(otherModel), key(Report(json::array(), "VX1234567890")));
  // No serial: blank words, no words, an NVMe drive without one; then the NVMe serial members.
  EXPECT_EQ(key(Report(json::array(), "   ")), std::nullopt);
  EXPECT_EQ(key(Report(json::array())), std::nullopt);
  EXPECT_EQ(key(Report(json::array(), "", json::object())), std::nullopt);
  EXPECT_EQ(key(Report(json::array(), "", {{"serial", "S5GXNF0R123456 "}})),
            key(Report(json::array(), "", {{"serial_number", "S5GXNF0R123456"}})));
  EXPECT_EQ(key(Report(json::array(), "", {{"serial", 5}})), std::nullopt);
  json noModel = Report(json::array(), "VX1234567890");
  noModel.erase("裝置訊息");
  EXPECT_EQ(key(noModel), std::nullopt);

  EXPECT_EQ(ReportFiguresOf("not JSON"), TReportFigures{});
  EXPECT_EQ(ReportFiguresOf("[1,2]"), TReportFigures{});
  EXPECT_EQ(ReportFiguresOf("{\"smart屬性\":{},\"識別碼\":[1,2,3],\"nvme\":[]}"), TReportFigures{});
}

TEST(Histogram, WidthsAndBuckets) {
  const std::pair<std::int64_t, std::int64_t> widths[] = {
      {-5, 10},     {0, 10},      {119, 10},   {120, 20},   {239, 20},
      {240, 50},    {10139, 1000}, {11999, 1000}, {12000, 2000}, {Max64, 1000000000000000000},
  };
  for (const auto& [maxHours, width] : widths) EXPECT_EQ(HistogramWidth(maxHours), width) << maxHours;
  const std::pair<std::int64_t, const char*> grouped[] = {
      {0, "0"}, {999, "999"}, {1000, "1,000"}, {-1234567, "-1,234,567"}, {Max64, "9,223,372,036,854,775,807"}};
  for (const auto& [number, text] : grouped) EXPECT_EQ(Grouped(number), text);

  EXPECT_EQ(HistogramBuckets(500, 1200, {{0, 4}, {2, 1}, {7, 9}, {-1, 9}}),
            (std::vector<THistogramBucket>{{0, 500, 4}, {500, 1000, 0}, {1000, 1500, 1}}));
  const auto huge = HistogramBuckets(HistogramWidth(Max64), Max64, {{9, 1}});
  ASSERT_EQ(huge.size(), 10u);
  EXPECT_EQ(huge.back().toHours, Max64);
  EXPECT_EQ(huge.back().drives, 1);

  EXPECT_EQ(HistogramSvg({}), "");
}

}  // namespace vexa::collector
