// Real SMART sectors of published drives, read in place from the shared samples:
// counts, names, raw-value texts, verdicts and key attributes as a user sees them.
#include <gtest/gtest.h>

#include "knowledge/SmartDescriptors.h"
#include "knowledge/KnownBrands.h"
#include "knowledge/SmartTestTables.h"

namespace vexa {
namespace {

// Loads "<drive>.smartdata.bin" and "<drive>.thresholds.bin"; false when missing.
bool LoadDrive(const std::string& drive, TSmartAttributes& table) {
  const auto data = test::ReadRealSample(drive + ".smartdata.bin");
  const auto thresholds = test::ReadRealSample(drive + ".thresholds.bin");
  if (data.empty() || thresholds.empty()) return false;
  table.Assign(data, thresholds);
  return true;
}

#define LOAD_OR_SKIP(drive, table)                                                          \
  if (!LoadDrive(drive, table)) GTEST_SKIP() << "real-drive sample not found: " \
                                             << test::RealSamplePath(drive ".smartdata.bin")

std::string RawText(const TSmartDescriptor& d, const TSmartAttributes& table, std::uint8_t id) {
  return d.FormatRawValue(table.FindById(id));
}

TEST(SmartRealDrives, Samsung870Qvo) {
  TSmartAttributes table;
  LOAD_OR_SKIP("samsung_SSD_870_QVO_4TB", table);
  const auto d = CreateSmartDescriptorFor(true, kBrandSamsung, nullptr);
  d->SetAttributes(&table);
  EXPECT_EQ(d->DisplayName(), "Samsung");
  EXPECT_EQ(table.Count(), 14u);
  EXPECT_EQ(d->AttributeName(177), "損耗均衡次數");
  EXPECT_EQ(RawText(*d, table, 9), "57d 11h");
  EXPECT_EQ(RawText(*d, table, 190), "29 °C");
  EXPECT_EQ(RawText(*d, table, 241), "11.186 TB");
  EXPECT_EQ(RawText(*d, table, 235), "12");
  EXPECT_EQ(d->AttributeStatus(table.FindById(5)), TSmartStatus::Good);
  EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::Temperature).Id(), 190);
  EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::HostWrites).Id(), 241);
  EXPECT_FALSE(d->FindKeyAttribute(TSmartKeyKind::HostReads));
}

TEST(SmartRealDrives, Intel320) {
  TSmartAttributes table;
  LOAD_OR_SKIP("intel_SSDSA2CW120G3", table);
  const auto d = CreateSmartDescriptorFor(true, kBrandIntel, "Intel PC29AS21BA0");
  d->SetAttributes(&table);
  EXPECT_EQ(table.Count(), 19u);
  EXPECT_EQ(d->AttributeName(192), "Unsafe Shutdown Count (Power-Off Retract Count)");
  EXPECT_EQ(d->AttributeName(226), "定時工作負載媒體磨損");
  EXPECT_EQ(RawText(*d, table, 225), "25.63 GB");
  EXPECT_EQ(RawText(*d, table, 242), "144.81 GB");
  EXPECT_EQ(RawText(*d, table, 226), "65,535");
  EXPECT_EQ(RawText(*d, table, 3), "");
  EXPECT_EQ(table.ThresholdOf(184), 90);
  EXPECT_EQ(d->AttributeStatus(table.FindById(184)), TSmartStatus::Good);
  EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::HostWrites).Id(), 225);  // 225 comes before 241
  EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::PowerCycles).Raw(), 14u);
}

TEST(SmartRealDrives, KingstonA400OnPhison) {
  TSmartAttributes table;
  LOAD_OR_SKIP("kingston_SA400S37240G", table);
  const auto d = CreateSmartDescriptorFor(true, 0, "Phison PS3111-S11");
  d->SetAttributes(&table);
  EXPECT_EQ(d->DisplayName(), "Phison");
  EXPECT_EQ(table.Count(), 26u);
  EXPECT_EQ(d->AttributeName(148), "<Reserved>");
  EXPECT_EQ(d->AttributeName(218), "CRC 錯誤次數");
  EXPECT_EQ(RawText(*d, table, 9), "375d 2h");
  EXPECT_EQ(RawText(*d, table, 194), "26 °C");  // min and max sit above the low byte
  EXPECT_EQ(RawText(*d, table, 231), "7 %");
  EXPECT_EQ(RawText(*d, table, 241), "9.034 TB");
  EXPECT_EQ(RawText(*d, table, 246), "642,100");
  EXPECT_EQ(d->AttributeStatus(table.FindById(1)), TSmartStatus::Good);
  EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::RemainingLife).Id(), 231);
  d->SetFahrenheit(true);
  EXPECT_EQ(RawText(*d, table, 194), "78 °F");
}

TEST(SmartRealDrives, FailingHardDisks) {
  TSmartAttributes table;
  LOAD_OR_SKIP("seagate_ST9100821AS", table);
  auto d = CreateSmartDescriptorFor(false, 0, nullptr);
  d->SetAttributes(&table);
  EXPECT_EQ(d->DisplayName(), "Fallback");
  EXPECT_EQ(table.Count(), 24u);
  EXPECT_EQ(d->AttributeStatus(table.FindById(4)), TSmartStatus::CurrentReached);  // current 1, threshold 20
  EXPECT_EQ(d->AttributeStatus(table.FindById(12)), TSmartStatus::Good);
  EXPECT_EQ(d->AttributeStatus(table.FindById(9)), TSmartStatus::None);  // no threshold, raw not 0

  LOAD_OR_SKIP("wdc_WD2500JB-00REA0", table);
  d = CreateSmartDescriptorFor(false, kBrandWesternDigital, nullptr);
  d->SetAttributes(&table);
  EXPECT_EQ(d->DisplayName(), "MechWdc");
  EXPECT_EQ(table.Count(), 15u);
  EXPECT_EQ(d->AttributeStatus(table.FindById(3)), TSmartStatus::WorstReached);  // worst 1, threshold 21
  EXPECT_EQ(RawText(*d, table, 3), "5,675 ms");
  EXPECT_EQ(d->AttributeName(200), "多區域錯誤率");
}

}  // namespace
}  // namespace vexa
